// The board-shape dependent part of a flick: whether a sliding draught has left the
// board (with the edge and tilt axis it records) and the fall it then plays.
// Pure functions of the draught and the board entry handed in.
#pragma once

#include "core/board_table.h"

class CCheck;

struct SPhysicsConstants {
    float fGravity = 9.8f;      // units per second squared
    float fFallFactor = 0.008f;  // share of gravity a falling draught drops (or rises) with
};

// Fall height beyond which the fall animation ends, in units.
inline constexpr float kFallEndHeight = 4.0f;

// True when the draught's centre is off the board; then the draught is marked as
// falling with its exit edge, tilt axis and exit point. No board (null): never.
bool TestLeftBoard(CCheck& check, const SBoard* pBoard);

// Half the side of the centred square inside which TestLeftBoard finds nothing: a centre
// with |x| and |y| both below it is on the board for sure.
float SurelyOnBoardHalfSide(const SBoard* pBoard);

// One fall step of dt seconds of a falling draught that keeps sliding with friction mu.
// Returns false when the fall is over (the caller frees its mover slot); the draught is
// then no longer falling. No board (null): it only slides on.
bool StepFall(CCheck& check, const SBoard* pBoard, float dt, float mu, const SPhysicsConstants& k);
