// Aiming by mouse: which draught a click picks, the band the second mark must lie in and the
// launch it writes; on the real renderer, the hand as drawn against the click all over the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/game_wnd.h"
#include "core/players.h"
#include "game/match_logic.h"
#include "tests/support/log_capture.h"
#include "tests/support/position_builder.h"
#include "tests/support/aim_choice.h"
#include "tests/support/gl_game_wnd.h"
#include "tests/support/match_probe.h"

namespace {

constexpr float kRadius = 0.058f;
constexpr float kMarkHeight = 0.05f;

class AimPhysicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_physics.SetSettings(&m_settings);
    }
    // The flick of draught 12 at (cx, cy), its first mark on the centre, the finger at (px, py).
    bool Flick(int nBoard, float cx, float cy, float px, float py, CCheck& c, float r2 = kRadius * kRadius) {
        m_settings.BoardType = nBoard;
        // Every slot active with some draught, so that a started mover table shows.
        for (int k = 0; k < kMoverSlots; ++k) m_settings.m_aMovers[k] = {k % kCheckCount, 1};
        c = DeskWith(m_settings, {{12, cx, cy, SIDE_WHITE}}).m_aChecks[12];
        c.m_fRadius2 = r2;
        const float first[3] = {cx, kMarkHeight, cy};
        float p[3] = {px, py, py};
        return m_physics.MakeFlick(12, first, p, c);
    }
    CGameSettings m_settings;
    CKickPhysics m_physics;
};

TEST_F(AimPhysicsTest, AClickPicksTheFirstOwnDraughtOnTheBoardUnderIt) {
    // On the rim: distance equal to the radius, computed the way the disc test computes it.
    const float fRim = kRadius, fPastRim = std::nextafter(fRim, 1.0f);
    ASSERT_GT(fPastRim * fPastRim, fRim * fRim);
    struct SCase {
        const char* szName;
        std::vector<SPlaced> placed;
        int nKnockedOut;  // draught taken off the board, -1 none
        float x, y;
        int nExcluded, nIndex;  // -1: no pick
    };
    const SCase cases[] = {
        {"centre of an own draught", {{12, 0.3f, 0.2f, SIDE_WHITE}}, -1, 0.3f, 0.2f, SIDE_BLACK, 12},
        {"exactly on the rim", {{12, 0.0f, 0.0f, SIDE_WHITE}}, -1, fRim, 0.0f, SIDE_BLACK, 12},
        {"the next float past the rim", {{12, 0.0f, 0.0f, SIDE_WHITE}}, -1, fPastRim, 0.0f, SIDE_BLACK, -1},
        {"shared rim, lower index left", {{12, -fRim, 0, SIDE_WHITE}, {15, fRim, 0, SIDE_WHITE}}, -1, 0, 0, SIDE_BLACK, 12},
        {"shared rim, lower index right", {{12, fRim, 0, SIDE_WHITE}, {15, -fRim, 0, SIDE_WHITE}}, -1, 0, 0, SIDE_BLACK, 12},
        {"shared rim, lower is the opponent's", {{3, -fRim, 0, SIDE_BLACK}, {15, fRim, 0, SIDE_WHITE}}, -1, 0, 0, SIDE_BLACK, 15},
        {"black picks black", {{3, -fRim, 0, SIDE_BLACK}, {15, fRim, 0, SIDE_WHITE}}, -1, 0, 0, SIDE_WHITE, 3},
        {"an opponent draught", {{3, 0.1f, 0.1f, SIDE_BLACK}}, -1, 0.1f, 0.1f, SIDE_BLACK, -1},
        {"a knocked-out draught's last place", {{12, 0.1f, 0.1f, SIDE_WHITE}}, 12, 0.1f, 0.1f, SIDE_BLACK, -1},
        {"between two own draughts", {{12, -0.2f, 0, SIDE_WHITE}, {13, 0.2f, 0, SIDE_WHITE}}, -1, 0, 0, SIDE_BLACK, -1},
    };
    for (const SCase& c : cases) {
        CDesk desk = EmptyDesk(m_settings);
        for (const SPlaced& p : c.placed) desk.m_aChecks[p.nCheck].Init(p.x, p.y, p.nSide);
        if (c.nKnockedOut >= 0) desk.m_aChecks[c.nKnockedOut].m_bOnDesk = 0;
        int nIndex = -1;
        EXPECT_EQ(c.nIndex >= 0, m_physics.PickOwnDraught(c.x, c.y, c.nExcluded, desk, nIndex)) << c.szName;
        EXPECT_EQ(c.nIndex, nIndex) << c.szName;
    }
}

