// The player's flick by two clicks: the first picks an own draught, the second sets the
// finger; the hand follows the mouse in between. Window thread.
#include "app/game_wnd.h"

void CGameWnd::OnPlayerClick(long) {}
void CGameWnd::OnAimMove(long) {}
void CGameWnd::CancelFlick() {}
