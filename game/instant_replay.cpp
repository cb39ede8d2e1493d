#include "game/instant_replay.h"

#include <mutex>

#include "physics/kick_physics.h"
#include "platform/log.h"

void CInstantReplay::Keep(const CDesk& before, int nCheck) {
    if (m_bRunning || nCheck < 0 || nCheck >= kCheckCount) return;
    m_before = before;
    m_nCheck = nCheck;
    m_launch = TakeLaunch(before.m_aChecks[nCheck]);
}

bool CInstantReplay::Start(CDesk& live, CGameSettings& settings, CKickPhysics& physics) {
    if (m_bRunning || !HasFlick()) return false;
    physics.SuspendThreads();
    physics.StopPlayback();
    physics.TerminateThreads();
    m_present = live;
    // The simulation writes the mover table and the knocked-off counts the turn rule reads.
    m_settings = settings;
    {
        std::lock_guard lock(physics.LiveDeskLock());
        live = m_before;
        // As the flick started: the launch in the draught and the settings' mover table.
        if (!ApplyLaunch(m_launch, m_nCheck, live, settings)) {
            live = m_present;
            return false;
        }
    }
    platform::Log("Instant replay of draught %d", m_nCheck);
    m_bRunning = true;
    physics.StartKickThread(m_nCheck);
    return true;
}

void CInstantReplay::Finish(CDesk& live, CGameSettings& settings) {
    if (!m_bRunning) return;
    m_bRunning = false;
    live = m_present;
    settings = m_settings;
}
