// The computer's candidate search: aim geometry on each board, the expert variants with
// their speed cap, the force corrections of the basic tries, and the rows it fills.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <vector>

#include "ai/candidate_search.h"
#include "core/game_settings.h"
#include "tests/flick_set.h"
#include "tests/position_builder.h"

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
    const double speed[] = {2.8, 2.8, 2.4};
    const double material[3][3] = {{1.1, 1.0, 0.8}, {1.1, 1.2, 0.9}, {1.1, 1.0, 0.8}};
    return speed[nBoard] * material[nBoard][nMaterial];
}

// ---------------------------------------------------------------------------------------
// Aim

// For any own draught and target on a board: the aim point lies on the edge (the circle
// for round and twelve-sided), on the line through both centres, beyond the target; the
// direction is the unit vector towards the target and V0 = (E - O) x speed x material.
TEST(CandidateAim, AimPointLiesOnTheEdgeBeyondTheTarget) {
    CCaseRandom rnd(99u);
    int nChecked = 0;
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (int nMaterial = CHECK_BONE; nMaterial <= CHECK_STONE; ++nMaterial) {
            const CGameSettings s = Settings(nBoard, nMaterial);
            const double R = nBoard == BOARD_ROUND ? 0.83 : 0.894;
            for (int n = 0; n < 200; ++n) {
                const float ox = (rnd.Next() - 0.5f) * 1.2f, oy = (rnd.Next() - 0.5f) * 1.2f;
                const float tx = (rnd.Next() - 0.5f) * 1.2f, ty = (rnd.Next() - 0.5f) * 1.2f;
                if (std::hypot(tx - ox, ty - oy) < 0.12) continue;
                ai::SAim aim;
                ASSERT_TRUE(ai::AimAtTarget(s, ox, oy, tx, ty, aim));
                SCOPED_TRACE(testing::Message() << "board " << nBoard << " O (" << ox << ", " << oy << ") T ("
                                                << tx << ", " << ty << ") E (" << aim.fEx << ", " << aim.fEy << ")");
                if (nBoard == BOARD_SQUARE)
                    EXPECT_NEAR(std::max(std::fabs(aim.fEx), std::fabs(aim.fEy)), 0.72, 1e-5);
                else
                    EXPECT_NEAR(std::hypot(aim.fEx, aim.fEy), R, 1e-5);
                const double dx = tx - ox, dy = ty - oy, len = std::hypot(dx, dy);
                const double cross = dx * (aim.fEy - oy) - dy * (aim.fEx - ox);
                EXPECT_NEAR(cross / len, 0.0, 1e-5) << "E is on the line through O and T";
                EXPECT_GT(dx * (aim.fEx - tx) + dy * (aim.fEy - ty), -1e-6) << "E lies beyond T";
                EXPECT_NEAR(aim.fDirX, dx / len, 1e-5);
                EXPECT_NEAR(aim.fDirY, dy / len, 1e-5);
                const double f = SpeedTimesMaterial(nBoard, nMaterial);
                EXPECT_NEAR(aim.fVx0, (aim.fEx - ox) * f, 1e-4);
                EXPECT_NEAR(aim.fVy0, (aim.fEy - oy) * f, 1e-4);
                ++nChecked;
            }
        }
    EXPECT_GT(nChecked, 1500);
}

TEST(CandidateAim, UnknownBoardOrMaterial) {
    ai::SAim aim;
    EXPECT_FALSE(ai::AimAtTarget(Settings(3, CHECK_WOOD), 0.0f, 0.0f, 0.2f, 0.0f, aim));
    ASSERT_TRUE(ai::AimAtTarget(Settings(BOARD_SQUARE, 7), 0.0f, 0.0f, 0.2f, 0.0f, aim));
    EXPECT_NEAR(aim.fVx0, 0.72f * 2.8f, kTol) << "an unknown material flicks with factor 1";
}

// ---------------------------------------------------------------------------------------
// Expert schedule

