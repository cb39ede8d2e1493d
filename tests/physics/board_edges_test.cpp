// Leaving the board on each shape, the recorded exit edge and tilt axis, and the fall.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "core/game_settings.h"
#include "physics/board_edges.h"
#include "physics/check.h"

namespace {

struct SEdgeCase {
    float x, y;
    bool bOff;
    int nEdge;
    float fAxisX, fAxisZ;
};

CCheck MovingAt(CGameSettings& s, float x, float y) {
    CCheck c;
    c.SetSettings(&s), c.Init(x, y, SIDE_WHITE), c.m_bMoving = 1;
    return c;
}

void CheckCases(int nBoard, const std::vector<SEdgeCase>& cases) {
    CGameSettings s;
    s.BoardType = nBoard;
    for (const SEdgeCase& e : cases) {
        CCheck c = MovingAt(s, e.x, e.y);
        SCOPED_TRACE(testing::Message() << "board " << nBoard << " at (" << e.x << ", " << e.y << ")");
        EXPECT_EQ(TestLeftBoard(c, FindBoard(s.BoardType)), e.bOff);
        EXPECT_TRUE(c.m_bOnDesk == !e.bOff && c.m_bMoving == !e.bOff && c.m_bFalling == e.bOff && c.m_fFallTime == 0.0f);
        EXPECT_EQ(c.m_fX, e.x) << "the centre stays where the slide put it";
        if (!e.bOff) continue;
        EXPECT_EQ(c.m_nExitEdge, nBoard == BOARD_ROUND ? c.m_nExitEdge : e.nEdge);
        EXPECT_NEAR(std::hypot(c.m_fTiltAxisX - e.fAxisX, c.m_fTiltAxisZ - e.fAxisZ), 0.0, 3e-5) << c.m_fTiltAxisX << ", " << c.m_fTiltAxisZ;
    }
}

}  // namespace

// The simulation skips the edge test inside this square, so nothing in it may be off the board.
TEST(BoardEdges, NoCornerOfTheSureSquareIsOff) {
    for (int nBoard = 0; nBoard < kBoardCount; ++nBoard) {
        CGameSettings s;
        s.BoardType = nBoard;
        const float h = std::nextafter(SurelyOnBoardHalfSide(FindBoard(nBoard)), 0.0f);
        for (const auto& [sx, sy] : {std::pair{1.0f, 1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}}) {
            CCheck c = MovingAt(s, sx * h, sy * h);
            EXPECT_FALSE(TestLeftBoard(c, FindBoard(nBoard))) << "board " << nBoard << " at " << sx * h << ", " << sy * h;
        }
    }
}

TEST(BoardEdges, SquareAndRoundMarginsEdgeCodesAndTiltAxes) {
    CheckCases(BOARD_SQUARE, {
        {0.7249f, 0.0f, false, 0, 0, 0}, {-0.722f, 0.3f, false, 0, 0, 0}, {0.0f, -0.7249f, false, 0, 0, 0},
        {(1.44f + 0.01f) / 2.0f, 0.0f, true, 1, 0, 1},  // equality is off
        {-0.726f, 0.3f, true, 3, 0, 1}, {0.1f, 0.726f, true, 2, 1, 0}, {0.1f, -0.726f, true, 4, 1, 0},
        {0.73f, 0.73f, true, 2, 1, 0}, {-0.73f, -0.73f, true, 4, 1, 0},  // corner: the y tests run last
        {0.73f, 0.71f, true, 1, 0, 1},  // y inside the half side: x decides
        // x beyond the margin, y between S/2 and the margin: both classifications apply, y last.
        {0.726f, 0.7205f, true, 2, 1, 0}, {-0.726f, -0.7205f, true, 4, 1, 0},
    });
    CheckCases(BOARD_ROUND, {
        {0.0f, 0.83f, false, 0, 0, 0}, {0.586f, 0.586f, false, 0, 0, 0},
        {0.0f, 0.84f, true, 0, 0.83f / 0.84f, 0.0f},  // |y| > Rr/2, x = 0
        {0.84f, 0.0f, true, 0, 0.0f, 0.83f / 0.84f},  // |y| small: axis from y
        {-0.6f, 0.6f, true, 0, (0.83f - (-0.6f * 0.9f) * -0.6f) / 0.6f, -0.6f * 0.9f},
        {0.6f, -0.6f, true, 0, (0.83f - (0.6f * 1.1f) * 0.6f) / -0.6f, 0.6f * 1.1f},
        {-0.8f, 0.3f, true, 0, 0.3f * 1.1f, (0.83f - 0.3f * 1.1f * 0.3f) / -0.8f},
        {0.8f, -0.3f, true, 0, -0.3f * 0.9f, (0.83f - (-0.3f * 0.9f) * -0.3f) / 0.8f},
    });
    CGameSettings s;  // an unknown board has no edge
    s.BoardType = 5;
    CCheck c = MovingAt(s, 50.0f, -50.0f);
    EXPECT_FALSE(TestLeftBoard(c, FindBoard(s.BoardType)));
}

