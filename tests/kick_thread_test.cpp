// The simulation thread of a real flick as the window sees it: records handed over one by
// one and in order, pause and stop between steps, no trace of an abandoned flick, and a real
// run that ends where the look-ahead of the same flick said it would.
// The test thread plays the window thread: it drains the window queue and calls PlayMotion.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "physics/desk.h"
#include "physics/flick_simulation.h"
#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/window_queue.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kFrameMs = 10;
constexpr int kWaitMs = 30000;  // bound of every wait on the simulation thread (sanitizers are slow)
constexpr int kQuietMs = 50;    // how long "nothing happens" is watched
constexpr int kPollMs = 5;
constexpr int kPerSide = 10;
constexpr int kWhiteFirst = 10;              // black 0-9, white 10-19
constexpr float kColumnSpacing = 0.15f;      // more than a diameter (0.116): nobody starts touching
constexpr float kJitter = 0.015f;            // keeps the gap above a diameter
constexpr float kParkX = 5.0f, kParkY = 5.0f;  // where draughts out of the game are put
constexpr int kComparedFlicks = 207;         // 23 per board and material

// Aborts the run when a guarded call has not returned in time: a hang fails, never blocks.
class CWatchdog {
public:
    CWatchdog(const char* what, int nMs)
        : m_thread([this, what, nMs] {
              std::unique_lock lock(m_mutex);
              if (!m_cv.wait_for(lock, std::chrono::milliseconds(nMs), [this] { return m_bDone; })) {
                  std::fprintf(stderr, "Did not return within %d ms: %s\n", nMs, what);
                  std::abort();
              }
          }) {}
    ~CWatchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_bDone = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDone = false;
    std::thread m_thread;
};

// What a record shows: every draught's place and state, and the knock of the step.
uint64_t Fingerprint(const CDesk& d) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint32_t v) { h = (h ^ v) * 1099511628211ull; };
    for (const CCheck& c : d.m_aChecks) {
        mix(std::bit_cast<uint32_t>(c.m_fX));
        mix(std::bit_cast<uint32_t>(c.m_fY));
        mix(std::bit_cast<uint32_t>(c.m_fHeight));
        mix(uint32_t(c.m_bOnDesk));
        mix(uint32_t(c.m_bMoving));
    }
    mix(uint32_t(d.m_bKnock));
    return h;
}

// The steps of a flick as the simulation produces them, for comparison with the queue.
class CStepLog : public IStepRecorder {
public:
    bool RecordStep(const CDesk& step) override {
        m_steps.push_back(Fingerprint(step));
        return true;
    }
    std::vector<uint64_t> m_steps;
};

// Two rows of ten: black 0-9 at yBlack, white 10-19 at yWhite, each draught moved by up to
// kJitter when a generator is given.
CDesk Rows(CGameSettings& s, float yBlack, float yWhite, std::mt19937* pRng = nullptr) {
    std::uniform_real_distribution<float> jitter(-kJitter, kJitter);
    auto j = [&] { return pRng ? jitter(*pRng) : 0.0f; };
    CDesk d;
    d.SetSettings(&s);
    for (int col = 0; col < kPerSide; ++col) {
        const float x = (float(col) - 4.5f) * kColumnSpacing;
        CCheck black, white;
        black.SetSettings(&s);
        white.SetSettings(&s);
        black.Init(x + j(), yBlack + j(), SIDE_BLACK);
        white.Init(x + j(), yWhite + j(), SIDE_WHITE);
        d.SetCheck(col, black);
        d.SetCheck(kWhiteFirst + col, white);
    }
    return d;
}

void TakeOff(CDesk& d, int i) {
    CCheck c;
    d.GetCheck(i, c);
    c.Init(kParkX + float(i), kParkY, c.m_nSide);
    c.m_bOnDesk = 0;
    d.SetCheck(i, c);
}

void Launch(CDesk& d, CGameSettings& s, int i, float vx, float vy) {
    CCheck c;
    d.GetCheck(i, c);
    const float fSpeed = std::sqrt(vx * vx + vy * vy);
    c.m_fVx0 = vx;
    c.m_fVy0 = vy;
    c.m_fDirX = vx / fSpeed;
    c.m_fDirY = vy / fSpeed;
    c.m_fSpeed = fSpeed;
    c.m_fSlideTime = 0.0f;
    c.m_bMoving = 1;
    d.SetCheck(i, c);
    s.ResetMovers(i);
}

