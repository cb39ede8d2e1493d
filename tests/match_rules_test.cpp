// Match rules: the pure turn, result and campaign laws, and on a headless game window the
// delayed start of the computer's first flick.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "game/layout.h"
#include "game/match_logic.h"
#include "log_capture.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "tests/temp_profile_env.h"
#include "tests/headless_game_wnd.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// ---- Pure laws. ----

TEST(MatchLogicTest, OnlyAHitUnderToAMissKeepsTheMove) {
    struct SCase {
        int nTurnType, nFlickSide, nKnockedWhite, nKnockedBlack;
        bool bKeeps;
    };
    const SCase cases[] = {
        // BY TURN always passes, even after knocking off three.
        {TURN_BY_TURN, SIDE_WHITE, 0, 3, false},
        {TURN_BY_TURN, SIDE_BLACK, 1, 0, false},
        {TURN_BY_TURN, SIDE_WHITE, 0, 0, false},
        // TO A MISS: a clean hit keeps it, one of each or nothing passes it.
        {TURN_TO_A_MISS, SIDE_WHITE, 0, 1, true},
        {TURN_TO_A_MISS, SIDE_WHITE, 0, 3, true},
        {TURN_TO_A_MISS, SIDE_BLACK, 2, 0, true},
        {TURN_TO_A_MISS, SIDE_WHITE, 1, 1, false},
        {TURN_TO_A_MISS, SIDE_BLACK, 1, 1, false},
        {TURN_TO_A_MISS, SIDE_WHITE, 0, 0, false},
        {TURN_TO_A_MISS, SIDE_BLACK, 0, 0, false},
        // Only own draughts lost: a miss.
        {TURN_TO_A_MISS, SIDE_WHITE, 2, 0, false},
        {TURN_TO_A_MISS, SIDE_BLACK, 0, 1, false},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.bKeeps, KeepsMove(c.nTurnType, c.nFlickSide, c.nKnockedWhite, c.nKnockedBlack))
            << "turn type " << c.nTurnType << " side " << c.nFlickSide << " knocked white " << c.nKnockedWhite
            << " black " << c.nKnockedBlack;
}

TEST(MatchLogicTest, SetResultFollowsTheDraughtsLeftFromThePlayersSide) {
    struct SCase {
        int nMyWhite, nWhite, nBlack, nResult, nWinner;
    };
    const SCase cases[] = {
        {1, 3, 2, SET_RUNNING, 0}, {0, 1, 1, SET_RUNNING, 0},
        {1, 2, 0, SET_WON, SIDE_WHITE}, {1, 0, 4, SET_LOST, SIDE_BLACK},
        {0, 0, 1, SET_WON, SIDE_BLACK}, {0, 5, 0, SET_LOST, SIDE_WHITE},
        // Both sides lose their last draughts in the same flick.
        {1, 0, 0, SET_DRAW, 0}, {0, 0, 0, SET_DRAW, 0},
    };
    for (const SCase& c : cases) {
        const int nResult = SetResultOf(c.nMyWhite, c.nWhite, c.nBlack);
        EXPECT_EQ(c.nResult, nResult) << "MyWhite " << c.nMyWhite << " white " << c.nWhite << " black " << c.nBlack;
        EXPECT_EQ(c.nWinner, SetWinner(nResult, c.nMyWhite)) << "result " << nResult << " MyWhite " << c.nMyWhite;
    }
    EXPECT_EQ(0, SetWinner(7, 1)) << "an unknown result has no winner";
}

SCampaignLimits LimitsOf(int nBoard) {
    SCampaignLimits limits{};
    EXPECT_TRUE(GetCampaignLimits(nBoard, limits)) << "board " << nBoard;
    return limits;
}

