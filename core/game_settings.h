// The one settings record: the player's persisted choices, the per-match state and the
// fields a flick's caller writes from its outcome. Facts about the boards live in the board
// table. Owned by the game window; the physics and the live position hold pointers to it.
// Window thread, except the simulation and the computer's look-ahead, which never run at
// the same time (see kick_physics.h).
#pragma once

#include <cstdint>
#include <string>

#include "core/board_table.h"

// One entry of the mover table: a draught the simulation still has to step.
struct SMover {
    int32_t nCheck = 0;   // draught index 0..19
    uint8_t bActive = 0;  // 1 while the slot takes part in the simulation
};

inline constexpr int kMoverSlots = 100;
inline constexpr int kFlickSlot = kMoverSlots - 1;  // every flick starts in the last slot

enum ELevel : int { LEVEL_BEGINNER = 0, LEVEL_PRO = 1, LEVEL_EXPERT = 2 };
enum ESide : int { SIDE_WHITE = 1, SIDE_BLACK = 2 };

class CGameSettings {
public:
    CGameSettings();
    virtual ~CGameSettings() = default;
    CGameSettings(const CGameSettings&) = default;
    CGameSettings& operator=(const CGameSettings&) = default;

    // Reads the eight persisted keys; a file that cannot be read leaves defaults and a log line,
    // and a value outside its key's list reads as the key's missing value, with a log line.
    void Load();
    // Writes the eight persisted keys, keeping every other line of the file; atomic replace.
    // Returns false (and logs) when the file could not be written; m_nSaveError keeps why.
    bool Save();
    // The file both use: $XDG_CONFIG_HOME/kelvodara/kelvodara.ini.
    static std::string FilePath();

    // Clears the mover table and puts the flicked draught into the flick slot.
    void ResetMovers(int nCheck);

    // --- persisted (file keys) ---
    int DepthBits = 32;      // = 32 when the key is missing; colour depth for the window
    int StarType = 2;        // 1 star models drawn, 0 not, 2 (missing key) none
    bool FullScreen = true;  // = true at construction, false when the key is missing
    int m_nSaveError = 0;    // errno of the last Save that failed, 0 after one that worked
    // --- match state ---
    int m_nSetResult = 0;        // result of the set just ended
    int m_bMatchOver = 1;        // = 1 until a match starts
    int m_nBlackShift = 0;       // campaign line shift of black
    int m_nWhiteShift = 0;       // campaign line shift of white
    int m_nFocus = -1;           // camera focus draught, -1 the board centre
    int TurnType = 0;            // 0 "BY TURN", 1 "TO A MISS"
    int m_nLevel = LEVEL_BEGINNER;  // 0 beginner, 1 pro, 2 expert; set when a game starts
    int m_nPlayers = 1;          // 1 against the computer, 3 two players
    int BoardType = BOARD_TWELVE;   // = 2 at construction, 0 when the key is missing
    int GameMode = 0;            // 0 quick game, 1 campaign
    // --- board geometry: copies of the board table, which the game reads instead, except
    // for the draughts' radius ---
    float m_fCheckRadius = kCheckRadius;                      // = 0.058, on every board
    float m_fDeskBorder = kBoards[BOARD_SQUARE].fBorder;      // = 0.116, border of the square board
    float m_fDeskSize = kBoards[BOARD_SQUARE].fSize;          // = 1.44, side of the square board
    float m_fRoundRadius = kBoards[BOARD_ROUND].fSize;        // = 0.83, round board radius
    float m_fRoundRadius2 = kBoards[BOARD_ROUND].fSize2;      // = 0.6889, its square
    float m_fPolyRadius = kBoards[BOARD_TWELVE].fSize;        // = 0.894, twelve-sided circumradius
    // --- the last flick's coefficients, written by its caller from the outcome ---
    float m_fSlideFriction = 0.0f;  // board base friction + material addition
    float m_fSpinFriction = 0.0f;   // spin friction of the board
    float m_fBounce = 0.0f;         // share of the normal speed difference handed over
    float m_fSpinTransfer = 0.0f;   // share of the tangential speed turned into spin
    int CheckType = CHECK_BONE;     // 0 bone, 1 wood, 2 stone
    int m_nStartRow = 1;            // row (from each side's edge) of the lines at shift 0
    float m_fTimeStep = 0.01f;      // simulation step, seconds
    int m_nFrameMs = 10;            // wall-clock ms per recorded step in playback
    int MyWhite = 1;                // 1 the first player plays white, 0 black
    int m_bMySideToMove = 1;        // 1 when the (first) player moves
    int m_nKnockedWhite = 0;        // white draughts knocked off by the last flick (from its outcome)
    int m_nKnockedBlack = 0;        // black draughts knocked off by the last flick (from its outcome)
    int m_nMoverSide = 0;           // side of the current flick, 1 or 2 in play
    int m_nSetStarter = 1;          // side that starts the current set
    int m_nLostWhiteTotal = 0;      // white draughts knocked out over the campaign
    int m_nLostBlackTotal = 0;      // black draughts knocked out over the campaign
    float m_fHandScale = 1.0f;      // drawn scale of the aiming hand
    SMover m_aMovers[kMoverSlots];  // the mover table
};
