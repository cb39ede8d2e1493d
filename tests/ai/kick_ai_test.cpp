// The computer's choice and aim: the order of preference among candidates, the tie draw,
// the aiming error by level and turn type from known generator states, and the flick written
// into the live position. The move digests lock the search on two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "ai/candidate_table.h"
#include "ai/kick_ai.h"
#include "platform/beep.h"
#include "platform/crt_rand.h"
#include "platform/log.h"
#include "platform/window_queue.h"
#include "tests/support/flick_set.h"
#include "tests/support/position_builder.h"

namespace {

// The game's generator replayed on a private copy of its state.
int Draw(uint32_t& state) {
    state = platform::NextRandState(state);
    return platform::RandValue(state);
}

KickCandidate Entry(int nCheck, int nLostWhite, int nLostBlack, int bValid = 1) {
    return {nCheck, nLostWhite, nLostBlack, bValid, 1.0f + float(nCheck), -0.5f, 0.0f, 0.0f, 0.0f};
}

// The launch and place of every draught but nSkip are as before.
void ExpectUntouched(const CDesk& now, const CDesk& before, int nSkip = -1) {
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck &a = now.m_aChecks[i], &b = before.m_aChecks[i];
        EXPECT_TRUE(i == nSkip || (a.m_bOnDesk == b.m_bOnDesk && a.m_fX == b.m_fX && a.m_fY == b.m_fY &&
                                   a.m_fVx0 == b.m_fVx0 && a.m_fVy0 == b.m_fVy0 && a.m_bMoving == b.m_bMoving))
            << "draught " << i;
    }
}

struct SChoiceCase {
    const char* name;
    int nSide;
    std::vector<std::pair<std::pair<int, int>, KickCandidate>> entries;
    std::vector<std::pair<int, int>> ties;  // in scan order; the draw picks among all but the last
    ai::EChoice expected;
};

}  // namespace

TEST(ChooseCandidate, FewestOwnLossesThenMostOpponentLossesThenDraw) {
    const SChoiceCase cases[] = {
        {"fewer own losses beat more opponent losses", SIDE_BLACK, {{{0, 0}, Entry(1, 3, 1)}, {{0, 1}, Entry(1, 0, 0)}},
         {{0, 1}}, ai::EChoice::Chosen},
        {"most opponent losses among the fewest own", SIDE_BLACK,
         {{{0, 0}, Entry(1, 1, 0)}, {{1, 4}, Entry(2, 2, 0)}, {{2, 0}, Entry(3, 3, 1)}}, {{1, 4}}, ai::EChoice::Chosen},
        {"three equal: first or second", SIDE_WHITE,
         {{{0, 1}, Entry(10, 0, 2)}, {{1, 0}, Entry(11, 0, 2)}, {{4, 4}, Entry(14, 0, 2)}, {{5, 5}, Entry(15, 1, 9)}},
         {{0, 1}, {1, 0}, {4, 4}}, ai::EChoice::Chosen},
        {"unused entries do not count", SIDE_BLACK, {{{0, 0}, Entry(4, 0, 0, 0)}, {{0, 1}, Entry(2, 1, 1)}}, {{0, 1}},
         ai::EChoice::Chosen},
        {"empty table", SIDE_BLACK, {}, {}, ai::EChoice::NothingChosen},
        {"negative draught index", SIDE_BLACK, {{{0, 0}, Entry(-1, 0, 0)}}, {{0, 0}}, ai::EChoice::NothingChosen},
    };
    for (const SChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        KickCandidateTable table{};
        for (const auto& [at, e] : c.entries) table[at.first][at.second] = e;
        std::set<std::pair<int, int>> seen;
        for (uint32_t state = 1; state < 400; state += 7) {
            platform::SetRandState(state);
            int nRow = -7, nCol = -7;
            ASSERT_EQ(ai::ChooseCandidate(table, c.nSide, nRow, nCol), c.expected);
            uint32_t expectedState = state;  // one draw only with 2 or more ties
            const size_t nTies = c.ties.size();
            const size_t nPick = nTies >= 2 ? size_t(Draw(expectedState) % int(nTies - 1)) : 0;
            EXPECT_EQ(platform::GetRandState(), expectedState);
            if (c.expected != ai::EChoice::Chosen) continue;
            EXPECT_EQ(std::make_pair(nRow, nCol), c.ties[nPick]) << "state " << state;
            seen.insert({nRow, nCol});
        }
        EXPECT_EQ(seen.size(), c.ties.empty() || c.expected != ai::EChoice::Chosen ? 0 : std::max<size_t>(c.ties.size() - 1, 1))
            << "every tie but the last is drawn";
    }
}