std::string OffSet(const CDesk& d) {
    std::ostringstream out;
    out << "{";
    for (int i = 0; i < kCheckCount; ++i)
        if (!d.m_aChecks[i].m_bOnDesk) out << " " << i;
    out << " }";
    return out.str();
}

// Differences between the end of the real run and the look-ahead's end, one line each.
std::vector<std::string> CompareOutcome(const CDesk& real, const CGameSettings& sReal, const CDesk& look,
                                        const CGameSettings& sLook) {
    std::vector<std::string> diffs;
    if (OffSet(real) != OffSet(look))
        diffs.push_back("off the board: real " + OffSet(real) + ", look-ahead " + OffSet(look));
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& a = real.m_aChecks[i];
        const CCheck& b = look.m_aChecks[i];
        if (!a.m_bOnDesk || !b.m_bOnDesk) continue;
        if (a.m_fX != b.m_fX || a.m_fY != b.m_fY) {
            char line[200];
            std::snprintf(line, sizeof line, "draught %d: real (%.9g, %.9g), look-ahead (%.9g, %.9g)", i,
                          double(a.m_fX), double(a.m_fY), double(b.m_fX), double(b.m_fY));
            diffs.push_back(line);
        }
    }
    if (sReal.m_nKnockedWhite != sLook.m_nKnockedWhite || sReal.m_nKnockedBlack != sLook.m_nKnockedBlack) {
        diffs.push_back("knocked off (white, black): real (" + std::to_string(sReal.m_nKnockedWhite) + ", " +
                        std::to_string(sReal.m_nKnockedBlack) + "), look-ahead (" +
                        std::to_string(sLook.m_nKnockedWhite) + ", " + std::to_string(sLook.m_nKnockedBlack) +
                        ")");
    }
    return diffs;
}

class KickThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetTimeSource([this] { return m_nClock.load(); });
        platform::SetBeepHandler([this](int nFreq, int) {
            ++m_nBeeps;
            m_nLastBeepHz = nFreq;
        });
        platform::SetLogSink([this](const std::string& line) {
            std::lock_guard lock(m_logMutex);
            m_log.push_back(line);
        });
        g_bKickRunning = 0;
        g_bPlaybackStarted = 0;
        m_settings.BoardType = BOARD_TWELVE;
        m_settings.CheckType = CHECK_BONE;
        m_live = Rows(m_settings, 0.3f, -0.3f);
        MakePhysics();
    }
    void TearDown() override {
        {
            CWatchdog dog("destroying the physics", kWaitMs);
            m_pPhysics.reset();
        }
        EXPECT_EQ(m_window.Size(), 0u) << "messages of a flick outlived the physics";
        platform::SetTimeSource({});
        platform::SetBeepHandler({});
        platform::SetLogSink({});
    }

    void MakePhysics() {
        m_pPhysics = std::make_unique<CKickPhysics>();
        CKickPhysics& p = *m_pPhysics;
        p.SetSettings(&m_settings);
        p.SetDesk(&m_live);
        p.SetWindow(&m_window);
        p.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        p.SetSendMessage([this](uint32_t nMsg, uintptr_t, intptr_t) {
            if (nMsg == UM_FLICK_FINISHED) ++m_nFinished;
            else ++m_nStray;
        });
    }
    CKickPhysics& Physics() { return *m_pPhysics; }

    // The window's handlers of the two simulation messages.
    void Dispatch(platform::SMessage& m) {
        switch (m.nMsg) {
            case UM_QUEUE_MOTION: {
                // The simulation waits for each record: nothing else may be queued behind it.
                if (m_window.Size() != 0) ++m_nAheadOfWindow;
                std::unique_ptr<CDesk> pRecord = m.TakePayload<CDesk>();
                m_received.push_back(pRecord ? Fingerprint(*pRecord) : 0);
                Physics().OnQueueMotion(std::move(pRecord));
                break;
            }
            case UM_START_PLAYBACK:
                ++m_nPlaybackMessages;
                Physics().StartPlayback();
                break;
            default:
                ++m_nStray;
                break;
        }
    }
    // Drains the window queue until pred holds; false when kWaitMs passed first.
    bool DrainUntil(const std::function<bool()>& pred) {
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(kWaitMs);
        while (!pred()) {
            if (SteadyClock::now() >= deadline) return false;
            platform::SMessage m;
            if (m_window.WaitPop(m, kPollMs)) Dispatch(m);
        }
        return true;
    }
    // Drains whatever comes for nMs.
    void DrainFor(int nMs) {
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(nMs);
        for (auto now = SteadyClock::now(); now < deadline; now = SteadyClock::now()) {
            const int nLeft = int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count());
            platform::SMessage m;
            if (m_window.WaitPop(m, std::max(nLeft, 1))) Dispatch(m);
        }
    }
    bool DrainUntilPlayback() {
        const int nBefore = m_nPlaybackMessages;
        return DrainUntil([&] { return m_nPlaybackMessages > nBefore; });
    }
    bool DrainUntilRecords(size_t nCount) {
        return DrainUntil([&] { return m_received.size() >= nCount; });
    }
    // Waits until the simulation has posted its next record, and leaves it in the queue.
    bool WaitForPostedRecord() {
        platform::SMessage m;
        if (!m_window.WaitPop(m, kWaitMs)) return false;
        m_window.Post(m.nMsg, m.wParam, m.lParam);
        return m.nMsg == UM_QUEUE_MOTION;
    }
    // Frames exactly 10 ms apart, so every record is shown, until the finish message.
    bool PlayToFinish() {
        const int nBefore = m_nFinished;
        for (int nFrame = 0; nFrame < kMaxFlickPasses + 10 && m_nFinished == nBefore; ++nFrame) {
            m_nClock += kFrameMs;
            Physics().PlayMotion();
        }
        return m_nFinished > nBefore;
    }
    // The same flick from the same start, run on copies without a thread.
    std::vector<uint64_t> StepsOf(const CDesk& start, const CGameSettings& sStart, int i) {
        CDesk d = start;
        CGameSettings s = sStart;
        CStepLog log;
        RunFlick(Physics().Constants(), MakeFlickInput(s), i, d, s.m_aMovers, true, &log);
        return log.m_steps;
    }
    // Launches draught i on a fresh two-row position.
    void FreshFlick(int i, float vx, float vy) {
        m_live = Rows(m_settings, 0.3f, -0.3f);
        Launch(m_live, m_settings, i, vx, vy);
    }
    void StartCounting() {
        m_received.clear();
        m_nAheadOfWindow = 0;
    }

    std::atomic<uint32_t> m_nClock{100000};
    platform::CWindowQueue m_window;  // declared before the physics: it outlives it
    CGameSettings m_settings;
    CDesk m_live;
    std::unique_ptr<CKickPhysics> m_pPhysics;
    std::vector<uint64_t> m_received;  // fingerprints of the records in arrival order
    int m_nAheadOfWindow = 0;
    int m_nPlaybackMessages = 0;
    int m_nFinished = 0;
    int m_nStray = 0;
    std::atomic<int> m_nBeeps{0};
    std::atomic<int> m_nLastBeepHz{0};
    std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

