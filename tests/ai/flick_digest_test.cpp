// Digests of everything the simulation and the computer's search write, taken on fixed
// flicks and moves: any change of a single bit anywhere in them shows.
#include <gtest/gtest.h>

#include <bit>

#include "ai/kick_ai.h"
#include "physics/flick_simulation.h"
#include "platform/crt_rand.h"
#include "tests/support/flick_set.h"

namespace {

class CDigest {
public:
    void Add(uint32_t v) { m_h = (m_h ^ v) * 1099511628211ull; }
    void Add(int32_t v) { Add(uint32_t(v)); }
    void Add(float f) { Add(std::bit_cast<uint32_t>(f)); }
    template <class T> void Add(std::initializer_list<T> values) { for (T v : values) Add(v); }
    void Add(const CCheck& c) {
        Add({c.m_fX, c.m_fY, c.m_fHeight, c.m_fPrevX, c.m_fPrevY, c.m_fExitX, c.m_fExitY, c.m_fTiltScale, c.m_fStartX,
             c.m_fStartY, c.m_fSlideTime, c.m_fFallTime, c.m_fSpeed, c.m_fSpin0, c.m_fSpin, c.m_fSpinAngle, c.m_fVx0,
             c.m_fVy0, c.m_fVx, c.m_fVy, c.m_fAimCos, c.m_fDirX, c.m_fDirY, c.m_fTilt, c.m_fTiltAxisZ, c.m_fTiltAxisX});
        Add({c.m_bFalling, c.m_bOnDesk, int32_t(c.m_bJustHit), c.m_nExitEdge, c.m_bMoving});
    }
    void Add(const CDesk& d) {
        for (const CCheck& c : d.m_aChecks) Add(c);
        Add({d.m_bKnock, d.m_nKnockVolume});
    }
    void AddMovers(const CGameSettings& s) {
        for (const SMover& m : s.m_aMovers) Add({m.nCheck, int32_t(m.bActive)});
        Add({s.m_nKnockedWhite, s.m_nKnockedBlack});
    }
    uint64_t Value() const { return m_h; }

private:
    uint64_t m_h = 1469598103934665603ull;
};

struct CDigestRecorder : IStepRecorder {
    CDigest& digest;
    explicit CDigestRecorder(CDigest& d) : digest(d) {}
    bool RecordStep(const CDesk& step) override { return digest.Add(step), true; }
};

std::string Hex(uint64_t v) { return (testing::Message() << std::hex << "0x" << v).GetString(); }

// The flicks of one set, each from a fresh start position.
struct SFlickDigest {
    const char* szName;
    bool bAnimate, bRecord;
    int nCount;
    uint32_t nSeed;
    uint64_t nSteps, nEnds;  // digest of every recorded step (when recorded); of the movers, counts and positions at the end
};

}  // namespace

