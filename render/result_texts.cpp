// The texts of the three result screens: who won and how many draughts each side lost.
// Window thread.
#include "app/game_wnd.h"

void CGameWnd::DrawResultTexts() {}
