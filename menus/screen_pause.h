// The pause screen: back to the game, or leave it.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kPauseButtons[] = {
    {CMD_CONTINUE, At(505, 325)},
    {kLeaveGameSlot, At(150, 325)},
};
inline constexpr SScreenImage kPauseImages[] = {
    kBackgroundImage,
    SharedAt(ESharedImage::Logo, At(245, 350)),
};
