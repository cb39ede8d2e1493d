// The simulation thread of a real flick as the window sees it: records handed over one by
// one and in order, pause and stop between steps, and no trace of an abandoned flick.
// The test thread plays the window thread: it drains the window queue and calls PlayMotion.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/app_messages.h"
#include "physics/desk_hash.h"
#include "physics/flick_launch_values.h"
#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/window_queue.h"
#include "tests/support/position_builder.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kFrameMs = 10;
constexpr int kWaitMs = 30000;  // bound of every wait on the simulation thread (sanitizers are slow)
constexpr int kQuietMs = 50;    // how long "nothing happens" is watched

// What a record shows of every draught, and the knock.
uint64_t Fingerprint(const CDesk& d) {
    CFnvHash h;
    for (const CCheck& c : d.m_aChecks)
        for (float f : {float(c.m_bOnDesk), c.m_fX, c.m_fY, c.m_fHeight, float(c.m_bMoving)}) h.Add(f);
    h.Add(d.m_bKnock);
    return h.Value();
}

struct CStepLog : IStepRecorder {
    std::vector<uint64_t> steps;
    bool RecordStep(const CDesk& step) override { return steps.push_back(Fingerprint(step)), true; }
};

// Two rows of ten, more than a diameter apart: black 0-9 at y 0.3, white 10-19 at y -0.3.
CDesk Rows(CGameSettings& s) {
    CDesk d = EmptyDesk(s);
    for (int i = 0; i < kCheckCount; ++i) d.m_aChecks[i].Init(float(i % 10 - 4.5) * 0.15f, i < 10 ? 0.3f : -0.3f, i < 10 ? SIDE_BLACK : SIDE_WHITE);
    return d;
}

class KickThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetTimeSource([this] { return m_nClock.load(); });
        platform::SetBeepHandler([this](int, int) { ++m_nBeeps; });
        platform::SetLogSink([](const std::string&) {});
        g_bKickRunning = g_bPlaybackStarted = 0;
        m_settings.BoardType = BOARD_TWELVE, m_settings.CheckType = CHECK_BONE;
        MakePhysics();
    }
    void TearDown() override {
        m_pPhysics.reset();
        EXPECT_EQ(m_window.Size(), 0u) << "messages of a flick outlived the physics";
        EXPECT_EQ(m_nStray + m_nBeeps.load(), 0);
        platform::SetTimeSource({}), platform::SetBeepHandler({}), platform::SetLogSink({});
    }
    void MakePhysics() {
        m_pPhysics = std::make_unique<CKickPhysics>();
        m_pPhysics->SetSettings(&m_settings);
        m_pPhysics->SetDesk(&m_live);
        m_pPhysics->SetWindow(&m_window);
        m_pPhysics->SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_pPhysics->SetSendMessage([this](uint32_t nMsg, uintptr_t, intptr_t) { (nMsg == UM_FLICK_FINISHED ? m_nFinished : m_nStray)++; });
        m_nFinished = m_nPlaybacks = 0;
    }
    CKickPhysics& Physics() { return *m_pPhysics; }

    // The window's handlers of the two simulation messages.
    void Dispatch(platform::SMessage& m) {
        if (m.nMsg == UM_START_PLAYBACK) {
            ++m_nPlaybacks, Physics().StartPlayback();
        } else if (m.nMsg == UM_QUEUE_MOTION) {
            // The simulation waits for each record: nothing else may be queued behind it.
            m_nAheadOfWindow += m_window.Size() != 0;
            std::unique_ptr<CDesk> pRecord = m.TakePayload<CDesk>();
            m_received.push_back(pRecord ? Fingerprint(*pRecord) : 0);
            Physics().OnQueueMotion(std::move(pRecord));
        } else ++m_nStray;
    }
    // Drains the window queue until pred holds (false when kWaitMs passed first), or for nMs.
    bool DrainUntil(const std::function<bool()>& pred, int nMs = kWaitMs) {
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(nMs);
        for (platform::SMessage m; !pred() && SteadyClock::now() < deadline;)
            if (m_window.WaitPop(m, 1)) Dispatch(m);
        return pred();
    }
    void DrainFor(int nMs) { DrainUntil([] { return false; }, nMs); }
    bool DrainUntilPlayback() { return DrainUntil([&, nBefore = m_nPlaybacks] { return m_nPlaybacks > nBefore; }); }
    // Waits until the simulation has posted its next message, and leaves it in the queue.
    bool WaitForPosted(uint32_t nMsg) {
        platform::SMessage m;
        const bool bPopped = m_window.WaitPop(m, kWaitMs);
        return bPopped && (m_window.Post(m.nMsg, m.wParam, m.lParam), m.nMsg == nMsg);
    }
    // Frames exactly 10 ms apart, so every record is shown, until the finish message.
    bool PlayToFinish() {
        const int nBefore = m_nFinished;
        for (int nFrame = 0; nFrame < kMaxFlickPasses + 10 && m_nFinished == nBefore; ++nFrame)
            m_nClock += kFrameMs, Physics().PlayMotion();
        return m_nFinished > nBefore;
    }
    // Launches draught i on the live position (fresh rows unless bKeep), and returns the
    // steps of the same flick run on copies without a thread.
    std::vector<uint64_t> Flick(int i, float vx, float vy, bool bKeep = false) {
        if (!bKeep) m_live = Rows(m_settings);
        Launch(m_live, m_settings, i, vx, vy);
        CDesk d = m_live;
        CGameSettings s = m_settings;
        CStepLog log;
        Simulate(s, d, i, true, &log);
        m_received.clear(), m_nAheadOfWindow = 0;
        return log.steps;
    }
    std::atomic<uint32_t> m_nClock{100000};
    platform::CWindowQueue m_window;  // declared before the physics: it outlives it
    CGameSettings m_settings;
    CDesk m_live;
    std::unique_ptr<CKickPhysics> m_pPhysics;
    std::vector<uint64_t> m_received;  // fingerprints of the records in arrival order
    int m_nAheadOfWindow = 0, m_nPlaybacks = 0, m_nFinished = 0, m_nStray = 0;
    std::atomic<int> m_nBeeps{0};
};

