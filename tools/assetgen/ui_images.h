// The menu pictures: buttons, setup selector items, screen images (background, logo, banners,
// cursor, sight) and pictures rendered from the models.
#pragma once

#include <string>

#include "core/asset_names.h"
#include "tools/assetgen/textures.h"
#include "tools/assetgen/ui_style.h"

namespace assetgen {

Image ButtonPicture(const assets::Button& button, bool highlighted, const Fonts& fonts);
// folder and file as in assets::kSelectorItems.
Image SelectorPicture(const std::string& folder, const std::string& file, bool highlighted, const Fonts& fonts);
// path as in assets::kImages (not the font).
Image ScreenPicture(const std::string& path, const Fonts& fonts);

// Rendered from the models.
Image BoardPicture(int boardType, int size);
Image DraughtPairPicture(DraughtMaterial material, int width, int height);
Image MainForegroundPicture();
Image HelpDecorationPicture();
Image AboutDecorationPicture();

}  // namespace assetgen
