// The message-loop worker: a private blocking queue per worker stands for the thread's system
// queue, and a stop request ends the loop between messages or inside stop-aware waits.
#include "app/msg_thread.h"

#include <chrono>
#include <exception>
#include <system_error>
#include <utility>

#include "app/framework/win_messages.h"
#include "platform/beep.h"
#include "platform/log.h"

namespace {
// The stop request of the worker running on this thread, for handlers in long loops.
thread_local std::stop_token t_workerStop;
thread_local CMsgThread* t_pWorker = nullptr;
}  // namespace

CMsgThread::~CMsgThread() { Stop(); }

void CMsgThread::SetHandler(MsgHandler handler) { m_pHandler = handler; }

int CMsgThread::Start(void* param) {
    if (m_bStarted) return 0;
    m_readyEvent.Reset();
    m_pParam = param;
    try {
        m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
    } catch (const std::system_error& e) {
        platform::Log("Worker thread cannot be created: %s", e.what());
        return 0;
    }
    m_readyEvent.Wait();
    m_bStarted = true;
    return 1;
}

bool CMsgThread::Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) {
    return Post(platform::SMessage{nMsg, wParam, lParam, nullptr});
}

bool CMsgThread::Post(platform::SMessage msg) {
    {
        std::lock_guard lock(m_queueMutex);
        if (!m_bAccepting) return false;
        m_queue.push_back(std::move(msg));
    }
    m_queueCv.notify_one();
    return true;
}

void CMsgThread::Stop() {
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    // A handler that stops its own worker cannot wait for itself; the loop ends when it returns.
    if (m_thread.get_id() == std::this_thread::get_id()) return;
    m_thread.join();
}

void CMsgThread::Close() {
    Stop();
    if (m_thread.joinable()) return;  // closed from its own handler: the thread is still ours
    m_bStarted = false;
}

std::stop_token CMsgThread::CurrentStopToken() { return t_workerStop; }

bool CMsgThread::CurrentHasPending() {
    CMsgThread* pWorker = t_pWorker;
    if (pWorker == nullptr) return false;
    std::lock_guard lock(pWorker->m_queueMutex);
    return !pWorker->m_queue.empty();
}

bool CMsgThread::WaitMessage(std::stop_token stop, platform::SMessage& out) {
    std::unique_lock lock(m_queueMutex);
    if (!m_queueCv.wait(lock, stop, [this] { return !m_queue.empty(); })) return false;
    out = std::move(m_queue.front());
    m_queue.pop_front();
    return true;
}

void CMsgThread::CloseQueue() {
    std::lock_guard lock(m_queueMutex);
    m_bAccepting = false;
    m_queue.clear();
}

void CMsgThread::Run(std::stop_token stop) {
    const MsgHandler handler = m_pHandler;
    void* const param = m_pParam;
    t_workerStop = stop;
    t_pWorker = this;
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.clear();
        m_bAccepting = true;
    }
    m_readyEvent.Set();
    bool failed = false;
    try {
        platform::SMessage msg;
        while (WaitMessage(stop, msg)) {
            if (msg.nMsg == WM_QUIT) break;
            if (handler) handler(msg, param);
        }
    } catch (const std::exception& e) {
        platform::Log("Worker thread ended by an exception in its handler: %s", e.what());
        failed = true;
    } catch (...) {
        platform::Log("Worker thread ended by an unknown exception in its handler");
        failed = true;
    }
    // Later posts fail from here on, so nobody waits for a worker that is gone.
    CloseQueue();
    if (failed) platform::Beep(kWorkerFailureBeepHz, kWorkerFailureBeepMs);
    t_workerStop = std::stop_token{};
    t_pWorker = nullptr;
}

bool SleepUnlessStopped(std::stop_token stop, int ms) {
    std::mutex mutex;
    std::condition_variable_any cv;
    std::unique_lock lock(mutex);
    cv.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
    return !stop.stop_requested();
}
