// Every menu button of the game: its command number, its pictures and its own position.
// Constants only; any thread.
#pragma once

#include <array>

#include "core/asset_names.h"
#include "menus/menu_types.h"

// Command numbers the buttons report (also their slot, except "leavegm").
enum EMenuCommand : int {
    CMD_AGAIN = 1,
    CMD_BACK = 2,
    CMD_CONTINUE = 3,
    CMD_MAIN_MENU = 4,  // "mainmnu" and "leavegm"
    CMD_NETWORK = 5,
    CMD_HOST = 6,
    CMD_BEGINNER = 7,
    CMD_EXPERT = 8,
    CMD_PRO = 9,
    CMD_SINGLE = 10,
    CMD_MULTI = 11,
    CMD_HELP = 12,
    CMD_ABOUT = 13,
    CMD_SETUP = 14,
    CMD_EXIT = 15,
    CMD_RESUME = 18,   // the kept campaign is played on
    CMD_DISCARD = 19,  // the kept campaign is dropped
    CMD_JOIN = 16,
    CMD_SCROLL_DOWN = 21,  // "arrup": the page moves up, showing the next line
    CMD_SCROLL_UP = 22,    // "arrdown"
    CMD_DEFAULT = 26,
    CMD_ROT_LEFT = 28,
    CMD_ROT_RIGHT = 29,
    CMD_ROT_UP = 30,
    CMD_ROT_DOWN = 31,
    CMD_ZOOM_OUT = 32,  // "minus"
    CMD_ZOOM_IN = 33,   // "plus"
    CMD_FOCUS = 35,
    CMD_NEXT_SET = 36,
};

inline constexpr const char* kButtonImageType = "TGA";

constexpr SButtonDef ButtonDef(int nSlot, int nCommand, const assets::Button& b, bool bHasOwnPos, int x, int y) {
    return {nSlot, nCommand, b.base, b.folder, bHasOwnPos, x, y};
}

inline constexpr std::array<SButtonDef, 30> kButtons = {
    ButtonDef(CMD_AGAIN, CMD_AGAIN, assets::button::kAgain, true, 508, 260),
    ButtonDef(CMD_BACK, CMD_BACK, assets::button::kBack, true, 148, 230),
    ButtonDef(CMD_CONTINUE, CMD_CONTINUE, assets::button::kContinue, true, 700, 20),
    ButtonDef(CMD_MAIN_MENU, CMD_MAIN_MENU, assets::button::kMainMenu, true, 150, 260),
    ButtonDef(kLeaveGameSlot, CMD_MAIN_MENU, assets::button::kLeaveGame, true, 150, 260),
    ButtonDef(CMD_BEGINNER, CMD_BEGINNER, assets::button::kBeginner, true, 137, 430),
    ButtonDef(CMD_EXPERT, CMD_EXPERT, assets::button::kExpert, true, 140, 378),
    ButtonDef(CMD_PRO, CMD_PRO, assets::button::kPro, true, 122, 404),
    ButtonDef(CMD_SINGLE, CMD_SINGLE, assets::button::kSingle, true, 7, 553),
    ButtonDef(CMD_MULTI, CMD_MULTI, assets::button::kMulti, true, 7, 527),
    ButtonDef(CMD_HELP, CMD_HELP, assets::button::kHelp, true, 655, 550),
    ButtonDef(CMD_ABOUT, CMD_ABOUT, assets::button::kAbout, true, 660, 524),
    ButtonDef(CMD_SETUP, CMD_SETUP, assets::button::kSetup, true, 14, 470),
    ButtonDef(CMD_EXIT, CMD_EXIT, assets::button::kExit, true, 45, 380),
    ButtonDef(CMD_SCROLL_DOWN, CMD_SCROLL_DOWN, assets::button::kArrowUp, true, 10, 10),
    ButtonDef(CMD_SCROLL_UP, CMD_SCROLL_UP, assets::button::kArrowDown, true, 10, 558),
    ButtonDef(CMD_DEFAULT, CMD_DEFAULT, assets::button::kDefaults, true, 50, 20),
    ButtonDef(CMD_ROT_LEFT, CMD_ROT_LEFT, assets::button::kTurnLeft, false, 0, 0),
    ButtonDef(CMD_ROT_RIGHT, CMD_ROT_RIGHT, assets::button::kTurnRight, false, 0, 0),
    ButtonDef(CMD_ROT_UP, CMD_ROT_UP, assets::button::kTurnUp, false, 0, 0),
    ButtonDef(CMD_ROT_DOWN, CMD_ROT_DOWN, assets::button::kTurnDown, false, 0, 0),
    ButtonDef(CMD_ZOOM_OUT, CMD_ZOOM_OUT, assets::button::kZoomOut, false, 0, 0),
    ButtonDef(CMD_ZOOM_IN, CMD_ZOOM_IN, assets::button::kZoomIn, false, 0, 0),
    ButtonDef(CMD_FOCUS, CMD_FOCUS, assets::button::kFocus, false, 0, 0),
    ButtonDef(CMD_NEXT_SET, CMD_NEXT_SET, assets::button::kNextSet, true, 700, 20),
    // Under the right column of the main menu and ending where it ends: shown only while a
    // campaign is kept.
    ButtonDef(CMD_RESUME, CMD_RESUME, assets::button::kResume, true, 450, 440),
    ButtonDef(CMD_DISCARD, CMD_DISCARD, assets::button::kDiscard, true, 580, 412),
    ButtonDef(CMD_NETWORK, CMD_NETWORK, assets::button::kNetwork, true, 148, 300),
    ButtonDef(CMD_HOST, CMD_HOST, assets::button::kHost, true, 148, 430),
    ButtonDef(CMD_JOIN, CMD_JOIN, assets::button::kJoin, true, 148, 378),
};

// The camera buttons of the game screen, switched on and off together while a flick runs.
inline constexpr std::array<int, 7> kGameControlSlots = {CMD_ROT_LEFT, CMD_ROT_RIGHT, CMD_ROT_UP,
                                                        CMD_ROT_DOWN, CMD_ZOOM_OUT, CMD_ZOOM_IN,
                                                        CMD_FOCUS};
// The level buttons, shared by the two level screens.
inline constexpr std::array<int, 3> kLevelSlots = {CMD_BEGINNER, CMD_EXPERT, CMD_PRO};

constexpr bool HasButton(int nSlot) {
    for (const SButtonDef& b : kButtons)
        if (b.nSlot == nSlot) return true;
    return false;
}

// The button record of a slot; null for a slot no button uses.
constexpr const SButtonDef* FindButton(int nSlot) {
    for (const SButtonDef& b : kButtons)
        if (b.nSlot == nSlot) return &b;
    return nullptr;
}
