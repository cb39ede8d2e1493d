// The computer's candidate search for one own draught: aim it through every opponent
// draught to the board edge, try the flick on copies of the position (with force
// corrections, or in 20 variants at the expert level) and keep one entry per target.
// Any thread: it touches only the settings copy and the row it is handed.
#pragma once

#include <array>

#include "ai/search_control.h"
#include "core/game_settings.h"
#include "physics/kick_physics.h"

namespace ai {

// TurnType of the "TO A MISS" mode; every other value plays "BY TURN".
inline constexpr int kTurnTypeToAMiss = 1;
inline constexpr int kMaxBasicTries = 3;
inline constexpr int kExpertOffsets = 5;
inline constexpr int kExpertScales = 4;
inline constexpr int kExpertVariants = kExpertOffsets * kExpertScales;
// A variant with a velocity component this large or larger is not tried.
inline constexpr float kExpertSpeedCap = 7.2f;

// The aim of an own draught through a target to where that line leaves the board.
struct SAim {
    float fEx = 0.0f, fEy = 0.0f;      // aim point on the board edge
    float fDirX = 0.0f, fDirY = 0.0f;  // unit direction of the flick
    float fVx0 = 0.0f, fVy0 = 0.0f;    // base launch velocity
};
// Aims from (ox, oy) through (tx, ty) on the settings' board; false for an unknown board.
bool AimAtTarget(const CGameSettings& s, float ox, float oy, float tx, float ty, SAim& out);

// Sideways offsets and force scales of the expert variants on the settings' board.
struct SExpertSchedule {
    float aOffsets[kExpertOffsets] = {};
    float aScales[kExpertScales] = {};
};
bool GetExpertSchedule(const CGameSettings& s, SExpertSchedule& out);

struct SLosses {
    int nWhite = 0;  // white draughts that left the board
    int nBlack = 0;  // black draughts that left the board
};
// Own losses are black for the black side, white otherwise; opponent losses the other.
inline int OwnLosses(int nSide, int nWhite, int nBlack) { return nSide == SIDE_BLACK ? nBlack : nWhite; }
inline int OpponentLosses(int nSide, int nWhite, int nBlack) { return nSide == SIDE_BLACK ? nWhite : nBlack; }

// One tried flick (at the expert level also a variant that was too strong to try).
struct STry {
    float fVx = 0.0f, fVy = 0.0f;      // launch velocity
    float fDirX = 0.0f, fDirY = 0.0f;  // unit direction the search assigns it
    SLosses lost;
};

// Runs one trial flick of the own draught.
class ITrialRunner {
public:
    virtual ~ITrialRunner() = default;
    // False when the search is abandoned: nothing was tried.
    virtual bool Try(float vx, float vy, SLosses& lost) = 0;
};

// The flick with up to two force corrections; false when abandoned.
bool RunBasicTries(const SAim& aim, int nTurnType, ITrialRunner& trial, STry& kept);
// The 20 variants in offset-major order and the one kept for side nSide; onBoard holds
// the draughts on the board before the flick. False when abandoned.
bool RunExpertTries(const SAim& aim, const SExpertSchedule& schedule, int nSide, SLosses onBoard,
                    ITrialRunner& trial, std::array<STry, kExpertVariants>& variants, STry& kept);

// Fills the row of own draught nCheck with one entry per opponent draught of P on the
// board (in index order), trying each flick on copies with the settings s; s keeps the
// mover table and knocked-off counts of the last trial. Returns the number of trials, or
// -1 when abandoned (the row is then incomplete and is thrown away).
int SearchCandidateRow(const SPhysicsConstants& k, CGameSettings& s, int nCheck, int nSide,
                       KickCandidate (&row)[kCandidateCols], const CDesk& P, const STrialControl& control);

}  // namespace ai
