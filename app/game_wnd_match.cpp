// The match's entry points on the game window. Only what needs no match rules lives here:
// the start layout, pausing the flick threads; turn order, aiming and the camera keys come
// with the match rules. Window thread.
#include "app/game_wnd.h"
#include "game/layout.h"
#include "platform/log.h"

namespace {

// The start layout of the chosen board and material with the current campaign shifts.
void PlaceStartLayout(CGameWnd& wnd) {
    CGameSettings& s = wnd.Settings();
    const int nMaterial = (s.CheckType >= 0 && s.CheckType < kCheckModelCount) ? s.CheckType : 0;
    if (!BuildLayout(wnd.Desk(), s.m_nWhiteShift, s.m_nBlackShift, wnd.WhiteCheckModel(nMaterial),
                     wnd.BlackCheckModel(nMaterial)))
        platform::Log("No start layout for board type %d", s.BoardType);
}

}  // namespace

void CGameWnd::StartMatch() { PlaceStartLayout(*this); }
void CGameWnd::NextSet() { PlaceStartLayout(*this); }
void CGameWnd::StopMatch() {}

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

void CGameWnd::OnFlickFinished() {}
void CGameWnd::CameraKeyStep(unsigned) {}
void CGameWnd::OnPlayerClick(long) {}
void CGameWnd::OnAimMove(long) {}
void CGameWnd::CancelFlick() {}
void CGameWnd::StartComputerTurn() {}
void CGameWnd::DrawAimAids() {}
void CGameWnd::DrawResultTexts() {}
