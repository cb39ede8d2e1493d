#include "net/net_discovery.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr char kBeaconTag[] = "KDARA1 ";
constexpr size_t kBeaconTagBytes = sizeof kBeaconTag - 1;
constexpr size_t kMaxPortDigits = 5;
constexpr size_t kMaxBeaconBytes = kBeaconTagBytes + kMaxPortDigits + 1 + kMaxBeaconNameBytes;
// Datagrams read in one Tick at most: a flood cannot keep the frame busy.
constexpr int kMaxDatagramsPerTick = 16;
constexpr uint32_t kMaxPort = 65535;

bool IsPrintable(char c) { return c >= ' ' && c <= '~'; }

bool ParsePort(std::string_view text, uint16_t& nPort) {
    uint32_t n = 0;
    if (text.empty() || text.size() > kMaxPortDigits) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n == 0 || n > kMaxPort) return false;
    nPort = static_cast<uint16_t>(n);
    return true;
}

// The beacon port: the game port's neighbour.
uint16_t BeaconPort(uint16_t nGamePort) { return static_cast<uint16_t>(nGamePort == kMaxPort ? 1 : nGamePort + 1); }

ENetSocket OpenDatagramSocket() {
    ENetSocket s = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    if (s == ENET_SOCKET_NULL) return s;
    enet_socket_set_option(s, ENET_SOCKOPT_NONBLOCK, 1);
    enet_socket_set_option(s, ENET_SOCKOPT_BROADCAST, 1);
    enet_socket_set_option(s, ENET_SOCKOPT_REUSEADDR, 1);
    return s;
}

void CloseSocket(ENetSocket& s) {
    if (s != ENET_SOCKET_NULL) enet_socket_destroy(s);
    s = ENET_SOCKET_NULL;
}

}  // namespace

std::string EncodeBeacon(const SBeacon& beacon) {
    std::string name;
    for (char c : beacon.name)
        if (IsPrintable(c) && name.size() < kMaxBeaconNameBytes) name += c;
    return kBeaconTag + std::to_string(beacon.nPort) + " " + name;
}

bool DecodeBeacon(std::span<const uint8_t> bytes, SBeacon& out) {
    if (bytes.size() < kBeaconTagBytes || bytes.size() > kMaxBeaconBytes) return false;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, kBeaconTagBytes) != kBeaconTag) return false;
    const std::string_view rest = text.substr(kBeaconTagBytes);
    const size_t nSpace = rest.find(' ');
    if (nSpace == std::string_view::npos) return false;
    const std::string_view name = rest.substr(nSpace + 1);
    if (name.size() > kMaxBeaconNameBytes || !std::all_of(name.begin(), name.end(), IsPrintable)) return false;
    if (!ParsePort(rest.substr(0, nSpace), out.nPort)) return false;
    out.name = std::string(name);
    return true;
}

bool SplitHostPort(const std::string& text, uint16_t nDefaultPort, std::string& host, uint16_t& nPort) {
    const size_t nSep = text.find_first_of(": ");
    host = text.substr(0, nSep);
    if (host.empty()) return false;
    nPort = nDefaultPort;
    return nSep == std::string::npos || ParsePort(std::string_view(text).substr(nSep + 1), nPort);
}

std::vector<std::string> LocalAddresses() {
    std::vector<std::string> out;
    ifaddrs* pList = nullptr;
    if (getifaddrs(&pList) == 0) {
        for (const ifaddrs* p = pList; p; p = p->ifa_next) {
            if (!p->ifa_addr || p->ifa_addr->sa_family != AF_INET) continue;
            sockaddr_in in{};
            std::memcpy(&in, p->ifa_addr, sizeof in);
            char text[INET_ADDRSTRLEN] = {};
            if (!inet_ntop(AF_INET, &in.sin_addr, text, sizeof text)) continue;
            if (std::strncmp(text, "127.", 4) != 0) out.emplace_back(text);
        }
        freeifaddrs(pList);
    }
    if (out.empty()) out.emplace_back("127.0.0.1");
    return out;
}

bool CBeaconSender::Start(uint16_t nGamePort, const std::string& name) {
    Stop();
    m_socket = OpenDatagramSocket();
    m_datagram = EncodeBeacon({nGamePort, name});
    m_nToPort = BeaconPort(nGamePort);
    return m_socket != ENET_SOCKET_NULL;
}

void CBeaconSender::Tick(uint32_t nNow) {
    if (m_socket == ENET_SOCKET_NULL || (m_bSent && nNow - m_nLastSent < kBeaconIntervalMs)) return;
    const ENetAddress to{ENET_HOST_BROADCAST, m_nToPort};
    ENetBuffer buffer{m_datagram.data(), m_datagram.size()};
    enet_socket_send(m_socket, &to, &buffer, 1);
    m_nLastSent = nNow;
    m_bSent = true;
}

void CBeaconSender::Stop() {
    CloseSocket(m_socket);
    m_bSent = false;
}

bool CBeaconListener::Start(uint16_t nGamePort) {
    Stop();
    m_socket = OpenDatagramSocket();
    const ENetAddress at{ENET_HOST_ANY, BeaconPort(nGamePort)};
    if (m_socket != ENET_SOCKET_NULL && enet_socket_bind(m_socket, &at) != 0) CloseSocket(m_socket);
    return m_socket != ENET_SOCKET_NULL;
}

void CBeaconListener::Tick(uint32_t nNow) {
    std::erase_if(m_found, [nNow](const SFoundGame& g) { return nNow - g.nHeardAt > kBeaconLifeMs; });
    if (m_socket == ENET_SOCKET_NULL) return;
    for (int i = 0; i < kMaxDatagramsPerTick; ++i) {
        uint8_t data[kMaxBeaconBytes + 1];
        ENetBuffer buffer{data, sizeof data};
        ENetAddress from{};
        const int n = enet_socket_receive(m_socket, &from, &buffer, 1);
        if (n <= 0) break;
        SBeacon beacon;
        if (!DecodeBeacon(std::span<const uint8_t>(data, static_cast<size_t>(n)), beacon)) continue;
        char text[INET_ADDRSTRLEN] = {};
        in_addr a{};
        a.s_addr = from.host;
        if (!inet_ntop(AF_INET, &a, text, sizeof text)) continue;
        const auto same = [&](const SFoundGame& g) { return g.address == text && g.beacon.nPort == beacon.nPort; };
        if (auto it = std::find_if(m_found.begin(), m_found.end(), same); it != m_found.end())
            it->nHeardAt = nNow;
        else if (m_found.size() < kMaxFoundGames)
            m_found.push_back({text, beacon, nNow});
    }
}

void CBeaconListener::Stop() {
    CloseSocket(m_socket);
    m_found.clear();
}
