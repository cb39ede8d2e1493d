#include "net/lockstep_session.h"

#include <cinttypes>
#include <utility>

#include "core/game_settings.h"
#include "physics/desk.h"
#include "physics/desk_hash.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace {

// The host plays white.
constexpr int kHostSide = SIDE_WHITE;
constexpr int kJoinerSide = SIDE_BLACK;
// Two players on two machines.
constexpr int kNetPlayers = 3;

SNetPosition PositionOf(const CDesk& desk, uint32_t nSeq) {
    SNetPosition p;
    p.nSeq = nSeq;
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& c = desk.m_aChecks[i];
        p.draughts[i] = {c.m_nSide, c.m_bOnDesk != 0, c.m_fX, c.m_fY, c.m_fHeight};
    }
    return p;
}

// Puts every draught at rest where the position has it.
void TakePosition(const SNetPosition& p, CDesk& desk) {
    for (int i = 0; i < kCheckCount; ++i) {
        CCheck& c = desk.m_aChecks[i];
        const SNetDraught& d = p.draughts[i];
        c.m_nSide = d.nSide;
        c.m_bOnDesk = d.bOnDesk ? 1 : 0;
        c.m_fX = c.m_fPrevX = c.m_fStartX = d.fX;
        c.m_fY = c.m_fPrevY = c.m_fStartY = d.fY;
        c.m_fHeight = d.fHeight;
        c.m_bMoving = c.m_bFalling = 0;
        c.m_fVx0 = c.m_fVy0 = c.m_fVx = c.m_fVy = c.m_fDirX = c.m_fDirY = 0.0f;
        c.m_fSpin0 = c.m_fSpin = 0.0f;
    }
}

}  // namespace

CLockstepSession::CLockstepSession(CDesk& desk, CGameSettings& settings, std::string program)
    : m_link(std::move(program)), m_desk(desk), m_settings(settings) {}

int CLockstepSession::LocalSide() const { return m_link.IsHost() ? kHostSide : kJoinerSide; }

SSessionEvent CLockstepSession::Poll(uint32_t nWaitMs) {
    if (m_bStarted && m_ePhase == EPhase::Idle && m_bChosen && !WaitsForOther()) {
        m_bChosen = m_bOtherChose = false;
        return {SSessionEvent::EType::Next, -1, {}, {}, m_choice};
    }
    using EType = SNetLinkEvent::EType;
    SNetLinkEvent ev = m_link.Poll(nWaitMs);
    switch (ev.type) {
    case EType::None: break;
    case EType::Connected:
        if (!m_link.IsHost()) break;  // the joiner starts with the host's setup
        m_link.Send(SNetSetup{m_settings.BoardType, m_settings.CheckType, m_settings.TurnType, m_settings.GameMode});
        m_bStarted = true;
        return {SSessionEvent::EType::Started, -1, {}, {}};
    case EType::Message: return Message(ev.message);
    case EType::Refused: return {SSessionEvent::EType::Refused, -1, {}, std::move(ev.text)};
    case EType::Ended:
        m_bStarted = false;
        return {SSessionEvent::EType::Ended, -1, {}, std::move(ev.text)};
    }
    return {};
}

SSessionEvent CLockstepSession::Message(const SNetMessage& message) {
    if (const SNetSetup* setup = std::get_if<SNetSetup>(&message)) {
        if (m_link.IsHost() || m_bStarted) return Fail("a setup");
        m_settings.BoardType = setup->nBoard;
        m_settings.CheckType = setup->nMaterial;
        m_settings.TurnType = setup->nRule;
        m_settings.GameMode = setup->nMode;
        m_settings.m_nPlayers = kNetPlayers;
        m_bStarted = true;
        return {SSessionEvent::EType::Started, -1, {}, {}};
    }
    // The aim travels apart from the match, so it may overtake the setup.
    if (const SNetAim* aim = std::get_if<SNetAim>(&message))
        return m_bStarted ? SSessionEvent{SSessionEvent::EType::Aim, -1, *aim, {}} : SSessionEvent{};
    if (!m_bStarted) return Fail("a message before the setup");
    if (const SNetFlick* flick = std::get_if<SNetFlick>(&message)) {
        if (flick->nSeq < m_nPlayed) return {};  // played already
        if (flick->nSeq != m_nPlayed || m_ePhase != EPhase::Idle) return Fail("a flick out of turn");
        const CCheck& c = m_desk.m_aChecks[flick->nCheck];
        if (!c.m_bOnDesk || c.m_nSide == LocalSide()) return Fail("a flick of a draught it may not flick");
        if (flick->nHashBefore != RestPositionHash(m_desk))
            platform::Log("Network: flick %" PRIu32 " starts from another position on the other side", flick->nSeq);
        ApplyLaunch(flick->launch, flick->nCheck, m_desk, m_settings);
        Begin(c.m_nSide, flick->nCheck, flick->launch);
        return {SSessionEvent::EType::RemoteFlick, flick->nCheck, {}, {}};
    }
    if (const SNetCheck* check = std::get_if<SNetCheck>(&message)) {
        if (check->nSeq + 1 < m_nPlayed) return {};  // agreed already
        const bool bInPlay = m_ePhase == EPhase::Flicking || m_ePhase == EPhase::Checking;
        if (!bInPlay || m_bRemoteCheck || check->nSeq + 1 != m_nPlayed) return Fail("a check out of turn");
        m_remoteCheck = *check;
        m_bRemoteCheck = true;
        Compare();
        return {};
    }
    if (const SNetNext* next = std::get_if<SNetNext>(&message)) {
        // The choice follows the last flick on the same ordered channel.
        if (next->nSeq != m_nPlayed) return Fail("a choice out of turn");
        m_otherChoice = next->what;
        m_bOtherChose = true;
        return {};
    }
    if (const SNetPosition* position = std::get_if<SNetPosition>(&message)) {
        if (m_ePhase != EPhase::AwaitPosition || position->nSeq != m_nPlayed) return Fail("a position unasked");
        TakePosition(*position, m_desk);
        if (!m_flicks.empty()) m_flicks.back().nHash = RestPositionHash(m_desk);
        platform::Log("Network: took the host's position after flick %" PRIu32, m_nPlayed);
        m_ePhase = EPhase::Idle;
        return {SSessionEvent::EType::PositionTaken, -1, {}, {}};
    }
    return Fail("an unexpected message");
}

