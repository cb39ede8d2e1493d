// Every menu button of the game: its command number, its pictures and its own position.
// Constants only; any thread.
#pragma once

#include <array>

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

inline constexpr std::array<SButtonDef, 30> kButtons = {{
    {CMD_AGAIN, CMD_AGAIN, "again", "textures\\resmenu", true, 508, 260},
    {CMD_BACK, CMD_BACK, "back", "textures\\mmenu", true, 148, 230},
    {CMD_CONTINUE, CMD_CONTINUE, "cont", "textures\\resmenu", true, 700, 20},
    {CMD_MAIN_MENU, CMD_MAIN_MENU, "mainmnu", "textures\\common", true, 150, 260},
    {kLeaveGameSlot, CMD_MAIN_MENU, "leavegm", "textures\\common", true, 150, 260},
    {CMD_BEGINNER, CMD_BEGINNER, "beginer", "textures\\mmenu", true, 137, 430},
    {CMD_EXPERT, CMD_EXPERT, "expert", "textures\\mmenu", true, 140, 378},
    {CMD_PRO, CMD_PRO, "proffi", "textures\\mmenu", true, 122, 404},
    {CMD_SINGLE, CMD_SINGLE, "single", "textures\\mmenu", true, 7, 553},
    {CMD_MULTI, CMD_MULTI, "multi", "textures\\mmenu", true, 7, 527},
    {CMD_HELP, CMD_HELP, "help", "textures\\mmenu", true, 655, 550},
    {CMD_ABOUT, CMD_ABOUT, "about", "textures\\mmenu", true, 660, 524},
    {CMD_SETUP, CMD_SETUP, "setup", "textures\\mmenu", true, 14, 470},
    {CMD_EXIT, CMD_EXIT, "exit", "textures\\mmenu", true, 45, 380},
    {CMD_SCROLL_DOWN, CMD_SCROLL_DOWN, "arrup", "textures\\help", true, 10, 10},
    {CMD_SCROLL_UP, CMD_SCROLL_UP, "arrdown", "textures\\help", true, 10, 558},
    {CMD_DEFAULT, CMD_DEFAULT, "default", "textures\\smenu", true, 50, 20},
    {CMD_ROT_LEFT, CMD_ROT_LEFT, "rot_left", "textures\\game", false, 0, 0},
    {CMD_ROT_RIGHT, CMD_ROT_RIGHT, "rot_right", "textures\\game", false, 0, 0},
    {CMD_ROT_UP, CMD_ROT_UP, "rot_up", "textures\\game", false, 0, 0},
    {CMD_ROT_DOWN, CMD_ROT_DOWN, "rot_down", "textures\\game", false, 0, 0},
    {CMD_ZOOM_OUT, CMD_ZOOM_OUT, "minus", "textures\\game", false, 0, 0},
    {CMD_ZOOM_IN, CMD_ZOOM_IN, "plus", "textures\\game", false, 0, 0},
    {CMD_FOCUS, CMD_FOCUS, "focus", "textures\\game", false, 0, 0},
    {CMD_NEXT_SET, CMD_NEXT_SET, "nextl", "textures\\resmenu", true, 700, 20},
    // Under the right column of the main menu and ending where it ends: shown only while a
    // campaign is kept.
    {CMD_RESUME, CMD_RESUME, "resume", "textures\\mmenu", true, 450, 440},
    {CMD_DISCARD, CMD_DISCARD, "discard", "textures\\mmenu", true, 580, 412},
    {CMD_NETWORK, CMD_NETWORK, "network", "textures\\mmenu", true, 148, 300},
    {CMD_HOST, CMD_HOST, "host", "textures\\mmenu", true, 148, 430},
    {CMD_JOIN, CMD_JOIN, "join", "textures\\mmenu", true, 148, 378},
}};

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
