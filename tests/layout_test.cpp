// Start layouts of every board and line shift.
#include <gtest/gtest.h>

#include "core/game_settings.h"
#include "game/layout.h"
#include "physics/board_edges.h"
#include "physics/desk.h"

namespace {

struct CLayoutFixture : testing::Test {
    CGameSettings s;
    CDesk d;
    CGLObject white, black;
    void SetUp() override {
        d.SetSettings(&s);
        white.Set3DS(11);
        black.Set3DS(22);
    }
    void Build(int board, int ws, int bs) {
        s.BoardType = board;
        ASSERT_EQ(BuildLayout(d, ws, bs, white, black), 1);
    }
};

}  // namespace

TEST_F(CLayoutFixture, SquareStartRowsAndShifts) {
    Build(BOARD_SQUARE, 0, 0);
    EXPECT_FLOAT_EQ(d.m_aChecks[0].m_fX, -0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[0].m_fY, -0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[9].m_fX, 0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[9].m_fY, -0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[10].m_fX, -0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[10].m_fY, 0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[19].m_fX, 0.5436f);
    EXPECT_FLOAT_EQ(d.m_aChecks[19].m_fY, 0.5436f);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(d.m_aChecks[i + 1].m_fX - d.m_aChecks[i].m_fX, 0.1208f, 1e-6);

    Build(BOARD_SQUARE, 3, 2);
    for (int i = 0; i < 10; ++i) {
        EXPECT_NEAR(d.m_aChecks[10 + i].m_fY, 0.1812f, 1e-6);
        EXPECT_NEAR(d.m_aChecks[i].m_fY, -0.302f, 1e-6);
    }
}

TEST_F(CLayoutFixture, PatternBoardsUseTheirTablesWithBlackMirrored) {
    for (int nBoard = 0; nBoard < kBoardCount; ++nBoard) {
        const SBoard& b = kBoards[nBoard];
        if (!b.pLayouts) continue;
        Build(nBoard, b.nLayouts - 1, 1);
        for (int i = 0; i < kSideCount; ++i) {
            EXPECT_EQ(d.m_aChecks[10 + i].m_fX, b.pLayouts[b.nLayouts - 1][i].x) << b.szName << " white " << i;
            EXPECT_EQ(d.m_aChecks[10 + i].m_fY, b.pLayouts[b.nLayouts - 1][i].y) << b.szName << " white " << i;
            EXPECT_EQ(d.m_aChecks[i].m_fX, -b.pLayouts[1][i].x) << b.szName << " black " << i;
            EXPECT_EQ(d.m_aChecks[i].m_fY, -b.pLayouts[1][i].y) << b.szName << " black " << i;
        }
    }
}

TEST_F(CLayoutFixture, EveryShiftIsMirrorSymmetricAndLeavesTheDraughtsApartOnTheBoard) {
    for (int nBoard = 0; nBoard < kBoardCount; ++nBoard) {
        const int nShifts = kBoards[nBoard].campaign.nShiftSum;
        for (int shift = 0; shift < nShifts; ++shift) {
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " shift " << shift);
            Build(nBoard, shift, shift);
            for (int i = 0; i < 10; ++i) {
                const CCheck& w = d.m_aChecks[10 + i];
                const CCheck& k = d.m_aChecks[i];
                if (!kBoards[nBoard].pLayouts) {
                    EXPECT_NEAR(w.m_fY, -k.m_fY, 1e-6);  // rows mirror across the x axis
                    EXPECT_EQ(w.m_fX, k.m_fX);
                } else {
                    EXPECT_EQ(w.m_fX, -k.m_fX);  // patterns mirror through the centre
                    EXPECT_EQ(w.m_fY, -k.m_fY);
                }
                EXPECT_EQ(w.m_nSide, SIDE_WHITE);
                EXPECT_EQ(k.m_nSide, SIDE_BLACK);
                EXPECT_EQ(w.Get3DS(), 11);
                EXPECT_EQ(k.Get3DS(), 22);
            }
            // Every draught stands on the board by its own edge rule, and nobody overlaps
            // anybody (shift sums stay below the board's limit in play).
            for (int i = 0; i < kCheckCount; ++i) {
                CCheck c = d.m_aChecks[i];
                EXPECT_FALSE(TestLeftBoard(c, FindBoard(s.BoardType))) << "draught " << i << " starts off the board";
            }
            if (2 * shift < nShifts)
                for (int i = 0; i < kCheckCount; ++i)
                    for (int j = i + 1; j < kCheckCount; ++j) {
                        const float dx = d.m_aChecks[i].m_fX - d.m_aChecks[j].m_fX;
                        const float dy = d.m_aChecks[i].m_fY - d.m_aChecks[j].m_fY;
                        EXPECT_GE(dx * dx + dy * dy, 4.0f * kCheckRadius * kCheckRadius) << i << " and " << j;
                    }
        }
    }
}

