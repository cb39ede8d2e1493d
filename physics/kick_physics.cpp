#include "physics/kick_physics.h"

#include "core/game_settings.h"
#include "platform/beep.h"

std::atomic<int> g_bKickRunning{0};
std::atomic<int> g_bPlaybackStarted{0};
std::atomic<int> g_nPlaybackFrame{0};

// Hands each step of a recorded flick to the window thread: a heap copy is posted and
// the simulation waits until the window has queued it, so it never runs more than one
// record ahead. A stop request ends the wait; the record then stays in the window queue
// until TerminateThreads purges it.
class CKickPhysics::CRecordHandOver : public IStepRecorder {
public:
    CRecordHandOver(CKickPhysics& physics, HWND hWnd, std::stop_token stop)
        : m_physics(physics), m_hWnd(hWnd), m_stop(stop) {}

    bool RecordStep(const CDesk& step) override {
        if (!m_physics.m_pauseGate.Pass(m_stop)) return false;
        try {
            if (!PostMessageA(m_hWnd, platform::MakeMessage(m_physics.m_messages.nQueueMotion, 0,
                                                            std::make_unique<CDesk>(step)))) {
                platform::Beep(2000, 100);
                return true;  // no window to show it: the simulation goes on without it
            }
        } catch (...) {
            platform::Beep(2000, 100);
            return true;
        }
        if (!m_physics.m_motionEvent.Wait(m_stop)) return false;
        return m_physics.m_pauseGate.Pass(m_stop);
    }

private:
    CKickPhysics& m_physics;
    HWND m_hWnd;
    std::stop_token m_stop;
};

CKickPhysics::CKickPhysics() : m_cursor(m_motions.end()) {}

CKickPhysics::~CKickPhysics() {
    // The computer's search reads the settings and the live position: stop it first.
    m_compThread.request_stop();
    m_pauseGate.Open();
    if (m_compThread.joinable()) m_compThread.join();
    TerminateKickThread();
    ClearMotions();
}

void CKickPhysics::SimulateKick(int checkIndex, CDesk desk, CDesk* result, int animate, int record) {
    SimulateKickStoppable(checkIndex, desk, result, animate, record, std::stop_token{});
}

EFlickEnd CKickPhysics::SimulateKickStoppable(int checkIndex, CDesk& desk, CDesk* result, int animate,
                                              int record, std::stop_token stop) {
    const HWND hWnd = m_hWnd;
    if (m_pSettings == nullptr) return EFlickEnd::NotOnBoard;
    if (checkIndex < 0 || checkIndex >= kCheckCount || !desk.m_aChecks[checkIndex].m_bOnDesk)
        return EFlickEnd::NotOnBoard;  // nothing simulated, nothing written
    ClearMotions();
    CRecordHandOver handOver(*this, hWnd, stop);
    const SFlickOutcome outcome = RunFlick(m_k, MakeFlickInput(*m_pSettings), checkIndex, desk,
                                           m_pSettings->m_aMovers, animate != 0, record ? &handOver : nullptr);
    KeepFlickOutcome(outcome, *m_pSettings);
    const EFlickEnd end = outcome.end;
    if (result && end != EFlickEnd::Abandoned) {
        try {
            *result = desk;
        } catch (...) {
            platform::Beep(4000, 100);
        }
    }
    return end;
}
