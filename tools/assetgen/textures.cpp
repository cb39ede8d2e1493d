// Wood grain, marble veins and ivory mottling from value noise; board tops drawn over them.
#include "tools/assetgen/textures.h"

#include <cmath>

#include "tools/assetgen/noise.h"
#include "tools/assetgen/scene_units.h"

namespace assetgen {
namespace {

float Fract(float v) { return v - std::floor(v); }

// Long-grain wood: warped growth rings seen along a plank; (x, y) in texture units.
Color WoodAt(float x, float y, Color light, Color dark, uint32_t seed, float ringsPerUnit) {
  const float warp = Fbm(x * 1.5f, y * 6.0f, seed, 4) * 2.2f;
  const float ring = Fract(x * ringsPerUnit + warp * 1.6f + 0.3f * Fbm(x * 4, y * 40, seed + 7, 3));
  const float late = std::pow(SmoothStep(0.55f, 0.95f, ring), 1.5f) * (1 - SmoothStep(0.95f, 1.0f, ring));
  const float fibre = Fbm(x * 6, y * 160, seed + 3, 3);
  Color c = Mix(light, dark, Clamp01(late * 0.85f + (fibre - 0.5f) * 0.35f));
  return Scaled(c, 0.92f + 0.16f * Fbm(x * 3, y * 3, seed + 9, 3));
}

// Marble: soft cloudy base crossed by thin turbulent veins.
Color MarbleAt(float x, float y, Color base, Color cloud, Color vein, uint32_t seed) {
  const float turb = Fbm(x * 3, y * 3, seed, 6);
  Color c = Mix(base, cloud, SmoothStep(0.35f, 0.75f, Fbm(x * 2 + 5, y * 2, seed + 1, 5)));
  const float v1 = std::fabs(std::sin((x * 1.3f + y * 0.7f + turb * 5.0f) * kPi * 1.6f));
  const float v2 = std::fabs(std::sin((x * -0.6f + y * 1.4f + turb * 7.0f) * kPi * 2.6f));
  c = Mix(c, vein, std::pow(1 - v1, 14.0f) * 0.9f);
  c = Mix(c, vein, std::pow(1 - v2, 30.0f) * 0.55f);
  return c;
}

// Bone/ivory: warm even tone with faint growth lines and mottling.
Color IvoryAt(float x, float y, Color base, Color line, uint32_t seed) {
  const float mottle = Fbm(x * 4, y * 4, seed, 5);
  const float lines = 0.5f + 0.5f * std::sin((y * 38 + Fbm(x * 2, y * 2, seed + 4, 3) * 9) * kPi);
  Color c = Mix(base, line, 0.18f * lines + 0.35f * SmoothStep(0.45f, 0.8f, mottle));
  const float pore = ValueNoise(x * 90, y * 90, seed + 8);
  return Scaled(c, pore > 0.93f ? 0.9f : 1.0f);
}

template <class F>
Image Paint(int size, F f) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) img.Set(x, y, f((x + 0.5f) / size, (y + 0.5f) / size));
  return img;
}

}  // namespace

Image DraughtTexture(DraughtMaterial material, bool white) {
  const int n = kDraughtTextureSize;
  switch (material) {
    case DraughtMaterial::kBone:
      return Paint(n, [white](float u, float v) {
        return white ? IvoryAt(u, v, Rgb(240, 228, 200), Rgb(205, 182, 140), 11)
                     : IvoryAt(u, v, Rgb(58, 36, 28), Rgb(96, 64, 46), 12);
      });
    case DraughtMaterial::kWood:
      return Paint(n, [white](float u, float v) {
        return white ? WoodAt(u, v, Rgb(238, 202, 148), Rgb(184, 128, 70), 21, 7)
                     : WoodAt(u, v, Rgb(104, 58, 32), Rgb(42, 20, 10), 22, 7);
      });
    case DraughtMaterial::kRock:
      return Paint(n, [white](float u, float v) {
        return white ? MarbleAt(u, v, Rgb(236, 236, 232), Rgb(212, 214, 218), Rgb(110, 112, 122), 31)
                     : MarbleAt(u, v, Rgb(30, 32, 36), Rgb(58, 60, 66), Rgb(214, 196, 150), 32);
      });
  }
  return Image(n, n);
}

