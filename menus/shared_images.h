// The pictures the game window holds itself (shown on several screens, or by the frame):
// file, folder and own position. Constants only; any thread.
#pragma once

#include <array>

#include "core/asset_names.h"
#include "menus/menu_types.h"

struct SSharedImageDef {
    ESharedImage eImage;
    const char* szFile;
    const char* szFolder;
    int x, y;  // own position; the sight is centred on the screen instead
};

constexpr SSharedImageDef SharedImageDef(ESharedImage eImage, const assets::PackFile& file, int x, int y) {
    return {eImage, file.file, file.folder, x, y};
}

inline constexpr std::array<SSharedImageDef, 7> kSharedImages = {
    SharedImageDef(ESharedImage::GameOverBanner, assets::image::kGameOverBanner, 256, 470),
    SharedImageDef(ESharedImage::Background, assets::image::kBackground, 0, 0),
    SharedImageDef(ESharedImage::SetupTitle, assets::image::kSetupTitle, 70, 0),
    SharedImageDef(ESharedImage::MainForeground, assets::image::kMainForeground, -70, -50),
    SharedImageDef(ESharedImage::Logo, assets::image::kLogo, 480, 10),
    SharedImageDef(ESharedImage::Cursor, assets::image::kCursor, 0, 0),
    SharedImageDef(ESharedImage::Sight, assets::image::kSight, 0, 0),
};

// Shared pictures as a screen lists them.
inline constexpr SScreenImage kBackgroundImage{ESharedImage::Background, nullptr, nullptr, kOwnPlace};
inline constexpr SScreenImage kBannerImage{ESharedImage::GameOverBanner, nullptr, nullptr, kOwnPlace};
inline constexpr SScreenImage SharedAt(ESharedImage e, SPlace place) { return {e, nullptr, nullptr, place}; }
inline constexpr SScreenImage PackImage(const assets::PackFile& file, int x, int y) {
    return {ESharedImage::None, file.file, file.folder, At(x, y)};
}
