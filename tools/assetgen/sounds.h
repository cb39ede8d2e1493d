// The game's sounds: draught knocks by material, menu clicks and moves, jingles, and the looping
// menu tune (a jaw-harp drone with a pentatonic bell line).
#pragma once

#include <string>

#include "tools/assetgen/synth.h"

namespace assetgen {

// The tune repeats every kMenuLoopBeats beats at kMenuLoopBpm; every drone partial completes a
// whole number of periods in that time.
inline constexpr int kMenuLoopBpm = 100;
inline constexpr int kMenuLoopBeats = 16;
inline constexpr float kMenuDroneHz = 110.0f;

// Samples for a sound file name of the game (one of assets::kSounds); throws for an unknown name.
Samples SoundForFile(const std::string& file);

}  // namespace assetgen
