// The setup screen: its buttons, its pictures and the selectors with the settings each one sets.
// Constants only; any thread.
#pragma once

#include <array>
#include <span>
#include <string>

#include "core/asset_names.h"
#include "core/game_settings.h"
#include "core/game_sounds.h"
#include "menus/menu_buttons.h"
#include "menus/shared_images.h"

inline constexpr SScreenButton kSetupButtons[] = {{CMD_MAIN_MENU, At(50, 50)}, {CMD_DEFAULT, kOwnPlace}};
inline constexpr SScreenImage kSetupImages[] = {
    kBackgroundImage,
    SharedAt(ESharedImage::SetupTitle, kOwnPlace),
};

// The selectors in the order they are added; also their index in the window's list array.
enum ESetupList : int {
    LIST_BOARD = 0,
    LIST_CHECKS,
    LIST_BOARD_DESCR,
    LIST_BOARD_PICTURE,
    LIST_CHECK_DESCR,
    LIST_SIDE,
    LIST_TURN_RULE,
    LIST_GAME_MODE,
    LIST_WINDOW,
    LIST_SKY,
    kSetupListCount,
};

// Notify ids the clickable selectors post with UM_LIST_NOTIFY.
enum EListNotify : int {
    NOTIFY_NONE = 0,
    NOTIFY_BOARD = 16,
    NOTIFY_CHECKS = 17,
    NOTIFY_GAME_MODE = 18,
    NOTIFY_SIDE = 19,
    NOTIFY_TURN_RULE = 20,
    NOTIFY_WINDOW = 27,
    NOTIFY_SKY = 34,
};

// How an item id becomes the settings value and back.
enum class EValueMap {
    Same,         // the value is the id
    NonZeroIsOne, // MyWhite: any non-zero value is the id 1
};

struct SSelectorItem {
    int nId;
    const char* szImage;
    int x, y;
};

struct SSelectorDef {
    ESetupList eList;
    int nNotify;               // NOTIFY_NONE: not clickable, follows nLeader
    ESetupList eLeader;        // the list this one follows (itself for a clickable list)
    const char* szFolder;
    std::span<const SSelectorItem> items;
    int CGameSettings::*pField;  // null: the list sets no setting
    EValueMap eMap;
    int nFallbackId;           // shown when the record holds a value no item has
    bool bQuietFallback;       // that value is a normal one (the sky's "missing key" 2)
    int nClickSound;
};

inline constexpr SSelectorItem kBoardItems[] = {
    {BOARD_SQUARE, assets::selector::kSquareBoard.file, 140, 430},
    {BOARD_ROUND, assets::selector::kRoundBoard.file, 140, 430},
    {BOARD_TWELVE, assets::selector::kTwelveBoard.file, 140, 430}};
inline constexpr SSelectorItem kCheckItems[] = {
    {CHECK_BONE, assets::selector::kBoneDraughts.file, 250, 0},
    {CHECK_STONE, assets::selector::kStoneDraughts.file, 250, 0},
    {CHECK_WOOD, assets::selector::kWoodDraughts.file, 250, 0}};
inline constexpr SSelectorItem kBoardDescrItems[] = {
    {BOARD_SQUARE, assets::selector::kSquareBoardText.file, 320, 416},
    {BOARD_ROUND, assets::selector::kRoundBoardText.file, 320, 416},
    {BOARD_TWELVE, assets::selector::kTwelveBoardText.file, 317, 398}};
inline constexpr SSelectorItem kBoardPictureItems[] = {
    {BOARD_SQUARE, assets::selector::kSquareBoardPicture.file, 0, 287},
    {BOARD_ROUND, assets::selector::kRoundBoardPicture.file, 0, 341},
    {BOARD_TWELVE, assets::selector::kTwelveBoardPicture.file, 0, 262}};
inline constexpr SSelectorItem kCheckDescrItems[] = {
    {CHECK_BONE, assets::selector::kBoneText.file, 370, 14},
    {CHECK_STONE, assets::selector::kStoneText.file, 370, 0},
    {CHECK_WOOD, assets::selector::kWoodText.file, 370, 13}};
inline constexpr SSelectorItem kSideItems[] = {
    {1, assets::selector::kPlayWhite.file, 140, 160},
    {0, assets::selector::kPlayBlack.file, 140, 160}};
inline constexpr SSelectorItem kTurnRuleItems[] = {
    {0, assets::selector::kByTurn.file, 10, 175},
    {1, assets::selector::kToAMiss.file, 10, 175}};
