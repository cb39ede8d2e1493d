// Start layouts of every board and line shift.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/game_settings.h"
#include "game/layout.h"
#include "physics/board_edges.h"
#include "physics/desk.h"

namespace {

// Every shift of every board: white from its table (black from the mirrored one), mirror
// symmetric, on the board, apart while the lines have not met, and a rebuild puts back knocked
// off and moving draughts.
TEST(LayoutTest, EveryShiftIsMirrorSymmetricOnTheBoardAndRebuiltWhole) {
    CGameSettings s;
    CDesk d;
    CGLObject white, black;
    d.SetSettings(&s);
    white.Set3DS(11);
    black.Set3DS(22);
    for (int nBoard = 0; nBoard < kBoardCount; ++nBoard) {
        const SBoard& b = kBoards[nBoard];
        s.BoardType = nBoard;
        for (int shift = 0; shift < b.campaign.nShiftSum; ++shift) {
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " shift " << shift);
            ASSERT_EQ(1, BuildLayout(d, shift, shift, white, black));
            d.m_aChecks[4].m_bOnDesk = 0, d.m_aChecks[12].m_bMoving = 1, d.m_aChecks[12].m_fX += 0.5f;
            ASSERT_EQ(1, BuildLayout(d, shift, shift, white, black));
            for (int i = 0; i < kSideCount; ++i) {
                const CCheck &w = d.m_aChecks[kSideCount + i], &k = d.m_aChecks[i];
                if (b.pLayouts) {
                    EXPECT_EQ(w.m_fX, b.pLayouts[shift][i].x) << i;
                    EXPECT_EQ(w.m_fY, b.pLayouts[shift][i].y) << i;
                }
                EXPECT_EQ(b.pLayouts ? -w.m_fX : w.m_fX, k.m_fX) << i;  // patterns mirror through the centre
                EXPECT_NEAR(-w.m_fY, k.m_fY, 1e-6) << i;
                EXPECT_TRUE(w.m_nSide == SIDE_WHITE && k.m_nSide == SIDE_BLACK && w.Get3DS() == 11 && k.Get3DS() == 22);
            }
            for (int i = 0; i < kCheckCount; ++i) {
                CCheck c = d.m_aChecks[i];
                EXPECT_TRUE(c.m_bOnDesk && !c.m_bMoving) << i;
                EXPECT_FALSE(TestLeftBoard(c, FindBoard(s.BoardType))) << "draught " << i << " starts off the board";
                for (int j = i + 1; j < kCheckCount && 2 * shift < b.campaign.nShiftSum; ++j)
                    EXPECT_GE(std::hypot(c.m_fX - d.m_aChecks[j].m_fX, c.m_fY - d.m_aChecks[j].m_fY), 2.0f * kCheckRadius) << i << " and " << j;
            }
        }
    }
    s.BoardType = BOARD_ROUND;
    ASSERT_EQ(1, BuildLayout(d, 99, -4, white, black));
    EXPECT_EQ(kRoundLayout[7][0].x, d.m_aChecks[kSideCount].m_fX) << "shifts past the table are clamped";
    EXPECT_EQ(-kRoundLayout[0][0].x, d.m_aChecks[0].m_fX);
    s.BoardType = 5;
    white.Set3DS(33);
    EXPECT_EQ(0, BuildLayout(d, 0, 0, white, black)) << "an unknown board places nothing";
    EXPECT_EQ(33, d.m_aChecks[15].Get3DS()) << "models are handed over before placement";
}

}  // namespace
