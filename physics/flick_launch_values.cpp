#include "physics/flick_launch_values.h"

#include "core/game_settings.h"
#include "physics/desk.h"

SFlickLaunch TakeLaunch(const CCheck& c) { return {c.m_fVx0, c.m_fVy0, c.m_fDirX, c.m_fDirY, c.m_fSpin0}; }

bool ApplyLaunch(const SFlickLaunch& launch, int nCheck, CDesk& desk, CGameSettings& settings) {
    if (nCheck < 0 || nCheck >= kCheckCount) return false;
    CCheck& c = desk.m_aChecks[nCheck];
    c.m_fVx0 = launch.fVx0;
    c.m_fVy0 = launch.fVy0;
    c.m_fDirX = launch.fDirX;
    c.m_fDirY = launch.fDirY;
    c.m_fSpin0 = launch.fSpin0;
    c.m_fSlideTime = 0.0f;
    c.m_bMoving = 1;
    settings.ResetMovers(nCheck);
    return true;
}
