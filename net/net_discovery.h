// Finding a game on the local network without typing its address: a hosting program says its
// name and port a few times a second by UDP broadcast on the game port + 1, and a joiner on the
// network screen lists who it heard. Plain datagrams, never a connection; one thread owns each
// object and nothing waits.
#pragma once

#include <enet/enet.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The longest host name a beacon carries.
inline constexpr size_t kMaxBeaconNameBytes = 32;
// A host heard no longer than this ago is listed.
inline constexpr uint32_t kBeaconLifeMs = 3000;
inline constexpr uint32_t kBeaconIntervalMs = 500;
// At most this many hosts are listed.
inline constexpr size_t kMaxFoundGames = 4;

struct SBeacon {
    uint16_t nPort = 0;
    std::string name;
};
struct SFoundGame {
    std::string address;  // dotted, as it can be joined
    SBeacon beacon;
    uint32_t nHeardAt = 0;
};

std::string EncodeBeacon(const SBeacon& beacon);
// False for anything that is not exactly one beacon of this program (a printable name,
// a port above 0).
bool DecodeBeacon(std::span<const uint8_t> bytes, SBeacon& out);
// "host", "host:port" or "host port"; false with no host or a port outside 1..65535.
bool SplitHostPort(const std::string& text, uint16_t nDefaultPort, std::string& host, uint16_t& nPort);
// This machine's IPv4 addresses but the loopback; "127.0.0.1" when there is no other.
std::vector<std::string> LocalAddresses();

// The host's side: one datagram every kBeaconIntervalMs from Tick.
class CBeaconSender {
public:
    CBeaconSender() = default;
    ~CBeaconSender() { Stop(); }
    CBeaconSender(const CBeaconSender&) = delete;
    CBeaconSender& operator=(const CBeaconSender&) = delete;
    bool Start(uint16_t nGamePort, const std::string& name);
    void Tick(uint32_t nNow);
    void Stop();

private:
    ENetSocket m_socket = ENET_SOCKET_NULL;
    std::string m_datagram;
    uint16_t m_nToPort = 0;
    uint32_t m_nLastSent = 0;
    bool m_bSent = false;
};

// The joiner's side: reads what arrived, at most a few datagrams a call.
class CBeaconListener {
public:
    CBeaconListener() = default;
    ~CBeaconListener() { Stop(); }
    CBeaconListener(const CBeaconListener&) = delete;
    CBeaconListener& operator=(const CBeaconListener&) = delete;
    bool Start(uint16_t nGamePort);
    void Tick(uint32_t nNow);
    void Stop();
    const std::vector<SFoundGame>& Found() const { return m_found; }

private:
    ENetSocket m_socket = ENET_SOCKET_NULL;
    std::vector<SFoundGame> m_found;
};