// A straight flick of white 14 into the black row: a few hundred steps with collisions.
constexpr int kFlicked = 14;
constexpr float kFlickVx = 0.1f, kFlickVy = 2.5f;

TEST_F(KickThreadTest, TwoFlicksInARowPlayOnlyTheSecondAfterAnInterruption) {
    enum class EFirst { Finished, TerminatedWhileRecording };
    struct SCase {
        EFirst first;
        int nFinishes;  // finish messages after both flicks
        const char* name;
    } cases[] = {
        {EFirst::Finished, 2, "second flick after the first has been played"},
        {EFirst::TerminatedWhileRecording, 1, "first stopped by TerminateThreads while recording"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        MakePhysics();
        m_nFinished = 0;
        m_nPlaybackMessages = 0;
        FreshFlick(kFlicked, kFlickVx, kFlickVy);
        StartCounting();
        Physics().StartKickThread(kFlicked);
        if (c.first == EFirst::Finished) {
            ASSERT_TRUE(DrainUntilPlayback());
            ASSERT_TRUE(PlayToFinish());
        } else {
            // What a new turn does first: the old flick shares the mover table.
            ASSERT_TRUE(DrainUntilRecords(5));
            Physics().SuspendThreads();
            Physics().StopPlayback();
            {
                CWatchdog dog("TerminateThreads", kWaitMs);
                Physics().TerminateThreads();
            }
            Physics().ClearMotions();
            EXPECT_FALSE(Physics().HasKickThread());
            FreshFlick(kFlicked, kFlickVx, kFlickVy);  // the abandoned flick moved nothing live
        }

        // The second flick, from wherever the first left the live position.
        const int nSecond = 12;
        Launch(m_live, m_settings, nSecond, -0.3f, 1.8f);
        const CDesk start = m_live;
        const CGameSettings sStart = m_settings;
        const std::vector<uint64_t> steps = StepsOf(start, sStart, nSecond);
        StartCounting();
        {
            CWatchdog dog("StartKickThread", kWaitMs);
            Physics().StartKickThread(nSecond);
        }
        ASSERT_TRUE(DrainUntilPlayback());
        EXPECT_EQ(m_received, steps) << "records: " << m_received.size() << ", steps: " << steps.size();
        EXPECT_EQ(Physics().MotionCount(), steps.size()) << "no record of the first flick is left";
        EXPECT_EQ(m_nAheadOfWindow, 0) << "the simulation ran ahead of the window";
        EXPECT_EQ(g_bKickRunning.load(), 1) << "running until the playback ends";
        ASSERT_TRUE(PlayToFinish());
        EXPECT_EQ(g_bKickRunning.load(), 0);
        EXPECT_EQ(Physics().MotionCount(), 0u);
        for (int i = 0; i < 20; ++i) {  // a finished flick finishes once
            m_nClock += kFrameMs;
            Physics().PlayMotion();
        }

        CDesk look = start;
        CGameSettings sLook = sStart;
        KeepFlickOutcome(RunFlick(Physics().Constants(), MakeFlickInput(sLook), nSecond, look, sLook.m_aMovers, false,
                                  nullptr),
                         sLook);
        for (const std::string& d : CompareOutcome(m_live, m_settings, look, sLook)) ADD_FAILURE() << d;
        DrainFor(kQuietMs);
        EXPECT_EQ(m_nFinished, c.nFinishes);
        EXPECT_EQ(m_nPlaybackMessages, c.nFinishes);
        EXPECT_EQ(m_nStray, 0);
        EXPECT_EQ(m_nBeeps.load(), 0);
    }
}

TEST_F(KickThreadTest, APauseHoldsTheSimulationAndResumingLosesNothing) {
    struct SCase {
        size_t nRecordsBeforePause;  // 0: paused before the flick starts
    } cases[] = {{0}, {1}, {5}, {60}};
    for (const SCase& c : cases) {
        SCOPED_TRACE("paused after " + std::to_string(c.nRecordsBeforePause) + " records");
        m_nFinished = 0;
        FreshFlick(kFlicked, kFlickVx, kFlickVy);
        const std::vector<uint64_t> steps = StepsOf(m_live, m_settings, kFlicked);
        ASSERT_GT(steps.size(), c.nRecordsBeforePause + 2);
        StartCounting();
        if (c.nRecordsBeforePause == 0) Physics().SuspendThreads();
        Physics().StartKickThread(kFlicked);
        if (c.nRecordsBeforePause > 0) {
            ASSERT_TRUE(DrainUntilRecords(c.nRecordsBeforePause));
            Physics().SuspendThreads();  // the window stopped draining before this
        }
        // At most the step under way when the gate closed still arrives.
        DrainFor(kQuietMs);
        const size_t nHeld = m_received.size();
        EXPECT_LE(nHeld, c.nRecordsBeforePause + 1);
        DrainFor(kQuietMs);
        EXPECT_EQ(m_received.size(), nHeld) << "records arrived while paused";
        EXPECT_EQ(Physics().MotionCount(), nHeld);
        EXPECT_EQ(m_nPlaybackMessages, 0);

        Physics().ResumeThreads();
        ASSERT_TRUE(DrainUntilPlayback());
        EXPECT_EQ(m_received, steps) << "records: " << m_received.size() << ", steps: " << steps.size();
        EXPECT_EQ(m_nAheadOfWindow, 0);
        ASSERT_TRUE(PlayToFinish());
        EXPECT_EQ(m_nFinished, 1);
        m_nPlaybackMessages = 0;
    }
}

TEST_F(KickThreadTest, TerminatingWhileRecordingLeavesNoRecordNoMessageAndNoPause) {
    struct SCase {
        size_t nRecords;  // drained before the stop
        bool bPaused;     // the game was paused first, as leaving it does
    } cases[] = {{1, false}, {3, true}, {40, false}, {40, true}};
    for (const SCase& c : cases) {
        SCOPED_TRACE("after " + std::to_string(c.nRecords) + " records" + (c.bPaused ? ", paused" : ""));
        m_nFinished = 0;
        m_nPlaybackMessages = 0;
        FreshFlick(kFlicked, kFlickVx, kFlickVy);
        StartCounting();
        Physics().StartKickThread(kFlicked);
        ASSERT_TRUE(DrainUntilRecords(c.nRecords));
        ASSERT_TRUE(WaitForPostedRecord());  // the stop finds a record in the window queue
        if (c.bPaused) Physics().SuspendThreads();
        {
            CWatchdog dog("TerminateThreads", kWaitMs);
            Physics().TerminateThreads();
        }
        EXPECT_FALSE(Physics().HasKickThread());
        EXPECT_EQ(g_bKickRunning.load(), 0);
        EXPECT_EQ(m_window.Size(), 0u) << "a record or the playback message of the old flick is left";
        const size_t nQueued = Physics().MotionCount();
        DrainFor(kQuietMs);
        EXPECT_EQ(m_received.size(), nQueued) << "a record arrived after the stop";
        EXPECT_EQ(m_nPlaybackMessages, 0);
        Physics().ClearMotions();

        // The gate is open again: the next flick runs to its end without ResumeThreads.
        FreshFlick(kFlicked, kFlickVx, kFlickVy);
        const std::vector<uint64_t> steps = StepsOf(m_live, m_settings, kFlicked);
        StartCounting();
        Physics().StartKickThread(kFlicked);
        ASSERT_TRUE(DrainUntilPlayback());
        EXPECT_EQ(m_received.size(), steps.size());
        ASSERT_TRUE(PlayToFinish());
        EXPECT_EQ(m_nFinished, 1);
    }
}

TEST_F(KickThreadTest, TerminateThreadsWithNoThreadOnlyClearsTheRunningFlag) {
    Physics().QueueMotion(std::make_unique<CDesk>());
    Physics().QueueMotion(std::make_unique<CDesk>());
    Physics().StartPlayback();
    m_window.Post(UM_PLAY_SOUND, 3, 0);
    g_bKickRunning = 1;
    Physics().TerminateThreads();
    EXPECT_EQ(g_bKickRunning.load(), 0);
    EXPECT_EQ(Physics().MotionCount(), 2u);
    EXPECT_TRUE(Physics().IsPlaying());
    EXPECT_FALSE(Physics().HasKickThread());
    EXPECT_FALSE(Physics().HasCompThread());
    platform::SMessage m;
    ASSERT_TRUE(m_window.TryPop(m));
    EXPECT_EQ(m.nMsg, uint32_t(UM_PLAY_SOUND));
    EXPECT_EQ(m_window.Size(), 0u);
    EXPECT_EQ(m_nFinished, 0);
}

TEST_F(KickThreadTest, TheRealRunEndsWhereTheLookAheadSaid) {
    std::vector<std::string> failures;
    int nCollisionFlicks = 0, nKnockOffFlicks = 0;
    for (int n = 0; n < kComparedFlicks; ++n) {
        std::mt19937 rng(uint32_t(n) + 1u);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        m_settings.BoardType = n % 3;
        m_settings.CheckType = (n / 3) % 3;
        const float yBlack = 0.15f + 0.25f * unit(rng);
        const float yWhite = -(0.15f + 0.25f * unit(rng));
        m_live = Rows(m_settings, yBlack, yWhite, &rng);
        if (n % 4 == 3)  // a thinner board now and then
            for (int k = 0; k < 6; ++k) TakeOff(m_live, int(rng() % kCheckCount));

        // Flick an own draught roughly at an opponent draught, one flick in five anywhere.
        const bool bWhite = n % 2 == 0;
        std::vector<int> own, opp;
        for (int i = 0; i < kCheckCount; ++i) {
            if (!m_live.m_aChecks[i].m_bOnDesk) continue;
            ((i >= kWhiteFirst) == bWhite ? own : opp).push_back(i);
        }
        if (own.empty() || opp.empty()) continue;
        const int i = own[rng() % own.size()];
        const CCheck& a = m_live.m_aChecks[i];
        const CCheck& t = m_live.m_aChecks[opp[rng() % opp.size()]];
        const float fAim = rng() % 5 == 0 ? 6.2831853f * unit(rng)
                                          : std::atan2(t.m_fY - a.m_fY, t.m_fX - a.m_fX) + 0.4f * (unit(rng) - 0.5f);
        const float fSpeed = 0.6f + 2.9f * unit(rng);
        const float vx = fSpeed * std::cos(fAim), vy = fSpeed * std::sin(fAim);
        Launch(m_live, m_settings, i, vx, vy);

        const CDesk start = m_live;
        const CGameSettings sStart = m_settings;
        CDesk look = start;
        CGameSettings sLook = sStart;
        KeepFlickOutcome(RunFlick(Physics().Constants(), MakeFlickInput(sLook), i, look, sLook.m_aMovers, false, nullptr),
                         sLook);

        m_nFinished = 0;
        StartCounting();
        Physics().StartKickThread(i);
        ASSERT_TRUE(DrainUntilPlayback()) << "flick " << n;
        ASSERT_TRUE(PlayToFinish()) << "flick " << n;

        const std::vector<std::string> diffs = CompareOutcome(m_live, m_settings, look, sLook);
        if (!diffs.empty()) {
            char head[200];
            std::snprintf(head, sizeof head, "flick %d (board %d, material %d, draught %d, v = (%.9g, %.9g)): ",
                          n, m_settings.BoardType, m_settings.CheckType, i, double(vx), double(vy));
            for (const std::string& d : diffs) failures.push_back(head + d);
        }
        int nWhite0, nBlack0, nWhite1, nBlack1;
        start.CountOnDesk(nWhite0, nBlack0);
        m_live.CountOnDesk(nWhite1, nBlack1);
        nKnockOffFlicks += nWhite1 + nBlack1 < nWhite0 + nBlack0;
        int nMoved = 0;
        for (int k = 0; k < kCheckCount; ++k)
            nMoved += k != i && (m_live.m_aChecks[k].m_fX != start.m_aChecks[k].m_fX ||
                                 m_live.m_aChecks[k].m_fY != start.m_aChecks[k].m_fY);
        nCollisionFlicks += nMoved > 0;
    }
    for (const std::string& f : failures) ADD_FAILURE() << f;
    // The set must exercise what it claims to.
    EXPECT_GT(nCollisionFlicks, kComparedFlicks / 2);
    EXPECT_GT(nKnockOffFlicks, kComparedFlicks / 4);
    EXPECT_EQ(m_nBeeps.load(), 0);
    EXPECT_EQ(m_nStray, 0);
    std::printf("%d flicks compared: %d with collisions, %d knocking draughts off, %zu differences\n",
                kComparedFlicks, nCollisionFlicks, nKnockOffFlicks, failures.size());
}

TEST_F(KickThreadTest, DestroyingThePhysicsMidFlickNeitherHangsNorLeaks) {
    enum class EStage { WaitingForTheWindow, Paused, RecordedNotPlayed, Playing };
    struct SCase {
        EStage stage;
        const char* name;
    } cases[] = {
        {EStage::WaitingForTheWindow, "a record posted, the window not draining"},
        {EStage::Paused, "paused while recording"},
        {EStage::RecordedNotPlayed, "recorded, playback message not handled"},
        {EStage::Playing, "in the middle of the playback"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        MakePhysics();
        FreshFlick(kFlicked, kFlickVx, kFlickVy);
        StartCounting();
        Physics().StartKickThread(kFlicked);
        switch (c.stage) {
            case EStage::WaitingForTheWindow:
                ASSERT_TRUE(DrainUntilRecords(10));
                ASSERT_TRUE(WaitForPostedRecord());
                break;
            case EStage::Paused:
                ASSERT_TRUE(DrainUntilRecords(10));
                Physics().SuspendThreads();
                DrainFor(kQuietMs);
                break;
            case EStage::RecordedNotPlayed: {
                // Handle the records only; the playback message stays in the window queue.
                bool bPlaybackWaiting = false;
                const auto deadline = SteadyClock::now() + std::chrono::milliseconds(kWaitMs);
                while (!bPlaybackWaiting && SteadyClock::now() < deadline) {
                    platform::SMessage m;
                    if (!m_window.WaitPop(m, kPollMs)) continue;
                    if (m.nMsg == UM_START_PLAYBACK) {
                        m_window.Post(m.nMsg, m.wParam, m.lParam);
                        bPlaybackWaiting = true;
                    } else {
                        Dispatch(m);
                    }
                }
                ASSERT_TRUE(bPlaybackWaiting);
                EXPECT_GT(Physics().MotionCount(), 100u);
                break;
            }
            case EStage::Playing:
                ASSERT_TRUE(DrainUntilPlayback());
                for (int i = 0; i < 30; ++i) {
                    m_nClock += kFrameMs;
                    Physics().PlayMotion();
                }
                ASSERT_TRUE(Physics().IsPlaying());
                break;
        }
        {
            CWatchdog dog("destroying the physics", kWaitMs);
            m_pPhysics.reset();
        }
        EXPECT_EQ(m_window.Size(), 0u) << "a message of the destroyed flick is left";
        EXPECT_EQ(g_bKickRunning.load(), 0);
    }
    MakePhysics();  // for TearDown
}

}  // namespace
