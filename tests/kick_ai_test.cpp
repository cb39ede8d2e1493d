// The computer's choice and aim: the order of preference among candidates, the tie draw,
// the aiming error by level and turn type from known generator states, the flick written
// into the live position, and the same move on one or two threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "ai/candidate_search.h"
#include "ai/candidate_table.h"
#include "ai/flick_launch.h"
#include "ai/kick_ai.h"
#include "core/game_settings.h"
#include "physics/flick_simulation.h"
#include "platform/beep.h"
#include "platform/crt_rand.h"
#include "platform/log.h"
#include "platform/window_queue.h"
#include "tests/flick_set.h"
#include "tests/position_builder.h"

namespace {

// The game's generator replayed on a private copy of its state.
int Draw(uint32_t& state) {
    state = platform::NextRandState(state);
    return platform::RandValue(state);
}

uint32_t AfterDraws(uint32_t state, int nDraws) {
    for (int i = 0; i < nDraws; ++i) Draw(state);
    return state;
}

KickCandidate Entry(int nCheck, int nLostWhite, int nLostBlack) {
    KickCandidate e{};
    e.nCheck = nCheck;
    e.nLostWhite = nLostWhite;
    e.nLostBlack = nLostBlack;
    e.bValid = 1;
    e.fVx = 1.0f + float(nCheck);
    e.fVy = -0.5f;
    return e;
}

// A random position: 1 to 8 draughts of each side, apart from each other, well inside the board.
CDesk RandomPosition(CGameSettings& s, CCaseRandom& rnd) {
    CDesk d = EmptyDesk(s);
    const float fReach = s.BoardType == BOARD_SQUARE ? 0.6f : 0.68f;
    const int nBlack = 1 + int(rnd.Next() * 8.0f) % 8, nWhite = 1 + int(rnd.Next() * 8.0f) % 8;
    std::vector<std::pair<float, float>> placed;
    auto place = [&](int i, int nSide) {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const float x = (rnd.Next() * 2.0f - 1.0f) * fReach, y = (rnd.Next() * 2.0f - 1.0f) * fReach;
            if (s.BoardType != BOARD_SQUARE && std::hypot(x, y) > fReach) continue;
            bool bFree = true;
            for (const auto& [px, py] : placed) bFree = bFree && std::hypot(x - px, y - py) > 0.13f;
            if (!bFree) continue;
            placed.emplace_back(x, y);
            d.m_aChecks[i].Init(x, y, nSide);
            return;
        }
    };
    for (int i = 0; i < nBlack; ++i) place(i, SIDE_BLACK);
    for (int i = 0; i < nWhite; ++i) place(10 + i, SIDE_WHITE);
    return d;
}

void ExpectSameCheck(const CCheck& a, const CCheck& b, int i) {
    EXPECT_EQ(a.m_bOnDesk, b.m_bOnDesk) << "draught " << i;
    EXPECT_EQ(a.m_fX, b.m_fX) << "draught " << i;
    EXPECT_EQ(a.m_fY, b.m_fY) << "draught " << i;
    EXPECT_EQ(a.m_fVx0, b.m_fVx0) << "draught " << i;
    EXPECT_EQ(a.m_fVy0, b.m_fVy0) << "draught " << i;
    EXPECT_EQ(a.m_fDirX, b.m_fDirX) << "draught " << i;
    EXPECT_EQ(a.m_fDirY, b.m_fDirY) << "draught " << i;
    EXPECT_EQ(a.m_bMoving, b.m_bMoving) << "draught " << i;
    EXPECT_EQ(a.m_fSlideTime, b.m_fSlideTime) << "draught " << i;
}