inline constexpr SSelectorItem kGameModeItems[] = {
    {0, assets::selector::kQuickGame.file, 10, 145},
    {1, assets::selector::kCampaign.file, 10, 145}};
inline constexpr int kWindowedItem = 0;
inline constexpr int kFullScreenItem = 1;
inline constexpr SSelectorItem kWindowItems[] = {
    {kWindowedItem, assets::selector::kWindowed.file, 670, 161},
    {kFullScreenItem, assets::selector::kFullScreen.file, 670, 161}};
inline constexpr int kStarsOffItem = 0;
inline constexpr SSelectorItem kSkyItems[] = {
    {1, assets::selector::kStarsOn.file, 670, 121},
    {kStarsOffItem, assets::selector::kStarsOff.file, 670, 121}};

inline constexpr std::array<SSelectorDef, kSetupListCount> kSetupSelectors = {{
    {LIST_BOARD, NOTIFY_BOARD, LIST_BOARD, assets::folder::kSetupBoards, kBoardItems,
     &CGameSettings::BoardType, EValueMap::Same, BOARD_SQUARE, false, SOUND_CLICK},
    {LIST_CHECKS, NOTIFY_CHECKS, LIST_CHECKS, assets::folder::kSetupDraughts, kCheckItems,
     &CGameSettings::CheckType, EValueMap::Same, CHECK_BONE, false, SOUND_CLICK},
    {LIST_BOARD_DESCR, NOTIFY_NONE, LIST_BOARD, assets::folder::kSetupBoardTexts, kBoardDescrItems,
     nullptr, EValueMap::Same, BOARD_SQUARE, false, 0},
    {LIST_BOARD_PICTURE, NOTIFY_NONE, LIST_BOARD, assets::folder::kSetupBoardPictures, kBoardPictureItems,
     nullptr, EValueMap::Same, BOARD_SQUARE, false, 0},
    {LIST_CHECK_DESCR, NOTIFY_NONE, LIST_CHECKS, assets::folder::kSetupDraughtTexts, kCheckDescrItems,
     nullptr, EValueMap::Same, CHECK_BONE, false, 0},
    {LIST_SIDE, NOTIFY_SIDE, LIST_SIDE, assets::folder::kSetup, kSideItems,
     &CGameSettings::MyWhite, EValueMap::NonZeroIsOne, 1, false, SOUND_SET},
    {LIST_TURN_RULE, NOTIFY_TURN_RULE, LIST_TURN_RULE, assets::folder::kSetup, kTurnRuleItems,
     &CGameSettings::TurnType, EValueMap::Same, 0, false, SOUND_SET},
    {LIST_GAME_MODE, NOTIFY_GAME_MODE, LIST_GAME_MODE, assets::folder::kSetup, kGameModeItems,
     &CGameSettings::GameMode, EValueMap::Same, 0, false, SOUND_SET},
    // The window list sets no setting: a click switches the window, and the list is rebuilt.
    {LIST_WINDOW, NOTIFY_WINDOW, LIST_WINDOW, assets::folder::kSetup, kWindowItems,
     nullptr, EValueMap::Same, kWindowedItem, false, 0},
    // StarType 2 (no key in the file) draws no star models, so the list shows "stars off".
    {LIST_SKY, NOTIFY_SKY, LIST_SKY, assets::folder::kSetup, kSkyItems,
     &CGameSettings::StarType, EValueMap::Same, kStarsOffItem, true, SOUND_SET},
}};

// The clickable selector that posts this notify id; null for an unknown id.
constexpr const SSelectorDef* FindSelectorByNotify(int nNotify) {
    if (nNotify == NOTIFY_NONE) return nullptr;
    for (const SSelectorDef& d : kSetupSelectors)
        if (d.nNotify == nNotify) return &d;
    return nullptr;
}

// The item id that shows a settings value, or -1 when no item has it.
constexpr int ItemIdForValue(const SSelectorDef& def, int nValue) {
    const int nId = def.eMap == EValueMap::NonZeroIsOne ? (nValue != 0 ? 1 : 0) : nValue;
    for (const SSelectorItem& item : def.items)
        if (item.nId == nId) return nId;
    return -1;
}

// The settings value an item id stands for.
constexpr int ValueForItemId(const SSelectorDef& def, int nId) {
    return def.eMap == EValueMap::NonZeroIsOne ? (nId != 0 ? 1 : 0) : nId;
}

