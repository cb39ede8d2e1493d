// The slide of a single draught: kinematics of the closed form, stop rules, spin.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/flick_simulation.h"
#include "position_builder.h"

namespace {

struct CCountingRecorder : IStepRecorder {
    int nSteps = 0, nLastMove = 0;  // steps, and the last one in which draught 10 moved
    float fLastX = 0.0f;
    bool RecordStep(const CDesk& step) override {
        ++nSteps;
        if (step.m_aChecks[10].m_fX != fLastX) nLastMove = nSteps;
        fLastX = step.m_aChecks[10].m_fX;
        return true;
    }
};

const float kFriction[3][3] = {  // [board][material] = base + material addition
    {0.15f, 0.16f, 0.14f},
    {0.25f, 0.26f, 0.24f},
    {0.08f, 0.09f, 0.07f}};

}  // namespace

TEST(Slide, StopTimeAndDistanceFollowTheKinematics) {
    const SPhysicsConstants k;
    const float speeds[] = {0.3f, 0.6f, 0.85f};  // every one stays on every board
    const float angles[] = {0.0f, 0.6f, 2.0f, 3.9f};
    for (int board = 0; board < 3; ++board)
        for (int mat = 0; mat < 3; ++mat)
            for (float v0 : speeds)
                for (float a : angles) {
                    CGameSettings s;
                    s.BoardType = board;
                    s.CheckType = mat;
                    CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}});
                    const float vx = v0 * std::cos(a), vy = v0 * std::sin(a);
                    Launch(d, s, 10, vx, vy);
                    CCountingRecorder rec;
                    const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, true, &rec);
                    ASSERT_EQ(o.end, EFlickEnd::Rest);
                    EXPECT_EQ(o.nPasses, rec.nSteps);
                    const float mu = kFriction[board][mat];
                    EXPECT_FLOAT_EQ(o.coefficients.fSlideFriction, mu);
                    const double tStop = v0 / (mu * 9.8);
                    const double dist = double(v0) * v0 / (2.0 * mu * 9.8);
                    const CCheck& c = d.m_aChecks[10];
                    ASSERT_EQ(c.m_bOnDesk, 1);
                    const double got = std::hypot(c.m_fX, c.m_fY);
                    SCOPED_TRACE(testing::Message() << "board " << board << " material " << mat << " v0 " << v0
                                                    << " angle " << a << " distance " << got << " expected " << dist);
                    // The last pass finds it at rest, one step after its last move.
                    EXPECT_NEAR(rec.nSteps * 0.01, tStop + 0.01, 0.0101);
                    EXPECT_EQ(rec.nSteps, rec.nLastMove + 1) << "a record for every pass, the resting one included";
                    EXPECT_NEAR(got, dist, 2e-4);
                    EXPECT_NEAR(std::atan2(c.m_fY, c.m_fX), std::atan2(vy, vx), 1e-3);
                    EXPECT_EQ(c.m_bMoving, 0);
                    EXPECT_EQ(c.m_fVx0, 0.0f);
                    EXPECT_EQ(c.m_fStartX, c.m_fX);
                    EXPECT_EQ(s.m_aMovers[kFlickSlot].bActive, 0) << "a draught at rest leaves the mover table";
                }
}

TEST(Slide, ZeroVelocityStopsAtOnceAndKnocksNothing) {
    const SPhysicsConstants k;
    CGameSettings s;
    s.BoardType = BOARD_ROUND;
    CDesk d = DeskWith(s, {{3, 0.2f, 0.1f, SIDE_BLACK}, {12, 0.3f, 0.1f, SIDE_WHITE}});
    Launch(d, s, 3, 0.0f, 0.0f);
    CCountingRecorder rec;
    const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), 3, d, s.m_aMovers, true, &rec);
    EXPECT_EQ(o.end, EFlickEnd::Rest);
    EXPECT_EQ(rec.nSteps, 1);
    EXPECT_EQ(d.m_aChecks[3].m_fX, 0.2f);
    EXPECT_EQ(d.m_aChecks[12].m_fX, 0.3f);
    EXPECT_EQ(o.nKnockedWhite + o.nKnockedBlack, 0);
}

TEST(Slide, DraughtOffTheBoardIsNotSimulatedAndNothingIsWritten) {
    const SPhysicsConstants k;
    CGameSettings s;
    CDesk d = DeskWith(s, {{12, 0.3f, 0.1f, SIDE_WHITE}});
    Launch(d, s, 4, 1.0f, 0.0f);  // draught 4 is off the board
    s.m_nKnockedWhite = 3;
    s.m_fSlideFriction = 0.5f;
    const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), 4, d, s.m_aMovers, false, nullptr);
    KeepFlickOutcome(o, s);
    EXPECT_EQ(o.end, EFlickEnd::NotOnBoard);
    EXPECT_EQ(s.m_nKnockedWhite, 3);
    EXPECT_EQ(s.m_fSlideFriction, 0.5f);
    EXPECT_EQ(RunFlick(k, MakeFlickInput(s), -1, d, s.m_aMovers, false, nullptr).end, EFlickEnd::NotOnBoard);
    EXPECT_EQ(RunFlick(k, MakeFlickInput(s), 20, d, s.m_aMovers, false, nullptr).end, EFlickEnd::NotOnBoard);
}

