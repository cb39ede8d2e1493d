// The logical 800 x 600 screen scaled uniformly into a window of any size, with black bars
// on the sides that do not fit. Pure functions; any thread.
#pragma once

inline constexpr int kLogicalWidth = 800;
inline constexpr int kLogicalHeight = 600;

// The GL viewport of the logical screen: origin bottom-left, in framebuffer pixels.
struct SViewportRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// The largest 4:3 rectangle centred in a window of w x h pixels (an odd spare pixel goes
// to the right or top bar). A window of zero or negative size gives an empty rectangle.
SViewportRect LetterboxViewport(int nWindowW, int nWindowH);

// A window pixel (x right, y down from the top, like Windows client coordinates) to the
// logical pixel under it, y also counted from the top. Positions on the bars or outside
// the window are clamped to the nearest logical pixel; the result says whether it was inside.
bool WindowToLogical(int nWindowX, int nWindowY, int nWindowW, int nWindowH, int& nLogicalX,
                     int& nLogicalY);

// The centre of a logical pixel (y from the top) in framebuffer coordinates with the GL
// origin bottom-left, for a window of w x h pixels.
void LogicalToViewport(int nLogicalX, int nLogicalY, int nWindowW, int nWindowH, double& fx,
                       double& fy);
