// Frame statistics: percentiles from the histogram against a sorted list of the same frames,
// phases kept apart, gaps not counted as frames, and one click-to-screen delay per click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "app/frame_stats.h"

namespace {

using namespace std::chrono_literals;

TEST(FrameStatsTest, PercentilesMatchASortedListWithinOneBucketAndPhasesAreKeptApart) {
    std::mt19937 rng(7);
    std::lognormal_distribution<double> slow(1.5, 0.6);
    std::vector<double> frames(199, 4.0);
    frames.push_back(250.0);  // past the histogram: only the maximum knows it
    for (int i = 0; i < 5000; ++i) frames.push_back(slow(rng));
    CFrameStats stats;
    for (double f : frames) stats.Record(EFramePhase::Quiet, f);
    stats.Record(EFramePhase::CompThinking, 12.0), stats.Record(EFramePhase::FlickPlaying, -1.0);  // the last no frame
    const SFrameSummary s = stats.Summary(EFramePhase::Quiet);
    std::sort(frames.begin(), frames.end());
    for (auto [q, got] : {std::pair{0.5, s.fMedianMs}, std::pair{0.99, s.fP99Ms}}) {
        const double want = frames[static_cast<size_t>(std::ceil(q * static_cast<double>(frames.size()))) - 1];
        EXPECT_TRUE(got >= want && got <= want + CFrameStats::kBucketMs) << q << ": " << got << " for " << want;
    }
    EXPECT_EQ(std::tuple(s.nFrames, s.fMaxMs), std::tuple(frames.size(), 250.0));
    const std::string text = stats.Describe();  // phases without frames are left out
    EXPECT_TRUE(text.find("computer choosing: 1 frames") != text.npos && text.find("flick") == text.npos) << text;
}

TEST(FrameStatsTest, GapsAreNoFramesAndAFlickShowsOncePerClick) {
    CFrameStats stats;
    const auto t0 = CFrameStats::Clock::time_point{} + 1s;
    stats.SinceLastFrame(t0), stats.Break();  // e.g. the pause screen
    EXPECT_LT(stats.SinceLastFrame(t0 + 3s), 0.0) << "the pause is not a frame";
    EXPECT_NEAR(5.0, stats.SinceLastFrame(t0 + 3s + 5ms), 1e-9);
    stats.MarkFlickClick(t0);
    EXPECT_NEAR(21.0, stats.FlickShown(t0 + 21ms), 1e-9);
    EXPECT_LT(stats.FlickShown(t0 + 40ms), 0.0) << "later frames of the same flick";
    stats.MarkFlickClick(t0 + 2s), stats.Clear();  // the match ended before the flick showed
    EXPECT_LT(stats.FlickShown(t0 + 3s), 0.0);
}

}  // namespace
