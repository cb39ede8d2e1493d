#include "game/replay_driver.h"

#include <utility>

#include "core/players.h"
#include "platform/log.h"

namespace {

constexpr int kWhiteSide = 1;
constexpr const char* kPausedSuffix = " (paused)";
constexpr const char* kOverText = "end of the replay";
constexpr const char* kDiffersText = "the position differs from the recorded one";

}  // namespace

CReplayDriver::CReplayDriver(IReplayHost& host, SMatchRecord record, std::string name)
    : m_host(host), m_record(std::move(record)), m_name(std::move(name)) {}

void CReplayDriver::Start(int64_t nNowMs) {
    m_nSet = 0;
    m_nFlick = 0;
    m_nMatched = 0;
    m_bPaused = false;
    m_error.clear();
    if (m_record.sets.empty()) {
        End("");
        return;
    }
    m_eState = EState::Resting;
    const SRecordSet& set = m_record.sets.front();
    m_host.ShowSet(m_record.settings, set.nWhiteShift, set.nBlackShift);
    m_host.ShowText("set 1");
    m_nDueMs = nNowMs + kReplaySetRestMs;
}

void CReplayDriver::Tick(int64_t nNowMs) {
    if (m_eState == EState::Resting && !m_bPaused && nNowMs >= m_nDueMs) Advance(nNowMs);
}

void CReplayDriver::Advance(int64_t nNowMs) {
    const std::vector<SRecordFlick>& flicks = m_record.sets[m_nSet].flicks;
    if (m_nFlick < flicks.size()) {
        m_eState = EState::Flicking;
        platform::Log("Replay flick %zu of set %zu: draught %d", m_nFlick + 1, m_nSet + 1, flicks[m_nFlick].nCheck);
        m_host.ShowText(TurnText(flicks[m_nFlick]));
        m_host.PlayFlick(flicks[m_nFlick]);
        return;
    }
    if (m_nSet + 1 >= m_record.sets.size()) {
        End("");
        return;
    }
    ++m_nSet;
    m_nFlick = 0;
    const SRecordSet& set = m_record.sets[m_nSet];
    m_host.ShowSet(m_record.settings, set.nWhiteShift, set.nBlackShift);
    m_host.ShowText("set " + std::to_string(m_nSet + 1));
    m_nDueMs = nNowMs + kReplaySetRestMs;
}

void CReplayDriver::OnFlickEnded(uint64_t nHash, int64_t nNowMs) {
    if (m_eState != EState::Flicking) return;
    const SRecordFlick& flick = m_record.sets[m_nSet].flicks[m_nFlick];
    if (nHash != flick.nHash) {
        End(m_name + ":" + std::to_string(flick.nLine) + ": " + kDiffersText);
        return;
    }
    ++m_nMatched;
    ++m_nFlick;
    m_eState = EState::Resting;
    m_nDueMs = nNowMs + kReplayFlickRestMs;
}

void CReplayDriver::TogglePause() {
    if (m_eState == EState::Ended) return;
    m_bPaused = !m_bPaused;
    if (m_eState == EState::Flicking) m_host.PauseFlick(m_bPaused);
    const std::vector<SRecordFlick>& flicks = m_record.sets[m_nSet].flicks;
    std::string text = m_nFlick < flicks.size() ? TurnText(flicks[m_nFlick]) : "set " + std::to_string(m_nSet + 1);
    m_host.ShowText(m_bPaused ? text + kPausedSuffix : text);
}

void CReplayDriver::Step(int64_t nNowMs) {
    if (m_eState == EState::Ended) return;
    if (m_bPaused && m_eState == EState::Flicking) m_host.PauseFlick(false);
    m_bPaused = false;
    if (m_eState == EState::Flicking) {
        OnFlickEnded(m_host.FinishFlickAtOnce(), nNowMs);
        return;
    }
    Advance(nNowMs);
}

void CReplayDriver::End(const std::string& error) {
    m_eState = EState::Ended;
    m_error = error;
    if (error.empty()) platform::Log("Replay over: %d flicks as recorded", m_nMatched);
    else platform::Log("Replay stopped: %s", error.c_str());
    m_host.ShowText(error.empty() ? kOverText : error);
    m_host.Ended(error);
}

std::string CReplayDriver::TurnText(const SRecordFlick& flick) const {
    const SRecordSettings& s = m_record.settings;
    const char* szWho = s.nPlayers == kOnePlayer ? (flick.nSide == s.nSide ? "your" : "computer's")
                                                 : (flick.nSide == kWhiteSide ? "whites'" : "blacks'");
    return "set " + std::to_string(m_nSet + 1) + ", flick " + std::to_string(m_nFlick + 1) + " of " +
           std::to_string(m_record.sets[m_nSet].flicks.size()) + ": " + szWho + " flick";
}