TEST(BoardEdges, TwelveSidedEveryEdgeAndSharedBound) {
    const float R = 0.894f, kDeg = 3.14159265f / 180.0f, apothem = R * std::cos(15.0f * kDeg);
    std::vector<SEdgeCase> cases;
    // Edge codes run clockwise from the edge between 180 and 150 degrees; the tilt axis runs along the edge.
    for (int code = 1; code <= 12; ++code) {  // just beyond and inside the middle of each edge, inside each corner
        const float a = (165.0f - 30.0f * float(code - 1)) * kDeg, cx = std::cos(a), cy = std::sin(a), h = 15.0f * kDeg;
        cases.push_back({(apothem + 0.002f) * cx, (apothem + 0.002f) * cy, true, code, R * (std::cos(a - h) - std::cos(a + h)),
                         R * (std::sin(a - h) - std::sin(a + h))});
        cases.push_back({(apothem - 0.002f) * cx, (apothem - 0.002f) * cy, false, 0, 0, 0});
        cases.push_back({0.99f * R * std::cos(a + 15.0f * kDeg), 0.99f * R * std::sin(a + 15.0f * kDeg), false, 0, 0, 0});
    }
    cases.push_back({0.0f, 0.893f, false, 0, 0, 0});
    CheckCases(BOARD_TWELVE, cases);
    CGameSettings s;
    s.BoardType = BOARD_TWELVE;
    CCheck c = MovingAt(s, 0.3f, 0.9f);
    ASSERT_TRUE(TestLeftBoard(c, FindBoard(s.BoardType)));
    EXPECT_TRUE(c.m_fExitX == 0.3f && c.m_fExitY == 0.9f);
}

TEST(Fall, LastsHundredFortyFiveStepsOnEveryBoardAndTiltsAboutTheExitEdge) {
    const SPhysicsConstants k;
    const struct {
        int nBoard;
        float x, y;
    } starts[] = {{BOARD_SQUARE, 0.8f, 0.0f}, {BOARD_ROUND, -0.84f, 0.01f}, {BOARD_TWELVE, -0.8f, -0.5f}};
    for (const auto& st : starts) {
        SCOPED_TRACE(testing::Message() << "board " << st.nBoard << " at (" << st.x << ", " << st.y << ")");
        CGameSettings s;
        s.BoardType = st.nBoard;
        CCheck c = MovingAt(s, st.x, st.y);
        c.m_fVx0 = 0.5f, c.m_fDirX = 1.0f;
        c.m_fSpin0 = c.m_fSpin = 2.0f;
        ASSERT_TRUE(TestLeftBoard(c, FindBoard(s.BoardType)));
        int steps = 0;
        for (float fLastAngle = c.m_fSpinAngle; StepFall(c, FindBoard(st.nBoard), 0.01f, 0.15f, k); fLastAngle = c.m_fSpinAngle) {
            ASSERT_LT(++steps, 1000);
            EXPECT_NEAR(fLastAngle - c.m_fSpinAngle, 2.0f * 0.01f * 57.29578f, 1e-3) << "the spin turns without decay";
        }
        EXPECT_TRUE(steps == 145 && c.m_bFalling == 0);
        if (st.nBoard == BOARD_ROUND) {  // the round board's draughts rise
            EXPECT_TRUE(c.m_fHeight > 4.0f && c.m_fHeight < 4.1f);
            EXPECT_NEAR(c.m_fTilt, (145.0f - 2.0f) * 40.0f * 0.01f, 0.05f);
        } else {
            EXPECT_TRUE(c.m_fHeight < -4.0f && c.m_fHeight > -4.1f && c.m_fTilt != 0.0f);
        }
    }
}
