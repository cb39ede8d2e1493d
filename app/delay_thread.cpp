// The delay thread's loop: wait for the start signal, let two seconds pass, signal the time-out.
#include "app/delay_thread.h"

#include <functional>
#include <stop_token>
#include <system_error>

#include "app/msg_thread.h"
#include "platform/log.h"

namespace {

void RunDelay(std::stop_token stop, platform::CEvent& startEvent, platform::CEvent& timeoutEvent) {
    // Each wait ends early only for a stop request, which ends the thread.
    while (startEvent.Wait(stop)) {
        if (!SleepUnlessStopped(stop, kCompTurnDelayMs)) return;
        timeoutEvent.Set();
    }
}

}  // namespace

bool CDelayThread::Start(platform::CEvent& startEvent, platform::CEvent& timeoutEvent) {
    if (m_thread.joinable()) return false;
    m_pStart = &startEvent;
    m_pTimeout = &timeoutEvent;
    try {
        m_thread = std::jthread(RunDelay, std::ref(startEvent), std::ref(timeoutEvent));
    } catch (const std::system_error& e) {
        platform::Log("Delay thread cannot be created: %s", e.what());
        return false;
    }
    return true;
}

void CDelayThread::Stop() {
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    m_thread.join();
}

void CDelayThread::Cancel() {
    if (!m_pStart) return;
    // A start signal may already be handed to the waiting thread, where no Reset reaches it;
    // ending the thread settles every signal, and a fresh one starts with none pending.
    const bool bWasRunning = IsRunning();
    Stop();
    m_pStart->Reset();
    m_pTimeout->Reset();
    if (bWasRunning) Start(*m_pStart, *m_pTimeout);
}
