// The connection to the other player's program over ENet (UDP): as host, listening on a port
// only between Listen and StopListening, or as joiner. Channel 0 carries the match reliably
// and in order, channel 1 the live aim unreliably. Both sides say their versions first; a
// different one ends the connection with a message for both players, and a host in a game
// refuses a second joiner. Everything runs inside Poll on the caller's thread and every wait is
// bounded, so there is no thread to stop. One thread owns a link.
#pragma once

#include <enet/enet.h>

#include <cstdint>
#include <string>

#include "net/net_messages.h"

// Our port when the player names none.
inline constexpr uint16_t kDefaultNetPort = 47125;
inline constexpr uint8_t kNetMatchChannel = 0;
inline constexpr uint8_t kNetAimChannel = 1;
// A peer silent this long is gone; ENet pings well within it, so only a dead peer is silent.
inline constexpr uint32_t kNetSilenceMs = 3500;
// A joiner and host that have not agreed versions by then part.
inline constexpr uint32_t kNetConnectMs = 4000;

struct SNetLinkEvent {
    enum class EType { None, Connected, Message, Refused, Ended };
    EType type = EType::None;
    SNetMessage message;  // Message
    std::string text;     // Refused (a joiner the host sent away), Ended: why, for the player
};

class CNetLink {
public:
    // program: the version said in the hello (this program's, except in tests).
    explicit CNetLink(std::string program);
    ~CNetLink();
    CNetLink(const CNetLink&) = delete;
    CNetLink& operator=(const CNetLink&) = delete;

    // Listens on all addresses; port 0 takes a free one, Port() tells which.
    bool Listen(uint16_t nPort, std::string& error);
    // No joiner is accepted any more; one already playing stays.
    void StopListening();
    bool Join(const std::string& address, uint16_t nPort, std::string& error);
    // Waits at most nWaitMs for traffic and gives the next event, if any.
    SNetLinkEvent Poll(uint32_t nWaitMs);
    // False when there is no agreed peer. Sent at once, not at the next Poll.
    bool Send(const SNetMessage& message);
    // Says bye, lets it go out for a moment and closes. Safe to repeat.
    void Close(ENetEnd reason = ENetEnd::Quit);
    // Closes without a word, as a program that dies; the peer learns it from the silence.
    void Drop();

    bool IsConnected() const { return m_bAgreed; }
    bool IsHost() const { return m_bHost; }
    uint16_t Port() const;
    // Received datagrams pass this first (fault injection).
    void SetIntercept(ENetInterceptCallback callback);

private:
    bool Create(const ENetAddress* pAddress, size_t nPeers, std::string& error);
    SNetLinkEvent Handle(const ENetEvent& ev);
    SNetLinkEvent Received(const ENetEvent& ev);
    SNetLinkEvent End(const std::string& text, ENetEnd reason);
    void Forget();

    std::string m_program;
    ENetHost* m_pHost = nullptr;
    ENetPeer* m_pPeer = nullptr;  // the one peer we play with
    bool m_bHost = false, m_bListening = false, m_bAgreed = false;
    uint32_t m_nJoinStart = 0;  // when the peer connected, or the joiner began to
};
