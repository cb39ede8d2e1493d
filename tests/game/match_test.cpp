// The pure laws of a match (who keeps the move, set results, campaign lines, set starters), then
// a match without a window: a recording host, the real physics and the real layouts. Match and
// set starts, the turn order of both rules against the computer and between two players, set and
// campaign ends, a resumed campaign and a second match in the same run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "core/gl_object.h"
#include "core/win_messages.h"
#include "game/campaign_state.h"
#include "game/layout.h"
#include "game/match.h"
#include "game/match_logic.h"
#include "game/replay_recorder.h"
#include "tests/support/log_capture.h"
#include "physics/desk_hash.h"
#include "physics/kick_physics.h"
#include "platform/window_queue.h"

namespace {

constexpr int kOne = 1, kTwo = 3;  // m_nPlayers

class CFakeHost final : public IMatchHost {
public:
    void PlayRefusal() override {}
    void ShowScreen(EMatchScreen e) override { screen = e; }
    bool IsGameScreenShown() const override { return screen == EMatchScreen::Game; }
    void EnableGameControls(bool) override {}
    void ShowSight(bool) override {}
    void ShowSystemCursor(bool) override {}
    void OnMatchStarting() override {}
    void OnMatchStopped() override {}
    void OnFlickClicked() override {}
    stCamGeom& Camera() override { return cam; }
    void ResetCamera() override { cam = DefaultCamera(); }
    float CameraStep() const override { return kCameraZoomStep; }
    void UpdateView() override {}
    void RotateCamera(bool) override {}
    bool SwingCamera(const stCamGeom&, const stCamGeom&) override { return true; }
    void StartTurnStep(unsigned) override {}
    bool BoardPointAt(long, float[3]) override { return false; }
    bool ScenePointAt(long, float[3]) override { return false; }
    bool IsShiftDown() const override { return false; }
    void PressGameButton(unsigned) override {}
    void PauseGame() override {}
    void ScheduleComputerStart() override { bStartPending = ++nScheduled > 0; }
    void CancelComputerStart() override { bStartPending = false; }
    void StopCameraRepeat() override {}
    void FinishFlickNow() override { finishFlick(); }
    const CGLObject& CheckModel(bool bWhite, int) const override { return bWhite ? white : black; }

    stCamGeom cam = DefaultCamera();
    EMatchScreen screen = EMatchScreen::Game;
    bool bStartPending = false;
    int nScheduled = 0;
    std::function<void()> finishFlick;
    CGLObject white, black;
};

class MatchTest : public ::testing::Test {
protected:
    MatchTest() {
        m_desk.SetSettings(&m_s);
        m_physics.SetSettings(&m_s);
        m_physics.SetDesk(&m_desk);
        m_physics.SetWindow(&m_queue);
        m_physics.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_host.finishFlick = [this] { m_match.OnFlickFinished(); };
        m_match.SetRecorder(&m_recorder);
        m_s.BoardType = BOARD_TWELVE;
        m_s.CheckType = CHECK_BONE;
    }
    ~MatchTest() override {
        m_physics.TerminateThreads();
        m_queue.RemoveIf([](const platform::SMessage&) { return true; });
        RemoveCampaignState(m_keptPath);
    }
    // The campaign set the recorder keeps in its file now.
    SCampaignSet Kept() {
        SCampaignSet set;
        EXPECT_TRUE(ReadCampaignState(m_keptPath, set));
        return set;
    }
    void Start(int nPlayers, int nMyWhite, int nTurnType = TURN_BY_TURN, int nGameMode = 0) {
        m_physics.TerminateThreads();
        m_s.m_nPlayers = nPlayers, m_s.MyWhite = nMyWhite, m_s.TurnType = nTurnType, m_s.GameMode = nGameMode;
        m_match.StartMatch();
    }
    // The end of a flick with the knocked-off counts the simulation would have written.
    void Finish(int nKnockedWhite, int nKnockedBlack) {
        m_s.m_nKnockedWhite = nKnockedWhite, m_s.m_nKnockedBlack = nKnockedBlack;
        m_match.OnFlickFinished();
    }
    // Takes a side's draughts off the board but the first nKeep.
    void KnockOff(int nSide, int nKeep = 0) {
        int nKept = 0;
        for (CCheck& c : m_desk.m_aChecks)
            if (c.m_nSide == nSide && c.m_bOnDesk && nKept++ >= nKeep) c.m_bOnDesk = 0;
    }

