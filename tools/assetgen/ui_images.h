// The menu pictures: buttons, setup selector items, screen images (background, logo, banners,
// cursor, sight) and pictures rendered from the models.
#pragma once

#include <string>

#include "core/asset_names.h"
#include "tools/assetgen/textures.h"
#include "tools/assetgen/ui_style.h"

namespace assetgen {

Image ButtonPicture(const assets::Button& button, bool highlighted, const Fonts& fonts);
// An item of assets::kSelectorItems.
Image SelectorPicture(const assets::SelectorItem& item, bool highlighted, const Fonts& fonts);
// An image of assets::kImages (not the font).
Image ScreenPicture(const assets::PackFile& image, const Fonts& fonts);

// Rendered from the models.
Image BoardPicture(int boardType, int size);
Image DraughtPairPicture(DraughtMaterial material, int width, int height);
Image MainForegroundPicture();
Image HelpDecorationPicture();
Image AboutDecorationPicture();

}  // namespace assetgen
