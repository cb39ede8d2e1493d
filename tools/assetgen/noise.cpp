// Value noise on an integer lattice with a quintic fade.
#include "tools/assetgen/noise.h"

#include <cmath>

namespace assetgen {
namespace {

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

float Noise(float x, float y, uint32_t seed, int period) {
  const float fx = std::floor(x), fy = std::floor(y);
  int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
  int x1 = x0 + 1, y1 = y0 + 1;
  if (period > 0) {
    auto wrap = [period](int i) { return ((i % period) + period) % period; };
    x0 = wrap(x0), x1 = wrap(x1), y0 = wrap(y0), y1 = wrap(y1);
  }
  const float tx = Fade(x - fx), ty = Fade(y - fy);
  const float a = LatticeValue(x0, y0, seed), b = LatticeValue(x1, y0, seed);
  const float c = LatticeValue(x0, y1, seed), d = LatticeValue(x1, y1, seed);
  return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

}  // namespace

float LatticeValue(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float ValueNoise(float x, float y, uint32_t seed) { return Noise(x, y, seed, 0); }

float Fbm(float x, float y, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * Noise(x, y, seed + static_cast<uint32_t>(i) * 101u, 0);
    norm += amp;
    x *= 2, y *= 2, amp *= 0.5f;
  }
  return sum / norm;
}

float TileableFbm(float x, float y, uint32_t seed, int octaves, int period) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * Noise(x, y, seed + static_cast<uint32_t>(i) * 101u, period);
    norm += amp;
    x *= 2, y *= 2, period *= 2, amp *= 0.5f;
  }
  return sum / norm;
}

}  // namespace assetgen
