// Leaving the board on each shape, the recorded exit edge and tilt axis, and the fall.
#include <gtest/gtest.h>

#include <cmath>

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
    c.SetSettings(&s);
    c.Init(x, y, SIDE_WHITE);
    c.m_bMoving = 1;
    return c;
}

void CheckCases(int nBoard, const std::vector<SEdgeCase>& cases) {
    CGameSettings s;
    s.BoardType = nBoard;
    for (const SEdgeCase& e : cases) {
        CCheck c = MovingAt(s, e.x, e.y);
        const bool bOff = TestLeftBoard(c, FindBoard(s.BoardType));
        SCOPED_TRACE(testing::Message() << "board " << nBoard << " at (" << e.x << ", " << e.y << ") expected "
                                        << (e.bOff ? "off" : "on") << " edge " << e.nEdge << ", got "
                                        << (bOff ? "off" : "on") << " edge " << c.m_nExitEdge);
        EXPECT_EQ(bOff, e.bOff);
        if (!e.bOff) {
            EXPECT_EQ(c.m_bOnDesk, 1);
            EXPECT_EQ(c.m_bMoving, 1);
            continue;
        }
        EXPECT_EQ(c.m_bOnDesk, 0);
        EXPECT_EQ(c.m_bMoving, 0);
        EXPECT_EQ(c.m_bFalling, 1);
        EXPECT_EQ(c.m_fFallTime, 0.0f);
        EXPECT_EQ(c.m_fX, e.x) << "the centre stays where the slide put it";
        if (nBoard != BOARD_ROUND) {
            EXPECT_EQ(c.m_nExitEdge, e.nEdge);
        }
        EXPECT_NEAR(c.m_fTiltAxisX, e.fAxisX, 2e-5);
        EXPECT_NEAR(c.m_fTiltAxisZ, e.fAxisZ, 2e-5);
    }
}

}  // namespace

TEST(BoardEdges, SquareMarginAndEdgeCodes) {
    CheckCases(BOARD_SQUARE, {
        {0.722f, 0.0f, false, 0, 0, 0},
        {0.7249f, 0.0f, false, 0, 0, 0},
        {(1.44f + 0.01f) / 2.0f, 0.0f, true, 1, 0, 1},  // equality is off
        {0.726f, 0.0f, true, 1, 0, 1},
        {-0.726f, 0.3f, true, 3, 0, 1},
        {-0.722f, 0.3f, false, 0, 0, 0},
        {0.1f, 0.726f, true, 2, 1, 0},
        {0.1f, -0.726f, true, 4, 1, 0},
        {0.0f, -0.7249f, false, 0, 0, 0},
        {0.73f, 0.73f, true, 2, 1, 0},    // corner: the y tests run last
        {-0.73f, -0.73f, true, 4, 1, 0},
        {0.73f, 0.71f, true, 1, 0, 1},    // y inside the half side: x decides
        // x beyond the margin, y between S/2 and the margin: both classifications apply, y last.
        {0.726f, 0.7205f, true, 2, 1, 0}, {-0.726f, -0.7205f, true, 4, 1, 0},
    });
}

