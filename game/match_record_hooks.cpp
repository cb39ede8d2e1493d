// The match's reports to its recorder: the start, each set's layout, every played flick with
// the position it left, and the campaign's sets. Window thread.
#include "core/game_settings.h"
#include "game/match.h"
#include "game/match_logic.h"
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

// A campaign set has ended: the kept campaign moves on to the next set as NextSet will lay it out,
// so that closing the game at the result screen neither plays the set again nor loses it.
void CMatch::ReportNextCampaignSet() {
    const CGameSettings& s = m_settings;
    SCampaignLimits limits{};
    if (!m_pRecorder || !GetCampaignLimits(s.BoardType, limits)) return;
    CGameSettings next = s;
    AdvanceCampaignLines(limits, SetWinner(s.m_nSetResult, s.MyWhite), next.m_nWhiteShift, next.m_nBlackShift);
    const int nStarter = s.TurnType == TURN_TO_A_MISS
                             ? ToAMissNextStarter(s.m_nMoverSide, s.m_nSetResult, s.m_nKnockedWhite, s.m_nKnockedBlack)
                             : ByTurnNextStarter(s.m_nSetStarter);
    m_pRecorder->CampaignSetReady(next, nStarter);
}

void CMatch::ReportCampaignOver() {
    if (m_pRecorder) m_pRecorder->CampaignOver();
}
