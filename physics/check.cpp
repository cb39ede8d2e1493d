#include "physics/check.h"

#include <bit>

#include "core/game_settings.h"

void CCheck::Init(float x, float y, int nSide) {
    m_bJustHit = 0;
    m_fStartX = x;
    m_fStartY = y;
    m_nSide = nSide;
    m_fX = x;
    m_fY = y;
    m_fHeight = 0.0f;
    m_fPrevX = x;
    m_fPrevY = y;
    m_fTiltScale = 1.0f;
    m_fSlideTime = m_fFallTime = m_fSpeed = 0.0f;
    m_fVx0 = m_fVy0 = 0.0f;
    m_fSpin0 = m_fSpin = m_fSpinAngle = 0.0f;
    m_fTilt = 0.0f;
    m_fRadius = m_pSettings ? m_pSettings->m_fCheckRadius : 0.0f;
    m_fRadius2 = m_fRadius * m_fRadius;
    m_fDirX = m_fDirY = m_fAimCos = 0.0f;
    m_nExitEdge = 0;
    m_bOnDesk = 1;
    m_bFalling = 0;
    m_bMoving = 0;
}

namespace {

bool SameBits(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

}  // namespace

bool CCheck::SameMotion(const CCheck& o) const {
    static constexpr float CCheck::*kFloats[] = {
        &CCheck::m_fX,        &CCheck::m_fY,         &CCheck::m_fHeight,    &CCheck::m_fPrevX,
        &CCheck::m_fPrevY,    &CCheck::m_fExitX,     &CCheck::m_fExitY,     &CCheck::m_fTiltScale,
        &CCheck::m_fStartX,   &CCheck::m_fStartY,    &CCheck::m_fSlideTime, &CCheck::m_fFallTime,
        &CCheck::m_fSpeed,    &CCheck::m_fRadius,    &CCheck::m_fRadius2,   &CCheck::m_fVx0,
        &CCheck::m_fVy0,      &CCheck::m_fVx,        &CCheck::m_fVy,        &CCheck::m_fAimCos,
        &CCheck::m_fDirX,     &CCheck::m_fDirY,      &CCheck::m_fKickCos,   &CCheck::m_fKickSin,
        &CCheck::m_fTilt,     &CCheck::m_fTiltAxisZ, &CCheck::m_fTiltAxisX,
    };
    for (const auto f : kFloats)
        if (!SameBits(this->*f, o.*f)) return false;
    return m_bFalling == o.m_bFalling && m_bOnDesk == o.m_bOnDesk && m_bJustHit == o.m_bJustHit &&
           m_nSide == o.m_nSide && m_nExitEdge == o.m_nExitEdge && m_bMoving == o.m_bMoving;
}

CGLObject CCheck::DrawTransform() const {
    CGLObject o(*this);
    const SBoard* b = m_pSettings ? FindBoard(m_pSettings->BoardType) : nullptr;
    o.SetRotAngleX(0.0f, 0.0f, 0.0f, 0.0f);  // no tilt on an unknown board
    if (b) {
        switch (b->shape) {
            case EBoardShape::Square: o.SetRotAngleX(m_fTilt, m_fTiltAxisX, 0.0f, m_fTiltAxisZ); break;
            case EBoardShape::Round: o.SetRotAngleX(m_fTilt, -m_fTiltAxisX, 0.0f, m_fTiltAxisZ); break;
            case EBoardShape::Twelve: o.SetRotAngleX(-m_fTilt, m_fTiltAxisX, 0.0f, m_fTiltAxisZ); break;
        }
    }
    o.SetPos(m_fX, m_fHeight, m_fY);
    o.SetRotAngleY(m_fSpinAngle, 0.0f, 1.0f, 0.0f);
    return o;
}

void CCheck::Draw() {
    try {
        CGLObject o = DrawTransform();
        o.Draw();
    } catch (...) {
        // A framework failure skips this draught for one frame.
    }
}
