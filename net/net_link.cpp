#include "net/net_link.h"

#include <utility>

#include "platform/log.h"

namespace {

constexpr size_t kNetChannels = 2;
// A host keeps room for one player and one joiner it turns away.
constexpr size_t kHostPeers = 2;
// Bounds of what ENet buffers for a peer: our messages are far smaller.
constexpr size_t kMaxNetPacketBytes = 1024;
constexpr size_t kMaxNetWaitingBytes = 64 * 1024;
// Events handled in one Poll at most, so a flood cannot keep it busy.
constexpr int kMaxEventsPerPoll = 64;
constexpr uint32_t kPingMs = 250;
// How long Close waits for the bye to go out.
constexpr uint32_t kCloseMs = 200;
constexpr uint32_t kCloseStepMs = 10;

bool InitEnet() {
    static const bool bOk = enet_initialize() == 0;
    return bOk;
}

void TunePeer(ENetPeer* peer) {
    // Retransmits on a jittery link must not end the game before a silent peer would.
    enet_peer_timeout(peer, 0, kNetSilenceMs, kNetSilenceMs);
    enet_peer_ping_interval(peer, kPingMs);
}

std::string Versions(const std::string& program, uint32_t nProtocol) {
    return "version " + program + " (protocol " + std::to_string(nProtocol) + ")";
}

}  // namespace

CNetLink::CNetLink(std::string program) : m_program(std::move(program)) {}

CNetLink::~CNetLink() { Close(); }

bool CNetLink::Create(const ENetAddress* pAddress, size_t nPeers, std::string& error) {
    Close();
    if (!InitEnet()) return (error = "the network library did not start"), false;
    m_pHost = enet_host_create(pAddress, nPeers, kNetChannels, 0, 0);
    if (!m_pHost) {
        error = pAddress ? "cannot listen on port " + std::to_string(pAddress->port) : "cannot open a network socket";
        return false;
    }
    m_pHost->maximumPacketSize = kMaxNetPacketBytes;
    m_pHost->maximumWaitingData = kMaxNetWaitingBytes;
    return true;
}

bool CNetLink::Listen(uint16_t nPort, std::string& error) {
    const ENetAddress address{ENET_HOST_ANY, nPort};
    if (!Create(&address, kHostPeers, error)) return false;
    m_bHost = m_bListening = true;
    platform::Log("Network: listening on port %u", unsigned(Port()));
    return true;
}

void CNetLink::StopListening() {
    m_bListening = false;
    if (m_bHost && !m_pPeer) Close();
}

bool CNetLink::Join(const std::string& address, uint16_t nPort, std::string& error) {
    if (!Create(nullptr, 1, error)) return false;
    ENetAddress to{0, nPort};
    if (enet_address_set_host(&to, address.c_str()) != 0) {
        Close();
        return (error = "unknown address " + address), false;
    }
    m_pPeer = enet_host_connect(m_pHost, &to, kNetChannels, kNetProtocolVersion);
    if (!m_pPeer) {
        Close();
        return (error = "cannot connect to " + address), false;
    }
    TunePeer(m_pPeer);
    m_nJoinStart = enet_time_get();
    return true;
}

uint16_t CNetLink::Port() const { return m_pHost ? m_pHost->address.port : 0; }

void CNetLink::SetIntercept(ENetInterceptCallback callback) {
    if (m_pHost) m_pHost->intercept = callback;
}

SNetLinkEvent CNetLink::Poll(uint32_t nWaitMs) {
    if (!m_pHost) return {};
    ENetEvent ev;
    uint32_t nWait = nWaitMs;
    for (int i = 0; i < kMaxEventsPerPoll && m_pHost; ++i) {
        const int r = enet_host_service(m_pHost, &ev, nWait);
        nWait = 0;
        if (r < 0) return End("the network failed", ENetEnd::Quit);
        if (r == 0) break;
        SNetLinkEvent out = Handle(ev);
        if (out.type != SNetLinkEvent::EType::None) return out;
    }
    if (!m_pPeer) return {};
    if (!m_bAgreed && enet_time_get() - m_nJoinStart > kNetConnectMs) {
        if (!m_bHost) return End("no answer from the host", ENetEnd::Quit);
        // A joiner that never says its version must not keep the place of one that would.
        enet_peer_disconnect(m_pPeer, uint32_t(ENetEnd::Version));
        m_pPeer = nullptr;
        return {SNetLinkEvent::EType::Refused, {}, "turned away a player that did not say its version"};
    }
    // Both times are ENet's clock of the last service, so the difference does not wrap.
    if (m_bAgreed && m_pHost->serviceTime - m_pPeer->lastReceiveTime > kNetSilenceMs)
        return End("the other program stopped answering", ENetEnd::Quit);
    return {};
}

