// Where a match reports what a record of it keeps, and the sets a campaign could resume from.
// The match calls it on the window thread; an implementation never stops play on a failure.
#pragma once

#include <cstdint>

#include "game/match_record.h"

class CGameSettings;

// A campaign at the start of one of its sets: what it takes to play on from there.
struct SCampaignSet {
    SRecordSettings settings;
    int nWhiteShift = 0, nBlackShift = 0;
    int nLostWhiteTotal = 0, nLostBlackTotal = 0;
    int nStarter = 1;  // the side that flicks first in the set: 1 white, 2 black
    bool operator==(const SCampaignSet&) const = default;
};

class IMatchRecorder {
public:
    virtual ~IMatchRecorder() = default;
    // The settings as the match plays them and the computer's generator at its start.
    virtual void MatchStarted(const CGameSettings& settings, uint32_t nRandState) = 0;
    virtual void SetStarted(int nWhiteShift, int nBlackShift) = 0;
    virtual void FlickPlayed(const SRecordFlick& flick) = 0;
    // A campaign set is laid out and its starter (1 white, 2 black) known, the shifts and the
    // totals in the settings; a campaign that ends is never resumed.
    virtual void CampaignSetReady(const CGameSettings& settings, int nStarter) = 0;
    virtual void CampaignOver() = 0;
};