struct SScheduleCase {
    int nBoard, nWhiteShift, nBlackShift;
    double d0, dGrowth, dStep, k0;
};

TEST(ExpertSchedule, OffsetsAndScalesOnEveryBoard) {
    const SScheduleCase cases[] = {
        {BOARD_SQUARE, 0, 0, -0.3, 1.5, 0.0, 0.6},
        {BOARD_SQUARE, 3, 4, -0.3, 1.5, 0.0, 0.6},
        {BOARD_SQUARE, 4, 4, 0.2, 1.5, 0.0, 0.8},
        {BOARD_SQUARE, 8, 0, 0.2, 1.5, 0.0, 0.8},
        {BOARD_SQUARE, -5, -3, 0.2, 1.5, 0.0, 0.8},
        {BOARD_SQUARE, 5, 4, -0.3, 1.5, 0.0, 0.6},
        {BOARD_ROUND, 0, 0, -0.16, 1.0, 0.08, 0.8},
        {BOARD_ROUND, 4, 4, -0.16, 1.0, 0.08, 0.8},
        {BOARD_TWELVE, 0, 0, -0.5, 1.0, 0.25, 0.6},
        {BOARD_TWELVE, 4, 4, -0.5, 1.0, 0.25, 0.6},
    };
    for (const SScheduleCase& c : cases) {
        CGameSettings s = Settings(c.nBoard, CHECK_WOOD, LEVEL_EXPERT);
        s.m_nWhiteShift = c.nWhiteShift;
        s.m_nBlackShift = c.nBlackShift;
        ai::SExpertSchedule sched;
        ASSERT_TRUE(ai::GetExpertSchedule(s, sched));
        double d = c.d0;
        for (int i = 0; i < ai::kExpertOffsets; ++i, d = d * c.dGrowth + c.dStep)
            EXPECT_NEAR(sched.aOffsets[i], d, 1e-5) << "board " << c.nBoard << " shifts " << c.nWhiteShift << "+"
                                                    << c.nBlackShift << " offset " << i;
        for (int i = 0; i < ai::kExpertScales; ++i)
            EXPECT_NEAR(sched.aScales[i], c.k0 + 0.2 * i, 1e-5) << "board " << c.nBoard << " scale " << i;
    }
    ai::SExpertSchedule sched;
    EXPECT_FALSE(ai::GetExpertSchedule(Settings(5, CHECK_WOOD), sched));
}

// ---------------------------------------------------------------------------------------
// Tries with a scripted trial

class CScriptedTrial : public ai::ITrialRunner {
public:
    explicit CScriptedTrial(std::vector<ai::SLosses> outcomes) : m_outcomes(std::move(outcomes)) {}
    bool Try(float vx, float vy, ai::SLosses& lost) override {
        tried.push_back({vx, vy});
        lost = m_next < m_outcomes.size() ? m_outcomes[m_next] : ai::SLosses{};
        ++m_next;
        return true;
    }
    struct SVelocity {
        float vx, vy;
    };
    std::vector<SVelocity> tried;

private:
    std::vector<ai::SLosses> m_outcomes;
    size_t m_next = 0;
};

struct SBasicCase {
    const char* name;
    int nTurnType;
    std::vector<ai::SLosses> outcomes;
    std::vector<double> scales;  // expected scales tried, in order
};

