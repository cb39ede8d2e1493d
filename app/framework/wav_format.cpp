// WAV check and writer: little-endian RIFF chunks, PCM only.
#include "app/framework/wav_format.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr size_t kRiffHeaderBytes = 12;   // "RIFF", size, "WAVE"
constexpr size_t kChunkHeaderBytes = 8;   // id, size
constexpr size_t kPcmFormatBytes = 16;    // the fmt fields PCM needs
constexpr uint16_t kFormatPcm = 1;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 192000;
constexpr double kToneAmplitude = 0.25 * 32767.0;
constexpr int kToneFadeMs = 5;

uint16_t Read16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

uint32_t Read32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

bool IdIs(std::span<const uint8_t> b, size_t at, const char (&id)[5]) {
    return std::equal(id, id + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutId(std::vector<uint8_t>& out, const char (&id)[5]) { out.insert(out.end(), id, id + 4); }

// Checks the fmt fields; fills the format part of info.
bool ParseFormat(std::span<const uint8_t> b, size_t at, uint32_t size, SWavInfo& info, std::string& error) {
    if (size < kPcmFormatBytes) {
        error = "fmt chunk of " + std::to_string(size) + " bytes is too short";
        return false;
    }
    const uint16_t tag = Read16(b, at);
    const uint16_t channels = Read16(b, at + 2);
    const uint32_t rate = Read32(b, at + 4);
    const uint32_t byteRate = Read32(b, at + 8);
    const uint16_t blockAlign = Read16(b, at + 12);
    const uint16_t bits = Read16(b, at + 14);
    if (tag != kFormatPcm) {
        error = "format " + std::to_string(tag) + " is not PCM";
        return false;
    }
    if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < kMinRate || rate > kMaxRate) {
        error = "unsupported PCM layout: " + std::to_string(channels) + " channels, " +
                std::to_string(bits) + " bits, " + std::to_string(rate) + " Hz";
        return false;
    }
    if (blockAlign != channels * bits / 8 || byteRate != rate * blockAlign) {
        error = "inconsistent fmt chunk (block align " + std::to_string(blockAlign) + ", byte rate " +
                std::to_string(byteRate) + ")";
        return false;
    }
    info.nChannels = channels;
    info.nRate = static_cast<int>(rate);
    info.nBits = bits;
    return true;
}

}  // namespace

bool ParseWav(std::span<const uint8_t> b, SWavInfo& info, std::string& error) {
    info = SWavInfo{};
    if (b.size() < kRiffHeaderBytes || !IdIs(b, 0, "RIFF") || !IdIs(b, 8, "WAVE")) {
        error = "not a RIFF/WAVE file";
        return false;
    }
    const uint64_t riffEnd = uint64_t{Read32(b, 4)} + 8;
    if (riffEnd > b.size()) {
        error = "truncated: the header declares " + std::to_string(riffEnd) + " bytes, the file has " +
                std::to_string(b.size());
        return false;
    }
    bool haveFormat = false;
    size_t at = kRiffHeaderBytes;
    while (at + kChunkHeaderBytes <= riffEnd) {
        const uint32_t size = Read32(b, at + 4);
        const size_t body = at + kChunkHeaderBytes;
        if (body + uint64_t{size} > riffEnd) {
            error = "truncated: chunk '" + std::string(b.begin() + at, b.begin() + at + 4) + "' declares " +
                    std::to_string(size) + " bytes, " + std::to_string(riffEnd - body) + " are left";
            return false;
        }
        if (IdIs(b, at, "fmt ")) {
            if (!ParseFormat(b, body, size, info, error)) return false;
            haveFormat = true;
        } else if (IdIs(b, at, "data")) {
            if (!haveFormat) {
                error = "no fmt chunk before the data";
                return false;
            }
            const size_t frameBytes = static_cast<size_t>(info.nChannels * info.nBits / 8);
            if (size == 0 || size % frameBytes != 0) {
                error = "data chunk of " + std::to_string(size) + " bytes is not a whole, non-empty number of " +
                        std::to_string(frameBytes) + "-byte frames";
                return false;
            }
            info.nDataOffset = body;
            info.nDataBytes = size;
            return true;
        }
        at = body + size + (size & 1);  // chunks are padded to an even length
    }
    error = haveFormat ? "no data chunk" : "no fmt chunk";
    return false;
}

std::vector<uint8_t> MakeWav(std::span<const int16_t> samples, int nRate) {
    constexpr uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<uint32_t>(samples.size() * kBytesPerSample);
    std::vector<uint8_t> out;
    out.reserve(kRiffHeaderBytes + 2 * kChunkHeaderBytes + kPcmFormatBytes + dataBytes);
    PutId(out, "RIFF");
    Put32(out, static_cast<uint32_t>(4 + 2 * kChunkHeaderBytes + kPcmFormatBytes) + dataBytes);
    PutId(out, "WAVE");
    PutId(out, "fmt ");
    Put32(out, kPcmFormatBytes);
    Put16(out, kFormatPcm);
    Put16(out, 1);
    Put32(out, static_cast<uint32_t>(nRate));
    Put32(out, static_cast<uint32_t>(nRate) * kBytesPerSample);
    Put16(out, kBytesPerSample);
    Put16(out, 16);
    PutId(out, "data");
    Put32(out, dataBytes);
    for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
    return out;
}

std::vector<int16_t> MakeToneSamples(int nFreq, int nMs, int nRate) {
    const int frames = static_cast<int>(int64_t{nRate} * std::max(nMs, 0) / 1000);
    const int fadeFrames = std::max(1, std::min(nRate * kToneFadeMs / 1000, frames / 2));
    std::vector<int16_t> out(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double fade = std::min({1.0, double(i) / fadeFrames, double(frames - 1 - i) / fadeFrames});
        const double phase = 2.0 * std::numbers::pi * nFreq * i / nRate;
        out[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(kToneAmplitude * fade * std::sin(phase)));
    }
    return out;
}