TEST(BoardEdges, RoundMarginAndTiltAxis) {
    const float r2 = 0.6889f + 0.01f;
    const float onEdge = std::sqrt(r2);
    CGameSettings s;
    s.BoardType = BOARD_ROUND;
    {
        // Exactly at the margin stays on: find the float whose square sum equals the bound.
        CCheck c = MovingAt(s, 0.0f, onEdge);
        const bool bOn = c.m_fY * c.m_fY <= r2;
        EXPECT_EQ(TestLeftBoard(c, FindBoard(s.BoardType)), !bOn);
    }
    CheckCases(BOARD_ROUND, {
        {0.0f, 0.83f, false, 0, 0, 0},
        {0.0f, 0.84f, true, 0, 0.83f / 0.84f, 0.0f},             // |y| > Rr/2, x = 0
        {0.84f, 0.0f, true, 0, 0.0f, 0.83f / 0.84f},             // |y| small: axis from y
        {-0.6f, 0.6f, true, 0, (0.83f - (-0.6f * 0.9f) * -0.6f) / 0.6f, -0.6f * 0.9f},
        {0.6f, -0.6f, true, 0, (0.83f - (0.6f * 1.1f) * 0.6f) / -0.6f, 0.6f * 1.1f},
        {-0.8f, 0.3f, true, 0, 0.3f * 1.1f, (0.83f - 0.3f * 1.1f * 0.3f) / -0.8f},
        {0.8f, -0.3f, true, 0, -0.3f * 0.9f, (0.83f - (-0.3f * 0.9f) * -0.3f) / 0.8f},
    });
}

TEST(BoardEdges, TwelveSidedEveryEdgeAndSharedBound) {
    const float R = 0.894f;
    // Points just beyond the middle of each edge (rotate the apothem direction), edge codes
    // clockwise from the edge between 180 and 150 degrees.
    std::vector<SEdgeCase> cases;
    const float axes[12][2] = {{0.1339746f, 0.5f},   {0.3660254f, 0.3660254f},   {0.5f, 0.1339746f},
                               {0.5f, -0.1339746f},  {0.3660254f, -0.3660254f},  {0.1339746f, -0.5f},
                               {-0.1339746f, -0.5f}, {-0.3660254f, -0.3660254f}, {-0.5f, -0.1339746f},
                               {-0.5f, 0.1339746f},  {-0.3660254f, 0.3660254f},  {-0.1339746f, 0.5f}};
    const float apothem = R * std::cos(15.0f * 3.14159265f / 180.0f);
    for (int code = 1; code <= 12; ++code) {
        const float deg = 165.0f - 30.0f * float(code - 1);  // middle of edge `code`
        const float a = deg * 3.14159265f / 180.0f;
        const float cx = std::cos(a), cy = std::sin(a);
        cases.push_back({(apothem + 0.002f) * cx, (apothem + 0.002f) * cy, true, code,
                         axes[code - 1][0] * R, axes[code - 1][1] * R});
        cases.push_back({(apothem - 0.002f) * cx, (apothem - 0.002f) * cy, false, 0, 0, 0});
    }
    // Just inside every corner stays on.
    for (int k = 0; k < 12; ++k) {
        const float a = float(k) * 30.0f * 3.14159265f / 180.0f;
        cases.push_back({0.99f * R * std::cos(a), 0.99f * R * std::sin(a), false, 0, 0, 0});
    }
    // Shared bounds: the range to the left is tried first.
    cases.push_back({0.0f, 0.895f, true, 3, 0.5f * R, 0.1339746f * R});
    cases.push_back({0.0f, -0.895f, true, 10, -0.5f * R, 0.1339746f * R});
    cases.push_back({-0.5f * R, 0.87f * R, true, 2, 0.3660254f * R, 0.3660254f * R});
    cases.push_back({0.5f * R, 0.87f * R, true, 4, 0.5f * R, -0.1339746f * R});
    cases.push_back({0.5f * R, -0.87f * R, true, 9, -0.5f * R, -0.1339746f * R});
    cases.push_back({0.8660254f * R, 0.51f * R, true, 5, 0.3660254f * R, -0.3660254f * R});
    cases.push_back({-0.8660254f * R, 0.51f * R, true, 1, 0.1339746f * R, 0.5f * R});
    cases.push_back({-0.8660254f * R, -0.51f * R, true, 12, -0.1339746f * R, 0.5f * R});
    cases.push_back({0.0f, 0.893f, false, 0, 0, 0});
    cases.push_back({0.0f, R, true, 3, 0.5f * R, 0.1339746f * R});  // on the line is off
    CheckCases(BOARD_TWELVE, cases);

    CGameSettings s;
    s.BoardType = BOARD_TWELVE;
    CCheck c = MovingAt(s, 0.3f, 0.9f);
    ASSERT_TRUE(TestLeftBoard(c, FindBoard(s.BoardType)));
    EXPECT_EQ(c.m_fExitX, 0.3f);
    EXPECT_EQ(c.m_fExitY, 0.9f);
}

