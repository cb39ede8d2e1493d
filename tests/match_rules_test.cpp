// Match rules: the pure turn, result and campaign laws, and the referee on a headless game
// window (start of a match, the turn order after flicks, set ends, the computer's turns and a
// whole quick game against the computer played to its result screen).
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
#include "tests/match_probe.h"
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

// ---- The referee on a headless window. ----

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();

const auto* g_env = AddTempProfile("kd_match_rules_test");

class MatchWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenHeadlessGameWnd(m_wnd, kPackDir.string()));
    }
    void TearDown() override { CloseHeadlessGameWnd(m_wnd); }
    CGameSettings& S() { return m_wnd->Settings(); }
    // Takes a side's draughts off the board, as the last flick of a set would.
    void KnockOff(int nSide, int nKeep) {
        int nKept = 0;
        for (CCheck& c : m_wnd->Desk().m_aChecks)
            if (c.m_nSide == nSide && c.m_bOnDesk && nKept++ >= nKeep) c.m_bOnDesk = 0;
    }
    void StartGame(int nPlayers, int nMyWhite, int nTurnType, int nGameMode) {
        S().m_nPlayers = nPlayers;
        S().MyWhite = nMyWhite;
        S().TurnType = nTurnType;
        S().GameMode = nGameMode;
        m_wnd->StartMatch();
        m_wnd->SetScreen(SCREEN_GAME);
    }
    // After a flick: the knocked-off counts the simulation would have written.
    void FinishFlick(int nKnockedWhite, int nKnockedBlack) {
        S().m_nKnockedWhite = nKnockedWhite;
        S().m_nKnockedBlack = nKnockedBlack;
        m_wnd->SendMessage(UM_FLICK_FINISHED, 0, 0);
    }
    // The computer's thread logs too, so lines are read under the capture's lock.
    bool Logged(const std::string& text) { return m_log.Mentions(text); }

    std::unique_ptr<CGameWnd> m_wnd;
    CLogCapture m_log;
};

TEST_F(MatchWndTest, TwoPlayersStartWithWhiteOnWhitesViewAndTakeTheirOwnViewsBack) {
    StartGame(3, 0, TURN_BY_TURN, 0);
    EXPECT_EQ(1, S().MyWhite) << "the first player is always white";
    EXPECT_EQ(1, S().m_bMySideToMove);
    EXPECT_EQ(0, CMatchProbe(m_wnd->Match()).m_bBusy);
    EXPECT_STREQ("whites turn", m_wnd->Match().TurnText());
    EXPECT_DOUBLE_EQ(1.0, m_wnd->GetCamera().ez) << "camera on white's side";
    EXPECT_DOUBLE_EQ(2.2, m_wnd->GetCamera().ey);

    // White turns its camera; after black's flick white finds that view again.
    stCamGeom whiteView = m_wnd->GetCamera();
    whiteView.ex = 0.5;
    m_wnd->SetCamera(whiteView);
    FinishFlick(0, 3);  // BY TURN: even three knocked off pass the move
    EXPECT_EQ(0, S().m_bMySideToMove);
    EXPECT_STREQ("blacks turn", m_wnd->Match().TurnText());
    EXPECT_DOUBLE_EQ(-1.0, m_wnd->GetCamera().ez) << "black's start view";
    FinishFlick(0, 0);
    EXPECT_EQ(1, S().m_bMySideToMove);
    EXPECT_STREQ("whites turn", m_wnd->Match().TurnText());
    EXPECT_DOUBLE_EQ(0.5, m_wnd->GetCamera().ex) << "white's own last view";
    EXPECT_EQ(-1, S().m_nFocus);
}

TEST_F(MatchWndTest, ToAMissKeepsTheMoveOnlyAfterACleanHit) {
    StartGame(3, 1, TURN_TO_A_MISS, 0);
    struct SStep {
        int nKnockedWhite, nKnockedBlack, nMySideToMoveAfter;
        const char* szTextAfter;
    };
    const SStep steps[] = {
        {0, 1, 1, "whites turn"},  // white hits: white again
        {1, 1, 0, "blacks turn"},  // one of each: passes
        {1, 0, 0, "blacks turn"},  // black hits: black again
        {0, 0, 1, "whites turn"},  // black misses
        {0, 0, 0, "blacks turn"},  // white misses
    };
    for (const SStep& st : steps) {
        FinishFlick(st.nKnockedWhite, st.nKnockedBlack);
        EXPECT_EQ(st.nMySideToMoveAfter, S().m_bMySideToMove) << "knocked " << st.nKnockedWhite << "/" << st.nKnockedBlack;
        EXPECT_STREQ(st.szTextAfter, m_wnd->Match().TurnText()) << "knocked " << st.nKnockedWhite << "/" << st.nKnockedBlack;
        EXPECT_EQ(0, CMatchProbe(m_wnd->Match()).m_bBusy);
    }
}

