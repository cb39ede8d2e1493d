// The match's entry points on the game window that are not match rules: pausing the flick
// threads and the aiming and camera bodies still to come. The rules are in game/match_rules.cpp.
// Window thread.
#include "app/game_wnd.h"

void CGameWnd::PauseMatch() {
    m_physics.SuspendThreads();
    m_bPausedPlayback = m_physics.IsPlaying() ? 1 : 0;
    m_physics.StopPlayback();
}

void CGameWnd::ContinueMatch() {
    if (m_bPausedPlayback) m_physics.StartPlayback();
    m_bPausedPlayback = 0;
    m_physics.ResumeThreads();
}

void CGameWnd::CameraKeyStep(unsigned) {}
void CGameWnd::OnPlayerClick(long) {}
void CGameWnd::OnAimMove(long) {}
void CGameWnd::CancelFlick() {}
void CGameWnd::DrawAimAids() {}
void CGameWnd::DrawResultTexts() {}
