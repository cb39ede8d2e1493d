// The animation worker (m_animThread): turns one thread message into a timed series of window
// messages - the eight steps of a SHIFT turn, the three steps of a camera swing, and the repeats
// of a held button. It never touches the camera itself; it runs on its worker and posts to
// GetGameWndHandle(), where the window thread does the work.
#pragma once

#include <array>
#include <numbers>

#include "app/framework/camera.h"
#include "platform/window_queue.h"

// A SHIFT turn: eight steps, slow at both ends, adding up to a quarter of pi (45 degrees).
inline constexpr int kTurnSteps = 8;
inline constexpr std::array<double, kTurnSteps> kTurnStepRadians = {
    std::numbers::pi / 96, std::numbers::pi / 48, std::numbers::pi / 32, std::numbers::pi / 16,
    std::numbers::pi / 16, std::numbers::pi / 32, std::numbers::pi / 48, std::numbers::pi / 96};
inline constexpr int kTurnStepIntervalMs = 10;

// A camera swing reaches the window in three steps this far apart.
inline constexpr int kCameraSwingSteps = 3;
inline constexpr int kCameraStepIntervalMs = 10;

// A held button or key repeats every this many milliseconds until the stop-repeat event is set.
inline constexpr int kRepeatIntervalMs = 20;

// What a swing request carries: the view before and after the swing.
struct SCameraSwing {
    stCamGeom from;
    stCamGeom to;
};

// The handler for m_animThread. param: the stop-repeat event (platform::CEvent*) that ends a
// repeat loop; without it hold and scroll requests are logged and dropped.
//   UM_TURN_STEP (key 37 or 39): posts UM_TURN_STEP (key, step) for steps 0..7, 10 ms apart.
//   UM_CAMERA_GEOM (payload SCameraSwing): posts the three swing steps as UM_CAMERA_GEOM (same
//     wParam), each carrying its own stCamGeom.
//   UM_HOLD_LEFT .. UM_HOLD_ZOOM_OUT: posts UM_CAMERA_KEY (37, 39, 38, 40, 107, 109; 0) every
//     20 ms until the stop-repeat event is set. UM_SCROLL: the same loop, posting UM_SCROLL with
//     the message's own wParam and lParam.
//   Any loop also ends when the worker is asked to stop.
void AnimThreadHandler(const platform::SMessage& msg, void* param);

// The steps of a swing from one view to another: steps 1 and 2 carry the target's x and z a third
// and two thirds of the way, the new target height and eye, and zero radius, distance, azimuth and
// elevation; step 3 is the new view itself.
std::array<stCamGeom, kCameraSwingSteps> BuildCameraSwing(const stCamGeom& from, const stCamGeom& to);
