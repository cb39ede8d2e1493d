// The physics gives the same bits on every build, and the look-ahead predicts the real flick.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "flick_set.h"
#include "log_capture.h"
#include "physics/flick_simulation.h"
#include "physics/kick_physics.h"
#include "position_builder.h"

namespace {

class CHash {
public:
    void Add(uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_h ^= (v >> (8 * i)) & 0xFFu;
            m_h *= 1099511628211ull;
        }
    }
    void Add(float f) { Add(std::bit_cast<uint32_t>(f)); }
    void Add(int v) { Add(uint32_t(v)); }
    uint64_t Value() const { return m_h; }

private:
    uint64_t m_h = 1469598103934665603ull;
};

void HashPosition(CHash& h, const CDesk& d) {
    for (const CCheck& c : d.m_aChecks) {
        h.Add(int(c.m_bOnDesk));
        h.Add(int(c.m_bFalling));
        h.Add(int(c.m_bMoving));
        h.Add(c.m_fX);
        h.Add(c.m_fY);
        h.Add(c.m_fSpin);
        h.Add(c.m_nExitEdge);
        h.Add(c.m_fTiltAxisX);
        h.Add(c.m_fTiltAxisZ);
    }
}

struct CCountingRecorder : IStepRecorder {
    int nSteps = 0;
    CDesk last;
    bool RecordStep(const CDesk& step) override {
        ++nSteps;
        last = step;
        return true;
    }
};

}  // namespace

TEST(Determinism, FixedFlickSetHashesToTheStoredValue) {
    const SPhysicsConstants k;
    CHash h;
    int nKnocked = 0, nSteps = 0;
    for (const SFlickCase& c : MakeFlickSet(1200)) {
        CGameSettings s;
        CDesk d = PrepareFlick(c, s);
        CCountingRecorder rec;
        ASSERT_EQ(RunFlick(k, s, c.nCheck, d, false, &rec), EFlickEnd::Rest);
        HashPosition(h, d);
        h.Add(s.m_nKnockedWhite);
        h.Add(s.m_nKnockedBlack);
        nKnocked += s.m_nKnockedWhite + s.m_nKnockedBlack;
        nSteps += rec.nSteps;
    }
    // The set is meant to knock draughts off: a physics that never collides must not pass.
    EXPECT_GT(nKnocked, 1000);
    RecordProperty("steps", nSteps);
    EXPECT_EQ(h.Value(), 0x5fc8dc6c7f89cca0ull) << std::hex << "hash 0x" << h.Value() << std::dec << " over " << nSteps
                                 << " steps, " << nKnocked << " knocked off";
}

TEST(Determinism, AnimatedRunEndsWhereTheLookAheadPredicted) {
    const SPhysicsConstants k;
    int nCompared = 0, nFalls = 0;
    for (const SFlickCase& c : MakeFlickSet(450, 777u)) {
        CGameSettings s1, s2;
        CDesk look = PrepareFlick(c, s1);
        CDesk real = PrepareFlick(c, s2);
        ASSERT_EQ(RunFlick(k, s1, c.nCheck, look, false, nullptr), EFlickEnd::Rest);
        CCountingRecorder rec;
        ASSERT_EQ(RunFlick(k, s2, c.nCheck, real, true, &rec), EFlickEnd::Rest);
        SCOPED_TRACE(testing::Message() << "board " << c.nBoard << " material " << c.nMaterial << " draught "
                                        << c.nCheck << " v (" << c.vx << ", " << c.vy << ")");
        EXPECT_EQ(s1.m_nKnockedWhite, s2.m_nKnockedWhite);
        EXPECT_EQ(s1.m_nKnockedBlack, s2.m_nKnockedBlack);
        for (int i = 0; i < kCheckCount; ++i) {
            const CCheck& a = look.m_aChecks[i];
            const CCheck& b = real.m_aChecks[i];
            ASSERT_EQ(a.m_bOnDesk, b.m_bOnDesk) << "draught " << i;
            if (a.m_bOnDesk) {
                EXPECT_EQ(a.m_fX, b.m_fX) << "draught " << i;
                EXPECT_EQ(a.m_fY, b.m_fY) << "draught " << i;
            } else {
                ++nFalls;
                EXPECT_EQ(a.m_bFalling, 1) << "look-ahead leaves knocked-off draughts falling";
                EXPECT_EQ(b.m_bFalling, 0) << "the animated fall has ended";
                EXPECT_EQ(a.m_nExitEdge, b.m_nExitEdge);
            }
        }
        ++nCompared;
    }
    EXPECT_EQ(nCompared, 450);
    EXPECT_GT(nFalls, 300);
}

