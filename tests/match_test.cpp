// The pure laws of a match (who keeps the move, set results, campaign lines, set starters),
// then a match without a window: a recording host, the real physics and the real layouts. Match
// and set starts, the turn order of both rules against the computer and between two players,
// set and campaign ends, a second match in the same run, the two-click aim, and the camera's
// keys, limits and focus.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "core/gl_object.h"
#include "core/win_messages.h"
#include "game/match.h"
#include "game/campaign_state.h"
#include "game/layout.h"
#include "game/match_logic.h"
#include "game/replay_recorder.h"
#include "physics/desk_hash.h"
#include "log_capture.h"
#include "physics/kick_physics.h"
#include "platform/window_queue.h"
#include "tests/camera_views.h"
#include "tests/match_probe.h"

namespace {

constexpr int kOne = 1, kTwo = 3;          // m_nPlayers
constexpr int kWhiteBase = kChecksPerSide;  // draughts 10..19; black are 0..9
constexpr float kMarkHeight = 0.05f;

class CFakeHost final : public IMatchHost {
public:
    void PlayRefusal() override { ++nRefusals; }
    void ShowScreen(EMatchScreen e) override { screen = e; }
    bool IsGameScreenShown() const override { return screen == EMatchScreen::Game; }
    void EnableGameControls(bool b) override { bControls = b; }
    void ShowSight(bool b) override { bSight = b; }
    void ShowSystemCursor(bool b) override { bCursor = b; }
    void OnMatchStarting() override {}
    void OnMatchStopped() override {}
    void OnFlickClicked() override {}
    stCamGeom& Camera() override { return cam; }
    void ResetCamera() override { cam = DefaultCamera(); }
    float CameraStep() const override { return kCameraZoomStep; }
    void UpdateView() override {}
    void RotateCamera(bool bLeft) override { turns.push_back(bLeft ? 'L' : 'R'); }
    bool SwingCamera(const stCamGeom&, const stCamGeom&) override { return ++nSwings > 0; }
    void StartTurnStep(unsigned nKey) override { turnSteps.push_back(nKey); }
    bool BoardPointAt(long, float out[3]) override { return Point(out) && bOnPlane; }
    bool ScenePointAt(long, float out[3]) override { return Point(out); }
    bool IsShiftDown() const override { return bShift; }
    void PressGameButton(unsigned nKey) override { buttons.push_back(nKey); }
    void PauseGame() override { ++nPauses; }
    void ScheduleComputerStart() override { bStartPending = ++nScheduled > 0; }
    void CancelComputerStart() override { bStartPending = false; }
    void StopCameraRepeat() override {}
    void FinishFlickNow() override { finishFlick(); }
    const CGLObject& CheckModel(bool bWhite, int) const override { return bWhite ? white : black; }
    bool MayFlick() const override { return bMayFlick; }

    bool Point(float out[3]) const {
        for (int k = 0; k < 3; ++k) out[k] = point[k];
        return true;
    }

