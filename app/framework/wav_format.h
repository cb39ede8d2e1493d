// The WAV layout the game's sounds use (RIFF/WAVE, PCM): a strict check before the mixer sees the
// bytes, since SDL's loader plays a truncated file as far as it goes, and a writer for generated
// tones. Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct SWavInfo {
    int nChannels = 0;         // 1 mono, 2 stereo
    int nRate = 0;             // frames per second
    int nBits = 0;             // 8 or 16 per sample
    size_t nDataOffset = 0;    // where the samples start in the file
    size_t nDataBytes = 0;     // length of the samples, a whole number of frames
};

// True when bytes hold a PCM WAV the mixer can play whole: a "fmt " chunk, then a non-empty
// "data" chunk that lies entirely inside the file. Otherwise false with error saying what is wrong.
bool ParseWav(std::span<const uint8_t> bytes, SWavInfo& info, std::string& error);

// A 16-bit mono PCM WAV holding the given samples.
std::vector<uint8_t> MakeWav(std::span<const int16_t> samples, int nRate);

// A sine tone of nFreq Hz lasting nMs, at a quarter of full scale, faded in and out so that it
// starts and ends without a click.
std::vector<int16_t> MakeToneSamples(int nFreq, int nMs, int nRate);
