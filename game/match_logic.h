// Pure decisions of a match: whether a flick keeps the move, how a set ends, who starts the
// next set and how the campaign lines move. No window and no threads: any thread may call them.
#pragma once

#include "game/layout.h"

// m_nSetResult values, seen from the MyWhite side.
enum ESetResult : int { SET_RUNNING = 0, SET_WON = 1, SET_LOST = 2, SET_DRAW = 3 };
enum ETurnType : int { TURN_BY_TURN = 0, TURN_TO_A_MISS = 1 };

inline constexpr int kChecksPerSide = 10;

// Side of the MyWhite player (1 white, 2 black) and the side facing a given side.
int MySide(int nMyWhite);
int OtherSide(int nSide);

// A flick is a hit when it knocked off at least one opponent draught and none of its own.
bool IsHit(int nFlickSide, int nKnockedWhite, int nKnockedBlack);
// Whether the side that has just flicked moves again: only a hit under TO A MISS keeps it.
bool KeepsMove(int nTurnType, int nFlickSide, int nKnockedWhite, int nKnockedBlack);

// The set's result from the draughts left on the board; SET_RUNNING while both sides have some.
int SetResultOf(int nMyWhite, int nWhiteOnBoard, int nBlackOnBoard);
// Side that won a set (1 or 2), 0 for a draw or a result outside 1..3.
int SetWinner(int nSetResult, int nMyWhite);

// A side on its limit line that wins once more has won the campaign.
bool IsCampaignWon(const SCampaignLimits& limits, int nWhiteShift, int nBlackShift, int nWhiteOnBoard,
                   int nBlackOnBoard);
// Moves the winner's line one step forward; the loser is pushed back one line when the two
// lines would otherwise meet. A winner other than 1 or 2 moves nothing.
void AdvanceCampaignLines(const SCampaignLimits& limits, int nWinner, int& nWhiteShift, int& nBlackShift);

// TO A MISS campaign: the side whose last flick of the set was a hit starts the next set,
// otherwise the other side.
int ToAMissNextStarter(int nLastMoverSide, int nSetResult, int nKnockedWhite, int nKnockedBlack);
// BY TURN campaign: sets are started by the two sides in turn, whoever won.
int ByTurnNextStarter(int nPreviousStarter);
