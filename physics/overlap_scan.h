// The pair test of one draught against all 20 at once: the centres side by side in an x
// and a y row, four lanes at a time where SSE2 is there (KD_SCALAR_PHYSICS forces the plain
// loop). Both paths do the same IEEE operations in the same order as the one-pair test
// (dx = bx - ax, dx * dx + dy * dy < contact), so every bit of a flick is the same.
#pragma once

#include <cstdint>

#include "physics/desk.h"

#if defined(__SSE2__) && !defined(KD_SCALAR_PHYSICS)
#include <emmintrin.h>
#define KD_OVERLAP_SSE2 1
#endif

inline constexpr int kScanLanes = (kCheckCount + 3) / 4 * 4;
inline constexpr uint32_t kAllChecks = (1u << kCheckCount) - 1u;

struct alignas(16) SCentreRows {
    float x[kScanLanes] = {};
    float y[kScanLanes] = {};
};

// Bit j is set when draught j's centre in rows lies closer to (x, y) than the square root of
// fContact; no bit above the draughts. Every draught is tested: the caller masks the draught
// itself and those off the board.
inline uint32_t OverlapMask(const SCentreRows& rows, float x, float y, float fContact) {
#ifdef KD_OVERLAP_SSE2
    static_assert(kScanLanes == 20, "five groups of four lanes");
    const __m128 ax = _mm_set1_ps(x), ay = _mm_set1_ps(y), c = _mm_set1_ps(fContact);
    const auto lanes = [&](int j) {
        const __m128 dx = _mm_sub_ps(_mm_load_ps(rows.x + j), ax);
        const __m128 dy = _mm_sub_ps(_mm_load_ps(rows.y + j), ay);
        return _mm_castps_si128(_mm_cmplt_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), c));
    };
    // All-ones or zero lanes narrow without loss to bytes, 16 of them in one move mask.
    const __m128i n16 = _mm_packs_epi16(_mm_packs_epi32(lanes(0), lanes(4)), _mm_packs_epi32(lanes(8), lanes(12)));
    return uint32_t(_mm_movemask_epi8(n16)) | uint32_t(_mm_movemask_ps(_mm_castsi128_ps(lanes(16)))) << 16;
#else
    uint32_t nMask = 0;
    for (int j = 0; j < kCheckCount; ++j) {
        const float dx = rows.x[j] - x, dy = rows.y[j] - y;
        if (dx * dx + dy * dy < fContact) nMask |= 1u << j;
    }
    return nMask;
#endif
}
