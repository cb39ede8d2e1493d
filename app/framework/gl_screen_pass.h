// The 2D layer's drawing pass: an orthographic projection of the logical screen (origin
// bottom-left, one unit per logical pixel) with alpha blending, no depth, no lighting.
// Window thread.
#pragma once

#include "app/framework/gl_state_guard.h"

// Sets the 2D states for its lifetime and restores every state and matrix it changed.
class CScreenPass {
public:
    CScreenPass(int nScreenW, int nScreenH);
    ~CScreenPass();
    CScreenPass(const CScreenPass&) = delete;
    CScreenPass& operator=(const CScreenPass&) = delete;

private:
    CGlStateGuard m_state;  // saved before the pass changes anything, restored after the matrices
};

// A textured rectangle (x0, y0)-(x1, y1) of the logical screen with texture coordinates
// (u0, v0)-(u1, v1); v = 0 is the picture's bottom row. Inside a CScreenPass.
void DrawTexturedRect(unsigned nTexture, float x0, float y0, float x1, float y1, float u0, float v0,
                      float u1, float v1);
