// The launch of a flick as the simulation reads it from the flicked draught: the start
// velocity, its unit direction and the start spin. Kept to play a flick again exactly.
#pragma once

class CCheck;
class CDesk;
class CGameSettings;

// Faster than any flick can start. The player's strongest is about 9.6 (the outer edge of the
// aim band on the round board); the computer's about 11.2 (an expert variant at its component
// cap of 7.2 on both axes, or a basic retry at 1.6 times the aim across the square's
// diagonal, plus an aiming error of up to 0.7 on each axis).
inline constexpr float kMaxLaunchSpeed = 12.0f;

struct SFlickLaunch {
    float fVx0 = 0.0f, fVy0 = 0.0f;    // start velocity
    float fDirX = 0.0f, fDirY = 0.0f;  // its unit direction, 0 for no motion
    float fSpin0 = 0.0f;               // start spin, rad/s
};

SFlickLaunch TakeLaunch(const CCheck& c);
// Writes the launch into draught nCheck of desk and starts the settings' mover table with it,
// as an aimed flick does; then RunFlick plays it. False, and nothing written, for a draught
// that does not exist.
bool ApplyLaunch(const SFlickLaunch& launch, int nCheck, CDesk& desk, CGameSettings& settings);
