// The twelve screens as data, indexed by their screen id. Constants only; any thread.
#pragma once

#include <array>

#include "menus/screen_game.h"
#include "menus/screen_level.h"
#include "menus/screen_main.h"
#include "menus/screen_network.h"
#include "menus/screen_pages.h"
#include "menus/screen_pause.h"
#include "menus/screen_results.h"
#include "menus/screen_setup.h"

inline constexpr int kMenuScreenCount = 12;

inline constexpr std::array<SScreenDef, kMenuScreenCount> kScreenDefs = {{
    {0, "main", kMainButtons, kMainImages, false},
    {1, "game", kGameButtons, {}, false},
    {2, "setup", kSetupButtons, kSetupImages, true},
    {3, "level-single", kLevelButtons, kLevelSingleImages, false},
    {4, "level-two", kLevelTwoButtons, kLevelTwoImages, false},
    {5, "pause", kPauseButtons, kPauseImages, false},
    {6, "game-over", kGameOverButtons, kGameOverImages, false},
    {7, "set-over", kSetOverButtons, kSetOverImages, false},
    {8, "campaign-over", kCampaignOverButtons, kCampaignOverImages, false},
    {9, "help", kPageButtons, kHelpImages, false},
    {10, "about", kPageButtons, kAboutImages, false},
    {11, "network", kNetworkButtons, kNetworkImages, false},
}};

consteval bool ScreensInIdOrder() {
    for (int i = 0; i < kMenuScreenCount; ++i)
        if (kScreenDefs[static_cast<size_t>(i)].nScreen != i) return false;
    return true;
}
static_assert(ScreensInIdOrder(), "kScreenDefs is indexed by screen id");

consteval bool EveryScreenButtonExists() {
    for (const SScreenDef& screen : kScreenDefs)
        for (const SScreenButton& b : screen.buttons)
            if (!HasButton(b.nSlot)) return false;
    return true;
}
static_assert(EveryScreenButtonExists(), "a screen names a button slot no button uses");