SNetLinkEvent CNetLink::Handle(const ENetEvent& ev) {
    switch (ev.type) {
    case ENET_EVENT_TYPE_CONNECT:
        if (m_bHost) {
            if (m_pPeer || !m_bListening) {
                enet_peer_disconnect(ev.peer, uint32_t(ENetEnd::Busy));
                return {SNetLinkEvent::EType::Refused, {}, "turned away a player: a game is running"};
            }
            m_pPeer = ev.peer;
            TunePeer(m_pPeer);
            m_nJoinStart = enet_time_get();
        }
        if (ev.peer == m_pPeer) Send(SNetHello{kNetProtocolVersion, m_program});
        return {};
    case ENET_EVENT_TYPE_RECEIVE: return Received(ev);
    case ENET_EVENT_TYPE_DISCONNECT:
        if (ev.peer != m_pPeer) return {};
        m_pPeer = nullptr;
        if (m_bHost && !m_bAgreed) return {};  // a joiner left before a game began: keep listening
        return End(ev.data >= uint32_t(ENetEnd::Quit) && ev.data <= uint32_t(ENetEnd::Protocol)
                       ? NetEndText(ENetEnd(ev.data))
                       : "the connection to the other program was lost",
                   ENetEnd::Quit);
    case ENET_EVENT_TYPE_NONE: break;
    }
    return {};
}

SNetLinkEvent CNetLink::Received(const ENetEvent& ev) {
    SNetMessage message;
    std::string error;
    const bool bOk = DecodeNetMessage({ev.packet->data, ev.packet->dataLength}, message, error);
    enet_packet_destroy(ev.packet);
    if (ev.peer != m_pPeer) return {};
    if (!bOk) {
        platform::Log("Network: refused a message: %s", error.c_str());
        return End(NetEndText(ENetEnd::Protocol), ENetEnd::Protocol);
    }
    const SNetHello* hello = std::get_if<SNetHello>(&message);
    if (m_bAgreed == (hello != nullptr)) return End(NetEndText(ENetEnd::Protocol), ENetEnd::Protocol);
    if (const SNetBye* bye = std::get_if<SNetBye>(&message)) {
        Forget();
        return End(NetEndText(bye->reason), ENetEnd::Quit);
    }
    if (m_bAgreed) return {SNetLinkEvent::EType::Message, std::move(message), {}};
    if (hello->nProtocol == kNetProtocolVersion && hello->program == m_program) {
        m_bAgreed = true;
        platform::Log("Network: playing with %s", Versions(hello->program, hello->nProtocol).c_str());
        return {SNetLinkEvent::EType::Connected, {}, {}};
    }
    const std::string text = "the other program is " + Versions(hello->program, hello->nProtocol) + ", this one is " +
                             Versions(m_program, kNetProtocolVersion);
    if (!m_bHost) return End(text, ENetEnd::Version);
    enet_peer_disconnect_later(m_pPeer, uint32_t(ENetEnd::Version));
    m_pPeer = nullptr;
    platform::Log("Network: refused a joiner: %s", text.c_str());
    return {SNetLinkEvent::EType::Refused, {}, text};
}

SNetLinkEvent CNetLink::End(const std::string& text, ENetEnd reason) {
    platform::Log("Network: the game ends: %s", text.c_str());
    Close(reason);
    return {SNetLinkEvent::EType::Ended, {}, text};
}

void CNetLink::Forget() {
    if (m_pPeer) enet_peer_reset(m_pPeer);
    m_pPeer = nullptr;
}

bool CNetLink::Send(const SNetMessage& message) {
    if (!m_pPeer || !m_pHost || m_pPeer->state != ENET_PEER_STATE_CONNECTED) return false;
    if (!m_bAgreed && !std::holds_alternative<SNetHello>(message)) return false;
    const bool bAim = std::holds_alternative<SNetAim>(message);
    const std::vector<uint8_t> bytes = EncodeNetMessage(message);
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), bAim ? 0 : ENET_PACKET_FLAG_RELIABLE);
    if (!packet) return false;
    if (enet_peer_send(m_pPeer, bAim ? kNetAimChannel : kNetMatchChannel, packet) != 0) {
        enet_packet_destroy(packet);
        return false;
    }
    enet_host_flush(m_pHost);
    return true;
}

void CNetLink::Close(ENetEnd reason) {
    if (!m_pHost) return;
    if (m_pPeer) {
        Send(SNetBye{reason});
        enet_peer_disconnect_later(m_pPeer, uint32_t(reason));
        ENetEvent ev;
        for (uint32_t t = 0; t < kCloseMs && enet_host_service(m_pHost, &ev, kCloseStepMs) >= 0; t += kCloseStepMs) {
            if (ev.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(ev.packet);
            if (ev.type == ENET_EVENT_TYPE_DISCONNECT && ev.peer == m_pPeer) break;
        }
    }
    Drop();
}

void CNetLink::Drop() {
    if (m_pHost) enet_host_destroy(m_pHost);
    m_pHost = nullptr;
    m_pPeer = nullptr;
    m_bHost = m_bListening = m_bAgreed = false;
}
