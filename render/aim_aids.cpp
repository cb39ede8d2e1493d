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

}  // namespace

void CGameWnd::DrawAimAids() {
    DrawAimMarks();
    DrawHand();
}

void CGameWnd::DrawAimMarks() {
    if (!m_abMarkSet[0] || !m_abMarkSet[1]) return;
    if (m_settings.m_nLevel != LEVEL_BEGINNER && m_settings.m_nLevel != LEVEL_PRO) return;
    m_marker.SetPos(m_vFirstMark[0], m_vFirstMark[1], m_vFirstMark[2]);
    m_marker.Draw();
    // The line follows the hand, so it goes when the cursor leaves the board.
    if (m_settings.m_nLevel == LEVEL_BEGINNER && m_bHandShown == 1 && HasGl()) DrawAimLine(m_vFirstMark, m_vHand);
}

void CGameWnd::DrawHand() {
    if (m_nSelected < 0 || m_nSelected >= kCheckCount || m_bCursorShown) return;
    CGLObject& hand = m_aHands[m_bHandInvalid == 1 ? kClosedHand : kOpenHand];
    const float a = HandHeading(m_vFirstMark[0], m_vFirstMark[2], m_vHand[0], m_vHand[2]);
    hand.SetPos(m_vHand[0], kMarkHeight - kHandDrop, m_vHand[2]);
    const float s = m_settings.m_fHandScale;
    hand.SetScale(s, s, s);
    hand.SetRotAngleY(a, 0.0f, 1.0f, 0.0f);
    hand.Draw();
}