TEST(MatchLogicTest, SquareCampaignOfStraightWhiteWinsEndsWithTheNinthWin) {
    const SCampaignLimits limits = LimitsOf(BOARD_SQUARE);
    int nWhiteShift = 0, nBlackShift = 0;
    for (int nSet = 1; nSet <= 8; ++nSet) {
        ASSERT_FALSE(IsCampaignWon(limits, nWhiteShift, nBlackShift, 4, 0)) << "set " << nSet;
        AdvanceCampaignLines(limits, SIDE_WHITE, nWhiteShift, nBlackShift);
        EXPECT_EQ(nSet, nWhiteShift) << "after set " << nSet;
        EXPECT_EQ(0, nBlackShift) << "after set " << nSet;
    }
    EXPECT_TRUE(IsCampaignWon(limits, nWhiteShift, nBlackShift, 4, 0)) << "white wins from its limit line";
    EXPECT_FALSE(IsCampaignWon(limits, nWhiteShift, nBlackShift, 0, 4)) << "a lost set on the limit line";
}

TEST(MatchLogicTest, TheLoserIsPushedBackWhereTheLinesWouldMeet) {
    struct SCase {
        int nBoard, nWinner, nWhite, nBlack, nWhiteAfter, nBlackAfter;
    };
    const SCase cases[] = {
        {BOARD_SQUARE, SIDE_WHITE, 5, 3, 6, 2},   // 6 = 9 - 3
        {BOARD_SQUARE, SIDE_WHITE, 4, 3, 5, 3},   // still a line apart
        {BOARD_SQUARE, SIDE_BLACK, 3, 5, 2, 6},
        {BOARD_ROUND, SIDE_WHITE, 3, 3, 4, 2},    // 4 = 7 - 3
        {BOARD_ROUND, SIDE_BLACK, 2, 3, 2, 4},
        {BOARD_TWELVE, SIDE_WHITE, 1, 2, 2, 1},   // 2 = 4 - 2
        {BOARD_TWELVE, SIDE_BLACK, 0, 0, 0, 1},
        {BOARD_SQUARE, 0, 5, 3, 5, 3},            // a draw moves no line
        {BOARD_TWELVE, 0, 1, 2, 1, 2},
    };
    for (const SCase& c : cases) {
        int nWhite = c.nWhite, nBlack = c.nBlack;
        AdvanceCampaignLines(LimitsOf(c.nBoard), c.nWinner, nWhite, nBlack);
        EXPECT_EQ(c.nWhiteAfter, nWhite) << "board " << c.nBoard << " winner " << c.nWinner << " from " << c.nWhite
                                         << "/" << c.nBlack;
        EXPECT_EQ(c.nBlackAfter, nBlack) << "board " << c.nBoard << " winner " << c.nWinner << " from " << c.nWhite
                                         << "/" << c.nBlack;
    }
}

TEST(MatchLogicTest, RoundAndTwelveSidedCampaignsEndFromTheirLimitLines) {
    struct SCase {
        int nBoard, nLimit;
    };
    for (const SCase c : {SCase{BOARD_ROUND, 6}, SCase{BOARD_TWELVE, 3}, SCase{BOARD_SQUARE, 8}}) {
        const SCampaignLimits limits = LimitsOf(c.nBoard);
        EXPECT_FALSE(IsCampaignWon(limits, c.nLimit - 1, 0, 3, 0)) << "board " << c.nBoard;
        EXPECT_TRUE(IsCampaignWon(limits, c.nLimit, 0, 3, 0)) << "board " << c.nBoard;
        EXPECT_FALSE(IsCampaignWon(limits, 0, c.nLimit - 1, 0, 3)) << "board " << c.nBoard;
        EXPECT_TRUE(IsCampaignWon(limits, 0, c.nLimit, 0, 3)) << "board " << c.nBoard;
        // The side on its limit must also have won this set.
        EXPECT_FALSE(IsCampaignWon(limits, c.nLimit, 0, 0, 2)) << "board " << c.nBoard;
        EXPECT_FALSE(IsCampaignWon(limits, c.nLimit, c.nLimit, 0, 0)) << "board " << c.nBoard << " draw";
    }
    SCampaignLimits unknown{};
    EXPECT_FALSE(GetCampaignLimits(3, unknown));
}

TEST(MatchLogicTest, ByTurnCampaignSetsAreStartedByWhiteAndBlackInTurn) {
    int nStarter = SIDE_WHITE;  // the first set
    const int expected[] = {SIDE_BLACK, SIDE_WHITE, SIDE_BLACK, SIDE_WHITE, SIDE_BLACK};
    for (int i = 0; i < 5; ++i) {
        nStarter = ByTurnNextStarter(nStarter);
        EXPECT_EQ(expected[i], nStarter) << "set " << i + 2;
    }
}

