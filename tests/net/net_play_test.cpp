// Two lockstep sessions over ENet on the loopback: whole quick games on every board by both rules
// stay equal after every flick, also through lost, late and reordered datagrams and a damaged
// position; a dead peer is reported in time. The messages' decoder refuses every bad field.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <random>

#include "ai/kick_ai.h"
#include "core/game_settings.h"
#include "game/layout.h"
#include "game/match_logic.h"
#include "net/lockstep_session.h"
#include "physics/desk_hash.h"
#include "physics/flick_simulation.h"

namespace {

using EType = SSessionEvent::EType;
using Clock = std::chrono::steady_clock;
const SPhysicsConstants kPhysics;

struct SSide {
    explicit SSide(const char* program = "1.0") : session(desk, s, program) { desk.SetSettings(&s); }
    CGameSettings s;
    CDesk desk;
    CLockstepSession session;
    CGLObject white, black;
    int nStarted = 0, nTaken = 0;
    bool bDamage = false;  // nudge a draught before the next rest check
    std::string ended, refused;
    Clock::time_point endedAt;
};

// A draught of a side on the board.
int Own(const CDesk& desk, int nSide) {
    int i = 0;
    while (i + 1 < kCheckCount && !(desk.m_aChecks[i].m_bOnDesk && desk.m_aChecks[i].m_nSide == nSide)) ++i;
    return i;
}

// A flick has come to rest on p: the position may be damaged first, then checked.
void Rest(SSide& p, int nCheck) {
    KeepFlickOutcome(RunFlick(kPhysics, MakeFlickInput(p.s), nCheck, p.desk, p.s.m_aMovers, false, nullptr), p.s);
    if (std::exchange(p.bDamage, false)) p.desk.m_aChecks[Own(p.desk, SIDE_WHITE)].m_fX += 0.01f;
    p.session.FlickRested();
}

std::string RecordText(const SSide& p) {
    std::string text;
    for (const SRecordFlick& f : p.session.Flicks()) text += FormatFlickLine(f) + "\n";
    return text;
}

void Handle(SSide& p, const SSessionEvent& e) {
    if ((e.type == EType::Started || e.type == EType::Next) && ++p.nStarted) BuildLayout(p.desk, 0, 0, p.white, p.black);
    if (e.type == EType::RemoteFlick) Rest(p, e.nCheck);
    if (e.type == EType::PositionTaken) ++p.nTaken;
    if (e.type == EType::Ended) p.ended = e.text, p.endedAt = Clock::now();
    if (e.type == EType::Refused) p.refused = e.text;
}

// Received datagrams: one in twenty lost, more held back up to 80 ms. A held one comes in when
// Pump pokes its host with a byte from elsewhere, in the poke's place and with its own sender.
struct SHeld { uint32_t nDue; ENetAddress from; std::vector<uint8_t> bytes; };
std::mt19937 g_rng(7);
std::map<ENetHost*, std::deque<SHeld>> g_held;
int g_nTouched = 0;  // datagrams lost or held
int Lossy(ENetHost* host, ENetEvent*) {
    auto& held = g_held[host];
    const uint32_t now = enet_time_get(), roll = g_rng() % 100;
    if (host->receivedDataLength == 1) {
        if (held.empty() || held.front().nDue > now) return 1;
        SHeld& h = held.front();
        host->receivedAddress = h.from, host->receivedDataLength = h.bytes.size();
        std::memcpy(host->receivedData, h.bytes.data(), h.bytes.size());
        return held.pop_front(), 0;
    }
    g_nTouched += roll < 20;
    if (roll < 5 || roll >= 20 || held.size() >= 8) return roll < 5;
    held.push_back({now + uint32_t(g_rng() % 80), host->receivedAddress, {host->receivedData, host->receivedData + host->receivedDataLength}});
    return 1;
}
void PokeHeld() {
    static const ENetSocket poke = enet_socket_create(ENET_SOCKET_TYPE_DATAGRAM);
    static ENetBuffer byte{const_cast<char*>("p"), 1};
    for (auto& [host, held] : g_held) {
        ENetAddress to;
        if (!held.empty() && held.front().nDue <= enet_time_get() && enet_socket_get_address(host->socket, &to) == 0)
            to.host = ENET_HOST_TO_NET_32(0x7f000001), enet_socket_send(poke, &to, &byte, 1);
    }
}

bool Pump(std::initializer_list<SSide*> sides, const std::function<bool()>& done, int nMs = 6000) {
    for (const auto deadline = Clock::now() + std::chrono::milliseconds(nMs); !done(); PokeHeld())
        if (Clock::now() > deadline) return false;
        else for (SSide* p : sides) Handle(*p, p->session.Poll(1));
    return true;
}

void Connect(SSide& host, SSide& join) {
    std::string error;
    ASSERT_TRUE(host.session.Link().Listen(0, error)) << error;
    ASSERT_TRUE(join.session.Link().Join("127.0.0.1", host.session.Link().Port(), error)) << error;
    ASSERT_TRUE(Pump({&host, &join}, [&] { return host.nStarted && join.nStarted; }));
}

// A quick game to its end, the computer's flick for either side, both equal after every flick.
void PlayGame(SSide& host, SSide& join, int nRule, bool bDamage, uint32_t& n) {
    int nSide = SIDE_WHITE, nWhite = kChecksPerSide, nBlack = kChecksPerSide;
    for (const uint32_t nFirst = n; nWhite > 0 && nBlack > 0 && n < nFirst + 300; ++n) {
        SSide& mover = nSide == host.session.LocalSide() ? host : join;
        ai::SCompMove move;
        ASSERT_TRUE(ai::ComputeCompMove(kPhysics, mover.s, mover.desk, nSide, {}, 1, move));
        ai::WriteCompMove(move, mover.s, mover.desk);
        ASSERT_TRUE(mover.session.SendFlick(move.nCheck));
        EXPECT_FALSE(mover.session.SendFlick(move.nCheck)) << "a second flick before the first rests";
        join.bDamage = bDamage && n == 3;
        Rest(mover, move.nCheck);
        ASSERT_TRUE(Pump({&host, &join}, [&] { return host.session.CanFlick() && join.session.CanFlick(); }))
            << "flick " << n << " " << host.ended << join.ended;
        ASSERT_EQ(RestPositionHash(host.desk), RestPositionHash(join.desk)) << "flick " << n;
        mover.desk.CountOnDesk(nWhite, nBlack);
        if (!KeepsMove(nRule, nSide, mover.s.m_nKnockedWhite, mover.s.m_nKnockedBlack)) nSide = OtherSide(nSide);
    }
    EXPECT_TRUE((nWhite == 0 || nBlack == 0) && host.ended + join.ended == "") << "the game did not end";
}

std::vector<uint8_t> Bytes(const SNetMessage& m, size_t nAt = 0, int nValue = -1, size_t nCut = 0) {
    std::vector<uint8_t> b = EncodeNetMessage(m);
    if (nValue >= 0) b.resize(std::max(b.size(), nAt + 1)), b[nAt] = uint8_t(nValue);
    if (nCut) b.resize(nCut);
    return b;
}

TEST(NetMessages, EveryMessageReadsBackAndEveryBadFieldIsRefused) {
    SNetPosition position{9, {}};
    for (SNetDraught& d : position.draughts) d = {SIDE_BLACK, true, 1.5f, -2.0f, -0.0f};
    const SNetFlick flick{7, 19, {-7.0f, 9.0f, -0.6f, 0.8f, 2.5f}, 0x0123456789abcdef};
    const SNetMessage good[] = {SNetHello{1, "0.1.0"}, SNetSetup{2, 2, 1, 1}, flick, SNetCheck{3, 1ull << 63},
                                position, SNetAim{{1, 2, 3}, {-4, 5, 0}}, SNetBye{ENetEnd::Protocol}, SNetNext{ENetNext::NewMatch, 5}};
    SNetMessage back;
    std::string error;
    for (const SNetMessage& m : good)  // the type byte included
        EXPECT_EQ(EncodeNetMessage(m), DecodeNetMessage(EncodeNetMessage(m), back, error) ? EncodeNetMessage(back) : Bytes(SNetBye{}));
    auto launch = [&](SFlickLaunch l) { return SNetFlick{0, 0, l, 0}; };
    position.draughts[19].fHeight = 101.0f;
    const struct { std::vector<uint8_t> bytes; const char* error; } bad[] = {
        {{}, "unknown message type"}, {{0}, "unknown message type"}, {{9, 0}, "unknown message type"},
        {Bytes(SNetHello{1, "1"}, 5, 33), "bad hello"}, {Bytes(SNetHello{1, "1"}, 6, 0x7f), "bad program version"},
        {Bytes(SNetSetup{3, 0, 0, 0}), "bad setup"}, {Bytes(SNetSetup{0, 3, 0, 0}), "bad setup"}, {Bytes(SNetSetup{0, 0, 2, 0}), "bad setup"},
        {Bytes(SNetSetup{0, 0, 0, 2}), "bad setup"}, {Bytes(SNetFlick{0, 20, {}, 0}), "bad flick"}, {Bytes(flick, 0, -1, 33), "bad flick"},
        {Bytes(launch({NAN, 0, 1, 0, 0})), "flick launch out of range"}, {Bytes(launch({9, 9, 0.7f, 0.7f, 0})), "flick launch out of range"},
        {Bytes(launch({1, 0, 1.5f, 0, 0})), "flick launch out of range"}, {Bytes(launch({1, 0, 1, 0, INFINITY})), "flick launch out of range"},
        {Bytes(SNetCheck{}, 0, -1, 12), "bad check"}, {Bytes(SNetCheck{}, 13, 0), "bytes after the message"},
        {Bytes(position), "bad draught in position"}, {Bytes(SNetPosition{}), "bad draught in position"},
        {Bytes(position, 6, 2), "bad draught in position"}, {Bytes(SNetAim{{0, 0, 0}, {0, -101, 0}}), "aim out of range"},
        {Bytes(SNetBye{}, 1, 0), "bad bye"}, {Bytes(SNetBye{}, 1, 5), "bad bye"}, {Bytes(SNetNext{}, 1, 2), "bad next choice"},
    };
    for (const auto& c : bad) EXPECT_EQ(c.error, DecodeNetMessage(c.bytes, back, error) ? "taken" : error);
}

TEST(NetPlay, WholeGamesStayEqualAfterEveryFlickOnEveryBoardAndRule) {
    struct SCase { int nBoard, nRule; bool bLossy, bDamage; } cases[] = {
        {BOARD_SQUARE, TURN_BY_TURN, false, false}, {BOARD_ROUND, TURN_TO_A_MISS, true, true},
        {BOARD_TWELVE, TURN_BY_TURN, true, false},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "board " << c.nBoard << " rule " << c.nRule << " lossy " << c.bLossy);
        SSide host, join;
        host.s.BoardType = host.s.CheckType = c.nBoard, host.s.TurnType = c.nRule;
        g_held.clear();  // of hosts gone
        ASSERT_NO_FATAL_FAILURE(Connect(host, join));
        if (c.bLossy) host.session.Link().SetIntercept(Lossy), join.session.Link().SetIntercept(Lossy);
        EXPECT_TRUE(join.s.CheckType == c.nBoard && join.s.TurnType == c.nRule && join.s.m_nPlayers == 3);
        uint32_t n = 0;
        ASSERT_NO_FATAL_FAILURE(PlayGame(host, join, c.nRule, c.bDamage, n));
        EXPECT_TRUE(host.session.Played() == n && join.session.Played() == n && host.session.Flicks().size() == n);
        EXPECT_EQ(RecordText(host), RecordText(join));
        EXPECT_TRUE(join.nTaken == c.bDamage && host.session.Mismatches() == c.bDamage);
    }
    g_held.clear();
    EXPECT_GT(g_nTouched, 10) << "the lossy link lost or held too little to tell";
}

