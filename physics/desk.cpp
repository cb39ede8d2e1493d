#include "physics/desk.h"

#include "core/game_settings.h"

void CDesk::CountOnDesk(int& nWhite, int& nBlack) const {
    nWhite = nBlack = 0;
    for (const CCheck& c : m_aChecks) {
        if (c.m_bOnDesk != 1) continue;
        if (c.m_nSide == SIDE_WHITE) ++nWhite;
        else if (c.m_nSide == SIDE_BLACK) ++nBlack;
    }
}
