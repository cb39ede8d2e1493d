// Collisions: speed exchange by material, spin, back-step, the mover table.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "physics/flick_simulation.h"
#include "tests/support/position_builder.h"

namespace {

// The shooter 10 and the target 2 in the first step in which the target moves.
struct CFirstImpact : IStepRecorder {
    bool bSeen = false;
    CCheck a, b;
    int nKnock = 0, nVolume = 0;
    bool RecordStep(const CDesk& step) override {
        if (bSeen || !step.m_aChecks[2].m_bMoving) return true;
        bSeen = true;
        a = step.m_aChecks[10];
        b = step.m_aChecks[2];
        nKnock = step.m_bKnock;
        nVolume = step.m_nKnockVolume;
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
            s.BoardType = board;
            s.CheckType = c.nMaterial;
            CDesk d = DeskWith(s, {{10, -0.3f, c.dy, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
            Launch(d, s, 10, 2.0f, 0.0f);
            CFirstImpact rec;
            Simulate(s, d, 10, c.bAnimate, &rec);
            ASSERT_TRUE(rec.bSeen);
            EXPECT_EQ(rec.nKnock, c.bAnimate ? 1 : 0) << "the look-ahead sets no knock";
            if (c.dy != 0.0f) {
                EXPECT_NE(rec.a.m_fSpin, 0.0f);
                EXPECT_FLOAT_EQ(rec.a.m_fSpin, -rec.b.m_fSpin);
                EXPECT_EQ(rec.a.m_fSpin0, rec.a.m_fSpin);
                EXPECT_LT(rec.b.m_fVy0 * c.dy, 0.0f) << "the target leaves along the line of centres, away from the hit";
                continue;
            }
            const float u = rec.a.m_fVx;  // the shooter's speed at impact; the target rested
            EXPECT_GT(u, 1.5f);
            EXPECT_NEAR(rec.a.m_fVx0, (1.0f - c.e) * u, 1e-5) << "the shooter keeps 1 - e";
            EXPECT_NEAR(rec.b.m_fVx0, c.e * u, 1e-5) << "the target gets e";
            EXPECT_TRUE(std::fabs(rec.a.m_fVy0) < 1e-6f && std::fabs(rec.b.m_fVy0) < 1e-6f && rec.b.m_fDirX == 1.0f);
            EXPECT_EQ(rec.a.m_fSpin, 0.0f) << "a head-on hit gives no spin";
            EXPECT_EQ(rec.nVolume, int(-300.0f / std::fabs(rec.a.m_fVx0 + rec.b.m_fVx0)));
            // After the back-step the two are no closer than touching, within a tenth step.
            const float gap = rec.b.m_fX - rec.a.m_fX;
            EXPECT_GE(gap, 0.116f - 2.0f * 0.01f / 10.0f * u);
            EXPECT_LT(gap, 0.116f + 0.01f * u);
        }
}

// Draughts overlapping from the start: no back-step finds a free place, so they never part,
// and each exchange still loses speed. Then the mover table: flicked from slot 0 with resting
// draughts in slots 96, 98 and 99, the first hit takes 97, the draught it hits in the same pass
// skips the active 96 and takes 95; in a long chain every moving draught holds exactly one
// active slot in every step.
TEST(Collision, OverlapsAreLeftAloneAndHitDraughtsTakeTheHighestFreeSlot) {
    for (int nCase = 0; nCase < 4; ++nCase) {
        CGameSettings s;
        s.BoardType = BOARD_ROUND;
        CDesk d = DeskWith(s, {{10, -0.1f, 0.0f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
        Launch(d, s, 10, 1.0f, 0.0f);
        if (nCase >= 2) d.m_aChecks[2].m_fVx0 = d.m_aChecks[2].m_fDirX = d.m_aChecks[2].m_bMoving = 1, s.m_aMovers[98] = {2, 1};
        EXPECT_EQ(Simulate(s, d, 10, nCase % 2 == 0).end, EFlickEnd::Rest);
        EXPECT_TRUE(d.m_aChecks[10].m_fX == -0.1f && d.m_aChecks[2].m_fX == 0.0f) << nCase;
    }
    CGameSettings s;
    s.BoardType = BOARD_SQUARE;
    CDesk e = DeskWith(s, {{10, -0.3f, 0.0f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}, {3, 0.1161f, 0.0f, SIDE_BLACK},
                           {5, -0.6f, 0.6f, SIDE_BLACK}, {6, 0.6f, 0.6f, SIDE_BLACK}, {7, 0.6f, -0.6f, SIDE_BLACK}});
    Launch(e, s, 10, 3.0f, 0.0f);
    s.m_aMovers[kFlickSlot] = {7, 1};
    s.m_aMovers[0] = {10, 1};
    s.m_aMovers[96] = {5, 1};
    s.m_aMovers[98] = {6, 1};
    Simulate(s, e, 10, false);
    for (const auto& [nSlot, nCheck] : {std::pair{97, 2}, {95, 3}, {96, 5}, {98, 6}, {99, 7}})
        EXPECT_EQ(s.m_aMovers[nSlot].nCheck, nCheck) << "slot " << nSlot;
    EXPECT_TRUE(s.m_aMovers[96].bActive == 1 && e.m_aChecks[3].m_fX > 0.2f) << "the second draught was hit and moved";

    struct CCheckTable : IStepRecorder {
        CGameSettings* s;
        bool bOk = true;
        bool RecordStep(const CDesk& step) override {
            int slots[kCheckCount] = {};
            for (const SMover& m : s->m_aMovers) slots[m.nCheck] += m.bActive;
            for (int i = 0; i < kCheckCount; ++i) bOk &= slots[i] <= 1 && (!step.m_aChecks[i].m_bMoving || slots[i] == 1);
            return true;
        }
    } rec;
    rec.s = &s;
    s.BoardType = BOARD_TWELVE;
    for (int shot = 0; shot < 30; ++shot) {
        CDesk f = EmptyDesk(s);
        for (int i = 0; i < kCheckCount; ++i) f.m_aChecks[i].Init(-0.5f + 0.12f * float(i % 10), i < 10 ? -0.2f : 0.2f, i < 10 ? SIDE_BLACK : SIDE_WHITE);
        Launch(f, s, 10 + shot % 10, 0.3f * float(shot % 5) - 0.6f, -6.0f);
        Simulate(s, f, 10 + shot % 10, true, &rec);
    }
    EXPECT_TRUE(rec.bOk);
}