class BeepAndLogCapture {
public:
    BeepAndLogCapture() {
        platform::SetBeepHandler([this](int nHz, int nMs) {
            std::lock_guard lock(m_mutex);
            m_beeps.emplace_back(nHz, nMs);
        });
        platform::SetLogSink([](const std::string&) {});
    }
    ~BeepAndLogCapture() {
        platform::SetBeepHandler({});
        platform::SetLogSink({});
    }
    std::vector<std::pair<int, int>> Beeps() {
        std::lock_guard lock(m_mutex);
        return m_beeps;
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<int, int>> m_beeps;
};

// ---------------------------------------------------------------------------------------
// Choice

struct SPlacedEntry {
    int nRow, nCol;
    KickCandidate e;
};

struct SChoiceCase {
    const char* name;
    int nSide;
    std::vector<SPlacedEntry> entries;
    std::vector<std::pair<int, int>> ties;  // in scan order; the draw picks among all but the last
    ai::EChoice expected;
};

TEST(ChooseCandidate, FewestOwnLossesThenMostOpponentLossesThenDraw) {
    KickCandidate unused = Entry(4, 0, 0);
    unused.bValid = 0;
    KickCandidate negative = Entry(4, 0, 0);
    negative.nCheck = -1;
    const SChoiceCase cases[] = {
        {"one entry", SIDE_BLACK, {{3, 2, Entry(5, 2, 1)}}, {{3, 2}}, ai::EChoice::Chosen},
        {"fewer own losses beat more opponent losses", SIDE_BLACK,
         {{0, 0, Entry(1, 3, 1)}, {0, 1, Entry(1, 0, 0)}}, {{0, 1}}, ai::EChoice::Chosen},
        {"white counts white losses as own", SIDE_WHITE,
         {{0, 0, Entry(11, 0, 3)}, {1, 0, Entry(12, 1, 5)}}, {{0, 0}}, ai::EChoice::Chosen},
        {"most opponent losses among the fewest own", SIDE_BLACK,
         {{0, 0, Entry(1, 1, 0)}, {1, 4, Entry(2, 2, 0)}, {2, 0, Entry(3, 3, 1)}}, {{1, 4}}, ai::EChoice::Chosen},
        {"two equal: the first", SIDE_BLACK, {{0, 3, Entry(1, 1, 0)}, {2, 1, Entry(3, 1, 0)}},
         {{0, 3}, {2, 1}}, ai::EChoice::Chosen},
        {"three equal: first or second", SIDE_WHITE,
         {{0, 1, Entry(10, 0, 2)}, {1, 0, Entry(11, 0, 2)}, {4, 4, Entry(14, 0, 2)}, {5, 5, Entry(15, 1, 9)}},
         {{0, 1}, {1, 0}, {4, 4}}, ai::EChoice::Chosen},
        {"unused entries do not count", SIDE_BLACK, {{0, 0, unused}, {0, 1, Entry(2, 1, 1)}}, {{0, 1}},
         ai::EChoice::Chosen},
        {"empty table", SIDE_BLACK, {}, {}, ai::EChoice::NothingChosen},
        {"negative draught index", SIDE_BLACK, {{0, 0, negative}}, {{0, 0}}, ai::EChoice::NothingChosen},
    };
    for (const SChoiceCase& c : cases) {
        KickCandidateTable table{};
        for (const SPlacedEntry& p : c.entries) table[p.nRow][p.nCol] = p.e;
        std::set<std::pair<int, int>> seen;
        for (uint32_t state = 1; state < 400; state += 7) {
            platform::SetRandState(state);
            int nRow = -7, nCol = -7;
            const ai::EChoice got = ai::ChooseCandidate(table, c.nSide, nRow, nCol);
            ASSERT_EQ(got, c.expected) << c.name;
            const int nTies = int(c.ties.size());
            uint32_t expectedState = state;
            std::pair<int, int> expected = {-1, -1};
            if (nTies == 1) expected = c.ties[0];
            if (nTies >= 2) expected = c.ties[size_t(Draw(expectedState) % (nTies - 1))];
            EXPECT_EQ(platform::GetRandState(), expectedState) << c.name << ": one draw only with 2 or more ties";
            if (got != ai::EChoice::Chosen) continue;
            EXPECT_EQ(std::make_pair(nRow, nCol), expected) << c.name << ", state " << state;
            seen.insert({nRow, nCol});
        }
        if (c.ties.size() == 3) {
            EXPECT_EQ(seen.size(), 2u) << c.name << ": both the first and the second are drawn";
            EXPECT_FALSE(seen.count(c.ties[2])) << c.name << ": never the last";
        }
    }
}

// ---------------------------------------------------------------------------------------
// Aiming error

struct SErrorCase {
    int nLevel, nTurnType;
    int nChance;            // 0: no chance draw
    int nStepsX;
    double fBackX;
    int nStepsY;
    double fBackY;
    double fMinX, fMaxX, fMinY, fMaxY;  // the ranges the rules state
};

TEST(AimingError, ByLevelAndTurnTypeFromKnownGeneratorStates) {
    const SErrorCase cases[] = {
        {LEVEL_BEGINNER, 0, 0, 40, 0.6, 40, 0.6, -0.6, 0.18, -0.6, 0.18},
        {LEVEL_BEGINNER, 1, 0, 40, 0.6, 40, 0.6, -0.6, 0.18, -0.6, 0.18},
        {LEVEL_PRO, 1, 4, 50, 0.5, 50, 0.5, -0.5, 0.48, -0.5, 0.48},
        {LEVEL_PRO, 0, 6, 40, 0.6, 50, 0.6, -0.6, 0.18, -0.6, 0.38},
        {LEVEL_PRO, 2, 6, 40, 0.6, 50, 0.6, -0.6, 0.18, -0.6, 0.38},
        {LEVEL_EXPERT, 1, 5, 50, 0.5, 50, 0.5, -0.5, 0.48, -0.5, 0.48},
        {LEVEL_EXPERT, 0, 7, 30, 0.7, 40, 0.7, -0.7, -0.12, -0.7, 0.08},
    };
    for (const SErrorCase& c : cases) {
        int nSpoilt = 0, nClean = 0;
        double fMinX = 1, fMaxX = -1, fMinY = 1, fMaxY = -1;
        for (uint32_t state = 11; state < 20000; state += 13) {
            uint32_t mine = state;
            double ex = 0.0, ey = 0.0;
            if (c.nChance == 0 || Draw(mine) % c.nChance == 0) {
                ex = Draw(mine) % c.nStepsX / 50.0 - c.fBackX;
                ey = Draw(mine) % c.nStepsY / 50.0 - c.fBackY;
                ++nSpoilt;
                fMinX = std::min(fMinX, ex), fMaxX = std::max(fMaxX, ex);
                fMinY = std::min(fMinY, ey), fMaxY = std::max(fMaxY, ey);
            } else {
                ++nClean;
            }
            platform::SetRandState(state);
            float fx = 9.0f, fy = 9.0f;
            ai::DrawAimingError(c.nLevel, c.nTurnType, fx, fy);
            SCOPED_TRACE(testing::Message() << "level " << c.nLevel << " turn type " << c.nTurnType << " state "
                                            << state << ": expected (" << ex << ", " << ey << ") got (" << fx
                                            << ", " << fy << ")");
            ASSERT_NEAR(fx, ex, 1e-6);
            ASSERT_NEAR(fy, ey, 1e-6);
            ASSERT_EQ(platform::GetRandState(), mine) << "the draws are consumed in order";
        }
        SCOPED_TRACE(testing::Message() << "level " << c.nLevel << " turn type " << c.nTurnType);
        EXPECT_NEAR(fMinX, c.fMinX, 1e-9);
        EXPECT_NEAR(fMaxX, c.fMaxX, 1e-9);
        EXPECT_NEAR(fMinY, c.fMinY, 1e-9);
        EXPECT_NEAR(fMaxY, c.fMaxY, 1e-9);
        if (c.nChance == 0) {
            EXPECT_EQ(nClean, 0) << "the beginner always misaims";
        } else {
            const double share = double(nSpoilt) / double(nSpoilt + nClean);
            EXPECT_NEAR(share, 1.0 / c.nChance, 0.05) << "misaims about 1 in " << c.nChance;
        }
    }
}

// ---------------------------------------------------------------------------------------
// The move

// Draws that the move makes besides the tie draw: two for the beginner, none at level 3 or
// at a level that is no level.
TEST(CompMove, ErrorDrawsFollowTheLevel) {
    const SPhysicsConstants k;
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (int nLevel : {int(LEVEL_BEGINNER), 3, -1, 42}) {
            CGameSettings s;
            s.BoardType = nBoard;
            s.m_nLevel = nLevel;
            const CDesk live = StartDesk(s);
            KickCandidateTable table;
            ai::SCompMove move;
            platform::SetRandState(777u);
            ASSERT_TRUE(ai::ComputeCompMove(k, s, live, SIDE_BLACK, {}, 1, move, &table));
            const uint32_t afterMove = platform::GetRandState();
            platform::SetRandState(777u);
            int nRow, nCol;
            ASSERT_EQ(ai::ChooseCandidate(table, SIDE_BLACK, nRow, nCol), ai::EChoice::Chosen);
            EXPECT_EQ(nRow, move.nRow);
            EXPECT_EQ(nCol, move.nCol);
            const uint32_t afterChoice = platform::GetRandState();
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " level " << nLevel);
            const KickCandidate& e = table[nRow][nCol];
            EXPECT_EQ(move.fVx, e.fVx);
            EXPECT_EQ(move.fVy, e.fVy);
            EXPECT_EQ(move.nCheck, e.nCheck);
            EXPECT_EQ(live.m_aChecks[move.nCheck].m_nSide, SIDE_BLACK);
            if (nLevel != LEVEL_BEGINNER) {
                EXPECT_EQ(afterMove, afterChoice);
                EXPECT_EQ(move.fErrX, 0.0f);
                EXPECT_EQ(move.fErrY, 0.0f);
            } else {
                EXPECT_EQ(afterMove, AfterDraws(afterChoice, 2));
                EXPECT_GE(move.fErrX, -0.6f);
                EXPECT_LE(move.fErrX, 0.18f + 1e-6f);
            }
        }
}

