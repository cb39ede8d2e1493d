// One entry per board: every fact in which the boards differ, for the physics, the computer,
// the layouts, the rules and the scene. A new board is a new entry (and its assets). Constant
// data; any thread may read it.
#pragma once

#include "core/asset_names.h"
#include "core/board_layouts.h"

enum EBoardType : int { BOARD_SQUARE = 0, BOARD_ROUND = 1, BOARD_TWELVE = 2 };
enum ECheckType : int { CHECK_BONE = 0, CHECK_WOOD = 1, CHECK_STONE = 2 };

// The draught radius, the same on every board.
inline constexpr float kCheckRadius = 0.058f;

// The outline decides the edge test, the exit edge and tilt axis, the fall and the drawn tilt.
enum class EBoardShape { Square, Round, Twelve };

// The circle the computer aims at, in the precision its look-ahead always used.
enum class EAimCircle {
    None,          // the square board is aimed at as a square
    KeptSquare,    // the squared radius as the board keeps it
    Circumradius,  // the circumradius squared in double
};

// The computer's search constants of a board.
struct SBoardSearch {
    EAimCircle circle;
    float fSpeedFactor;     // launch speed per unit of distance to the aim point
    float aMaterial[3];     // speed factor of bone, wood, stone
    float fOffset0;         // first sideways offset of the expert variants
    float fOffsetGrowth;    // each next offset is offset x growth + step
    float fOffsetStep;
    float fScale0;          // first force scale of the expert variants
    int nWideShiftSum;      // |white + black campaign shift| that moves the variants; -1 never
    float fWideOffset0;     // first offset and force scale in that case
    float fWideScale0;
};

// Campaign shift limits: a side that wins from its limit shift wins the campaign; a winner
// reaching (sum limit - loser's shift) pushes the loser back.
struct SCampaignLimits {
    int nWinShift;  // T
    int nShiftSum;  // K
};

struct SBoard {
    const char* szName;  // in file names and logs
    EBoardShape shape;
    float fSize;     // square: side; round: radius; twelve-sided: circumradius
    float fSize2;    // round: the squared radius as kept (not recomputed); others 0
    float fBorder;   // square: border around the field the rows stand on; others 0
    float fSlideFriction;  // base sliding friction, before the material's addition
    float fSpinFriction;
    float fFlickSpeed;     // player's launch speed per unit of finger distance: more where the
                           // friction is higher, so a strong flick still carries across
    SBoardSearch search;
    const SLayoutPoint (*pLayouts)[kSideCount];  // start patterns by line shift; null: rows
    int nLayouts;
    SCampaignLimits campaign;
    const char* szModel;
};

inline constexpr SBoard kBoards[] = {
    {"square", EBoardShape::Square, 1.44f, 0.0f, 2.0f * kCheckRadius, 0.15f, 0.15f, 48.0f,
     {EAimCircle::None, 2.8f, {1.1f, 1.0f, 0.8f}, -0.3f, 1.5f, 0.0f, 0.6f, 8, 0.2f, 0.8f},
     nullptr, 0, {8, 9}, assets::kBoardModels[BOARD_SQUARE]},
    {"round", EBoardShape::Round, 0.83f, 0.6889f, 0.0f, 0.25f, 0.15f, 59.0f,
     {EAimCircle::KeptSquare, 2.8f, {1.1f, 1.2f, 0.9f}, -0.16f, 1.0f, 0.08f, 0.8f, -1, 0.0f, 0.0f},
     kRoundLayout, kRoundGroups, {6, 7}, assets::kBoardModels[BOARD_ROUND]},
    {"twelve", EBoardShape::Twelve, 0.894f, 0.0f, 0.0f, 0.08f, 0.07f, 44.0f,
     {EAimCircle::Circumradius, 2.4f, {1.1f, 1.0f, 0.8f}, -0.5f, 1.0f, 0.25f, 0.6f, -1, 0.0f, 0.0f},
     kTwelveLayout, kTwelveGroups, {3, 4}, assets::kBoardModels[BOARD_TWELVE]},
};
inline constexpr int kBoardCount = static_cast<int>(sizeof kBoards / sizeof kBoards[0]);

// The entry of a board type; null for a type no board has (a settings file may hold any).
constexpr const SBoard* FindBoard(int nBoardType) {
    return nBoardType >= 0 && nBoardType < kBoardCount ? &kBoards[nBoardType] : nullptr;
}

// Floats of all boards' start patterns, each group W0..W9 then B0..B9 as (x, y) pairs.
constexpr int LayoutFloats() {
    int n = 0;
    for (const SBoard& b : kBoards) n += b.nLayouts * 4 * kSideCount;
    return n;
}

struct SDraughtMaterial {
    float fBounce;        // share of the normal speed difference handed over
    float fSpinTransfer;  // share of the tangential speed turned into spin
    float fFrictionAdd;   // added to the board's sliding friction
    const char* szBlackModel;
    const char* szWhiteModel;
};
inline constexpr SDraughtMaterial kMaterials[] = {
    {0.8f, 0.3f, 0.0f, assets::kBlackDraughtModels[CHECK_BONE], assets::kWhiteDraughtModels[CHECK_BONE]},
    {0.73f, 0.35f, 0.01f, assets::kBlackDraughtModels[CHECK_WOOD], assets::kWhiteDraughtModels[CHECK_WOOD]},
    {0.95f, 0.2f, -0.01f, assets::kBlackDraughtModels[CHECK_STONE], assets::kWhiteDraughtModels[CHECK_STONE]},
};
inline constexpr int kMaterialCount = static_cast<int>(sizeof kMaterials / sizeof kMaterials[0]);

// The entry of a draught material; null for an unknown one.
constexpr const SDraughtMaterial* FindMaterial(int nCheckType) {
    return nCheckType >= 0 && nCheckType < kMaterialCount ? &kMaterials[nCheckType] : nullptr;
}
