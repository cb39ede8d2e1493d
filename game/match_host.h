// What a match needs from the program around it: sounds, screens, the view, the pointer, the
// clocks of the computer's start and the models of the draughts. The game window implements
// it; tests use a recording fake. Window thread only, like the match.
#pragma once

#include "core/camera.h"

class CGLObject;

// The screens a match shows by itself: back to the game, or a result.
enum class EMatchScreen { Game, GameOver, SetOver, CampaignOver };

class IMatchHost {
public:
    virtual ~IMatchHost() = default;

    // ---- Sounds, screens and the game screen's controls. ----
    // The error sound of a refused click or key.
    virtual void PlayRefusal() = 0;
    virtual void ShowScreen(EMatchScreen eScreen) = 0;
    virtual bool IsGameScreenShown() const = 0;
    // The camera and pause buttons of the game screen; off while the player aims or the
    // computer chooses.
    virtual void EnableGameControls(bool bEnable) = 0;
    // The cross in the screen's middle that marks a focused draught.
    virtual void ShowSight(bool bShow) = 0;
    virtual void ShowSystemCursor(bool bShow) = 0;
    // A match starts: the menus' pictures may leave the driver's memory.
    virtual void OnMatchStarting() = 0;
    // A match stopped: the frame times of the match are reported and forgotten.
    virtual void OnMatchStopped() = 0;
    // The player's flick has been handed to the physics (the click-to-screen clock starts).
    virtual void OnFlickClicked() = 0;

    // ---- The view. ----
    // The live camera record; the match edits it in place and then calls UpdateView.
    virtual stCamGeom& Camera() = 0;
    // The default view and zoom step.
    virtual void ResetCamera() = 0;
    virtual float CameraStep() const = 0;
    virtual void UpdateView() = 0;
    // One small turn of the eye about the target, left or right.
    virtual void RotateCamera(bool bLeft) = 0;
    // The view eases from one record to the other; false when it cannot be animated.
    virtual bool SwingCamera(const stCamGeom& from, const stCamGeom& to) = 0;
    // One eased 45-degree turn for the arrow key nKey.
    virtual void StartTurnStep(unsigned nKey) = 0;

    // ---- Pointer and keys. ----
    // The board-plane point, or the scene point drawn, under the packed mouse position.
    virtual bool BoardPointAt(long nPos, float out[3]) = 0;
    virtual bool ScenePointAt(long nPos, float out[3]) = 0;
    virtual bool IsShiftDown() const = 0;
    // Runs the game screen's button that the key stands for (arrows, plus, minus).
    virtual void PressGameButton(unsigned nKey) = 0;
    virtual void PauseGame() = 0;

    // ---- The computer's start and the end of a flick. ----
    // The computer's first flick of a match waits for the start delay; cancel drops it.
    virtual void ScheduleComputerStart() = 0;
    virtual void CancelComputerStart() = 0;
    // A held camera button's repeat ends.
    virtual void StopCameraRepeat() = 0;
    // Delivers the end of a flick at once, as the physics does.
    virtual void FinishFlickNow() = 0;

    // ---- The other machine, when the opponent plays there. ----
    // False while a flick may not go out yet (the last one is not agreed).
    virtual bool MayFlick() const { return true; }
    // The local flick of nCheck is written into the position and about to play.
    virtual void OnFlickLaunched(int /*nCheck*/) {}

    // ---- Models. ----
    // A draught's model for a material (CheckType); an unknown material gives the first.
    virtual const CGLObject& CheckModel(bool bWhite, int nMaterial) const = 0;
};
