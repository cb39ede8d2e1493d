// RIFF/WAVE encoding: "fmt " chunk (PCM, one channel, 16 bits) then "data".
#include "tools/assetgen/wav_writer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace assetgen {

Bytes WriteWav(const std::vector<float>& samples, int sampleRate) {
  constexpr uint16_t kChannels = 1, kBits = 16, kBlockAlign = kChannels * kBits / 8;
  if (sampleRate <= 0) throw std::invalid_argument("WAV: sample rate must be positive");
  const uint32_t dataSize = static_cast<uint32_t>(samples.size() * kBlockAlign);
  Bytes out;
  out.reserve(44 + dataSize);
  PutText(out, "RIFF");
  PutU32(out, 36 + dataSize);
  PutText(out, "WAVE");
  PutText(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, kChannels);
  PutU32(out, static_cast<uint32_t>(sampleRate));
  PutU32(out, static_cast<uint32_t>(sampleRate) * kBlockAlign);
  PutU16(out, kBlockAlign);
  PutU16(out, kBits);
  PutText(out, "data");
  PutU32(out, dataSize);
  for (float s : samples) {
    const float c = std::clamp(s, -1.0f, 1.0f);
    PutI16(out, static_cast<int16_t>(std::lround(c * 32767.0f)));
  }
  return out;
}

}  // namespace assetgen
