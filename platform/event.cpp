#include "platform/event.h"

#include <chrono>

namespace platform {

void CEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_bSignalled = true;
    }
    m_cv.notify_all();
}

void CEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSignalled = false;
}

bool CEvent::Wait(int timeoutMs) { return Wait(std::stop_token{}, timeoutMs); }

bool CEvent::Wait(std::stop_token stop, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    auto signalled = [this] { return m_bSignalled; };
    bool ok;
    if (timeoutMs < 0)
        ok = m_cv.wait(lock, stop, signalled);
    else
        ok = m_cv.wait_for(lock, stop, std::chrono::milliseconds(timeoutMs), signalled);
    if (ok && !m_bManualReset) m_bSignalled = false;
    return ok;
}

}  // namespace platform
