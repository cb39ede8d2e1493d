// The physics gives the same bits on every build, and the look-ahead predicts the real flick.
#include <gtest/gtest.h>

#include <cstring>

#include "flick_set.h"
#include "physics/desk_hash.h"
#include "physics/flick_simulation.h"

namespace {

void HashPosition(CFnvHash& h, const CDesk& d) {
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
    bool RecordStep(const CDesk&) override {
        ++nSteps;
        return true;
    }
};

}  // namespace

TEST(Determinism, FixedFlickSetHashesToTheStoredValue) {
    const SPhysicsConstants k;
    CFnvHash h;
    int nKnocked = 0, nSteps = 0;
    for (const SFlickCase& c : MakeFlickSet(1200)) {
        CGameSettings s;
        CDesk d = PrepareFlick(c, s);
        CCountingRecorder rec;
        const SFlickOutcome o = RunFlick(k, MakeFlickInput(s), c.nCheck, d, s.m_aMovers, false, &rec);
        ASSERT_EQ(o.end, EFlickEnd::Rest);
        HashPosition(h, d);
        h.Add(o.nKnockedWhite);
        h.Add(o.nKnockedBlack);
        nKnocked += o.nKnockedWhite + o.nKnockedBlack;
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
        const SFlickOutcome o1 = RunFlick(k, MakeFlickInput(s1), c.nCheck, look, s1.m_aMovers, false, nullptr);
        CCountingRecorder rec;
        const SFlickOutcome o2 = RunFlick(k, MakeFlickInput(s2), c.nCheck, real, s2.m_aMovers, true, &rec);
        ASSERT_EQ(o1.end, EFlickEnd::Rest);
        ASSERT_EQ(o2.end, EFlickEnd::Rest);
        SCOPED_TRACE(testing::Message() << "board " << c.nBoard << " material " << c.nMaterial << " draught "
                                        << c.nCheck << " v (" << c.vx << ", " << c.vy << ")");
        EXPECT_EQ(o1.nKnockedWhite, o2.nKnockedWhite);
        EXPECT_EQ(o1.nKnockedBlack, o2.nKnockedBlack);
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
