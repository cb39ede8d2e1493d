// What a computer search consults before each trial simulation: the pause gate, the stop
// request and an optional observer. Read by every searching thread at once; the observer
// must therefore be safe to call from two threads.
#pragma once

#include <functional>
#include <stop_token>

#include "platform/pause_gate.h"

namespace ai {

struct STrialControl {
    platform::CPauseGate* pGate = nullptr;                // closed while the game is paused; none: never waits
    std::stop_token stop;                                 // a stop request abandons the search
    const std::function<void()>* pBeforeTrial = nullptr;  // called before every trial (tests count them)

    // Blocks while paused; false when the search is to be abandoned.
    bool MayTry() const {
        if (pBeforeTrial != nullptr && *pBeforeTrial) (*pBeforeTrial)();
        if (pGate != nullptr) return pGate->Pass(stop);
        return !stop.stop_requested();
    }
};

}  // namespace ai
