// Aiming by mouse: which draught a click picks, the band the second mark must lie in and the
// launch it writes; on the real renderer, the
// hand as drawn against the click all over the screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/game_wnd.h"
#include "tests/match_probe.h"
#include "game/match_logic.h"
#include "log_capture.h"
#include "position_builder.h"
#include "tests/aim_choice.h"
#include "tests/gl_game_wnd.h"

namespace {

constexpr float kRadius = 0.058f;
constexpr float kMarkHeight = 0.05f;

// ---- The physics of the aim, on plain positions. ----

class AimPhysicsTest : public ::testing::Test {
protected:
    void SetUp() override { m_physics.SetSettings(&m_settings); }
    // Every slot active with some other draught, so a started table shows.
    void FillMovers() {
        for (int k = 0; k < kMoverSlots; ++k) m_settings.m_aMovers[k] = {k % kCheckCount, 1};
    }
    CGameSettings m_settings;
    CKickPhysics m_physics;
};

TEST_F(AimPhysicsTest, AClickPicksTheFirstOwnDraughtOnTheBoardUnderIt) {
    // On the rim: distance equal to the radius, computed the way the disc test computes it.
    const float fRim = kRadius;
    const float fPastRim = std::nextafter(fRim, 1.0f);
    struct SCase {
        const char* szName;
        std::vector<SPlaced> placed;
        int nKnockedOut;  // draught taken off the board, -1 none
        float x, y;
        int nExcluded;
        bool bHit;
        int nIndex;
    };
    const SCase cases[] = {
        {"centre of an own draught", {{12, 0.3f, 0.2f, SIDE_WHITE}}, -1, 0.3f, 0.2f, SIDE_BLACK, true, 12},
        {"exactly on the rim", {{12, 0.0f, 0.0f, SIDE_WHITE}}, -1, fRim, 0.0f, SIDE_BLACK, true, 12},
        {"the next float past the rim", {{12, 0.0f, 0.0f, SIDE_WHITE}}, -1, fPastRim, 0.0f, SIDE_BLACK, false, -1},
        {"shared rim point, lower index left",
         {{12, -fRim, 0.0f, SIDE_WHITE}, {15, fRim, 0.0f, SIDE_WHITE}}, -1, 0.0f, 0.0f, SIDE_BLACK, true, 12},
        {"shared rim point, lower index right",
         {{12, fRim, 0.0f, SIDE_WHITE}, {15, -fRim, 0.0f, SIDE_WHITE}}, -1, 0.0f, 0.0f, SIDE_BLACK, true, 12},
        {"shared rim point, the lower index is the opponent's",
         {{3, -fRim, 0.0f, SIDE_BLACK}, {15, fRim, 0.0f, SIDE_WHITE}}, -1, 0.0f, 0.0f, SIDE_BLACK, true, 15},
        {"black picks black on a shared rim point",
         {{3, -fRim, 0.0f, SIDE_BLACK}, {15, fRim, 0.0f, SIDE_WHITE}}, -1, 0.0f, 0.0f, SIDE_WHITE, true, 3},
        {"an opponent draught", {{3, 0.1f, 0.1f, SIDE_BLACK}}, -1, 0.1f, 0.1f, SIDE_BLACK, false, -1},
        {"a knocked-out draught's last place", {{12, 0.1f, 0.1f, SIDE_WHITE}}, 12, 0.1f, 0.1f, SIDE_BLACK, false, -1},
        {"empty board", {}, -1, 0.0f, 0.0f, SIDE_BLACK, false, -1},
        {"between two own draughts", {{12, -0.2f, 0.0f, SIDE_WHITE}, {13, 0.2f, 0.0f, SIDE_WHITE}}, -1, 0.0f, 0.0f,
         SIDE_BLACK, false, -1},
    };
    for (const SCase& c : cases) {
        CDesk desk = EmptyDesk(m_settings);
        for (const SPlaced& p : c.placed) desk.m_aChecks[p.nCheck].Init(p.x, p.y, p.nSide);
        if (c.nKnockedOut >= 0) desk.m_aChecks[c.nKnockedOut].m_bOnDesk = 0;
        int nIndex = -1;
        const bool bHit = m_physics.PickOwnDraught(c.x, c.y, c.nExcluded, desk, nIndex);
        EXPECT_EQ(c.bHit, bHit) << c.szName << ": click (" << c.x << ", " << c.y << ")";
        if (c.bHit && bHit) {
            EXPECT_EQ(c.nIndex, nIndex) << c.szName;
        }
    }
    // The rim cases above mean what they say only if the float squares meet that way.
    CDesk desk = EmptyDesk(m_settings);
    desk.m_aChecks[12].Init(0.0f, 0.0f, SIDE_WHITE);
    const float r2 = desk.m_aChecks[12].m_fRadius2;
    EXPECT_EQ(r2, fRim * fRim);
    EXPECT_GT(fPastRim * fPastRim, r2);
}

TEST_F(AimPhysicsTest, TheSecondMarkIsAcceptedExactlyOnTheBandEdgesAndRefusedJustOutside) {
    m_settings.BoardType = BOARD_SQUARE;
    // The draught's squared radius is chosen so that the band edge falls exactly on the
    // squared distance of the test point; the neighbour point is the nearest float whose
    // squared distance differs.
    const float xInner = 0.082f, xOuter = 0.232f;
    const float dInner = xInner * xInner, dOuter = xOuter * xOuter;
    auto nextDifferent = [](float x, float toward) {
        const float d = x * x;
        float y = x;
        for (int i = 0; i < 16 && y * y == d; ++i) y = std::nextafter(y, toward);
        return y;
    };
    struct SCase {
        const char* szName;
        float x;
        float r2;
        bool bAccepted;
    };
    const SCase cases[] = {
        {"exactly 2 squared radii", xInner, dInner / 2.0f, true},
        {"just inside 2 squared radii", nextDifferent(xInner, 0.0f), dInner / 2.0f, false},
        {"exactly 16 squared radii", xOuter, dOuter / 16.0f, true},
        {"just beyond 16 squared radii", nextDifferent(xOuter, 1.0f), dOuter / 16.0f, false},
        {"on the draught", 0.01f, kRadius * kRadius, false},
        {"far away", 1.0f, kRadius * kRadius, false},
    };
    for (const SCase& t : cases) {
        CDesk desk = DeskWith(m_settings, {{12, 0.0f, 0.0f, SIDE_WHITE}});
        CCheck c = desk.m_aChecks[12];
        c.m_fRadius2 = t.r2;
        const CCheck before = c;
        FillMovers();
        const float first[3] = {0.0f, kMarkHeight, 0.0f};
        float p[3] = {t.x, 0.0f, 0.0f};
        const bool bAccepted = m_physics.MakeFlick(12, first, p, c);
        const float d2 = t.x * t.x;
        EXPECT_EQ(t.bAccepted, bAccepted) << t.szName << ": d2 " << d2 << " = " << d2 / t.r2 << " squared radii";
        if (bAccepted) continue;
        EXPECT_EQ(before.m_fSpeed, c.m_fSpeed) << t.szName;
        EXPECT_EQ(before.m_fVx0, c.m_fVx0) << t.szName;
        EXPECT_EQ(before.m_fVy0, c.m_fVy0) << t.szName;
        EXPECT_EQ(before.m_fDirX, c.m_fDirX) << t.szName;
        EXPECT_EQ(before.m_fDirY, c.m_fDirY) << t.szName;
        EXPECT_EQ(1, m_settings.m_aMovers[0].bActive) << t.szName << ": the mover table was started";
        EXPECT_EQ(t.x, p[0]) << t.szName << ": a refused point is left alone";
    }
}

TEST_F(AimPhysicsTest, LaunchSpeedGrowsWithTheFingerDistanceByTheBoardsFactor) {
    // Just inside the band's two edges.
    const float fInner = std::sqrt(2.0f) * kRadius * 1.0001f, fOuter = 4.0f * kRadius * 0.9999f;
    struct SCase {
        int nBoard;
        float fDistance;
        float fSpeed;
    };
    const SCase cases[] = {
        {BOARD_SQUARE, 0.2f, 6.24f},  // (0.2 - 0.07) x 48
        {BOARD_ROUND, 0.2f, 7.67f},   // x 59
        {BOARD_TWELVE, 0.2f, 5.72f},  // x 44
        {BOARD_SQUARE, fInner, 0.577f},
        {BOARD_SQUARE, fOuter, 7.776f},
        {BOARD_ROUND, fInner, 0.709f},
        {BOARD_ROUND, fOuter, 9.558f},
        {BOARD_TWELVE, fInner, 0.529f},
        {BOARD_TWELVE, fOuter, 7.128f},
    };
    for (const SCase& t : cases) {
        m_settings.BoardType = t.nBoard;
        CDesk desk = DeskWith(m_settings, {{4, 0.1f, -0.1f, SIDE_BLACK}});
        CCheck c = desk.m_aChecks[4];
        const float first[3] = {0.1f, kMarkHeight, -0.1f};
        // Along a 3-4-5 line, so the distance is the one asked for up to rounding.
        const float px = 0.1f + 0.6f * t.fDistance, py = -0.1f + 0.8f * t.fDistance;
        float p[3] = {px, py, py};
        ASSERT_TRUE(m_physics.MakeFlick(4, first, p, c)) << "board " << t.nBoard << " distance " << t.fDistance;
        EXPECT_NEAR(t.fSpeed, c.m_fSpeed, 2e-3f) << "board " << t.nBoard << " distance " << t.fDistance;
    }
}

TEST_F(AimPhysicsTest, AnAcceptedFlickWritesTheLaunchTowardsTheCentreAndStartsTheMoverTable) {
    m_settings.BoardType = BOARD_SQUARE;
    struct SCase {
        float cx, cy;  // draught centre
        float ox, oy;  // second mark minus centre
        float fDirX, fDirY;
    };
    const SCase cases[] = {
        {0.1f, -0.1f, 0.12f, 0.16f, -0.6f, -0.8f},
        {-0.3f, 0.25f, -0.09f, 0.12f, 0.6f, -0.8f},
        {0.0f, 0.0f, 0.0f, -0.15f, 0.0f, 1.0f},
        {0.2f, 0.2f, 0.15f, 0.0f, -1.0f, 0.0f},
    };
    for (const SCase& t : cases) {
        CDesk desk = DeskWith(m_settings, {{17, t.cx, t.cy, SIDE_WHITE}});
        CCheck c = desk.m_aChecks[17];
        FillMovers();
        // The first mark is on the centre but a hair off in x, so no line is straight up.
        const float first[3] = {t.cx + 0.5f, kMarkHeight, t.cy};
        float p[3] = {t.cx + t.ox, t.cy + t.oy, t.cy + t.oy};
        ASSERT_TRUE(m_physics.MakeFlick(17, first, p, c)) << "offset " << t.ox << ", " << t.oy;
        const float fDistance = std::hypot(t.ox, t.oy);
        const float fSpeed = (fDistance - 0.07f) * 48.0f;
        EXPECT_NEAR(fSpeed, c.m_fSpeed, 1e-4f) << "offset " << t.ox << ", " << t.oy;
        EXPECT_NEAR(t.fDirX, c.m_fDirX, 1e-5f) << "offset " << t.ox << ", " << t.oy;
        EXPECT_NEAR(t.fDirY, c.m_fDirY, 1e-5f) << "offset " << t.ox << ", " << t.oy;
        EXPECT_EQ(c.m_fDirX, c.m_fAimCos);
        EXPECT_EQ(1.0f, c.m_fKickCos);
        EXPECT_EQ(0.0f, c.m_fKickSin);
        EXPECT_NEAR(fSpeed * t.fDirX, c.m_fVx0, 1e-4f) << "offset " << t.ox << ", " << t.oy;
        EXPECT_NEAR(fSpeed * t.fDirY, c.m_fVy0, 1e-4f) << "offset " << t.ox << ", " << t.oy;
        int nActive = 0;
        for (int k = 0; k < kFlickSlot; ++k) nActive += m_settings.m_aMovers[k].bActive;
        EXPECT_EQ(0, nActive) << "slots before the flick slot stay inactive";
        EXPECT_EQ(17, m_settings.m_aMovers[kFlickSlot].nCheck);
        EXPECT_EQ(1, m_settings.m_aMovers[kFlickSlot].bActive);
    }
}

TEST_F(AimPhysicsTest, ASecondMarkStraightBelowTheCentreFlicksAlongTheYAxisButNeverExactly) {
    m_settings.BoardType = BOARD_TWELVE;
    struct SCase {
        float fBelow;  // second mark this far from the centre in -y (negative: above)
    };
    for (const SCase t : {SCase{0.15f}, SCase{0.1f}, SCase{-0.2f}}) {
        CDesk desk = DeskWith(m_settings, {{11, 0.1f, 0.2f, SIDE_WHITE}});
        CCheck c = desk.m_aChecks[11];
        const float first[3] = {0.1f, kMarkHeight, 0.2f};
        float p[3] = {0.1f, 0.2f - t.fBelow, 0.2f - t.fBelow};
        ASSERT_TRUE(m_physics.MakeFlick(11, first, p, c)) << "below " << t.fBelow;
        EXPECT_NE(0.0f, c.m_fDirX) << "below " << t.fBelow << ": exactly parallel to the y axis";
        EXPECT_LT(std::fabs(c.m_fDirX), 1e-4f) << "below " << t.fBelow;
        EXPECT_NEAR(t.fBelow > 0 ? 1.0f : -1.0f, c.m_fDirY, 1e-6f) << "below " << t.fBelow;
        EXPECT_NEAR((std::fabs(t.fBelow) - 0.07f) * 44.0f, c.m_fSpeed, 1e-4f) << "below " << t.fBelow;
    }
}

TEST_F(AimPhysicsTest, AnUnknownBoardRefusesTheFlickWithALogLine) {
    for (int nBoard : {3, -1, 1000}) {
        CLogCapture log;
        m_settings.BoardType = nBoard;
        CDesk desk = DeskWith(m_settings, {{12, 0.0f, 0.0f, SIDE_WHITE}});
        CCheck c = desk.m_aChecks[12];
        FillMovers();
        const float first[3] = {0.0f, kMarkHeight, 0.0f};
        float p[3] = {0.15f, 0.0f, 0.0f};
        EXPECT_FALSE(m_physics.MakeFlick(12, first, p, c)) << "board " << nBoard;
        EXPECT_EQ(0.0f, c.m_fVx0) << "board " << nBoard;
        EXPECT_EQ(0.0f, c.m_fSpeed) << "board " << nBoard;
        EXPECT_EQ(1, m_settings.m_aMovers[0].bActive) << "board " << nBoard;
        EXPECT_TRUE(log.Mentions("board type " + std::to_string(nBoard))) << log.All();
    }
}

long Packed(int x, int y) { return static_cast<long>((static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu)); }

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
        const SViewProjection vp = CameraViewProjection(wnd->GetCamera());
        ASSERT_TRUE(aim_choice::ToWindow(vp, target[0], 0.0, target[2], 0, 0, x, y));
        wnd->StepFrame();
        wnd->InjectLButton(true, x, y);
        wnd->InjectLButton(false, x, y);
        wnd->StepFrame();
        ASSERT_EQ(c - wnd->Desk().m_aChecks, wnd->Match().Selected());
    }
};