TEST_F(AimPhysicsTest, TheSecondMarkIsTakenExactlyOnTheBandEdgesAndRefusedOutsideOrOnAnUnknownBoard) {
    // The squared radius puts the band edge exactly on the test point's squared distance; the
    // neighbour is the nearest float whose squared distance differs.
    const float xInner = 0.082f, xOuter = 0.232f;
    auto nextDifferent = [](float x, float toward) {
        float y = x;
        for (int i = 0; i < 16 && y * y == x * x; ++i) y = std::nextafter(y, toward);
        return y;
    };
    struct SCase {
        int nBoard;
        float x, r2;
        bool bTaken;
    };
    const SCase cases[] = {
        {BOARD_SQUARE, xInner, xInner * xInner / 2.0f, true},  // exactly 2 squared radii
        {BOARD_SQUARE, nextDifferent(xInner, 0.0f), xInner * xInner / 2.0f, false},
        {BOARD_SQUARE, xOuter, xOuter * xOuter / 16.0f, true},  // exactly 16 squared radii
        {BOARD_SQUARE, nextDifferent(xOuter, 1.0f), xOuter * xOuter / 16.0f, false},
        {BOARD_SQUARE, 0.01f, kRadius * kRadius, false},  {BOARD_SQUARE, 1.0f, kRadius * kRadius, false},
        {BOARD_SQUARE, NAN, kRadius * kRadius, false},    {3, 0.15f, kRadius * kRadius, false},
        {-1, 0.15f, kRadius * kRadius, false},            {1000, 0.15f, kRadius * kRadius, false},
    };
    for (const SCase& t : cases) {
        CLogCapture log;
        CCheck c;
        const bool bTaken = Flick(t.nBoard, 0.0f, 0.0f, t.x, 0.0f, c, t.r2);
        EXPECT_EQ(t.bTaken, bTaken) << "board " << t.nBoard << " d2 " << t.x * t.x << " = " << t.x * t.x / t.r2 << " r2";
        if (bTaken) continue;
        EXPECT_TRUE(c.m_fSpeed == 0.0f && c.m_fVx0 == 0.0f && c.m_fVy0 == 0.0f && c.m_fDirX == 0.0f) << t.x;
        EXPECT_EQ(1, m_settings.m_aMovers[0].bActive) << t.x << ": the mover table was started";
        EXPECT_EQ(t.nBoard != BOARD_SQUARE, log.Mentions("board type " + std::to_string(t.nBoard))) << log.All();
    }
}

