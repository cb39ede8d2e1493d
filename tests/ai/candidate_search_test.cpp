// The computer's candidate search: aim geometry on each board, the expert schedule, and the
// trials of a row by level; what the tries keep is locked by the move digests.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <vector>

#include "ai/candidate_search.h"
#include "core/game_settings.h"
#include "tests/support/flick_set.h"
#include "tests/support/position_builder.h"

namespace {

constexpr float kTol = 1e-5f;

CGameSettings Settings(int nBoard, int nMaterial, int nLevel = LEVEL_BEGINNER, int nTurnType = 0) {
    CGameSettings s;
    s.BoardType = nBoard;
    s.CheckType = nMaterial;
    s.m_nLevel = nLevel;
    s.TurnType = nTurnType;
    return s;
}

// Speed factor x material factor of a board, as the game's rules give them.
double SpeedTimesMaterial(int nBoard, int nMaterial) {
    const double material[3][3] = {{1.1, 1.0, 0.8}, {1.1, 1.2, 0.9}, {1.1, 1.0, 0.8}};
    return (nBoard == BOARD_TWELVE ? 2.4 : 2.8) * material[nBoard][nMaterial];
}

// For any own draught and target on a board: the aim point lies on the edge (the circle
// for round and twelve-sided), on the line through both centres, beyond the target; the
// direction is the unit vector towards the target and V0 = (E - O) x speed x material.
TEST(CandidateAim, AimPointLiesOnTheEdgeBeyondTheTarget) {
    CCaseRandom rnd(99u);
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (int nMaterial = CHECK_BONE; nMaterial <= CHECK_STONE; ++nMaterial)
            for (int n = 0; n < 200; ++n) {
                const float ox = (rnd.Next() - 0.5f) * 1.2f, oy = (rnd.Next() - 0.5f) * 1.2f;
                const float tx = (rnd.Next() - 0.5f) * 1.2f, ty = (rnd.Next() - 0.5f) * 1.2f;
                const double dx = tx - ox, dy = ty - oy, len = std::hypot(dx, dy);
                if (len < 0.12) continue;
                ai::SAim aim;
                ASSERT_TRUE(ai::AimAtTarget(Settings(nBoard, nMaterial), ox, oy, tx, ty, aim));
                SCOPED_TRACE(testing::Message() << "board " << nBoard << " O (" << ox << ", " << oy << ") T ("
                                                << tx << ", " << ty << ") E (" << aim.fEx << ", " << aim.fEy << ")");
                EXPECT_NEAR(nBoard == BOARD_SQUARE ? std::max(std::fabs(aim.fEx), std::fabs(aim.fEy)) : std::hypot(aim.fEx, aim.fEy),
                            nBoard == BOARD_SQUARE ? 0.72 : nBoard == BOARD_ROUND ? 0.83 : 0.894, 1e-5);
                EXPECT_NEAR((dx * (aim.fEy - oy) - dy * (aim.fEx - ox)) / len, 0.0, 1e-5) << "E is on the line through O and T";
                EXPECT_GT(dx * (aim.fEx - tx) + dy * (aim.fEy - ty), -1e-6) << "E lies beyond T";
                EXPECT_NEAR(aim.fDirX, dx / len, 1e-5);
                EXPECT_NEAR(aim.fDirY, dy / len, 1e-5);
                const double f = SpeedTimesMaterial(nBoard, nMaterial);
                EXPECT_NEAR(aim.fVx0, (aim.fEx - ox) * f, 1e-4);
                EXPECT_NEAR(aim.fVy0, (aim.fEy - oy) * f, 1e-4);
            }
    ai::SAim aim;
    EXPECT_FALSE(ai::AimAtTarget(Settings(3, CHECK_WOOD), 0.0f, 0.0f, 0.2f, 0.0f, aim));
    ASSERT_TRUE(ai::AimAtTarget(Settings(BOARD_SQUARE, 7), 0.0f, 0.0f, 0.2f, 0.0f, aim));
    EXPECT_NEAR(aim.fVx0, 0.72f * 2.8f, kTol) << "an unknown material flicks with factor 1";
}

TEST(ExpertSchedule, OffsetsAndScalesOnEveryBoard) {
    const struct {
        int nBoard, nWhiteShift, nBlackShift;
        double d0, dGrowth, dStep, k0;  // offset i+1 = offset i x growth + step; scale i = k0 + 0.2 i
    } cases[] = {{BOARD_SQUARE, 0, 0, -0.3, 1.5, 0.0, 0.6},  {BOARD_SQUARE, 3, 4, -0.3, 1.5, 0.0, 0.6},
                 {BOARD_SQUARE, 4, 4, 0.2, 1.5, 0.0, 0.8},   {BOARD_SQUARE, 8, 0, 0.2, 1.5, 0.0, 0.8},
                 {BOARD_SQUARE, -5, -3, 0.2, 1.5, 0.0, 0.8}, {BOARD_SQUARE, 5, 4, -0.3, 1.5, 0.0, 0.6},
                 {BOARD_ROUND, 0, 0, -0.16, 1.0, 0.08, 0.8}, {BOARD_ROUND, 4, 4, -0.16, 1.0, 0.08, 0.8},
                 {BOARD_TWELVE, 0, 0, -0.5, 1.0, 0.25, 0.6}, {BOARD_TWELVE, 4, 4, -0.5, 1.0, 0.25, 0.6}};
    ai::SExpertSchedule sched;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "board " << c.nBoard << " shifts " << c.nWhiteShift << "+" << c.nBlackShift);
        CGameSettings s = Settings(c.nBoard, CHECK_WOOD, LEVEL_EXPERT);
        s.m_nWhiteShift = c.nWhiteShift;
        s.m_nBlackShift = c.nBlackShift;
        ASSERT_TRUE(ai::GetExpertSchedule(s, sched));
        double d = c.d0;
        for (int i = 0; i < ai::kExpertOffsets; ++i, d = d * c.dGrowth + c.dStep) EXPECT_NEAR(sched.aOffsets[i], d, 1e-5) << i;
        for (int i = 0; i < ai::kExpertScales; ++i) EXPECT_NEAR(sched.aScales[i], c.k0 + 0.2 * i, 1e-5) << i;
    }
    EXPECT_FALSE(ai::GetExpertSchedule(Settings(5, CHECK_WOOD), sched));
}

