// Application window messages between the worker threads and the game window.
#pragma once

#include <cstdint>

inline constexpr uint32_t WM_USER = 0x0400;

enum EAppMessage : uint32_t {
    UM_PLAY_SOUND = WM_USER + 1,
    UM_TURN_STEP = WM_USER + 2,
    UM_CAMERA_GEOM = WM_USER + 3,
    UM_LIST_NOTIFY = WM_USER + 4,
    UM_MENU_NOTIFY = WM_USER + 5,
    UM_FLICK_FINISHED = WM_USER + 6,
    UM_HOLD_LEFT = WM_USER + 8,
    UM_HOLD_RIGHT = WM_USER + 9,
    UM_HOLD_UP = WM_USER + 10,
    UM_HOLD_DOWN = WM_USER + 11,
    UM_HOLD_ZOOM_IN = WM_USER + 12,
    UM_HOLD_ZOOM_OUT = WM_USER + 13,
    UM_SCROLL = WM_USER + 14,
    UM_CAMERA_KEY = WM_USER + 15,
    UM_QUEUE_MOTION = WM_USER + 16,
    UM_START_PLAYBACK = WM_USER + 17,
};
