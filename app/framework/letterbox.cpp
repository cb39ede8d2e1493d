// Window pixels <-> the logical 800 x 600 screen with letterbox bars.
#include "app/framework/letterbox.h"

#include <algorithm>
#include <cmath>

SViewportRect LetterboxViewport(int nWindowW, int nWindowH) {
    SViewportRect vp;
    if (nWindowW <= 0 || nWindowH <= 0) return vp;
    // Compare w/800 with h/600 in integers: no rounding decides the side of the bars.
    if (static_cast<long long>(nWindowW) * kLogicalHeight <=
        static_cast<long long>(nWindowH) * kLogicalWidth) {
        vp.w = nWindowW;
        vp.h = static_cast<int>(
            std::lround(static_cast<double>(nWindowW) * kLogicalHeight / kLogicalWidth));
    } else {
        vp.h = nWindowH;
        vp.w = static_cast<int>(
            std::lround(static_cast<double>(nWindowH) * kLogicalWidth / kLogicalHeight));
    }
    vp.w = std::clamp(vp.w, 1, nWindowW);
    vp.h = std::clamp(vp.h, 1, nWindowH);
    vp.x = (nWindowW - vp.w) / 2;
    vp.y = (nWindowH - vp.h) / 2;
    return vp;
}

bool WindowToLogical(int nWindowX, int nWindowY, int nWindowW, int nWindowH, int& nLogicalX,
                     int& nLogicalY) {
    const SViewportRect vp = LetterboxViewport(nWindowW, nWindowH);
    if (vp.w <= 0 || vp.h <= 0) {
        nLogicalX = 0;
        nLogicalY = 0;
        return false;
    }
    const int nTop = nWindowH - (vp.y + vp.h);  // bar height above the picture
    // The logical pixel whose area holds the window pixel's centre.
    const double fx = (nWindowX + 0.5 - vp.x) * kLogicalWidth / vp.w;
    const double fy = (nWindowY + 0.5 - nTop) * kLogicalHeight / vp.h;
    const int nx = static_cast<int>(std::floor(fx));
    const int ny = static_cast<int>(std::floor(fy));
    nLogicalX = std::clamp(nx, 0, kLogicalWidth - 1);
    nLogicalY = std::clamp(ny, 0, kLogicalHeight - 1);
    return nx == nLogicalX && ny == nLogicalY;
}

void LogicalToViewport(int nLogicalX, int nLogicalY, int nWindowW, int nWindowH, double& fx,
                       double& fy) {
    const SViewportRect vp = LetterboxViewport(nWindowW, nWindowH);
    fx = vp.x + (nLogicalX + 0.5) * vp.w / kLogicalWidth;
    fy = vp.y + (kLogicalHeight - (nLogicalY + 0.5)) * vp.h / kLogicalHeight;
}
