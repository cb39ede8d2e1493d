// CGameWnd: construction and teardown of the game window, its message dispatch and the
// mouse routing into the current screen. Window thread (GetGameWnd: any thread).
#include "app/game_wnd.h"

#include "app/anim_thread.h"
#include "app/game_events.h"
#include "app/game_handle.h"
#include "menus/sound_effects.h"
#include "platform/log.h"

CGameWnd* g_pGameWnd = nullptr;

CGameWnd* GetGameWnd() { return g_pGameWnd; }

CGameWnd::CGameWnd(EWindowBackend backend) : CGLWnd(backend) {
    m_resource.SetDatFile("res.dat");
    m_physics.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
    m_physics.SetSettings(&m_settings);
    m_physics.SetDesk(&m_desk);
    m_match.SetRecorder(&m_recorder);
    m_physics.SetWindow(GetHWND());
    m_physics.SetSendMessage(
        [this](uint32_t nMsg, uintptr_t wParam, intptr_t lParam) { SendMessage(nMsg, wParam, lParam); });
    m_physics.SetSoundRequest([this](int nSound, int nVolume) { RequestSound(nSound, nVolume); });
    m_desk.SetSettings(&m_settings);
    SetGameWndHandle(GetHWND());
    m_hDelayThread.Start(m_hStartCompTurnTimeoutEvent, m_hTimeoutCompTurnEvent);
    m_pHelpLines = kHelpLines;
    m_pAboutLines = kAboutLines;
    m_animThread.SetHandler(AnimThreadHandler);
    m_animThread.Start(&m_hStopRepeatEvent);
    m_soundThread.SetHandler(SoundThreadHandler);
    m_soundThread.Start(&m_settings);
    SetSoundThread(&m_soundThread);
}

CGameWnd::~CGameWnd() {
    StopWorkers();
    ReleaseGameSounds();
}

void CGameWnd::StopWorkers() {
    if (m_bWorkersStopped) return;
    m_bWorkersStopped = true;
    m_physics.TerminateThreads();
    m_hDelayThread.Stop();
    m_animThread.Stop();
    m_animThread.Close();
    m_soundThread.Stop();
    m_soundThread.Close();
    SetSoundThread(nullptr);
    SetGameWndHandle(nullptr);
}

void CGameWnd::RequestSound(int nSound, int nVolume) { ::RequestSound(nSound, nVolume); }
void CGameWnd::StartMenuMusic() { PlayMenuMusic(); }
void CGameWnd::StopMenuMusic() { ::StopMenuMusic(); }

// ---- Messages. ----

bool CGameWnd::OnCommand(unsigned wParam, long /*lParam*/) {
    if ((wParam & 0xFFFFu) != kCmdSwitchWindow) return false;
    RequestSwitchWindow();
    return true;
}

bool CGameWnd::OnAppMessage(platform::SMessage& msg) {
    const uintptr_t wParam = msg.wParam;
    const intptr_t lParam = msg.lParam;
    switch (msg.nMsg) {
    case UM_TURN_STEP: {
        if (lParam < 0 || lParam >= kTurnSteps) return true;
        const auto fAngle = static_cast<float>(kTurnStepRadians[static_cast<size_t>(lParam)]);
        if (wParam == VK_LEFT) RotateCameraLeft(fAngle);
        else if (wParam == VK_RIGHT) RotateCameraRight(fAngle);
        return true;
    }
    case UM_CAMERA_GEOM: {
        const stCamGeom* pStep = msg.Payload<stCamGeom>();
        if (!pStep) {
            platform::Log("UM_CAMERA_GEOM without a camera step");
            return true;
        }
        SetCamera(*pStep);
        UpdateGLWindow();
        return true;
    }
    case UM_LIST_NOTIFY:
        OnListNotify(static_cast<int>(wParam));
        return true;
    case UM_MENU_NOTIFY:
        OnMenuCommand(static_cast<int>(wParam), static_cast<int>(lParam));
        return true;
    case UM_FLICK_FINISHED:
        if (!OnReplayFlickFinished()) OnFlickFinished();
        return true;
    case UM_SCROLL:
        OnScroll(static_cast<int>(wParam), static_cast<int>(lParam));
        return true;
    case UM_CAMERA_KEY:
        CameraKeyStep(static_cast<unsigned>(wParam));
        return true;
    case UM_QUEUE_MOTION:
        m_physics.OnQueueMotion(msg.TakePayload<CDesk>());
        return true;
    case UM_START_PLAYBACK:
        KeepFlickForReplay();
        if (!HoldPlaybackForReplay()) m_physics.StartPlayback();
        return true;
    default:
        return false;
    }
}

// ---- Mouse: the current screen first, then the aiming on the game screen. ----

void CGameWnd::OnMouseMove(unsigned flags, long pos) {
    m_aScreens[m_nCurScreen].OnMouseMove(flags, GetMousePos());
    if (!IsWatchingRecord() && !IsInstantReplayRunning()) OnAimMove(pos);
}

void CGameWnd::OnLButtonDown(unsigned flags, long pos) {
    if (m_match.IsBusy() || IsWatchingRecord() || IsInstantReplayRunning()) return;
    if (m_aScreens[m_nCurScreen].OnMouseLButtonDown(flags, GetMousePos())) return;
    if (m_nCurScreen == SCREEN_GAME) OnPlayerClick(pos);
}

void CGameWnd::OnRButtonDown(unsigned /*flags*/, long /*pos*/) {
    if (!IsWatchingRecord() && !IsInstantReplayRunning()) CancelFlick();
}

void CGameWnd::OnLButtonUp(unsigned /*flags*/, long /*pos*/) { m_hStopRepeatEvent.Set(); }
