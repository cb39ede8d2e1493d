// The match when the opponent plays on another machine: whose draughts may be picked here and
// the other machine's flicks played as local ones. Window thread.
#include "game/match.h"

#include "core/game_settings.h"
#include "physics/kick_physics.h"
#include "platform/log.h"

bool CMatch::IsRemoteTurn() const {
    if (!m_nNetSide) return false;
    const int nMover = m_settings.m_bMySideToMove ? SIDE_WHITE : SIDE_BLACK;
    return nMover != m_nNetSide || !m_host.MayFlick();
}

void CMatch::LaunchFlick(int nIndex) {
    m_bBusy = true;
    m_physics.StartKickThread(nIndex);
    m_nSelected = -1;
}

void CMatch::PlayRemoteFlick(int nCheck) {
    if (nCheck < 0 || nCheck >= kCheckCount) return;
    platform::Log(" --- Remote turn --- ");
    m_physics.SuspendThreads();
    m_physics.StopPlayback();
    m_physics.TerminateThreads();
    m_settings.m_nMoverSide = m_desk.m_aChecks[nCheck].m_nSide;
    m_bMarkSet = false;
    LaunchFlick(nCheck);
}