// The animated set is run once more as a look-ahead, which must predict where it ends.
TEST(FlickDigest, StepsMoversAndCountsOfTheFixedFlicks) {
    const SFlickDigest kSets[] = {
        {"animated, recorded", true, true, 450, 777u, 0x6f4c9777b2caf9b4, 0xb5da901a547c4369},
        {"look-ahead, recorded", false, true, 450, 4242u, 0x4780f8ca66483cb1, 0x30c28d91a0c46c80},
        {"look-ahead", false, false, 900, 12345u, 0, 0xab1be08f9a002968},
    };
    const SPhysicsConstants k;
    int nFalls = 0;
    for (const SFlickDigest& set : kSets) {
        CDigest steps, ends;
        CDigestRecorder rec(steps);
        for (const SFlickCase& c : MakeFlickSet(set.nCount, set.nSeed)) {
            CGameSettings s, sLook;
            CDesk d = PrepareFlick(c, s), look = PrepareFlick(c, sLook);
            const SFlickOutcome out =
                RunFlick(k, MakeFlickInput(s), c.nCheck, d, s.m_aMovers, set.bAnimate, set.bRecord ? &rec : nullptr);
            KeepFlickOutcome(out, s);
            ASSERT_EQ(out.end, EFlickEnd::Rest);
            ends.AddMovers(s);
            ends.Add(d);
            if (!set.bAnimate) continue;
            const SFlickOutcome o = RunFlick(k, MakeFlickInput(sLook), c.nCheck, look, sLook.m_aMovers, false, nullptr);
            SCOPED_TRACE(testing::Message() << "board " << c.nBoard << " draught " << c.nCheck << " v (" << c.vx << ", " << c.vy << ")");
            EXPECT_TRUE(o.nKnockedWhite == out.nKnockedWhite && o.nKnockedBlack == out.nKnockedBlack);
            for (int i = 0; i < kCheckCount; ++i) {
                const CCheck &a = look.m_aChecks[i], &b = d.m_aChecks[i];
                ASSERT_EQ(a.m_bOnDesk, b.m_bOnDesk) << "draught " << i;
                nFalls += !a.m_bOnDesk;
                // Knocked-off draughts still fall in the look-ahead; the played fall has ended.
                EXPECT_TRUE(a.m_bOnDesk ? a.m_fX == b.m_fX && a.m_fY == b.m_fY
                                        : a.m_bFalling == 1 && b.m_bFalling == 0 && a.m_nExitEdge == b.m_nExitEdge) << i;
            }
        }
        EXPECT_EQ(Hex(set.bRecord ? steps.Value() : 0), Hex(set.nSteps)) << set.szName;
        EXPECT_EQ(Hex(ends.Value()), Hex(set.nEnds)) << set.szName;
    }
    EXPECT_GT(nFalls, 300);
}

TEST(FlickDigest, CandidateTablesAndMovesOnEveryBoardAndLevel) {
    // Per board: the moves from the start layout and from the position after the first flick of
    // each case in the board's share of a fixed set, at every level, turn rule and side.
    const uint64_t kExpected[] = {0xc2bd0e0e07541ac6, 0x8c0ab8127be121aa, 0x93a966f13454e8af};
    const SPhysicsConstants k;
    const std::vector<SFlickCase> cases = MakeFlickSet(6, 99u);
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard) {
        CDigest digest;
        for (const SFlickCase& c : cases) {
            if (c.nBoard != nBoard) continue;
            CGameSettings s;
            CDesk after = PrepareFlick(c, s);
            const CDesk start = StartDesk(s);
            const SFlickOutcome out = RunFlick(k, MakeFlickInput(s), c.nCheck, after, s.m_aMovers, false, nullptr);
            KeepFlickOutcome(out, s);
            ASSERT_EQ(out.end, EFlickEnd::Rest);
            for (const CDesk& position : {start, after})
                for (int nLevel = LEVEL_BEGINNER; nLevel <= LEVEL_EXPERT; ++nLevel)
                    for (int nTurnType : {0, 1})
                        for (int nSide : {SIDE_WHITE, SIDE_BLACK}) {
                            s.m_nLevel = nLevel;
                            s.TurnType = nTurnType;
                            platform::SetRandState(7u);
                            KickCandidateTable table;
                            ai::SCompMove move;
                            ASSERT_TRUE(ai::ComputeCompMove(k, s, position, nSide, ai::STrialControl{}, 2, move, &table));
                            for (const auto& row : table)
                                for (const KickCandidate& e : row) {
                                    if (!e.bValid) continue;
                                    digest.Add({e.nCheck, e.nLostWhite, e.nLostBlack});
                                    digest.Add({e.fVx, e.fVy, e.fDirX, e.fDirY, e.fSpin});
                                }
                            digest.Add({move.nCheck, move.nRow, move.nCol});
                            digest.Add({move.fVx, move.fVy, move.fErrX, move.fErrY, s.m_fSlideFriction,
                                        s.m_fSpinFriction, s.m_fBounce, s.m_fSpinTransfer});
                            digest.AddMovers(s);
                        }
        }
        EXPECT_EQ(Hex(digest.Value()), Hex(kExpected[nBoard])) << "board " << nBoard;
    }
}
