// The window's side of the match: the match's method names on the window, each handing over
// to CMatch, and the window as the match's host. Window thread.
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "app/anim_thread.h"
#include "app/game_events.h"
#include "app/game_wnd.h"
#include "menus/menu_actions.h"
#include "menus/menu_buttons.h"
#include "menus/sound_effects.h"
#include "platform/log.h"

void CGameWnd::StartMatch() {
    m_instantReplay.Forget();
    WithdrawCampaignOffer();  // the new match replaces a kept campaign
    m_match.StartMatch();
}
void CGameWnd::StopMatch() { m_match.StopMatch(); }
void CGameWnd::NextSet() {
    m_instantReplay.Forget();
    m_match.NextSet();
}
void CGameWnd::PauseMatch() { m_match.PauseMatch(); }
void CGameWnd::ContinueMatch() { m_match.ContinueMatch(); }
void CGameWnd::OnFlickFinished() {
    // Both machines compare the rested position before the turn passes on either.
    if (m_net.IsPlaying()) m_net.Session()->FlickRested();
    m_match.OnFlickFinished();
}
void CGameWnd::CameraKeyStep(unsigned nKey) { m_match.CameraKeyStep(nKey); }
void CGameWnd::OnPlayerClick(long nPos) { m_match.OnPlayerClick(nPos); }
void CGameWnd::OnAimMove(long nPos) { m_match.OnAimMove(nPos); }
void CGameWnd::CancelFlick() { m_match.CancelFlick(); }
void CGameWnd::StartComputerTurn() { m_match.StartComputerTurn(); }
void CGameWnd::NewSet(int nWhiteShift, int nBlackShift) { m_match.NewSet(nWhiteShift, nBlackShift); }
bool CGameWnd::CheckSetOver() { return m_match.CheckSetOver(); }
bool CGameWnd::CheckCampaignOver() { return m_match.CheckCampaignOver(); }
void CGameWnd::PassTurnByTurn() { m_match.PassTurnByTurn(); }
void CGameWnd::PassTurnToAMiss() { m_match.PassTurnToAMiss(); }
void CGameWnd::PassTurn() { m_match.PassTurn(); }
void CGameWnd::ToAMissStarter() { m_match.ToAMissStarter(); }
void CGameWnd::ByTurnStarter() { m_match.ByTurnStarter(); }
void CGameWnd::OnGameKeyDown(unsigned nKey) { m_match.OnGameKeyDown(nKey); }
void CGameWnd::LookAtDraught(const CCheck& check) { m_match.LookAtDraught(check); }
void CGameWnd::AimCameraAtFocus() { m_match.AimCameraAtFocus(); }
void CGameWnd::SwapFocus() { m_match.SwapFocus(); }

namespace {

constexpr uint16_t kKeyDownBit = 0x8000;

// The mouse position as the window packs it: x in the low 16 bits, y in the high 16 bits,
// each signed, so a drag past the left or top edge arrives negative (the picks clamp it).
int PosX(long nPos) { return static_cast<int16_t>(static_cast<uint32_t>(nPos) & 0xFFFFu); }
int PosY(long nPos) { return static_cast<int16_t>((static_cast<uint32_t>(nPos) >> 16) & 0xFFFFu); }

int ButtonOfKey(unsigned nKey) {
    switch (nKey) {
    case VK_LEFT: return CMD_ROT_LEFT;
    case VK_RIGHT: return CMD_ROT_RIGHT;
    case VK_UP: return CMD_ROT_UP;
    case VK_DOWN: return CMD_ROT_DOWN;
    case VK_ADD: return CMD_ZOOM_IN;
    case VK_SUBTRACT: return CMD_ZOOM_OUT;
    default: return -1;
    }
}

EScreen ScreenOf(EMatchScreen eScreen) {
    switch (eScreen) {
    case EMatchScreen::GameOver: return SCREEN_GAME_OVER;
    case EMatchScreen::SetOver: return SCREEN_SET_OVER;
    case EMatchScreen::CampaignOver: return SCREEN_CAMPAIGN_OVER;
    case EMatchScreen::Game: break;
    }
    return SCREEN_GAME;
}

}  // namespace