TEST_F(MatchWndTest, AFlickThatEmptiesBothSidesIsADrawAndMovesNoLine) {
    StartGame(3, 1, TURN_BY_TURN, 1);
    S().m_nWhiteShift = 1;
    S().m_nBlackShift = 1;
    KnockOff(SIDE_WHITE, 0);
    KnockOff(SIDE_BLACK, 0);
    FinishFlick(10, 10);
    EXPECT_EQ(SET_DRAW, S().m_nSetResult);
    EXPECT_EQ(SCREEN_SET_OVER, m_wnd->GetScreen());
    EXPECT_EQ(0, S().m_bMatchOver);
    EXPECT_EQ(10, S().m_nLostWhiteTotal);
    EXPECT_EQ(10, S().m_nLostBlackTotal);
    m_wnd->NextSet();
    EXPECT_EQ(1, S().m_nWhiteShift);
    EXPECT_EQ(1, S().m_nBlackShift);
    EXPECT_EQ(SET_RUNNING, S().m_nSetResult);
    EXPECT_EQ(SCREEN_GAME, m_wnd->GetScreen());
    int nWhite = 0, nBlack = 0;
    m_wnd->Desk().CountOnDesk(nWhite, nBlack);
    EXPECT_EQ(10, nWhite);
    EXPECT_EQ(10, nBlack);
    // BY TURN: black starts the second set.
    EXPECT_EQ(0, S().m_bMySideToMove);
    EXPECT_STREQ("blacks turn", m_wnd->Match().TurnText());
}

TEST_F(MatchWndTest, SetEndsShowTheirResultScreens) {
    struct SCase {
        int nMyWhite, nGameMode, nLoser, nWhiteShift, nResult, nScreen, nMatchOver;
    };
    const SCase cases[] = {
        {1, 0, SIDE_BLACK, 0, SET_WON, SCREEN_GAME_OVER, 1},
        {0, 0, SIDE_BLACK, 0, SET_LOST, SCREEN_GAME_OVER, 1},
        {1, 1, SIDE_BLACK, 0, SET_WON, SCREEN_SET_OVER, 0},
        {1, 1, SIDE_BLACK, 3, SET_WON, SCREEN_CAMPAIGN_OVER, 1},  // twelve-sided limit 3
        {1, 1, SIDE_WHITE, 3, SET_LOST, SCREEN_SET_OVER, 0},
    };
    for (const SCase& c : cases) {
        // Two players keep the computer out; MyWhite is then always 1, so set it afterwards.
        StartGame(3, 1, TURN_BY_TURN, c.nGameMode);
        S().MyWhite = c.nMyWhite;
        S().BoardType = BOARD_TWELVE;
        S().m_nWhiteShift = c.nWhiteShift;
        KnockOff(c.nLoser, 0);
        FinishFlick(0, 0);
        EXPECT_EQ(c.nResult, S().m_nSetResult) << "MyWhite " << c.nMyWhite << " mode " << c.nGameMode;
        EXPECT_EQ(c.nScreen, m_wnd->GetScreen()) << "MyWhite " << c.nMyWhite << " mode " << c.nGameMode;
        EXPECT_EQ(c.nMatchOver, S().m_bMatchOver) << "MyWhite " << c.nMyWhite << " mode " << c.nGameMode;
    }
}

TEST_F(MatchWndTest, NextSetWithoutAResultChangesNothing) {
    StartGame(3, 1, TURN_BY_TURN, 1);
    S().m_nWhiteShift = 2;
    m_wnd->NextSet();
    EXPECT_EQ(2, S().m_nWhiteShift);
    EXPECT_TRUE(Logged("Next set asked for with set result 0"));
}

