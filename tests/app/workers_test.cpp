// Worker threads: the message-loop worker's life (start, post, stop, restart, failure), and the
// animation worker's timing and the values it posts to the window. The "window" here is a plain
// message queue the test drains with receive times.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <vector>

#include "app/anim_thread.h"
#include "core/app_messages.h"
#include "app/framework/win_messages.h"
#include "app/game_handle.h"
#include "app/msg_thread.h"
#include "platform/beep.h"
#include "platform/event.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous bounds for a shared, sanitised build machine; the laws below hold well inside them.
constexpr auto kArrivalLimit = 3s;
constexpr auto kQuiet = 80ms;

double MsSince(Clock::time_point a, Clock::time_point b = Clock::now()) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

// ---- the message-loop worker ---------------------------------------------------------------

std::mutex g_mutex;
std::vector<std::tuple<uint32_t, uintptr_t, intptr_t, void*>> g_handled;  // what RecordHandler saw

void RecordHandler(const platform::SMessage& msg, void* param) {
    if (msg.nMsg == WM_USER + 2) throw std::runtime_error("handler failure");
    std::lock_guard lock(g_mutex);
    g_handled.emplace_back(msg.nMsg, msg.wParam, msg.lParam, param);
}

// Posts nMsg until the worker refuses it (it has ended) or the arrival limit passes.
bool EndsWithin(CMsgThread& worker, uint32_t nMsg) {
    for (const auto deadline = Clock::now() + kArrivalLimit; worker.Post(nMsg, 0, 0); std::this_thread::sleep_for(1ms))
        if (Clock::now() > deadline) return false;
    return true;
}

TEST(MsgThreadTest, MessagesKeepTheirOrderAcrossStopAndRestartAndAFailureEndsTheWorker) {
    int first = 1, second = 2;
    std::vector<std::pair<int, int>> beeps;
    platform::SetBeepHandler([&](int f, int ms) { beeps.push_back({f, ms}); });
    CMsgThread worker;
    worker.SetHandler(RecordHandler);
    EXPECT_FALSE(worker.Post(WM_USER + 50, 0, 0)) << "nothing takes messages before Start";
    ASSERT_EQ(worker.Start(&first), 1);
    EXPECT_EQ(worker.Start(&second), 0) << "a running worker is not started twice";
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(worker.Post(WM_USER + 50 + i, 10u + i, -i));
    EXPECT_TRUE(worker.Post(WM_QUIT, 0, 0));
    EXPECT_TRUE(EndsWithin(worker, WM_USER + 60)) << "the quit message ends the loop";
    worker.Stop();
    EXPECT_EQ(worker.Start(&second), 0) << "a stopped worker stays started until closed";
    worker.Close();
    ASSERT_EQ(worker.Start(&second), 1) << "closed, it starts again";
    for (uint32_t n : {70, 2, 71}) worker.Post(WM_USER + n, 7, 70);  // the second one throws
    EXPECT_TRUE(EndsWithin(worker, WM_USER + 72)) << "the failed worker still takes messages";
    worker.Stop();
    platform::SetBeepHandler(nullptr);
    EXPECT_EQ(beeps, (std::vector<std::pair<int, int>>{{3000, 3000}}));
    const decltype(g_handled) expected = {{WM_USER + 50, 10, 0, &first}, {WM_USER + 51, 11, -1, &first},
                                          {WM_USER + 52, 12, -2, &first}, {WM_USER + 70, 7, 70, &second}};
    EXPECT_EQ(g_handled, expected) << "in order, not the quit message, nothing after the failure";
}

// ---- the animation worker ---------------------------------------------------------------------

class AnimThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetGameWndHandle(&m_queue);
        m_anim.SetHandler(AnimThreadHandler);
        ASSERT_EQ(m_anim.Start(&m_stopRepeat), 1);
    }
    void TearDown() override {
        m_stopRepeat.Set();
        m_anim.Stop();
        SetGameWndHandle(nullptr);
    }
    // What a sender does before a new hold: end any running loop, then clear the signal.
    void PrepareHold() {
        m_stopRepeat.Set();
        std::this_thread::sleep_for(10ms);
        m_stopRepeat.Reset();
    }
    // Up to `count` messages with their arrival times; with count 0, all that come until the
    // window has been quiet for kQuiet (a loop that never ends stops the drain after a second).
    std::vector<std::pair<platform::SMessage, Clock::time_point>> Receive(size_t count = 0) {
        std::vector<std::pair<platform::SMessage, Clock::time_point>> got;
        const auto deadline = Clock::now() + (count ? kArrivalLimit : 1s);
        platform::SMessage m;
        while ((count == 0 || got.size() < count) && Clock::now() < deadline &&
               m_queue.WaitPop(m, count ? std::max(1, static_cast<int>(-MsSince(deadline))) : int{kQuiet.count()}))
            got.emplace_back(std::move(m), Clock::now());
        return got;
    }

    platform::CWindowQueue m_queue;  // stands in for the game window
    platform::CEvent m_stopRepeat;
    CMsgThread m_anim;
};

TEST_F(AnimThreadTest, ShiftTurnPostsEightStepsTenMillisecondsApart) {
    ASSERT_TRUE(m_anim.Post(UM_TURN_STEP, VK_RIGHT, 0));
    const auto got = Receive(kTurnSteps);
    ASSERT_EQ(got.size(), static_cast<size_t>(kTurnSteps));
    for (intptr_t i = 0; const auto& [m, at] : got)
        EXPECT_EQ(std::tuple(m.nMsg, m.wParam, m.lParam), std::tuple(UM_TURN_STEP, uintptr_t{VK_RIGHT}, i++));
    // The receiver may wake late for the first step on a loaded machine; a poster sleeping
    // even 8 ms would give 56.
    const double span = MsSince(got.front().second, got.back().second);
    EXPECT_GE(span, 7 * kTurnStepIntervalMs - 10.0) << "seven 10 ms gaps between eight steps";
    EXPECT_LT(span, 7 * kTurnStepIntervalMs * 6.0) << "steps far slower than 10 ms apart";
    EXPECT_TRUE(Receive().empty()) << "exactly eight steps";
}

TEST_F(AnimThreadTest, HeldButtonRepeatsItsKeyEveryTwentyMillisecondsUntilReleased) {
    // The hold message, what it posts, and its words (scroll: the screen and the command, passed on).
    const std::tuple<uint32_t, uint32_t, uintptr_t, intptr_t> cases[] = {
        {UM_HOLD_LEFT, UM_CAMERA_KEY, 37, 0},     {UM_HOLD_RIGHT, UM_CAMERA_KEY, 39, 0},
        {UM_HOLD_UP, UM_CAMERA_KEY, 38, 0},       {UM_HOLD_DOWN, UM_CAMERA_KEY, 40, 0},
        {UM_HOLD_ZOOM_IN, UM_CAMERA_KEY, 107, 0}, {UM_HOLD_ZOOM_OUT, UM_CAMERA_KEY, 109, 0},
        {UM_SCROLL, UM_SCROLL, 9, 21},            {UM_SCROLL, UM_SCROLL, 10, 22}};
    constexpr size_t kRepeatsWanted = 4;
    for (const auto& [nHold, nPosted, w, l] : cases) {
        PrepareHold();
        const auto pressed = Clock::now();
        ASSERT_TRUE(m_anim.Post(nHold, nHold == UM_SCROLL ? w : 0, l));
        auto got = Receive(kRepeatsWanted);
        ASSERT_EQ(got.size(), kRepeatsWanted) << nHold;
        EXPECT_LE(kRepeatsWanted * kRepeatIntervalMs, MsSince(pressed) + 2.0) << "every repeat waits 20 ms";
        m_stopRepeat.Set();
        for (auto& r : Receive()) got.push_back(std::move(r));
        EXPECT_LE(got.size(), kRepeatsWanted + 1) << "at most one repeat crosses the release";
        for (const auto& [m, at] : got)
            EXPECT_EQ(std::tuple(m.nMsg, m.wParam, m.lParam), std::tuple(nPosted, w, l)) << nHold;
    }
}

