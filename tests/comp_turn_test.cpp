// The computer-turn thread: the turn ends with the chosen flick played on the simulation
// thread; a stop during the search leaves no trace, a pause holds it where it is, a new
// turn or the end of the physics object ends the old one first. The test drains the
// window queue in the window's place.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "ai/candidate_table.h"
#include "ai/flick_launch.h"
#include "ai/kick_ai.h"
#include "core/app_messages.h"
#include "core/game_settings.h"
#include "physics/flick_simulation.h"
#include "platform/beep.h"
#include "platform/crt_rand.h"
#include "platform/log.h"
#include "platform/window_queue.h"
#include "tests/flick_set.h"
#include "tests/position_builder.h"

namespace {

using namespace std::chrono_literals;

constexpr int kPauseAtTrial = 20;
// Trials that can slip past a pause: the other searching thread may have passed the
// gate just before it closed, and then counts one more before it stops.
constexpr int kTrialsPastPause = 2;
constexpr int kFlickTimeoutMs = 20000;

class CompTurnTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetBeepHandler([this](int nHz, int nMs) {
            std::lock_guard lock(m_mutex);
            m_beeps.emplace_back(nHz, nMs);
        });
        platform::SetLogSink([](const std::string&) {});
        m_settings.BoardType = BOARD_SQUARE;
        m_settings.m_nLevel = LEVEL_EXPERT;
        m_live = StartDesk(m_settings);
        m_physics = std::make_unique<CKickPhysics>();
        m_physics->SetSettings(&m_settings);
        m_physics->SetDesk(&m_live);
        m_physics->SetWindow(&m_window);
        m_physics->SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_physics->SetSendMessage([](uint32_t, uintptr_t, intptr_t) {});
        m_physics->SetSoundRequest([](int, int) {});
        // The hook holds the object itself: the test may be resetting m_physics meanwhile.
        CKickPhysics* pPhysics = m_physics.get();
        m_physics->SetTrialHook([this, pPhysics] {
            if (++m_nTrials == m_nPauseAt.load()) pPhysics->SuspendThreads();
        });
    }
    void TearDown() override {
        m_physics.reset();
        DropMessages();
        platform::SetBeepHandler({});
        platform::SetLogSink({});
    }

    std::vector<std::pair<int, int>> Beeps() {
        std::lock_guard lock(m_mutex);
        return m_beeps;
    }
    static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    // Handles the flick's messages as the game window does, up to its playback message.
    // Returns the number of records, or -1 when no playback message came.
    int DrainFlick(CDesk* pLast = nullptr) {
        int nRecords = 0;
        platform::SMessage msg;
        while (m_window.WaitPop(msg, kFlickTimeoutMs)) {
            if (msg.nMsg == UM_START_PLAYBACK) return nRecords;
            if (msg.nMsg != UM_QUEUE_MOTION) continue;
            std::unique_ptr<CDesk> pRecord = msg.TakePayload<CDesk>();
            if (pLast != nullptr) *pLast = *pRecord;
            m_physics->OnQueueMotion(std::move(pRecord));
            ++nRecords;
        }
        return -1;
    }
    void DropMessages() {
        m_window.RemoveIf([](const platform::SMessage&) { return true; });
    }
    // The move and trial count of a search from the live position, worked out apart.
    ai::SCompMove ExpectedMove(uint32_t state, int nSide, int& nTrials, uint32_t& stateAfter,
                               KickCandidateTable* pTable = nullptr) {
        std::atomic<int> nCounted{0};
        const std::function<void()> count = [&] { ++nCounted; };
        ai::STrialControl control;
        control.pBeforeTrial = &count;
        CGameSettings apart(m_settings);
        ai::SCompMove move;
        platform::SetRandState(state);
        EXPECT_TRUE(ai::ComputeCompMove(SPhysicsConstants{}, apart, m_live, nSide, control, 1, move, pTable));
        stateAfter = platform::GetRandState();
        platform::SetRandState(state);
        nTrials = nCounted.load();
        return move;
    }
    void ExpectLiveUnchanged(const CDesk& before) {
        for (int i = 0; i < kCheckCount; ++i) {
            EXPECT_EQ(m_live.m_aChecks[i].m_fVx0, before.m_aChecks[i].m_fVx0) << "draught " << i;
            EXPECT_EQ(m_live.m_aChecks[i].m_fVy0, before.m_aChecks[i].m_fVy0) << "draught " << i;
            EXPECT_EQ(m_live.m_aChecks[i].m_bMoving, before.m_aChecks[i].m_bMoving) << "draught " << i;
        }
    }
    void ExpectFlickOf(const ai::SCompMove& move) {
        const CCheck& c = m_live.m_aChecks[move.nCheck];
        EXPECT_EQ(c.m_fVx0, move.fVx + move.fErrX);
        EXPECT_EQ(c.m_fVy0, move.fVy + move.fErrY);
        EXPECT_EQ(c.m_bMoving, 1);
    }

    std::mutex m_mutex;
    std::vector<std::pair<int, int>> m_beeps;
    std::atomic<int> m_nTrials{0};
    std::atomic<int> m_nPauseAt{-1};
    CGameSettings m_settings;
    CDesk m_live;
    platform::CWindowQueue m_window;
    std::unique_ptr<CKickPhysics> m_physics;  // last: it stops its threads before the rest goes
};

