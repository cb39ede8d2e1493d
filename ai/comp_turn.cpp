// The computer-turn thread: StartCompTurn ends the old flick threads and starts one that
// runs CalcKickAI once. Window thread for StartCompTurn; the thread procedure on its own.
// The thread stops and pauses cooperatively through its stop token and the pause gate.
#include <exception>

#include "ai/comp_thinking.h"
#include "physics/kick_physics.h"
#include "platform/log.h"
#include "platform/thread_priority.h"

int CKickPhysics::StartCompTurn(int side) {
    try {
        SuspendThreads();
        StopPlayback();
        TerminateThreads();
        // Written only now: the computer thread ended above may still have been reading it.
        m_nCompSide = side;
        m_compThread = std::jthread([this](std::stop_token stop) { CompTurnThreadProc(this, stop); });
        return 1;
    } catch (const std::exception& e) {
        platform::Log("The computer turn could not be started (%s): the computer does not flick", e.what());
    } catch (...) {
        platform::Log("The computer turn could not be started: the computer does not flick");
    }
    return 0;
}

std::atomic<int> g_bCompThinking{0};

unsigned CKickPhysics::CompTurnThreadProc(CKickPhysics* pPhysics, std::stop_token stop) {
    if (pPhysics == nullptr) return 0;
    // The search may take both cores for a few milliseconds; the frames go first.
    platform::LowerThisThreadPriority();
    g_bCompThinking = 1;
    try {
        pPhysics->CalcKickAI(pPhysics->m_nCompSide, pPhysics->m_pDesk, stop);
    } catch (...) {
        // CalcKickAI has beeped for its own failures; nothing of the turn reaches the window.
    }
    g_bCompThinking = 0;
    return 0;
}
