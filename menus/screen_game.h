// The game screen: only the camera buttons lie over the 3D scene.
#pragma once

#include "menus/menu_buttons.h"

inline constexpr SScreenButton kGameButtons[] = {
    {CMD_ROT_UP, At(770, 542)},  {CMD_ROT_DOWN, At(770, 495)}, {CMD_ROT_LEFT, At(10, 20)},
    {CMD_ROT_RIGHT, At(700, 20)}, {CMD_ZOOM_IN, At(10, 550)},  {CMD_ZOOM_OUT, At(10, 515)},
    {CMD_FOCUS, At(15, 485)},
};
