#include "platform/event.h"

#include <chrono>

namespace platform {

void CEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_bManualReset && m_nWaiters > m_nHandedOver)
            ++m_nHandedOver;
        else
            m_bSignalled = true;
    }
    m_cv.notify_all();
}

int CEvent::WaitingThreads() {
    std::lock_guard lock(m_mutex);
    return m_nWaiters;
}

void CEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_bSignalled = false;
}

bool CEvent::Wait(int timeoutMs) { return Wait(std::stop_token{}, timeoutMs); }

bool CEvent::Wait(std::stop_token stop, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    auto signalled = [this] { return m_bSignalled || m_nHandedOver > 0; };
    ++m_nWaiters;
    bool ok;
    if (timeoutMs < 0)
        ok = m_cv.wait(lock, stop, signalled);
    else
        ok = m_cv.wait_for(lock, stop, std::chrono::milliseconds(timeoutMs), signalled);
    --m_nWaiters;
    if (ok && !m_bManualReset) {
        if (m_nHandedOver > 0)
            --m_nHandedOver;
        else
            m_bSignalled = false;
    }
    return ok;
}

}  // namespace platform