    stCamGeom cam = DefaultCamera();
    EMatchScreen screen = EMatchScreen::Game;
    float point[3] = {0, 0, 0};  // the pointer's scene and board point
    bool bOnPlane = true, bShift = false, bControls = true, bSight = false, bCursor = true, bStartPending = false;
    bool bMayFlick = true;
    int nRefusals = 0, nSwings = 0, nPauses = 0, nScheduled = 0;
    std::string turns;
    std::vector<unsigned> turnSteps, buttons;
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
        m_s.m_nPlayers = nPlayers;
        m_s.MyWhite = nMyWhite;
        m_s.TurnType = nTurnType;
        m_s.GameMode = nGameMode;
        m_match.StartMatch();
    }
    // The end of a flick with the knocked-off counts the simulation would have written.
    void Finish(int nKnockedWhite, int nKnockedBlack) {
        m_s.m_nKnockedWhite = nKnockedWhite;
        m_s.m_nKnockedBlack = nKnockedBlack;
        m_match.OnFlickFinished();
    }
    // Takes a side's draughts off the board but the first nKeep.
    void KnockOff(int nSide, int nKeep = 0) {
        int nKept = 0;
        for (CCheck& c : m_desk.m_aChecks)
            if (c.m_nSide == nSide && c.m_bOnDesk && nKept++ >= nKeep) c.m_bOnDesk = 0;
    }
    CCheck& Check(int i) { return m_desk.m_aChecks[i]; }
    CMatchProbe P() { return CMatchProbe(m_match); }
    void PointAt(float x, float z) {
        m_host.point[0] = x;
        m_host.point[1] = 0.0f;
        m_host.point[2] = z;
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

TEST(MatchLogicTest, EveryBoardsCampaignEndsFromItsLimitLine) {
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

// ---- Starts, turns and ends. ----

TEST_F(MatchTest, AMatchStartsWithWhiteToMoveAndFreshCampaignTotals) {
    struct SCase {
        int nPlayers, nMyWhite;
        const char* szText;
        bool bBusy;  // the computer's delayed start is pending
    };
    const SCase cases[] = {{kOne, 1, "You turn", false}, {kOne, 0, "Computer turn", true}, {kTwo, 0, "whites turn", false}};
    for (const SCase& c : cases) {
        m_s.m_nSetStarter = SIDE_BLACK;  // left over from a campaign of an earlier match
        m_s.m_nLostWhiteTotal = 7;
        m_s.m_nLostBlackTotal = 8;
        m_s.m_nFocus = 3;
        const int nScheduled = m_host.nScheduled;
        Start(c.nPlayers, c.nMyWhite);
        EXPECT_STREQ(c.szText, m_match.TurnText()) << c.szText;
        EXPECT_EQ(c.bBusy, m_match.IsBusy()) << c.szText;
        EXPECT_EQ(c.bBusy ? 1 : 0, m_host.nScheduled - nScheduled) << c.szText;
        EXPECT_EQ(c.nPlayers == kTwo ? 1 : c.nMyWhite, m_s.m_bMySideToMove) << c.szText;
        EXPECT_EQ(SIDE_WHITE, m_s.m_nSetStarter) << c.szText;
        EXPECT_EQ(0, m_s.m_nLostWhiteTotal + m_s.m_nLostBlackTotal) << c.szText;
        EXPECT_EQ(-1, m_s.m_nFocus) << c.szText;
        EXPECT_EQ(c.nMyWhite || c.nPlayers == kTwo ? 1.0 : -1.0, m_host.cam.ez) << c.szText << ": the mover's side";
    }
    EXPECT_EQ(1, m_s.MyWhite) << "the first of two players is always white";
}

TEST_F(MatchTest, TwoPlayersTakeTheirOwnViewsBack) {
    Start(kTwo, 1);
    m_host.cam.ex = 0.5;  // white turns its camera
    Finish(0, 3);         // BY TURN: even three knocked off pass the move
    EXPECT_EQ(0, m_s.m_bMySideToMove);
    EXPECT_STREQ("blacks turn", m_match.TurnText());
    EXPECT_DOUBLE_EQ(-1.0, m_host.cam.ez) << "black's start view";
    Finish(0, 0);
    EXPECT_STREQ("whites turn", m_match.TurnText());
    EXPECT_DOUBLE_EQ(0.5, m_host.cam.ex) << "white's own last view";
}

TEST_F(MatchTest, OnTwoMachinesEachViewStaysWithItsPlayerAndARemoteFlickPlays) {
    m_match.SetNetSide(SIDE_BLACK);
    Start(kTwo, 1);
    EXPECT_DOUBLE_EQ(-1.0, m_host.cam.ez) << "black's start view";
    m_host.cam.ex = 0.5;
    Finish(0, 3);
    EXPECT_DOUBLE_EQ(0.5, m_host.cam.ex) << "the view stays when the move passes to white";
    m_match.PlayRemoteFlick(kWhiteBase + 2);
    EXPECT_TRUE(m_match.IsBusy());
    EXPECT_EQ(SIDE_WHITE, m_s.m_nMoverSide);
}

TEST_F(MatchTest, ToAMissBetweenTwoPlayersKeepsTheMoveOnlyAfterACleanHit) {
    Start(kTwo, 1, TURN_TO_A_MISS);
    struct SStep {
        int nKnockedWhite, nKnockedBlack, nMySideToMoveAfter;
        const char* szTextAfter;
    };
    const SStep steps[] = {
        {0, 1, 1, "whites turn"}, {1, 1, 0, "blacks turn"}, {1, 0, 0, "blacks turn"},
        {0, 0, 1, "whites turn"}, {0, 0, 0, "blacks turn"},
    };
    for (const SStep& st : steps) {
        Finish(st.nKnockedWhite, st.nKnockedBlack);
        EXPECT_EQ(st.nMySideToMoveAfter, m_s.m_bMySideToMove) << st.nKnockedWhite << "/" << st.nKnockedBlack;
        EXPECT_STREQ(st.szTextAfter, m_match.TurnText()) << st.nKnockedWhite << "/" << st.nKnockedBlack;
        EXPECT_FALSE(m_match.IsBusy());
    }
}

TEST_F(MatchTest, ToAMissAgainstTheComputerTheHitterMovesAgainAndAMissOrOwnLossPasses) {
    enum EOutcome { Hit, Miss, OwnLoss, OneOfEach };
    for (const int nMyWhite : {1, 0}) {
        for (const bool bPlayerFlicked : {true, false}) {
            for (const EOutcome e : {Hit, Miss, OwnLoss, OneOfEach}) {
                Start(kOne, nMyWhite, TURN_TO_A_MISS);
                m_physics.TerminateThreads();
                m_s.m_bMySideToMove = bPlayerFlicked ? 1 : 0;
                const int nFlicker = bPlayerFlicked == (nMyWhite == 1) ? SIDE_WHITE : SIDE_BLACK;
                const int nOwn = e == OwnLoss || e == OneOfEach ? 1 : 0;
                const int nOther = e == Hit || e == OneOfEach ? 2 : 0;
                Finish(nFlicker == SIDE_WHITE ? nOwn : nOther, nFlicker == SIDE_WHITE ? nOther : nOwn);
                const bool bPlayerNext = (e == Hit) == bPlayerFlicked;
                const std::string what = std::string(nMyWhite ? "as white, " : "as black, ") +
                                         (bPlayerFlicked ? "player " : "computer ") + "outcome " + std::to_string(e);
                EXPECT_EQ(bPlayerNext ? 1 : 0, m_s.m_bMySideToMove) << what;
                EXPECT_EQ(!bPlayerNext, m_match.IsBusy()) << what;
                EXPECT_EQ(!bPlayerNext, m_physics.HasCompThread()) << what << ": the computer's turn";
                if (!bPlayerNext) { EXPECT_EQ(OtherSide(MySide(nMyWhite)), m_s.m_nMoverSide) << what; }
                if (bPlayerNext && !bPlayerFlicked) { EXPECT_STREQ("you turn", m_match.TurnText()) << what; }
            }
        }
    }
}

TEST_F(MatchTest, SetEndsShowTheirResultScreens) {
    struct SCase {
        int nMyWhite, nGameMode, nLoser, nWhiteShift, nResult;
        EMatchScreen eScreen;
        int nMatchOver;
    };
    const SCase cases[] = {
        {1, 0, SIDE_BLACK, 0, SET_WON, EMatchScreen::GameOver, 1},
        {0, 0, SIDE_BLACK, 0, SET_LOST, EMatchScreen::GameOver, 1},
        {1, 1, SIDE_BLACK, 0, SET_WON, EMatchScreen::SetOver, 0},
        {1, 1, SIDE_BLACK, 3, SET_WON, EMatchScreen::CampaignOver, 1},  // twelve-sided limit 3
        {1, 1, SIDE_WHITE, 3, SET_LOST, EMatchScreen::SetOver, 0},
    };
    for (const SCase& c : cases) {
        Start(kTwo, 1, TURN_BY_TURN, c.nGameMode);
        m_host.screen = EMatchScreen::Game;
        m_s.MyWhite = c.nMyWhite;
        m_s.m_nWhiteShift = c.nWhiteShift;
        KnockOff(c.nLoser);
        Finish(0, 0);
        const std::string what = "MyWhite " + std::to_string(c.nMyWhite) + " mode " + std::to_string(c.nGameMode);
        EXPECT_EQ(c.nResult, m_s.m_nSetResult) << what;
        EXPECT_EQ(c.eScreen, m_host.screen) << what;
        EXPECT_EQ(c.nMatchOver, m_s.m_bMatchOver) << what;
    }
}

TEST_F(MatchTest, AFlickThatEmptiesBothSidesIsADrawAndMovesNoLine) {
    Start(kTwo, 1, TURN_BY_TURN, 1);
    m_s.m_nWhiteShift = m_s.m_nBlackShift = 1;
    m_match.NextSet();
    EXPECT_TRUE(m_log.Mentions("Next set asked for with set result 0")) << "no result yet: nothing changes";
    KnockOff(SIDE_WHITE);
    KnockOff(SIDE_BLACK);
    Finish(10, 10);
    EXPECT_EQ(SET_DRAW, m_s.m_nSetResult);
    EXPECT_EQ(EMatchScreen::SetOver, m_host.screen);
    EXPECT_EQ(10, m_s.m_nLostWhiteTotal);
    EXPECT_EQ(10, m_s.m_nLostBlackTotal);
    m_match.NextSet();
    EXPECT_EQ(1, m_s.m_nWhiteShift);
    EXPECT_EQ(1, m_s.m_nBlackShift);
    EXPECT_EQ(EMatchScreen::Game, m_host.screen);
    int nWhite = 0, nBlack = 0;
    m_desk.CountOnDesk(nWhite, nBlack);
    EXPECT_EQ(20, nWhite + nBlack);
    EXPECT_STREQ("blacks turn", m_match.TurnText()) << "BY TURN: black starts the second set";
}

// Each match starts its campaign afresh: white starts its first set, black its second, and
// the totals count only this match's sets.
TEST_F(MatchTest, ASecondMatchInTheSameRunStartsItsOwnCampaign) {
    for (int nMatch = 1; nMatch <= 2; ++nMatch) {
        const std::string what = "match " + std::to_string(nMatch);
        Start(kTwo, 1, TURN_BY_TURN, 1);
        EXPECT_EQ(1, m_s.m_bMySideToMove) << what << ": white starts the first set";
        KnockOff(SIDE_BLACK, 0);
        KnockOff(SIDE_WHITE, 7);
        Finish(0, 0);
        ASSERT_EQ(EMatchScreen::SetOver, m_host.screen) << what;
        EXPECT_EQ(3, m_s.m_nLostWhiteTotal) << what;
        EXPECT_EQ(10, m_s.m_nLostBlackTotal) << what;
        const SCampaignSet atResult = Kept();
        m_match.NextSet();
        EXPECT_EQ(Kept(), atResult) << what << ": the result screen keeps the next set";
        EXPECT_EQ(0, m_s.m_bMySideToMove) << what << ": black starts the second set";
        EXPECT_EQ(SIDE_BLACK, m_s.m_nSetStarter) << what;
        m_match.StopMatch();
    }
}

TEST_F(MatchTest, TheComputerStartsTheNextSetAtOnce) {
    // Campaign, TO A MISS: white (the player) loses the set with a flick of black's that hit.
    Start(kOne, 1, TURN_TO_A_MISS, 1);
    KnockOff(SIDE_WHITE);
    m_s.m_nMoverSide = SIDE_BLACK;
    m_s.m_bMySideToMove = 0;
    Finish(1, 0);
    ASSERT_EQ(SET_LOST, m_s.m_nSetResult);
    const SCampaignSet atResult = Kept();
    m_match.NextSet();
    EXPECT_EQ(Kept(), atResult) << "the result screen keeps the next set";
    EXPECT_EQ(1, m_s.m_nBlackShift);
    EXPECT_EQ(SIDE_BLACK, m_s.m_nMoverSide);
    EXPECT_TRUE(m_match.IsBusy());
    EXPECT_EQ(0, m_s.m_bMySideToMove) << "the computer moves";
    EXPECT_TRUE(m_physics.HasCompThread()) << "no start delay";
    EXPECT_EQ(0, m_host.nScheduled);
    m_match.PauseMatch();
    EXPECT_FALSE(m_match.IsBusy()) << "the pause screen takes clicks";
    m_match.ContinueMatch();
    EXPECT_TRUE(m_match.IsBusy()) << "the interrupted choice still runs";
    m_match.StopMatch();
    EXPECT_FALSE(m_physics.HasCompThread());
    EXPECT_FALSE(m_match.IsBusy());
}

TEST_F(MatchTest, AResumedCampaignPlaysItsSetWithItsLinesTotalsAndStarter) {
    struct SCase {
        int nPlayers, nMyWhite, nTurnType, nStarter;
        int bMySideToMove, bBusy;  // after the resume
        const char* szTurnText;
    };
    const SCase cases[] = {
        {kOne, 1, TURN_BY_TURN, SIDE_WHITE, 1, 0, "You turn"},
        {kOne, 1, TURN_BY_TURN, SIDE_BLACK, 0, 1, "computer turn"},  // the computer flicks at once
        {kOne, 1, TURN_TO_A_MISS, SIDE_BLACK, 0, 1, ""},
        {kOne, 0, TURN_BY_TURN, SIDE_BLACK, 1, 0, "You turn"},
        {kOne, 0, TURN_TO_A_MISS, SIDE_WHITE, 0, 1, "Computer turn"},  // after the start delay
        {kTwo, 1, TURN_BY_TURN, SIDE_BLACK, 0, 0, "blacks turn"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nPlayers << " players, white " << c.nMyWhite << ", starter " << c.nStarter);
        m_physics.TerminateThreads();
        m_s.m_nPlayers = c.nPlayers;
        m_s.MyWhite = c.nMyWhite;
        m_s.TurnType = c.nTurnType;
        m_s.GameMode = 1;
        const SCampaignSet set{RecordSettingsOf(m_s), 2, 1, 13, 8, c.nStarter};
        m_match.ResumeCampaign(set);
        EXPECT_EQ(set, Kept()) << "the set is kept again with its totals";
        const std::vector<SRecordSet>& sets = m_recorder.Record().sets;
        EXPECT_TRUE(sets.size() == 1 && sets[0].nWhiteShift == 2 && sets[0].nBlackShift == 1) << "the record's one set";
        EXPECT_EQ(c.nStarter, m_s.m_nSetStarter);
        EXPECT_EQ(c.bMySideToMove, m_s.m_bMySideToMove);
        EXPECT_EQ(c.bBusy != 0, m_match.IsBusy());
        EXPECT_STREQ(c.szTurnText, m_match.TurnText());
        EXPECT_EQ(c.nMyWhite == 0 && c.nStarter == SIDE_WHITE, m_host.bStartPending);
        CDesk fresh;
        fresh.SetSettings(&m_s);
        BuildLayout(fresh, 2, 1, m_host.white, m_host.black);
        EXPECT_EQ(RestPositionHash(fresh), RestPositionHash(m_desk)) << "the draughts stand on the set's lines";
        m_match.StopMatch();
    }
}

// ---- The two-click aim. ----

TEST_F(MatchTest, OnlyThePlayerToMoveMayPickAndOnlyHisOwnColour) {
    struct SCase {
        int nPlayers, nMyWhite, nMySideToMove, nSide;
        bool bPicked;
        int nNetSide = 0;  // two machines: the side played here
        bool bMayFlick = true;
    };
    const SCase cases[] = {
        {kOne, 1, 1, SIDE_WHITE, true}, {kOne, 1, 1, SIDE_BLACK, false}, {kOne, 0, 1, SIDE_BLACK, true},
        {kOne, 0, 1, SIDE_WHITE, false}, {kTwo, 1, 1, SIDE_WHITE, true}, {kTwo, 1, 1, SIDE_BLACK, false},
        {kTwo, 1, 0, SIDE_BLACK, true}, {kTwo, 1, 0, SIDE_WHITE, false},
        // Two machines: only on this side's turn, and only once the last flick is agreed.
        {kTwo, 1, 1, SIDE_WHITE, true, SIDE_WHITE}, {kTwo, 1, 0, SIDE_BLACK, false, SIDE_WHITE},
        {kTwo, 1, 1, SIDE_WHITE, false, SIDE_BLACK}, {kTwo, 1, 0, SIDE_BLACK, true, SIDE_BLACK},
        {kTwo, 1, 1, SIDE_WHITE, false, SIDE_WHITE, false},
    };
    for (const SCase& c : cases) {
        m_match.SetNetSide(c.nNetSide);
        m_host.bMayFlick = c.bMayFlick;
        Start(c.nPlayers, c.nMyWhite);
        m_s.m_bMySideToMove = c.nMySideToMove;
        const int i = c.nSide == SIDE_WHITE ? kWhiteBase + 4 : 4;
        PointAt(Check(i).m_fStartX, Check(i).m_fStartY);
        const int nRefusals = m_host.nRefusals;
        m_host.bSight = true;
        m_match.OnPlayerClick(0);
        const std::string what = "players " + std::to_string(c.nPlayers) + " MyWhite " + std::to_string(c.nMyWhite) +
                                 " to move " + std::to_string(c.nMySideToMove) + " side " + std::to_string(c.nSide) +
                                 " net " + std::to_string(c.nNetSide);
        EXPECT_EQ(c.bPicked ? i : -1, m_match.Selected()) << what;
        EXPECT_EQ(c.bPicked, m_match.IsMarkSet()) << what;
        EXPECT_EQ(c.bPicked ? 0 : 1, m_host.nRefusals - nRefusals) << what;
        EXPECT_EQ(!c.bPicked, m_host.bSight && m_host.bControls) << what << ": sight and buttons rest while aiming";
        if (c.bPicked) {
            const float* m = m_match.FirstMark();
            EXPECT_EQ((std::vector<float>{Check(i).m_fStartX, kMarkHeight, Check(i).m_fStartY}),
                      std::vector<float>(m, m + 3)) << what;
        }
    }
}

TEST_F(MatchTest, TheHandGrowsWithTheFingerDistanceAndClosesOutsideTheBand) {
    struct SCase {
        float fRatio;  // squared distance of the finger from the draught, in squared radii
        bool bInvalid, bAccepted;
    };
    const SCase cases[] = {{0.5f, true, false}, {1.9f, true, false}, {2.1f, false, true},
                           {9.0f, false, true}, {15.9f, false, true}, {16.1f, true, false}};
    for (const SCase& c : cases) {
        Start(kTwo, 1);
        const int i = kWhiteBase + 4;
        const CCheck& d = Check(i);
        const float r2 = d.m_fRadius2;
        const float x = d.m_fStartX, z = d.m_fStartY + std::sqrt(c.fRatio * r2);  // behind, towards white
        PointAt(d.m_fStartX, d.m_fStartY);
        m_match.OnPlayerClick(0);
        ASSERT_EQ(i, m_match.Selected()) << c.fRatio;
        PointAt(x, z);
        m_match.OnAimMove(0);
        const float fScale = c.bInvalid ? (c.fRatio < 2.0f ? 0.5f : 1.5f) : c.fRatio / 14.0f + 0.5f;
        EXPECT_TRUE(m_match.IsHandShown()) << c.fRatio;
        EXPECT_FALSE(m_host.bCursor) << c.fRatio;
        EXPECT_EQ(c.bInvalid, m_match.IsHandInvalid()) << c.fRatio;
        EXPECT_NEAR(fScale, m_s.m_fHandScale, 1e-4f) << c.fRatio;
        EXPECT_EQ((std::vector<float>{x, kMarkHeight, z}),
                  std::vector<float>(m_match.HandPoint(), m_match.HandPoint() + 3)) << c.fRatio;
        const int nRefusals = m_host.nRefusals;
        m_match.OnPlayerClick(0);
        EXPECT_EQ(c.bAccepted, m_match.IsBusy()) << c.fRatio;
        EXPECT_EQ(c.bAccepted ? 0 : 1, m_host.nRefusals - nRefusals) << c.fRatio;
        EXPECT_EQ(!c.bAccepted, m_match.IsMarkSet()) << c.fRatio << ": a refused click keeps the first mark";
        if (c.bAccepted) {
            EXPECT_EQ(SIDE_WHITE, m_s.m_nMoverSide);
            EXPECT_EQ(-1, m_match.Selected());
            EXPECT_LT(Check(i).m_fDirY, -0.99f) << c.fRatio << ": launched from the finger through the centre";
        }
        m_match.StopMatch();
    }
}

TEST_F(MatchTest, TheCursorReturnsOffTheBoardAndARightClickDropsTheMark) {
    Start(kTwo, 1);
    const CCheck& d = Check(kWhiteBase + 4);
    PointAt(d.m_fStartX, d.m_fStartY);
    m_match.OnPlayerClick(0);
    ASSERT_TRUE(m_match.IsMarkSet());
    struct SMove {
        float x, z;
        bool bOnPlane, bHand;
    };
    for (const SMove mv : {SMove{d.m_fStartX, d.m_fStartY + 0.1f, true, true}, SMove{0.0f, -3.5f, true, false},
                           SMove{0.0f, 0.0f, false, false}, SMove{d.m_fStartX, d.m_fStartY + 0.1f, true, true}}) {
        PointAt(mv.x, mv.z);
        m_host.bOnPlane = mv.bOnPlane;
        m_match.OnAimMove(0);
        EXPECT_EQ(mv.bHand, m_match.IsHandShown()) << mv.x << ", " << mv.z;
        EXPECT_EQ(!mv.bHand, m_host.bCursor) << mv.x << ", " << mv.z;
        EXPECT_TRUE(m_match.IsMarkSet()) << "leaving the board keeps the mark";
    }
    m_match.CancelFlick();
    EXPECT_FALSE(m_match.IsMarkSet());
    EXPECT_EQ(-1, m_match.Selected());
    EXPECT_TRUE(m_host.bCursor);
    EXPECT_TRUE(m_host.bControls);
    PointAt(0.0f, 0.0f);  // the board's middle is empty
    m_match.OnPlayerClick(0);
    EXPECT_EQ(-1, m_match.Selected());
    EXPECT_EQ(1, m_host.nRefusals);
}

// ---- The camera. ----

TEST_F(MatchTest, GameKeysTurnStepPressButtonsFocusAndPause) {
    Start(kTwo, 1);
    m_host.bShift = true;
    for (const unsigned nKey : {VK_LEFT, VK_RIGHT}) m_match.OnGameKeyDown(nKey);
    EXPECT_EQ((std::vector<unsigned>{VK_LEFT}), m_host.turnSteps) << "one SHIFT turn until the key is up";
    m_match.OnGameKeyUp();
    m_match.OnGameKeyDown(VK_RIGHT);
    m_host.bShift = false;
    for (const unsigned nKey : {VK_LEFT, VK_UP, VK_DOWN, VK_ADD, VK_SUBTRACT, VK_ESCAPE, VK_TAB, VK_SPACE})
        m_match.OnGameKeyDown(nKey);
    EXPECT_EQ((std::vector<unsigned>{VK_LEFT, VK_RIGHT}), m_host.turnSteps);
    EXPECT_EQ((std::vector<unsigned>{VK_RIGHT, VK_LEFT, VK_UP, VK_DOWN, VK_ADD, VK_SUBTRACT}), m_host.buttons);
    EXPECT_EQ(1, m_host.nPauses);
    EXPECT_EQ(0, m_s.m_nFocus) << "TAB focuses the first own draught";
    m_match.CameraKeyStep(VK_LEFT);
    m_match.CameraKeyStep(VK_RIGHT);
    EXPECT_EQ("LR", m_host.turns);
}

TEST_F(MatchTest, HeldStepsStopAtTheirBoundsAndNeverPassThem) {
    // gap: how far the camera is from the bound, positive while a step may still move it; a
    // step carries it at most stepBound past. Up and down keep the distance, a zoom step moves
    // the eye by the camera step; every step keeps the target.
    struct SLimit {
        unsigned nKey;
        std::function<double(const stCamGeom&)> gap;
        bool bZoom;
    };
    const double overheadRadius = std::sqrt(static_cast<double>(0.02f));
    const SLimit limits[] = {
        {VK_UP, [=](const stCamGeom& c) { return std::hypot(c.ex - c.tx, c.ez - c.tz) - overheadRadius; }, false},
        {VK_DOWN, [](const stCamGeom& c) { return c.ey - 0.2; }, false},
        {VK_ADD, [](const stCamGeom& c) { return c.ey - 0.3; }, true},
        {VK_SUBTRACT, [](const stCamGeom& c) { return 8.5 - std::max({std::abs(c.ex), std::abs(c.ey), std::abs(c.ez)}); },
         true},
    };
    Start(kTwo, 1);
    const stCamGeom starts[] = {m_host.cam, ViewFrom(3.0, 1.5, -2.0, 0.5, 0.0, 0.3),
                                ViewFrom(-2.0, 0.9, 0.4, -0.2, 0.0, -0.1)};
    for (const SLimit& lim : limits) {
        for (const stCamGeom& start : starts) {
            const std::string what = "key " + std::to_string(lim.nKey) + " from " + Describe(start);
            m_host.cam = start;
            ASSERT_GT(lim.gap(start), 0.0) << what;
            int nMoves = 0, nIdle = 0, nBadSteps = 0;
            for (int n = 0; n < 2000 && nIdle < 50; ++n) {
                const stCamGeom b = m_host.cam;
                m_match.CameraKeyStep(lim.nKey);
                const stCamGeom& a = m_host.cam;
                if (SameBits(b, a)) {
                    ++nIdle;
                    continue;
                }
                ++nMoves;
                const double stepBound = lim.bZoom ? kCameraZoomStep : b.distance * kCameraElevationStep;
                const double moved = std::hypot(a.ex - b.ex, a.ey - b.ey, a.ez - b.ez);
                // Moving again after a stop, a step from the bound or past it by more than a step.
                nBadSteps += nIdle > 0 || lim.gap(b) <= 0.0 || -lim.gap(a) > stepBound + 1e-12;
                EXPECT_TRUE(a.tx == b.tx && a.ty == b.ty && a.tz == b.tz) << what;
                EXPECT_NEAR(lim.bZoom ? kCameraZoomStep : 0.0, lim.bZoom ? moved : a.distance - b.distance, 1e-6) << what;
                EXPECT_NEAR(std::hypot(a.ex - a.tx, a.ey - a.ty, a.ez - a.tz), a.distance, 1e-12) << what;
            }
            EXPECT_GT(nMoves, 3) << what;
            EXPECT_EQ(50, nIdle) << what << ": never stopped";
            EXPECT_LE(lim.gap(m_host.cam), 0.0) << what << ": stopped short of the bound";
            EXPECT_EQ(0, nBadSteps) << what;
        }
    }
}

TEST_F(MatchTest, TabFocusesTheOwnDraughtsOfTheSideTheCameraFollowsThenTheCentre) {
    struct SCase {
        int nPlayers, nMyWhite, nMySideToMove, nBase;
    };
    const SCase cases[] = {
        {kOne, 1, 1, kWhiteBase}, {kOne, 1, 0, kWhiteBase}, {kOne, 0, 1, 0},
        {kOne, 0, 0, 0},          {kTwo, 1, 1, kWhiteBase}, {kTwo, 1, 0, 0},
    };
    m_s.BoardType = BOARD_SQUARE;  // no draught straight before the eye: every heading turns
    for (const SCase& c : cases) {
        Start(kTwo, 1);
        m_s.m_nPlayers = c.nPlayers;
        m_s.MyWhite = c.nMyWhite;
        m_s.m_bMySideToMove = c.nMySideToMove;
        for (const int k : {1, 2, 5}) Check(c.nBase + k).m_bOnDesk = 0;
        const std::string what = "players " + std::to_string(c.nPlayers) + " MyWhite " + std::to_string(c.nMyWhite) +
                                 " to move " + std::to_string(c.nMySideToMove);
        const int nSwings = m_host.nSwings;
        for (const int nExpected : {0, 3, 4, 6, 7, 8, 9, -1, 0}) {
            const stCamGeom from = m_host.cam;
            m_match.SwapFocus();
            ASSERT_EQ(nExpected, m_s.m_nFocus) << what;
            const double x = nExpected < 0 ? 0.0 : Check(c.nBase + nExpected).m_fX;
            const double z = nExpected < 0 ? 0.0 : Check(c.nBase + nExpected).m_fY;
            ExpectSameView(Retargeted(from, x, z), m_host.cam, 1e-6, what + " focus " + std::to_string(nExpected));
            EXPECT_EQ(nExpected >= 0, m_host.bSight) << what;
        }
        EXPECT_EQ(9, m_host.nSwings - nSwings) << what;
    }
}

TEST_F(MatchTest, TabRefusedWhileBusyAndRestartedFromAFocusThatIsNoOrdinal) {
    struct SCase {
        bool bBusy;
        int nFocusBefore, nFocusAfter, nRefusals;
    };
    const SCase cases[] = {{true, -1, -1, 1}, {true, 3, 3, 1}, {false, -1, 0, 0}, {false, 3, 4, 0}, {false, 42, 0, 0}};
    Start(kOne, 1);
    for (const SCase& c : cases) {
        m_s.m_nFocus = c.nFocusBefore;
        P().m_bBusy = c.bBusy;
        const stCamGeom before = m_host.cam;
        const int nRefusals = m_host.nRefusals, nSwings = m_host.nSwings;
        m_match.SwapFocus();
        const std::string what = "busy " + std::to_string(c.bBusy) + " focus " + std::to_string(c.nFocusBefore);
        EXPECT_EQ(c.nFocusAfter, m_s.m_nFocus) << what;
        EXPECT_EQ(c.nRefusals, m_host.nRefusals - nRefusals) << what;
        EXPECT_EQ(c.bBusy ? 0 : 1, m_host.nSwings - nSwings) << what;
        if (c.bBusy) { EXPECT_TRUE(SameBits(before, m_host.cam)) << what << ": the camera moved"; }
    }
    EXPECT_TRUE(m_log.Mentions("Camera focus 42")) << m_log.All();
}

TEST_F(MatchTest, AimAtFocusFallsBackToTheFirstOwnDraughtOnTheBoard) {
    struct SCase {
        const char* what;
        int nFocus;
        std::vector<int> off;  // own ordinals knocked off
        int nFalling;          // own ordinal falling, -1 none
        bool bBusy;
        int nLooked;           // ordinal the camera must look at, -1 none
    };
    const SCase cases[] = {
        {"focused draught on the board", 2, {}, -1, false, 2},
        {"focused draught gone", 2, {0, 2}, -1, false, 1},
        {"focused draught falling", 2, {}, 2, false, -1},
        {"no own draught left", 2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -1, false, -1},
        {"while a flick runs", 2, {}, -1, true, -1},
        {"board centre focused", -1, {}, -1, false, -1},
    };
    for (const SCase& c : cases) {
        Start(kOne, 1);
        for (int k : c.off) Check(kWhiteBase + k).m_bOnDesk = 0;
        if (c.nFalling >= 0) {
            Check(kWhiteBase + c.nFalling).m_bOnDesk = 0;
            Check(kWhiteBase + c.nFalling).m_bFalling = 1;
        }
        m_s.m_nFocus = c.nFocus;
        P().m_bBusy = c.bBusy;
        const stCamGeom before = m_host.cam = ViewFrom(-0.7, 1.8, 1.9, 0.0, 0.0, 0.0);
        m_match.AimCameraAtFocus();
        EXPECT_EQ(c.nFocus, m_s.m_nFocus) << c.what << ": the focus itself never changes";
        EXPECT_EQ(c.nLooked >= 0, m_host.bSight) << c.what;
        if (c.nLooked >= 0) {
            const CCheck& looked = Check(kWhiteBase + c.nLooked);
            ExpectSameView(Retargeted(before, looked.m_fX, looked.m_fY), m_host.cam, 1e-6, c.what);
        } else {
            EXPECT_TRUE(SameBits(before, m_host.cam)) << c.what << ": the camera moved";
        }
    }
}

TEST_F(MatchTest, TurningToADraughtOrTheCentreKeepsTheEyeAndHeadsByQuadrant) {
    struct SCase {
        double ex, ez;
        float px, pz;        // the draught; the centre when NaN
        bool bKeepsAzimuth;  // an offset of exactly 0 leaves the heading as it was
    };
    const float kCentre = NAN;
    const SCase cases[] = {
        {0.0, 1.0, -0.5f, -0.3f, false}, {0.0, 1.0, 0.5f, -0.3f, false}, {-1.0, -1.0, 0.2f, 0.4f, false},
        {1.0, -1.0, 0.2f, 0.4f, false},  {0.25, 1.0, 0.25f, -0.3f, true}, {1.0, 0.5, -0.2f, 0.5f, true},
        {1.0, 1.0, kCentre, 0, false},   {-1.0, -1.0, kCentre, 0, false}, {0.0, 1.5, kCentre, 0, false},
        {1.2, 0.0, kCentre, 0, true},    {0.0, -1.0, kCentre, 0, true},
    };
    constexpr double kOldAzimuth = 0.123;
    Start(kOne, 1);
    for (int k = 0; k < kChecksPerSide; ++k) Check(kWhiteBase + k).m_bOnDesk = 0;  // TAB goes to the centre
    for (const SCase& c : cases) {
        const bool bCentre = std::isnan(c.px);
        stCamGeom start = ViewFrom(c.ex, 2.0, c.ez, bCentre ? 0.3 : 0.0, 0.0, bCentre ? -0.4 : 0.0);
        start.azimuth = kOldAzimuth;
        m_host.cam = start;
        if (bCentre) {
            m_s.m_nFocus = 4;
            m_match.SwapFocus();
        } else {
            CCheck check;
            check.m_fStartX = c.px;
            check.m_fStartY = c.pz;
            m_match.LookAtDraught(check);
        }
        const std::string what = "eye (" + std::to_string(c.ex) + ", " + std::to_string(c.ez) + ") target (" +
                                 std::to_string(c.px) + ", " + std::to_string(c.pz) + ")";
        stCamGeom expected = bCentre ? Retargeted(start, 0.0, 0.0) : Retargeted(start, c.px, c.pz);
        if (c.bKeepsAzimuth) expected.azimuth = kOldAzimuth;
        ExpectSameView(expected, m_host.cam, 1e-6, what);
        if (bCentre) { EXPECT_FALSE(m_host.bSight) << what; }
    }
}

}  // namespace
