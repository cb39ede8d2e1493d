// The camera in a match: keys and held buttons, the focus on an own draught, and the swing
// of the view to it. Window thread.
#include <cmath>
#include <cstdint>
#include <numbers>

#include "game/match.h"

#include "core/game_settings.h"
#include "core/win_messages.h"
#include "game/match_logic.h"
#include "physics/desk.h"
#include "platform/log.h"

namespace {

constexpr int kCentreFocus = -1;             // the board centre
constexpr int kLastFocus = kChecksPerSide - 1;
constexpr int kBlackBase = 0;                // draughts 0..9
constexpr int kWhiteBase = kChecksPerSide;   // draughts 10..19

// Limits of the held camera steps. Up is refused once the eye is this close (squared, in the
// board plane) to the point above the target: the view would spin about the vertical there.
constexpr float kOverheadLimitSquared = 0.02f;
constexpr double kLowestEyeForDown = 0.2;
constexpr double kLowestEyeForZoomIn = 0.3;
constexpr double kFarthestEyeForZoomOut = 8.5;

constexpr float kPiSingle = std::numbers::pi_v<float>;
constexpr double kHalfPi = std::numbers::pi / 2;

bool OnBoard(const CCheck& c) { return c.m_bOnDesk != 0; }

// First draught of the side whose own draughts the camera focuses: the player's side against
// the computer, the side to move between two players.
int FocusBase(const CGameSettings& s, bool bOnePlayer) {
    const bool bWhite = bOnePlayer ? s.MyWhite != 0 : s.m_bMySideToMove != 0;
    return bWhite ? kWhiteBase : kBlackBase;
}

// The heading from a point to the eye by the signs of the offsets (the same as atan2 where
// both are non-zero). False, with the azimuth untouched, when either offset is 0.
template <typename T>
bool QuadrantAzimuth(T dx, T dz, T pi, double& azimuth) {
    if (dz > 0 && dx > 0) azimuth = std::atan(dz / dx);
    else if (dz > 0 && dx < 0) azimuth = pi - std::atan(dz / -dx);
    else if (dz < 0 && dx < 0) azimuth = std::atan(dz / dx) - pi;
    else if (dz < 0 && dx > 0) azimuth = -std::atan(dz / -dx);
    else return false;
    return true;
}

// The elevation of the eye over the (new) target; kept when eye and target meet.
void UpdateElevation(stCamGeom& cam) {
    if (!(cam.distance > 0.0)) return;
    const double ratio = (cam.ey - cam.ty) / cam.distance;
    cam.elevation = std::asin(ratio > 1.0 ? 1.0 : (ratio < -1.0 ? -1.0 : ratio));
}

// Distance from eye to target as the zoom measures it, in single precision.
float ZoomDistance(const stCamGeom& cam) {
    const auto dx = static_cast<float>(cam.tx - cam.ex);
    const auto dy = static_cast<float>(cam.ty - cam.ey);
    const auto dz = static_cast<float>(cam.tz - cam.ez);
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

bool NearlyOverhead(const stCamGeom& cam) {
    const double dx = cam.ex - cam.tx;
    const double dz = cam.ez - cam.tz;
    return dx * dx + dz * dz <= kOverheadLimitSquared;
}

bool AtZoomOutLimit(const stCamGeom& cam) {
    return std::abs(cam.ey) >= kFarthestEyeForZoomOut || std::abs(cam.ex) >= kFarthestEyeForZoomOut ||
           std::abs(cam.ez) >= kFarthestEyeForZoomOut;
}

}  // namespace

// The eye stays; the target moves onto the draught, and the heading and elevation follow.
void CMatch::TurnToDraught(const CCheck& c) {
    stCamGeom& cam = m_host.Camera();
    const float px = c.m_fStartX;
    const float pz = c.m_fStartY;
    const auto dx = static_cast<float>(cam.ex - px);
    const auto dz = static_cast<float>(cam.ez - pz);
    QuadrantAzimuth(dx, dz, kPiSingle, cam.azimuth);
    cam.tx = px;
    cam.tz = pz;
    CalcCameraRads(cam);
    UpdateElevation(cam);
}

// The eye stays; the target moves to the board centre.
void CMatch::TurnToCentre() {
    stCamGeom& cam = m_host.Camera();
    if (cam.ez > 0 && cam.ex == 0) cam.azimuth = kHalfPi;
    else QuadrantAzimuth(cam.ex, cam.ez, std::numbers::pi, cam.azimuth);
    cam.tx = 0.0;
    cam.tz = 0.0;
    CalcCameraRads(cam);
    UpdateElevation(cam);
}

// One zoom step: the eye moves by the camera step along the line to the target (toward it
// for +1, away for -1).
void CMatch::ZoomStep(double direction) {
    stCamGeom& cam = m_host.Camera();
    const float d = ZoomDistance(cam);
    if (!(d > 0.0f) || !std::isfinite(d)) return;  // eye on the target: no direction
    const double s = direction * m_host.CameraStep();
    const double ex = cam.ex, ey = cam.ey, ez = cam.ez;
    cam.ex = ex + s * (cam.tx - ex) / d;
    cam.ey = ey + s * (cam.ty - ey) / d;
    cam.ez = ez + s * (cam.tz - ez) / d;
    CalcCameraRads(cam);
    m_host.UpdateView();
}

void CMatch::CameraKeyStep(unsigned nKey) {
    stCamGeom& cam = m_host.Camera();
    switch (nKey) {
    case VK_LEFT: m_host.RotateCamera(true); break;
    case VK_RIGHT: m_host.RotateCamera(false); break;
    case VK_UP:
        if (!NearlyOverhead(cam)) {
            MoveCameraUp(cam);
            m_host.UpdateView();
        }
        break;
    case VK_DOWN:
        if (cam.ey > kLowestEyeForDown) {
            MoveCameraDown(cam);
            m_host.UpdateView();
        }
        break;
    case VK_ADD:
        if (cam.ey > kLowestEyeForZoomIn) ZoomStep(1.0);
        break;
    case VK_SUBTRACT:
        if (!AtZoomOutLimit(cam)) ZoomStep(-1.0);
        break;
    default: break;
    }
}

void CMatch::OnGameKeyDown(unsigned nKey) {
    switch (nKey) {
    case VK_LEFT:
    case VK_RIGHT: {
        // One eased 45-degree turn per press; the key's auto-repeat then turns as if held.
        if (m_host.IsShiftDown() && !m_bShiftTurn) {
            m_host.StartTurnStep(nKey);
            m_bShiftTurn = true;
        } else {
            m_host.PressGameButton(nKey);
        }
        break;
    }
    // Keys that stand for a game screen button run that button's command.
    case VK_UP:
    case VK_DOWN:
    case VK_ADD:
    case VK_SUBTRACT: m_host.PressGameButton(nKey); break;
    case VK_TAB: SwapFocus(); break;
    case VK_ESCAPE: m_host.PauseGame(); break;
    default: break;
    }
}

void CMatch::LookAtDraught(const CCheck& check) {
    TurnToDraught(check);
    m_host.UpdateView();
}

void CMatch::AimCameraAtFocus() {
    const int nFocus = m_settings.m_nFocus;
    if (m_bBusy || nFocus < 0) return;
    if (nFocus > kLastFocus) {
        platform::Log("Camera focus %d is not a draught ordinal; the camera stays", nFocus);
        return;
    }
    const int nBase = FocusBase(m_settings, IsOnePlayer());
    const CCheck* pCheck = &m_desk.m_aChecks[nBase + nFocus];
    // A focused draught that has left the board hands the view to the first one still on it;
    // the focus itself stays, so TAB goes on from where it was.
    if (!OnBoard(*pCheck) && !pCheck->m_bFalling) {
        for (int k = 0; k <= kLastFocus; ++k) {
            if (OnBoard(m_desk.m_aChecks[nBase + k])) {
                pCheck = &m_desk.m_aChecks[nBase + k];
                break;
            }
        }
    }
    m_host.ShowSight(OnBoard(*pCheck) && !pCheck->m_bFalling);
    if (OnBoard(*pCheck)) LookAtDraught(*pCheck);
}

void CMatch::SwapFocus() {
    if (m_bBusy) {
        m_host.PlayRefusal();
        return;
    }
    int& nFocus = m_settings.m_nFocus;
    if (nFocus < kCentreFocus || nFocus > kLastFocus) {
        platform::Log("Camera focus %d out of range; TAB starts from the board centre", nFocus);
        nFocus = kCentreFocus;
    }
    const int nBase = FocusBase(m_settings, IsOnePlayer());
    // At most one pass over the ten ordinals: the centre always ends it.
    do {
        nFocus = nFocus == kLastFocus ? kCentreFocus : nFocus + 1;
    } while (nFocus != kCentreFocus && !OnBoard(m_desk.m_aChecks[nBase + nFocus]));

    const stCamGeom from = m_host.Camera();
    if (nFocus == kCentreFocus) {
        TurnToCentre();
        m_host.ShowSight(false);
    } else {
        TurnToDraught(m_desk.m_aChecks[nBase + nFocus]);
        m_host.ShowSight(true);
    }
    if (!m_host.SwingCamera(from, m_host.Camera())) {
        platform::Log("Camera swing not animated (no animation thread); the view jumps");
        m_host.UpdateView();
    }
}
