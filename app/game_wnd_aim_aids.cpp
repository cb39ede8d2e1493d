// The aiming aids over the scene: the marker on the first mark, the aim line and the hand.
// Window thread; reads the aiming fields only.
#include <cmath>

#include "app/game_wnd.h"
#include "render/scene_gl.h"

namespace {

constexpr int kOpenHand = 0;    // m_aHands: the second mark would be taken
constexpr int kClosedHand = 1;  // outside the allowed band
// The hand hangs a little below the height the aiming marks are set at.
constexpr float kMarkHeight = 0.05f;
constexpr float kHandDrop = 0.02f;
// The heading's degrees per radian, kept at the game's rounded 57.295 (not 57.29578) so the
// hand turns exactly as it always has.
constexpr float kDegreesPerRadian = 57.295f;
constexpr float kHalfTurn = 180.0f;
constexpr float kQuarterTurn = 90.0f;
constexpr float kRadiansPerDegree = 3.14159265f / 180.0f;
// On a pull nearer than this outside the selected draught's rim, the hand's front (fingertips
// or fist) rests there instead of reaching into the draught.
constexpr float kHandClearance = 0.006f;

// Heading about the vertical, in degrees, that turns the hand at (x2, y2) to face the
// first mark at (x1, y1); board points are (scene x, scene z).
float HandHeading(float x1, float y1, float x2, float y2) {
    float a = 0.0f;
    if (x2 != x1)
        a = static_cast<float>(kHalfTurn - std::atan((y2 - y1) / (x2 - x1)) * static_cast<double>(kDegreesPerRadian));
    else
        a = y2 > y1 ? -kQuarterTurn : kQuarterTurn;
    if (x2 > x1) a += kHalfTurn;
    return a;
}

// Moves the hand point (x, z) out to fMinDist from the first mark (mx, mz) when it is nearer,
// straight away from the mark; on the mark itself, back along the heading a (degrees), so the
// fingers, which point along (-cos a, sin a), still face it.
void KeepHandOff(float mx, float mz, float fMinDist, float a, float& x, float& z) {
    float dx = x - mx, dz = z - mz;
    const float d = std::hypot(dx, dz);
    if (d >= fMinDist) return;
    if (d > 0.0f) {
        dx /= d, dz /= d;
    } else {
        dx = std::cos(a * kRadiansPerDegree), dz = -std::sin(a * kRadiansPerDegree);
    }
    x = mx + dx * fMinDist;
    z = mz + dz * fMinDist;
}

}  // namespace

void CGameWnd::DrawAimAids() {
    DrawAimMarks();
    DrawHand();
    DrawRemoteAim();
}

void CGameWnd::DrawAimMarks() {
    if (!m_match.IsMarkSet()) return;
    const TScenePoint& vFirstMark = m_match.FirstMark();
    const TScenePoint& vHand = m_match.HandPoint();
    if (m_settings.m_nLevel != LEVEL_BEGINNER && m_settings.m_nLevel != LEVEL_PRO) return;
    m_marker.SetPos(vFirstMark[0], vFirstMark[1], vFirstMark[2]);
    m_marker.Draw();
    // The line follows the hand, so it goes when the cursor leaves the board.
    if (m_settings.m_nLevel == LEVEL_BEGINNER && m_match.IsHandShown() && HasGl()) DrawAimLine(vFirstMark, vHand);
}

void CGameWnd::DrawHand() {
    const int nSelected = m_match.Selected();
    if (nSelected < 0 || nSelected >= kCheckCount || m_bCursorShown) return;
    DrawHandAt(m_match.FirstMark(), m_match.HandPoint(), m_match.IsHandInvalid(), m_settings.m_fHandScale);
}

void CGameWnd::DrawHandAt(const float vFirstMark[3], const float vHand[3], bool bInvalid, float fScale) {
    CGLObject& hand = m_aHands[bInvalid ? kClosedHand : kOpenHand];
    const float a = HandHeading(vFirstMark[0], vFirstMark[2], vHand[0], vHand[2]);
    float x = vHand[0], z = vHand[2];
    KeepHandOff(vFirstMark[0], vFirstMark[2], m_settings.m_fCheckRadius + kHandClearance, a, x, z);
    hand.SetPos(x, kMarkHeight - kHandDrop, z);
    hand.SetScale(fScale, fScale, fScale);
    hand.SetRotAngleY(a, 0.0f, 1.0f, 0.0f);
    hand.Draw();
}
