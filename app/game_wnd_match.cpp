// Pausing and continuing a match: the flick threads stop where they are and the playback
// resumes where it stopped. Window thread.
#include "app/game_wnd.h"

void CGameWnd::PauseMatch() {
    m_physics.SuspendThreads();
    m_bPausedPlayback = m_physics.IsPlaying() ? 1 : 0;
    // The pause screen must take clicks; the game screen gets them back only when the
    // interrupted flick or choice has ended.
    m_bPausedBusy = m_bBusy;
    m_physics.StopPlayback();
}

void CGameWnd::ContinueMatch() {
    if (m_bPausedPlayback) m_physics.StartPlayback();
    m_bPausedPlayback = 0;
    m_bBusy = m_bPausedBusy;
    m_bPausedBusy = 0;
    m_physics.ResumeThreads();
}
