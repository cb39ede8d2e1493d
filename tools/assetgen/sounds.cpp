// Each effect is a few strikes, plucks or noise bursts; all are short, soft-edged and peak below
// full scale so nothing clips or sounds harsh.
#include "tools/assetgen/sounds.h"

#include <array>
#include <cmath>
#include <stdexcept>

#include "core/asset_names.h"
#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/wav_writer.h"

namespace assetgen {
namespace {

constexpr float kEffectPeak = 0.7f;

float Note(int semitonesFromA4) { return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f); }

Samples Knock(std::vector<Partial> modes, float freq, float length, float clickHz, uint64_t seed) {
  Samples s = Silence(length);
  AddStrike(s, 0, freq, 1.0f, modes, 0.0005f);
  Rng rng(seed);
  AddNoise(s, 0, 0.006f, 0.5f, clickHz, clickHz * 0.7f, 3, rng);
  Finish(s, kEffectPeak);
  return s;
}

Samples MenuTune() {
  const float beat = 60.0f / kMenuLoopBpm;
  const float loop = beat * kMenuLoopBeats;
  Samples s = Silence(loop);
  const size_t n = s.size();
  // Jaw-harp drone: harmonics of the drone note, a moving mouth formant, re-plucked in a rhythm.
  const float pattern[] = {0, 0.75f, 1.5f, 2, 2.5f, 3.25f};  // pluck times within two beats
  auto sinceLastPluck = [&](float t) {
    float best = loop;
    for (int bar = -1; bar < kMenuLoopBeats / 2 + 1; ++bar)
      for (float p : pattern) {
        const float at = bar * 2 * beat + p * beat * 0.5f;
        if (at <= t) best = std::min(best, t - at);
      }
    return best;
  };
  for (size_t i = 0; i < n; ++i) {
    const float t = static_cast<float>(i) / kSampleRate;
    const float pluck = std::exp(-sinceLastPluck(t) / 0.22f);
    const float gain = 0.25f + 0.75f * pluck;
    // Formant sweeps twice per bar; in whole cycles of the loop so it repeats exactly.
    const float phase = 2 * kPi * t / loop;
    const float formant = 700 + 520 * std::sin(phase * 8) + 260 * std::sin(phase * 3 + 1);
    float v = 0;
    for (int h = 1; h <= 36; ++h) {
      const float f = kMenuDroneHz * h;
      const float shape = std::exp(-std::pow((f - formant) / 170.0f, 2.0f));
      v += (0.5f / h + 0.9f * shape * pluck) * std::sin(2 * kPi * f * t);
    }
    const float bass = 0.35f * std::sin(2 * kPi * (kMenuDroneHz / 2) * t) + 0.12f * std::sin(2 * kPi * kMenuDroneHz * 1.5f * t);
    s[i] = 0.22f * gain * v + 0.3f * bass;
  }
  // Bells on the A minor pentatonic; tails wrap round to the start.
  const int melody[] = {0, 3, 7, 5, 3, 0, -2, 0, 3, 5, 7, 10, 7, 5, 3, 0};
  const float when[] = {0, 1, 2, 3, 4, 5.5f, 6, 7, 8, 9, 10, 11, 12, 13.5f, 14, 15};
  for (int k = 0; k < 16; ++k) AddBell(s, when[k] * beat, Note(melody[k]), 0.35f, 0.5f, true);
  // Soft shaker on the off-beats.
  Rng rng(17);
  for (int b = 0; b < kMenuLoopBeats; ++b) AddNoise(s, (b + 0.5f) * beat, 0.07f, 0.05f, 6000, 7000, 2, rng, true);
  Normalize(s, 0.6f);
  return s;
}

}  // namespace

using assets::kSounds;

