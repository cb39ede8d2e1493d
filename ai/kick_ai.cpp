// The computer's choice among the candidates, its aiming error by level and turn type,
// and CalcKickAI, which ends by starting the real flick. Computer-turn thread.
#include "ai/kick_ai.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "ai/candidate_search.h"
#include "ai/candidate_table.h"
#include "ai/flick_launch.h"
#include "core/game_settings.h"
#include "platform/beep.h"
#include "platform/crt_rand.h"
#include "platform/log.h"

namespace {

constexpr int kFailBeepHz = 3000;
constexpr int kChoiceFailBeepMs = 1000;  // the move cannot be chosen
constexpr int kCallFailBeepMs = 200;     // CalcKickAI ends without a flick
using ai::kTurnTypeToAMiss;
constexpr int kAnyTurnType = -1;
constexpr float kErrorStepsPerUnit = 50.0f;  // the error moves in steps of 0.02

// How often and how much the computer misaims: with a chance of 1 in nChance (0: every
// move), x and y get (rand() % nSteps) / 50 - fBack, drawn in that order.
struct SAimingError {
    int nLevel;
    int nTurnType;  // kAnyTurnType, kTurnTypeToAMiss, or anything else for "BY TURN"
    int nChance;
    int nStepsX;
    float fBackX;
    int nStepsY;
    float fBackY;
};
constexpr SAimingError kAimingErrors[] = {
    {LEVEL_BEGINNER, kAnyTurnType, 0, 40, 0.6f, 40, 0.6f},
    {LEVEL_PRO, kTurnTypeToAMiss, 4, 50, 0.5f, 50, 0.5f},
    {LEVEL_PRO, 0, 6, 40, 0.6f, 50, 0.6f},
    {LEVEL_EXPERT, kTurnTypeToAMiss, 5, 50, 0.5f, 50, 0.5f},
    {LEVEL_EXPERT, 0, 7, 30, 0.7f, 40, 0.7f},
};

const SAimingError* FindAimingError(int nLevel, int nTurnType) {
    const bool bToAMiss = nTurnType == kTurnTypeToAMiss;
    for (const SAimingError& e : kAimingErrors) {
        if (e.nLevel != nLevel) continue;
        if (e.nTurnType == kAnyTurnType || (e.nTurnType == kTurnTypeToAMiss) == bToAMiss) return &e;
    }
    return nullptr;
}

float DrawError(int nSteps, float fBack) { return float(platform::Rand() % nSteps) / kErrorStepsPerUnit - fBack; }

[[noreturn]] void FailChoice(const char* text) {
    platform::Beep(kFailBeepHz, kChoiceFailBeepMs);
    throw std::runtime_error(text);
}

}  // namespace

