// The help and about screens: a title, a picture and the arrows around the text page.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kPageButtons[] = {
    {CMD_MAIN_MENU, At(620, 570)}, {CMD_SCROLL_DOWN, kOwnPlace}, {CMD_SCROLL_UP, kOwnPlace},
};
inline constexpr SScreenImage kHelpImages[] = {
    kBackgroundImage,
    PackImage("thelp.tga", "textures\\help", 100, 570),
    PackImage("helpadd.tga", "textures\\help", 600, -40),
};
inline constexpr SScreenImage kAboutImages[] = {
    kBackgroundImage,
    PackImage("tabout.tga", "textures\\help", 200, 570),
    PackImage("aboutadd.tga", "textures\\help", 600, -25),
};