TEST(BasicTries, ForceCorrectionsAfterMissesAndOneForOne) {
    const ai::SLosses miss{0, 0}, oneEach{1, 1}, win{0, 2}, loss{1, 0};
    const SBasicCase cases[] = {
        {"miss, miss, anything", 0, {miss, miss, win}, {1.0, 1.2, 1.4}},
        {"three misses", 0, {miss, miss, miss}, {1.0, 1.2, 1.4}},
        {"one each twice", 0, {oneEach, oneEach, miss}, {1.0, 0.6, 0.2}},
        {"miss then one each", 0, {miss, oneEach, win}, {1.0, 1.2, 0.8}},
        {"one each then miss", 0, {oneEach, miss, loss}, {1.0, 0.6, 0.8}},
        {"a win ends it", 0, {win}, {1.0}},
        {"an own loss ends it", 0, {loss}, {1.0}},
        {"miss then a win", 0, {miss, win}, {1.0, 1.2}},
        {"TO A MISS: one try after a miss", 1, {miss}, {1.0}},
        {"TO A MISS: one try after one each", 1, {oneEach}, {1.0}},
    };
    ai::SAim aim;
    aim.fVx0 = 2.0f;
    aim.fVy0 = -1.0f;
    aim.fDirX = 0.8944272f;
    aim.fDirY = -0.4472136f;
    for (const SBasicCase& c : cases) {
        CScriptedTrial trial(c.outcomes);
        ai::STry kept;
        ASSERT_TRUE(ai::RunBasicTries(aim, c.nTurnType, trial, kept));
        ASSERT_EQ(trial.tried.size(), c.scales.size()) << c.name;
        for (size_t i = 0; i < c.scales.size(); ++i) {
            EXPECT_NEAR(trial.tried[i].vx, 2.0 * c.scales[i], 1e-5) << c.name << ", try " << i;
            EXPECT_NEAR(trial.tried[i].vy, -1.0 * c.scales[i], 1e-5) << c.name << ", try " << i;
        }
        const size_t last = c.scales.size() - 1;
        EXPECT_EQ(kept.fVx, trial.tried[last].vx) << c.name << ": the last try is kept";
        EXPECT_EQ(kept.fVy, trial.tried[last].vy) << c.name;
        EXPECT_EQ(kept.lost.nWhite, c.outcomes[last].nWhite) << c.name;
        EXPECT_EQ(kept.lost.nBlack, c.outcomes[last].nBlack) << c.name;
        EXPECT_EQ(kept.fDirX, aim.fDirX) << c.name;
        EXPECT_EQ(kept.fDirY, aim.fDirY) << c.name;
    }
}

ai::SExpertSchedule SquareSchedule() {
    CGameSettings s = Settings(BOARD_SQUARE, CHECK_WOOD, LEVEL_EXPERT);
    ai::SExpertSchedule sched;
    ai::GetExpertSchedule(s, sched);
    return sched;
}

TEST(ExpertTries, TwentyVariantsOffsetMajor) {
    const ai::SExpertSchedule sched = SquareSchedule();
    ai::SAim aim;
    aim.fVx0 = 2.0f;
    aim.fVy0 = 1.0f;
    CScriptedTrial trial({});
    std::array<ai::STry, ai::kExpertVariants> variants;
    ai::STry kept;
    ASSERT_TRUE(ai::RunExpertTries(aim, sched, SIDE_BLACK, {5, 5}, trial, variants, kept));
    ASSERT_EQ(trial.tried.size(), size_t(ai::kExpertVariants));
    for (int v = 0; v < ai::kExpertVariants; ++v) {
        const double d = -0.3 * std::pow(1.5, v / 4), k = 0.6 + 0.2 * (v % 4);
        const double ux = 2.0 + d, uy = 1.0 - d;
        EXPECT_NEAR(trial.tried[v].vx, k * ux, 1e-5) << "variant " << v;
        EXPECT_NEAR(trial.tried[v].vy, k * uy, 1e-5) << "variant " << v;
        EXPECT_NEAR(variants[v].fDirX, ux / std::hypot(ux, uy), 1e-6) << "variant " << v;
        EXPECT_NEAR(variants[v].fDirY, uy / std::hypot(ux, uy), 1e-6) << "variant " << v;
    }
}

