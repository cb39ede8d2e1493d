// The star field: three fixed stars followed by points drawn from a fixed integer sequence,
// kept inside the field's box and shell. Built at compile time, so every run shows the same sky.
#include "render/scene_resources.h"

#include <cstdint>

namespace {

constexpr SStarPoint kFirstStars[3] = {
    {15.1665f, -12.6825f, 27.6525f},
    {-11.9998f, -23.1675f, 25.9349f},
    {-27.1083f, 20.3232f, 22.985f},
};

// A 32-bit linear congruential sequence; only its top 24 bits are used.
struct SStarSequence {
    uint32_t nState;
    constexpr float Next01() {
        nState = nState * 1664525u + 1013904223u;
        return static_cast<float>(nState >> 8) / 16777216.0f;
    }
    constexpr float Between(float fLo, float fHi) { return fLo + (fHi - fLo) * Next01(); }
};

constexpr bool InShell(const SStarPoint& p) {
    const float d2 = p.x * p.x + p.y * p.y + p.z * p.z;
    const SStarFieldBounds& b = kStarFieldBounds;
    return d2 >= b.fMinDist * b.fMinDist && d2 <= b.fMaxDist * b.fMaxDist;
}

constexpr std::array<SStarPoint, kStarCount> MakeStarField() {
    std::array<SStarPoint, kStarCount> stars{};
    for (int i = 0; i < 3; ++i) stars[i] = kFirstStars[i];
    SStarSequence seq{0x4B656C76u};
    const SStarFieldBounds& b = kStarFieldBounds;
    int n = 3;
    // The shell fills most of the box, so a draw is kept far more often than not; the
    // attempt limit only guards against an endless loop if the bounds are ever edited badly.
    for (int nAttempt = 0; n < kStarCount && nAttempt < 100 * kStarCount; ++nAttempt) {
        const SStarPoint p{seq.Between(b.fMinX, b.fMaxX), seq.Between(b.fMinY, b.fMaxY),
                           seq.Between(b.fMinZ, b.fMaxZ)};
        if (InShell(p)) stars[n++] = p;
    }
    return stars;
}

constexpr std::array<SStarPoint, kStarCount> kStarField = MakeStarField();

}  // namespace

const std::array<SStarPoint, kStarCount>& StarField() { return kStarField; }
