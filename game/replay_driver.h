// Watching a kept match: plays a checked record set by set and flick by flick, each flick from
// its recorded launch, with a rest between flicks, pause, step and quit, and compares the
// position after every flick with the recorded hash. It knows no window: the host shows the
// sets, plays the flicks and reports their ends. Window thread, like the match.
#pragma once

#include <cstdint>
#include <string>

#include "game/match_record.h"

// Milliseconds of rest before a set's first flick and between flicks, so each can be followed.
inline constexpr int64_t kReplaySetRestMs = 1500;
inline constexpr int64_t kReplayFlickRestMs = 1000;

class IReplayHost {
public:
    virtual ~IReplayHost() = default;
    // The settings of the record and a set's layout with its line shifts, in the start view.
    virtual void ShowSet(const SRecordSettings& settings, int nWhiteShift, int nBlackShift) = 0;
    // Writes the launch into the live draught and plays the flick; the host calls
    // CReplayDriver::OnFlickEnded once its playback has ended.
    virtual void PlayFlick(const SRecordFlick& flick) = 0;
    // The flick in flight stops and its end is put in place at once; returns its rest hash.
    virtual uint64_t FinishFlickAtOnce() = 0;
    // The flick in flight holds or goes on.
    virtual void PauseFlick(bool bPause) = 0;
    // The line that says whose flick it is, or that the replay ended or stopped.
    virtual void ShowText(const std::string& text) = 0;
    // The record is over; error names the line that did not match, empty after the last flick.
    virtual void Ended(const std::string& error) = 0;
};

class CReplayDriver {
public:
    enum class EState { Resting, Flicking, Ended };

    // name: the record's file as messages name it.
    CReplayDriver(IReplayHost& host, SMatchRecord record, std::string name);

    // The first set; its first flick after a rest.
    void Start(int64_t nNowMs);
    // Called often: the next flick starts once the rest is over.
    void Tick(int64_t nNowMs);
    // The playback of the flick in flight ended at the position of this hash.
    void OnFlickEnded(uint64_t nHash, int64_t nNowMs);
    // P: pause or go on. N: the flick in flight ends at once or the next one starts now.
    void TogglePause();
    void Step(int64_t nNowMs);

    EState State() const { return m_eState; }
    bool IsPaused() const { return m_bPaused; }
    // Flicks played and found as recorded.
    int FlicksMatched() const { return m_nMatched; }
    const std::string& Error() const { return m_error; }

private:
    // Starts the next flick, or the next set, or ends the replay.
    void Advance(int64_t nNowMs);
    void End(const std::string& error);
    std::string TurnText(const SRecordFlick& flick) const;

    IReplayHost& m_host;
    SMatchRecord m_record;
    std::string m_name;
    EState m_eState = EState::Ended;
    bool m_bPaused = false;
    size_t m_nSet = 0, m_nFlick = 0;  // the next flick to play
    int64_t m_nDueMs = 0;             // when the rest ends
    int m_nMatched = 0;
    std::string m_error;
};
