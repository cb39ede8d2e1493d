// Frame statistics: percentiles from the histogram against a sorted list of the same frames,
// phases kept apart, gaps not counted as frames, and one click-to-screen delay per click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "app/frame_stats.h"

namespace {

using namespace std::chrono_literals;

double SortedPercentile(std::vector<double> v, double q) {
    std::sort(v.begin(), v.end());
    const auto nRank = static_cast<size_t>(std::ceil(q * static_cast<double>(v.size())));
    return v[std::max<size_t>(nRank, 1) - 1];
}

TEST(FrameStatsTest, PercentilesMatchASortedListWithinOneBucket) {
    std::mt19937 rng(7);
    struct SCase {
        const char* szName;
        std::vector<double> frames;
    };
    std::lognormal_distribution<double> slow(1.5, 0.6);
    std::uniform_real_distribution<double> even(2.0, 9.0);
    SCase cases[] = {{"log-normal", {}}, {"uniform", {}}, {"one long frame", {}}};
    for (int i = 0; i < 5000; ++i) cases[0].frames.push_back(slow(rng));
    for (int i = 0; i < 777; ++i) cases[1].frames.push_back(even(rng));
    cases[2].frames.assign(199, 4.0);
    cases[2].frames.push_back(250.0);  // past the histogram: only the maximum knows it
    for (const SCase& c : cases) {
        CFrameStats stats;
        for (double f : c.frames) stats.Record(EFramePhase::Quiet, f);
        const SFrameSummary s = stats.Summary(EFramePhase::Quiet);
        EXPECT_EQ(c.frames.size(), s.nFrames) << c.szName;
        for (auto [q, got] : {std::pair{0.5, s.fMedianMs}, std::pair{0.99, s.fP99Ms}}) {
            const double want = SortedPercentile(c.frames, q);
            EXPECT_GE(got, want) << c.szName << " q " << q;
            EXPECT_LE(got, want + CFrameStats::kBucketMs) << c.szName << " q " << q;
        }
        EXPECT_DOUBLE_EQ(*std::max_element(c.frames.begin(), c.frames.end()), s.fMaxMs) << c.szName;
    }
}

TEST(FrameStatsTest, PhasesAreKeptApartAndClearedTogether) {
    CFrameStats stats;
    for (int i = 0; i < 10; ++i) stats.Record(EFramePhase::Quiet, 3.0);
    for (int i = 0; i < 4; ++i) stats.Record(EFramePhase::CompThinking, 12.0);
    stats.Record(EFramePhase::FlickPlaying, -1.0);  // not a frame
    EXPECT_EQ(10u, stats.Summary(EFramePhase::Quiet).nFrames);
    EXPECT_EQ(4u, stats.Summary(EFramePhase::CompThinking).nFrames);
    EXPECT_EQ(0u, stats.Summary(EFramePhase::FlickPlaying).nFrames);
    EXPECT_GE(stats.Summary(EFramePhase::CompThinking).fMedianMs, 12.0);
    EXPECT_LE(stats.Summary(EFramePhase::CompThinking).fMedianMs, 12.0 + 1.5 * CFrameStats::kBucketMs);
    const std::string text = stats.Describe();
    EXPECT_NE(std::string::npos, text.find("quiet: 10 frames")) << text;
    EXPECT_NE(std::string::npos, text.find("computer choosing: 4 frames")) << text;
    EXPECT_EQ(std::string::npos, text.find("flick playing")) << text;
    stats.Clear();
    EXPECT_EQ(0u, stats.Summary(EFramePhase::Quiet).nFrames);
    EXPECT_TRUE(stats.Describe().empty());
}

TEST(FrameStatsTest, AGapStartsTheFrameClockAfresh) {
    CFrameStats stats;
    const auto t0 = CFrameStats::Clock::time_point{} + 1s;
    EXPECT_LT(stats.SinceLastFrame(t0), 0.0) << "the first frame has no predecessor";
    EXPECT_NEAR(5.0, stats.SinceLastFrame(t0 + 5ms), 1e-9);
    stats.Break();  // e.g. the pause screen
    EXPECT_LT(stats.SinceLastFrame(t0 + 3s), 0.0) << "the pause is not a frame";
    EXPECT_NEAR(7.0, stats.SinceLastFrame(t0 + 3s + 7ms), 1e-9);
}

TEST(FrameStatsTest, AFlickIsReportedOnScreenOncePerClick) {
    CFrameStats stats;
    const auto t0 = CFrameStats::Clock::time_point{} + 1s;
    EXPECT_LT(stats.FlickShown(t0), 0.0) << "no click yet";
    stats.MarkFlickClick(t0);
    EXPECT_NEAR(21.0, stats.FlickShown(t0 + 21ms), 1e-9);
    EXPECT_LT(stats.FlickShown(t0 + 40ms), 0.0) << "later frames of the same flick";
    stats.MarkFlickClick(t0 + 2s);
    stats.Clear();  // the match ended before the flick showed
    EXPECT_LT(stats.FlickShown(t0 + 3s), 0.0);
}

}  // namespace
