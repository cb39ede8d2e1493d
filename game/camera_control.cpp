// The camera in a match: keys and held buttons, the focus on an own draught, and the swing
// of the view to it. Window thread; the animation thread only posts steps.
#include "app/game_wnd.h"

void CGameWnd::CameraKeyStep(unsigned) {}
void CGameWnd::OnGameKeyDown(unsigned) {}
void CGameWnd::LookAtDraught(const CCheck&) {}
void CGameWnd::AimCameraAtFocus() {}
void CGameWnd::SwapFocus() {}
