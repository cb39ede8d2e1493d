// The slide of a single draught: the closed form's stop time and distance, spin, and the
// launches that must end at once.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "physics/flick_simulation.h"
#include "tests/support/position_builder.h"

namespace {

struct CLastMove : IStepRecorder {
    int nSteps = 0, nLastMove = 0;  // steps, and the last one in which draught 10 moved
    float fLastX = 0.0f, fFirstSpin = 0.0f;
    bool RecordStep(const CDesk& step) override {
        const CCheck& c = step.m_aChecks[10];
        if (++nSteps == 1) fFirstSpin = c.m_fSpin;
        if (c.m_fX != std::exchange(fLastX, c.m_fX)) nLastMove = nSteps;
        return true;
    }
};


}  // namespace

TEST(Slide, StopTimeDistanceAndSpinFollowTheKinematics) {
    const float kFriction[3][3] = {{0.15f, 0.16f, 0.14f}, {0.25f, 0.26f, 0.24f}, {0.08f, 0.09f, 0.07f}};
    for (int board = 0; board < 3; ++board)
        for (int mat = 0; mat < 3; ++mat)
            for (float v0 : {0.3f, 0.6f, 0.85f})  // every one stays on every board
                for (float a : {0.0f, 0.6f, 2.0f, 3.9f}) {
                    CGameSettings s;
                    s.BoardType = board, s.CheckType = mat;
                    CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}});
                    Launch(d, s, 10, v0 * std::cos(a), v0 * std::sin(a));
                    d.m_aChecks[10].m_fSpin0 = d.m_aChecks[10].m_fSpin = 5.0f;
                    const bool bAnimate = (board + mat) % 2 == 0;  // only a played flick decays the spin
                    CLastMove rec;
                    const SFlickOutcome o = Simulate(s, d, 10, bAnimate, &rec);
                    const double mu = kFriction[board][mat], dist = double(v0) * v0 / (2.0 * mu * 9.8);
                    const CCheck& c = d.m_aChecks[10];
                    SCOPED_TRACE(testing::Message() << "board " << board << " material " << mat << " v0 " << v0
                                                    << " angle " << a);
                    ASSERT_EQ(o.end, EFlickEnd::Rest);
                    EXPECT_FLOAT_EQ(o.coefficients.fSlideFriction, float(mu));
                    // The last pass finds it at rest, one step after its last move.
                    EXPECT_TRUE(o.nPasses == rec.nSteps && rec.nSteps == rec.nLastMove + 1);
                    EXPECT_NEAR(rec.nSteps * 0.01, v0 / (mu * 9.8) + 0.01, 0.0101);
                    EXPECT_NEAR(std::hypot(c.m_fX, c.m_fY), dist, 2e-4);
                    EXPECT_NEAR(std::atan2(c.m_fY, c.m_fX), std::atan2(std::sin(a), std::cos(a)), 1e-3);
                    const float fSpinStep = o.coefficients.fSpinFriction * 9.8f * 0.01f / 0.058f;
                    EXPECT_NEAR(rec.fFirstSpin, bAnimate ? 5.0f - fSpinStep : 5.0f, 1e-5);
                    EXPECT_TRUE(c.m_bMoving == 0 && c.m_fVx0 == 0.0f && c.m_fSlideTime == 0.0f && c.m_fSpin == 0.0f &&
                                c.m_fStartX == c.m_fX && s.m_aMovers[kFlickSlot].bActive == 0)
                        << "at rest nothing of the slide is left";
                }
}

// Launches that end at once, or at the pass cap, and touch nothing else; an unknown board or
// material keeps the coefficients of the last flick (here none: no friction, no edge).
TEST(Slide, BadLaunchesEndAtOnceAndUnknownBoardsKeepTheLastCoefficients) {
    const float kNan = std::nanf("");
    const struct {
        int nBoard, nCheck;
        float vx, vy, fFriction;  // the friction an earlier flick left
        EFlickEnd end;
        int nMaxSteps, nOff;  // steps at most; 1: the draught falls off
    } cases[] = {
        {BOARD_ROUND, 10, 0.0f, 0.0f, 0.0f, EFlickEnd::Rest, 1, 0},  {BOARD_SQUARE, 4, 1.0f, 0.0f, 0.0f, EFlickEnd::NotOnBoard, 0, 0},
        {BOARD_SQUARE, -1, 1.0f, 0.0f, 0.0f, EFlickEnd::NotOnBoard, 0, 0}, {BOARD_SQUARE, 20, 1.0f, 0.0f, 0.0f, EFlickEnd::NotOnBoard, 0, 0},
        {7, 10, 0.001f, 0.0f, 0.0f, EFlickEnd::PassCap, kMaxFlickPasses, 0}, {7, 10, 1.0f, 0.0f, 0.4f, EFlickEnd::Rest, 27, 0},
        {BOARD_SQUARE, 10, 1e6f, 0.0f, 0.0f, EFlickEnd::Rest, 150, 1},  {BOARD_ROUND, 10, -3e20f, 2e20f, 0.0f, EFlickEnd::Rest, 150, 1},
        {BOARD_TWELVE, 10, 1e6f, 1.0f, 0.0f, EFlickEnd::Rest, 150, 1},  {BOARD_SQUARE, 10, kNan, kNan, 0.0f, EFlickEnd::Rest, 150, 0},
        {BOARD_TWELVE, 10, kNan, 0.0f, 0.0f, EFlickEnd::Rest, 150, 0},
    };
    for (const auto& l : cases) {
        SCOPED_TRACE(testing::Message() << "board " << l.nBoard << " draught " << l.nCheck << " (" << l.vx << ", " << l.vy << ")");
        CGameSettings s;
        s.BoardType = l.nBoard, s.m_fSlideFriction = l.fFriction;
        CDesk d = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}, {2, 0.3f, 0.3f, SIDE_BLACK}});
        if (l.nCheck >= 0 && l.nCheck < kCheckCount) Launch(d, s, l.nCheck, l.vx, l.vy);
        s.m_nKnockedWhite = 3;
        CLastMove rec;
        const SFlickOutcome o = Simulate(s, d, l.nCheck, true, &rec);
        KeepFlickOutcome(o, s);
        EXPECT_TRUE(o.end == l.end && rec.nSteps <= l.nMaxSteps && d.m_aChecks[10].m_bOnDesk == 1 - l.nOff);
        EXPECT_EQ(s.m_nKnockedWhite, l.end == EFlickEnd::NotOnBoard ? 3 : l.nOff) << "a flick that never ran counts nothing";
        EXPECT_TRUE(d.m_aChecks[2].m_fX == 0.3f && d.m_aChecks[2].m_fY == 0.3f);
        EXPECT_NEAR(d.m_aChecks[10].m_fX, l.fFriction > 0.0f ? 1.0 / (2 * l.fFriction * 9.8) : d.m_aChecks[10].m_fX, 2e-4);
    }
    CGameSettings s;  // an unknown material adds no friction and keeps bounce and spin transfer
    s.BoardType = BOARD_TWELVE, s.CheckType = 9;
    s.m_fBounce = 0.5f, s.m_fSpinTransfer = 0.25f;
    const SFlickCoefficients c = MakeFlickInput(s).coefficients;
    EXPECT_TRUE(c.fBounce == 0.5f && c.fSpinTransfer == 0.25f && std::fabs(c.fSlideFriction - 0.08f) < 1e-7f);
}
