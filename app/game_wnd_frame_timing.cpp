// What each presented frame of a match cost, by what the game was doing, and when the
// player's flick first showed on screen. Window thread.
#include <ctime>

#include "ai/comp_thinking.h"
#include "app/game_wnd.h"
#include "physics/kick_physics.h"
#include "platform/log.h"

namespace {

double ClockSeconds(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

void CGameWnd::OnFrameShown() {
    PollNetwork();
    const CFrameStats::Clock::time_point now = CFrameStats::Clock::now();
    // Menus, pauses and an inactive window are not frames of the match.
    if (m_nCurScreen != SCREEN_GAME || !IsActive()) {
        m_frameStats.Break();
        return;
    }
    const double fMs = m_frameStats.SinceLastFrame(now);
    const EFramePhase phase = g_bCompThinking.load()                           ? EFramePhase::CompThinking
                              : (m_physics.IsPlaying() || g_bKickRunning.load()) ? EFramePhase::FlickPlaying
                                                                                 : EFramePhase::Quiet;
    if (fMs >= 0.0) m_frameStats.Record(phase, fMs);
    // The playback takes its start time in the frame that draws the first record.
    if (g_bPlaybackStarted.load()) {
        const double fDelay = m_frameStats.FlickShown(now);
        if (fDelay >= 0.0)
            platform::Log("Flick drawn %.1f ms after the click (wall clock %.6f s, monotonic %.3f ms)", fDelay,
                          ClockSeconds(CLOCK_REALTIME), ClockSeconds(CLOCK_MONOTONIC) * 1e3);
    }
}