SSessionEvent CLockstepSession::Fail(const char* what) {
    platform::Log("Network: the other program sent %s", what);
    m_link.Close(ENetEnd::Protocol);
    m_bStarted = false;
    return {SSessionEvent::EType::Ended, -1, {}, NetEndText(ENetEnd::Protocol)};
}

bool CLockstepSession::SendFlick(int nCheck) {
    if (!CanFlick() || nCheck < 0 || nCheck >= kCheckCount) return false;
    const CCheck& c = m_desk.m_aChecks[nCheck];
    if (!c.m_bOnDesk || c.m_nSide != LocalSide()) return false;
    if (!m_link.Send(SNetFlick{m_nPlayed, nCheck, TakeLaunch(c), RestPositionHash(m_desk)})) return false;
    Begin(c.m_nSide, nCheck, TakeLaunch(c));
    return true;
}

void CLockstepSession::Begin(int nSide, int nCheck, const SFlickLaunch& launch) {
    ++m_nPlayed;
    m_ePhase = EPhase::Flicking;
    m_bRemoteCheck = false;
    m_inPlay = {nSide, nCheck, launch, 0};
}

void CLockstepSession::FlickRested() {
    if (m_ePhase != EPhase::Flicking) return;
    m_nLocalHash = RestPositionHash(m_desk);
    // A match far longer than any record holds is still played, just no longer recorded.
    m_inPlay.nHash = m_nLocalHash;
    if (m_flicks.size() < size_t(kMaxRecordSets) * kMaxRecordFlicksPerSet) m_flicks.push_back(m_inPlay);
    m_link.Send(SNetCheck{m_nPlayed - 1, m_nLocalHash});
    m_ePhase = EPhase::Checking;
    Compare();
}

void CLockstepSession::Compare() {
    if (m_ePhase != EPhase::Checking || !m_bRemoteCheck) return;
    m_bRemoteCheck = false;
    if (m_remoteCheck.nHash == m_nLocalHash) {
        m_ePhase = EPhase::Idle;
        return;
    }
    ++m_nMismatches;
    platform::Log("Network: after flick %" PRIu32 " the positions differ (0x%016" PRIx64 " here, 0x%016" PRIx64
                  " there)%s",
                  m_nPlayed, m_nLocalHash, m_remoteCheck.nHash,
                  m_link.IsHost() ? "; sending ours" : "; waiting for the host's");
    if (!m_link.IsHost()) {
        m_ePhase = EPhase::AwaitPosition;
        return;
    }
    m_link.Send(PositionOf(m_desk, m_nPlayed));
    m_ePhase = EPhase::Idle;
}

bool CLockstepSession::ChooseNext(ENetNext what) {
    if (!m_bStarted || !m_link.Send(SNetNext{what, m_nPlayed})) return false;
    m_choice = what;
    m_bChosen = true;
    return true;
}

bool CLockstepSession::SendAim(const SNetAim& aim) {
    const uint32_t nNow = platform::TimeGetTime();
    if (!m_bStarted || (m_bAimSent && nNow - m_nLastAim < kNetAimIntervalMs)) return false;
    if (!m_link.Send(aim)) return false;
    m_nLastAim = nNow;
    m_bAimSent = true;
    return true;
}
