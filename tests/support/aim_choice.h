// A sensible flick for a test player: the own draught nearest to an opponent draught, the
// finger behind it on the line through both (firm where the board allows, softer near the
// rim), as window pixels under the current camera. Used by the whole-match tests and by the
// end-to-end click tool.
#pragma once

#include <GL/glu.h>

#include <cmath>

#include "app/framework/gl_wnd.h"
#include "app/framework/world_pick.h"
#include "core/game_settings.h"
#include "physics/board_edges.h"
#include "physics/desk.h"

struct SAimChoice {
    int x1 = 0, y1 = 0;  // first click: on the own draught
    int x2 = 0, y2 = 0;  // second click: the finger
    int nOwn = -1, nTarget = -1;
};

namespace aim_choice {

// Inside the accepted band (0.082 to 0.232 from the centre).
inline constexpr double kFingerDistances[] = {0.17, 0.13, 0.1};

// Window pixel (origin top-left) of a scene point, kept off the screen's edges where the
// game screen's buttons are.
inline bool ToWindow(const SViewProjection& vp, double x, double y, double z, int nMarginX, int nMarginY, int& px,
                     int& py) {
    double wx = 0, wy = 0, wz = 0;
    if (gluProject(x, y, z, vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz) != GL_TRUE || wz <= 0.0 || wz >= 1.0)
        return false;
    px = static_cast<int>(std::floor(wx));
    py = kLogicalHeight - 1 - static_cast<int>(std::floor(wy));
    return px >= nMarginX && px < kLogicalWidth - nMarginX && py >= nMarginY && py < kLogicalHeight - nMarginY;
}

// The finger must lie on the board's playing surface: the pick needs the board under it.
inline bool OnBoard(const CGameSettings& settings, double x, double y) {
    CCheck probe;
    probe.m_fX = probe.m_fPrevX = static_cast<float>(x), probe.m_fY = probe.m_fPrevY = static_cast<float>(y);
    return !TestLeftBoard(probe, FindBoard(settings.BoardType));
}

// The clicks for flicking draught `own` along the unit direction (ux, uy); false when the
// finger would be off the board or either click off the screen's inner part.
inline bool AimAlong(const SViewProjection& vp, const CGameSettings& settings, const CCheck& own, double ux,
                     double uy, double fDraughtTop, int nMarginX, int nMarginY, SAimChoice& c) {
    if (!ToWindow(vp, own.m_fStartX, fDraughtTop, own.m_fStartY, nMarginX, nMarginY, c.x1, c.y1)) return false;
    for (double fFinger : kFingerDistances) {
        const double fx = own.m_fStartX - ux * fFinger, fy = own.m_fStartY - uy * fFinger;
        if (OnBoard(settings, fx, fy) && ToWindow(vp, fx, 0.0, fy, nMarginX, nMarginY, c.x2, c.y2)) return true;
    }
    return false;
}

}  // namespace aim_choice

// fDraughtTop: the height the first click is projected from (the draught's top face when the
// pick reads depth, 0 when it meets the board plane). The flick goes at the nearest opponent
// draught that can be aimed at; failing that, any way the board leaves room for the finger.
// False when no own draught can be flicked from inside the screen.
inline bool ChooseAim(const CDesk& desk, const CGameSettings& settings, int nSide, const stCamGeom& camera,
                      double fDraughtTop, int nMarginX, int nMarginY, SAimChoice& out) {
    using namespace aim_choice;
    constexpr int kCompassDirections = 16;
    const SViewProjection vp = CameraViewProjection(camera);
    double best = 1e9;
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& own = desk.m_aChecks[i];
        if (!own.m_bOnDesk || own.m_nSide != nSide) continue;
        for (int j = 0; j < kCheckCount; ++j) {
            const CCheck& target = desk.m_aChecks[j];
            if (!target.m_bOnDesk || target.m_nSide == nSide) continue;
            const double dx = target.m_fStartX - own.m_fStartX, dy = target.m_fStartY - own.m_fStartY;
            const double d = std::hypot(dx, dy);
            if (d <= 0.0 || d >= best) continue;
            SAimChoice c;
            if (!AimAlong(vp, settings, own, dx / d, dy / d, fDraughtTop, nMarginX, nMarginY, c)) continue;
            best = d, c.nOwn = i, c.nTarget = j;
            out = c;
        }
    }
    if (best < 1e9) return true;
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& own = desk.m_aChecks[i];
        if (!own.m_bOnDesk || own.m_nSide != nSide) continue;
        for (int k = 0; k < kCompassDirections; ++k) {
            const double a = 2.0 * 3.141592653589793 * k / kCompassDirections;
            SAimChoice c;
            if (!AimAlong(vp, settings, own, std::cos(a), std::sin(a), fDraughtTop, nMarginX, nMarginY, c)) continue;
            c.nOwn = i;
            out = c;
            return true;
        }
    }
    return false;
}
