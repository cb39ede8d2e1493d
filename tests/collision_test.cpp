// Collisions: speed exchange by material, momentum, back-step, mover table insertion.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/flick_simulation.h"
#include "physics/kick_physics.h"
#include "physics/overlap_scan.h"
#include "position_builder.h"

namespace {

// Records the first step in which the target starts to move.
struct CFirstImpact : IStepRecorder {
    int nTarget;
    bool bSeen = false;
    CCheck a, b;
    int nKnock = 0, nVolume = 0;
    int nShooter;
    CFirstImpact(int shooter, int target) : nTarget(target), nShooter(shooter) {}
    bool RecordStep(const CDesk& step) override {
        if (!bSeen && step.m_aChecks[nTarget].m_bMoving) {
            bSeen = true;
            a = step.m_aChecks[nShooter];
            b = step.m_aChecks[nTarget];
            nKnock = step.m_bKnock;
            nVolume = step.m_nKnockVolume;
        }
        return true;
    }
};

struct CStepCount : IStepRecorder {
    int nSteps = 0, nMovingLast = 0;  // steps, draughts sliding in the last one
    bool RecordStep(const CDesk& step) override {
        nMovingLast = 0;
        for (const CCheck& c : step.m_aChecks) nMovingLast += c.m_bMoving;
        return ++nSteps > 0;
    }
};

}  // namespace

TEST(Collision, WedgedDraughtsEndTheFlickAtRestWhereTheyLie) {
    // Square board, wood. Case 0, a computer game: draught 1 flicked into 2, the two then hand
    // the same speeds back and forth every step. Case 1, two players: black's first flick by
    // clicks (the board points the aim read) wedges 0 against 11 and 13, their speeds shrinking
    // a little with every exchange. Draught 8, then 2, is off the board.
    const float kAt[2][kCheckCount][2] = {
        {{-0.543600023f, -0.0604000092f}, {-0.422800004f, -0.0604000092f}, {-0.302000016f, -0.0604000092f},
         {-0.181200027f, -0.0604000092f}, {-0.0635259151f, -0.0603997819f}, {0.0552004687f, -0.0604113713f},
         {0.174968973f, -0.0599505007f}, {0.279988617f, -0.125162885f}, {}, {0.543600023f, -0.0604000092f},
         {-0.563031614f, 0.0604000092f}, {-0.447026998f, 0.0604000092f}, {-0.33101818f, 0.0604000092f},
         {-0.214853659f, 0.0604000986f}, {-0.0987475738f, 0.0603976138f}, {0.0173735823f, 0.0604540408f},
         {0.133374199f, 0.059498705f}, {0.248875082f, 0.0709131211f}, {0.373753726f, 0.0108619118f},
         {0.543600023f, 0.0604000092f}},
        {{-0x1.1652bep-1f, -0x1.1652bep-1f}, {-0x1.b0f27cp-2f, -0x1.1652bep-1f}, {}, {-0x1.225f5p-3f, -0x1.40a82p-1f},
         {-0x1.93b87ep-5f, -0x1.15f6bcp-1f}, {0x1.162998p-4f, -0x1.1654d4p-1f}, {0x1.7f78a2p-3f, -0x1.1652b2p-1f},
         {0x1.3a6f5p-2f, -0x1.1652bep-1f}, {0x1.b38364p-2f, -0x1.1652bep-1f}, {0x1.1652bep-1f, -0x1.1652bep-1f},
         {-0x1.299436p-2f, -0x1.455038p-1f}, {-0x1.7a823ep-2f, 0x1.1e4152p-1f}, {-0x1.04fa1ap-2f, 0x1.15a76ap-1f},
         {-0x1.1c60f4p-3f, 0x1.165cc4p-1f}, {-0x1.7676dcp-6f, 0x1.16524p-1f}, {0x1.7d8606p-4f, 0x1.1652bep-1f},
         {0x1.ac583ap-3f, 0x1.1652bep-1f}, {0x1.4cf67cp-2f, 0x1.1652bep-1f}, {0x1.c3c252p-2f, 0x1.1652bep-1f},
         {0x1.1d47a6p-1f, 0x1.1652bep-1f}}};
    const SPhysicsConstants k;
    for (int nCase = 0; nCase < 2; ++nCase) {
        CDesk end[2];
        for (int animate = 0; animate < 2; ++animate) {
            SCOPED_TRACE(testing::Message() << "case " << nCase << " animate " << animate);
            CGameSettings s;
            s.BoardType = BOARD_SQUARE;
            s.CheckType = CHECK_WOOD;
            CDesk d = EmptyDesk(s);
            for (int i = 0; i < kCheckCount; ++i)
                if (i != (nCase ? 2 : 8)) d.m_aChecks[i].Init(kAt[nCase][i][0], kAt[nCase][i][1], i < 10 ? SIDE_BLACK : SIDE_WHITE);
            const int nCheck = nCase ? 0 : 1;
            float first[3] = {-0x1.1652bep-1f, 0.05f, -0x1.1652bep-1f}, finger[3] = {-0x1.3f24fep-1f, -0x1.43cb26p-1f, -0x1.43cb26p-1f};
            CKickPhysics aim;
            aim.SetSettings(&s);
            if (nCase) ASSERT_TRUE(aim.MakeFlick(nCheck, first, finger, d.m_aChecks[nCheck]));
            else Launch(d, s, nCheck, 3.83980846f, 1.05425763f);
            CStepCount rec;
            const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), nCheck, d, s.m_aMovers, animate != 0, &rec);
            EXPECT_EQ(o.end, EFlickEnd::Rest);
            EXPECT_LT(rec.nSteps, 250) << "the draughts are held after 44 (case 0) and 95 (case 1) steps";
            EXPECT_EQ(o.nKnockedWhite + o.nKnockedBlack, 0);
            EXPECT_EQ(rec.nMovingLast, 0) << "the last step shows them at rest";
            end[animate] = d;
        }
        for (int i = 0; i < kCheckCount; ++i)  // the look-ahead predicts the real flick
            EXPECT_TRUE(end[0].m_aChecks[i].m_fX == end[1].m_aChecks[i].m_fX && end[0].m_aChecks[i].m_fY == end[1].m_aChecks[i].m_fY) << i;
    }
}