void CWndMatchHost::PlayRefusal() { m_wnd.RequestSound(SOUND_ERROR, 0); }
void CWndMatchHost::ShowScreen(EMatchScreen eScreen) { m_wnd.SetScreen(ScreenOf(eScreen)); }
bool CWndMatchHost::IsGameScreenShown() const { return m_wnd.GetScreen() == SCREEN_GAME; }
void CWndMatchHost::EnableGameControls(bool bEnable) { m_wnd.EnableGameControls(bEnable); }
void CWndMatchHost::ShowSight(bool bShow) { m_wnd.m_sight.SetVisible(bShow); }

void CWndMatchHost::ShowSystemCursor(bool bShow) {
    m_wnd.m_bCursorShown = bShow ? 1 : 0;
    m_wnd.ShowGLCursor(bShow);
}

void CWndMatchHost::OnMatchStarting() { m_wnd.ReleaseMenuUploads(); }

void CWndMatchHost::OnMatchStopped() {
    const std::string frameTimes = m_wnd.m_frameStats.Describe();
    if (!frameTimes.empty()) platform::Log("%s", frameTimes.c_str());
    m_wnd.m_frameStats.Clear();
    m_wnd.m_bShowFps = 0;
}

bool CWndMatchHost::MayFlick() const {
    CNetPlay& net = m_wnd.Net();
    return !net.IsPlaying() || net.Session()->CanFlick();
}
void CWndMatchHost::OnFlickLaunched(int nCheck) {
    CNetPlay& net = m_wnd.Net();
    if (!net.IsPlaying()) return;
    const bool bSent = net.Session()->SendFlick(nCheck);
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    platform::Log("Network: flick of draught %d %s (monotonic %.3f ms)", nCheck, bSent ? "sent" : "NOT sent",
                  static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6);
}
void CWndMatchHost::OnFlickClicked() { m_wnd.m_frameStats.MarkFlickClick(CFrameStats::Clock::now()); }
stCamGeom& CWndMatchHost::Camera() { return m_wnd.GetCamera(); }
void CWndMatchHost::ResetCamera() { m_wnd.ResetCamera(); }
float CWndMatchHost::CameraStep() const { return m_wnd.GetCameraStep(); }
void CWndMatchHost::UpdateView() { m_wnd.UpdateGLWindow(); }

void CWndMatchHost::RotateCamera(bool bLeft) {
    if (bLeft) m_wnd.RotateCameraLeft(0.0f);
    else m_wnd.RotateCameraRight(0.0f);
}

bool CWndMatchHost::SwingCamera(const stCamGeom& from, const stCamGeom& to) {
    return m_wnd.m_animThread.Post(
        platform::MakeMessage(UM_CAMERA_GEOM, 0, std::make_unique<SCameraSwing>(SCameraSwing{from, to})));
}

void CWndMatchHost::StartTurnStep(unsigned nKey) { m_wnd.m_animThread.Post(UM_TURN_STEP, nKey, 0); }
bool CWndMatchHost::BoardPointAt(long nPos, float out[3]) { return m_wnd.GetBoardPoint(PosX(nPos), PosY(nPos), out); }
bool CWndMatchHost::ScenePointAt(long nPos, float out[3]) { return m_wnd.GetWorldCoord(PosX(nPos), PosY(nPos), out); }

bool CWndMatchHost::IsShiftDown() const {
    return (static_cast<uint16_t>(m_wnd.GetKeyState(VK_SHIFT)) & kKeyDownBit) != 0;
}

void CWndMatchHost::PressGameButton(unsigned nKey) {
    const int nCommand = ButtonOfKey(nKey);
    if (nCommand >= 0) m_wnd.SendMessage(UM_MENU_NOTIFY, SCREEN_GAME, nCommand);
}

void CWndMatchHost::PauseGame() { ::PauseGame(m_wnd); }
void CWndMatchHost::ScheduleComputerStart() { m_hStartCompTurnTimeoutEvent.Set(); }
void CWndMatchHost::CancelComputerStart() { m_wnd.m_hDelayThread.Cancel(); }

void CWndMatchHost::StopCameraRepeat() {
    m_hStopRepeatEvent.Set();
    m_hStopRepeatEvent.Reset();
}

void CWndMatchHost::FinishFlickNow() { m_wnd.SendMessage(UM_FLICK_FINISHED, 0, 0); }

const CGLObject& CWndMatchHost::CheckModel(bool bWhite, int nMaterial) const {
    if (nMaterial < 0 || nMaterial >= kCheckModelCount) nMaterial = 0;
    return bWhite ? m_wnd.m_aWhiteChecks[nMaterial] : m_wnd.m_aBlackChecks[nMaterial];
}
