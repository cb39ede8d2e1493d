// Frame times of a match by what the game is doing (nothing, the computer choosing, a flick
// playing), and the delay from the player's releasing click to the first frame that shows the
// draught moving. A fixed histogram keeps memory flat however long the game runs. Window thread.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

enum class EFramePhase : int { Quiet = 0, CompThinking = 1, FlickPlaying = 2 };
inline constexpr int kFramePhaseCount = 3;

struct SFrameSummary {
    uint64_t nFrames = 0;
    double fMedianMs = 0.0, fP99Ms = 0.0, fMaxMs = 0.0;
};

class CFrameStats {
public:
    using Clock = std::chrono::steady_clock;

    // One frame of the given phase that took fMs from the end of the previous frame.
    void Record(EFramePhase phase, double fMs);
    // Percentiles are bucket upper bounds (kBucketMs wide); the maximum is exact.
    SFrameSummary Summary(EFramePhase phase) const;
    // "Frame times, <phase>: N frames, median a ms, p99 b ms, max c ms" per phase with frames.
    std::string Describe() const;
    void Clear();

    // Frame pacing: the time since the last presented frame, or a negative value when there
    // was none or a gap (a menu, an inactive window) lay between.
    double SinceLastFrame(Clock::time_point now);
    void Break() { m_bHaveLast = false; }

    // The player's flick: the click that released it, then the first frame drawn with the
    // draught on its way. FlickShown returns the delay once per click, else a negative value.
    void MarkFlickClick(Clock::time_point t) {
        m_tClick = t;
        m_bClickPending = true;
    }
    double FlickShown(Clock::time_point now);

    static constexpr double kBucketMs = 0.05;
    static constexpr size_t kBuckets = 4000;  // 200 ms; longer frames share the last bucket

private:
    struct SPhase {
        std::array<uint32_t, kBuckets> aCounts{};
        uint64_t nFrames = 0;
        double fMaxMs = 0.0;
    };
    std::array<SPhase, kFramePhaseCount> m_aPhases{};
    Clock::time_point m_tLast{};
    bool m_bHaveLast = false;
    Clock::time_point m_tClick{};
    bool m_bClickPending = false;
};
