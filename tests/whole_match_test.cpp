// Whole matches on a headless game window, driven only by what the window gets from a player:
// clicks on the board aimed from the camera, and the result screens' buttons. The computer
// plays with its real threads and the flicks play back on a fast clock. Every board, both turn
// rules, the player as white and as black, quick games and campaigns.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "game/layout.h"
#include "game/record_check.h"
#include "game/match_logic.h"
#include "menus/menu_buttons.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "tests/aim_choice.h"
#include "tests/temp_profile_env.h"
#include "tests/headless_game_wnd.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();
constexpr int kLevelBeginner = 0;
constexpr auto kMatchLimit = 150s;  // a runaway match fails instead of hanging the suite
constexpr int kMaxSetsPlayed = 12;

const auto* g_env = AddTempProfile("kd_whole_match_test");

struct SMatchCase {
    int nBoard, nTurnType, nGameMode, nMyWhite;
};

std::string Describe(const SMatchCase& c) {
    return "board " + std::to_string(c.nBoard) + (c.nTurnType == TURN_TO_A_MISS ? ", TO A MISS" : ", BY TURN") +
           (c.nGameMode ? ", campaign" : ", quick game") + (c.nMyWhite ? ", player white" : ", player black");
}

// What one played match showed.
struct SPlayed {
    int nPlayerFlicks = 0, nComputerTurns = 0, nSets = 0;
    int nFinalScreen = -1;
    std::vector<int> setResults;
    bool bTimedOut = false;
};

class WholeMatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetLogSink([this](const std::string& line) {
            if (line.find(" --- Comp turn --- ") != std::string::npos) ++m_nCompTurnLines;
            if (line.find(" --- Player turn --- ") != std::string::npos) ++m_nPlayerTurnLines;
        });
        // Every query of the time moves it on: the playback runs through its records quickly.
        platform::SetTimeSource([this] { return m_clock.fetch_add(40); });
        ASSERT_NO_FATAL_FAILURE(OpenHeadlessGameWnd(m_wnd, kPackDir.string()));
    }
    void TearDown() override { CloseHeadlessGameWnd(m_wnd); }
    CGameSettings& S() { return m_wnd->Settings(); }

    // The level screen's button: players, then the match, then the level.
    void StartFromLevelScreen(const SMatchCase& c) {
        S().BoardType = c.nBoard;
        S().TurnType = c.nTurnType;
        S().GameMode = c.nGameMode;
        S().MyWhite = c.nMyWhite;
        S().CheckType = c.nBoard;  // each board with another material
        m_wnd->SetScreen(SCREEN_LEVEL_SINGLE);
        m_wnd->SendMessage(UM_MENU_NOTIFY, SCREEN_LEVEL_SINGLE, CMD_BEGINNER);
    }

    void Click(int x, int y) {
        m_wnd->InjectMouseMove(x, y);
        m_wnd->InjectLButton(true, x, y);
        m_wnd->InjectLButton(false, x, y);
        m_wnd->StepFrame();
    }

    // The player's move: two clicks aimed from the live camera. Returns false when the window
    // did not take the flick.
    bool PlayerFlick(SPlayed& r) {
        SAimChoice aim;
        const int nSide = MySide(S().MyWhite);
        if (!ChooseAim(m_wnd->Desk(), S(), nSide, m_wnd->GetCamera(), 0.0, 0, 0, aim)) {
            ADD_FAILURE() << "no own draught can be aimed at flick " << r.nPlayerFlicks;
            return false;
        }
        const int nBefore = m_nPlayerTurnLines;
        Click(aim.x1, aim.y1);
        EXPECT_EQ(aim.nOwn, m_wnd->Match().Selected()) << "the first click picks draught " << aim.nOwn;
        Click(aim.x2, aim.y2);
        if (m_nPlayerTurnLines != nBefore + 1 || !m_wnd->Match().IsBusy()) {
            ADD_FAILURE() << "the second click (" << aim.x2 << ", " << aim.y2 << ") released no flick";
            return false;
        }
        Click(aim.x1, aim.y1);
        EXPECT_EQ(-1, m_wnd->Match().Selected()) << "a click while the flick runs is dropped";
        ++r.nPlayerFlicks;
        return true;
    }

    SPlayed Play(const SMatchCase& c) {
        SPlayed r;
        StartFromLevelScreen(c);
        EXPECT_EQ(kLevelBeginner, S().m_nLevel);
        EXPECT_EQ(SCREEN_GAME, m_wnd->GetScreen());
        const auto start = Clock::now();
        while (Clock::now() - start < kMatchLimit) {
            const int nScreen = m_wnd->GetScreen();
            if (nScreen == SCREEN_GAME_OVER || nScreen == SCREEN_CAMPAIGN_OVER) {
                r.nFinalScreen = nScreen;
                ++r.nSets;
                r.setResults.push_back(S().m_nSetResult);
                break;
            }
            if (nScreen == SCREEN_SET_OVER) {
                ++r.nSets;
                r.setResults.push_back(S().m_nSetResult);
                if (r.nSets >= kMaxSetsPlayed) {
                    r.nFinalScreen = nScreen;
                    break;
                }
                m_wnd->SendMessage(UM_MENU_NOTIFY, SCREEN_SET_OVER, CMD_NEXT_SET);  // "next set"
                continue;
            }
            if (nScreen == SCREEN_GAME && !m_wnd->Match().IsBusy() && S().m_bMySideToMove && !PlayerFlick(r)) break;
            m_wnd->StepFrame();
            std::this_thread::sleep_for(200us);
        }
        r.bTimedOut = r.nFinalScreen < 0 && Clock::now() - start >= kMatchLimit;
        r.nComputerTurns = m_nCompTurnLines;
        return r;
    }

    // The match's file in the replays folder plays again through the simulation to the recorded
    // position after every flick, and holds every set and every flick of the player.
    void ExpectRecordPlaysAgain(const SPlayed& r) {
        const std::string path = m_wnd->Recorder().FilePath();
        SMatchRecord record;
        std::string error;
        ASSERT_TRUE(ReadRecordFile(path, ProgramVersion(), record, error)) << error;
        EXPECT_EQ(RecordSettingsOf(S()), record.settings);
        ASSERT_EQ(size_t(r.nSets), record.sets.size());
        int nPlayerFlicks = 0, nFlicks = 0;
        for (const SRecordSet& set : record.sets)
            for (const SRecordFlick& f : set.flicks) nPlayerFlicks += f.nSide == MySide(S().MyWhite);
        EXPECT_EQ(r.nPlayerFlicks, nPlayerFlicks);
        EXPECT_TRUE(CheckRecordPlays(record, path, nFlicks, error)) << error;
        EXPECT_GT(nFlicks, r.nPlayerFlicks) << "the computer's flicks are recorded too";
        // A record that went elsewhere is caught at its flick.
        SRecordFlick& last = record.sets.back().flicks.back();
        last.nHash ^= 1;
        EXPECT_FALSE(CheckRecordPlays(record, path, nFlicks, error));
        EXPECT_EQ(path + ":" + std::to_string(last.nLine) + ": the flick ends at position", error.substr(0, error.find(" 0x")));
    }

    std::unique_ptr<CGameWnd> m_wnd;
    std::atomic<uint32_t> m_clock{0};
    // Counted from whichever thread logs the line.
    std::atomic<int> m_nCompTurnLines = 0, m_nPlayerTurnLines = 0;
};

