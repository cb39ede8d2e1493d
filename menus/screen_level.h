// The two level screens (one player, two players): three levels and the way back.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kLevelButtons[] = {
    {CMD_BEGINNER, kOwnPlace}, {CMD_EXPERT, kOwnPlace}, {CMD_PRO, kOwnPlace}, {CMD_BACK, kOwnPlace},
};
// The two-player screen adds the way to a game over the network.
inline constexpr SScreenButton kLevelTwoButtons[] = {
    {CMD_BEGINNER, kOwnPlace}, {CMD_EXPERT, kOwnPlace}, {CMD_PRO, kOwnPlace},
    {CMD_NETWORK, kOwnPlace},  {CMD_BACK, kOwnPlace},
};
inline constexpr SScreenImage kLevelSingleImages[] = {
    kBackgroundImage,
    PackImage(assets::image::kLargeGlow, 150, 210),
    SharedAt(ESharedImage::Logo, At(45, 465)),
};
// The two-player screen adds its ribbon under the logo.
inline constexpr SScreenImage kLevelTwoImages[] = {
    kBackgroundImage,
    PackImage(assets::image::kTwoPlayersRibbon, 130, 500),
    PackImage(assets::image::kLargeGlow, 150, 210),
    SharedAt(ESharedImage::Logo, At(45, 465)),
};