TEST(MatchLogicTest, ToAMissTheSideWhoseLastFlickHitStartsTheNextSet) {
    struct SCase {
        int nMover, nResult, nKnockedWhite, nKnockedBlack, nStarter;
    };
    const SCase cases[] = {
        {SIDE_WHITE, SET_WON, 0, 2, SIDE_WHITE}, {SIDE_WHITE, SET_LOST, 1, 0, SIDE_BLACK},
        {SIDE_WHITE, SET_DRAW, 1, 1, SIDE_BLACK}, {SIDE_WHITE, SET_WON, 1, 1, SIDE_BLACK},
        {SIDE_BLACK, SET_LOST, 1, 0, SIDE_BLACK}, {SIDE_BLACK, SET_WON, 0, 1, SIDE_WHITE},
        {SIDE_BLACK, SET_DRAW, 2, 2, SIDE_WHITE},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.nStarter, ToAMissNextStarter(c.nMover, c.nResult, c.nKnockedWhite, c.nKnockedBlack))
            << "mover " << c.nMover << " result " << c.nResult << " knocked " << c.nKnockedWhite << "/"
            << c.nKnockedBlack;
}

// ---- The window's start delay of the computer. ----

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();

const auto* g_env = AddTempProfile("kd_match_rules_test");

class MatchWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenHeadlessGameWnd(m_wnd, kPackDir.string()));
    }
    void TearDown() override { CloseHeadlessGameWnd(m_wnd); }
    CGameSettings& S() { return m_wnd->Settings(); }
    void StartGame(int nPlayers, int nMyWhite, int nTurnType, int nGameMode) {
        S().m_nPlayers = nPlayers;
        S().MyWhite = nMyWhite;
        S().TurnType = nTurnType;
        S().GameMode = nGameMode;
        m_wnd->StartMatch();
        m_wnd->SetScreen(SCREEN_GAME);
    }
    // The computer's thread logs too, so lines are read under the capture's lock.
    bool Logged(const std::string& text) { return m_log.Mentions(text); }

    std::unique_ptr<CGameWnd> m_wnd;
    CLogCapture m_log;
};

TEST_F(MatchWndTest, TheComputerStartsTwoSecondsAfterItsMatchStartAndNeverForALeftMatch) {
    // Started as black, left after 0.5 s and started again 0.5 s later: as white nothing starts
    // the computer; as black it starts once, about two seconds after the new start.
    for (const int nMyWhite : {1, 0}) {
        StartGame(1, 0, TURN_BY_TURN, 0);
        std::this_thread::sleep_for(500ms);
        m_wnd->StopMatch();
        std::this_thread::sleep_for(500ms);
        StartGame(1, nMyWhite, TURN_BY_TURN, 0);
        EXPECT_EQ(nMyWhite == 0, m_wnd->Match().IsBusy()) << "the player waits only for the computer";
        EXPECT_STREQ(nMyWhite ? "You turn" : "Computer turn", m_wnd->Match().TurnText());
        const auto start = std::chrono::steady_clock::now();
        const bool bStarted = m_hTimeoutCompTurnEvent.Wait(kCompTurnDelayMs + 500);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(nMyWhite == 0, bStarted) << "MyWhite " << nMyWhite;
        if (bStarted) {
            EXPECT_GT(waited, 1800ms) << "an old delay started the computer";
            EXPECT_LT(waited, 3000ms);
            EXPECT_FALSE(m_hTimeoutCompTurnEvent.Wait(1000)) << "a second computer start";
            m_hTimeoutCompTurnEvent.Set();  // hand the signal back to the frame's poll
            m_wnd->StepFrame();
            EXPECT_TRUE(Logged("Signal m_hTimeoutCompTurnEvent"));
            EXPECT_EQ(SIDE_WHITE, S().m_nMoverSide);
            EXPECT_TRUE(m_wnd->Physics().HasCompThread());
        }
        m_wnd->StopMatch();
        EXPECT_FALSE(m_wnd->Physics().HasCompThread());
        EXPECT_FALSE(m_wnd->Match().IsBusy());
    }
}

}  // namespace
