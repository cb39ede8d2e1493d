// The match's reports to its recorder: the start, each set's layout, every played flick with
// the position it left, and the campaign's sets. Window thread.
#include "core/game_settings.h"
#include "game/match.h"
#include "game/match_recorder.h"
#include "physics/desk.h"
#include "physics/desk_hash.h"
#include "physics/kick_physics.h"
#include "platform/crt_rand.h"

void CMatch::RecordMatchStart() {
    if (m_pRecorder) m_pRecorder->MatchStarted(m_settings, platform::GetRandState());
}

void CMatch::RecordSetStart(int nWhiteShift, int nBlackShift) {
    if (m_pRecorder) m_pRecorder->SetStarted(nWhiteShift, nBlackShift);
}

// Taken even without a recorder, so that a flick never counts for a later end.
void CMatch::RecordFinishedFlick() {
    SRecordFlick flick;
    if (!m_physics.TakeStartedFlick(flick.nCheck, flick.launch) || !m_pRecorder) return;
    flick.nSide = m_desk.m_aChecks[flick.nCheck].m_nSide;
    flick.nHash = RestPositionHash(m_desk);
    m_pRecorder->FlickPlayed(flick);
}

void CMatch::ReportCampaignSet(int nStarter) {
    if (m_pRecorder && m_settings.GameMode != 0) m_pRecorder->CampaignSetReady(m_settings, nStarter);
}

void CMatch::ReportCampaignOver() {
    if (m_pRecorder) m_pRecorder->CampaignOver();
}
