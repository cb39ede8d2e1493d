// The player's aim turned into a launch: which draught a click picks, and the flick that the
// second mark gives it. Window thread; reads the settings through the physics object.
#include <cmath>

#include "core/game_settings.h"
#include "physics/kick_physics.h"
#include "platform/log.h"

namespace {

// The finger's distance that gives no speed at all: the flick starts only beyond it.
constexpr float kLaunchOffset = 0.07f;
// Keeps a second mark straight below the first off the exact vertical line.
constexpr float kVerticalNudge = 0.000001f;

}  // namespace

bool CKickPhysics::PickOwnDraught(float x, float y, int nExcludedSide, const CDesk& desk, int& nIndex) {
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& c = desk.m_aChecks[i];
        if (c.m_nSide == nExcludedSide || !c.m_bOnDesk) continue;
        const float dx = x - c.m_fStartX;
        const float dy = y - c.m_fStartY;
        if (dx * dx + dy * dy <= c.m_fRadius2) {
            nIndex = i;
            return true;
        }
    }
    return false;
}

float CKickPhysics::MarkDistance2(const float p[3], const CCheck& c) {
    const float dx = p[0] - c.m_fStartX;
    const float dy = p[2] - c.m_fStartY;
    return dx * dx + dy * dy;
}

bool CKickPhysics::MakeFlick(int i, const float firstMark[3], float p[3], CCheck& c) {
    if (m_pSettings == nullptr || i < 0 || i >= kCheckCount) {
        platform::Log("Flick of draught %d refused: no settings or no such draught", i);
        return false;
    }
    // A settings file may hold any board number. Guessing a speed for a board we do not know
    // could fling the draught anywhere, so the flick is refused and the player hears the error.
    const SBoard* pBoard = FindBoard(m_pSettings->BoardType);
    if (!pBoard) {
        platform::Log("Flick refused: board type %d has no flick speed", m_pSettings->BoardType);
        return false;
    }
    const float d2 = MarkDistance2(p, c);
    // Written so that a NaN distance is refused too.
    if (!(d2 >= kAimBandInner2 * c.m_fRadius2 && d2 <= kAimBandOuter2 * c.m_fRadius2)) return false;

    if (p[0] == firstMark[0]) p[0] += kVerticalNudge;
    float dx = c.m_fStartX - p[0];
    float dy = c.m_fStartY - p[1];
    const float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 0.0f) || !std::isfinite(len)) {
        platform::Log("Flick of draught %d refused: the second mark gives no direction", i);
        return false;
    }
    dx /= len;
    dy /= len;

    const float speed = (std::sqrt(d2) - kLaunchOffset) * pBoard->fFlickSpeed;
    c.m_fSpeed = speed;
    c.m_fAimCos = dx;
    c.m_fDirX = dx;
    c.m_fDirY = dy;
    // The first mark is the centre, so the finger pushes straight through it.
    c.m_fKickCos = 1.0f;
    c.m_fKickSin = 0.0f;
    c.m_fVx0 = speed * c.m_fKickCos * dx;
    c.m_fVy0 = speed * c.m_fKickCos * dy;
    m_pSettings->ResetMovers(i);
    return true;
}
