// The launch of a flick written into a resting draught. The computer's look-ahead and its
// real flick both write it through here, so a trial starts from the very bits the real
// flick will start from. Any thread, on the draught it owns.
#pragma once

#include <cmath>

#include "physics/check.h"

namespace ai {

inline void WriteLaunch(CCheck& c, float vx, float vy, float fSpin) {
    const float fLength = std::sqrt(vx * vx + vy * vy);
    c.m_fVx0 = vx;
    c.m_fVy0 = vy;
    // A zero launch (only from a degenerate aim) slides nowhere instead of carrying NaNs.
    c.m_fDirX = fLength > 0.0f ? vx / fLength : 0.0f;
    c.m_fDirY = fLength > 0.0f ? vy / fLength : 0.0f;
    c.m_fSpin0 = fSpin;
    c.m_fSlideTime = 0.0f;
    c.m_bMoving = 1;
}

}  // namespace ai
