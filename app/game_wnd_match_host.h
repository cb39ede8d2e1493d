// The game window as the match's host: sounds, screens, the view, the pointer, the computer's
// start delay and the draught models, each one call on the window. Window thread.
#pragma once

#include "game/match_host.h"

class CGameWnd;

class CWndMatchHost final : public IMatchHost {
public:
    explicit CWndMatchHost(CGameWnd& wnd) : m_wnd(wnd) {}

    void PlayRefusal() override;
    void ShowScreen(EMatchScreen eScreen) override;
    bool IsGameScreenShown() const override;
    void EnableGameControls(bool bEnable) override;
    void ShowSight(bool bShow) override;
    void ShowSystemCursor(bool bShow) override;
    void OnMatchStarting() override;
    void OnMatchStopped() override;
    void OnFlickClicked() override;
    bool MayFlick() const override;
    void OnFlickLaunched(int nCheck) override;
    stCamGeom& Camera() override;
    void ResetCamera() override;
    float CameraStep() const override;
    void UpdateView() override;
    void RotateCamera(bool bLeft) override;
    bool SwingCamera(const stCamGeom& from, const stCamGeom& to) override;
    void StartTurnStep(unsigned nKey) override;
    bool BoardPointAt(long nPos, float out[3]) override;
    bool ScenePointAt(long nPos, float out[3]) override;
    bool IsShiftDown() const override;
    void PressGameButton(unsigned nKey) override;
    void PauseGame() override;
    void ScheduleComputerStart() override;
    void CancelComputerStart() override;
    void StopCameraRepeat() override;
    void FinishFlickNow() override;
    const CGLObject& CheckModel(bool bWhite, int nMaterial) const override;

private:
    CGameWnd& m_wnd;
};