TEST_F(AimPhysicsTest, AFlickIsLaunchedTowardsTheCentreFasterWithTheFingerDistanceByTheBoardsFactor) {
    // The launch goes from the finger through the centre at (distance - 0.07) x the board's
    // factor; a finger straight below the first mark is nudged off the exact vertical.
    struct SCase {
        int nBoard;
        float cx, cy, ox, oy;  // draught centre, and the finger minus the centre
        float fFactor, fDirX, fDirY;
    };
    const SCase cases[] = {
        {BOARD_SQUARE, 0.1f, -0.1f, 0.12f, 0.16f, 48.0f, -0.6f, -0.8f},
        {BOARD_ROUND, -0.3f, 0.25f, -0.12f, 0.16f, 59.0f, 0.6f, -0.8f},
        {BOARD_TWELVE, 0.1f, 0.2f, 0.0f, -0.15f, 44.0f, 0.0f, 1.0f},
        {BOARD_TWELVE, 0.1f, 0.2f, 0.0f, 0.2f, 44.0f, 0.0f, -1.0f},
        {BOARD_SQUARE, 0.2f, 0.2f, 0.15f, 0.0f, 48.0f, -1.0f, 0.0f},
        {BOARD_SQUARE, 0.0f, 0.0f, std::sqrt(2.0f) * kRadius * 1.0001f, 0.0f, 48.0f, -1.0f, 0.0f},
        {BOARD_ROUND, 0.0f, 0.0f, 4.0f * kRadius * 0.9999f, 0.0f, 59.0f, -1.0f, 0.0f},
    };
    for (const SCase& t : cases) {
        const std::string what = "board " + std::to_string(t.nBoard) + " offset " + std::to_string(t.ox) + ", " +
                                 std::to_string(t.oy);
        CCheck c;
        ASSERT_TRUE(Flick(t.nBoard, t.cx, t.cy, t.cx + t.ox, t.cy + t.oy, c)) << what;
        const float fSpeed = (std::hypot(t.ox, t.oy) - 0.07f) * t.fFactor;
        EXPECT_NEAR(fSpeed, c.m_fSpeed, 1e-4f) << what;
        EXPECT_NE(0.0f, c.m_fDirX) << what;
        EXPECT_NEAR(t.fDirX, c.m_fDirX, 1e-4f) << what;
        EXPECT_NEAR(t.fDirY, c.m_fDirY, 1e-5f) << what;
        EXPECT_EQ((std::vector{c.m_fAimCos, c.m_fKickCos, c.m_fKickSin}), (std::vector{c.m_fDirX, 1.0f, 0.0f})) << what;
        EXPECT_NEAR(fSpeed * t.fDirX, c.m_fVx0, 1e-4f) << what;
        EXPECT_NEAR(fSpeed * t.fDirY, c.m_fVy0, 1e-4f) << what;
        int nActive = 0;
        for (int k = 0; k < kFlickSlot; ++k) nActive += m_settings.m_aMovers[k].bActive;
        EXPECT_EQ(0, nActive) << what << ": slots before the flick slot stay inactive";
        EXPECT_TRUE(m_settings.m_aMovers[kFlickSlot].nCheck == 12 && m_settings.m_aMovers[kFlickSlot].bActive) << what;
    }
}

// ---- On the real renderer: the hand drawn under the cursor is what a click there does. ----

class AimAgreementTest : public CGlGameWndTest {
protected:
    // A new two-player match, white's draught farthest towards +x+y (on the back row, by the
    // rim) seen from the eye offset from it, and the first mark placed on it by a click.
    void MarkBackRowDraught(const double eyeOffset[3]) {
        wnd->StopMatch();
        wnd->StartMatch();
        wnd->SetScreen(SCREEN_GAME);
        const CCheck* c = nullptr;
        for (const CCheck& k : wnd->Desk().m_aChecks)
            if (k.m_nSide == SIDE_WHITE && (!c || k.m_fStartX + k.m_fStartY > c->m_fStartX + c->m_fStartY)) c = &k;
        const double target[3] = {c->m_fStartX, 0.0, c->m_fStartY};
        const double eye[3] = {target[0] + eyeOffset[0], eyeOffset[1], target[2] + eyeOffset[2]};
        wnd->SetCamera(CameraLookingAt(eye, target));
        int x = 0, y = 0;
        ASSERT_TRUE(aim_choice::ToWindow(CameraViewProjection(wnd->GetCamera()), target[0], 0.0, target[2], 0, 0, x, y));
        wnd->StepFrame();
        wnd->InjectLButton(true, x, y);
        wnd->InjectLButton(false, x, y);
        wnd->StepFrame();
        ASSERT_EQ(c - wnd->Desk().m_aChecks, wnd->Match().Selected());
    }
};

