#include "platform/window_queue.h"

#include <chrono>
#include <utility>

namespace platform {

bool CWindowQueue::Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) {
    return Post(SMessage{nMsg, wParam, lParam, nullptr});
}

bool CWindowQueue::Post(SMessage msg) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(msg));
    }
    m_cv.notify_one();
    return true;
}

bool CWindowQueue::TryPop(SMessage& out) {
    std::lock_guard lock(m_mutex);
    if (m_queue.empty()) return false;
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

bool CWindowQueue::WaitPop(SMessage& out, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    auto ready = [this] { return !m_queue.empty(); };
    if (timeoutMs < 0)
        m_cv.wait(lock, ready);
    else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
        return false;
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

int CWindowQueue::RemoveIf(const std::function<bool(const SMessage&)>& pred) {
    std::lock_guard lock(m_mutex);
    int removed = 0;
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if (pred(*it)) {
            it = m_queue.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

size_t CWindowQueue::Size() const {
    std::lock_guard lock(m_mutex);
    return m_queue.size();
}

}  // namespace platform

bool PostMessageA(HWND hWnd, uint32_t nMsg, uintptr_t wParam, intptr_t lParam) {
    return hWnd != nullptr && hWnd->Post(nMsg, wParam, lParam);
}

bool PostMessageA(HWND hWnd, platform::SMessage msg) { return hWnd != nullptr && hWnd->Post(std::move(msg)); }