// Too strong: the variant repeats the last tried velocity and the losses of the last try
// of its offset, or, with no try yet in the offset, counts every draught as lost.
TEST(ExpertTries, SpeedCapRepeatsTheLastTriedVelocity) {
    const ai::SExpertSchedule sched = SquareSchedule();
    ai::SAim aim;
    aim.fVx0 = 12.4f;  // offset 0 is too strong from scale 0.6 on; offset 1 only from 0.8 on
    aim.fVy0 = 0.0f;
    std::vector<ai::SLosses> outcomes;
    for (int i = 0; i < 20; ++i) outcomes.push_back({i % 3, 1 + i % 2});
    CScriptedTrial trial(outcomes);
    std::array<ai::STry, ai::kExpertVariants> variants;
    ai::STry kept;
    const ai::SLosses onBoard{6, 4};
    ASSERT_TRUE(ai::RunExpertTries(aim, sched, SIDE_WHITE, onBoard, trial, variants, kept));
    size_t nTry = 0;
    float lastVx = 12.4f, lastVy = 0.0f;
    for (int o = 0; o < ai::kExpertOffsets; ++o) {
        ai::SLosses last = onBoard;
        for (int s = 0; s < ai::kExpertScales; ++s) {
            const int v = o * 4 + s;
            const float fx = sched.aScales[s] * (12.4f + sched.aOffsets[o]);
            const float fy = sched.aScales[s] * (0.0f - sched.aOffsets[o]);
            const bool bTried = std::fabs(fx) < 7.2f && std::fabs(fy) < 7.2f;
            if (bTried) {
                ASSERT_LT(nTry, trial.tried.size());
                EXPECT_EQ(trial.tried[nTry].vx, fx) << "variant " << v;
                last = outcomes[nTry];
                lastVx = fx;
                lastVy = fy;
                ++nTry;
            }
            SCOPED_TRACE(testing::Message() << "variant " << v << (bTried ? " tried" : " too strong"));
            EXPECT_EQ(variants[v].fVx, lastVx);
            EXPECT_EQ(variants[v].fVy, lastVy);
            EXPECT_EQ(variants[v].lost.nWhite, last.nWhite);
            EXPECT_EQ(variants[v].lost.nBlack, last.nBlack);
        }
    }
    EXPECT_EQ(nTry, trial.tried.size());
    // The case must exercise both kinds of cap.
    EXPECT_EQ(variants[0].fVx, 12.4f) << "the first variant too strong keeps the unscaled V0";
    EXPECT_EQ(variants[0].lost.nWhite, 6);
    EXPECT_EQ(variants[0].lost.nBlack, 4);
    EXPECT_EQ(trial.tried.size(), 4u) << "offsets 1 to 4 try scale 0.6 only";
}

TEST(ExpertTries, AllTooStrongKeepsTheUnscaledVelocity) {
    const ai::SExpertSchedule sched = SquareSchedule();
    ai::SAim aim;
    aim.fVx0 = 30.0f;
    aim.fVy0 = -20.0f;
    CScriptedTrial trial({});
    std::array<ai::STry, ai::kExpertVariants> variants;
    ai::STry kept;
    ASSERT_TRUE(ai::RunExpertTries(aim, sched, SIDE_BLACK, {3, 2}, trial, variants, kept));
    EXPECT_TRUE(trial.tried.empty());
    EXPECT_EQ(kept.fVx, 30.0f);
    EXPECT_EQ(kept.fVy, -20.0f);
    EXPECT_EQ(kept.lost.nWhite, 3);
    EXPECT_EQ(kept.lost.nBlack, 2);
}

struct SVariantChoiceCase {
    const char* name;
    int nSide;
    std::vector<std::pair<int, ai::SLosses>> scripted;  // (variant, losses)
    ai::SLosses others;                                 // losses of every other variant
    int nKept;
};