namespace ai {

EChoice ChooseCandidate(const KickCandidateTable& table, int nSide, int& nRow, int& nCol) {
    nRow = nCol = -1;
    int nMinOwn = std::numeric_limits<int>::max();
    for (const auto& row : table)
        for (const KickCandidate& e : row)
            if (e.bValid == 1) nMinOwn = std::min(nMinOwn, OwnLosses(nSide, e.nLostWhite, e.nLostBlack));
    auto marked = [&](const KickCandidate& e) {
        return e.bValid == 1 && OwnLosses(nSide, e.nLostWhite, e.nLostBlack) == nMinOwn;
    };
    int nBest = -1;
    for (const auto& row : table)
        for (const KickCandidate& e : row)
            if (marked(e)) nBest = std::max(nBest, OpponentLosses(nSide, e.nLostWhite, e.nLostBlack));

    struct SPair {
        int nRow = -1, nCol = -1;
    };
    SPair ties[kCandidateRows * kCandidateCols];
    int nTies = 0;
    for (int r = 0; r < kCandidateRows; ++r)
        for (int c = 0; c < kCandidateCols; ++c) {
            const KickCandidate& e = table[r][c];
            if (marked(e) && OpponentLosses(nSide, e.nLostWhite, e.nLostBlack) == nBest) ties[nTies++] = {r, c};
        }
    if (nTies == 0) return EChoice::NothingChosen;
    // The modulus is the index of the last tie, so the last one is never picked.
    const SPair pick = nTies == 1 ? ties[0] : ties[platform::Rand() % (nTies - 1)];
    if (pick.nRow < 0 || pick.nCol < 0) return EChoice::NegativeTie;
    if (table[pick.nRow][pick.nCol].nCheck < 0) return EChoice::NothingChosen;
    nRow = pick.nRow;
    nCol = pick.nCol;
    return EChoice::Chosen;
}

void DrawAimingError(int nLevel, int nTurnType, float& fErrX, float& fErrY) {
    fErrX = fErrY = 0.0f;
    const SAimingError* e = FindAimingError(nLevel, nTurnType);
    if (e == nullptr) return;
    if (e->nChance > 0 && platform::Rand() % e->nChance != 0) return;
    fErrX = DrawError(e->nStepsX, e->fBackX);
    fErrY = DrawError(e->nStepsY, e->fBackY);
}

bool ComputeCompMove(const SPhysicsConstants& k, CGameSettings& settings, const CDesk& live, int nSide,
                     const STrialControl& control, int nThreads, SCompMove& move, KickCandidateTable* pTable) {
    KickCandidateTable local;
    KickCandidateTable& table = pTable != nullptr ? *pTable : local;
    if (!FillCandidateTable(k, settings, live, nSide, table, control, nThreads)) return false;
    int nRow, nCol;
    switch (ChooseCandidate(table, nSide, nRow, nCol)) {
    case EChoice::NegativeTie:
        FailChoice("CalcKickAI: randAI < 0");
    case EChoice::NothingChosen:
        FailChoice("CalcKickAI: ch < 0");
    case EChoice::Chosen:
        break;
    }
    const KickCandidate& e = table[nRow][nCol];
    move.nCheck = e.nCheck;
    move.nRow = nRow;
    move.nCol = nCol;
    move.fVx = e.fVx;
    move.fVy = e.fVy;
    move.fSpin = e.fSpin;
    DrawAimingError(settings.m_nLevel, settings.TurnType, move.fErrX, move.fErrY);
    return true;
}

void WriteCompMove(const SCompMove& move, CGameSettings& settings, CDesk& live) {
    CCheck c;
    live.GetCheck(move.nCheck, c);
    WriteLaunch(c, move.fVx + move.fErrX, move.fVy + move.fErrY, move.fSpin);
    settings.ResetMovers(move.nCheck);
    live.SetCheck(move.nCheck, c);
}

}  // namespace ai

int CKickPhysics::CalcKickAI(int side, CDesk* desk) {
    return CalcKickAI(side, desk, std::stop_token{});
}

int CKickPhysics::CalcKickAI(int side, CDesk* desk, std::stop_token stop) {
    if (m_pSettings == nullptr || desk == nullptr) {
        platform::Log("CalcKickAI: no settings or no position; the computer does not flick");
        return 0;
    }
    try {
        // Only a stoppable search (the computer-turn thread's) waits at the pause gate:
        // a direct caller could never reopen it.
        const ai::STrialControl control{stop.stop_possible() ? &m_pauseGate : nullptr, stop, &m_trialHook};
        ai::SCompMove move;
        if (!ai::ComputeCompMove(m_k, *m_pSettings, *desk, side, control, m_nSearchThreads, move)) return 0;
        // The last chance for a pause or a stop before the live position changes.
        const bool bGoOn = control.pGate != nullptr ? m_pauseGate.Pass(stop) : !stop.stop_requested();
        if (!bGoOn) return 0;
        {
            std::lock_guard lock(m_liveDeskLock);
            ai::WriteCompMove(move, *m_pSettings, *desk);
        }
        StartKickThread(move.nCheck);
        return 1;
    } catch (...) {
        platform::Beep(kFailBeepHz, kCallFailBeepMs);
        return 0;
    }
}