// A straight flick of white 14 into the black row: a few hundred steps with collisions.
constexpr int kFlicked = 14;
constexpr float kFlickVx = 0.1f, kFlickVy = 2.5f;
constexpr size_t kAll = 100000;  // every record: the playback message waits in the queue

// The first flick is played (paused after some records and resumed), or ended after some
// records (paused first or not) by a stop or by the end of the physics; the second flick then
// plays exactly its own records, in order.
TEST_F(KickThreadTest, AnEndedFlickLeavesNoTraceAndTheNextPlaysItsOwnRecordsInOrder) {
    const struct {
        size_t nRecords;  // drained before the pause or the end
        bool bPaused;
        int nEnd;  // 0: played to its finish, 1: stopped, 2: the physics destroyed
    } cases[] = {{0, false, 0}, {0, true, 0}, {1, true, 0}, {60, true, 0}, {1, false, 1}, {3, true, 1}, {40, false, 1},
                 {40, true, 2}, {10, false, 2}, {kAll, false, 2}, {kAll, false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "after " << c.nRecords << " records" << (c.bPaused ? ", paused" : "")
                                        << ", end " << c.nEnd);
        MakePhysics();
        const std::vector<uint64_t> first = Flick(kFlicked, kFlickVx, kFlickVy);
        const bool bPlayed = c.nEnd == 0;
        if (c.bPaused && c.nRecords == 0) Physics().SuspendThreads();  // paused before the flick starts
        Physics().StartKickThread(kFlicked);
        if (bPlayed) {
            ASSERT_TRUE(DrainUntil([&] { return m_received.size() >= c.nRecords; }));
            if (c.bPaused) {
                Physics().SuspendThreads();  // the window stopped draining before this
                DrainFor(kQuietMs);          // at most the step under way when the gate closed still arrives
                const size_t nHeld = m_received.size();
                DrainFor(kQuietMs);
                EXPECT_LE(nHeld, c.nRecords + 1);
                EXPECT_EQ(m_received.size(), nHeld) << "records arrived while paused";
                Physics().ResumeThreads();
            }
            ASSERT_TRUE(DrainUntilPlayback());
            EXPECT_TRUE(m_received == first && m_nAheadOfWindow == 0) << "resuming lost nothing";
            ASSERT_TRUE(PlayToFinish());
        } else {
            ASSERT_TRUE(DrainUntil([&] { return m_received.size() >= std::min(c.nRecords, first.size()); }));
            // The end finds a record, or the playback message, in the window queue.
            ASSERT_TRUE(WaitForPosted(c.nRecords == kAll ? UM_START_PLAYBACK : UM_QUEUE_MOTION));
            if (c.bPaused) Physics().SuspendThreads();
            c.nEnd == 2 ? m_pPhysics.reset() : Physics().TerminateThreads();
            EXPECT_TRUE(g_bKickRunning == 0 && m_window.Size() == 0u) << "a record or the playback message of the old flick is left";
            if (c.nEnd == 2) MakePhysics();
            const size_t nQueued = Physics().MotionCount();
            DrainFor(kQuietMs);
            EXPECT_TRUE(Physics().MotionCount() == nQueued && m_nPlaybacks == 0 && !Physics().HasKickThread()) << "a record arrived after the end";
            Physics().ClearMotions();
            m_live = Rows(m_settings);  // the abandoned flick moved nothing live
        }
        // The second flick, from wherever the first left the live position; the gate is open.
        const std::vector<uint64_t> steps = Flick(12, -0.3f, 1.8f, true);
        int nCheck = -1;
        Physics().StartKickThread(12);
        SFlickLaunch launch;
        EXPECT_TRUE(Physics().TakeStartedFlick(nCheck, launch) && nCheck == 12);
        EXPECT_FALSE(Physics().TakeStartedFlick(nCheck, launch)) << "a start is taken once";
        ASSERT_TRUE(DrainUntilPlayback());
        EXPECT_TRUE(m_received == steps && Physics().MotionCount() == steps.size()) << "no record of the first flick is left";
        EXPECT_TRUE(m_nAheadOfWindow == 0 && g_bKickRunning == 1) << "one record at a time, running until the playback ends";
        ASSERT_TRUE(PlayToFinish());
        EXPECT_EQ(g_bKickRunning.load(), 0);
        DrainFor(kQuietMs);
        EXPECT_TRUE(m_nFinished == (bPlayed ? 2 : 1) && m_nPlaybacks == m_nFinished);
    }
}

TEST_F(KickThreadTest, NoDraughtStartsNothingButThePlayback) {
    m_live = Rows(m_settings);
    for (int i : {-1, kCheckCount}) {
        int nCheck;
        SFlickLaunch launch;
        Physics().StartKickThread(i);
        EXPECT_FALSE(Physics().TakeStartedFlick(nCheck, launch)) << "draught " << i;
        ASSERT_TRUE(DrainUntilPlayback());
        ASSERT_TRUE(PlayToFinish());
    }
}

}  // namespace