TEST(NetPlay, OtherVersionsAndSecondJoinersAreTurnedAwayWithAMessage) {
    SSide host, old("0.9"), first, second;
    std::string error;
    ASSERT_TRUE(host.session.Link().Listen(0, error)) << error;
    const struct { SSide* joiner; std::string joinerText, hostText; } cases[] = {
        {&old, "the other program is version 1.0 (protocol 2), this one is version 0.9 (protocol 2)",
         "the other program is version 0.9 (protocol 2), this one is version 1.0 (protocol 2)"},
        {&first, "", ""}, {&second, "the host is already playing a game", "turned away a player: a game is running"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.joiner->session.Link().Join("localhost", host.session.Link().Port(), error)) << error;
        host.refused.clear();
        Pump({&host, c.joiner}, [&] { return !c.joiner->ended.empty() || c.joiner->nStarted; });
        EXPECT_EQ(c.joinerText, c.joiner->ended);
        EXPECT_EQ(c.hostText, host.refused);
    }
    EXPECT_TRUE(first.session.Link().IsConnected() && host.nStarted == 1 && host.ended.empty());
}

TEST(NetPlay, APeerThatDiesMidFlickOrLeavesWhileTheOtherWaitsIsReportedWithinFiveSeconds) {
    for (int nCase : {0, 1, 2}) {  // the joiner dies mid-flick, the host does, the joiner leaves
        SSide host, join;
        ASSERT_NO_FATAL_FAILURE(Connect(host, join));
        const int nCheck = Own(host.desk, SIDE_WHITE);
        if (nCase == 2) {
            ASSERT_TRUE(host.session.ChooseNext(ENetNext::NewMatch));
            join.session.Link().Close();
        } else {
            ASSERT_TRUE(ApplyLaunch({3.0f, 0.0f, 1.0f, 0.0f, 0.0f}, nCheck, host.desk, host.s) && host.session.SendFlick(nCheck));
            (nCase ? host : join).session.Link().Drop();
        }
        SSide& left = nCase == 1 ? join : host;
        const auto start = Clock::now();
        Pump({&left}, [&] { return !left.ended.empty(); });
        EXPECT_TRUE(!left.ended.empty() && left.endedAt - start < std::chrono::seconds(5)) << left.ended;
    }
}

