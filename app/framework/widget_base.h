// What the screen widgets share: the pointer position they are given, the rectangle hit
// test and the draw request they hand back instead of drawing. Window thread.
#pragma once

#include <cstdint>

#include "app/framework/letterbox.h"

class CGLTexture;

// A widget lists what it wants drawn; only CGLScreen::Draw touches GL. This keeps hover,
// press and notify testable without a window.
struct SWidgetDraw {
    CGLTexture* pTexture = nullptr;
    int x = 0, y = 0;  // bottom-left corner in the logical screen
    int nShade = 255;  // the same value for red, green and blue
};

// Tint of a disabled button: its normal picture at about half brightness.
inline constexpr int kDisabledShade = 128;
inline constexpr int kFullShade = 255;

struct SPointer {
    int x = 0, y = 0;
};

// Screens take the window's last mouse position, CGLWnd::GetMousePos: packed as Windows
// packs it (x in the low 16 bits, y in the high 16 bits, each a signed 16-bit number) and
// already in the logical 800 x 600 screen with y counted upward from the bottom, the system
// the pictures are placed in. (The lParam of the mouse handlers counts y from the top and
// is not meant for the screens.) So only the unpacking happens here.
inline SPointer PointerFromPacked(long nPos) {
    const auto nBits = static_cast<uint32_t>(nPos);
    return SPointer{static_cast<int16_t>(nBits & 0xFFFFu), static_cast<int16_t>(nBits >> 16)};
}

// Whether (x, y) lies on a w x h picture whose bottom-left pixel is (left, bottom).
inline bool RectContains(int nLeft, int nBottom, int nWidth, int nHeight, int x, int y) {
    return x >= nLeft && x < nLeft + nWidth && y >= nBottom && y < nBottom + nHeight;
}
