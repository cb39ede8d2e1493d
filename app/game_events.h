// The three process-wide auto-reset events shared by the window, the delay thread and the
// repeat loops of the animation thread. Any thread may set, reset or wait on them.
#pragma once

#include "platform/event.h"

// Signalled by the delay thread two seconds after a computer turn was asked for.
extern platform::CEvent m_hTimeoutCompTurnEvent;
// Starts the two-second delay of a computer turn.
extern platform::CEvent m_hStartCompTurnTimeoutEvent;
// Ends a held-button or held-key repeat loop of the animation thread.
extern platform::CEvent m_hStopRepeatEvent;
