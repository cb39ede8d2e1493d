// Soft shadows: the board's, as the darkness it leaves in the sky, and the draughts', as dark
// patches blended over the board: an opaque-ish core in the caster's outline that fades to nothing
// outside it. They write no depth, so they never hide what is drawn later nor change the scene
// point under the cursor.
#include "render/scene_shadows.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "app/framework/gl_context.h"
#include "app/framework/gl_state_guard.h"
#include "app/framework/light.h"
#include "core/game_settings.h"
#include "physics/desk.h"

namespace {

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
// The part of the board's top, in multiples of its outline, that surely hides what lies behind
// it: clear of the chamfer at the edge.
constexpr float kBoardTopInside = 0.95f;
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

// Centre to outline along the angle a.
float OutlineRadius(const SOutline& o, float a) {
    if (o.nCorners < 3) return o.fCircumradius;
    const float sector = 2 * kPi / static_cast<float>(o.nCorners);
    const float local = std::fmod(a - o.fFirstCorner + 4 * kPi, sector) - sector / 2;
    return o.fCircumradius * std::cos(sector / 2) / std::cos(local);
}

// How dark a patch is at r times the caster's outline from its centre.
float Darkness(const SFalloff& f, float r) {
    if (r <= f.fCore) return f.fCoreAlpha;
    if (r <= f.fMid) return f.fCoreAlpha + (f.fMidAlpha - f.fCoreAlpha) * (r - f.fCore) / (f.fMid - f.fCore);
    return r < f.fEdge ? f.fMidAlpha * (f.fEdge - r) / (f.fEdge - f.fMid) : 0.0f;
}

// A draught's patch as a texture of its darkness across the square about it, drawn on one
// octagon per draught instead of rings of small triangles. The square reaches a little past the
// rim, so its outer texels are clear and its edges never show.
constexpr int kPatchTexels = 64;
constexpr float kPatchReach = 1.05f;  // times the rim
constexpr int kPatchCorners = 8;

GLuint PatchTexture() {
    static GLuint s_nTexture = 0;
    static unsigned s_nContext = 0;
    if (s_nTexture != 0 && s_nContext == CurrentGlContextGeneration()) return s_nTexture;
    const SFalloff& f = kDraughtFalloff;
    std::array<GLubyte, kPatchTexels * kPatchTexels> alpha{};
    for (int y = 0; y < kPatchTexels; ++y)
        for (int x = 0; x < kPatchTexels; ++x) {
            // Texel centres across the square, in caster radii.
            const float u = (2.0f * (static_cast<float>(x) + 0.5f) / kPatchTexels - 1.0f) * kPatchReach * f.fEdge;
            const float v = (2.0f * (static_cast<float>(y) + 0.5f) / kPatchTexels - 1.0f) * kPatchReach * f.fEdge;
            alpha[static_cast<size_t>(y) * kPatchTexels + x] =
                static_cast<GLubyte>(Darkness(f, std::hypot(u, v)) * 255.0f + 0.5f);
        }
    s_nContext = CurrentGlContextGeneration();
    glGenTextures(1, &s_nTexture);
    glBindTexture(GL_TEXTURE_2D, s_nTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint nAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &nAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kPatchTexels, kPatchTexels, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, nAlignment);
    return s_nTexture;
}

// Blended, textured with the patch, unlit, writing no depth; only over what is already drawn
// (the board), never over the sky, which leaves the cleared depth: every fragment is put at the
// far end and passes only where something nearer is.
class CShadowPass {
public:
    CShadowPass() {
        for (GLenum cap : {GL_LIGHTING, GL_CULL_FACE, GL_COLOR_MATERIAL, GL_ALPHA_TEST, GL_FOG}) glDisable(cap);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, PatchTexture());
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_GREATER);
        glDepthMask(GL_FALSE);
        glGetDoublev(GL_DEPTH_RANGE, m_aRange);
        glDepthRange(1.0, 1.0);
    }
    ~CShadowPass() { glDepthRange(m_aRange[0], m_aRange[1]); }
    CShadowPass(const CShadowPass&) = delete;
    CShadowPass& operator=(const CShadowPass&) = delete;