TEST(ExpertTries, KeepsFewestOwnLossesThenFirstMostOpponentLosses) {
    const SVariantChoiceCase cases[] = {
        {"all misses: the first", SIDE_BLACK, {}, {0, 0}, 0},
        {"one opponent loss wins", SIDE_BLACK, {{7, {1, 0}}}, {0, 0}, 7},
        {"equal wins: the first of them", SIDE_BLACK, {{7, {2, 0}}, {3, {2, 0}}, {12, {2, 0}}}, {0, 0}, 3},
        {"more opponent losses later", SIDE_BLACK, {{3, {1, 0}}, {12, {2, 0}}}, {0, 0}, 12},
        {"an own loss disqualifies", SIDE_BLACK, {{3, {4, 1}}, {12, {1, 0}}}, {0, 0}, 12},
        {"white counts white as own", SIDE_WHITE, {{3, {0, 4}}, {5, {1, 4}}}, {0, 0}, 3},
        {"fewest own losses when all lose", SIDE_WHITE, {{0, {2, 3}}, {1, {1, 0}}}, {1, 0}, 1},
    };
    const ai::SExpertSchedule sched = SquareSchedule();
    ai::SAim aim;
    aim.fVx0 = 1.0f;
    aim.fVy0 = 1.0f;
    for (const SVariantChoiceCase& c : cases) {
        std::vector<ai::SLosses> outcomes(ai::kExpertVariants, c.others);
        for (const auto& [v, lost] : c.scripted) outcomes[v] = lost;
        CScriptedTrial trial(outcomes);
        std::array<ai::STry, ai::kExpertVariants> variants;
        ai::STry kept;
        ASSERT_TRUE(ai::RunExpertTries(aim, sched, c.nSide, {10, 10}, trial, variants, kept));
        EXPECT_EQ(kept.fVx, variants[c.nKept].fVx) << c.name;
        EXPECT_EQ(kept.fVy, variants[c.nKept].fVy) << c.name;
        EXPECT_EQ(kept.lost.nWhite, outcomes[c.nKept].nWhite) << c.name;
        EXPECT_EQ(kept.lost.nBlack, outcomes[c.nKept].nBlack) << c.name;
    }
}

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

TEST(CandidateRow, OffBoardOpponentsGetNoColumnAndColumnsFollowIndexOrder) {
    CGameSettings s = Settings(BOARD_SQUARE, CHECK_WOOD, LEVEL_PRO, 1);
    CDesk P = DeskWith(s, {{12, 0.0f, -0.5f, SIDE_WHITE},
                           {1, -0.4f, 0.3f, SIDE_BLACK},
                           {3, 0.1f, 0.2f, SIDE_BLACK},
                           {4, 0.3f, 0.5f, SIDE_BLACK},
                           {6, -0.2f, 0.5f, SIDE_BLACK},
                           {8, 0.5f, 0.1f, SIDE_BLACK}});
    P.m_aChecks[4].m_bOnDesk = 0;  // knocked off earlier
    const SRowRun run = SearchRow(s, P, 12, SIDE_WHITE, 2);
    EXPECT_EQ(run.nTrials, 4) << "TO A MISS tries each target once";
    const int targets[] = {1, 3, 6, 8};
    for (int c = 0; c < kCandidateCols; ++c) {
        const KickCandidate& e = run.table[2][c];
        if (c >= 4) {
            EXPECT_EQ(e.bValid, 0) << "column " << c;
            continue;
        }
        ASSERT_EQ(e.bValid, 1) << "column " << c;
        EXPECT_EQ(e.nCheck, 12);
        ai::SAim aim;
        const CCheck& t = P.m_aChecks[targets[c]];
        ai::AimAtTarget(s, 0.0f, -0.5f, t.m_fX, t.m_fY, aim);
        EXPECT_EQ(e.fVx, aim.fVx0) << "column " << c << " aims at draught " << targets[c];
        EXPECT_EQ(e.fVy, aim.fVy0) << "column " << c;
        EXPECT_EQ(e.fSpin, 0.0f);
    }
    for (int r = 0; r < kCandidateRows; ++r) {
        if (r == 2) continue;
        for (const KickCandidate& e : run.table[r]) EXPECT_EQ(e.bValid, 0) << "only row 2 is written";
    }
}

