// Sizes of the scene the models are built in (scene units; y up; the board's top at height 0).
#pragma once

#include "core/board_table.h"

namespace assetgen {

inline constexpr float kPi = 3.14159265358979f;

inline constexpr float kSquareBoardSize = kBoards[BOARD_SQUARE].fSize;  // edge to edge
inline constexpr float kSquareBorder = kBoards[BOARD_SQUARE].fBorder;   // around the 10 x 10 field
inline constexpr int kSquareCells = 10;
inline constexpr float kRoundBoardRadius = kBoards[BOARD_ROUND].fSize;
inline constexpr float kPolyBoardRadius = kBoards[BOARD_TWELVE].fSize;  // centre to corner
inline constexpr int kPolyCorners = 12;              // corners at 0, 30, ..., 330 degrees
inline constexpr float kBoardThickness = 0.06f;
inline constexpr float kBoardChamfer = 0.008f;

inline constexpr float kDraughtRadius = kCheckRadius;  // origin at the centre of the draught's base
inline constexpr float kDraughtHeight = 0.024f;

inline constexpr float kHandLength = 0.19f;          // fingertips at x = 0, wrist towards +x

}  // namespace assetgen
