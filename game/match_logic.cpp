// Pure decisions of a match (see match_logic.h). No shared state.
#include "game/match_logic.h"

#include "core/game_settings.h"

int MySide(int nMyWhite) { return nMyWhite ? SIDE_WHITE : SIDE_BLACK; }

int OtherSide(int nSide) { return nSide == SIDE_WHITE ? SIDE_BLACK : SIDE_WHITE; }

bool IsHit(int nFlickSide, int nKnockedWhite, int nKnockedBlack) {
    if (nFlickSide == SIDE_WHITE) return nKnockedBlack > 0 && nKnockedWhite == 0;
    return nKnockedWhite > 0 && nKnockedBlack == 0;
}

bool KeepsMove(int nTurnType, int nFlickSide, int nKnockedWhite, int nKnockedBlack) {
    return nTurnType == TURN_TO_A_MISS && IsHit(nFlickSide, nKnockedWhite, nKnockedBlack);
}

int SetResultOf(int nMyWhite, int nWhiteOnBoard, int nBlackOnBoard) {
    if (nWhiteOnBoard == 0 && nBlackOnBoard == 0) return SET_DRAW;
    const int nMine = nMyWhite ? nWhiteOnBoard : nBlackOnBoard;
    const int nTheirs = nMyWhite ? nBlackOnBoard : nWhiteOnBoard;
    if (nTheirs == 0) return SET_WON;
    if (nMine == 0) return SET_LOST;
    return SET_RUNNING;
}

int SetWinner(int nSetResult, int nMyWhite) {
    if (nSetResult == SET_WON) return MySide(nMyWhite);
    if (nSetResult == SET_LOST) return OtherSide(MySide(nMyWhite));
    return 0;
}

bool IsCampaignWon(const SCampaignLimits& limits, int nWhiteShift, int nBlackShift, int nWhiteOnBoard,
                   int nBlackOnBoard) {
    return (nWhiteShift >= limits.nWinShift && nWhiteOnBoard > nBlackOnBoard) ||
           (nBlackShift >= limits.nWinShift && nBlackOnBoard > nWhiteOnBoard);
}

void AdvanceCampaignLines(const SCampaignLimits& limits, int nWinner, int& nWhiteShift, int& nBlackShift) {
    if (nWinner != SIDE_WHITE && nWinner != SIDE_BLACK) return;
    int& nWin = nWinner == SIDE_WHITE ? nWhiteShift : nBlackShift;
    int& nLose = nWinner == SIDE_WHITE ? nBlackShift : nWhiteShift;
    ++nWin;
    if (nWin == limits.nShiftSum - nLose) --nLose;
}

int ToAMissNextStarter(int nLastMoverSide, int nSetResult, int nKnockedWhite, int nKnockedBlack) {
    const int nMover = nLastMoverSide == SIDE_BLACK ? SIDE_BLACK : SIDE_WHITE;
    const bool bHit = nSetResult != SET_DRAW && IsHit(nMover, nKnockedWhite, nKnockedBlack);
    return bHit ? nMover : OtherSide(nMover);
}

int ByTurnNextStarter(int nPreviousStarter) { return OtherSide(nPreviousStarter); }
