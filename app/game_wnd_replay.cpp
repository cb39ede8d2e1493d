// The window's side of watching a kept match (--replay) and of the instant replay of the last
// flick in a match: the replay host, their keys and the end of their flicks. Window thread.
#include <chrono>
#include <cstdio>
#include <mutex>

#include "app/framework/message_box.h"
#include "app/game_entry.h"
#include "app/game_wnd.h"
#include "app/game_wnd_replay_host.h"
#include "menus/sound_effects.h"
#include "physics/desk_hash.h"
#include "physics/flick_simulation.h"
#include "platform/log.h"

namespace {

constexpr unsigned kPauseKey = 'P';
constexpr unsigned kStepKey = 'N';
constexpr unsigned kQuitKey = 'Q';
constexpr int kReplayFailedCode = 1;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

void CWndReplayHost::ShowSet(const SRecordSettings& settings, int nWhiteShift, int nBlackShift) {
    CGameSettings& s = m_wnd.Settings();
    ApplyRecordSettings(settings, s);
    m_wnd.Physics().SuspendThreads();
    m_wnd.Physics().StopPlayback();
    m_wnd.Physics().TerminateThreads();
    m_wnd.NewSet(nWhiteShift, nBlackShift);
}

void CWndReplayHost::PlayFlick(const SRecordFlick& flick) {
    CKickPhysics& physics = m_wnd.Physics();
    physics.TerminateThreads();
    physics.ClearMotions();
    m_before = m_wnd.Desk();
    m_flick = flick;
    {
        std::lock_guard lock(physics.LiveDeskLock());
        ApplyLaunch(flick.launch, flick.nCheck, m_wnd.Desk(), m_wnd.Settings());
    }
    m_wnd.Settings().m_nMoverSide = flick.nSide;
    m_wnd.Settings().m_bMySideToMove = flick.nSide == (m_wnd.Settings().MyWhite ? SIDE_WHITE : SIDE_BLACK);
    physics.StartKickThread(flick.nCheck);
}

uint64_t CWndReplayHost::FinishFlickAtOnce() {
    CKickPhysics& physics = m_wnd.Physics();
    physics.SuspendThreads();
    physics.StopPlayback();
    physics.TerminateThreads();
    physics.ClearMotions();
    CDesk desk = m_before;
    // The thread's run used up the settings' mover table: the launch starts it again.
    ApplyLaunch(m_flick.launch, m_flick.nCheck, desk, m_wnd.Settings());
    CGameSettings& settings = m_wnd.Settings();
    KeepFlickOutcome(RunFlick(physics.Constants(), MakeFlickInput(settings), m_flick.nCheck, desk,
                              settings.m_aMovers, true, nullptr),
                     settings);
    std::lock_guard lock(physics.LiveDeskLock());
    m_wnd.Desk() = desk;
    return RestPositionHash(desk);
}

void CWndReplayHost::PauseFlick(bool bPause) {
    CKickPhysics& physics = m_wnd.Physics();
    if (bPause) {
        physics.SuspendThreads();
        m_bWasPlaying = physics.IsPlaying();
        physics.StopPlayback();
        return;
    }
    if (m_bWasPlaying) physics.StartPlayback();
    m_bWasPlaying = false;
    physics.ResumeThreads();
}

void CWndReplayHost::ShowText(const std::string& text) { m_wnd.m_replayText = text; }

void CWndReplayHost::Ended(const std::string& error) {
    if (error.empty()) return;  // the last position stays until the viewer quits
    std::fprintf(stderr, "kelvodara: %s\n", error.c_str());
    ShowErrorBox(kErrorBoxCaption, error);
    m_wnd.Quit(kReplayFailedCode);
}

void CGameWnd::WatchRecord(SMatchRecord record, const std::string& name) {
    m_pReplayHost = std::make_unique<CWndReplayHost>(*this);
    m_pReplay = std::make_unique<CReplayDriver>(*m_pReplayHost, std::move(record), name);
}

void CGameWnd::OnSceneReadyForReplay() {
    if (!m_pReplay) return;
    if (m_bReplayStarted) {
        // The scene was made again (a mode switch): the settings file was read back.
        ApplyRecordSettings(m_replaySettings, m_settings);
        return;
    }
    m_bReplayStarted = true;
    SetScreen(SCREEN_GAME);
    EnableGameControls(false);
    m_pReplay->Start(NowMs());
    m_replaySettings = RecordSettingsOf(m_settings);
}

void CGameWnd::TickReplay() {
    if (m_pReplay && m_bReplayStarted) m_pReplay->Tick(NowMs());
}

void CGameWnd::OnReplayKey(unsigned nKey) {
    switch (nKey) {
    case kPauseKey:
    case VK_SPACE: m_pReplay->TogglePause(); break;
    case kStepKey:
    case VK_RIGHT: m_pReplay->Step(NowMs()); break;
    case kQuitKey:
    case VK_ESCAPE:
        Quit(0);
        break;
    default: break;
    }
}

bool CGameWnd::StartInstantReplay() {
    if (m_nCurScreen != SCREEN_GAME || m_match.IsBusy() || m_match.IsMarkSet() ||
        !m_instantReplay.Start(m_desk, m_settings, m_physics)) {
        RequestSound(SOUND_ERROR, 0);
        return false;
    }
    m_replayText = "replay of the last flick";
    EnableGameControls(false);
    return true;
}

bool CGameWnd::OnReplayFlickFinished() {
    if (m_instantReplay.IsRunning()) {
        m_physics.TerminateThreads();
        m_physics.ClearMotions();
        {
            std::lock_guard lock(m_physics.LiveDeskLock());
            m_instantReplay.Finish(m_desk, m_settings);
        }
        m_replayText.clear();
        EnableGameControls(true);
        platform::Log("Instant replay over: back to the present position");
        return true;
    }
    if (!m_pReplay) return false;
    uint64_t nHash = 0;
    {
        std::lock_guard lock(m_physics.LiveDeskLock());
        nHash = RestPositionHash(m_desk);
    }
    m_pReplay->OnFlickEnded(nHash, NowMs());
    return true;
}

void CGameWnd::KeepFlickForReplay() {
    if (!m_pReplay && !m_instantReplay.IsRunning()) m_instantReplay.Keep(m_desk, m_physics.KickCheck());
}

bool CGameWnd::HoldPlaybackForReplay() {
    if (!m_pReplay || !m_pReplay->IsPaused()) return false;
    m_pReplayHost->HoldPlayback();
    return true;
}