    CLogCapture m_log;  // also keeps the match's lines out of the test output
    CGameSettings m_s;
    CDesk m_desk;
    platform::CWindowQueue m_queue;
    CKickPhysics m_physics;
    CFakeHost m_host;
    CMatch m_match{m_host, m_s, m_desk, m_physics};
    // One file per process: ctest runs the cases of this suite side by side.
    const std::string m_keptPath = testing::TempDir() + "match_test." + std::to_string(getpid()) + ".state";
    CReplayRecorder m_recorder{"", m_keptPath};
};

// ---- The pure laws. ----

TEST(MatchLogicTest, OnlyACleanHitUnderToAMissKeepsTheMoveAndStartsTheNextSet) {
    const struct { int nTurnType, nSide, nWhite, nBlack; bool bKeeps; } moves[] = {
        {TURN_BY_TURN, SIDE_WHITE, 0, 3, false}, {TURN_BY_TURN, SIDE_BLACK, 1, 0, false},
        {TURN_TO_A_MISS, SIDE_WHITE, 0, 1, true}, {TURN_TO_A_MISS, SIDE_BLACK, 1, 0, true},
        {TURN_TO_A_MISS, SIDE_WHITE, 1, 1, false}, {TURN_TO_A_MISS, SIDE_BLACK, 1, 1, false},
        {TURN_TO_A_MISS, SIDE_WHITE, 0, 0, false}, {TURN_TO_A_MISS, SIDE_WHITE, 2, 0, false},
        {TURN_TO_A_MISS, SIDE_BLACK, 0, 1, false},
    };
    for (const auto& c : moves)
        EXPECT_EQ(c.bKeeps, KeepsMove(c.nTurnType, c.nSide, c.nWhite, c.nBlack))
            << c.nTurnType << " side " << c.nSide << " knocked " << c.nWhite << "/" << c.nBlack;
    const struct { int nMover, nResult, nWhite, nBlack, nStarter; } sets[] = {
        {SIDE_WHITE, SET_WON, 0, 2, SIDE_WHITE}, {SIDE_WHITE, SET_LOST, 1, 0, SIDE_BLACK},
        {SIDE_WHITE, SET_DRAW, 0, 1, SIDE_BLACK}, {SIDE_BLACK, SET_LOST, 1, 0, SIDE_BLACK},
        {SIDE_BLACK, SET_DRAW, 1, 0, SIDE_WHITE},
    };
    for (const auto& c : sets)
        EXPECT_EQ(c.nStarter, ToAMissNextStarter(c.nMover, c.nResult, c.nWhite, c.nBlack)) << c.nMover << " " << c.nResult;
    EXPECT_EQ(SIDE_BLACK, ByTurnNextStarter(SIDE_WHITE));
    EXPECT_EQ(SIDE_WHITE, ByTurnNextStarter(SIDE_BLACK));
}

TEST(MatchLogicTest, SetResultFollowsTheDraughtsLeftFromThePlayersSide) {
    const struct { int nMyWhite, nWhite, nBlack, nResult, nWinner; } cases[] = {
        {1, 3, 1, SET_RUNNING, 0}, {0, 1, 1, SET_RUNNING, 0}, {1, 2, 0, SET_WON, SIDE_WHITE},
        {1, 0, 4, SET_LOST, SIDE_BLACK}, {0, 0, 1, SET_WON, SIDE_BLACK}, {0, 5, 0, SET_LOST, SIDE_WHITE},
        {1, 0, 0, SET_DRAW, 0},  // both sides lose their last draughts in the same flick
    };
    for (const auto& c : cases) {
        const int nResult = SetResultOf(c.nMyWhite, c.nWhite, c.nBlack);
        EXPECT_EQ(c.nResult, nResult) << "MyWhite " << c.nMyWhite << " white " << c.nWhite << " black " << c.nBlack;
        EXPECT_EQ(c.nWinner, SetWinner(nResult, c.nMyWhite)) << "result " << nResult << " MyWhite " << c.nMyWhite;
    }
}

SCampaignLimits LimitsOf(int nBoard) {
    SCampaignLimits limits{};
    EXPECT_TRUE(GetCampaignLimits(nBoard, limits)) << "board " << nBoard;
    return limits;
}

TEST(MatchLogicTest, TheWinnerAdvancesTheLoserYieldsWhereTheLinesMeetAndTheLimitLineEndsTheCampaign) {
    const struct { int nBoard, nWinner, nWhite, nBlack, nWhiteAfter, nBlackAfter; } lines[] = {
        {BOARD_SQUARE, SIDE_WHITE, 5, 3, 6, 2}, {BOARD_SQUARE, SIDE_WHITE, 4, 3, 5, 3},
        {BOARD_ROUND, SIDE_BLACK, 2, 3, 2, 4},  {BOARD_TWELVE, SIDE_BLACK, 0, 0, 0, 1},
        {BOARD_SQUARE, 0, 5, 3, 5, 3},  // a draw moves no line
    };
    for (const auto& c : lines) {
        int nWhite = c.nWhite, nBlack = c.nBlack;
        AdvanceCampaignLines(LimitsOf(c.nBoard), c.nWinner, nWhite, nBlack);
        EXPECT_EQ(std::make_pair(c.nWhiteAfter, c.nBlackAfter), std::make_pair(nWhite, nBlack))
            << "board " << c.nBoard << " winner " << c.nWinner << " from " << c.nWhite << "/" << c.nBlack;
    }
    for (const auto& [nBoard, nLimit] : {std::pair{BOARD_ROUND, 6}, {BOARD_TWELVE, 3}, {BOARD_SQUARE, 8}}) {
        const SCampaignLimits limits = LimitsOf(nBoard);
        EXPECT_FALSE(IsCampaignWon(limits, nLimit - 1, 0, 3, 0)) << "board " << nBoard;
        EXPECT_TRUE(IsCampaignWon(limits, nLimit, 0, 3, 0)) << "board " << nBoard;
        EXPECT_TRUE(IsCampaignWon(limits, 0, nLimit, 0, 3)) << "board " << nBoard;
        EXPECT_FALSE(IsCampaignWon(limits, nLimit, 0, 0, 2)) << "board " << nBoard << ": the set was lost";
        EXPECT_FALSE(IsCampaignWon(limits, nLimit, nLimit, 0, 0)) << "board " << nBoard << ": a draw";
    }
}

// ---- Starts, turns and ends. ----

TEST_F(MatchTest, AMatchStartsWithWhiteToMoveFreshCampaignTotalsAndTheMoversView) {
    const struct { int nPlayers, nMyWhite; const char* szText; bool bBusy; } cases[] = {
        {kOne, 1, "You turn", false}, {kOne, 0, "Computer turn", true}, {kTwo, 0, "whites turn", false}};
    for (const auto& c : cases) {
        m_s.m_nSetStarter = SIDE_BLACK;  // left over from a campaign of an earlier match
        m_s.m_nLostWhiteTotal = 7, m_s.m_nLostBlackTotal = 8, m_s.m_nFocus = 3;
        const int nScheduled = m_host.nScheduled;
        Start(c.nPlayers, c.nMyWhite);
        EXPECT_STREQ(c.szText, m_match.TurnText());
        EXPECT_EQ(c.bBusy, m_match.IsBusy()) << c.szText;
        EXPECT_EQ(c.bBusy, m_host.bStartPending) << c.szText << ": the computer's start waits its delay";
        EXPECT_EQ(c.bBusy ? 1 : 0, m_host.nScheduled - nScheduled) << c.szText;
        EXPECT_EQ(c.nPlayers == kTwo ? 1 : c.nMyWhite, m_s.m_bMySideToMove) << c.szText;
        EXPECT_EQ(SIDE_WHITE, m_s.m_nSetStarter) << c.szText;
        EXPECT_EQ(0, m_s.m_nLostWhiteTotal) << c.szText;
        EXPECT_EQ(0, m_s.m_nLostBlackTotal) << c.szText;
        EXPECT_EQ(-1, m_s.m_nFocus) << c.szText;
        EXPECT_EQ(c.nMyWhite || c.nPlayers == kTwo ? 1.0 : -1.0, m_host.cam.ez) << c.szText << ": the mover's side";
    }
}

TEST_F(MatchTest, TwoPlayersTakeTheirOwnViewsBackButOnTwoMachinesTheViewStays) {
    for (const int nNetSide : {0, int(SIDE_BLACK)}) {
        m_match.SetNetSide(nNetSide);
        Start(kTwo, 1);
        EXPECT_DOUBLE_EQ(nNetSide ? -1.0 : 1.0, m_host.cam.ez) << "net side " << nNetSide << ": its own start view";
        m_host.cam.ex = 0.5;  // the first mover turns the camera
        Finish(0, 3);         // BY TURN: even three knocked off pass the move
        EXPECT_STREQ("blacks turn", m_match.TurnText());
        if (nNetSide) EXPECT_DOUBLE_EQ(0.5, m_host.cam.ex) << "the view stays with its player";
        else EXPECT_DOUBLE_EQ(-1.0, m_host.cam.ez) << "black's start view";
        Finish(0, 0);
        EXPECT_STREQ("whites turn", m_match.TurnText());
        EXPECT_DOUBLE_EQ(0.5, m_host.cam.ex) << "net side " << nNetSide << ": white's own last view";
    }
}

// Against the computer: TO A MISS only a clean hit keeps the move, BY TURN every flick passes it.
TEST_F(MatchTest, AgainstTheComputerTheHitterMovesAgainToAMissAndEveryFlickPassesByTurn) {
    enum EOutcome { Hit, Miss, OwnLoss, OneOfEach };
    for (const int nTurnType : {TURN_TO_A_MISS, TURN_BY_TURN}) {
        for (const int nMyWhite : {1, 0}) {
            for (const bool bPlayerFlicked : {true, false}) {
                for (const EOutcome e : {Hit, Miss, OwnLoss, OneOfEach}) {
                    Start(kOne, nMyWhite, nTurnType);
                    m_physics.TerminateThreads();
                    m_s.m_bMySideToMove = bPlayerFlicked ? 1 : 0;
                    m_s.m_nFocus = 3;
                    const int nFlicker = bPlayerFlicked == (nMyWhite == 1) ? SIDE_WHITE : SIDE_BLACK;
                    const int nOwn = e == OwnLoss || e == OneOfEach ? 1 : 0, nOther = e == Hit || e == OneOfEach ? 2 : 0;
                    Finish(nFlicker == SIDE_WHITE ? nOwn : nOther, nFlicker == SIDE_WHITE ? nOther : nOwn);
                    const bool bPlayerNext = (nTurnType == TURN_TO_A_MISS && e == Hit) == bPlayerFlicked;
                    const std::string what = "rule " + std::to_string(nTurnType) + (nMyWhite ? " as white, " : " as black, ") +
                                             (bPlayerFlicked ? "player " : "computer ") + "outcome " + std::to_string(e);
                    EXPECT_EQ(bPlayerNext ? 1 : 0, m_s.m_bMySideToMove) << what;
                    EXPECT_EQ(!bPlayerNext, m_physics.HasCompThread()) << what << ": the computer's turn";
                    if (!bPlayerNext) { EXPECT_EQ(OtherSide(MySide(nMyWhite)), m_s.m_nMoverSide) << what; }
                    if (bPlayerNext != bPlayerFlicked) { EXPECT_EQ(-1, m_s.m_nFocus) << what << ": a pass drops the focus"; }
                }
            }
        }
    }
}

TEST_F(MatchTest, SetEndsShowTheirResultScreens) {
    const struct { int nMyWhite, nGameMode, nLoser, nWhiteShift, nResult; EMatchScreen eScreen; int nMatchOver; } cases[] = {
        {1, 0, SIDE_BLACK, 0, SET_WON, EMatchScreen::GameOver, 1},
        {0, 0, SIDE_BLACK, 0, SET_LOST, EMatchScreen::GameOver, 1},
        {1, 1, SIDE_BLACK, 0, SET_WON, EMatchScreen::SetOver, 0},
        {1, 1, SIDE_BLACK, 3, SET_WON, EMatchScreen::CampaignOver, 1},  // twelve-sided limit 3
        {1, 1, SIDE_WHITE, 3, SET_LOST, EMatchScreen::SetOver, 0},
    };
    for (const auto& c : cases) {
        Start(kTwo, 1, TURN_BY_TURN, c.nGameMode);
        m_host.screen = EMatchScreen::Game;
        m_s.MyWhite = c.nMyWhite, m_s.m_nWhiteShift = c.nWhiteShift;
        KnockOff(c.nLoser);
        Finish(0, 0);
        const std::string what = "MyWhite " + std::to_string(c.nMyWhite) + " mode " + std::to_string(c.nGameMode);
        EXPECT_EQ(std::tuple(c.nResult, c.eScreen, c.nMatchOver), std::tuple(m_s.m_nSetResult, m_host.screen, int(m_s.m_bMatchOver))) << what;
        if (!c.nGameMode) {
            m_match.NextSet();
            EXPECT_EQ(c.nMyWhite, m_s.m_bMySideToMove) << what << ": white starts another quick game";
        }
    }
}

TEST_F(MatchTest, AFlickThatEmptiesBothSidesIsADrawAndMovesNoLine) {
    Start(kTwo, 1, TURN_BY_TURN, 1);
    m_s.m_nWhiteShift = m_s.m_nBlackShift = 1;
    m_match.NextSet();
    EXPECT_TRUE(m_log.Mentions("Next set asked for with set result 0")) << "no result yet: nothing changes";
    m_s.m_nSetResult = SET_DRAW + 1;
    m_match.NextSet();
    EXPECT_TRUE(m_log.Mentions("Next set asked for with set result " + std::to_string(SET_DRAW + 1))) << "an unknown result";
    m_s.m_nSetResult = SET_RUNNING;
    KnockOff(SIDE_WHITE);
    KnockOff(SIDE_BLACK);
    Finish(10, 10);
    EXPECT_TRUE(m_s.m_nSetResult == SET_DRAW && m_host.screen == EMatchScreen::SetOver);
    m_match.NextSet();
    EXPECT_TRUE(m_s.m_nSetResult == SET_RUNNING && m_host.screen == EMatchScreen::Game);
    EXPECT_TRUE(m_s.m_nWhiteShift == 1 && m_s.m_nBlackShift == 1) << "a draw moves no line";
    int nWhite = 0, nBlack = 0;
    m_desk.CountOnDesk(nWhite, nBlack);
    EXPECT_EQ(20, nWhite + nBlack);
    EXPECT_STREQ("blacks turn", m_match.TurnText()) << "BY TURN: black starts the second set";
}

// Each match starts its campaign afresh: white starts its first set, black its second, and the
// totals count only this match's sets, added up over its sets.
TEST_F(MatchTest, ASecondMatchInTheSameRunStartsItsOwnCampaign) {
    for (int nMatch = 1; nMatch <= 2; ++nMatch) {
        const std::string what = "match " + std::to_string(nMatch);
        Start(kTwo, 1, TURN_BY_TURN, 1);
        EXPECT_EQ(1, m_s.m_bMySideToMove) << what << ": white starts the first set";
        const struct { int nSet, nWhiteKept, nMySideToMove, nStarter, nLostWhite; } sets[] = {
            {1, 7, 0, SIDE_BLACK, 3}, {2, 8, 1, SIDE_WHITE, 5}};
        for (const auto& st : sets) {
            KnockOff(SIDE_BLACK);
            KnockOff(SIDE_WHITE, st.nWhiteKept);
            Finish(0, 0);
            ASSERT_EQ(EMatchScreen::SetOver, m_host.screen) << what;
            EXPECT_EQ(st.nLostWhite, m_s.m_nLostWhiteTotal) << what << " set " << st.nSet;
            EXPECT_EQ(10 * st.nSet, m_s.m_nLostBlackTotal) << what << " set " << st.nSet;
            const SCampaignSet atResult = Kept();
            m_match.NextSet();
            EXPECT_EQ(Kept(), atResult) << what << ": the result screen keeps the next set";
            EXPECT_EQ(st.nMySideToMove, m_s.m_bMySideToMove) << what << " set " << st.nSet + 1;
            EXPECT_EQ(st.nStarter, m_s.m_nSetStarter) << what << " set " << st.nSet + 1;
        }
        m_match.StopMatch();
    }
}

// Campaign, TO A MISS: the player loses the set to the computer's hit, or to a flick of his own
// that knocked off one of each; the computer starts the next set at once (as black, by turn the
// player would start it).
TEST_F(MatchTest, ToAMissTheComputerStartsTheNextSetAtOnceAfterItsHitOrThePlayersMiss) {
    const struct { int nMyWhite, nMover, nWhite, nBlack; } cases[] = {{1, SIDE_BLACK, 1, 0}, {0, SIDE_BLACK, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "player white " << c.nMyWhite << ", mover " << c.nMover);
        const int nComputer = OtherSide(MySide(c.nMyWhite));
        Start(kOne, c.nMyWhite, TURN_TO_A_MISS, 1);
        KnockOff(MySide(c.nMyWhite));
        m_s.m_nMoverSide = c.nMover, m_s.m_bMySideToMove = c.nMover != nComputer;
        Finish(c.nWhite, c.nBlack);
        ASSERT_EQ(SET_LOST, m_s.m_nSetResult);
        const int nScheduled = m_host.nScheduled;
        m_match.NextSet();
        EXPECT_EQ(1, c.nMyWhite ? m_s.m_nBlackShift : m_s.m_nWhiteShift);
        EXPECT_EQ(nComputer, m_s.m_nMoverSide);
        EXPECT_EQ(0, m_s.m_bMySideToMove) << "the computer moves";
        EXPECT_TRUE(m_physics.HasCompThread()) << "no start delay";
        EXPECT_EQ(nScheduled, m_host.nScheduled);
        m_match.PauseMatch();
        EXPECT_FALSE(m_match.IsBusy()) << "the pause screen takes clicks";
        m_match.ContinueMatch();
        EXPECT_TRUE(m_match.IsBusy()) << "the interrupted choice still runs";
        m_match.StopMatch();
        EXPECT_FALSE(m_physics.HasCompThread() || m_match.IsBusy());
    }
}

TEST_F(MatchTest, AResumedCampaignPlaysItsSetWithItsLinesTotalsAndStarter) {
    const struct { int nPlayers, nMyWhite, nTurnType, nStarter, bMySideToMove; const char* szTurnText; } cases[] = {
        {kOne, 1, TURN_BY_TURN, SIDE_WHITE, 1, "You turn"},
        {kOne, 1, TURN_BY_TURN, SIDE_BLACK, 0, "computer turn"},  // the computer flicks at once
        {kOne, 0, TURN_TO_A_MISS, SIDE_WHITE, 0, "Computer turn"},  // after the start delay
        {kTwo, 1, TURN_BY_TURN, SIDE_BLACK, 0, "blacks turn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nPlayers << " players, white " << c.nMyWhite << ", starter " << c.nStarter);
        m_physics.TerminateThreads();
        m_s.m_nPlayers = c.nPlayers, m_s.MyWhite = c.nMyWhite, m_s.TurnType = c.nTurnType, m_s.GameMode = 1;
        const SCampaignSet set{RecordSettingsOf(m_s), 2, 1, 13, 8, c.nStarter};
        m_match.ResumeCampaign(set);
        EXPECT_EQ(set, Kept()) << "the set is kept again with its totals";
        EXPECT_EQ(13, m_s.m_nLostWhiteTotal);
        EXPECT_EQ(c.nStarter, m_s.m_nSetStarter);
        EXPECT_EQ(c.bMySideToMove, m_s.m_bMySideToMove);
        EXPECT_STREQ(c.szTurnText, m_match.TurnText());
        EXPECT_EQ(c.nMyWhite == 0 && c.nStarter == SIDE_WHITE, m_host.bStartPending);
        CDesk fresh;
        fresh.SetSettings(&m_s);
        BuildLayout(fresh, 2, 1, m_host.white, m_host.black);
        EXPECT_EQ(RestPositionHash(fresh), RestPositionHash(m_desk)) << "the draughts stand on the set's lines";
        m_match.StopMatch();
    }
}

// TAB walks the view over the player's own draughts still on the board, then back to the board's
// centre; the held camera keys stop short of overhead, of the board and of the target, and do not
// run away when zooming out.
TEST_F(MatchTest, TabWalksTheOwnDraughtsOnTheBoardAndTheCameraKeysKeepTheirLimits) {
    Start(kOne, 1);
    KnockOff(SIDE_WHITE, 3);
    std::vector<std::pair<double, double>> want, seen;
    for (const CCheck& c : m_desk.m_aChecks)
        if (c.m_nSide == SIDE_WHITE && c.m_bOnDesk) want.push_back({c.m_fStartX, c.m_fStartY});
    want.push_back({0.0, 0.0});
    for (size_t i = 0; i < want.size(); ++i) m_match.OnGameKeyDown(VK_TAB), seen.push_back({m_host.cam.tx, m_host.cam.tz});
    EXPECT_EQ(seen, want);
    const struct { unsigned nKey; std::function<bool(const stCamGeom&)> bInLimits; } keys[] = {
        {VK_UP, [](const stCamGeom& c) { return (c.ex - c.tx) * (c.ex - c.tx) + (c.ez - c.tz) * (c.ez - c.tz) > 0.01; }},
        {VK_DOWN, [](const stCamGeom& c) { return c.ey > c.ty; }},
        {VK_ADD, [](const stCamGeom& c) { return c.ey > c.ty && std::abs(c.ey - c.ty) + std::abs(c.ex - c.tx) > 0.1; }},
        {VK_SUBTRACT, [](const stCamGeom& c) { return std::abs(c.ex) + std::abs(c.ey) + std::abs(c.ez) < 100; }},
    };
    for (const auto& k : keys) {
        m_host.cam = DefaultCamera();
        for (int i = 0; i < 500; ++i) m_match.CameraKeyStep(k.nKey);
        EXPECT_TRUE(k.bInLimits(m_host.cam)) << "key " << k.nKey << " eye " << m_host.cam.ex << " " << m_host.cam.ey << " " << m_host.cam.ez;
    }
}

}  // namespace
