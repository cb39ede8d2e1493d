// The game window as the host of a watched record: the sets and flicks go through the match's
// layout and start view and the normal flick thread and playback. Window thread.
#pragma once

#include "game/replay_driver.h"
#include "physics/desk.h"

class CGameWnd;

class CWndReplayHost final : public IReplayHost {
public:
    explicit CWndReplayHost(CGameWnd& wnd) : m_wnd(wnd) {}

    void ShowSet(const SRecordSettings& settings, int nWhiteShift, int nBlackShift) override;
    void PlayFlick(const SRecordFlick& flick) override;
    uint64_t FinishFlickAtOnce() override;
    void PauseFlick(bool bPause) override;
    void ShowText(const std::string& text) override;
    void Ended(const std::string& error) override;
    // The playback starts when the pause ends.
    void HoldPlayback() { m_bWasPlaying = true; }

private:
    CGameWnd& m_wnd;
    CDesk m_before;              // the position the flick in flight started from
    SRecordFlick m_flick;        // that flick
    bool m_bWasPlaying = false;  // the playback ran when the flick was paused
};
