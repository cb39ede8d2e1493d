// The window's message queue: any thread posts, the window thread drains it before
// each frame (or a test drains it in the window's place). Stands for PostMessageA.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace platform {

struct SMessage {
    uint32_t nMsg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class CWindowQueue {
public:
    // Any thread. Returns false once the queue has been closed.
    bool Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam);
    // Window thread: takes the oldest message, if any.
    bool TryPop(SMessage& out);
    // Waits up to timeoutMs (negative: no limit) for a message.
    bool WaitPop(SMessage& out, int timeoutMs);
    // Removes every message the predicate selects, handing each to it first, so that
    // a message that owns a pointer can free it. Returns how many were removed.
    int RemoveIf(const std::function<bool(const SMessage&)>& pred);
    size_t Size() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<SMessage> m_queue;
};

}  // namespace platform

// The window handle of this game is its message queue.
using HWND = platform::CWindowQueue*;

bool PostMessageA(HWND hWnd, uint32_t nMsg, uintptr_t wParam, intptr_t lParam);
