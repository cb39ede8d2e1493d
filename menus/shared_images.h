// The pictures the game window holds itself (shown on several screens, or by the frame):
// file, folder and own position. Constants only; any thread.
#pragma once

#include <array>

#include "menus/menu_types.h"

struct SSharedImageDef {
    ESharedImage eImage;
    const char* szFile;
    const char* szFolder;
    int x, y;  // own position; the sight is centred on the screen instead
};

inline constexpr std::array<SSharedImageDef, 7> kSharedImages = {{
    {ESharedImage::GameOverBanner, "gameover.tga", "textures\\resmenu", 256, 470},
    {ESharedImage::Background, "BACKGR.tga", "textures\\common", 0, 0},
    {ESharedImage::SetupTitle, "frgopt.tga", "textures\\smenu", 70, 0},
    {ESharedImage::MainForeground, "main_fg.tga", "textures\\mmenu", -70, -50},
    {ESharedImage::Logo, "kelvdar.tga", "textures\\mmenu", 480, 10},
    {ESharedImage::Cursor, "cursor.tga", "textures", 0, 0},
    {ESharedImage::Sight, "sight.tga", "textures", 0, 0},
}};

// Shared pictures as a screen lists them.
inline constexpr SScreenImage kBackgroundImage{ESharedImage::Background, nullptr, nullptr, kOwnPlace};
inline constexpr SScreenImage kBannerImage{ESharedImage::GameOverBanner, nullptr, nullptr, kOwnPlace};
inline constexpr SScreenImage SharedAt(ESharedImage e, SPlace place) { return {e, nullptr, nullptr, place}; }
inline constexpr SScreenImage PackImage(const char* szFile, const char* szFolder, int x, int y) {
    return {ESharedImage::None, szFile, szFolder, At(x, y)};
}
