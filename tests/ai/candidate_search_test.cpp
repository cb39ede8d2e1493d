// The computer's candidate search: the trials of a row by level, and bad boards and materials;
// the aim geometry and what the tries keep are locked by the move digests.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <vector>

#include "ai/candidate_search.h"
#include "ai/candidate_table.h"
#include "core/game_settings.h"
#include "tests/support/flick_set.h"
#include "tests/support/position_builder.h"

namespace {

constexpr float kTol = 1e-5f;

CGameSettings Settings(int nBoard, int nMaterial, int nLevel = LEVEL_BEGINNER, int nTurnType = 0) {
    CGameSettings s;
    s.BoardType = nBoard, s.CheckType = nMaterial, s.m_nLevel = nLevel, s.TurnType = nTurnType;
    return s;
}

// The aim of an unknown board, and of an unknown material.
TEST(CandidateAim, UnknownBoardsAimNowhereUnknownMaterialsWithFactorOne) {
    ai::SAim aim;
    EXPECT_FALSE(ai::AimAtTarget(Settings(3, CHECK_WOOD), 0.0f, 0.0f, 0.2f, 0.0f, aim));
    ASSERT_TRUE(ai::AimAtTarget(Settings(BOARD_SQUARE, 7), 0.0f, 0.0f, 0.2f, 0.0f, aim));
    EXPECT_NEAR(aim.fVx0, 0.72f * 2.8f, kTol) << "an unknown material flicks with factor 1";
}

// Black 3's row into table row 0; returns the trials, each of which passes the control first.
int SearchRow(CGameSettings& s, const CDesk& P, KickCandidateTable& table) {
    std::atomic<int> nCounted{0};
    const std::function<void()> count = [&] { ++nCounted; };
    ai::STrialControl control;
    control.pBeforeTrial = &count;
    const int nTrials = ai::SearchCandidateRow(SPhysicsConstants{}, s, 3, SIDE_BLACK, table[0], P, control);
    EXPECT_EQ(nTrials, nCounted.load());
    return nTrials;
}

TEST(CandidateRow, TrialsPerTargetByLevelAndNoneOnAnUnknownBoardOrAfterAStop) {
    const struct {
        int nLevel, nTurnType, nMaxPerTarget;
    } cases[] = {{LEVEL_BEGINNER, 1, 1}, {LEVEL_PRO, 1, 1}, {3, 1, 1}, {LEVEL_BEGINNER, 0, 3}, {LEVEL_PRO, 0, 3},
                 {3, 0, 3}, {-1, 0, 3}, {LEVEL_EXPERT, 0, 20}, {LEVEL_EXPERT, 1, 20}};
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (const auto& c : cases) {
            CGameSettings s = Settings(nBoard, CHECK_BONE, c.nLevel, c.nTurnType);
            KickCandidateTable table{};
            const int nTrials = SearchRow(s, StartDesk(s), table);
            const auto nTargets = std::count_if(std::begin(table[0]), std::end(table[0]), [](const KickCandidate& e) { return e.bValid == 1; });
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " level " << c.nLevel << " turn type "
                                            << c.nTurnType << ": " << nTrials << " trials");
            EXPECT_TRUE(nTargets == 10 && nTrials >= nTargets && nTrials <= nTargets * c.nMaxPerTarget);
            EXPECT_TRUE(c.nLevel != LEVEL_EXPERT || nTrials > nTargets * 3) << "the expert tries variants";
        }
    CGameSettings s = Settings(BOARD_SQUARE, CHECK_BONE, LEVEL_EXPERT);
    const CDesk P = StartDesk(s);
    s.BoardType = 4;
    KickCandidateTable table{};
    EXPECT_TRUE(SearchRow(s, P, table) == 0 && table[0][0].bValid == 0);
    s.BoardType = BOARD_SQUARE;
    std::stop_source stop;
    stop.request_stop();
    ai::STrialControl control;
    control.stop = stop.get_token();
    EXPECT_EQ(ai::SearchCandidateRow(SPhysicsConstants{}, s, 3, SIDE_BLACK, table[0], P, control), -1);
    CKickPhysics physics;  // a row out of range is refused, not written past the table
    physics.SetSettings(&s);
    EXPECT_EQ(physics.CalcKickCandidates(0, SIDE_BLACK, table, kCandidateRows, P), 0);
    for (const auto& row : table)
        for (const KickCandidate& e : row) EXPECT_EQ(e.bValid, 0);
}

// With nothing to aim at no row tries anything, and the settings stay as the caller left them.
TEST(CandidateTable, RowsWithoutATrialLeaveTheSettingsAlone) {
    for (int nThreads : {1, 2}) {
        CGameSettings s = Settings(BOARD_SQUARE, CHECK_BONE, LEVEL_EXPERT);
        s.m_fSlideFriction = 0.3f, s.m_fBounce = 0.6f, s.m_nKnockedWhite = 2;
        for (SMover& m : s.m_aMovers) m.nCheck = 7;
        const CDesk P = DeskWith(s, {{0, 0.1f, 0.2f, SIDE_BLACK}, {1, -0.3f, 0.1f, SIDE_BLACK}});
        KickCandidateTable table{};
        ASSERT_TRUE(ai::FillCandidateTable(SPhysicsConstants{}, s, P, SIDE_BLACK, table, {}, nThreads));
        EXPECT_TRUE(s.m_fSlideFriction == 0.3f && s.m_fBounce == 0.6f && s.m_nKnockedWhite == 2) << nThreads;
        EXPECT_TRUE(std::all_of(std::begin(s.m_aMovers), std::end(s.m_aMovers), [](const SMover& m) { return m.nCheck == 7; }));
        EXPECT_EQ(table[0][0].bValid, 0);
    }
}

}  // namespace
