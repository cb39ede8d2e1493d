// The one flick simulation: slides in closed form, spin, collisions, board edges and
// falls, step by step until nothing moves. Used by the real flick (animated, recorded)
// and by the computer's look-ahead (neither) on copies of a position. Pure: it touches
// only the position, the settings and the recorder handed in, so it is re-entrant.
#pragma once

#include "physics/board_edges.h"

class CDesk;
class CGameSettings;

// Receives every simulated step of a recorded flick.
class IStepRecorder {
public:
    virtual ~IStepRecorder() = default;
    // Returns false when the flick is abandoned (its thread is being stopped).
    virtual bool RecordStep(const CDesk& step) = 0;
};

enum class EFlickEnd {
    Rest,        // nothing moves any more, or draughts only press against each other
    NotOnBoard,  // the flicked draught was off the board: nothing simulated
    PassCap,     // stopped by the pass limit (a flick that would never end)
    Abandoned,   // the recorder asked to stop
};

// Passes after which a flick is ended where it stands: 60 s of simulated time, far beyond
// the longest real flick (about 11 s at the strongest launch on the slowest board).
inline constexpr int kMaxFlickPasses = 6000;

// Runs the flick of draught nCheck on desk in place. The caller has written the launch
// into the draught and the mover table. Writes the working coefficients, the mover
// table and the knocked-off counts into settings (counts not on NotOnBoard/Abandoned).
EFlickEnd RunFlick(const SPhysicsConstants& k, CGameSettings& settings, int nCheck, CDesk& desk,
                   bool bAnimate, IStepRecorder* pRecorder);
