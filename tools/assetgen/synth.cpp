// Additive and subtractive building blocks for the effects and the menu tune.
#include "tools/assetgen/synth.h"

#include <algorithm>
#include <cmath>

#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/wav_writer.h"

namespace assetgen {
namespace {

size_t Index(const Samples& s, float start, int i, bool wrap, bool* inside) {
  const long at = std::lround(start * kSampleRate) + i;
  const long n = static_cast<long>(s.size());
  *inside = wrap || (at >= 0 && at < n);
  return static_cast<size_t>(((at % n) + n) % n);
}

}  // namespace

Samples Silence(float seconds) { return Samples(static_cast<size_t>(std::lround(seconds * kSampleRate)), 0.0f); }
float Seconds(const Samples& s) { return static_cast<float>(s.size()) / kSampleRate; }

void AddStrike(Samples& s, float start, float freq, float amp, const std::vector<Partial>& partials, float attack,
               bool wrap) {
  float longest = 0;
  for (const auto& p : partials) longest = std::max(longest, p.tau);
  const int len = static_cast<int>(longest * 7 * kSampleRate);
  for (int i = 0; i < len; ++i) {
    bool inside;
    const size_t k = Index(s, start, i, wrap, &inside);
    if (!inside) break;
    const float t = static_cast<float>(i) / kSampleRate;
    const float env = std::min(1.0f, t / attack);
    float v = 0;
    for (const auto& p : partials) v += p.amp * std::exp(-t / p.tau) * std::sin(2 * kPi * freq * p.ratio * t);
    s[k] += amp * env * v;
  }
}

void AddBell(Samples& s, float start, float freq, float amp, float tau, bool wrap) {
  AddStrike(s, start, freq, amp,
            {{1, 1, tau}, {2.01f, 0.35f, tau * 0.5f}, {2.76f, 0.18f, tau * 0.35f}, {4.07f, 0.08f, tau * 0.2f}}, 0.003f,
            wrap);
}

void AddPluck(Samples& s, float start, float freq, float amp, float tau, bool wrap) {
  AddStrike(s, start, freq, amp,
            {{1, 1, tau}, {2, 0.45f, tau * 0.6f}, {3, 0.2f, tau * 0.4f}, {4, 0.08f, tau * 0.3f}}, 0.004f, wrap);
}

void AddNoise(Samples& s, float start, float dur, float amp, float f0, float f1, float q, Rng& rng, bool wrap) {
  const int len = static_cast<int>(dur * kSampleRate);
  float y1 = 0, y2 = 0;
  for (int i = 0; i < len; ++i) {
    bool inside;
    const size_t k = Index(s, start, i, wrap, &inside);
    if (!inside) break;
    const float t = static_cast<float>(i) / len;
    const float f = f0 * std::pow(f1 / f0, t);
    // Resonator: poles at radius r, angle w; gain normalised roughly by (1 - r).
    const float w = 2 * kPi * f / kSampleRate, r = std::exp(-kPi * f / (q * kSampleRate));
    const float x = static_cast<float>(rng.Range(-1, 1));
    const float y = (1 - r) * x + 2 * r * std::cos(w) * y1 - r * r * y2;
    y2 = y1, y1 = y;
    const float env = std::min(1.0f, t * 12) * std::exp(-4 * t);
    s[k] += amp * env * y * 4;
  }
}

void AddGlide(Samples& s, float start, float dur, float f0, float f1, float amp) {
  const int len = static_cast<int>(dur * kSampleRate);
  float phase = 0;
  for (int i = 0; i < len; ++i) {
    bool inside;
    const size_t k = Index(s, start, i, false, &inside);
    if (!inside) break;
    const float t = static_cast<float>(i) / len;
    phase += 2 * kPi * (f0 + (f1 - f0) * t) / kSampleRate;
    const float env = std::sin(kPi * t) * std::sin(kPi * t);
    s[k] += amp * env * (std::sin(phase) + 0.2f * std::sin(2 * phase));
  }
}

void Normalize(Samples& s, float peak) {
  float m = 0;
  for (float v : s) m = std::max(m, std::fabs(v));
  if (m > 0)
    for (float& v : s) v *= peak / m;
}

void Finish(Samples& s, float peak) {
  const size_t in = std::min(s.size(), static_cast<size_t>(kSampleRate / 500));
  const size_t out = std::min(s.size(), static_cast<size_t>(kSampleRate / 50));
  for (size_t i = 0; i < in; ++i) s[i] *= static_cast<float>(i) / in;
  for (size_t i = 0; i < out; ++i) s[s.size() - 1 - i] *= static_cast<float>(i) / out;
  Normalize(s, peak);
}

}  // namespace assetgen