TEST(AimingError, ByLevelAndTurnTypeFromKnownGeneratorStates) {
    const struct {
        int nLevel, nTurnType, nChance;  // 0: no chance draw, always misaims; -1: no level, no draw
        int nStepsX, nStepsY;
        double fBack;
    } cases[] = {{LEVEL_BEGINNER, 0, 0, 40, 40, 0.6}, {LEVEL_BEGINNER, 1, 0, 40, 40, 0.6}, {LEVEL_PRO, 1, 4, 50, 50, 0.5},
                 {LEVEL_PRO, 0, 6, 40, 50, 0.6},      {LEVEL_PRO, 2, 6, 40, 50, 0.6},      {LEVEL_EXPERT, 1, 5, 50, 50, 0.5},
                 {LEVEL_EXPERT, 0, 7, 30, 40, 0.7},   {-1, 0, -1, 1, 1, 0.0},             {3, 1, -1, 1, 1, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.nLevel << " turn type " << c.nTurnType);
        for (uint32_t state = 11; state < 20000; state += 13) {
            uint32_t mine = state;
            double ex = 0.0, ey = 0.0;
            if (c.nChance == 0 || (c.nChance > 0 && Draw(mine) % c.nChance == 0)) {
                ex = Draw(mine) % c.nStepsX / 50.0 - c.fBack;
                ey = Draw(mine) % c.nStepsY / 50.0 - c.fBack;
            }
            platform::SetRandState(state);
            float fx = 9.0f, fy = 9.0f;
            ai::DrawAimingError(c.nLevel, c.nTurnType, fx, fy);
            ASSERT_TRUE(std::fabs(fx - ex) < 1e-6 && std::fabs(fy - ey) < 1e-6) << "state " << state;
            ASSERT_EQ(platform::GetRandState(), mine) << "the draws are consumed in order";
        }
    }
}

// CalcKickAI writes the move computed apart, with the same draws, into the live position and
// starts the simulation thread; with no own draught it beeps twice and flicks nothing.
TEST(CompMove, CalcKickAIWritesTheMoveComputedApartAndStartsTheFlick) {
    CGameSettings s;
    CDesk live;
    ai::SCompMove move;
    std::vector<std::pair<int, int>> beeps;
    platform::SetBeepHandler([&](int nHz, int nMs) { beeps.emplace_back(nHz, nMs); });
    platform::SetLogSink([](const std::string&) {});
    for (bool bOwn : {true, false}) {
        s.BoardType = BOARD_TWELVE;
        s.m_nLevel = LEVEL_BEGINNER;
        live = bOwn ? StartDesk(s) : DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}, {11, 0.3f, 0.2f, SIDE_WHITE}});
        const CDesk start = live;
        CGameSettings apart(s);
        platform::SetRandState(1001u);
        ASSERT_TRUE(!bOwn || ai::ComputeCompMove(SPhysicsConstants{}, apart, live, SIDE_BLACK, {}, 1, move));
        const uint32_t afterMove = platform::GetRandState();
        platform::CWindowQueue window;
        CKickPhysics physics;
        physics.SetSettings(&s);
        physics.SetDesk(&live);
        physics.SetWindow(&window);
        platform::SetRandState(1001u);
        EXPECT_EQ(physics.CalcKickAI(SIDE_BLACK, &live), bOwn ? 1 : 0);
        EXPECT_EQ(platform::GetRandState(), afterMove);
        EXPECT_EQ(physics.HasKickThread(), bOwn);
        const CCheck& f = live.m_aChecks[bOwn ? move.nCheck : 0];
        EXPECT_TRUE(!bOwn || (f.m_fVx0 == move.fVx + move.fErrX && f.m_fVy0 == move.fVy + move.fErrY && f.m_bMoving == 1));
        ExpectUntouched(live, start, bOwn ? move.nCheck : -1);
        physics.TerminateThreads();
        EXPECT_EQ(beeps, (bOwn ? std::vector<std::pair<int, int>>{} : std::vector<std::pair<int, int>>{{3000, 1000}, {3000, 200}}));
    }
    platform::SetBeepHandler({});
    platform::SetLogSink({});
}
