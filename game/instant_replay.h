// The last flick shown again: the position before it and its launch are kept when its playback
// starts; on request the flick plays once more from there through the normal flick thread and
// playback, and afterwards the present position and the settings come back as they were.
// Window thread.
#pragma once

#include "core/game_settings.h"
#include "physics/desk.h"
#include "physics/flick_launch_values.h"

class CKickPhysics;

class CInstantReplay {
public:
    // A flick of draught nCheck is about to play back from before (its launch written in it).
    void Keep(const CDesk& before, int nCheck);
    // A new set or match: the kept flick belongs to another position.
    void Forget() { m_nCheck = -1; }
    bool HasFlick() const { return m_nCheck >= 0; }
    bool IsRunning() const { return m_bRunning; }
    // Puts the position before the kept flick in place and plays the flick again. False when
    // there is none or one runs already.
    bool Start(CDesk& live, CGameSettings& settings, CKickPhysics& physics);
    // Its playback ended or was stopped: the present position and settings come back.
    void Finish(CDesk& live, CGameSettings& settings);

private:
    CDesk m_before, m_present;
    CGameSettings m_settings;  // as they were before the replay
    SFlickLaunch m_launch;
    int m_nCheck = -1;
    bool m_bRunning = false;
};
