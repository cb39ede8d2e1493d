// The platform stand-ins: generator sequence, events, the window queue, the pause gate.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/crt_rand.h"
#include "platform/event.h"
#include "platform/pause_gate.h"
#include "platform/window_queue.h"

using namespace std::chrono_literals;

TEST(Rand, FirstValuesFromStateOneFollowTheRecurrence) {
    // state1 = 1*214013+2531011 = 2745024 -> bits 16..30 = 41; then 18467, 6334, 26500, 19169.
    platform::SetRandState(1);
    for (const int expected : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(expected, platform::Rand());
    platform::SetRandState(0xFFFFFFFFu);  // the state wraps in 32 bits
    EXPECT_EQ(int(((0xFFFFFFFFu * 214013u + 2531011u) >> 16) & 0x7FFF), platform::Rand());
    EXPECT_EQ(0xFFFFFFFFu * 214013u + 2531011u, platform::GetRandState());
}

TEST(Event, AutoResetReleasesOneWaitManualStaysSetAndAStopEndsAnEndlessWait) {
    platform::CEvent ev, manual(true);
    ev.Set();
    EXPECT_TRUE(ev.Wait(0));
    EXPECT_FALSE(ev.Wait(0)) << "an auto-reset event resets after one wait";
    manual.Set();
    EXPECT_TRUE(manual.Wait(0) && manual.Wait(0)) << "a manual-reset event stays signalled";
    std::stop_source src;
    std::thread t([&] { EXPECT_FALSE(ev.Wait(src.get_token(), -1)); });
    std::this_thread::sleep_for(20ms);
    src.request_stop();
    t.join();
    // A sender that ends a waiting loop by Set and an immediate Reset must still wake it.
    for (int round = 0; round < 200; ++round) {
        platform::CEvent e;
        std::atomic<bool> bWoke{false};
        std::thread w([&] { bWoke = e.Wait(5000); });
        while (e.WaitingThreads() == 0) std::this_thread::yield();
        e.Set();
        e.Reset();
        w.join();
        ASSERT_TRUE(bWoke.load()) << "round " << round;
    }
}

// Counts the live objects, so a payload that a message fails to free shows.
struct SCounted {
    static inline int nLive = 0;
    SCounted() { ++nLive; }
    ~SCounted() { --nLive; }
};

TEST(WindowQueue, KeepsOrderRemovesSelectedMessagesAndFreesEveryPayload) {
    {
        platform::CWindowQueue q;
        for (uint32_t i = 0; i < 5; ++i)
            EXPECT_TRUE(PostMessageA(&q, platform::MakeMessage(100 + i % 2, i, std::make_unique<SCounted>())));
        EXPECT_FALSE(PostMessageA(nullptr, platform::MakeMessage(7, 0, std::make_unique<SCounted>())));
        EXPECT_EQ(5, SCounted::nLive) << "a message that could not be posted frees its payload";
        EXPECT_EQ(2, q.RemoveIf([](const platform::SMessage& m) { return m.nMsg == 101; }));
        EXPECT_EQ(3, SCounted::nLive) << "purged";
        platform::SMessage m;
        ASSERT_TRUE(q.TryPop(m));
        EXPECT_EQ(0u, m.wParam);
        EXPECT_EQ(nullptr, m.TakePayload<int>()) << "another type is not taken";
        EXPECT_TRUE(m.TakePayload<SCounted>() && !m.Payload<SCounted>());
        EXPECT_EQ(2, SCounted::nLive) << "taken and freed";
        ASSERT_TRUE(q.TryPop(m));
        EXPECT_EQ(2u, m.wParam);
    }
    EXPECT_EQ(0, SCounted::nLive) << "dropped with the message and the queue";
}

TEST(PauseGate, HoldsAWorkerUntilOpenedOrStopped) {
    platform::CPauseGate gate;
    std::stop_source src;
    std::atomic<int> passes{0};
    gate.Close();
    std::thread t([&] {
        while (gate.Pass(src.get_token()))
            if (++passes == 3) gate.Close();
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