TEST_F(CompTurnTest, TurnPlaysTheChosenFlickOnTheSimulationThread) {
    for (int nLevel : {int(LEVEL_BEGINNER), int(LEVEL_PRO), int(LEVEL_EXPERT)}) {
        SCOPED_TRACE(testing::Message() << "level " << nLevel);
        m_settings.m_nLevel = nLevel;
        m_live = StartDesk(m_settings);
        int nTrials;
        uint32_t stateAfter;
        const ai::SCompMove move = ExpectedMove(4242u, SIDE_BLACK, nTrials, stateAfter);
        m_nTrials = 0;
        ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
        EXPECT_GT(DrainFlick(), 0);
        EXPECT_EQ(m_nTrials.load(), nTrials);
        EXPECT_EQ(platform::GetRandState(), stateAfter);
        ExpectFlickOf(move);
        m_physics->TerminateThreads();
    }
    EXPECT_TRUE(Beeps().empty());
}

// Through the real threads: with no aiming error, the last record of the played flick
// shows the draughts where the chosen candidate's look-ahead left them.
TEST_F(CompTurnTest, UnspoiltComputerFlickEndsWhereItsLookAheadSaid) {
    int nKnocked = 0;
    for (int n = 0; n < 6; ++n) {
        m_settings.BoardType = n % 3;
        m_settings.m_nLevel = n < 3 ? LEVEL_PRO : LEVEL_EXPERT;
        m_settings.TurnType = n % 2;
        m_settings.CheckType = (n / 2) % 3;
        SCOPED_TRACE(testing::Message() << "board " << n % 3 << " level " << m_settings.m_nLevel);
        m_live = StartDesk(m_settings);
        KickCandidateTable table;
        CGameSettings apart(m_settings);
        ASSERT_TRUE(ai::FillCandidateTable(SPhysicsConstants{}, apart, m_live, SIDE_WHITE, table, {}, 1));
        uint32_t state = 1;
        for (;; ++state) {
            ASSERT_LT(state, 1000u);
            platform::SetRandState(state);
            int r, c;
            float ex, ey;
            ai::ChooseCandidate(table, SIDE_WHITE, r, c);
            ai::DrawAimingError(m_settings.m_nLevel, m_settings.TurnType, ex, ey);
            if (ex == 0.0f && ey == 0.0f) break;
        }
        int nTrials;
        uint32_t stateAfter;
        const ai::SCompMove move = ExpectedMove(state, SIDE_WHITE, nTrials, stateAfter);
        const KickCandidate& chosen = table[move.nRow][move.nCol];
        CDesk look = m_live;
        CGameSettings lookSettings(m_settings);
        ai::WriteLaunch(look.m_aChecks[move.nCheck], chosen.fVx, chosen.fVy, 0.0f);
        lookSettings.ResetMovers(move.nCheck);
        RunFlick(SPhysicsConstants{}, MakeFlickInput(lookSettings), move.nCheck, look, lookSettings.m_aMovers, false,
                 nullptr);

        ASSERT_EQ(m_physics->StartCompTurn(SIDE_WHITE), 1);
        CDesk last;
        ASSERT_GT(DrainFlick(&last), 0);
        int nOffWhite = 0, nOffBlack = 0;
        for (int i = 0; i < kCheckCount; ++i) {
            const CCheck& a = look.m_aChecks[i];
            const CCheck& b = last.m_aChecks[i];
            ASSERT_EQ(a.m_bOnDesk, b.m_bOnDesk) << "draught " << i;
            if (!a.m_bOnDesk) {
                (a.m_nSide == SIDE_WHITE ? nOffWhite : nOffBlack)++;
                continue;
            }
            EXPECT_EQ(a.m_fX, b.m_fX) << "draught " << i;
            EXPECT_EQ(a.m_fY, b.m_fY) << "draught " << i;
        }
        EXPECT_EQ(nOffWhite, chosen.nLostWhite);
        EXPECT_EQ(nOffBlack, chosen.nLostBlack);
        nKnocked += nOffBlack;
        m_physics->TerminateThreads();
    }
    EXPECT_GT(nKnocked, 0) << "the computer's flicks must hit something";
}

TEST_F(CompTurnTest, StopDuringTheSearchLeavesNoTrace) {
    const CDesk before = m_live;
    platform::SetRandState(77u);
    m_nPauseAt = kPauseAtTrial;  // holds the search so the stop surely lands inside it
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
    m_physics->TerminateThreads();
    const int nTrials = m_nTrials.load();
    EXPECT_LE(nTrials, kPauseAtTrial + kTrialsPastPause);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(m_nTrials.load(), nTrials) << "nothing searches after the stop";
    EXPECT_FALSE(m_physics->HasCompThread());
    EXPECT_FALSE(m_physics->HasKickThread());
    EXPECT_EQ(m_window.Size(), 0u);
    EXPECT_TRUE(Beeps().empty());
    EXPECT_EQ(platform::GetRandState(), 77u) << "an abandoned search draws nothing";
    ExpectLiveUnchanged(before);
}

