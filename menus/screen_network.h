// The network screen: host a game or join one; its texts are drawn by the window.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kNetworkButtons[] = {
    {CMD_HOST, kOwnPlace}, {CMD_JOIN, kOwnPlace}, {CMD_BACK, kOwnPlace},
};
inline constexpr SScreenImage kNetworkImages[] = {
    kBackgroundImage,
    SharedAt(ESharedImage::Logo, At(45, 465)),
};
