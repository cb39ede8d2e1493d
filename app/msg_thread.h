// A message-loop worker: one thread, its own queue of thread messages and one handler called for
// each message. Thread rule: SetHandler, Start, Stop and Close belong to the owning thread; Post may
// come from any thread; the handler runs on the worker only.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <stop_token>
#include <thread>

#include "platform/event.h"
#include "platform/window_queue.h"

// Called on the worker for every message, with the parameter given to Start.
using MsgHandler = void (*)(const platform::SMessage& msg, void* param);

// Frequency and length of the beep that marks a worker ended by an exception in its handler.
inline constexpr int kWorkerFailureBeepHz = 3000;
inline constexpr int kWorkerFailureBeepMs = 3000;

class CMsgThread {
public:
    CMsgThread() = default;
    virtual ~CMsgThread();
    CMsgThread(const CMsgThread&) = delete;
    CMsgThread& operator=(const CMsgThread&) = delete;

    // Must come before Start: the worker reads handler and parameter once when it begins.
    void SetHandler(MsgHandler handler);
    // 1 once the worker runs and takes messages; 0 if it was already started (and not closed
    // since) or the thread cannot be created.
    int Start(void* param);
    // Queues a message for the worker. False when no worker is taking messages (never started,
    // stopped, or ended by an exception); the message is then lost.
    bool Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam);
    // The same for a message that may own a payload; a lost message frees it.
    bool Post(platform::SMessage msg);
    // Asks the worker to stop and waits for it. A handler in a long loop must watch
    // CurrentStopToken(); the platform events' stop-aware waits do that for it.
    void Stop();
    // Forgets the ended thread so the worker may be started again.
    void Close();
    bool IsStarted() const { return m_bStarted; }

    // The stop request of the worker running the calling code; a token that never stops on
    // any other thread.
    static std::stop_token CurrentStopToken();
    // Whether the worker running the calling code has another message waiting; false on any
    // other thread. A repeat loop ends on it, so a new request is never held up behind an old one.
    static bool CurrentHasPending();

private:
    void Run(std::stop_token stop);
    // Waits for the next message; false when stop is requested first.
    bool WaitMessage(std::stop_token stop, platform::SMessage& out);
    void CloseQueue();

    platform::CEvent m_readyEvent;       // the worker sets it once it takes messages
    bool m_bStarted = false;             // true from a successful Start until Close
    std::jthread m_thread;
    void* m_pParam = nullptr;            // handed to the handler with every message
    MsgHandler m_pHandler = nullptr;     // null: messages are taken and dropped

    std::mutex m_queueMutex;
    std::condition_variable_any m_queueCv;
    std::deque<platform::SMessage> m_queue;
    bool m_bAccepting = false;           // true while the worker's loop runs
};

// Sleeps ms unless stop is requested first; false when it was.
bool SleepUnlessStopped(std::stop_token stop, int ms);
