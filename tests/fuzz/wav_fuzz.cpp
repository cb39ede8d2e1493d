// Fuzzes the sound path with raw WAV bytes: our check first, then (when it accepts) the mixer
// through SDL's dummy audio driver. The check promises the mixer can play what it accepts, so a
// mixer refusal after an acceptance is a finding. One thread, besides SDL's own audio thread.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/framework/sound.h"
#include "app/framework/wav_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr int kPriorityLevel = 2, kStereo = 2, kRate = 22050, kBits = 16;

CSoundManager g_manager;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdfuzz::SilenceLog();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    KD_FUZZ_REQUIRE(g_manager.Initialize(nullptr, kPriorityLevel, kStereo, kRate, kBits) == 0,
                    "the dummy audio device does not open");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> wav(data, data + size);
    SWavInfo info;
    std::string error;
    CSound* pSound = nullptr;
    if (!ParseWav(std::span<const uint8_t>(wav), info, error)) {
        KD_FUZZ_REQUIRE(!error.empty(), "refused without a reason");
        KD_FUZZ_REQUIRE(g_manager.CreateFromMemory(&pSound, wav, "fuzz") != 0 && !pSound,
                        "the sound manager made a sound of a refused file (%s)", error.c_str());
        return 0;
    }
    const size_t frameBytes = size_t(info.nChannels) * size_t(info.nBits) / 8;
    KD_FUZZ_REQUIRE((info.nChannels == 1 || info.nChannels == 2) && (info.nBits == 8 || info.nBits == 16),
                    "accepted %d channels of %d bits", info.nChannels, info.nBits);
    KD_FUZZ_REQUIRE(info.nDataBytes > 0 && info.nDataBytes % frameBytes == 0, "accepted %zu data bytes in %zu-byte frames",
                    info.nDataBytes, frameBytes);
    KD_FUZZ_REQUIRE(info.nDataOffset <= size && info.nDataBytes <= size - info.nDataOffset,
                    "data at %zu + %zu bytes lies outside the %zu-byte file", info.nDataOffset, info.nDataBytes, size);
    const int result = g_manager.CreateFromMemory(&pSound, wav, "fuzz");
    KD_FUZZ_REQUIRE(result == 0 && pSound, "an accepted file (%d ch, %d bits, %d Hz, %zu bytes) gives error %d",
                    info.nChannels, info.nBits, info.nRate, info.nDataBytes, result);
    delete pSound;
    return 0;
}
