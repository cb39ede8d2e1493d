// Cooperative pause for worker threads (stands for SuspendThread/ResumeThread): a
// worker calls Pass between units of work and blocks there while the gate is closed.
// Any thread may close or open it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace platform {

class CPauseGate {
public:
    void Close() {
        std::lock_guard lock(m_mutex);
        m_bClosed = true;
    }
    void Open() {
        {
            std::lock_guard lock(m_mutex);
            m_bClosed = false;
        }
        m_cv.notify_all();
    }
    bool IsClosed() const {
        std::lock_guard lock(m_mutex);
        return m_bClosed;
    }
    // Blocks while closed; returns false when stop was requested (before or while waiting).
    bool Pass(std::stop_token stop) {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, stop, [this] { return !m_bClosed; });
        return !stop.stop_requested();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable_any m_cv;
    bool m_bClosed = false;
};

}  // namespace platform
