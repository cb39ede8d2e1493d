// The process-wide random generator of the computer opponent: the classic
// linear congruential recurrence with one 32-bit state that starts at 1 and is
// never reseeded, so every run replays the same draws. Not the C library's rand.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr int kRandMax = 32767;

// Next value 0..32767. Not thread-safe: only the computer-turn thread draws.
int Rand();
uint32_t GetRandState();
void SetRandState(uint32_t state);

// The recurrence itself, for code that keeps a private copy of the state.
constexpr uint32_t NextRandState(uint32_t state) { return state * 214013u + 2531011u; }
constexpr int RandValue(uint32_t state) { return int((state >> 16) & 0x7FFF); }

}  // namespace platform
