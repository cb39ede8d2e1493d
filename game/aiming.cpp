// The player's flick by two clicks: the first picks an own draught, the second sets the
// finger; the hand follows the mouse in between. Window thread.
#include <cmath>
#include <cstdint>

#include "game/match.h"

#include "core/game_settings.h"
#include "game/match_logic.h"
#include "physics/kick_physics.h"
#include "platform/log.h"

namespace {

// Marks and the hand float this high above the board, clear of the draughts' tops.
constexpr float kMarkHeight = 0.05f;

// The mouse counts as over the board while the board point stays in this square: the
// empty floor around the board too, so a finger may be set beyond the rim.
constexpr float kBoardAreaHalfWidth = 3.0f;

// Hand scale: small when too near, growing with the distance, large when too far.
constexpr float kHandScaleNear = 0.5f;
constexpr float kHandScaleFar = 1.5f;
constexpr float kHandScaleBase = 0.5f;
constexpr float kHandScaleSpan2 = 14.0f;  // squared radii per unit of scale

bool IsCheckIndex(int i) { return i >= 0 && i < kCheckCount; }

// Where a finger on board point p stands for the draught: off the board area (the system
// cursor shows), or too near, inside or beyond the band. The hand shows this and the second
// click obeys it, so the open hand means the click is taken. A NaN distance is beyond.
enum class EAim { OffBoard, TooNear, InBand, TooFar };

EAim JudgeAim(bool bOnPlane, const float p[3], CKickPhysics& physics, const CCheck& c) {
    if (!bOnPlane || !(std::fabs(p[0]) <= kBoardAreaHalfWidth && std::fabs(p[2]) <= kBoardAreaHalfWidth))
        return EAim::OffBoard;
    const float d2 = physics.MarkDistance2(p, c);
    if (d2 < kAimBandInner2 * c.m_fRadius2) return EAim::TooNear;
    if (d2 <= kAimBandOuter2 * c.m_fRadius2) return EAim::InBand;
    return EAim::TooFar;
}

}  // namespace

void CMatch::OnPlayerClick(long nPos) {
    CGameSettings& s = m_settings;
    const int nMySide = MySide(s.MyWhite);

    if (m_bMarkSet) {
        // The finger is judged on the board plane, as the hand was: whatever is drawn under
        // the cursor, the hand itself included, must not move it.
        const bool bOnPlane = m_host.BoardPointAt(nPos, m_ptPick);
        const int nIndex = m_nSelected;
        if (!IsCheckIndex(nIndex)) {
            platform::Log("Second mark without a selected draught (%d): the mark is dropped", nIndex);
            m_bMarkSet = false;
            m_nSelected = -1;
            m_host.EnableGameControls(true);
            return;
        }
        CCheck check;
        m_desk.GetCheck(nIndex, check);
        const bool bInBand = JudgeAim(bOnPlane, m_ptPick, m_physics, check) == EAim::InBand;
        // The physics reads the board point (X, Z) from the first two coordinates.
        m_ptPick[1] = m_ptPick[2];
        if (!bInBand || !m_physics.MakeFlick(nIndex, m_vFirstMark, m_ptPick, check)) {
            m_host.PlayRefusal();
            return;
        }
        m_host.ShowSystemCursor(true);
        m_bMarkSet = false;
        if (IsOnePlayer())
            s.m_nMoverSide = nMySide;
        else
            s.m_nMoverSide = s.m_bMySideToMove ? SIDE_WHITE : SIDE_BLACK;
        platform::Log(" --- Player turn --- ");
        // Nothing of an earlier flick may still run when this one is written.
        m_physics.SuspendThreads();
        m_physics.StopPlayback();
        m_physics.TerminateThreads();
        m_desk.SetCheck(nIndex, check);
        m_host.OnFlickLaunched(nIndex);
        LaunchFlick(nIndex);
        m_host.OnFlickClicked();
        m_host.ShowSight(false);
        return;
    }

    if (IsRemoteTurn()) {
        m_host.PlayRefusal();
        return;
    }
    // The first mark may take the top of a draught: no hand is drawn yet.
    m_host.ScenePointAt(nPos, m_ptPick);
    m_ptPick[1] = m_ptPick[2];
    // Only the colour of the player to move may be picked.
    const bool bOtherPlayerMoves = !IsOnePlayer() && !s.m_bMySideToMove;
    const int nExcluded = bOtherPlayerMoves ? nMySide : OtherSide(nMySide);
    int nIndex = -1;
    if (!m_physics.PickOwnDraught(m_ptPick[0], m_ptPick[2], nExcluded, m_desk, nIndex)) {
        m_nSelected = -1;
        m_host.PlayRefusal();
        return;
    }
    const CCheck& picked = m_desk.m_aChecks[nIndex];
    m_nSelected = nIndex;
    m_vFirstMark[0] = picked.m_fStartX;
    m_vFirstMark[1] = kMarkHeight;
    m_vFirstMark[2] = picked.m_fStartY;
    m_bMarkSet = true;
    m_host.ShowSight(false);
    m_host.EnableGameControls(false);
}

void CMatch::OnAimMove(long nPos) {
    // The current screen has had the move already (OnMouseMove).
    const bool bOnPlane = m_host.BoardPointAt(nPos, m_ptPick);
    m_vHand[0] = m_ptPick[0];
    m_vHand[1] = kMarkHeight;
    m_vHand[2] = m_ptPick[2];
    if (!m_host.IsGameScreenShown() || !IsCheckIndex(m_nSelected)) return;

    const CCheck& selected = m_desk.m_aChecks[m_nSelected];
    const EAim aim = JudgeAim(bOnPlane, m_ptPick, m_physics, selected);
    if (aim == EAim::OffBoard) {
        m_host.ShowSystemCursor(true);
        m_bHandShown = false;
        return;
    }
    m_host.ShowSystemCursor(false);
    m_bHandShown = true;
    m_bHandInvalid = aim != EAim::InBand;
    if (aim == EAim::TooNear)
        m_settings.m_fHandScale = kHandScaleNear;
    else if (aim == EAim::TooFar)
        m_settings.m_fHandScale = kHandScaleFar;
    else
        m_settings.m_fHandScale = m_physics.MarkDistance2(m_vHand, selected) / (kHandScaleSpan2 * selected.m_fRadius2) +
                                  kHandScaleBase;
}

void CMatch::CancelFlick() {
    if (m_bBusy || !m_host.IsGameScreenShown()) return;
    m_host.ShowSystemCursor(true);
    m_bMarkSet = false;
    m_nSelected = -1;
    m_host.EnableGameControls(true);
    if (m_settings.m_nFocus >= 0) AimCameraAtFocus();
}