Image SquareBoardTexture() {
  const int n = kBoardTextureSize;
  const float half = kSquareBoardSize / 2, field = half - kSquareBorder;
  const float cell = 2 * field / kSquareCells;
  return Paint(n, [&](float u, float v) {
    const float x = (u - 0.5f) * kSquareBoardSize, z = (v - 0.5f) * kSquareBoardSize;  // z: picture up
    const float ax = std::fabs(x), az = std::fabs(z);
    const float edge = std::max(ax, az);
    if (edge > field) {
      // Border: dark mahogany, the grain running along each side, a gold inlay near the field.
      const bool alongX = az > ax;
      Color c = alongX ? WoodAt(z * 0.6f + 3, x * 0.35f, Rgb(122, 54, 30), Rgb(62, 22, 12), 41, 30)
                       : WoodAt(x * 0.6f + 7, z * 0.35f, Rgb(122, 54, 30), Rgb(62, 22, 12), 41, 30);
      const float inlay = std::fabs(edge - (field + 0.018f));
      c = Mix(c, Rgb(226, 186, 96), 1 - SmoothStep(0.004f, 0.007f, inlay));
      const float outer = std::fabs(edge - (half - 0.014f));
      c = Mix(c, Rgb(40, 14, 8), 0.6f * (1 - SmoothStep(0.002f, 0.005f, outer)));
      return c;
    }
    const int cx = static_cast<int>(std::floor((x + field) / cell));
    const int cz = static_cast<int>(std::floor((z + field) / cell));
    const bool dark = ((cx + cz) % 2) == 0;  // the bottom-left cell is dark, as on a draughts board
    const uint32_t seed = 50u + static_cast<uint32_t>(cx * 13 + cz * 7);
    // Each cell cut from its own piece of wood; dark cells run crosswise for a parquet look.
    Color c = dark ? WoodAt(z * 0.7f + cx * 0.37f, x * 0.4f, Rgb(120, 66, 34), Rgb(70, 34, 16), seed, 40)
                   : WoodAt(x * 0.7f + cz * 0.41f, z * 0.4f, Rgb(236, 206, 152), Rgb(196, 150, 92), seed, 40);
    const float fx = std::fmod(x + field, cell), fz = std::fmod(z + field, cell);
    const float seam = std::min(std::min(fx, cell - fx), std::min(fz, cell - fz));
    return Scaled(c, 0.8f + 0.2f * SmoothStep(0.0f, 0.004f, seam));
  });
}

Image RoundBoardTexture() {
  const int n = kBoardTextureSize;
  const float r = kRoundBoardRadius;
  return Paint(n, [&](float u, float v) {
    const float x = (u - 0.5f) * 2 * r, z = (v - 0.5f) * 2 * r;
    const float d = std::hypot(x, z) / r, ang = std::atan2(z, x);
    // Stretched drum hide: warm ochre, darker towards the rim, with soft blotches.
    Color hide = Mix(Rgb(214, 160, 98), Rgb(150, 88, 46), SmoothStep(0.2f, 1.0f, d));
    hide = Mix(hide, Rgb(120, 64, 34), 0.35f * SmoothStep(0.5f, 0.85f, Fbm(x * 3, z * 3, 61, 5)));
    hide = Scaled(hide, 0.92f + 0.12f * Fbm(x * 30, z * 30, 62, 3));
    const Color paint = Rgb(112, 30, 22), soot = Rgb(40, 22, 16);
    auto ring = [&](float at, float w) { return 1 - SmoothStep(w, w + 0.006f, std::fabs(d - at)); };
    float ink = ring(0.18f, 0.01f) + ring(0.52f, 0.008f) + ring(0.90f, 0.012f);
    // Eight spokes between the inner and middle rings, and sun rays near the centre.
    const float spoke = std::fabs(std::sin(ang * 4));
    if (d > 0.18f && d < 0.52f) ink += 1 - SmoothStep(0.015f, 0.03f, spoke * d);
    if (d < 0.16f) ink += (1 - SmoothStep(0.3f, 0.45f, std::fabs(std::sin(ang * 8)))) * SmoothStep(0.06f, 0.09f, d);
    // Dots around the rim band.
    const float dotAng = std::fmod(ang + 2 * kPi, 2 * kPi / 24) - kPi / 24;
    if (std::hypot(dotAng * 0.71f * r, (d - 0.71f) * r) < 0.025f) ink += 1;
    Color c = Mix(hide, paint, Clamp01(ink) * 0.85f);
    c = Mix(c, soot, 0.8f * SmoothStep(0.965f, 0.99f, d));
    return c;
  });
}

