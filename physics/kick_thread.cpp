// The simulation thread of a real flick, and the pause and stop of both workers.
// Threads: StartKickThread runs on the window thread or, for the computer's flick, at the
// end of the computer-turn thread; the rest on the window thread. One pause gate serves
// both workers: SuspendThreads closes it, ResumeThreads and the two Terminate functions
// open it. StartKickThread leaves it alone, so a flick started while the game is paused
// waits at its first step. After a Terminate function returns, no thread of the old
// flick runs, and its records and playback message are gone from the window queue.
#include <exception>

#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/log.h"

namespace {

constexpr int kKickFailBeepHz = 5000;
constexpr int kKickFailBeepMs = 2000;

// Asks the worker to stop (its event and gate waits end at once) and waits for it.
void StopAndJoin(std::jthread& thread) {
    if (!thread.joinable()) return;
    thread.request_stop();
    thread.join();
}

}  // namespace

int CKickPhysics::StartKickThread(int checkIndex) {
    // Callers stop an old flick with TerminateThreads first; one still here has finished
    // or is abandoned, and anything it left in the window queue belongs to no flick.
    if (m_kickThread.joinable()) {
        StopAndJoin(m_kickThread);
        PurgeWindowQueue();
        m_motionEvent.Reset();
    }
    g_bPlaybackStarted = 0;
    m_nKickCheck = checkIndex;
    if (m_pDesk != nullptr && checkIndex >= 0 && checkIndex < kCheckCount) {
        m_nStartedCheck = checkIndex;
        m_startedLaunch = TakeLaunch(m_pDesk->m_aChecks[checkIndex]);
        m_bFlickStarted.store(true, std::memory_order_release);
    }
    g_bKickRunning = 1;
    ClearMotions();
    try {
        m_kickThread = std::jthread([this](std::stop_token stop) { KickThreadProc(this, stop); });
    } catch (const std::exception& e) {
        // No simulation: an empty playback ends the flick, so the game goes on.
        platform::Log("The simulation thread could not be started (%s): the flick is not played",
                      e.what());
        PostMessageA(m_hWnd, m_messages.nStartPlayback, 0, 0);
    }
    return 1;
}

unsigned CKickPhysics::KickThreadProc(CKickPhysics* pPhysics, std::stop_token stop) {
    try {
        if (pPhysics->m_pDesk == nullptr) {
            platform::Log("A flick was started with no live position: nothing to simulate");
        } else {
            CDesk desk(*pPhysics->m_pDesk);
            pPhysics->SimulateKickStoppable(pPhysics->m_nKickCheck, desk, nullptr, 1, 1, stop);
        }
    } catch (...) {
        platform::Beep(kKickFailBeepHz, kKickFailBeepMs);
    }
    // Whatever was recorded is played; an abandoned flick posts nothing more (a message
    // that slips out while the stop is requested is purged after the join).
    if (!stop.stop_requested()) PostMessageA(pPhysics->m_hWnd, pPhysics->m_messages.nStartPlayback, 0, 0);
    return 0;
}

bool CKickPhysics::TakeStartedFlick(int& nCheck, SFlickLaunch& launch) {
    if (!m_bFlickStarted.exchange(false, std::memory_order_acquire)) return false;
    nCheck = m_nStartedCheck;
    launch = m_startedLaunch;
    return true;
}

void CKickPhysics::SuspendThreads() { m_pauseGate.Close(); }

void CKickPhysics::ResumeThreads() { m_pauseGate.Open(); }

void CKickPhysics::TerminateThreads() {
    // The computer thread may start a simulation thread as its last act: it is stopped
    // and joined before the simulation thread object is touched.
    StopAndJoin(m_compThread);
    StopAndJoin(m_kickThread);
    PurgeWindowQueue();
    m_motionEvent.Reset();
    m_pauseGate.Open();  // no thread is left to pause; a new flick must not start paused
    g_bKickRunning = 0;
    m_bFlickStarted = false;  // an abandoned flick is not played
}

void CKickPhysics::TerminateKickThread() {
    StopAndJoin(m_kickThread);
    PurgeWindowQueue();
    m_motionEvent.Reset();
    m_pauseGate.Open();
    g_bKickRunning = 0;
}

void CKickPhysics::PurgeWindowQueue() {
    if (m_hWnd == nullptr) return;
    m_hWnd->RemoveIf([ids = m_messages](const platform::SMessage& msg) {
        return msg.nMsg == ids.nQueueMotion || msg.nMsg == ids.nStartPlayback;
    });
}
