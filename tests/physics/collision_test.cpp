// Collisions: speed exchange by material, spin, back-step, and overlaps from the start.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "physics/flick_simulation.h"
#include "tests/support/position_builder.h"

namespace {

// The shooter 10 and the target 2 in the first step in which the target moves.
struct CFirstImpact : IStepRecorder {
    bool bSeen = false;
    CDesk d;
    bool RecordStep(const CDesk& step) override {
        if (!bSeen && step.m_aChecks[2].m_bMoving) bSeen = true, d = step;
        return true;
    }
};


}  // namespace

TEST(Collision, HitsHandOverTheBounceShareKeepMomentumAndSpinOppositeWays) {
    const struct {
        int nMaterial;
        float e, dy;  // bounce; the shooter's offset from the line of centres
        bool bAnimate;
    } cases[] = {{CHECK_BONE, 0.8f, 0.0f, true}, {CHECK_WOOD, 0.73f, 0.0f, true}, {CHECK_STONE, 0.95f, 0.0f, true},
                 {CHECK_WOOD, 0.73f, 0.05f, false}, {CHECK_STONE, 0.95f, -0.03f, true}};
    for (const auto& c : cases)
        for (int board = 0; board < 3; ++board) {
            SCOPED_TRACE(testing::Message() << "material " << c.nMaterial << " board " << board << " dy " << c.dy);
            CGameSettings s;
            s.BoardType = board, s.CheckType = c.nMaterial;
            CDesk d = DeskWith(s, {{10, -0.3f, c.dy, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
            Launch(d, s, 10, 2.0f, 0.0f);
            CFirstImpact rec;
            Simulate(s, d, 10, c.bAnimate, &rec);
            ASSERT_TRUE(rec.bSeen);
            const CCheck &a = rec.d.m_aChecks[10], &b = rec.d.m_aChecks[2];
            EXPECT_EQ(rec.d.m_bKnock, c.bAnimate ? 1 : 0) << "the look-ahead sets no knock";
            if (c.dy != 0.0f) {
                EXPECT_NE(a.m_fSpin, 0.0f);
                EXPECT_FLOAT_EQ(a.m_fSpin, -b.m_fSpin);
                EXPECT_EQ(a.m_fSpin0, a.m_fSpin);
                EXPECT_LT(b.m_fVy0 * c.dy, 0.0f) << "the target leaves along the line of centres, away from the hit";
                continue;
            }
            const float u = a.m_fVx;  // the shooter's speed at impact; the target rested
            EXPECT_GT(u, 1.5f);
            EXPECT_NEAR(a.m_fVx0, (1.0f - c.e) * u, 1e-5) << "the shooter keeps 1 - e";
            EXPECT_NEAR(b.m_fVx0, c.e * u, 1e-5) << "the target gets e";
            EXPECT_TRUE(std::fabs(a.m_fVy0) < 1e-6f && std::fabs(b.m_fVy0) < 1e-6f && b.m_fDirX == 1.0f);
            EXPECT_EQ(a.m_fSpin, 0.0f) << "a head-on hit gives no spin";
            EXPECT_EQ(rec.d.m_nKnockVolume, int(-300.0f / std::fabs(a.m_fVx0 + b.m_fVx0)));
            // After the back-step the two are no closer than touching, within a tenth step.
            const float gap = b.m_fX - a.m_fX;
            EXPECT_GE(gap, 0.116f - 2.0f * 0.01f / 10.0f * u);
            EXPECT_LT(gap, 0.116f + 0.01f * u);
        }
}

// Draughts overlapping from the start: no back-step finds a free place, so they never part,
// and each exchange still loses speed, so the flick ends. A draught sliding along y meanwhile
// is not held with them: it goes as far as alone.
TEST(Collision, OverlapsAreLeftAloneAndTheFlickEnds) {
    CGameSettings s;
    s.BoardType = BOARD_ROUND;
    CDesk alone = DeskWith(s, {{5, 0.3f, -0.6f, SIDE_BLACK}});
    Launch(alone, s, 5, 0.0f, 2.0f);
    Simulate(s, alone, 5, false);
    for (int nCase = 0; nCase < 4; ++nCase) {
        CDesk d = DeskWith(s, {{10, -0.1f, 0.0f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}, {5, 0.3f, -0.6f, SIDE_BLACK}});
        Launch(d, s, 5, 0.0f, 2.0f);
        Launch(d, s, 10, 1.0f, 0.0f);
        s.m_aMovers[97] = {5, 1};
        if (nCase >= 2) d.m_aChecks[2].m_fVx0 = d.m_aChecks[2].m_fDirX = d.m_aChecks[2].m_bMoving = 1, s.m_aMovers[98] = {2, 1};
        EXPECT_EQ(Simulate(s, d, 10, nCase % 2 == 0).end, EFlickEnd::Rest);
        EXPECT_TRUE(d.m_aChecks[10].m_fX == -0.1f && d.m_aChecks[2].m_fX == 0.0f) << nCase;
        EXPECT_EQ(d.m_aChecks[5].m_fY, alone.m_aChecks[5].m_fY) << nCase;
    }
}
