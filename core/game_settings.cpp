#include "core/game_settings.h"

CGameSettings::CGameSettings() = default;

void CGameSettings::ResetMovers(int nCheck) {
    for (int i = 0; i < kFlickSlot; ++i) m_aMovers[i].bActive = 0;
    m_aMovers[kFlickSlot].bActive = 1;
    m_aMovers[kFlickSlot].nCheck = nCheck;
}