TEST(Slide, SpinDecaysOnlyWhenAnimatedAndStopsThroughZero) {
    const SPhysicsConstants k;
    for (int animate = 0; animate < 2; ++animate) {
        CGameSettings s;
        s.BoardType = BOARD_SQUARE;
        CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}});
        Launch(d, s, 10, 0.3f, 0.0f);
        d.m_aChecks[10].m_fSpin0 = d.m_aChecks[10].m_fSpin = 5.0f;
        struct CSpin : IStepRecorder {
            float fFirstSpin = -1.0f, fFirstAngle = 0.0f;
            bool RecordStep(const CDesk& step) override {
                if (fFirstSpin < 0.0f) {
                    fFirstSpin = step.m_aChecks[10].m_fSpin;
                    fFirstAngle = step.m_aChecks[10].m_fSpinAngle;
                }
                return true;
            }
        } rec;
        RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, animate != 0, &rec);
        if (animate) {
            // spin = 5 - 0.15 * 9.8 * 0.01 / 0.058; angle -= deg(spin) * dt
            const float spin = 5.0f - 0.15f * 9.8f * 0.01f / 0.058f;
            EXPECT_NEAR(rec.fFirstSpin, spin, 1e-5);
            EXPECT_NEAR(rec.fFirstAngle, -spin * 0.01f * 57.29578f, 1e-4);
        } else {
            EXPECT_EQ(rec.fFirstSpin, 5.0f) << "look-ahead keeps the spin";
        }
        EXPECT_EQ(d.m_aChecks[10].m_fSpin, 0.0f) << "at rest the spin is cleared";
    }
}

TEST(Slide, StartSpinWithoutCurrentSpinIsClearedInTheFirstStep) {
    const SPhysicsConstants k;
    CGameSettings s;
    CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}});
    Launch(d, s, 10, 0.5f, 0.0f);
    d.m_aChecks[10].m_fSpin0 = 3.0f;
    struct CFirst : IStepRecorder {
        float fSpin0 = -1.0f;
        bool RecordStep(const CDesk& step) override {
            if (fSpin0 < 0.0f) fSpin0 = step.m_aChecks[10].m_fSpin0;
            return true;
        }
    } rec;
    RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, true, &rec);
    EXPECT_EQ(rec.fSpin0, 0.0f);
}

TEST(Slide, UnknownBoardOrMaterialKeepsTheLastCoefficientsAndTheCapEndsAFrictionlessFlick) {
    const SPhysicsConstants k;
    CGameSettings s;
    s.BoardType = 7;  // no friction was ever set: 0, and no edge either
    CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}});
    Launch(d, s, 10, 0.001f, 0.0f);
    SFlickOutcome o = RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, false, nullptr);
    EXPECT_EQ(o.end, EFlickEnd::PassCap);
    EXPECT_EQ(o.nPasses, kMaxFlickPasses);
    EXPECT_EQ(o.coefficients.fSlideFriction, 0.0f);

    s.m_fSlideFriction = 0.4f;  // left by an earlier flick
    s.m_fSpinFriction = 0.3f;
    d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}});
    Launch(d, s, 10, 1.0f, 0.0f);
    o = RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, false, nullptr);
    EXPECT_EQ(o.end, EFlickEnd::Rest);
    EXPECT_EQ(o.coefficients.fSlideFriction, 0.4f);
    EXPECT_EQ(o.coefficients.fSpinFriction, 0.3f);
    EXPECT_NEAR(d.m_aChecks[10].m_fX, 1.0 / (2 * 0.4 * 9.8), 2e-4);

    // An unknown material keeps the last bounce and spin transfer and adds no friction.
    s.BoardType = BOARD_TWELVE;
    s.CheckType = 9;
    s.m_fBounce = 0.5f;
    s.m_fSpinTransfer = 0.25f;
    const SFlickCoefficients c = MakeFlickInput(s).coefficients;
    EXPECT_EQ(c.fBounce, 0.5f);
    EXPECT_EQ(c.fSpinTransfer, 0.25f);
    EXPECT_FLOAT_EQ(c.fSlideFriction, 0.08f);
}

TEST(Slide, HugeOrInvalidLaunchesEndAtOnce) {
    const SPhysicsConstants k;
    const struct {
        float vx, vy;
        bool bOff;  // ends off the board
    } launches[] = {{1e6f, 0.0f, true}, {-3e20f, 2e20f, true}, {std::nanf(""), std::nanf(""), false}, {0.0f, 0.0f, false}};
    for (int board = 0; board < 3; ++board)
        for (const auto& l : launches) {
            CGameSettings s;
            s.BoardType = board;
            CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}, {2, 0.3f, 0.3f, SIDE_BLACK}});
            CCheck& c = d.m_aChecks[10];
            c.m_fVx0 = l.vx;
            c.m_fVy0 = l.vy;
            c.m_fDirX = 1.0f;
            c.m_fDirY = 0.0f;
            c.m_bMoving = 1;
            s.ResetMovers(10);
            CCountingRecorder rec;
            SCOPED_TRACE(testing::Message() << "board " << board << " launch (" << l.vx << ", " << l.vy << ")");
            const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), 10, d, s.m_aMovers, true, &rec);
            EXPECT_EQ(o.end, EFlickEnd::Rest);
            EXPECT_LE(rec.nSteps, 150) << "a fall at most, then rest";
            EXPECT_EQ(d.m_aChecks[10].m_bOnDesk, l.bOff ? 0 : 1);
            EXPECT_EQ(o.nKnockedWhite, l.bOff ? 1 : 0);
        }
}
