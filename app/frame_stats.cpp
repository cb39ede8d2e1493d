#include "app/frame_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kPhaseNames[kFramePhaseCount] = {"quiet", "computer choosing", "flick playing"};

double Percentile(const std::array<uint32_t, CFrameStats::kBuckets>& counts, uint64_t nTotal, double q) {
    // The smallest bucket bound that covers the q-th share of the frames.
    const auto nRank = static_cast<uint64_t>(std::ceil(q * static_cast<double>(nTotal)));
    uint64_t nSeen = 0;
    for (size_t i = 0; i < counts.size(); ++i) {
        nSeen += counts[i];
        if (nSeen >= std::max<uint64_t>(nRank, 1)) return static_cast<double>(i + 1) * CFrameStats::kBucketMs;
    }
    return static_cast<double>(counts.size()) * CFrameStats::kBucketMs;
}

}  // namespace

void CFrameStats::Record(EFramePhase phase, double fMs) {
    if (!(fMs >= 0.0)) return;  // also drops NaN
    SPhase& p = m_aPhases[static_cast<size_t>(phase)];
    const auto nBucket = std::min(kBuckets - 1, static_cast<size_t>(fMs / kBucketMs));
    ++p.aCounts[nBucket];
    ++p.nFrames;
    p.fMaxMs = std::max(p.fMaxMs, fMs);
}

SFrameSummary CFrameStats::Summary(EFramePhase phase) const {
    const SPhase& p = m_aPhases[static_cast<size_t>(phase)];
    SFrameSummary s;
    s.nFrames = p.nFrames;
    if (p.nFrames == 0) return s;
    s.fMedianMs = Percentile(p.aCounts, p.nFrames, 0.5);
    s.fP99Ms = Percentile(p.aCounts, p.nFrames, 0.99);
    s.fMaxMs = p.fMaxMs;
    return s;
}

std::string CFrameStats::Describe() const {
    std::string out;
    for (int i = 0; i < kFramePhaseCount; ++i) {
        const SFrameSummary s = Summary(static_cast<EFramePhase>(i));
        if (s.nFrames == 0) continue;
        char line[160];
        std::snprintf(line, sizeof line, "%sFrame times, %s: %llu frames, median %.2f ms, p99 %.2f ms, max %.2f ms",
                      out.empty() ? "" : "\n", kPhaseNames[i], static_cast<unsigned long long>(s.nFrames),
                      s.fMedianMs, s.fP99Ms, s.fMaxMs);
        out += line;
    }
    return out;
}

void CFrameStats::Clear() {
    m_aPhases = {};
    m_bHaveLast = false;
    m_bClickPending = false;
}

double CFrameStats::SinceLastFrame(Clock::time_point now) {
    const bool bHadLast = m_bHaveLast;
    const Clock::time_point tLast = m_tLast;
    m_tLast = now;
    m_bHaveLast = true;
    if (!bHadLast) return -1.0;
    return std::chrono::duration<double, std::milli>(now - tLast).count();
}

double CFrameStats::FlickShown(Clock::time_point now) {
    if (!m_bClickPending) return -1.0;
    m_bClickPending = false;
    return std::chrono::duration<double, std::milli>(now - m_tClick).count();
}