// The text's square example played out: a wood draught at the centre flicked at a target
// 0.2 to its right launches at 2.016 along x.
TEST(CandidateRow, SquareExampleThroughCalcKickCandidates) {
    CGameSettings s = Settings(BOARD_SQUARE, CHECK_WOOD, LEVEL_BEGINNER, 1);
    const CDesk P = DeskWith(s, {{0, 0.0f, 0.0f, SIDE_BLACK}, {10, 0.2f, 0.0f, SIDE_WHITE}});
    CKickPhysics physics;
    physics.SetSettings(&s);
    KickCandidateTable table{};
    EXPECT_EQ(physics.CalcKickCandidates(0, SIDE_BLACK, table, 0, P), 0);
    ASSERT_EQ(table[0][0].bValid, 1);
    EXPECT_NEAR(table[0][0].fVx, 2.016f, kTol);
    EXPECT_EQ(table[0][0].fVy, 0.0f);
    EXPECT_EQ(table[0][0].nLostWhite, 1) << "a straight hit at 2 units/s sends the target off the near edge";
    EXPECT_EQ(table[0][1].bValid, 0);
    EXPECT_EQ(s.m_aMovers[kFlickSlot].nCheck, 0) << "the trial's mover table is left in the settings";
    EXPECT_EQ(s.m_nKnockedWhite, 1);
    // A row out of range is refused, not written past the table.
    KickCandidateTable untouched{};
    EXPECT_EQ(physics.CalcKickCandidates(0, SIDE_BLACK, untouched, kCandidateRows, P), 0);
    for (const auto& row : untouched)
        for (const KickCandidate& e : row) EXPECT_EQ(e.bValid, 0);
}

struct STrialCountCase {
    int nLevel, nTurnType;
    int nMinPerTarget, nMaxPerTarget;
};

TEST(CandidateRow, TrialsPerTargetByLevel) {
    const STrialCountCase cases[] = {
        {LEVEL_BEGINNER, 1, 1, 1}, {LEVEL_PRO, 1, 1, 1},   {3, 1, 1, 1},   {LEVEL_BEGINNER, 0, 1, 3},
        {LEVEL_PRO, 0, 1, 3},      {3, 0, 1, 3},           {-1, 0, 1, 3},  {LEVEL_EXPERT, 0, 1, 20},
        {LEVEL_EXPERT, 1, 1, 20},
    };
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (const STrialCountCase& c : cases) {
            CGameSettings s = Settings(nBoard, CHECK_BONE, c.nLevel, c.nTurnType);
            const CDesk P = StartDesk(s);
            const SRowRun run = SearchRow(s, P, 3, SIDE_BLACK);
            int nTargets = 0;
            for (const KickCandidate& e : run.table[0]) nTargets += e.bValid;
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " level " << c.nLevel << " turn type "
                                            << c.nTurnType << ": " << run.nTrials << " trials");
            EXPECT_EQ(nTargets, 10);
            EXPECT_GE(run.nTrials, nTargets * c.nMinPerTarget);
            EXPECT_LE(run.nTrials, nTargets * c.nMaxPerTarget);
            if (c.nLevel == LEVEL_EXPERT) {
                EXPECT_GT(run.nTrials, nTargets * 3) << "the expert tries variants";
            }
        }
}

TEST(CandidateRow, UnknownBoardSearchesNothingAndAStopAbandons) {
    CGameSettings s = Settings(BOARD_SQUARE, CHECK_BONE, LEVEL_EXPERT);
    const CDesk P = StartDesk(s);
    s.BoardType = 4;
    SRowRun run = SearchRow(s, P, 3, SIDE_BLACK);
    EXPECT_EQ(run.nTrials, 0);
    EXPECT_EQ(run.table[0][0].bValid, 0);

    s.BoardType = BOARD_SQUARE;
    std::stop_source stop;
    stop.request_stop();
    ai::STrialControl control;
    control.stop = stop.get_token();
    KickCandidateTable table{};
    EXPECT_EQ(ai::SearchCandidateRow(SPhysicsConstants{}, s, 3, SIDE_BLACK, table[0], P, control), -1);
}

}  // namespace
