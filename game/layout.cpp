#include "game/layout.h"

#include <algorithm>

#include "core/game_settings.h"
#include "physics/desk.h"
#include "platform/log.h"

namespace {

constexpr int kBlackFirst = 0;   // draughts 0..9 are black
constexpr int kWhiteFirst = 10;  // draughts 10..19 are white
constexpr float kSquareColumns = 10.0f;

// A group is W0..W9 then their mirrors B0..B9, as (x, y) pairs.
void WriteTable(float* pOut, const SLayoutPoint (*groups)[kSideCount], int nGroups) {
    for (int g = 0; g < nGroups; ++g)
        for (int i = 0; i < kSideCount; ++i) {
            float* w = pOut + g * 4 * kSideCount + 2 * i;
            float* b = w + 2 * kSideCount;
            w[0] = groups[g][i].x;
            w[1] = groups[g][i].y;
            b[0] = -groups[g][i].x;
            b[1] = -groups[g][i].y;
        }
}

void Place(CDesk& desk, int i, float x, float y, int nSide) {
    CCheck c;
    desk.GetCheck(i, c);
    c.SetSettings(desk.m_pSettings);
    c.Init(x, y, nSide);
    c.SetSettings(desk.m_pSettings);
    desk.SetCheck(i, c);
}

int ClampShift(int nShift, int nGroups, const char* side) {
    const int nClamped = std::clamp(nShift, 0, nGroups - 1);
    if (nClamped != nShift) platform::Log("Layout: %s line shift %d is out of range, using %d", side, nShift, nClamped);
    return nClamped;
}

void PlaceSquare(CDesk& desk, const SBoard& b, const CGameSettings& s, int nWhiteShift, int nBlackShift) {
    const float L = b.fSize, d = b.fBorder;
    const float fStep = (L - 2.0f * d) / kSquareColumns;
    const float fFirst = -L / 2.0f + d + (L - 2.0f * d) / (2.0f * kSquareColumns);
    const float fBlackY = fFirst + float(s.m_nStartRow - 1 + nBlackShift) * fStep;
    const float fWhiteY =
        L / 2.0f - d - (L - 2.0f * d) / (2.0f * kSquareColumns) - float(s.m_nStartRow - 1 + nWhiteShift) * fStep;
    for (int i = 0; i < kSideCount; ++i) {
        const float x = fFirst + float(i) * fStep;
        Place(desk, kBlackFirst + i, x, fBlackY, SIDE_BLACK);
        Place(desk, kWhiteFirst + i, x, fWhiteY, SIDE_WHITE);
    }
}

// The board's patterns as BuildLayout copied them into the desk, after those of the boards before it.
void PlacePattern(CDesk& desk, const SBoard& b, int nWhiteShift, int nBlackShift) {
    const float* pTable = desk.m_aLayout;
    for (const SBoard* p = kBoards; p != &b; ++p) pTable += p->nLayouts * 4 * kSideCount;
    const float* pWhite = pTable + ClampShift(nWhiteShift, b.nLayouts, "white") * 4 * kSideCount;
    const float* pBlack = pTable + ClampShift(nBlackShift, b.nLayouts, "black") * 4 * kSideCount + 2 * kSideCount;
    for (int i = 0; i < kSideCount; ++i) {
        Place(desk, kWhiteFirst + i, pWhite[2 * i], pWhite[2 * i + 1], SIDE_WHITE);
        Place(desk, kBlackFirst + i, pBlack[2 * i], pBlack[2 * i + 1], SIDE_BLACK);
    }
}

}  // namespace

bool GetCampaignLimits(int nBoardType, SCampaignLimits& out) {
    const SBoard* b = FindBoard(nBoardType);
    if (!b) return false;
    out = b->campaign;
    return true;
}

int BuildLayout(CDesk& desk, int nWhiteShift, int nBlackShift, const CGLObject& whiteModel,
                const CGLObject& blackModel) {
    float* pLayout = desk.m_aLayout;
    for (const SBoard& board : kBoards) {
        WriteTable(pLayout, board.pLayouts, board.nLayouts);
        pLayout += board.nLayouts * 4 * kSideCount;
    }

    for (int i = 0; i < kCheckCount; ++i) {
        CCheck c;
        desk.GetCheck(i, c);
        c.Set3DS(i < kWhiteFirst ? blackModel.Get3DS() : whiteModel.Get3DS());
        c.m_bOnDesk = 1;
        c.m_bMoving = 0;
        c.m_fVx0 = c.m_fVy0 = 0.0f;
        c.m_fVx = c.m_fVy = 0.0f;
        c.m_fSpeed = 0.0f;
        c.SetSettings(desk.m_pSettings);
        desk.SetCheck(i, c);
    }

    const CGameSettings* s = desk.m_pSettings;
    const SBoard* b = s ? FindBoard(s->BoardType) : nullptr;
    if (!b) return 0;
    if (!b->pLayouts)
        PlaceSquare(desk, *b, *s, nWhiteShift, nBlackShift);
    else
        PlacePattern(desk, *b, nWhiteShift, nBlackShift);
    return 1;
}