TEST(CompMove, WrittenLikeAPlayersAim) {
    CGameSettings s;
    s.BoardType = BOARD_ROUND;
    CDesk live = StartDesk(s);
    const CDesk before = live;
    for (SMover& m : s.m_aMovers) m = {7, 1};
    ai::SCompMove move;
    move.nCheck = 4;
    move.fVx = 1.5f;
    move.fVy = -2.0f;
    move.fErrX = 0.1f;
    move.fErrY = -0.3f;
    ai::WriteCompMove(move, s, live);
    const CCheck& c = live.m_aChecks[4];
    const float vx = 1.5f + 0.1f, vy = -2.0f - 0.3f;
    EXPECT_EQ(c.m_fVx0, vx);
    EXPECT_EQ(c.m_fVy0, vy);
    EXPECT_NEAR(c.m_fDirX, vx / std::hypot(vx, vy), 1e-7);
    EXPECT_NEAR(c.m_fDirY, vy / std::hypot(vx, vy), 1e-7);
    EXPECT_EQ(c.m_fSpin0, 0.0f);
    EXPECT_EQ(c.m_fSlideTime, 0.0f);
    EXPECT_EQ(c.m_bMoving, 1);
    EXPECT_EQ(c.m_fX, before.m_aChecks[4].m_fX);
    for (int i = 0; i < kFlickSlot; ++i) EXPECT_EQ(s.m_aMovers[i].bActive, 0) << "slot " << i;
    EXPECT_EQ(s.m_aMovers[kFlickSlot].bActive, 1);
    EXPECT_EQ(s.m_aMovers[kFlickSlot].nCheck, 4);
    for (int i = 0; i < kCheckCount; ++i)
        if (i != 4) ExpectSameCheck(live.m_aChecks[i], before.m_aChecks[i], i);
}

