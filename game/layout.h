// Start layouts of a set: straight rows on the square board, fixed patterns on the
// round and twelve-sided boards, each moved forward by the side's campaign line shift.
#pragma once

#include "core/board_table.h"
#include "core/gl_object.h"

class CDesk;

// Campaign limits of a board (board table); false for an unknown board type.
bool GetCampaignLimits(int nBoardType, SCampaignLimits& out);

// Places the 20 draughts of desk for the given shifts with the two models; returns 1,
// or 0 (nothing placed) when the board type read through desk's settings is unknown.
int BuildLayout(CDesk& desk, int nWhiteShift, int nBlackShift, const CGLObject& whiteModel,
                const CGLObject& blackModel);
