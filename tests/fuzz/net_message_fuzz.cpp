// Fuzzes the decoder of what a peer sends: any bytes it takes write back to the very same bytes,
// and any flick it takes plays through the simulation without harm. One thread.
#include <cstdint>
#include <vector>

#include "core/game_settings.h"
#include "game/layout.h"
#include "net/net_messages.h"
#include "physics/flick_simulation.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return kdfuzz::SilenceLog(), 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SNetMessage message;
    std::string error;
    const bool taken = DecodeNetMessage({data, size}, message, error);
    KD_FUZZ_REQUIRE(taken ? EncodeNetMessage(message) == std::vector<uint8_t>(data, data + size) : !error.empty(),
                    "taken bytes write back otherwise, or a refusal without a reason ('%s')", error.c_str());
    if (const SNetFlick* flick = taken ? std::get_if<SNetFlick>(&message) : nullptr) {
        CGameSettings s;
        s.BoardType = s.CheckType = flick->nSeq % 3;
        CDesk desk;
        desk.SetSettings(&s);
        CGLObject white, black;
        BuildLayout(desk, 0, 0, white, black);
        ApplyLaunch(flick->launch, flick->nCheck, desk, s);
        RunFlick(SPhysicsConstants{}, MakeFlickInput(s), flick->nCheck, desk, s.m_aMovers, true, nullptr);  // its pass limit ends it
    }
    return 0;
}
