// Whole matches on a headless game window, driven only by what the window gets from a player:
// clicks on the board aimed from the camera, and the result screens' buttons. The computer
// plays with its real threads and the flicks play back on a fast clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "game/match_logic.h"
#include "game/record_check.h"
#include "menus/menu_buttons.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "tests/support/aim_choice.h"
#include "tests/support/headless_game_wnd.h"
#include "tests/support/temp_profile_env.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kMatchLimit = 150s;  // a runaway match fails instead of hanging the suite
constexpr int kMaxSetsPlayed = 12;

const auto* g_env = AddTempProfile("kd_whole_match_test");

class WholeMatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetLogSink([this](const std::string& line) {
            m_nCompTurns += line.find(" --- Comp turn --- ") != std::string::npos;
        });
        // Every query of the time moves it on: the playback runs through its records quickly.
        platform::SetTimeSource([this] { return m_clock.fetch_add(40); });
        const auto packDir = std::filesystem::path(KD_RES_PACK_PATH).parent_path();
        ASSERT_NO_FATAL_FAILURE(OpenHeadlessGameWnd(m_wnd, packDir.string()));
    }
    void TearDown() override { CloseHeadlessGameWnd(m_wnd); }
    CGameSettings& S() { return m_wnd->Settings(); }

    void Click(int x, int y) {
        m_wnd->InjectMouseMove(x, y);
        m_wnd->InjectLButton(true, x, y);
        m_wnd->InjectLButton(false, x, y);
        m_wnd->StepFrame();
    }

    // The player's move: two clicks aimed from the live camera; false when no flick went out.
    bool PlayerFlick() {
        SAimChoice aim;
        if (!ChooseAim(m_wnd->Desk(), S(), MySide(S().MyWhite), m_wnd->GetCamera(), 0.0, 0, 0, aim)) return false;
        Click(aim.x1, aim.y1);
        Click(aim.x2, aim.y2);
        if (!m_wnd->Match().IsBusy()) return false;
        Click(aim.x1, aim.y1);
        EXPECT_EQ(-1, m_wnd->Match().Selected()) << "a click while the flick runs is dropped";
        ++m_nPlayerFlicks;
        return true;
    }

    // Plays until a match end or the set limit; the final screen, or -1 on a time-out.
    int Play() {
        for (const auto start = Clock::now(); Clock::now() - start < kMatchLimit;) {
            const int nScreen = m_wnd->GetScreen();
            if (nScreen == SCREEN_GAME_OVER || nScreen == SCREEN_CAMPAIGN_OVER) return ++m_nSets, nScreen;
            if (nScreen == SCREEN_SET_OVER) {
                if (++m_nSets >= kMaxSetsPlayed) return nScreen;
                m_wnd->SendMessage(UM_MENU_NOTIFY, SCREEN_SET_OVER, CMD_NEXT_SET);
                continue;
            }
            if (nScreen == SCREEN_GAME && !m_wnd->Match().IsBusy() && S().m_bMySideToMove && !PlayerFlick()) {
                ADD_FAILURE() << "the player's flick " << m_nPlayerFlicks << " did not go out";
                return -1;
            }
            m_wnd->StepFrame();
            std::this_thread::sleep_for(200us);
        }
        return -1;
    }

    std::unique_ptr<CGameWnd> m_wnd;
    std::atomic<uint32_t> m_clock{0};
    std::atomic<int> m_nCompTurns = 0;  // counted from whichever thread logs the line
    int m_nPlayerFlicks = 0, m_nSets = 0;
};

// Every board, both turn rules, the player as white and as black, quick games and campaigns:
// each ends on its screen with the result the board shows, and its record plays again.
TEST_F(WholeMatchTest, MatchesEndOnTheirScreenAndTheirRecordPlaysAgain) {
    const struct { int nBoard, nTurnType, nGameMode, nMyWhite; } cases[] = {
        {BOARD_SQUARE, TURN_BY_TURN, 0, 1}, {BOARD_ROUND, TURN_TO_A_MISS, 0, 0},
        {BOARD_TWELVE, TURN_BY_TURN, 0, 0}, {BOARD_TWELVE, TURN_TO_A_MISS, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "board " << c.nBoard << " rule " << c.nTurnType << " mode " << c.nGameMode
                                        << " white " << c.nMyWhite);
        m_nCompTurns = m_nPlayerFlicks = m_nSets = 0;
        S().BoardType = S().CheckType = c.nBoard;
        S().TurnType = c.nTurnType, S().GameMode = c.nGameMode, S().MyWhite = c.nMyWhite;
        m_wnd->SetScreen(SCREEN_LEVEL_SINGLE);
        m_wnd->SendMessage(UM_MENU_NOTIFY, SCREEN_LEVEL_SINGLE, CMD_BEGINNER);
        ASSERT_EQ(SCREEN_GAME, m_wnd->GetScreen());
        const int nFinal = Play();
        ASSERT_NE(-1, nFinal) << "no end within " << kMatchLimit.count() << " s";
        int nWhite = 0, nBlack = 0;
        m_wnd->Desk().CountOnDesk(nWhite, nBlack);
        EXPECT_EQ(SetResultOf(c.nMyWhite, nWhite, nBlack), S().m_nSetResult) << nWhite << "/" << nBlack << " left";
        EXPECT_TRUE(c.nGameMode || nFinal == SCREEN_GAME_OVER) << "a quick game ends on the game-over screen";
        EXPECT_EQ(nFinal != SCREEN_SET_OVER, S().m_bMatchOver != 0);
        EXPECT_GE(S().m_nLostWhiteTotal + S().m_nLostBlackTotal, c.nGameMode * kChecksPerSide * m_nSets) << "campaign totals";
        EXPECT_FALSE(m_wnd->Physics().HasCompThread());
        if (c.nTurnType == TURN_BY_TURN && !c.nGameMode) {
            // Strict alternation: the side that did not start moved as often or once less.
            const int nFirst = c.nMyWhite ? m_nPlayerFlicks : m_nCompTurns.load();
            const int nSecond = c.nMyWhite ? m_nCompTurns.load() : m_nPlayerFlicks;
            EXPECT_TRUE(nFirst == nSecond || nFirst == nSecond + 1) << m_nPlayerFlicks << " / " << m_nCompTurns;
        }
        // The match's file holds every set and plays again to the recorded position after every flick.
        SMatchRecord record;
        std::string path = m_wnd->Recorder().FilePath(), error;
        ASSERT_TRUE(ReadRecordFile(path, ProgramVersion(), record, error)) << error;
        EXPECT_EQ(size_t(m_nSets), record.sets.size());
        int nFlicks = 0;
        EXPECT_TRUE(CheckRecordPlays(record, path, nFlicks, error)) << error;
        EXPECT_GT(nFlicks, m_nPlayerFlicks) << "the computer's flicks are recorded too";
        m_wnd->SendMessage(UM_MENU_NOTIFY, nFinal, CMD_MAIN_MENU);
        EXPECT_EQ(SCREEN_MAIN, m_wnd->GetScreen());
    }
}

}  // namespace