TEST_F(MatchWndTest, TheComputerStartsTwoSecondsAfterItsMatchStartAndNeverForALeftMatch) {
    // Started as black, left after 0.5 s and started again 0.5 s later: as white nothing starts
    // the computer; as black it starts once, about two seconds after the new start.
    for (const int nMyWhite : {1, 0}) {
        StartGame(1, 0, TURN_BY_TURN, 0);
        std::this_thread::sleep_for(500ms);
        m_wnd->StopMatch();
        std::this_thread::sleep_for(500ms);
        StartGame(1, nMyWhite, TURN_BY_TURN, 0);
        EXPECT_EQ(1 - nMyWhite, CMatchProbe(m_wnd->Match()).m_bBusy) << "the player waits only for the computer";
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
        EXPECT_EQ(0, CMatchProbe(m_wnd->Match()).m_bBusy);
    }
}

TEST_F(MatchWndTest, TheComputerStartsTheNextSetAtOnce) {
    // Campaign, TO A MISS: white (the player) loses the set with a flick of black's that hit.
    StartGame(1, 1, TURN_TO_A_MISS, 1);
    KnockOff(SIDE_WHITE, 0);
    S().m_nMoverSide = SIDE_BLACK;
    S().m_bMySideToMove = 0;
    FinishFlick(1, 0);
    ASSERT_EQ(SCREEN_SET_OVER, m_wnd->GetScreen());
    ASSERT_EQ(SET_LOST, S().m_nSetResult);
    m_wnd->NextSet();
    EXPECT_EQ(1, S().m_nBlackShift);
    EXPECT_EQ(SCREEN_GAME, m_wnd->GetScreen());
    EXPECT_EQ(SIDE_BLACK, S().m_nMoverSide);
    EXPECT_EQ(1, CMatchProbe(m_wnd->Match()).m_bBusy);
    EXPECT_EQ(0, S().m_bMySideToMove) << "the computer moves";
    EXPECT_TRUE(m_wnd->Physics().HasCompThread()) << "no two-second delay";
    m_wnd->StopMatch();
}

// A quick game against the computer, played to its end: the player's flicks are chosen by the
// same search the computer uses, every flick runs through the window's messages and playback.
TEST_F(MatchWndTest, AQuickGameAgainstTheComputerEndsOnTheGameOverScreen) {
    std::atomic<uint32_t> clock{0};
    platform::SetTimeSource([&clock] { return clock.fetch_add(40); });  // fast playback
    m_wnd->Physics().SetSearchThreads(1);
    StartGame(1, 1, TURN_BY_TURN, 0);
    S().BoardType = BOARD_TWELVE;
    m_wnd->StartMatch();  // the twelve-sided layout

    constexpr auto kLimit = 120s;
    const auto start = std::chrono::steady_clock::now();
    int nPlayerFlicks = 0, nComputerFlicks = 0;
    bool bWasComputer = false;
    while (m_wnd->GetScreen() == SCREEN_GAME && std::chrono::steady_clock::now() - start < kLimit) {
        if (!CMatchProbe(m_wnd->Match()).m_bBusy && S().m_bMySideToMove) {
            // The player's flick, as an aimed click pair would start it. The computer's thread
            // has ended (its flick was played back); joining it hands its last writes over.
            m_wnd->Physics().TerminateThreads();
            S().m_nMoverSide = SIDE_WHITE;
            CMatchProbe(m_wnd->Match()).m_bBusy = 1;
            ASSERT_EQ(1, m_wnd->Physics().CalcKickAI(SIDE_WHITE, &m_wnd->Desk())) << "player flick " << nPlayerFlicks;
            ++nPlayerFlicks;
        }
        const bool bComputer = m_wnd->Physics().HasCompThread() && !S().m_bMySideToMove;
        if (bComputer && !bWasComputer) ++nComputerFlicks;
        bWasComputer = bComputer;
        m_wnd->StepFrame();
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(SCREEN_GAME_OVER, m_wnd->GetScreen())
        << "no result within " << kLimit.count() << " s; player flicks " << nPlayerFlicks;
    EXPECT_GT(nPlayerFlicks, 0);
    EXPECT_GE(nComputerFlicks + 1, nPlayerFlicks) << "BY TURN: the computer answers every player flick";
    int nWhite = 0, nBlack = 0;
    m_wnd->Desk().CountOnDesk(nWhite, nBlack);
    EXPECT_EQ(SetResultOf(1, nWhite, nBlack), S().m_nSetResult) << nWhite << " white, " << nBlack << " black left";
    EXPECT_EQ(1, S().m_bMatchOver);
    EXPECT_EQ(0, CMatchProbe(m_wnd->Match()).m_bBusy);
    EXPECT_FALSE(m_wnd->Physics().HasCompThread());
}

}  // namespace
