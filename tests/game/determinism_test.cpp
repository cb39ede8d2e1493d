// The physics gives the same bits on every build.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/flick_set.h"
#include "physics/desk_hash.h"
#include "physics/flick_simulation.h"

namespace {

void HashPosition(CFnvHash& h, const CDesk& d) {
    for (const CCheck& c : d.m_aChecks) {
        for (int n : {int(c.m_bOnDesk), int(c.m_bFalling), int(c.m_bMoving)}) h.Add(n);
        for (float f : {c.m_fX, c.m_fY, c.m_fSpin}) h.Add(f);
        h.Add(c.m_nExitEdge);
        for (float f : {c.m_fTiltAxisX, c.m_fTiltAxisZ}) h.Add(f);
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
