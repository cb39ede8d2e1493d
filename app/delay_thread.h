// The delay thread (m_hDelayThread): turns each start signal into a time-out signal two seconds
// later, so the computer begins its flick about two seconds after its turn begins. Start, Stop
// and Cancel belong to the owning (window) thread; the events may be set and reset from any thread.
#pragma once

#include <thread>

#include "platform/event.h"

inline constexpr int kCompTurnDelayMs = 2000;

class CDelayThread {
public:
    CDelayThread() = default;
    ~CDelayThread() { Stop(); }
    CDelayThread(const CDelayThread&) = delete;
    CDelayThread& operator=(const CDelayThread&) = delete;

    // Waits on startEvent, then 2 s later sets timeoutEvent, over and over. A start signal that
    // comes during the two seconds neither cuts nor extends them: the auto-reset event keeps it,
    // and it gives a second time-out two seconds after the first. Both events must outlive the
    // thread. False when already running or the thread cannot be created.
    bool Start(platform::CEvent& startEvent, platform::CEvent& timeoutEvent);
    // Ends the thread, mid-wait included, and waits for it.
    void Stop();
    // Drops every start signal and time-out given so far, the two seconds under way included,
    // and goes on waiting for the next start: nothing asked for before the call ever signals.
    void Cancel();
    bool IsRunning() const { return m_thread.joinable(); }

private:
    std::jthread m_thread;
    platform::CEvent* m_pStart = nullptr;
    platform::CEvent* m_pTimeout = nullptr;
};
