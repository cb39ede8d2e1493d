// Puts back, when it ends, the GL state the game's drawing code changes: the switches; the blend,
// depth, cull and polygon settings; the texture binding and environment; the current colour,
// normal and texture coordinates; the light model, shading and front material; the line width;
// the matrix mode. It stands in for
// glPushAttrib, for which Mesa keeps a whole record of every attribute group (2.6 MB) for each
// stack depth ever used, to the end of the run. Matrices are the caller's to push. Window thread,
// with the context current.
#pragma once

#include <array>

class CGlStateGuard {
public:
    CGlStateGuard();
    ~CGlStateGuard();
    CGlStateGuard(const CGlStateGuard&) = delete;
    CGlStateGuard& operator=(const CGlStateGuard&) = delete;

    static constexpr int kSwitchCount = 9;

private:
    std::array<unsigned char, kSwitchCount> m_abEnabled{};
    int m_nMatrixMode = 0, m_nBlendSrc = 0, m_nBlendDst = 0, m_nDepthFunc = 0, m_nCullFace = 0;
    int m_nTexture = 0, m_nTexEnv = 0, m_nTwoSide = 0, m_nColorControl = 0, m_nShadeModel = 0;
    std::array<int, 2> m_anPolygonMode{};
    unsigned char m_bDepthMask = 0;
    float m_fLineWidth = 1.0f, m_fShininess = 0.0f;
    std::array<float, 4> m_afColor{}, m_afTexCoord{}, m_afAmbient{}, m_afDiffuse{}, m_afSpecular{}, m_afEmission{};
    std::array<float, 3> m_afNormal{};  // lights what is drawn without normals, such as lines
};

// Draws in clip space for its lifetime: both matrices pushed and set to the identity, popped after.
// Inside a CGlStateGuard, which brings back the matrix mode.
class CGlClipSpace {
public:
    CGlClipSpace();
    ~CGlClipSpace();
    CGlClipSpace(const CGlClipSpace&) = delete;
    CGlClipSpace& operator=(const CGlClipSpace&) = delete;
};
