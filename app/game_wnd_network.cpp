// The network screen and the match against a player on another machine: hosting and joining,
// the typed address, the games found on the local network, the flicks and live aim that
// travel, and the way back when the other side is gone. Window thread.
#include <ctime>

#include "app/game_wnd.h"
#include "core/players.h"
#include "menus/menu_actions.h"
#include "menus/menu_buttons.h"
#include "menus/sound_effects.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace {

constexpr int kTextX = 330;
constexpr int kTextTopY = 450;
constexpr int kLineStep = 28;
constexpr float kTextScale = 0.8f;
constexpr int kTextColor[3] = {235, 225, 190};
constexpr int kFieldColor[3] = {255, 255, 255};
constexpr int kMessageColor[3] = {255, 150, 90};
// On a result screen, between the draught counts and the pictures.
constexpr int kWaitX = 290, kWaitY = 80;
// The opponent's aim shows while it keeps arriving; a lost stream fades out after this.
constexpr uint32_t kRemoteAimShownMs = 600;
constexpr float kRemoteHandScale = 1.0f;
constexpr int kRequestHost = 1, kRequestJoin = 2;
// Network work per frame at most, so a busy peer cannot hold the frame.
constexpr int kMaxNetEventsPerFrame = 8;

double MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

bool IsAddressKey(unsigned nKey) { return (nKey >= '0' && nKey <= '9') || (nKey >= 'A' && nKey <= 'Z'); }

}  // namespace

void CGameWnd::OpenNetworkScreen() {
    m_net.Close();
    m_net.SetMessage("");
    m_net.StartFinding();
    // The other player's arrival and flicks must show while this window has no focus.
    SetDrawsUnfocused(true);
    SetScreen(SCREEN_NETWORK);
}

void CGameWnd::RequestNetworkStart(bool bHost, uint16_t nPort, const std::string& joinAddress) {
    m_nNetRequest = bHost ? kRequestHost : kRequestJoin;
    m_nNetRequestPort = nPort ? nPort : kDefaultNetPort;
    m_netRequestAddress = joinAddress;
}

void CGameWnd::OnNetworkCommand(int nCommand) {
    switch (nCommand) {
    case CMD_HOST:
        RequestSound(SOUND_MENU_MOVE, 0);
        m_net.Host(kDefaultNetPort);
        break;
    case CMD_JOIN: {
        std::string address = m_net.Field();
        if (address.empty() && !m_net.Found().empty())
            address = m_net.Found().front().address + ":" + std::to_string(m_net.Found().front().beacon.nPort);
        RequestSound(SOUND_MENU_MOVE, 0);
        m_net.Join(address);
        break;
    }
    case CMD_BACK:
        m_net.Close();
        RequestSound(SOUND_MENU_MOVE, 0);
        SetScreen(SCREEN_LEVEL_TWO);
        break;
    default: break;
    }
}

void CGameWnd::OnNetworkKey(unsigned nKey) {
    if (nKey == VK_ESCAPE) OnNetworkCommand(CMD_BACK);
    else if (nKey == VK_RETURN) OnNetworkCommand(CMD_JOIN);
    else if (nKey == VK_BACK) m_net.EraseKey();
    else if (nKey == VK_OEM_PERIOD || nKey == VK_DECIMAL) m_net.TypeKey('.');
    else if (nKey == VK_OEM_MINUS) m_net.TypeKey('-');
    else if (nKey == VK_SPACE) m_net.TypeKey(':');
    else if (nKey >= VK_NUMPAD0 && nKey <= VK_NUMPAD0 + 9) m_net.TypeKey(static_cast<char>('0' + nKey - VK_NUMPAD0));
    else if (IsAddressKey(nKey)) m_net.TypeKey(static_cast<char>(nKey >= 'A' ? nKey - 'A' + 'a' : nKey));
}

void CGameWnd::LeaveNetworkGame() {
    m_net.Close();
    m_match.SetNetSide(0);
    m_bRemoteAimSeen = false;
    SetDrawsUnfocused(false);
}

