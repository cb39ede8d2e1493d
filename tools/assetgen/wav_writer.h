// 16-bit PCM mono WAV files from float samples.
#pragma once

#include "tools/assetgen/byte_io.h"

namespace assetgen {

inline constexpr int kSampleRate = 22050;

// Samples are clipped to -1..1 and rounded to 16 bits.
Bytes WriteWav(const std::vector<float>& samples, int sampleRate = kSampleRate);

}  // namespace assetgen
