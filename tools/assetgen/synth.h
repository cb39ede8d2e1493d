// Sound synthesis helpers: damped partials, filtered noise, bells and plucks, written into a
// sample buffer; the circular variants wrap around so a loop joins without a click.
#pragma once

#include <vector>

#include "tools/assetgen/rng.h"

namespace assetgen {

using Samples = std::vector<float>;

Samples Silence(float seconds);
float Seconds(const Samples& s);

// Sum of sine partials at freq x ratio, each decaying with its own time constant (seconds).
struct Partial {
  float ratio, amp, tau;
};
void AddStrike(Samples& s, float start, float freq, float amp, const std::vector<Partial>& partials,
               float attack = 0.002f, bool wrap = false);
// A bell-like note (inharmonic partials) and a softer pluck (harmonic, quick decay).
void AddBell(Samples& s, float start, float freq, float amp, float tau, bool wrap = false);
void AddPluck(Samples& s, float start, float freq, float amp, float tau, bool wrap = false);
// Noise burst through a two-pole band-pass whose centre moves from f0 to f1.
void AddNoise(Samples& s, float start, float dur, float amp, float f0, float f1, float q, Rng& rng, bool wrap = false);
// Sine sweep from f0 to f1 with a smooth hump envelope.
void AddGlide(Samples& s, float start, float dur, float f0, float f1, float amp);

// Short fades at both ends and the peak scaled to `peak`.
void Finish(Samples& s, float peak);
// Peak scaling only (a loop must not be faded).
void Normalize(Samples& s, float peak);

}  // namespace assetgen
