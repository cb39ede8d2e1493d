// The recorder of the game: keeps the record of the match in play, writes it to a new file of
// the replays folder as it goes, and keeps the campaign in progress in its state file. Without
// folders it records to memory only. Window thread.
#pragma once

#include <string>

#include "game/match_recorder.h"
#include "game/replay_store.h"

class CReplayRecorder : public IMatchRecorder {
public:
    // Empty paths: no file of that kind is written.
    CReplayRecorder(std::string replayDir, std::string campaignPath);

    void MatchStarted(const CGameSettings& settings, uint32_t nRandState) override;
    void SetStarted(int nWhiteShift, int nBlackShift) override;
    void FlickPlayed(const SRecordFlick& flick) override;
    void CampaignSetReady(const CGameSettings& settings, int nStarter) override;
    void CampaignOver() override;

    const SMatchRecord& Record() const { return m_record; }
    const std::string& FilePath() const { return m_writer.Path(); }

private:
    std::string m_replayDir, m_campaignPath;
    SMatchRecord m_record;
    CReplayWriter m_writer;
};