TEST(Determinism, WedgedDraughtsEndTheFlickAtRestWhereTheyLie) {
    // Square board, wood. Case 0, the computer against itself: draught 1 flicked into 2, the two
    // then hand the same speeds back and forth every step. Case 1, two players clicking (the
    // board points the aim read): white flicks 10, then black's 0 wedges against 11 and 13,
    // their speeds shrinking a little with every exchange.
    const float kAt[kCheckCount][2] = {
        {-0.543600023f, -0.0604000092f}, {-0.422800004f, -0.0604000092f}, {-0.302000016f, -0.0604000092f},
        {-0.181200027f, -0.0604000092f}, {-0.0635259151f, -0.0603997819f}, {0.0552004687f, -0.0604113713f},
        {0.174968973f, -0.0599505007f},  {0.279988617f, -0.125162885f},    {},
        {0.543600023f, -0.0604000092f},  {-0.563031614f, 0.0604000092f},   {-0.447026998f, 0.0604000092f},
        {-0.33101818f, 0.0604000092f},   {-0.214853659f, 0.0604000986f},   {-0.0987475738f, 0.0603976138f},
        {0.0173735823f, 0.0604540408f},  {0.133374199f, 0.059498705f},     {0.248875082f, 0.0709131211f},
        {0.373753726f, 0.0108619118f},   {0.543600023f, 0.0604000092f}};
    const SPhysicsConstants k;
    for (int nCase = 0; nCase < 2; ++nCase) {
        CDesk end[2];
        for (int animate = 0; animate < 2; ++animate) {
            SCOPED_TRACE(testing::Message() << "case " << nCase << " animate " << animate);
            CGameSettings s;
            s.BoardType = BOARD_SQUARE;
            s.CheckType = CHECK_WOOD;
            CDesk d = StartDesk(s);
            CKickPhysics aim;
            aim.SetSettings(&s);
            float white[2][3] = {{-0x1.1652bep-1f, 0.05f, 0x1.1652bep-1f}, {-0x1.5477eap-1f, 0x1.67216cp-1f, 0x1.67216cp-1f}};
            float black[2][3] = {{-0x1.1652bep-1f, 0.05f, -0x1.1652bep-1f}, {-0x1.3f24fep-1f, -0x1.43cb26p-1f, -0x1.43cb26p-1f}};
            const int nCheck = nCase ? 0 : 1;
            if (nCase) {
                ASSERT_TRUE(aim.MakeFlick(10, white[0], white[1], d.m_aChecks[10]));
                ASSERT_EQ(RunFlick(k, s, 10, d, true, nullptr), EFlickEnd::Rest);
                ASSERT_TRUE(aim.MakeFlick(nCheck, black[0], black[1], d.m_aChecks[nCheck]));
            } else {
                for (int i = 0; i < kCheckCount; ++i) d.m_aChecks[i].Init(kAt[i][0], kAt[i][1], d.m_aChecks[i].m_nSide);
                d.m_aChecks[8].m_bOnDesk = 0;
                Launch(d, s, nCheck, 3.83980846f, 1.05425763f);
            }
            CLogCapture log;
            CCountingRecorder rec;
            EXPECT_EQ(RunFlick(k, s, nCheck, d, animate != 0, &rec), EFlickEnd::Rest);
            EXPECT_EQ(log.All(), "");
            EXPECT_LT(rec.nSteps, 250) << "the draughts are held after 44 (case 0) and 95 (case 1) steps";
            EXPECT_EQ(s.m_nKnockedWhite + s.m_nKnockedBlack, 0);
            for (const CCheck& c : rec.last.m_aChecks) EXPECT_EQ(c.m_bMoving, 0) << "the last step shows them at rest";
            end[animate] = d;
        }
        for (int i = 0; i < kCheckCount; ++i) {
            EXPECT_EQ(end[0].m_aChecks[i].m_fX, end[1].m_aChecks[i].m_fX) << "the look-ahead predicts the real flick";
            EXPECT_EQ(end[0].m_aChecks[i].m_fY, end[1].m_aChecks[i].m_fY);
        }
    }
}