// Before a pick the mouse moves no hand; in a two-player match the player to move picks his own
// colour only, black once the move has passed; a right click drops the pick unless a flick runs.
TEST_F(AimAgreementTest, NoHandBeforeAPickEachPlayerPicksHisOwnColourAndARightClickDropsThePick) {
    wnd->Settings().m_nPlayers = kTwoPlayers;
    wnd->StartMatch();
    wnd->SetScreen(SCREEN_GAME);
    wnd->PassTurnByTurn();
    const SViewProjection vp = CameraViewProjection(wnd->GetCamera());
    for (const auto& [nCheck, nPicked] : {std::pair{15, -1}, std::pair{2, 2}}) {
        const CCheck& c = wnd->Desk().m_aChecks[nCheck];
        int x = 0, y = 0;
        ASSERT_TRUE(aim_choice::ToWindow(vp, c.m_fStartX, 0.0, c.m_fStartY, 0, 0, x, y));
        wnd->InjectMouseMove(x, y);
        wnd->StepFrame();
        EXPECT_FALSE(CMatchProbe(wnd->Match()).m_bHandShown) << "draught " << nCheck;
        wnd->InjectLButton(true, x, y);
        wnd->InjectLButton(false, x, y);
        wnd->StepFrame();
        EXPECT_EQ(nPicked, wnd->Match().Selected()) << "draught " << nCheck;
    }
    // A right click drops the pick, but not while a flick runs.
    CMatchProbe(wnd->Match()).m_bBusy = true;
    wnd->OnRButtonDown(0, 0);
    EXPECT_EQ(2, wnd->Match().Selected());
    CMatchProbe(wnd->Match()).m_bBusy = false;
    wnd->OnRButtonDown(0, 0);
    EXPECT_EQ(-1, wnd->Match().Selected());
}

TEST_F(AimAgreementTest, TheHandShowsOpenExactlyWhereTheSecondClickIsTakenOnEveryBoardAndView) {
    constexpr int kGrid = 60;  // pixels between cursor positions
    const double views[][3] = {{0.0, 0.55, 0.5}, {0.7, 0.3, 0.1}};
    const char* const szState[] = {"open", "closed", "hidden"};
    int nOffAreaSeen = 0;
    for (int nBoard : {BOARD_SQUARE, BOARD_ROUND, BOARD_TWELVE}) {
        wnd->Settings().BoardType = nBoard;
        wnd->Settings().m_nPlayers = kTwoPlayers;
        for (const auto& view : views) {
            ASSERT_NO_FATAL_FAILURE(MarkBackRowDraught(view));
            int nTakenBeyondRim = 0, nOffArea = 0;
            for (int y = kGrid / 2; y < kLogicalHeight; y += kGrid)
                for (int x = kGrid / 2; x < kLogicalWidth; x += kGrid) {
                    wnd->InjectMouseMove(x, y);
                    wnd->StepFrame();  // draws the hand under the cursor
                    const int nState = wnd->m_bCursorShown ? 2 : wnd->Match().IsHandInvalid();
                    // Far out on the floor the system cursor stands in for the hand.
                    const TScenePoint& at = CMatchProbe(wnd->Match()).m_ptPick;
                    if (std::fabs(at[0]) > 3.0f || std::fabs(at[2]) > 3.0f) {
                        ++nOffArea;
                        EXPECT_EQ(2, nState) << "pixel " << x << " " << y << " meets the floor at " << at[0] << " " << at[2];
                    }
                    // As the window loop hands it on, against the frame just drawn.
                    wnd->OnLButtonDown(MK_LBUTTON, static_cast<long>((static_cast<uint32_t>(y) << 16) | x));
                    const bool bTaken = wnd->Match().IsBusy();
                    EXPECT_EQ(nState == 0, bTaken) << "board " << nBoard << ", eye " << view[0] << " " << view[1]
                                                   << ", pixel " << x << " " << y << ": " << szState[nState];
                    if (!bTaken) continue;
                    const TScenePoint& pick = CMatchProbe(wnd->Match()).m_ptPick;
                    nTakenBeyondRim += !aim_choice::OnBoard(wnd->Settings(), pick[0], pick[2]);
                    ASSERT_NO_FATAL_FAILURE(MarkBackRowDraught(view));
                }
            EXPECT_GT(nTakenBeyondRim, 0) << "board " << nBoard << ", eye " << view[0] << " " << view[1];
            nOffAreaSeen += nOffArea;
        }
    }
    EXPECT_GT(nOffAreaSeen, 0) << "no view reaches the floor beyond the board area";
}

}  // namespace