TEST_F(WholeMatchTest, QuickGamesOnEveryBoardByBothRulesFromBothSidesEndOnTheGameOverScreen) {
    for (int nBoard : {BOARD_SQUARE, BOARD_ROUND, BOARD_TWELVE}) {
        for (int nTurnType : {TURN_BY_TURN, TURN_TO_A_MISS}) {
            for (int nMyWhite : {1, 0}) {
                const SMatchCase c{nBoard, nTurnType, 0, nMyWhite};
                SCOPED_TRACE(Describe(c));
                m_nCompTurnLines = m_nPlayerTurnLines = 0;
                const SPlayed r = Play(c);
                ASSERT_FALSE(r.bTimedOut) << "the match did not end within " << kMatchLimit.count() << " s";
                ASSERT_EQ(SCREEN_GAME_OVER, r.nFinalScreen);
                int nWhite = 0, nBlack = 0;
                m_wnd->Desk().CountOnDesk(nWhite, nBlack);
                EXPECT_EQ(SetResultOf(nMyWhite, nWhite, nBlack), S().m_nSetResult)
                    << nWhite << " white and " << nBlack << " black left";
                EXPECT_EQ(1, S().m_bMatchOver);
                EXPECT_FALSE(m_wnd->Match().IsBusy()) << "a finished match holds no clicks";
                EXPECT_FALSE(m_wnd->Physics().HasCompThread());
                EXPECT_GT(r.nComputerTurns, 0) << "the computer never moved";
                ExpectRecordPlaysAgain(r);
                if (nTurnType == TURN_BY_TURN) {
                    // Strict alternation: the side that did not start moved as often or once less.
                    const int nFirst = nMyWhite ? r.nPlayerFlicks : r.nComputerTurns;
                    const int nSecond = nMyWhite ? r.nComputerTurns : r.nPlayerFlicks;
                    EXPECT_TRUE(nFirst == nSecond || nFirst == nSecond + 1)
                        << "player flicks " << r.nPlayerFlicks << ", computer turns " << r.nComputerTurns;
                }
                m_wnd->SendMessage(UM_MENU_NOTIFY, SCREEN_GAME_OVER, CMD_MAIN_MENU);
                EXPECT_EQ(SCREEN_MAIN, m_wnd->GetScreen());
            }
        }
    }
}

TEST_F(WholeMatchTest, CampaignsOnEveryBoardGoFromSetToSetUntilOneSideWins) {
    for (int nBoard : {BOARD_SQUARE, BOARD_ROUND, BOARD_TWELVE}) {
        const SMatchCase c{nBoard, nBoard == BOARD_ROUND ? TURN_TO_A_MISS : TURN_BY_TURN, 1, nBoard != BOARD_ROUND};
        SCOPED_TRACE(Describe(c));
        m_nCompTurnLines = m_nPlayerTurnLines = 0;
        const SPlayed r = Play(c);
        ASSERT_FALSE(r.bTimedOut) << "no campaign end or set limit within " << kMatchLimit.count() << " s";
        ASSERT_GE(r.nSets, 1);
        std::printf("%s: %d sets, %s, %d player flicks, %d computer turns\n", Describe(c).c_str(), r.nSets,
                    r.nFinalScreen == SCREEN_CAMPAIGN_OVER ? "campaign over" : "set limit", r.nPlayerFlicks,
                    r.nComputerTurns);
        for (size_t i = 0; i < r.setResults.size(); ++i)
            EXPECT_TRUE(r.setResults[i] >= SET_WON && r.setResults[i] <= SET_DRAW)
                << "set " << i + 1 << " result " << r.setResults[i];
        SCampaignLimits limits{};
        ASSERT_TRUE(GetCampaignLimits(nBoard, limits));
        if (r.nFinalScreen == SCREEN_CAMPAIGN_OVER) {
            EXPECT_EQ(1, S().m_bMatchOver);
            // Decided only by a side that stood on its limit line and won the last set.
            const int nWinner = SetWinner(r.setResults.back(), c.nMyWhite);
            ASSERT_NE(0, nWinner) << "a draw does not end a campaign";
            const int nShift = nWinner == SIDE_WHITE ? S().m_nWhiteShift : S().m_nBlackShift;
            EXPECT_TRUE(IsCampaignWon(limits, S().m_nWhiteShift, S().m_nBlackShift,
                                      nWinner == SIDE_WHITE ? 1 : 0, nWinner == SIDE_BLACK ? 1 : 0))
                << "winner's line " << nShift;
        } else {
            EXPECT_EQ(SCREEN_SET_OVER, r.nFinalScreen);
            EXPECT_EQ(kMaxSetsPlayed, r.nSets);
            EXPECT_EQ(0, S().m_bMatchOver);
        }
        ExpectRecordPlaysAgain(r);
        // The draughts lost in every set are summed up.
        EXPECT_GE(S().m_nLostWhiteTotal + S().m_nLostBlackTotal, kChecksPerSide * r.nSets)
            << "every set ends with one side's ten draughts off the board";
        m_wnd->SendMessage(UM_MENU_NOTIFY, r.nFinalScreen, CMD_MAIN_MENU);
    }
}

}  // namespace
