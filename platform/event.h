// Auto-reset event (stands for CreateEventA/SetEvent/WaitForSingleObject).
// Any thread may set, reset or wait. A wait can also be ended by a stop request.
#pragma once

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace platform {

class CEvent {
public:
    explicit CEvent(bool bManualReset = false) : m_bManualReset(bManualReset) {}
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    void Set();
    void Reset();
    // Waits until signalled or timeoutMs passes (negative: no limit). True when signalled;
    // an auto-reset event is then reset again.
    bool Wait(int timeoutMs = -1);
    // As Wait, but also returns false as soon as stop is requested.
    bool Wait(std::stop_token stop, int timeoutMs = -1);
    // Threads blocked in Wait right now.
    int WaitingThreads();

private:
    std::mutex m_mutex;
    std::condition_variable_any m_cv;
    bool m_bSignalled = false;
    bool m_bManualReset;
    // Auto-reset: a Set that finds waiters hands the signal to one of them at once, so a Reset
    // right after it cannot take it back (as SetEvent then ResetEvent behaves).
    int m_nWaiters = 0;
    int m_nHandedOver = 0;
};

}  // namespace platform
