// The one flick simulation: slides in closed form, spin, collisions, board edges and
// falls, step by step until nothing moves. Used by the real flick (animated, recorded)
// and by the computer's look-ahead (neither) on copies of a position. Pure: it touches
// only the position, the mover table and the recorder handed in, so it is re-entrant.
#pragma once

#include "core/game_settings.h"
#include "physics/board_edges.h"

class CDesk;

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

// What moves the draughts: the board's frictions with the material's addition, and the
// material's shares of a collision.
struct SFlickCoefficients {
    float fSlideFriction = 0.0f;
    float fSpinFriction = 0.0f;
    float fBounce = 0.0f;
    float fSpinTransfer = 0.0f;
};

// What a flick runs on, fixed for the whole flick.
struct SFlickInput {
    const SBoard* pBoard = nullptr;  // null: a board type no board has, which nothing leaves
    SFlickCoefficients coefficients;
    float fTimeStep = 0.01f;  // seconds per pass
};

// The input for the record's board and material. A board or a material the tables lack
// keeps the record's coefficients of the last flick.
SFlickInput MakeFlickInput(const CGameSettings& settings);

struct SFlickOutcome {
    EFlickEnd end = EFlickEnd::NotOnBoard;
    int nKnockedWhite = 0;  // draughts of each side knocked off; 0 when not at an end
    int nKnockedBlack = 0;  // (NotOnBoard, Abandoned)
    int nPasses = 0;        // passes simulated
    SFlickCoefficients coefficients;  // those it ran with
};

// Runs the flick of draught nCheck on desk in place: desk ends as the final position. The
// caller has written the launch into the draught and started the mover table, which the
// simulation steps through and leaves as the flick ends.
SFlickOutcome RunFlick(const SPhysicsConstants& k, const SFlickInput& in, int nCheck, CDesk& desk,
                       SMover (&movers)[kMoverSlots], bool bAnimate, IStepRecorder* pRecorder);

// The caller's half: writes the outcome into the record's fields for it, the coefficients
// unless the draught was not on the board and the knocked-off counts of a flick that ended.
void KeepFlickOutcome(const SFlickOutcome& outcome, CGameSettings& settings);
