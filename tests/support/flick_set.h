// A fixed, reproducible set of flicks from the start layouts of every board and
// material, shared by the determinism tests and the benchmarks.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/game_settings.h"
#include "game/layout.h"
#include "physics/desk.h"
#include "tests/support/position_builder.h"

struct SFlickCase {
    int nBoard, nMaterial, nCheck;
    float vx, vy;
};

// Own tiny generator so the set never depends on the game's random state.
class CCaseRandom {
public:
    explicit CCaseRandom(uint32_t seed) : m_state(seed) {}
    float Next() {  // 0..1
        m_state = m_state * 1664525u + 1013904223u;
        return float(m_state >> 8) / float(1u << 24);
    }

private:
    uint32_t m_state;
};

inline CDesk StartDesk(CGameSettings& s) {
    CDesk d;
    d.SetSettings(&s);
    CGLObject white, black;
    BuildLayout(d, 0, 0, white, black);
    return d;
}

// Every flick aims one draught roughly at an opponent draught, at speeds from 0.5 to 7.5.
inline std::vector<SFlickCase> MakeFlickSet(int nCount, uint32_t seed = 12345u) {
    std::vector<SFlickCase> cases;
    CCaseRandom rnd(seed);
    for (int n = 0; n < nCount; ++n) {
        SFlickCase c{n % 3, (n / 3) % 3, 0, 0.0f, 0.0f};
        CGameSettings s;
        s.BoardType = c.nBoard;
        const CDesk d = StartDesk(s);
        c.nCheck = int(rnd.Next() * 20.0f) % 20;
        const int nTarget = (c.nCheck < 10 ? 10 : 0) + int(rnd.Next() * 10.0f) % 10;
        const CCheck& a = d.m_aChecks[c.nCheck];
        const CCheck& t = d.m_aChecks[nTarget];
        const float angle = std::atan2(t.m_fY - a.m_fY, t.m_fX - a.m_fX) + (rnd.Next() - 0.5f) * 0.3f;
        const float speed = 0.5f + 7.0f * rnd.Next();
        c.vx = speed * std::cos(angle), c.vy = speed * std::sin(angle);
        cases.push_back(c);
    }
    return cases;
}

// Settings and start position of one case, with its launch written and the movers reset.
inline CDesk PrepareFlick(const SFlickCase& c, CGameSettings& s) {
    s.BoardType = c.nBoard;
    s.CheckType = c.nMaterial;
    CDesk d = StartDesk(s);
    Launch(d, s, c.nCheck, c.vx, c.vy);
    return d;
}
