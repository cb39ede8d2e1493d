// Fuzzes the sound path with raw WAV bytes: our check first, then the mixer through SDL's dummy
// audio driver. The check promises the mixer can play what it accepts, so a mixer refusal after
// an acceptance is a finding. One thread, besides SDL's own audio thread.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "app/framework/sound.h"
#include "app/framework/wav_format.h"
#include "tests/fuzz/fuzz_check.h"

namespace {
CSoundManager g_manager;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdfuzz::SilenceLog();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    KD_FUZZ_REQUIRE(g_manager.Initialize(nullptr, 2, 2, 22050, 16) == 0, "the dummy audio device does not open");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> wav(data, data + size);
    SWavInfo info;
    std::string error;
    CSound* pSound = nullptr;
    const bool accepted = ParseWav(std::span<const uint8_t>(wav), info, error);
    const int result = g_manager.CreateFromMemory(&pSound, wav, "fuzz");
    KD_FUZZ_REQUIRE(accepted == (result == 0 && pSound), "check %d ('%s'), mixer %d", accepted, error.c_str(), result);
    delete pSound;
    if (!accepted) return KD_FUZZ_REQUIRE(!error.empty(), "refused without a reason"), 0;
    const size_t frameBytes = size_t(info.nChannels) * size_t(info.nBits) / 8;
    KD_FUZZ_REQUIRE((info.nChannels == 1 || info.nChannels == 2) && (info.nBits == 8 || info.nBits == 16),
                    "accepted %d channels of %d bits", info.nChannels, info.nBits);
    KD_FUZZ_REQUIRE(info.nDataBytes > 0 && info.nDataBytes % frameBytes == 0 && info.nDataOffset <= size &&
                        info.nDataBytes <= size - info.nDataOffset,
                    "accepted %zu data bytes at %zu in %zu-byte frames of a %zu-byte file", info.nDataBytes,
                    info.nDataOffset, frameBytes, size);
    return 0;
}