TEST_F(CLayoutFixture, TablesAreWrittenIntoThePositionAndTheLastGroupMirrorsTheFirst) {
    Build(BOARD_SQUARE, 0, 0);
    // Round group 0, white W1, then its black mirror B1.
    EXPECT_EQ(d.m_aLayout[2], -0.765f);
    EXPECT_EQ(d.m_aLayout[3], 0.082f);
    EXPECT_EQ(d.m_aLayout[20 + 2], 0.765f);
    EXPECT_EQ(d.m_aLayout[20 + 3], -0.082f);
    // Twelve-sided group 4 W9 is the last pair of white positions in that group.
    const int nTwelve = kRoundGroups * 4 * kSideCount;
    EXPECT_EQ(d.m_aLayout[nTwelve + 4 * 40 + 18], 0.0f);
    EXPECT_EQ(d.m_aLayout[nTwelve + 4 * 40 + 19], 0.75f);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(kRoundLayout[7][i].x, -kRoundLayout[0][i].x);
        EXPECT_EQ(kRoundLayout[7][i].y, -kRoundLayout[0][i].y);
        EXPECT_EQ(kTwelveLayout[4][i].x, -kTwelveLayout[0][i].x);
        EXPECT_EQ(kTwelveLayout[4][i].y, -kTwelveLayout[0][i].y);
    }
}

TEST_F(CLayoutFixture, RebuildingRestoresKnockedOffDraughtsIdentically) {
    Build(BOARD_TWELVE, 1, 2);
    const CDesk first = d;
    d.m_aChecks[4].m_bOnDesk = 0;
    d.m_aChecks[4].m_bFalling = 1;
    d.m_aChecks[4].m_fHeight = -3.0f;
    d.m_aChecks[12].m_bMoving = 1;
    d.m_aChecks[12].m_fVx0 = 2.0f;
    d.m_aChecks[12].m_fX = 0.5f;
    Build(BOARD_TWELVE, 1, 2);
    for (int i = 0; i < kCheckCount; ++i) {
        EXPECT_EQ(d.m_aChecks[i].m_fX, first.m_aChecks[i].m_fX);
        EXPECT_EQ(d.m_aChecks[i].m_fY, first.m_aChecks[i].m_fY);
        EXPECT_EQ(d.m_aChecks[i].m_bOnDesk, 1);
        EXPECT_EQ(d.m_aChecks[i].m_bFalling, 0);
        EXPECT_EQ(d.m_aChecks[i].m_bMoving, 0);
        EXPECT_EQ(d.m_aChecks[i].m_fHeight, 0.0f);
        EXPECT_EQ(d.m_aChecks[i].m_fVx0, 0.0f);
        EXPECT_EQ(d.m_aChecks[i].GetSettings(), &s);
    }
}

TEST_F(CLayoutFixture, UnknownBoardPlacesNothingButResetsState) {
    Build(BOARD_ROUND, 0, 0);
    d.m_aChecks[6].m_bOnDesk = 0;
    d.m_aChecks[6].m_fX = 3.0f;
    s.BoardType = 5;
    white.Set3DS(33);
    EXPECT_EQ(BuildLayout(d, 0, 0, white, black), 0);
    EXPECT_EQ(d.m_aChecks[6].m_fX, 3.0f) << "no placement";
    EXPECT_EQ(d.m_aChecks[6].m_bOnDesk, 1);
    EXPECT_EQ(d.m_aChecks[15].Get3DS(), 33) << "models are handed over before placement";
}

TEST_F(CLayoutFixture, OutOfRangeShiftsAreClampedNotReadPastTheTable) {
    Build(BOARD_ROUND, 99, -4);
    EXPECT_FLOAT_EQ(d.m_aChecks[10].m_fX, kRoundLayout[7][0].x);
    EXPECT_FLOAT_EQ(d.m_aChecks[0].m_fX, -kRoundLayout[0][0].x);
}
