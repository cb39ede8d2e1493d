// Soft shadows as dark patches blended over what is already drawn: an opaque-ish core in the
// caster's outline that fades to nothing outside it. They test depth but write none, so they
// never hide what is drawn later nor change the scene point under the cursor.
#include "render/scene_shadows.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "app/framework/gl_state_guard.h"
#include "app/framework/light.h"
#include "core/game_settings.h"
#include "physics/desk.h"

namespace {

constexpr int kSegments = 24;  // around a patch; the twelve-sided and square corners fall on them
constexpr float kPi = 3.14159265358979f;

// A caster's outline seen from above: a circle (no corners) or a regular polygon.
struct SOutline {
    int nCorners;          // 0 for a circle
    float fFirstCorner;    // radians from +x towards +z
    float fCircumradius;   // centre to corner
};

// How a patch fades: the core in fCore times the outline at fCoreAlpha, fMid at fMidAlpha, the
// rim at fEdge with nothing left.
struct SFalloff {
    float fCore, fMid, fEdge;
    float fCoreAlpha, fMidAlpha;
};

// The board's shadow on a plane below it: the board's outline as the light casts it there.
constexpr float kBoardShadowDrop = 0.3f;
constexpr SFalloff kBoardFalloff = {1.0f, 1.15f, 1.38f, 0.8f, 0.35f};
// A draught's shadow on the board: leaning away from the light a little more than the point
// light alone would, as a broad lamp would, and lifted clear of the board's surface.
constexpr float kDraughtTop = 0.024f;  // height of the draught models
constexpr float kDraughtLean = 0.3f;   // in draught radii
constexpr float kDraughtShadowLift = 0.002f;
constexpr SFalloff kDraughtFalloff = {1.0f, 1.25f, 1.6f, 0.55f, 0.25f};
// A falling draught's shadow fades within this time, or once the draught is this far from the
// board's plane, so it does not hang over the edge in the void.
constexpr float kFallFadeSeconds = 0.2f;
constexpr float kHeightFade = 0.05f;

const std::array<std::array<float, 2>, kSegments + 1>& UnitCircle() {
    static const auto circle = [] {
        std::array<std::array<float, 2>, kSegments + 1> c{};
        for (int i = 0; i <= kSegments; ++i) {
            const float a = 2 * kPi * static_cast<float>(i) / kSegments;
            c[i] = {std::cos(a), std::sin(a)};
        }
        return c;
    }();
    return circle;
}

// Centre to outline along the angle a.
float OutlineRadius(const SOutline& o, float a) {
    if (o.nCorners < 3) return o.fCircumradius;
    const float sector = 2 * kPi / static_cast<float>(o.nCorners);
    const float local = std::fmod(a - o.fFirstCorner + 4 * kPi, sector) - sector / 2;
    return o.fCircumradius * std::cos(sector / 2) / std::cos(local);
}

// One patch on the plane y = fY about (cx, cz), darkness fAlpha at its core, as triangles inside
// the caller's glBegin(GL_TRIANGLES): every shadow of a frame goes in one draw.
void EmitPatch(float cx, float fY, float cz, const SOutline& outline, const SFalloff& f, float fAlpha) {
    const auto& circle = UnitCircle();
    std::array<float, kSegments + 1> radius{};
    for (int i = 0; i <= kSegments; ++i)
        radius[i] = OutlineRadius(outline, 2 * kPi * static_cast<float>(i) / kSegments);
    const float aRings[4][2] = {{0.0f, f.fCoreAlpha}, {f.fCore, f.fCoreAlpha}, {f.fMid, f.fMidAlpha}, {f.fEdge, 0.0f}};
    auto vertex = [&](int ring, int i) {
        glColor4f(0.0f, 0.0f, 0.0f, fAlpha * aRings[ring][1]);
        const float r = radius[i] * aRings[ring][0];
        glVertex3f(cx + circle[i][0] * r, fY, cz + circle[i][1] * r);
    };
    for (int i = 0; i < kSegments; ++i) {
        vertex(0, i), vertex(1, i), vertex(1, i + 1);
        for (int ring = 1; ring < 3; ++ring) {
            vertex(ring, i), vertex(ring + 1, i), vertex(ring + 1, i + 1);
            vertex(ring, i), vertex(ring + 1, i + 1), vertex(ring, i + 1);
        }
    }
}

// Blended, untextured, unlit; tested against depth but never written to it.
class CShadowPass {
public:
    CShadowPass() {
        for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_COLOR_MATERIAL, GL_ALPHA_TEST, GL_FOG})
            glDisable(cap);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_FALSE);
        glShadeModel(GL_SMOOTH);
    }

private:
    CGlStateGuard m_state;  // constructed first: reads the state before the pass changes it
};

// Where the light, shining through (x, fHeight, z), meets the plane y = fPlane.
void CastFromLight(float x, float fHeight, float z, float fPlane, float& outX, float& outZ) {
    const float* l = CGLight::kPosition;
    const float t = (l[1] - fPlane) / (l[1] - fHeight);
    outX = l[0] + (x - l[0]) * t;
    outZ = l[2] + (z - l[2]) * t;
}

}  // namespace

void DrawBoardShadow(const CGameSettings& s) {
    const SBoard* b = FindBoard(s.BoardType);
    if (!b) return;
    SOutline outline{};
    switch (b->shape) {
        case EBoardShape::Square: outline = {4, kPi / 4, b->fSize / std::sqrt(2.0f)}; break;
        case EBoardShape::Round: outline = {0, 0.0f, b->fSize}; break;
        case EBoardShape::Twelve: outline = {12, 0.0f, b->fSize}; break;
    }
    // The board's centre and outline as the light casts them onto the plane below.
    const float y = -kBoardShadowDrop;
    float cx = 0.0f, cz = 0.0f;
    CastFromLight(0.0f, 0.0f, 0.0f, y, cx, cz);
    outline.fCircumradius *= (CGLight::kPosition[1] - y) / CGLight::kPosition[1];
    const CShadowPass pass;
    glBegin(GL_TRIANGLES);
    EmitPatch(cx, y, cz, outline, kBoardFalloff, 1.0f);
    glEnd();
}

void DrawDraughtShadows(const CDesk& desk) {
    const CShadowPass pass;
    glBegin(GL_TRIANGLES);
    for (const CCheck& c : desk.m_aChecks) {
        if (c.Get3DS() == kNoModel || (!c.m_bOnDesk && !c.m_bFalling)) continue;
        float fAlpha = std::clamp(1.0f - std::fabs(c.m_fHeight) / kHeightFade, 0.0f, 1.0f);
        if (c.m_bFalling) fAlpha *= std::clamp(1.0f - c.m_fFallTime / kFallFadeSeconds, 0.0f, 1.0f);
        if (fAlpha <= 0.0f) continue;
        float cx = 0.0f, cz = 0.0f;
        CastFromLight(c.m_fX, c.m_fHeight + kDraughtTop, c.m_fY, kDraughtShadowLift, cx, cz);
        const float dx = c.m_fX - CGLight::kPosition[0], dz = c.m_fY - CGLight::kPosition[2];
        const float d = std::hypot(dx, dz);
        if (d > 0.0f) {
            cx += dx / d * kDraughtLean * c.m_fRadius;
            cz += dz / d * kDraughtLean * c.m_fRadius;
        }
        EmitPatch(cx, kDraughtShadowLift, cz, {0, 0.0f, c.m_fRadius}, kDraughtFalloff, fAlpha);
    }
    glEnd();
}
