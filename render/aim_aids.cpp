// The aiming aids over the scene: the marker on the first mark, the aim line and the hand.
// Window thread; reads the aiming fields only.
#include "app/game_wnd.h"

void CGameWnd::DrawAimAids() {
    DrawAimMarks();
    DrawHand();
}
void CGameWnd::DrawAimMarks() {}
void CGameWnd::DrawHand() {}