TEST_F(AnimThreadTest, ANewHoldRequestEndsTheRunningLoopWithOrWithoutItsStopSignal) {
    // The game screen's buttons set and reset the stop signal at once; a loop that is posting at
    // that moment misses it. Either way the old key never comes after the new key's first repeat.
    for (bool bSignal : {true, false}) {
        PrepareHold();
        ASSERT_TRUE(m_anim.Post(UM_HOLD_LEFT, 0, 0));
        ASSERT_EQ(Receive(2).size(), 2u);
        if (bSignal) m_stopRepeat.Set(), m_stopRepeat.Reset();
        ASSERT_TRUE(m_anim.Post(UM_HOLD_ZOOM_OUT, 0, 0));
        std::vector<unsigned> keys;
        for (const auto& [m, at] : Receive(15)) keys.push_back(static_cast<unsigned>(m.wParam));
        const auto firstNew = std::find(keys.begin(), keys.end(), unsigned{VK_SUBTRACT});
        EXPECT_LE(firstNew - keys.begin(), 1) << "old repeats after the new request, signal " << bSignal;
        EXPECT_EQ(std::count(firstNew, keys.end(), unsigned{VK_SUBTRACT}), keys.end() - firstNew) << bSignal;
    }
}

TEST_F(AnimThreadTest, StopDuringAHeldLoopReturnsPromptlyAndPostsNoMore) {
    PrepareHold();
    ASSERT_TRUE(m_anim.Post(UM_HOLD_ZOOM_IN, 0, 0));
    ASSERT_EQ(Receive(1).size(), 1u) << "the loop never started";
    auto stopped = std::async(std::launch::async, [this] { m_anim.Stop(); });
    const bool prompt = stopped.wait_for(500ms) == std::future_status::ready;
    if (!prompt) m_stopRepeat.Set();  // let the worker go so the test itself ends
    stopped.wait();
    EXPECT_TRUE(prompt);
    EXPECT_FALSE(m_anim.Post(UM_HOLD_LEFT, 0, 0)) << "the stopped worker still takes messages";
    const size_t atStop = m_queue.Size();
    EXPECT_TRUE(Receive(atStop).size() == atStop && Receive().empty()) << "posts after Stop returned";
}

TEST_F(AnimThreadTest, CameraSwingReachesTheWindowAsThreeOwnedCopiesAndOtherMessagesAreIgnored) {
    const stCamGeom from{0, -5, 3, 11, 12, 13, 14, 15, 16, 17}, to{3, 0.5, 0, 21, 22, 23, 24, 25, 0.26, 0.27};
    for (uint32_t msg : {uint32_t{UM_PLAY_SOUND}, uint32_t{UM_CAMERA_KEY}, WM_USER + 99, uint32_t{UM_CAMERA_GEOM}})
        m_anim.Post(msg, 1, 2);  // a swing request without records included
    ASSERT_TRUE(m_anim.Post(platform::MakeMessage(UM_CAMERA_GEOM, 5, std::make_unique<SCameraSwing>(from, to))));
    const auto got = Receive(kCameraSwingSteps);
    ASSERT_EQ(got.size(), static_cast<size_t>(kCameraSwingSteps));
    for (double k = 1; const auto& [m, at] : got) {  // the target moves a third of the way a step; the last is the record
        const stCamGeom* s = m.Payload<stCamGeom>();
        ASSERT_TRUE(m.nMsg == UM_CAMERA_GEOM && m.wParam == 5 && s != nullptr);
        EXPECT_EQ(std::tuple(s->tx, s->tz, s->ex, s->azimuth), std::tuple(k, 3 - k, 21.0, k == 3 ? 0.26 : 0.0)) << k;
        ++k;
    }
    EXPECT_GE(MsSince(got.front().second, got.back().second), 2 * kCameraStepIntervalMs - 3.0);
    EXPECT_TRUE(Receive().empty());
    // With no window to take them the copies must not leak (the sanitiser build checks).
    SetGameWndHandle(nullptr);
    ASSERT_TRUE(m_anim.Post(platform::MakeMessage(UM_CAMERA_GEOM, 0, std::make_unique<SCameraSwing>(from, to))));
    std::this_thread::sleep_for(100ms);
}

}  // namespace
