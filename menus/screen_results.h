// The three result screens: end of a quick game, of a campaign set, of a whole campaign.
// Their texts are drawn by the frame over these pictures.
#pragma once

#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kGameOverButtons[] = {{CMD_AGAIN, kOwnPlace}, {CMD_MAIN_MENU, kOwnPlace}};
inline constexpr SScreenImage kGameOverImages[] = {
    kBackgroundImage,
    kBannerImage,
    PackImage(assets::image::kQuickGameCaption, 351, 170),
};

inline constexpr SScreenButton kSetOverButtons[] = {{CMD_NEXT_SET, At(500, 260)}, {kLeaveGameSlot, kOwnPlace}};
inline constexpr SScreenImage kSetOverImages[] = {
    kBackgroundImage,
    PackImage(assets::image::kCampaignCaption, 354, 170),
};

inline constexpr SScreenButton kCampaignOverButtons[] = {{CMD_AGAIN, kOwnPlace}, {CMD_MAIN_MENU, kOwnPlace}};
inline constexpr SScreenImage kCampaignOverImages[] = {
    kBackgroundImage,
    kBannerImage,
    PackImage(assets::image::kCampaignCaption, 354, 170),
};