void CGameWnd::PollNetwork() {
    if (m_nNetRequest) {
        OpenNetworkScreen();
        if (m_nNetRequest == kRequestHost) m_net.Host(m_nNetRequestPort);
        else m_net.Join(m_netRequestAddress);
        m_nNetRequest = 0;
    }
    CLockstepSession* pSession = m_net.Session();
    if (m_net.IsPlaying() && pSession && m_match.IsMarkSet())
        pSession->SendAim({{m_match.HandPoint()[0], m_match.HandPoint()[1], m_match.HandPoint()[2]},
                           {m_match.FirstMark()[0], m_match.FirstMark()[1], m_match.FirstMark()[2]}});
    using EType = SSessionEvent::EType;
    for (int i = 0; i < kMaxNetEventsPerFrame; ++i) {
        const SSessionEvent ev = m_net.Poll(platform::TimeGetTime());
        switch (ev.type) {
        case EType::None: return;
        case EType::Started:
            m_settings.m_nPlayers = kTwoPlayers;
            m_match.SetNetSide(m_net.Session()->LocalSide());
            m_net.MatchStarted();
            platform::Log("Network: the match starts; this side plays %s",
                          m_match.NetSide() == SIDE_WHITE ? "white" : "black");
            StartMatch();
            SetScreen(SCREEN_GAME);
            RequestSound(SOUND_BEGIN, 0);
            break;
        case EType::RemoteFlick:
            platform::Log("Network: the other side's flick of draught %d arrived (monotonic %.3f ms)", ev.nCheck,
                          MonotonicMs());
            m_bRemoteAimSeen = false;
            m_match.PlayRemoteFlick(ev.nCheck);
            m_matchHost.OnFlickClicked();
            break;
        case EType::Aim:
            m_remoteAim = ev.aim;
            m_nRemoteAimAt = platform::TimeGetTime();
            m_bRemoteAimSeen = true;
            break;
        case EType::Next:
            platform::Log("Network: both players chose %s", ev.next == ENetNext::NextSet ? "the next set" : "a new match");
            m_bRemoteAimSeen = false;
            if (ev.next == ENetNext::NextSet) StartNextSet(*this);
            else StartNewMatch(*this);
            break;
        case EType::PositionTaken: break;
        case EType::Refused:
        case EType::Ended: {
            const bool bInMatch = m_match.NetSide() != 0;
            LeaveNetworkGame();
            SetDrawsUnfocused(true);
            if (bInMatch) {
                StopMatch();
                m_bCursorShown = 1;
                ShowGLCursor(true);
            }
            SetScreen(SCREEN_NETWORK);
            m_net.StartFinding();
            RequestSound(SOUND_ERROR, 0);
            return;
        }
        }
    }
}

void CGameWnd::DrawNetworkScreen() {
    int y = kTextTopY;
    auto line = [&](const int color[3], const std::string& text) {
        m_font.SetColor(color[0], color[1], color[2]);
        m_font.Print(kTextX, y, kTextScale, "%s", text.c_str());
        y -= kLineStep;
    };
    if (m_net.State() == CNetPlay::EState::Hosting) {
        line(kTextColor, "Hosting on port " + std::to_string(m_net.Port()) + " at");
        for (const std::string& address : m_net.Addresses()) line(kFieldColor, "  " + address);
    } else {
        line(kTextColor, "Address to join (type it, Enter joins):");
        line(kFieldColor, "  " + m_net.Field() + "_");
        if (!m_net.Found().empty()) line(kTextColor, "Games on this network (Join takes the first):");
        for (const SFoundGame& g : m_net.Found())
            line(kFieldColor, "  " + g.beacon.name + "  " + g.address + ":" + std::to_string(g.beacon.nPort));
    }
    if (!m_net.Message().empty()) line(kMessageColor, m_net.Message());
}

void CGameWnd::DrawNetworkWait() {
    CLockstepSession* pSession = m_net.Session();
    if (!m_net.IsPlaying() || !pSession || !pSession->WaitsForOther()) return;
    m_font.SetColor(kMessageColor[0], kMessageColor[1], kMessageColor[2]);
    m_font.Print(kWaitX, kWaitY, kTextScale, "Waiting for the other player...");
}

void CGameWnd::DrawRemoteAim() {
    const int nSide = m_match.NetSide();
    if (!nSide || !m_bRemoteAimSeen || m_match.IsBusy()) return;
    if (platform::TimeGetTime() - m_nRemoteAimAt > kRemoteAimShownMs) return;
    m_marker.SetPos(m_remoteAim.marker[0], m_remoteAim.marker[1], m_remoteAim.marker[2]);
    m_marker.Draw();
    DrawHandAt(m_remoteAim.marker, m_remoteAim.hand, false, kRemoteHandScale);
}
