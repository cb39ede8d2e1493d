// Building positions and flicks for the physics tests.
#pragma once

#include <cmath>
#include <initializer_list>

#include "core/game_settings.h"
#include "physics/desk.h"
#include "physics/flick_simulation.h"

struct SPlaced {
    int nCheck;
    float x, y;
    int nSide;
};

// An empty board: every draught off and out of the game, attached to settings.
inline CDesk EmptyDesk(CGameSettings& s) {
    CDesk d;
    d.SetSettings(&s);
    for (int i = 0; i < kCheckCount; ++i) {
        CCheck& c = d.m_aChecks[i];
        c.SetSettings(&s), c.Init(5.0f + float(i), 5.0f, i < 10 ? SIDE_BLACK : SIDE_WHITE), c.m_bOnDesk = 0;
    }
    return d;
}

inline CDesk DeskWith(CGameSettings& s, std::initializer_list<SPlaced> placed) {
    CDesk d = EmptyDesk(s);
    for (const SPlaced& p : placed) d.m_aChecks[p.nCheck].Init(p.x, p.y, p.nSide);
    return d;
}

// Writes a launch the way the computer does, and resets the mover table.
inline void Launch(CDesk& d, CGameSettings& s, int nCheck, float vx, float vy) {
    CCheck& c = d.m_aChecks[nCheck];
    const float len = std::sqrt(vx * vx + vy * vy);
    c.m_fVx0 = vx, c.m_fVy0 = vy;
    c.m_fDirX = len > 0.0f ? vx / len : 0.0f, c.m_fDirY = len > 0.0f ? vy / len : 0.0f;
    c.m_fSlideTime = 0.0f, c.m_bMoving = 1;
    s.ResetMovers(nCheck);
}

// Runs the flick written into draught nCheck with the game's constants.
inline SFlickOutcome Simulate(CGameSettings& s, CDesk& d, int nCheck, bool bAnimate, IStepRecorder* pRec = nullptr) {
    return RunFlick(SPhysicsConstants{}, MakeFlickInput(s), nCheck, d, s.m_aMovers, bAnimate, pRec);
}