// Both choose the next set only after the last flick agreed: one side waits alone, then both lay
// out at once and the flick count, checks and record go on.
TEST(NetPlay, BothChooseTheNextSetAndPlayItFromOnePosition) {
    SSide host, join;
    ASSERT_NO_FATAL_FAILURE(Connect(host, join));
    uint32_t n = 0;
    ASSERT_NO_FATAL_FAILURE(PlayGame(host, join, TURN_BY_TURN, false, n));
    ASSERT_TRUE(host.session.ChooseNext(ENetNext::NextSet));
    EXPECT_FALSE(Pump({&host, &join}, [&] { return host.nStarted > 1; }, 200));
    EXPECT_TRUE(host.session.WaitsForOther() && !join.session.WaitsForOther());
    ASSERT_TRUE(join.session.ChooseNext(ENetNext::NextSet));
    ASSERT_TRUE(Pump({&host, &join}, [&] { return host.nStarted == 2 && join.nStarted == 2; }));
    EXPECT_TRUE(!host.session.WaitsForOther() && RestPositionHash(host.desk) == RestPositionHash(join.desk));
    const uint32_t nFirstSet = n;
    ASSERT_NO_FATAL_FAILURE(PlayGame(host, join, TURN_BY_TURN, false, n));
    EXPECT_TRUE(n > nFirstSet && join.session.Played() == n && host.session.Flicks().size() == n);
    EXPECT_EQ(RecordText(host), RecordText(join));
}

}  // namespace
