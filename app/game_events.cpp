// The process-wide events, created before main runs, all auto-reset and not signalled.
#include "app/game_events.h"

platform::CEvent m_hTimeoutCompTurnEvent;
platform::CEvent m_hStartCompTurnTimeoutEvent;
platform::CEvent m_hStopRepeatEvent;
