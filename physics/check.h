// One draught: its place, its slide in closed form, its spin and its fall.
// A plain value, copied whole; the simulation works on private copies.
#pragma once

#include <cstdint>

#include "core/gl_object.h"

class CGameSettings;

class CCheck : public CGLObject {
public:
    CCheck() = default;
    CCheck(const CCheck&) = default;
    CCheck& operator=(const CCheck&) = default;
    ~CCheck() override = default;

    // Places the draught at rest at (x, y) for side; SetSettings must come first (radius).
    void Init(float x, float y, int nSide);
    void SetSettings(CGameSettings* pSettings) { m_pSettings = pSettings; }
    CGameSettings* GetSettings() const { return m_pSettings; }
    // Bit for bit the same in every field the simulation reads. The spin fields are left out:
    // the simulation only ever writes them, so they never change where a draught goes.
    bool SameMotion(const CCheck& o) const;

    // Draws the model with the tilt, position and spin of the fields. The draught itself is
    // not changed, so the computer's thread may read the live position while it is drawn.
    void Draw() override;
    // The object Draw hands to the framework: the model with the tilt by board shape, the
    // position and the spin.
    CGLObject DrawTransform() const;

    // A new field below belongs in SameMotion unless the simulation never reads it.
    CGameSettings* m_pSettings = nullptr;  // shared settings: radius, board shape
    int32_t m_bFalling = 0;    // 1 while a knocked-off draught plays its fall
    int32_t m_bOnDesk = 1;     // 0 from the moment the centre leaves the board
    uint8_t m_bJustHit = 0;    // set by a collision; the next moving step clears it
    int32_t m_nSide = 0;       // 1 white, 2 black
    float m_fX = 0.0f, m_fY = 0.0f;          // centre on the board plane
    float m_fHeight = 0.0f;                  // 0 on the board
    float m_fPrevX = 0.0f, m_fPrevY = 0.0f;  // centre at the start of the step
    float m_fExitX = 0.0f, m_fExitY = 0.0f;  // where it crossed a twelve-sided edge
    float m_fTiltScale = 1.0f;               // divisor scale of the twelve-sided fall tilt
    float m_fStartX = 0.0f, m_fStartY = 0.0f;  // start of the current free slide
    float m_fSlideTime = 0.0f;  // seconds since the slide started
    float m_fFallTime = 0.0f;   // seconds since it left the board
    float m_fSpeed = 0.0f;      // launch speed, informational
    float m_fSpin0 = 0.0f;      // spin at the start of the current decay, rad/s
    float m_fSpin = 0.0f;       // current spin, rad/s
    float m_fSpinAngle = 0.0f;  // drawn rotation about the vertical, degrees
    float m_fRadius = 0.0f;     // copied from the settings at placement
    float m_fRadius2 = 0.0f;    // its square
    float m_fVx0 = 0.0f, m_fVy0 = 0.0f;  // velocity at the start of the slide
    float m_fVx = 0.0f, m_fVy = 0.0f;    // velocity at the last impact
    float m_fAimCos = 0.0f;              // x of the unit aim direction of the last player flick
    float m_fDirX = 0.0f, m_fDirY = 0.0f;  // unit slide direction, 0 at rest
    float m_fKickCos = 0.0f;  // cosine between aim line and contact-to-centre line
    float m_fKickSin = 0.0f;  // signed sine of that angle
    float m_fTilt = 0.0f;     // tilt of a falling draught, degrees
    int32_t m_nExitEdge = 0;  // edge crossed, 0 none
    float m_fTiltAxisZ = 0.0f, m_fTiltAxisX = 0.0f;  // tilt axis of a falling draught
    int32_t m_bMoving = 0;    // 1 while sliding on the board
};
