#include "game/replay_recorder.h"

#include <ctime>
#include <utility>

#include "core/game_settings.h"
#include "game/campaign_state.h"

CReplayRecorder::CReplayRecorder(std::string replayDir, std::string campaignPath)
    : m_replayDir(std::move(replayDir)), m_campaignPath(std::move(campaignPath)) {}

void CReplayRecorder::MatchStarted(const CGameSettings& settings, uint32_t nRandState) {
    m_record = SMatchRecord{};
    m_record.program = ProgramVersion();
    m_record.settings = RecordSettingsOf(settings);
    // Two players at one machine: the first player is white whatever the setting says.
    if (m_record.settings.nPlayers != 1) m_record.settings.nSide = SIDE_WHITE;
    m_record.nRandState = nRandState;
    m_writer.Close();
    if (!m_replayDir.empty()) m_writer.Open(m_replayDir, std::time(nullptr), m_record);
    // A new quick game replaces an unfinished campaign; a campaign's own sets rewrite it.
    if (settings.GameMode == 0 && !m_campaignPath.empty()) RemoveCampaignState(m_campaignPath);
}

void CReplayRecorder::SetStarted(int nWhiteShift, int nBlackShift) {
    m_record.sets.push_back({nWhiteShift, nBlackShift, {}});
    m_writer.BeginSet(nWhiteShift, nBlackShift);
}

void CReplayRecorder::FlickPlayed(const SRecordFlick& flick) {
    if (m_record.sets.empty()) m_record.sets.emplace_back();
    m_record.sets.back().flicks.push_back(flick);
    m_writer.AddFlick(flick);
}

void CReplayRecorder::CampaignSetReady(const CGameSettings& settings, int nStarter) {
    if (!m_campaignPath.empty()) WriteCampaignState(m_campaignPath, CampaignSetOf(settings, nStarter));
}

void CReplayRecorder::CampaignOver() {
    if (!m_campaignPath.empty()) RemoveCampaignState(m_campaignPath);
}