Image TwelveBoardTexture() {
  const int n = kBoardTextureSize;
  const float R = kPolyBoardRadius;
  const float apothem = R * std::cos(kPi / kPolyCorners);
  return Paint(n, [&](float u, float v) {
    const float x = (u - 0.5f) * 2 * R, z = (v - 0.5f) * 2 * R;
    const float ang = std::atan2(z, x);
    const float seg = 2 * kPi / kPolyCorners;
    // Distance to the dodecagon's edge measured along the apothem of this sector.
    const float local = std::fmod(ang + 2 * kPi, seg) - seg / 2;
    const float toEdge = std::hypot(x, z) * std::cos(local) / apothem;
    Color c = MarbleAt(u * 2, v * 2, Rgb(38, 92, 84), Rgb(60, 120, 108), Rgb(200, 226, 214), 71);
    const Color gold = Rgb(222, 184, 92);
    auto band = [&](float at, float w) { return 1 - SmoothStep(w, w + 0.006f, std::fabs(toEdge - at)); };
    float g = band(0.93f, 0.012f) + band(0.88f, 0.004f) + band(0.30f, 0.006f);
    // Twelve-pointed star: rays from the centre to each corner, narrowing outwards.
    const float cornerOff = std::fabs(std::fmod(ang + seg / 2 + 2 * kPi, seg) - seg / 2);
    const float rd = std::hypot(x, z) / R;
    if (rd < 0.86f) {
      const float halfWidth = 0.1f * (1 - rd / 0.86f);
      g += 1 - SmoothStep(halfWidth, halfWidth + 0.012f, cornerOff * rd);
    }
    c = Mix(c, gold, Clamp01(g) * 0.9f);
    c = Mix(c, Rgb(16, 40, 36), 0.7f * SmoothStep(0.975f, 0.995f, toEdge));
    return c;
  });
}

Image BoardSideTexture() {
  return Paint(128, [](float u, float v) {
    return WoodAt(v * 0.5f, u, Rgb(110, 52, 28), Rgb(58, 24, 12), 81, 8);
  });
}

namespace {

// Value noise over space, so a picture painted by direction has no seam and no pinch at the poles.
float SpaceNoise(float x, float y, float z, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
  auto fade = [](float t) { return t * t * t * (t * (t * 6 - 15) + 10); };
  const float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
  auto at = [&](int dx, int dy, int dz) { return LatticeValue(ix + dx, (iy + dy) * 7919 + (iz + dz) * 104729, seed); };
  auto lerp = [](float a, float b, float t) { return a + (b - a) * t; };
  const float near = lerp(lerp(at(0, 0, 0), at(1, 0, 0), tx), lerp(at(0, 1, 0), at(1, 1, 0), tx), ty);
  const float far = lerp(lerp(at(0, 0, 1), at(1, 0, 1), tx), lerp(at(0, 1, 1), at(1, 1, 1), tx), ty);
  return lerp(near, far, tz);
}

float SpaceFbm(float x, float y, float z, uint32_t seed, int octaves) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amp * SpaceNoise(x, y, z, seed + static_cast<uint32_t>(i) * 101u);
    norm += amp;
    x *= 2, y *= 2, z *= 2, amp *= 0.5f;
  }
  return sum / norm;
}

// The menus' night sky wrapped around the scene: a deep blue ground, a glowing band tilted
// across the sphere with dark dust lanes, and violet and teal clouds. Stars come from the
// scene's own star field: painted ones would blur when the picture is stretched over the view.
Color SkyAt(float x, float y, float z) {
  const float bandNormal[3] = {0.36f, 0.80f, 0.48f};
  const float across = x * bandNormal[0] + y * bandNormal[1] + z * bandNormal[2];
  const float band = std::exp(-across * across * 6.0f);
  Color c = Mix(Rgb(8, 11, 30), Rgb(20, 28, 66), 0.4f + 0.6f * band);
  c = Mix(c, Rgb(58, 76, 150), 0.6f * band * SpaceFbm(x * 2.5f, y * 2.5f, z * 2.5f, 93, 5));
  const float violet = SmoothStep(0.45f, 0.8f, SpaceFbm(x * 2.2f + 5, y * 2.2f, z * 2.2f, 91, 6));
  c = Mix(c, Rgb(112, 62, 146), violet * (0.3f + 0.3f * band));
  const float teal = SmoothStep(0.5f, 0.85f, SpaceFbm(x * 3.1f, y * 3.1f + 9, z * 3.1f, 92, 6));
  c = Mix(c, Rgb(36, 110, 140), teal * (0.25f + 0.25f * band));
  const float dust = SmoothStep(0.5f, 0.7f, SpaceFbm(x * 6, y * 6, z * 6 + 3, 94, 4));
  return Mix(c, Rgb(5, 6, 14), 0.5f * band * dust);
}

}  // namespace

Image NebulaSkyTexture() {
  constexpr int kW = kSkyTextureWidth, kH = kSkyTextureHeight;
  Image img(kW, kH);
  for (int j = 0; j < kH; ++j) {
    const float lat = kPi * ((j + 0.5f) / kH - 0.5f);
    for (int i = 0; i < kW; ++i) {
      const float lon = 2 * kPi * (i + 0.5f) / kW;
      img.Set(i, j, SkyAt(std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)));
    }
  }
  return img;
}

Color MeanColor(const Image& image) {
  double r = 0, g = 0, b = 0;
  const double n = static_cast<double>(image.Width()) * image.Height();
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      const Color c = image.Get(x, y);
      r += c.r, g += c.g, b += c.b;
    }
  return {static_cast<float>(r / n), static_cast<float>(g / n), static_cast<float>(b / n), 1};
}

}  // namespace assetgen