// CalcKickAI writes the chosen flick plus its error into the live position and starts
// the simulation thread, with the same draws as the move computed apart.
TEST(CalcKickAI, StartsTheChosenFlickFromTheLivePosition) {
    BeepAndLogCapture capture;
    const SPhysicsConstants k;
    for (int nBoard = BOARD_SQUARE; nBoard <= BOARD_TWELVE; ++nBoard)
        for (int nLevel : {int(LEVEL_BEGINNER), int(LEVEL_PRO), int(LEVEL_EXPERT), 3}) {
            SCOPED_TRACE(testing::Message() << "board " << nBoard << " level " << nLevel);
            CGameSettings s;
            s.BoardType = nBoard;
            s.m_nLevel = nLevel;
            s.CheckType = (nBoard + nLevel) % 3;
            CDesk live = StartDesk(s);
            const CDesk before = live;
            const uint32_t state = 1000u + uint32_t(nBoard * 10 + nLevel);
            CGameSettings apart(s);
            ai::SCompMove move;
            platform::SetRandState(state);
            ASSERT_TRUE(ai::ComputeCompMove(k, apart, live, SIDE_WHITE, {}, 1, move));
            const uint32_t afterMove = platform::GetRandState();

            platform::CWindowQueue window;
            CKickPhysics physics;
            physics.SetSettings(&s);
            physics.SetDesk(&live);
            physics.SetWindow(&window);
            platform::SetRandState(state);
            EXPECT_EQ(physics.CalcKickAI(SIDE_WHITE, &live), 1);
            EXPECT_EQ(platform::GetRandState(), afterMove);
            EXPECT_TRUE(physics.HasKickThread());
            const CCheck& c = live.m_aChecks[move.nCheck];
            EXPECT_EQ(c.m_fVx0, move.fVx + move.fErrX);
            EXPECT_EQ(c.m_fVy0, move.fVy + move.fErrY);
            EXPECT_EQ(c.m_bMoving, 1);
            EXPECT_EQ(c.m_fSlideTime, 0.0f);
            for (int i = 0; i < kCheckCount; ++i)
                if (i != move.nCheck) ExpectSameCheck(live.m_aChecks[i], before.m_aChecks[i], i);
            physics.TerminateThreads();
        }
    EXPECT_TRUE(capture.Beeps().empty());
}

