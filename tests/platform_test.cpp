// The platform stand-ins: generator sequence, events, the window queue, the pause gate.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/event.h"
#include "platform/pause_gate.h"
#include "platform/thread_priority.h"
#include "platform/window_queue.h"

using namespace std::chrono_literals;

TEST(Rand, FirstValuesFromStateOneFollowTheRecurrence) {
    // state1 = 1*214013+2531011 = 2745024 -> bits 16..30 = 41; then 18467, 6334, 26500, 19169.
    platform::SetRandState(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(platform::Rand(), expected[i]) << "draw " << i;
}

TEST(Rand, StateCanBeSetAndValuesStayInRange) {
    platform::SetRandState(0xFFFFFFFFu);
    const uint32_t next = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(platform::Rand(), int((next >> 16) & 0x7FFF));
    EXPECT_EQ(platform::GetRandState(), next);
    for (int i = 0; i < 100000; ++i) {
        const int v = platform::Rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, platform::kRandMax);
    }
    platform::SetRandState(1);
}

TEST(Event, AutoResetReleasesOneWaitManualResetStaysSignalled) {
    platform::CEvent ev;
    EXPECT_FALSE(ev.Wait(0));
    ev.Set();
    EXPECT_TRUE(ev.Wait(0));
    EXPECT_FALSE(ev.Wait(0)) << "an auto-reset event resets after one wait";
    ev.Set();
    ev.Reset();
    EXPECT_FALSE(ev.Wait(10));
    platform::CEvent manual(true);
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0)) << "a manual-reset event stays signalled";
}

TEST(Event, StopRequestEndsAnEndlessWait) {
    platform::CEvent ev;
    std::stop_source src;
    std::atomic<int> result{-1};
    std::thread t([&] { result = ev.Wait(src.get_token(), -1) ? 1 : 0; });
    std::this_thread::sleep_for(20ms);
    src.request_stop();
    t.join();
    EXPECT_EQ(result.load(), 0);
}

TEST(Event, TimedWaitTimesOutAndCrossThreadSetWakes) {
    platform::CEvent ev;
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(ev.Wait(30));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, 25ms);
    std::thread t([&] { ev.Set(); });
    EXPECT_TRUE(ev.Wait(5000));
    t.join();
}

TEST(WindowQueue, KeepsOrderAndRemovesSelectedMessages) {
    platform::CWindowQueue q;
    for (uint32_t i = 0; i < 5; ++i) EXPECT_TRUE(PostMessageA(&q, 100 + i % 2, i, -intptr_t(i)));
    EXPECT_FALSE(PostMessageA(nullptr, 1, 0, 0));
    int seen = 0;
    EXPECT_EQ(q.RemoveIf([&](const platform::SMessage& m) { ++seen; return m.nMsg == 101; }), 2);
    EXPECT_EQ(seen, 5);
    platform::SMessage m;
    for (uintptr_t want : {0u, 2u, 4u}) {
        ASSERT_TRUE(q.TryPop(m));
        EXPECT_EQ(m.wParam, want);
        EXPECT_EQ(m.lParam, -intptr_t(want));
    }
    EXPECT_FALSE(q.TryPop(m));
    EXPECT_FALSE(q.WaitPop(m, 10));
}

// Counts the live objects, so a payload that a message fails to free shows.
struct SCounted {
    static inline int nLive = 0;
    SCounted() { ++nLive; }
    ~SCounted() { --nLive; }
};

TEST(WindowQueue, APayloadIsFreedWhetherHandledPurgedOrDropped) {
    const auto post = [](HWND h) { return PostMessageA(h, platform::MakeMessage(7, 0, std::make_unique<SCounted>())); };
    {
        platform::CWindowQueue q;
        ASSERT_TRUE(post(&q) && post(&q) && post(&q));
        EXPECT_FALSE(post(nullptr));
        EXPECT_EQ(SCounted::nLive, 3);
        platform::SMessage m;
        ASSERT_TRUE(q.TryPop(m));
        EXPECT_EQ(m.Payload<int>(), nullptr);
        EXPECT_EQ(m.TakePayload<int>(), nullptr) << "another type is not taken";
        std::unique_ptr<SCounted> pTaken = m.TakePayload<SCounted>();
        EXPECT_TRUE(pTaken && !m.Payload<SCounted>());
        pTaken.reset();
        ASSERT_TRUE(q.TryPop(m));
        EXPECT_EQ(SCounted::nLive, 2) << "handled";
        EXPECT_EQ(q.RemoveIf([](const platform::SMessage&) { return true; }), 1);
        EXPECT_EQ(SCounted::nLive, 1) << "purged";
        ASSERT_TRUE(post(&q));
    }
    EXPECT_EQ(SCounted::nLive, 0) << "dropped with the message and the queue";
}

TEST(PauseGate, HoldsAWorkerUntilOpenedOrStopped) {
    platform::CPauseGate gate;
    std::stop_source src;
    std::atomic<int> passes{0};
    gate.Close();
    std::thread t([&] {
        while (gate.Pass(src.get_token())) {
            ++passes;
            if (passes == 3) gate.Close();
        }
    });
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(passes.load(), 0) << "a closed gate lets nothing through";
    gate.Open();
    for (int i = 0; i < 500 && passes < 3; ++i) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(passes.load(), 3) << "the worker stops at the gate it closed";
    src.request_stop();
    t.join();
}

TEST(Clock, InjectedSourceReplacesTheSteadyClock) {
    uint32_t now = 0xFFFFFFF0u;
    platform::SetTimeSource([&] { return now; });
    EXPECT_EQ(platform::TimeGetTime(), 0xFFFFFFF0u);
    now += 0x20;  // wraps like the original
    EXPECT_EQ(platform::TimeGetTime(), 0x10u);
    platform::SetTimeSource({});
    const uint32_t a = platform::TimeGetTime();
    std::this_thread::sleep_for(5ms);
    EXPECT_GE(uint32_t(platform::TimeGetTime() - a), 4u);
}

TEST(Event, SetThenResetStillReleasesAWaitingThread) {
    // A sender that ends a waiting loop by Set and an immediate Reset must still wake it.
    for (int round = 0; round < 200; ++round) {
        platform::CEvent ev;
        std::atomic<bool> bWoke{false};
        std::thread t([&] { bWoke = ev.Wait(5000); });
        while (ev.WaitingThreads() == 0) std::this_thread::yield();
        ev.Set();
        ev.Reset();
        t.join();
        ASSERT_TRUE(bWoke.load()) << "round " << round;
    }
}

#if defined(__linux__)
TEST(ThreadPriority, OnlyTheCallingThreadIsLowered) {
    const auto tidOf = [] { return static_cast<id_t>(syscall(SYS_gettid)); };
    const int nMine = getpriority(PRIO_PROCESS, tidOf());
    int nWorker = -100, nChild = -100;
    bool bLowered = false;
    std::thread([&] {
        bLowered = platform::LowerThisThreadPriority();
        nWorker = getpriority(PRIO_PROCESS, tidOf());
        // Threads the background thread starts run at its priority too.
        std::thread([&] { nChild = getpriority(PRIO_PROCESS, tidOf()); }).join();
    }).join();
    ASSERT_TRUE(bLowered);
    EXPECT_EQ(std::max(nMine, platform::kBackgroundNice), nWorker);
    EXPECT_EQ(nWorker, nChild);
    EXPECT_EQ(nMine, getpriority(PRIO_PROCESS, tidOf())) << "the calling test thread kept its priority";
}
#endif