TEST_F(CompTurnTest, StopWhileSearchingFreely) {
    const CDesk before = m_live;
    int nFull;
    uint32_t stateAfter;
    ExpectedMove(78u, SIDE_BLACK, nFull, stateAfter);
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= 50; }));
    m_physics->TerminateThreads();
    EXPECT_EQ(m_window.Size(), 0u) << "nothing of the turn reaches the window";
    EXPECT_FALSE(m_physics->HasKickThread());
    if (m_nTrials.load() < nFull) {
        ExpectLiveUnchanged(before);
        EXPECT_EQ(platform::GetRandState(), 78u);
    }
}

TEST_F(CompTurnTest, PauseHoldsTheSearchUntilResumed) {
    const CDesk before = m_live;
    int nFull;
    uint32_t stateAfter;
    const ai::SCompMove move = ExpectedMove(91u, SIDE_BLACK, nFull, stateAfter);
    m_nPauseAt = kPauseAtTrial;
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
    std::this_thread::sleep_for(200ms);  // the other searching thread reaches the gate too
    const int nHeld = m_nTrials.load();
    EXPECT_LE(nHeld, kPauseAtTrial + kTrialsPastPause);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_nTrials.load(), nHeld) << "a paused search makes no progress";
    EXPECT_EQ(m_window.Size(), 0u);
    ExpectLiveUnchanged(before);

    m_physics->ResumeThreads();
    EXPECT_GT(DrainFlick(), 0) << "the flick starts once the game goes on";
    EXPECT_EQ(m_nTrials.load(), nFull) << "the search went on where it stopped";
    EXPECT_EQ(platform::GetRandState(), stateAfter);
    ExpectFlickOf(move);
    EXPECT_TRUE(Beeps().empty());
}

TEST_F(CompTurnTest, SecondTurnEndsAPausedFirstSearch) {
    int nFull;
    uint32_t stateAfter;
    const ai::SCompMove move = ExpectedMove(5u, SIDE_BLACK, nFull, stateAfter);
    m_nPauseAt = kPauseAtTrial;
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
    std::this_thread::sleep_for(200ms);  // the other searching thread reaches the gate too
    const int nFirst = m_nTrials.load();
    EXPECT_LE(nFirst, kPauseAtTrial + kTrialsPastPause);
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    EXPECT_GT(DrainFlick(), 0);
    EXPECT_EQ(m_nTrials.load(), nFirst + nFull) << "the first search did nothing more";
    EXPECT_EQ(platform::GetRandState(), stateAfter) << "only the second search drew";
    ExpectFlickOf(move);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(m_window.Size(), 0u) << "one flick only";
}

TEST_F(CompTurnTest, SecondTurnEndsTheFirstTurnsFlick) {
    m_settings.m_nLevel = LEVEL_BEGINNER;
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    // The first flick has started: its first record waits for the window.
    ASSERT_TRUE(WaitUntil([&] { return m_window.Size() > 0; }));
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_WHITE), 1);
    int nPlaybacks = 0;
    platform::SMessage msg;
    while (m_window.WaitPop(msg, nPlaybacks == 0 ? kFlickTimeoutMs : 300)) {
        if (msg.nMsg == UM_QUEUE_MOTION) m_physics->OnQueueMotion(msg.TakePayload<CDesk>());
        if (msg.nMsg == UM_START_PLAYBACK) ++nPlaybacks;
    }
    EXPECT_EQ(nPlaybacks, 1) << "the first flick was ended and purged before the second began";
    EXPECT_TRUE(Beeps().empty());
}

TEST_F(CompTurnTest, DestroyingThePhysicsStopsTheSearchFirst) {
    for (bool bPaused : {true, false}) {
        SCOPED_TRACE(bPaused ? "paused search" : "running search");
        m_live = StartDesk(m_settings);
        const CDesk before = m_live;
        m_nTrials = 0;
        m_nPauseAt = bPaused ? kPauseAtTrial : -1;
        ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
        ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
        const auto start = std::chrono::steady_clock::now();
        m_physics.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_EQ(m_window.Size(), 0u);
        if (bPaused) ExpectLiveUnchanged(before);
        SetUp();  // a fresh physics object for the next round
    }
}

TEST_F(CompTurnTest, NoOwnDraughtEndsTheTurnWithTheFailureBeeps) {
    m_live = DeskWith(m_settings, {{10, 0.0f, 0.0f, SIDE_WHITE}, {12, 0.2f, 0.3f, SIDE_WHITE}});
    const CDesk before = m_live;
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    ASSERT_TRUE(WaitUntil([&] { return Beeps().size() >= 2; }));
    const std::vector<std::pair<int, int>> expected = {{3000, 1000}, {3000, 200}};
    m_physics->TerminateThreads();
    EXPECT_EQ(Beeps(), expected);
    EXPECT_EQ(m_window.Size(), 0u);
    EXPECT_FALSE(m_physics->HasKickThread());
    ExpectLiveUnchanged(before);
}

}  // namespace