Samples SoundForFile(const std::string& file) {
  if (file == kSounds[SOUND_BONE]) return Knock({{1, 1, 0.03f}, {1.69f, 0.6f, 0.02f}, {2.65f, 0.3f, 0.012f}}, 1850, 0.16f, 3200, 1);
  if (file == kSounds[SOUND_STONE]) return Knock({{1, 1, 0.06f}, {1.62f, 0.7f, 0.045f}, {2.6f, 0.4f, 0.03f}}, 2650, 0.3f, 5000, 2);
  if (file == kSounds[SOUND_WOOD]) return Knock({{1, 1, 0.022f}, {1.85f, 0.55f, 0.015f}, {3.1f, 0.25f, 0.01f}}, 620, 0.13f, 1400, 3);
  if (file == kSounds[SOUND_CLICK]) return Knock({{1, 1, 0.008f}, {1.55f, 0.5f, 0.005f}}, 2200, 0.06f, 4000, 4);
  if (file == kSounds[SOUND_BOX]) return Knock({{1, 1, 0.05f}, {1.5f, 0.6f, 0.035f}, {2.9f, 0.2f, 0.02f}}, 300, 0.3f, 900, 5);
  Samples s;
  Rng rng(file.size() * 131 + static_cast<uint64_t>(file[0]));
  if (file == kSounds[SOUND_PAUSE]) {
    s = Silence(0.18f);
    AddGlide(s, 0, 0.16f, 520, 880, 0.8f);
  } else if (file == kSounds[SOUND_SET]) {
    s = Silence(0.35f);
    AddPluck(s, 0, 880, 0.8f, 0.06f);
    AddPluck(s, 0.07f, 1320, 0.8f, 0.08f);
  } else if (file == kSounds[SOUND_SHOT]) {
    s = Silence(0.16f);
    AddNoise(s, 0, 0.09f, 1.0f, 2600, 500, 4, rng);
    AddStrike(s, 0.004f, 150, 0.8f, {{1, 1, 0.03f}, {2, 0.3f, 0.015f}});
  } else if (file == kSounds[SOUND_ERROR]) {
    s = Silence(0.32f);
    for (float at : {0.0f, 0.14f})
      AddStrike(s, at, 196, 0.8f, {{1, 1, 0.06f}, {3, 0.12f, 0.04f}, {2, 0.25f, 0.05f}}, 0.01f);
  } else if (file == kSounds[SOUND_BEGIN]) {
    s = Silence(1.2f);
    AddPluck(s, 0, 110, 0.7f, 0.4f);
    for (int k = 0; k < 4; ++k) AddBell(s, 0.1f + 0.09f * k, Note(std::array<int, 4>{0, 4, 7, 12}[k]), 0.6f, 0.35f);
  } else if (file == kSounds[SOUND_WIN]) {
    s = Silence(1.5f);
    for (int k = 0; k < 4; ++k) AddBell(s, 0.11f * k, Note(std::array<int, 4>{3, 7, 10, 15}[k]), 0.6f, 0.45f);
    for (int k : {3, 7, 10}) AddBell(s, 0.5f, Note(k + 12), 0.3f, 0.6f);
  } else if (file == kSounds[SOUND_LOST]) {
    s = Silence(1.4f);
    for (int k = 0; k < 3; ++k) AddPluck(s, 0.2f * k, Note(std::array<int, 3>{-2, -6, -9}[k]), 0.7f, 0.35f);
  } else if (file == kSounds[SOUND_TIEUP]) {
    s = Silence(0.9f);
    AddBell(s, 0, Note(7), 0.6f, 0.3f);
    AddBell(s, 0.18f, Note(7), 0.4f, 0.4f);
    AddBell(s, 0.18f, Note(14), 0.4f, 0.4f);
  } else if (file == kSounds[SOUND_FIRST_FRAME]) {
    s = Silence(0.9f);
    AddNoise(s, 0, 0.45f, 0.6f, 400, 3200, 6, rng);
    AddBell(s, 0.38f, Note(19), 0.5f, 0.35f);
  } else if (file == kSounds[SOUND_TURN]) {
    s = Silence(0.6f);
    AddBell(s, 0, Note(7), 0.6f, 0.25f);
    AddBell(s, 0.15f, Note(12), 0.6f, 0.3f);
  } else if (file == kSounds[SOUND_ROUND]) {
    s = Silence(0.8f);
    AddBell(s, 0, Note(3), 0.8f, 0.5f);
  } else if (file == kSounds[SOUND_MULTI]) {
    s = Silence(0.6f);
    for (int k = 0; k < 3; ++k) AddBell(s, 0.06f * k, Note(std::array<int, 3>{15, 19, 22}[k]), 0.5f, 0.25f);
  } else if (file == kSounds[SOUND_MENU_MUSIC]) {
    return MenuTune();
  } else {
    throw std::invalid_argument("no sound is made for '" + file + "'");
  }
  Finish(s, kEffectPeak);
  return s;
}

}  // namespace assetgen