TEST(BoardEdges, UnknownBoardHasNoEdge) {
    CGameSettings s;
    s.BoardType = 5;
    CCheck c = MovingAt(s, 50.0f, -50.0f);
    EXPECT_FALSE(TestLeftBoard(c, FindBoard(s.BoardType)));
    EXPECT_EQ(c.m_bOnDesk, 1);
}

TEST(Fall, LastsHundredFortyFiveStepsOnEveryBoard) {
    const SPhysicsConstants k;
    const struct {
        int nBoard;
        float x, y;
    } starts[] = {{BOARD_SQUARE, 0.73f, 0.0f}, {BOARD_SQUARE, 0.0f, -0.73f}, {BOARD_ROUND, 0.0f, 0.84f},
                  {BOARD_ROUND, -0.84f, 0.01f}, {BOARD_TWELVE, 0.0f, 0.9f}, {BOARD_TWELVE, -0.8f, -0.5f}};
    for (const auto& st : starts) {
        CGameSettings s;
        s.BoardType = st.nBoard;
        CCheck c = MovingAt(s, st.x, st.y);
        c.m_fVx0 = 0.5f;
        c.m_fDirX = 1.0f;
        c.m_fSpin0 = c.m_fSpin = 2.0f;
        ASSERT_TRUE(TestLeftBoard(c, FindBoard(s.BoardType)));
        int steps = 0;
        float lastAngle = c.m_fSpinAngle;
        while (StepFall(c, FindBoard(st.nBoard), 0.01f, 0.15f, k)) {
            ++steps;
            ASSERT_LT(steps, 1000);
            EXPECT_LT(c.m_fSpinAngle, lastAngle) << "the spin keeps turning without decay";
            EXPECT_NEAR(lastAngle - c.m_fSpinAngle, 2.0f * 0.01f * 57.29578f, 1e-3);
            lastAngle = c.m_fSpinAngle;
        }
        SCOPED_TRACE(testing::Message() << "board " << st.nBoard);
        EXPECT_EQ(steps, 145);
        EXPECT_EQ(c.m_bFalling, 0);
        if (st.nBoard == BOARD_ROUND) {
            EXPECT_GT(c.m_fHeight, 4.0f) << "the round board's draughts rise";
            EXPECT_LT(c.m_fHeight, 4.1f);
            EXPECT_NEAR(c.m_fTilt, (145.0f - 2.0f) * 40.0f * 0.01f, 0.05f);
        } else {
            EXPECT_LT(c.m_fHeight, -4.0f);
            EXPECT_GT(c.m_fHeight, -4.1f);
            EXPECT_NE(c.m_fTilt, 0.0f);
        }
    }
}

TEST(Fall, SquareTiltFollowsTheExitEdge) {
    const SPhysicsConstants k;
    CGameSettings s;
    s.BoardType = BOARD_SQUARE;
    CCheck c = MovingAt(s, 0.8f, 0.0f);  // beyond the edge x = 0.72
    ASSERT_TRUE(TestLeftBoard(c, FindBoard(s.BoardType)));
    ASSERT_EQ(c.m_nExitEdge, 1);
    ASSERT_TRUE(StepFall(c, FindBoard(BOARD_SQUARE), 0.01f, 0.15f, k));
    const float h = -0.008f * 9.8f * 0.01f * 0.01f / 2.0f;
    EXPECT_FLOAT_EQ(c.m_fHeight, h);
    EXPECT_FLOAT_EQ(c.m_fTilt, std::atan(h / (0.8f - 0.72f)) * 57.295f);
}