// ---------------------------------------------------------------------------------------
// Tries with a scripted trial

// ---------------------------------------------------------------------------------------
// Rows on real positions

struct SRowRun {
    KickCandidateTable table{};
    int nTrials = 0;
};

SRowRun SearchRow(CGameSettings& s, const CDesk& P, int nCheck, int nSide, int r = 0) {
    SRowRun run;
    std::atomic<int> nCounted{0};
    const std::function<void()> count = [&] { ++nCounted; };
    ai::STrialControl control;
    control.pBeforeTrial = &count;
    const SPhysicsConstants k;
    run.nTrials = ai::SearchCandidateRow(k, s, nCheck, nSide, run.table[r], P, control);
    EXPECT_EQ(run.nTrials, nCounted.load()) << "every trial passes the control first";
    return run;
}

TEST(CandidateRow, TrialsPerTargetByLevelAndNoneOnAnUnknownBoardOrAfterAStop) {
    const struct {
        int nLevel, nTurnType, nMaxPerTarget;
    } cases[] = {{LEVEL_BEGINNER, 1, 1}, {LEVEL_PRO, 1, 1}, {3, 1, 1}, {LEVEL_BEGINNER, 0, 3}, {LEVEL_PRO, 0, 3},
                 {3, 0, 3}, {-1, 0, 3}, {LEVEL_EXPERT, 0, 20}, {LEVEL_EXPERT, 1, 20}};
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (const auto& c : cases) {
            CGameSettings s = Settings(nBoard, CHECK_BONE, c.nLevel, c.nTurnType);
            const SRowRun run = SearchRow(s, StartDesk(s), 3, SIDE_BLACK);
            int nTargets = 0;
            for (const KickCandidate& e : run.table[0]) nTargets += e.bValid;
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " level " << c.nLevel << " turn type "
                                            << c.nTurnType << ": " << run.nTrials << " trials");
            EXPECT_EQ(nTargets, 10);
            EXPECT_GE(run.nTrials, nTargets);
            EXPECT_LE(run.nTrials, nTargets * c.nMaxPerTarget);
            EXPECT_TRUE(c.nLevel != LEVEL_EXPERT || run.nTrials > nTargets * 3) << "the expert tries variants";
        }
    CGameSettings s = Settings(BOARD_SQUARE, CHECK_BONE, LEVEL_EXPERT);
    const CDesk P = StartDesk(s);
    s.BoardType = 4;
    SRowRun run = SearchRow(s, P, 3, SIDE_BLACK);
    EXPECT_TRUE(run.nTrials == 0 && run.table[0][0].bValid == 0);
    s.BoardType = BOARD_SQUARE;
    std::stop_source stop;
    stop.request_stop();
    ai::STrialControl control;
    control.stop = stop.get_token();
    KickCandidateTable table{};
    EXPECT_EQ(ai::SearchCandidateRow(SPhysicsConstants{}, s, 3, SIDE_BLACK, table[0], P, control), -1);
    CKickPhysics physics;  // a row out of range is refused, not written past the table
    physics.SetSettings(&s);
    EXPECT_EQ(physics.CalcKickCandidates(0, SIDE_BLACK, table, kCandidateRows, P), 0);
    for (const auto& row : table)
        for (const KickCandidate& e : row) EXPECT_EQ(e.bValid, 0);
}

}  // namespace
