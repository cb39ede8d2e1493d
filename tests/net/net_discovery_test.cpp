// The discovery beacon's form and the address a player types.
#include <gtest/gtest.h>

#include <string>

#include "net/net_discovery.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(NetDiscoveryTest, BeaconsDecodeOnlyWhenWhole) {
    const struct { std::string text; uint16_t nPort; } cases[] = {  // port 0: refused
        {EncodeBeacon({47125, "table"}), 47125}, {"KDARA1 1 ", 1}, {"KDARA1 0 x", 0}, {"KDARA1 65536 x", 0},
        {"KDARA1 12x x", 0}, {"KDARA2 47125 x", 0}, {"KDARA1 47125", 0}, {"KDARA1 47125 a\x01", 0},
        {"KDARA1 47125 " + std::string(kMaxBeaconNameBytes + 1, 'n'), 0},
    };
    for (const auto& c : cases) {
        SBeacon b;
        EXPECT_EQ(c.nPort != 0, DecodeBeacon(Bytes(c.text), b)) << c.text;
        EXPECT_TRUE(c.nPort == 0 || c.nPort == b.nPort) << c.text;
    }
    SBeacon b;
    ASSERT_TRUE(DecodeBeacon(Bytes(EncodeBeacon({7, std::string(40, 'x') + "\n"})), b));
    EXPECT_EQ(std::string(kMaxBeaconNameBytes, 'x'), b.name) << "the name is cut to printable bytes";
}

TEST(NetDiscoveryTest, TypedAddressesSplitIntoHostAndPort) {
    const struct { const char *text, *host; uint16_t nPort; } cases[] = {  // port 0: refused
        {"10.0.0.2", "10.0.0.2", 47125}, {"10.0.0.2:5000", "10.0.0.2", 5000}, {"box 6000", "box", 6000},
        {":5000", "", 0}, {"box:", "", 0}, {"box:0", "", 0}, {"box:99999", "", 0}, {"", "", 0},
    };
    for (const auto& c : cases) {
        std::string host;
        uint16_t nPort = 0;
        EXPECT_EQ(c.nPort != 0, SplitHostPort(c.text, 47125, host, nPort)) << c.text;
        if (c.nPort) { EXPECT_EQ(std::make_pair(std::string(c.host), c.nPort), std::make_pair(host, nPort)) << c.text; }
    }
}

}  // namespace