TEST(Collision, HeadOnHitHandsOverTheBounceShareAndKeepsNormalMomentum) {
    const SPhysicsConstants k;
    const struct {
        int nMaterial;
        float e;
    } cases[] = {{CHECK_BONE, 0.8f}, {CHECK_WOOD, 0.73f}, {CHECK_STONE, 0.95f}};
    for (const auto& c : cases)
        for (int board = 0; board < 3; ++board) {
            CGameSettings s;
            s.BoardType = board;
            s.CheckType = c.nMaterial;
            CDesk d = DeskWith(s, {{10, -0.3f, 0.0f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
            Launch(d, s, 10, 2.0f, 0.0f);
            CFirstImpact rec(10, 2);
            RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, true, &rec);
            ASSERT_TRUE(rec.bSeen);
            SCOPED_TRACE(testing::Message() << "material " << c.nMaterial << " board " << board);
            const float u = rec.a.m_fVx;  // speed of the shooter at impact
            EXPECT_GT(u, 1.5f);
            EXPECT_EQ(rec.b.m_fVx, 0.0f) << "the target rested";
            EXPECT_NEAR(rec.a.m_fVx0, (1.0f - c.e) * u, 1e-5) << "the shooter keeps 1 - e";
            EXPECT_NEAR(rec.b.m_fVx0, c.e * u, 1e-5) << "the target gets e";
            EXPECT_NEAR(rec.a.m_fVx0 + rec.b.m_fVx0, u, 1e-5) << "normal momentum";
            EXPECT_NEAR(rec.a.m_fVy0, 0.0f, 1e-6);
            EXPECT_NEAR(rec.b.m_fVy0, 0.0f, 1e-6);
            EXPECT_EQ(rec.b.m_fDirX, 1.0f);
            EXPECT_EQ(rec.a.m_fSpin, 0.0f) << "a head-on hit gives no spin";
            EXPECT_EQ(rec.nKnock, 1);
            EXPECT_EQ(rec.nVolume, int(-300.0f / std::fabs(rec.a.m_fVx0 + rec.b.m_fVx0)));
            // After the back-step the two are no closer than touching, within a tenth step.
            const float gap = rec.b.m_fX - rec.a.m_fX;
            EXPECT_GE(gap, 0.116f - 2.0f * 0.01f / 10.0f * u);
            EXPECT_LT(gap, 0.116f + 0.01f * u);
        }
}

TEST(Collision, GlancingHitTransfersSpinAndLooksAheadWithoutKnockData) {
    const SPhysicsConstants k;
    CGameSettings s;
    s.BoardType = BOARD_SQUARE;
    CDesk d = DeskWith(s, {{10, -0.3f, 0.05f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
    Launch(d, s, 10, 2.0f, 0.0f);
    CFirstImpact rec(10, 2);
    RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, false, &rec);
    ASSERT_TRUE(rec.bSeen);
    EXPECT_NE(rec.a.m_fSpin, 0.0f);
    EXPECT_FLOAT_EQ(rec.a.m_fSpin, -rec.b.m_fSpin) << "spin is handed over with opposite signs";
    EXPECT_EQ(rec.a.m_fSpin0, rec.a.m_fSpin);
    EXPECT_EQ(rec.nKnock, 0) << "look-ahead sets no knock";
    EXPECT_LT(rec.b.m_fVy0, 0.0f) << "the target leaves along the line of centres, away from the hit";
}

TEST(Collision, DraughtsOverlappingFromTheStartAreNeverSeparatedButTheFlickEnds) {
    // Every back-step finds no free tenth and puts both back where they were with their
    // slide times reset, so they never part; each exchange still loses a little speed, so
    // the flick dies out in place, whether the other draught rested or moved the same way.
    // (The frictionless case that truly never ends is stopped by the pass limit, see Slide.)
    const SPhysicsConstants k;
    for (int sameWay = 0; sameWay < 2; ++sameWay)
        for (int animate = 0; animate < 2; ++animate) {
            CGameSettings s;
            s.BoardType = BOARD_ROUND;
            CDesk d = DeskWith(s, {{10, -0.1f, 0.0f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
            Launch(d, s, 10, 1.0f, 0.0f);
            if (sameWay) {
                CCheck& b = d.m_aChecks[2];
                b.m_fVx0 = 1.0f;
                b.m_fDirX = 1.0f;
                b.m_bMoving = 1;
                s.m_aMovers[98] = {2, 1};
            }
            SCOPED_TRACE(testing::Message() << "same way " << sameWay << " animate " << animate);
            const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, animate != 0, nullptr);
            EXPECT_EQ(o.end, EFlickEnd::Rest);
            EXPECT_EQ(d.m_aChecks[10].m_fX, -0.1f) << "left where it stands";
            EXPECT_EQ(d.m_aChecks[2].m_fX, 0.0f);
            EXPECT_EQ(o.nKnockedWhite + o.nKnockedBlack, 0);
        }
}

TEST(Collision, HitDraughtIsInsertedBelowTheFirstActiveSlotOrAtTheHighestFreeOne) {
    const SPhysicsConstants k;
    CGameSettings s;
    s.BoardType = BOARD_SQUARE;
    // Flick from slot 99: the hit draught goes to slot 98.
    CDesk d = DeskWith(s, {{10, -0.3f, 0.0f, SIDE_WHITE}, {2, 0.0f, 0.0f, SIDE_BLACK}});
    Launch(d, s, 10, 1.0f, 0.0f);
    RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, false, nullptr);
    EXPECT_EQ(s.m_aMovers[98].nCheck, 2);
    EXPECT_EQ(s.m_aMovers[98].bActive, 0) << "cleared when it came to rest";

    // Flick from slot 0 with resting draughts holding slots 96, 98 and 99: the first hit goes
    // to the highest free slot (97); the draught it hits in the same pass must not take the
    // active slot 96 below it, but the next free one (95).
    CDesk e = DeskWith(s, {{10, -0.3f, 0.0f, SIDE_WHITE},
                           {2, 0.0f, 0.0f, SIDE_BLACK},
                           {3, 0.1161f, 0.0f, SIDE_BLACK},
                           {5, -0.6f, 0.6f, SIDE_BLACK},
                           {6, 0.6f, 0.6f, SIDE_BLACK},
                           {7, 0.6f, -0.6f, SIDE_BLACK}});
    Launch(e, s, 10, 3.0f, 0.0f);
    s.m_aMovers[kFlickSlot].bActive = 0;
    s.m_aMovers[0] = {10, 1};
    s.m_aMovers[96] = {5, 1};
    s.m_aMovers[98] = {6, 1};
    s.m_aMovers[99] = {7, 1};
    RunFlick(k, MakeFlickInput(s), 10, e, s.m_aMovers, false, nullptr);
    EXPECT_EQ(s.m_aMovers[97].nCheck, 2);
    EXPECT_EQ(s.m_aMovers[95].nCheck, 3);
    EXPECT_EQ(s.m_aMovers[96].nCheck, 5);
    EXPECT_EQ(s.m_aMovers[96].bActive, 1) << "an active slot is never overwritten";
    EXPECT_EQ(s.m_aMovers[98].nCheck, 6);
    EXPECT_EQ(s.m_aMovers[99].nCheck, 7);
    EXPECT_GT(e.m_aChecks[3].m_fX, 0.2f) << "the second draught was hit and moved";
}

TEST(Collision, ManyInsertionsInOneFlickNeverOverwriteAnActiveSlot) {
    // A crowded board where the flick causes a long chain of hits; every draught that ends
    // moving or falling must be in an active slot, and no slot holds a draught twice.
    const SPhysicsConstants k;
    CGameSettings s;
    s.BoardType = BOARD_TWELVE;
    CDesk d = EmptyDesk(s);
    for (int i = 0; i < kCheckCount; ++i)
        d.m_aChecks[i].Init(-0.5f + 0.12f * float(i % 10), i < 10 ? -0.2f : 0.2f, i < 10 ? SIDE_BLACK : SIDE_WHITE);
    struct CCheckTable : IStepRecorder {
        CGameSettings* s;
        bool bOk = true;
        bool RecordStep(const CDesk& step) override {
            int slots[kCheckCount] = {};
            for (const SMover& m : s->m_aMovers)
                if (m.bActive) ++slots[m.nCheck];
            for (int i = 0; i < kCheckCount; ++i) {
                const CCheck& c = step.m_aChecks[i];
                if (slots[i] > 1 || (c.m_bMoving && slots[i] != 1)) bOk = false;
            }
            return true;
        }
    } rec;
    rec.s = &s;
    for (int shot = 0; shot < 30; ++shot) {
        CDesk e = d;
        Launch(e, s, 10 + shot % 10, 0.3f * float(shot % 5) - 0.6f, -6.0f);
        RunFlick(k, MakeFlickInput(s), 10 + shot % 10, e, s.m_aMovers, true, &rec);
    }
    EXPECT_TRUE(rec.bOk);
}

TEST(Collision, OverlapScanFindsExactlyTheDraughtsCloserThanContact) {
    SCentreRows rows;
    for (int j = 0; j < kScanLanes; ++j) rows.x[j] = rows.y[j] = 0.5f;
    rows.x[3] = 0.1f;  // at distance 0.1 on either axis
    rows.y[3] = 0.0f;
    rows.x[4] = 0.0f;
    rows.y[4] = -0.1f;
    rows.x[7] = rows.y[7] = 0.05f;
    rows.x[19] = rows.y[19] = -0.02f;  // the last lane that holds a draught
    const float fAt = 0.1f * 0.1f;     // a squared distance equal to contact is no overlap
    const uint32_t nNear = (1u << 7) | (1u << 19), nAt = (1u << 3) | (1u << 4);
    EXPECT_EQ(OverlapMask(rows, 0.0f, 0.0f, fAt), nNear);
    EXPECT_EQ(OverlapMask(rows, 0.0f, 0.0f, std::nextafter(fAt, 1.0f)), nNear | nAt);
    EXPECT_EQ(OverlapMask(rows, 0.5f, 0.5f, 0.0134f), kAllChecks & ~(nNear | nAt));
}