TEST(CalcKickAI, NoOwnDraughtBeepsTwiceAndFlicksNothing) {
    BeepAndLogCapture capture;
    CGameSettings s;
    s.BoardType = BOARD_SQUARE;
    CDesk live = DeskWith(s, {{10, 0.0f, 0.0f, SIDE_WHITE}, {11, 0.3f, 0.2f, SIDE_WHITE}});
    const CDesk before = live;
    platform::CWindowQueue window;
    CKickPhysics physics;
    physics.SetSettings(&s);
    physics.SetDesk(&live);
    physics.SetWindow(&window);
    platform::SetRandState(55u);
    EXPECT_EQ(physics.CalcKickAI(SIDE_BLACK, &live), 0);
    const std::vector<std::pair<int, int>> expected = {{3000, 1000}, {3000, 200}};
    EXPECT_EQ(capture.Beeps(), expected);
    EXPECT_FALSE(physics.HasKickThread());
    EXPECT_EQ(window.Size(), 0u);
    EXPECT_EQ(platform::GetRandState(), 55u);
    for (int i = 0; i < kCheckCount; ++i) ExpectSameCheck(live.m_aChecks[i], before.m_aChecks[i], i);
}

// ---------------------------------------------------------------------------------------
// One thread or two: the same move

void ExpectSameTables(const KickCandidateTable& a, const KickCandidateTable& b) {
    for (int r = 0; r < kCandidateRows; ++r)
        for (int c = 0; c < kCandidateCols; ++c) {
            const KickCandidate& x = a[r][c];
            const KickCandidate& y = b[r][c];
            SCOPED_TRACE(testing::Message() << "entry (" << r << ", " << c << ")");
            ASSERT_EQ(x.bValid, y.bValid);
            EXPECT_EQ(x.nCheck, y.nCheck);
            EXPECT_EQ(x.nLostWhite, y.nLostWhite);
            EXPECT_EQ(x.nLostBlack, y.nLostBlack);
            EXPECT_EQ(x.fVx, y.fVx);
            EXPECT_EQ(x.fVy, y.fVy);
            EXPECT_EQ(x.fDirX, y.fDirX);
            EXPECT_EQ(x.fDirY, y.fDirY);
            EXPECT_EQ(x.fSpin, y.fSpin);
        }
}

