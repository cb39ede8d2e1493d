// The computer-turn thread: the turn ends with the chosen flick started on the simulation
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

#include "ai/kick_ai.h"
#include "core/app_messages.h"
#include "core/game_settings.h"
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
        platform::SetBeepHandler([this](int, int) { ++m_nBeeps; });
        platform::SetLogSink([](const std::string&) {});
        m_settings.BoardType = BOARD_SQUARE, m_settings.m_nLevel = LEVEL_EXPERT;
        m_live = StartDesk(m_settings);
        m_physics = std::make_unique<CKickPhysics>();
        m_physics->SetSettings(&m_settings);
        m_physics->SetDesk(&m_live);
        m_physics->SetWindow(&m_window);
        m_physics->SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_physics->SetSendMessage([](uint32_t, uintptr_t, intptr_t) {});
        m_physics->SetSoundRequest([](int, int) {});
        // The hook holds the object itself: the test may be resetting m_physics meanwhile.
        m_physics->SetTrialHook([this, pPhysics = m_physics.get()] { if (++m_nTrials == m_nPauseAt.load()) pPhysics->SuspendThreads(); });
        m_nTrials = 0;
    }
    void TearDown() override {
        m_physics.reset();
        m_window.RemoveIf([](const platform::SMessage&) { return true; });
        platform::SetBeepHandler({}), platform::SetLogSink({});
    }
    static bool WaitUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 20s;
        while (!done() && std::chrono::steady_clock::now() < end) std::this_thread::sleep_for(1ms);
        return done();
    }
    // Handles the flick's messages as the game window does; true once its playback message came.
    bool DrainFlick() {
        for (platform::SMessage msg; m_window.WaitPop(msg, kFlickTimeoutMs);) {
            if (msg.nMsg == UM_START_PLAYBACK) return true;
            m_physics->OnQueueMotion(msg.TakePayload<CDesk>());
        }
        return false;
    }
    // The move and trial count of a search from the live position, worked out apart; the
    // generator is left at state.
    ai::SCompMove ExpectedMove(uint32_t state, int nSide, int& nTrials, uint32_t& stateAfter) {
        std::atomic<int> nCounted{0};
        const std::function<void()> count = [&] { ++nCounted; };
        ai::STrialControl control;
        control.pBeforeTrial = &count;
        CGameSettings apart(m_settings);
        ai::SCompMove move;
        platform::SetRandState(state);
        EXPECT_TRUE(ai::ComputeCompMove(SPhysicsConstants{}, apart, m_live, nSide, control, 1, move));
        stateAfter = platform::GetRandState(), nTrials = nCounted.load();
        platform::SetRandState(state);
        return move;
    }
    // No draught of before was launched; with a move, its draught only.
    void ExpectLaunched(const CDesk& before, const ai::SCompMove* pMove = nullptr) {
        for (int i = 0; i < kCheckCount; ++i) {
            const CCheck &a = m_live.m_aChecks[i], &b = before.m_aChecks[i];
            const bool bMoved = pMove && i == pMove->nCheck;
            EXPECT_TRUE(bMoved ? a.m_fVx0 == pMove->fVx + pMove->fErrX && a.m_fVy0 == pMove->fVy + pMove->fErrY && a.m_bMoving
                               : a.m_fVx0 == b.m_fVx0 && a.m_fVy0 == b.m_fVy0 && a.m_bMoving == b.m_bMoving) << "draught " << i;
        }
    }

    std::atomic<int> m_nBeeps{0};
    std::atomic<int> m_nTrials{0};
    std::atomic<int> m_nPauseAt{-1};
    CGameSettings m_settings;
    CDesk m_live;
    platform::CWindowQueue m_window;
    std::unique_ptr<CKickPhysics> m_physics;  // last: it stops its threads before the rest goes
};

// A search running or paused, then stopped, ended with the physics, resumed or replaced by
// the next turn: an ended one leaves no trace, a paused one holds where it is.
TEST_F(CompTurnTest, AnEndedSearchLeavesNoTraceAPausedOneHoldsAndGoesOnOrAnew) {
    enum EEnd { Stop, Destroy, Resume, NextTurn };
    const struct {
        bool bPaused;
        EEnd end;
    } cases[] = {{true, Stop}, {false, Stop}, {true, Destroy}, {false, Destroy}, {true, Resume}, {true, NextTurn}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.bPaused ? "paused" : "running") << ", end " << c.end);
        if (&c != cases) SetUp();  // a fresh physics object
        const CDesk before = m_live;
        int nFull;
        uint32_t stateAfter;
        const ai::SCompMove move = ExpectedMove(77u, SIDE_BLACK, nFull, stateAfter);
        m_nTrials = 0;
        m_nPauseAt = c.bPaused ? kPauseAtTrial : -1;  // a pause holds the search so the stop surely lands inside it
        ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
        ASSERT_TRUE(WaitUntil([&] { return m_nTrials.load() >= kPauseAtTrial; }));
        if (c.bPaused) {
            std::this_thread::sleep_for(200ms);  // the other searching thread reaches the gate too
            const int nHeld = m_nTrials.load();
            std::this_thread::sleep_for(200ms);
            EXPECT_TRUE(m_nTrials.load() == nHeld && nHeld <= kPauseAtTrial + kTrialsPastPause) << "a paused search makes no progress";
            EXPECT_EQ(m_window.Size(), 0u);
            ExpectLaunched(before);
        }
        if (c.end >= Resume) {
            const int nHeld = m_nTrials.load();
            if (c.end == Resume) m_physics->ResumeThreads();
            else ASSERT_EQ(m_physics->StartCompTurn(SIDE_BLACK), 1);
            EXPECT_TRUE(DrainFlick()) << "the flick starts once the game goes on";
            EXPECT_EQ(m_nTrials.load(), c.end == Resume ? nFull : nHeld + nFull) << "the search went on where it stopped, or anew";
            EXPECT_EQ(platform::GetRandState(), stateAfter);
            ExpectLaunched(before, &move);
            std::this_thread::sleep_for(100ms);
            EXPECT_EQ(m_window.Size(), 0u) << "one flick only";
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        if (c.end == Destroy) m_physics.reset();
        else m_physics->TerminateThreads();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        const int nTrials = m_nTrials.load();
        EXPECT_TRUE(!c.bPaused || nTrials <= kPauseAtTrial + kTrialsPastPause);
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(m_nTrials.load(), nTrials) << "nothing searches after the stop";
        EXPECT_TRUE(m_window.Size() == 0u && (c.end == Destroy || (!m_physics->HasCompThread() && !m_physics->HasKickThread())));
        if (nTrials >= nFull) continue;
        EXPECT_EQ(platform::GetRandState(), 77u) << "an abandoned search draws nothing";
        ExpectLaunched(before);
    }
    EXPECT_EQ(m_nBeeps.load(), 0);
}

}  // namespace
