// The help and about screens: a title, a picture and the arrows around the text page.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kPageButtons[] = {
    {CMD_MAIN_MENU, At(620, 570)}, {CMD_SCROLL_DOWN, kOwnPlace}, {CMD_SCROLL_UP, kOwnPlace},
};
inline constexpr SScreenImage kHelpImages[] = {
    kBackgroundImage,
    PackImage(assets::image::kHelpTitle, 100, 570),
    PackImage(assets::image::kHelpDecoration, 600, -40),
};
inline constexpr SScreenImage kAboutImages[] = {
    kBackgroundImage,
    PackImage(assets::image::kAboutTitle, 200, 570),
    PackImage(assets::image::kAboutDecoration, 600, -25),
};