private:
    CGlStateGuard m_state;  // constructed first: reads the state before the pass changes it
    GLdouble m_aRange[2] = {0.0, 1.0};
};

// Where the light, shining through (x, fHeight, z), meets the plane y = fPlane.
void CastFromLight(float x, float fHeight, float z, float fPlane, float& outX, float& outZ) {
    const float* l = CGLight::kPosition;
    const float t = (l[1] - fPlane) / (l[1] - fHeight);
    outX = l[0] + (x - l[0]) * t;
    outZ = l[2] + (z - l[2]) * t;
}

// The board's outline seen from above about its centre; false for an unknown board.
bool BoardOutline(const CGameSettings& s, SOutline& outline) {
    const SBoard* b = FindBoard(s.BoardType);
    if (!b) return false;
    switch (b->shape) {
        case EBoardShape::Square: outline = {4, kPi / 4, b->fSize / std::sqrt(2.0f)}; break;
        case EBoardShape::Round: outline = {0, 0.0f, b->fSize}; break;
        case EBoardShape::Twelve: outline = {12, 0.0f, b->fSize}; break;
    }
    return true;
}

// Where the ray from the eye along dir meets the plane y = fPlane, in multiples of the outline
// about (cx, cz); -1 where it does not meet the plane.
float OutlineFraction(const SOutline& o, float cx, float cz, float fPlane, const double (&eye)[3],
                      const double (&dir)[3]) {
    if (dir[1] >= 0.0 || eye[1] <= fPlane) return -1.0f;
    const double t = (fPlane - eye[1]) / dir[1];
    const float dx = static_cast<float>(eye[0] + t * dir[0]) - cx, dz = static_cast<float>(eye[2] + t * dir[2]) - cz;
    return std::hypot(dx, dz) / OutlineRadius(o, std::atan2(dz, dx));
}

}  // namespace

float BoardShadowOnRay(const CGameSettings& s, const double (&eye)[3], const double (&dir)[3]) {
    SOutline outline{};
    if (!BoardOutline(s, outline)) return 0.0f;
    // The board's centre and outline as the light casts them onto the plane below.
    const float y = -kBoardShadowDrop;
    float cx = 0.0f, cz = 0.0f;
    CastFromLight(0.0f, 0.0f, 0.0f, y, cx, cz);
    outline.fCircumradius *= (CGLight::kPosition[1] - y) / CGLight::kPosition[1];
    const float r = OutlineFraction(outline, cx, cz, y, eye, dir);
    return r < 0.0f ? 0.0f : Darkness(kBoardFalloff, r);
}

bool BoardTopOnRay(const CGameSettings& s, const double (&eye)[3], const double (&dir)[3]) {
    SOutline outline{};
    if (!BoardOutline(s, outline)) return false;
    const float r = OutlineFraction(outline, 0.0f, 0.0f, 0.0f, eye, dir);
    return r >= 0.0f && r < kBoardTopInside;
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
        glColor4f(0.0f, 0.0f, 0.0f, fAlpha);
        // An octagon about the patch's rim rather than the texture's square: a quarter fewer
        // blended pixels, the cut corners clear anyway.
        const float e = kPatchReach * kDraughtFalloff.fEdge * c.m_fRadius;
        const float fCorner = kDraughtFalloff.fEdge * c.m_fRadius / std::cos(kPi / kPatchCorners);
        const auto corner = [&](int k) {
            const float a = (2.0f * static_cast<float>(k) + 1.0f) * kPi / kPatchCorners;
            const float dx = fCorner * std::cos(a), dz = fCorner * std::sin(a);
            glTexCoord2f(0.5f + dx / (2.0f * e), 0.5f + dz / (2.0f * e));
            glVertex3f(cx + dx, kDraughtShadowLift, cz + dz);
        };
        for (int k = 1; k + 1 < kPatchCorners; ++k) corner(0), corner(k), corner(k + 1);
    }
    glEnd();
}
