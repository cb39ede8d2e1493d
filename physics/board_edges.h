// The board-shape dependent part of a flick: whether a sliding draught has left the
// board (with the edge and tilt axis it records) and the fall it then plays.
// Pure functions of the draught and the settings handed in.
#pragma once

class CCheck;
class CGameSettings;

struct SPhysicsConstants {
    float fGravity = 9.8f;      // units per second squared
    float fFallFactor = 0.008f;  // share of gravity a falling draught drops (or rises) with
};

// Fall height beyond which the fall animation ends, in units.
inline constexpr float kFallEndHeight = 4.0f;

// True when the draught's centre is off the board; then the draught is marked as
// falling with its exit edge, tilt axis and exit point. Other board shapes: never.
bool TestLeftBoard(CCheck& check, const CGameSettings& settings);

// One fall step of a falling draught. Returns false when the fall is over (the
// caller frees its mover slot); the draught is then no longer falling.
bool StepFall(CCheck& check, const CGameSettings& settings, const SPhysicsConstants& k);
