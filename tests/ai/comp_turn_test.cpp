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
#include "tests/support/flick_set.h"
#include "tests/support/position_builder.h"

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
        m_physics->SetTrialHook([this, pPhysics = m_physics.get()] {
            if (++m_nTrials == m_nPauseAt.load()) pPhysics->SuspendThreads();
        });
        m_nTrials = 0;
    }
    void TearDown() override {
        m_physics.reset();
        m_window.RemoveIf([](const platform::SMessage&) { return true; });
        platform::SetBeepHandler({});
        platform::SetLogSink({});
    }
    std::vector<std::pair<int, int>> Beeps() {
        std::lock_guard lock(m_mutex);
        return m_beeps;
    }
    static bool WaitUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
        return done();
    }
    // Handles the flick's messages as the game window does, up to its playback message.
    // Returns the number of records, or -1 when no playback message came.
    int DrainFlick(CDesk* pLast = nullptr) {
        int nRecords = 0;
        for (platform::SMessage msg; m_window.WaitPop(msg, kFlickTimeoutMs); ++nRecords) {
            if (msg.nMsg == UM_START_PLAYBACK) return nRecords;
            std::unique_ptr<CDesk> pRecord = msg.TakePayload<CDesk>();
            if (pLast != nullptr) *pLast = *pRecord;
            m_physics->OnQueueMotion(std::move(pRecord));
        }
        return -1;
    }
    // The move and trial count of a search from the live position, worked out apart; the
    // generator is left at state.
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
    // No draught of before was launched; with a move, its draught only.
    void ExpectLaunched(const CDesk& before, const ai::SCompMove* pMove = nullptr) {
        for (int i = 0; i < kCheckCount; ++i) {
            const CCheck &a = m_live.m_aChecks[i], &b = before.m_aChecks[i];
            if (pMove && i == pMove->nCheck)
                EXPECT_TRUE(a.m_fVx0 == pMove->fVx + pMove->fErrX && a.m_fVy0 == pMove->fVy + pMove->fErrY && a.m_bMoving);
            else
                EXPECT_TRUE(a.m_fVx0 == b.m_fVx0 && a.m_fVy0 == b.m_fVy0 && a.m_bMoving == b.m_bMoving) << "draught " << i;
        }
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

// Through the real threads: the turn plays the move the search computed apart, with its
// trials and draws; with no aiming error, its last record shows the draughts where the
// chosen candidate's look-ahead left them.
TEST_F(CompTurnTest, TurnPlaysTheChosenFlickAndAnUnspoiltOneEndsWhereItsLookAheadSaid) {
    int nKnocked = 0, nUnspoilt = 0;
    for (int n = 0; n < 9; ++n) {
        m_settings.BoardType = n % 3;
        m_settings.m_nLevel = n / 3;
        m_settings.TurnType = n % 2;
        m_settings.CheckType = (n / 2) % 3;
        SCOPED_TRACE(testing::Message() << "board " << n % 3 << " level " << n / 3);
        m_live = StartDesk(m_settings);
        const CDesk start = m_live;
        int nTrials = 0;
        uint32_t stateAfter = 0;
        KickCandidateTable table;
        ai::SCompMove move;
        for (uint32_t state = 1; state < 4 && (state == 1 || move.fErrX != 0.0f || move.fErrY != 0.0f); ++state)
            move = ExpectedMove(state, SIDE_WHITE, nTrials, stateAfter, &table);
        m_nTrials = 0;
        ASSERT_EQ(m_physics->StartCompTurn(SIDE_WHITE), 1);
        CDesk last;
        ASSERT_GT(DrainFlick(&last), 0);
        EXPECT_TRUE(m_nTrials.load() == nTrials && platform::GetRandState() == stateAfter);
        ExpectLaunched(start, &move);
        m_physics->TerminateThreads();
        if (move.fErrX != 0.0f || move.fErrY != 0.0f) continue;
        ++nUnspoilt;
        const KickCandidate& chosen = table[move.nRow][move.nCol];
        CDesk look = start;
        CGameSettings lookSettings(m_settings);
        ai::WriteLaunch(look.m_aChecks[move.nCheck], chosen.fVx, chosen.fVy, 0.0f);
        lookSettings.ResetMovers(move.nCheck);
        Simulate(lookSettings, look, move.nCheck, false);
        int nOff[3] = {};
        for (int i = 0; i < kCheckCount; ++i) {
            const CCheck &a = look.m_aChecks[i], &b = last.m_aChecks[i];
            nOff[a.m_nSide] += !a.m_bOnDesk;
            EXPECT_TRUE(a.m_bOnDesk == b.m_bOnDesk && (!a.m_bOnDesk || (a.m_fX == b.m_fX && a.m_fY == b.m_fY))) << i;
        }
        EXPECT_TRUE(nOff[SIDE_WHITE] == chosen.nLostWhite && nOff[SIDE_BLACK] == chosen.nLostBlack);
        nKnocked += nOff[SIDE_BLACK];
    }
    EXPECT_GE(nUnspoilt, 4);
    EXPECT_GT(nKnocked, 0) << "the computer's flicks must hit something";
    EXPECT_TRUE(Beeps().empty());
}

TEST_F(CompTurnTest, AStopOrTheEndOfThePhysicsDuringTheSearchLeavesNoTrace) {
    for (int nCase = 0; nCase < 4; ++nCase) {
        const bool bPaused = nCase % 2 == 0, bDestroy = nCase >= 2;
        SCOPED_TRACE(testing::Message() << (bPaused ? "paused" : "running") << (bDestroy ? ", destroyed" : ", stopped"));
        if (nCase > 0) SetUp();  // a fresh physics object
        const CDesk before = m_live;
        int nFull;
        uint32_t stateAfter;
        ExpectedMove(77u, SIDE_BLACK, nFull, stateAfter);
        m_nTrials = 0;
        m_nPauseAt = bPaused ? kPauseAtTrial : -1;  // a pause holds the search so the stop surely lands inside it
        ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
        ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
        const auto start = std::chrono::steady_clock::now();
        if (bDestroy) m_physics.reset();
        else m_physics->TerminateThreads();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        const int nTrials = m_nTrials.load();
        EXPECT_TRUE(!bPaused || nTrials <= kPauseAtTrial + kTrialsPastPause);
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(m_nTrials.load(), nTrials) << "nothing searches after the stop";
        EXPECT_TRUE(m_window.Size() == 0u && (bDestroy || (!m_physics->HasCompThread() && !m_physics->HasKickThread())));
        if (nTrials >= nFull) continue;
        EXPECT_EQ(platform::GetRandState(), 77u) << "an abandoned search draws nothing";
        ExpectLaunched(before);
    }
    EXPECT_TRUE(Beeps().empty());
}

TEST_F(CompTurnTest, APausedSearchHoldsUntilResumedOrEndedByTheNextTurn) {
    for (bool bResume : {true, false}) {
        SCOPED_TRACE(bResume ? "resumed" : "a second turn");
        if (!bResume) SetUp();
        const CDesk before = m_live;
        int nFull;
        uint32_t stateAfter;
        const ai::SCompMove move = ExpectedMove(91u, SIDE_BLACK, nFull, stateAfter);
        m_nTrials = 0;
        m_nPauseAt = kPauseAtTrial;
        ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
        ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
        std::this_thread::sleep_for(200ms);  // the other searching thread reaches the gate too
        const int nHeld = m_nTrials.load();
        EXPECT_LE(nHeld, kPauseAtTrial + kTrialsPastPause);
        std::this_thread::sleep_for(200ms);
        EXPECT_EQ(m_nTrials.load(), nHeld) << "a paused search makes no progress";
        EXPECT_EQ(m_window.Size(), 0u);
        ExpectLaunched(before);
        if (bResume) m_physics->ResumeThreads();
        else ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
        EXPECT_GT(DrainFlick(), 0) << "the flick starts once the game goes on";
        EXPECT_EQ(m_nTrials.load(), bResume ? nFull : nHeld + nFull) << "the search went on where it stopped, or anew";
        EXPECT_EQ(platform::GetRandState(), stateAfter);
        ExpectLaunched(before, &move);
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(m_window.Size(), 0u) << "one flick only";
    }
}

TEST_F(CompTurnTest, NoOwnDraughtEndsTheTurnWithTheFailureBeeps) {
    m_live = DeskWith(m_settings, {{10, 0.0f, 0.0f, SIDE_WHITE}, {12, 0.2f, 0.3f, SIDE_WHITE}});
    const CDesk before = m_live;
    ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
    ASSERT_TRUE(WaitUntil([&] { return Beeps().size() >= 2; }));
    m_physics->TerminateThreads();
    EXPECT_EQ(Beeps(), (std::vector<std::pair<int, int>>{{3000, 1000}, {3000, 200}}));
    EXPECT_TRUE(m_window.Size() == 0u && !m_physics->HasKickThread());
    ExpectLaunched(before);
}

}  // namespace