TEST_F(AimAgreementTest, TheHandShowsOpenExactlyWhereTheSecondClickIsTakenOnEveryBoardAndView) {
    constexpr int kGrid = 50;  // pixels between cursor positions
    const double views[][3] = {{0.0, 0.55, 0.5}, {0.7, 0.3, 0.1}, {-0.3, 1.2, -0.5}};
    const char* const szState[] = {"open", "closed", "hidden"};
    for (int nBoard : {BOARD_SQUARE, BOARD_ROUND, BOARD_TWELVE}) {
        wnd->Settings().BoardType = nBoard;
        wnd->Settings().m_nPlayers = 3;
        for (const auto& view : views) {
            ASSERT_NO_FATAL_FAILURE(MarkBackRowDraught(view));
            int nTakenBeyondRim = 0;
            for (int y = kGrid / 2; y < kLogicalHeight; y += kGrid) {
                for (int x = kGrid / 2; x < kLogicalWidth; x += kGrid) {
                    wnd->InjectMouseMove(x, y);
                    wnd->StepFrame();  // draws the hand under the cursor
                    const int nState = wnd->m_bCursorShown ? 2 : wnd->Match().IsHandInvalid();
                    // As the window loop hands it on, against the frame just drawn.
                    wnd->OnLButtonDown(MK_LBUTTON, Packed(x, y));
                    const bool bTaken = wnd->Match().IsBusy();
                    EXPECT_EQ(nState == 0, bTaken) << "board " << nBoard << ", eye " << view[0] << " " << view[1]
                                                   << ", pixel " << x << " " << y << ": " << szState[nState];
                    if (!bTaken) continue;
                    nTakenBeyondRim += aim_choice::OnBoard(wnd->Settings(), CMatchProbe(wnd->Match()).m_ptPick[0], CMatchProbe(wnd->Match()).m_ptPick[2]) ? 0 : 1;
                    ASSERT_NO_FATAL_FAILURE(MarkBackRowDraught(view));
                }
            }
            EXPECT_GT(nTakenBeyondRim, 0) << "board " << nBoard << ", eye " << view[0] << " " << view[1];
        }
    }
}

}  // namespace
