// The discovery beacon's form and the address a player types.
#include <gtest/gtest.h>

#include <string>

#include "net/net_discovery.h"

namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

TEST(NetDiscoveryTest, BeaconsDecodeOnlyWhenWhole) {
    const struct {
        std::string text;
        bool bOk;
        uint16_t nPort;
    } cases[] = {
        {EncodeBeacon({47125, "table"}), true, 47125}, {"KDARA1 1 ", true, 1},
        {"KDARA1 0 x", false, 0},     {"KDARA1 65536 x", false, 0}, {"KDARA1 12x x", false, 0},
        {"KDARA2 47125 x", false, 0}, {"KDARA1 47125", false, 0},   {"KDARA1 47125 a\x01", false, 0},
        {"KDARA1 47125 " + std::string(kMaxBeaconNameBytes + 1, 'n'), false, 0},
    };
    for (const auto& c : cases) {
        SBeacon b;
        EXPECT_EQ(c.bOk, DecodeBeacon(Bytes(c.text), b)) << c.text;
        if (c.bOk) {
            EXPECT_EQ(c.nPort, b.nPort) << c.text;
        }
    }
    SBeacon b;
    ASSERT_TRUE(DecodeBeacon(Bytes(EncodeBeacon({7, std::string(40, 'x') + "\n"})), b));
    EXPECT_EQ(std::string(kMaxBeaconNameBytes, 'x'), b.name) << "the name is cut to printable bytes";
}

TEST(NetDiscoveryTest, TypedAddressesSplitIntoHostAndPort) {
    const struct {
        const char* text;
        bool bOk;
        const char* host;
        uint16_t nPort;
    } cases[] = {
        {"10.0.0.2", true, "10.0.0.2", 47125}, {"10.0.0.2:5000", true, "10.0.0.2", 5000},
        {"box 6000", true, "box", 6000},       {":5000", false, "", 0},
        {"box:", false, "box", 0},             {"box:0", false, "box", 0},
        {"box:99999", false, "box", 0},        {"", false, "", 0},
    };
    for (const auto& c : cases) {
        std::string host;
        uint16_t nPort = 0;
        EXPECT_EQ(c.bOk, SplitHostPort(c.text, 47125, host, nPort)) << c.text;
        if (c.bOk) {
            EXPECT_EQ(std::make_pair(std::string(c.host), c.nPort), std::make_pair(host, nPort)) << c.text;
        }
    }
}

}  // namespace
