// The window's message queue: any thread posts, the window thread drains it before
// each frame (or a test drains it in the window's place). Stands for PostMessageA.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace platform {

// The heap object a message carries, of any type; deleting it deletes the object.
class CMessagePayload {
public:
    virtual ~CMessagePayload() = default;
};

template <typename T>
class TMessagePayload final : public CMessagePayload {
public:
    explicit TMessagePayload(std::unique_ptr<T> pObject) : m_pObject(std::move(pObject)) {}
    std::unique_ptr<T> m_pObject;
};

// A message owns its payload: the object is freed with the message whether it is handled,
// purged or dropped with its queue, so no receiver or purge has to know which messages own one.
struct SMessage {
    uint32_t nMsg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    std::unique_ptr<CMessagePayload> pPayload = nullptr;

    // The payload if it is a T (null when there is none or it is another type).
    template <typename T>
    const T* Payload() const {
        const auto* pHolder = dynamic_cast<const TMessagePayload<T>*>(pPayload.get());
        return pHolder ? pHolder->m_pObject.get() : nullptr;
    }
    // Takes the payload over if it is a T; the message is left without one.
    template <typename T>
    std::unique_ptr<T> TakePayload() {
        auto* pHolder = dynamic_cast<TMessagePayload<T>*>(pPayload.get());
        return pHolder ? std::move(pHolder->m_pObject) : nullptr;
    }
};

// A message carrying pObject (null allowed: the message then carries nothing).
template <typename T>
SMessage MakeMessage(uint32_t nMsg, uintptr_t wParam, std::unique_ptr<T> pObject) {
    SMessage msg{nMsg, wParam, 0, nullptr};
    if (pObject) msg.pPayload = std::make_unique<TMessagePayload<T>>(std::move(pObject));
    return msg;
}

class CWindowQueue {
public:
    // Any thread. Returns false once the queue has been closed.
    bool Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam);
    bool Post(SMessage msg);
    // Window thread: takes the oldest message, if any.
    bool TryPop(SMessage& out);
    // Waits up to timeoutMs (negative: no limit) for a message.
    bool WaitPop(SMessage& out, int timeoutMs);
    // Removes (and so frees) every message the predicate selects. Returns how many were removed.
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
// Posts a message that may own a payload; when the post fails the payload is freed here.
bool PostMessageA(HWND hWnd, platform::SMessage msg);
