// The window's network game: hosting or joining from the network screen or the command line,
// the discovery beacons while that screen is open, the lockstep session of the match, the
// address the player types and the last thing the player must read. No window calls: the
// window acts on the events Poll gives. Window thread; nothing here waits.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/lockstep_session.h"
#include "net/net_discovery.h"

class CNetPlay {
public:
    enum class EState { Off, Hosting, Joining, Playing };

    CNetPlay(CDesk& desk, CGameSettings& settings) : m_desk(desk), m_settings(settings) {}

    // The network screen opened: games on the local network are listed.
    void StartFinding(uint16_t nPort = kDefaultNetPort);
    // False with Message() saying why.
    bool Host(uint16_t nPort);
    // "host", "host:port" or "host port".
    bool Join(const std::string& text);
    // Everything closed, the other side told; the message stays for the player.
    void Close();
    // Network work without waiting, at most one event for the window.
    SSessionEvent Poll(uint32_t nNow);
    // The match began: no more joiners, no more beacons.
    void MatchStarted();

    EState State() const { return m_eState; }
    bool IsPlaying() const { return m_eState == EState::Playing && m_pSession; }
    CLockstepSession* Session() { return m_pSession.get(); }
    uint16_t Port() const { return m_nPort; }
    const std::vector<std::string>& Addresses() const { return m_addresses; }
    const std::vector<SFoundGame>& Found() const { return m_finder.Found(); }
    const std::string& Message() const { return m_message; }
    void SetMessage(std::string text) { m_message = std::move(text); }

    // The address field of the network screen: printable keys add, backspace takes back.
    std::string& Field() { return m_field; }
    void TypeKey(char c);
    void EraseKey();

private:
    void Begin();

    CDesk& m_desk;
    CGameSettings& m_settings;
    std::unique_ptr<CLockstepSession> m_pSession;
    CBeaconSender m_beacon;
    CBeaconListener m_finder;
    EState m_eState = EState::Off;
    uint16_t m_nPort = kDefaultNetPort;
    std::vector<std::string> m_addresses;
    std::string m_message;
    std::string m_field;
    // The joiner's own choices, which the host's setup overrides only for the network game.
    bool m_bOwnSetupKept = false;
    int m_ownSetup[4] = {};
};

// The longest address the field takes.
inline constexpr size_t kMaxNetFieldChars = 40;
