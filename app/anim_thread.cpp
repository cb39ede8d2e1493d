// The animation worker's handler; runs on m_animThread and only posts to the game window.
#include "app/anim_thread.h"

#include <memory>
#include <stop_token>

#include "core/app_messages.h"
#include "app/framework/win_messages.h"
#include "app/game_handle.h"
#include "app/msg_thread.h"
#include "platform/event.h"
#include "platform/log.h"

namespace {

struct SHoldKey {
    uint32_t nHoldMsg;
    unsigned nKey;
};

constexpr std::array<SHoldKey, 6> kHoldKeys = {{
    {UM_HOLD_LEFT, VK_LEFT},
    {UM_HOLD_RIGHT, VK_RIGHT},
    {UM_HOLD_UP, VK_UP},
    {UM_HOLD_DOWN, VK_DOWN},
    {UM_HOLD_ZOOM_IN, VK_ADD},
    {UM_HOLD_ZOOM_OUT, VK_SUBTRACT},
}};

void PostTurnSteps(uintptr_t nKey, std::stop_token stop) {
    for (int step = 0; step < kTurnSteps; ++step) {
        PostMessageA(GetGameWndHandle(), UM_TURN_STEP, nKey, step);
        if (!SleepUnlessStopped(stop, kTurnStepIntervalMs)) return;
    }
}

void PostCameraSwing(const platform::SMessage& msg, std::stop_token stop) {
    const SCameraSwing* pSwing = msg.Payload<SCameraSwing>();
    if (!pSwing) {
        platform::Log("Camera swing without a start or end view; ignored");
        return;
    }
    for (const stCamGeom& step : BuildCameraSwing(pSwing->from, pSwing->to)) {
        // The window reads each step after this thread has moved on, so every step is its own copy.
        PostMessageA(GetGameWndHandle(),
                     platform::MakeMessage(UM_CAMERA_GEOM, msg.wParam, std::make_unique<stCamGeom>(step)));
        if (!SleepUnlessStopped(stop, kCameraStepIntervalMs)) return;
    }
}

// Posts the message every 20 ms until the button is released (the event) or the worker stops.
void RepeatWhileHeld(platform::CEvent* pStopRepeat, std::stop_token stop, uint32_t nMsg, uintptr_t wParam,
                     intptr_t lParam) {
    if (!pStopRepeat) {
        platform::Log("Repeat request %u without a stop-repeat event; ignored", static_cast<unsigned>(nMsg));
        return;
    }
    while (!pStopRepeat->Wait(stop, kRepeatIntervalMs)) {
        if (stop.stop_requested()) return;
        // The stop-repeat signal of a new button can be missed while this loop posts (it is
        // set and reset at once); the new request waiting behind the loop ends it all the same.
        if (CMsgThread::CurrentHasPending()) return;
        PostMessageA(GetGameWndHandle(), nMsg, wParam, lParam);
    }
}

}  // namespace

std::array<stCamGeom, kCameraSwingSteps> BuildCameraSwing(const stCamGeom& from, const stCamGeom& to) {
    std::array<stCamGeom, kCameraSwingSteps> steps{};
    for (int k = 1; k < kCameraSwingSteps; ++k) {
        stCamGeom& s = steps[static_cast<size_t>(k - 1)];
        s.tx = from.tx + k * (to.tx - from.tx) / kCameraSwingSteps;
        s.ty = to.ty;
        s.tz = from.tz + k * (to.tz - from.tz) / kCameraSwingSteps;
        s.ex = to.ex;
        s.ey = to.ey;
        s.ez = to.ez;
        // radius, distance, azimuth and elevation stay zero in the intermediate steps
    }
    steps[kCameraSwingSteps - 1] = to;
    return steps;
}

void AnimThreadHandler(const platform::SMessage& msg, void* param) {
    auto* pStopRepeat = static_cast<platform::CEvent*>(param);
    const std::stop_token stop = CMsgThread::CurrentStopToken();
    if (msg.nMsg == UM_TURN_STEP) {
        PostTurnSteps(msg.wParam, stop);
        return;
    }
    if (msg.nMsg == UM_CAMERA_GEOM) {
        PostCameraSwing(msg, stop);
        return;
    }
    if (msg.nMsg == UM_SCROLL) {
        RepeatWhileHeld(pStopRepeat, stop, UM_SCROLL, msg.wParam, msg.lParam);
        return;
    }
    for (const SHoldKey& hold : kHoldKeys) {
        if (msg.nMsg == hold.nHoldMsg) {
            RepeatWhileHeld(pStopRepeat, stop, UM_CAMERA_KEY, hold.nKey, 0);
            return;
        }
    }
}
