// Turns a decoded picture (RGBA, rows bottom-up) into a GL texture. Window thread, with a
// current GL context.
#pragma once

#include "app/framework/image.h"

enum class ETextureUse {
    Screen,  // 2D layer: exact texels at 1:1, linear when scaled, clamped at the edges
    Model,   // 3D surfaces: mipmapped and repeating
};

// The new texture's GL name, or 0 (logged) for an empty or inconsistent picture or a GL
// failure. The texture binding in force before the call is kept.
unsigned UploadTexture(const SImage& image, ETextureUse use);
