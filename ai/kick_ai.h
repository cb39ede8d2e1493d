// The computer's move: fill the candidate table, choose the entry, spoil its velocity by
// the level's aiming error, and write the flick into the live position. Runs on the
// computer-turn thread; the draws come from the game's one generator (platform::Rand).
#pragma once

#include "ai/search_control.h"
#include "physics/kick_physics.h"

namespace ai {

// The chosen flick before it goes into the live position.
struct SCompMove {
    int nCheck = -1;                   // draught to flick
    int nRow = -1, nCol = -1;          // its entry in the candidate table
    float fVx = 0.0f, fVy = 0.0f;      // the entry's launch velocity
    float fErrX = 0.0f, fErrY = 0.0f;  // aiming error added to it
    float fSpin = 0.0f;                // the entry's spin (always 0)
};

enum class EChoice {
    Chosen,
    NegativeTie,    // a tie with a negative row or column
    NothingChosen,  // no entry in use, or a negative draught index
};

// Fewest own losses, then most opponent losses; among equal entries a draw picks one,
// never the last in scan order. Draws once from the generator when there are 2 or more.
EChoice ChooseCandidate(const KickCandidateTable& table, int nSide, int& nRow, int& nCol);

// The level's aiming error for the turn type; no error and no draw for an unknown level.
void DrawAimingError(int nLevel, int nTurnType, float& fErrX, float& fErrY);

// Fills the table (into pTable when given), chooses and draws the error. False when the
// search was abandoned. A move that cannot be chosen beeps and throws the failure text.
bool ComputeCompMove(const SPhysicsConstants& k, CGameSettings& settings, const CDesk& live, int nSide,
                     const STrialControl& control, int nThreads, SCompMove& move,
                     KickCandidateTable* pTable = nullptr);

// Writes the move into its draught of live and the mover table, as a player's aim does.
void WriteCompMove(const SCompMove& move, CGameSettings& settings, CDesk& live);

}  // namespace ai
