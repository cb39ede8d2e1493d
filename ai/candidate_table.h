// The whole candidate table of the computer's move: one row per own draught on the board.
// Rows are independent, so they are searched on one or two threads; the table is the
// same either way. Runs on the computer-turn thread (or a test's or benchmark's thread).
#pragma once

#include "ai/search_control.h"
#include "physics/kick_physics.h"

namespace ai {

// Zeroes table and fills the rows of side's draughts on the live position live, each
// searched on a copy of it and of settings; at the end settings holds the mover table
// and knocked-off counts that the last trial in row order left. nThreads 2 adds one
// helper thread. False when abandoned (the table is then incomplete).
bool FillCandidateTable(const SPhysicsConstants& k, CGameSettings& settings, const CDesk& live, int nSide,
                        KickCandidateTable& table, const STrialControl& control, int nThreads);

}  // namespace ai
