// The main menu: the six entries of the left and right columns over the board picture, and
// the offer of a kept campaign under the right column.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kMainButtons[] = {
    {CMD_SINGLE, kOwnPlace}, {CMD_MULTI, kOwnPlace}, {CMD_SETUP, kOwnPlace},
    {CMD_HELP, kOwnPlace},   {CMD_ABOUT, kOwnPlace}, {CMD_EXIT, kOwnPlace},
    {CMD_RESUME, kOwnPlace}, {CMD_DISCARD, kOwnPlace},
};
inline constexpr SScreenImage kMainImages[] = {
    kBackgroundImage,
    SharedAt(ESharedImage::MainForeground, kOwnPlace),
    SharedAt(ESharedImage::Logo, kOwnPlace),
    PackImage(assets::image::kLargeGlow, 40, 350),
    PackImage(assets::image::kSmallGlow, 665, 480),
};
