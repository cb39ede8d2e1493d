#include "app/net_play.h"

#include <unistd.h>

#include "core/game_settings.h"
#include "game/match_record.h"
#include "platform/log.h"

namespace {

constexpr size_t kHostNameBytes = 64;

std::string MachineName() {
    char name[kHostNameBytes] = {};
    if (gethostname(name, sizeof name - 1) != 0) return "?";
    return name;
}

}  // namespace

void CNetPlay::StartFinding(uint16_t nPort) {
    if (!m_finder.Start(nPort)) platform::Log("Network: no listing of games on the local network");
}

void CNetPlay::Begin() {
    Close();
    m_pSession = std::make_unique<CLockstepSession>(m_desk, m_settings, ProgramVersion());
}

bool CNetPlay::Host(uint16_t nPort) {
    std::string error;
    Begin();
    if (!m_pSession->Link().Listen(nPort, error)) {
        m_pSession.reset();
        m_message = error;
        return false;
    }
    m_nPort = m_pSession->Link().Port();
    m_addresses = LocalAddresses();
    if (!m_beacon.Start(m_nPort, MachineName())) platform::Log("Network: this game is not announced on the local network");
    m_eState = EState::Hosting;
    m_message = "waiting for the other player";
    return true;
}

bool CNetPlay::Join(const std::string& text) {
    std::string host, error;
    uint16_t nPort = kDefaultNetPort;
    if (!SplitHostPort(text, kDefaultNetPort, host, nPort)) {
        m_message = "type an address to join, as 192.168.1.20 or 192.168.1.20:" + std::to_string(kDefaultNetPort);
        return false;
    }
    Begin();
    if (!m_pSession->Link().Join(host, nPort, error)) {
        m_pSession.reset();
        m_message = error;
        return false;
    }
    m_nPort = nPort;
    m_eState = EState::Joining;
    const CGameSettings& s = m_settings;
    m_ownSetup[0] = s.BoardType, m_ownSetup[1] = s.CheckType, m_ownSetup[2] = s.TurnType, m_ownSetup[3] = s.GameMode;
    m_bOwnSetupKept = true;
    m_message = "connecting to " + host + ":" + std::to_string(nPort);
    return true;
}

void CNetPlay::Close() {
    m_beacon.Stop();
    m_finder.Stop();
    if (m_pSession) m_pSession->Link().Close();
    m_pSession.reset();
    m_eState = EState::Off;
    if (m_bOwnSetupKept) {
        CGameSettings& s = m_settings;
        s.BoardType = m_ownSetup[0], s.CheckType = m_ownSetup[1], s.TurnType = m_ownSetup[2], s.GameMode = m_ownSetup[3];
        m_bOwnSetupKept = false;
    }
}

void CNetPlay::MatchStarted() {
    m_eState = EState::Playing;
    m_beacon.Stop();
    m_finder.Stop();
    if (m_pSession) m_pSession->Link().StopListening();
}

SSessionEvent CNetPlay::Poll(uint32_t nNow) {
    m_beacon.Tick(nNow);
    m_finder.Tick(nNow);
    if (!m_pSession) return {};
    SSessionEvent ev = m_pSession->Poll(0);
    using EType = SSessionEvent::EType;
    if (ev.type == EType::Ended || ev.type == EType::Refused) {
        platform::Log("Network: %s", ev.text.c_str());
        m_message = ev.text;
        Close();
    }
    return ev;
}

void CNetPlay::TypeKey(char c) {
    if (c > ' ' && c <= '~' && m_field.size() < kMaxNetFieldChars) m_field += c;
}

void CNetPlay::EraseKey() {
    if (!m_field.empty()) m_field.pop_back();
}