TEST(CompMove, TwoThreadsChooseExactlyWhatOneThreadChooses) {
    const SPhysicsConstants k;
    CCaseRandom rnd(2024u);
    int nPositions = 0, nWithLosses = 0;
    for (int n = 0; n < 120; ++n) {
        CGameSettings s;
        s.BoardType = n % 3;
        s.m_nLevel = (n / 3) % 4;
        s.TurnType = (n / 12) % 2;
        s.CheckType = (n / 5) % 3;
        s.m_nWhiteShift = n % 7 == 0 ? 4 : 0;
        s.m_nBlackShift = n % 7 == 0 ? 4 : 0;
        const int nSide = 1 + (n / 24) % 2;
        const CDesk live = n < 6 ? StartDesk(s) : RandomPosition(s, rnd);
        const uint32_t state = 9000u + uint32_t(n) * 31u;
        SCOPED_TRACE(testing::Message() << "position " << n << " board " << s.BoardType << " level " << s.m_nLevel
                                        << " turn type " << s.TurnType << " side " << nSide);
        CGameSettings one(s), two(s);
        KickCandidateTable t1, t2;
        ai::SCompMove m1, m2;
        platform::SetRandState(state);
        ASSERT_TRUE(ai::ComputeCompMove(k, one, live, nSide, {}, 1, m1, &t1));
        const uint32_t after1 = platform::GetRandState();
        platform::SetRandState(state);
        ASSERT_TRUE(ai::ComputeCompMove(k, two, live, nSide, {}, 2, m2, &t2));
        EXPECT_EQ(platform::GetRandState(), after1);
        ExpectSameTables(t1, t2);
        EXPECT_EQ(m1.nCheck, m2.nCheck);
        EXPECT_EQ(m1.nRow, m2.nRow);
        EXPECT_EQ(m1.nCol, m2.nCol);
        EXPECT_EQ(m1.fVx, m2.fVx);
        EXPECT_EQ(m1.fVy, m2.fVy);
        EXPECT_EQ(m1.fErrX, m2.fErrX);
        EXPECT_EQ(m1.fErrY, m2.fErrY);
        EXPECT_EQ(one.m_nKnockedWhite, two.m_nKnockedWhite);
        EXPECT_EQ(one.m_nKnockedBlack, two.m_nKnockedBlack);
        EXPECT_EQ(one.m_fSlideFriction, two.m_fSlideFriction);
        EXPECT_EQ(one.m_fBounce, two.m_fBounce);
        for (int i = 0; i < kMoverSlots; ++i) {
            EXPECT_EQ(one.m_aMovers[i].bActive, two.m_aMovers[i].bActive) << "mover slot " << i;
            EXPECT_EQ(one.m_aMovers[i].nCheck, two.m_aMovers[i].nCheck) << "mover slot " << i;
        }
        const KickCandidate& e = t1[m1.nRow][m1.nCol];
        nWithLosses += e.nLostWhite + e.nLostBlack > 0;
        ++nPositions;
    }
    EXPECT_EQ(nPositions, 120);
    EXPECT_GT(nWithLosses, 60) << "the positions must give the search something to choose";
}

}  // namespace
