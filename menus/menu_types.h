// The shapes the menu screens are declared in: buttons with their command and pictures,
// pictures placed on a screen, and the screen records built from them. Constants only; any thread.
#pragma once

#include <span>

// Where a button or picture stands on a screen: its own position, or a place this screen asks for.
struct SPlace {
    bool bOwn = true;
    int x = 0, y = 0;
};
inline constexpr SPlace kOwnPlace{};
constexpr SPlace At(int x, int y) { return SPlace{false, x, y}; }

// The button array of the window is indexed by command number; "leavegm" reports the same
// command as "mainmnu" and so lives in a slot of its own past the array.
inline constexpr int kButtonSlots = 37;
inline constexpr int kLeaveGameSlot = kButtonSlots;

struct SButtonDef {
    int nSlot;             // index into the window's buttons (kLeaveGameSlot for "leavegm")
    int nCommand;          // reported when pressed
    const char* szBase;    // "<base>.tga" and the highlighted "<base>a.tga"
    const char* szFolder;  // pack folder
    bool bHasOwnPos;       // the game screen's buttons have none: their screen places them
    int x, y;              // own position (bottom-left), when bHasOwnPos
};

// The pictures the window holds itself because several screens show them.
enum class ESharedImage {
    None,  // a picture of the pack that belongs to one screen
    Background,
    MainForeground,
    Logo,
    SetupTitle,
    GameOverBanner,
    Cursor,  // drawn by the frame itself, never added to a screen
    Sight,
};

struct SScreenImage {
    ESharedImage eShared;  // None: szFile from szFolder, loaded for this screen
    const char* szFile;
    const char* szFolder;
    SPlace place;          // a pack picture always names its place
};

struct SScreenButton {
    int nSlot;
    SPlace place;
};

struct SScreenDef {
    int nScreen;  // EScreen
    const char* szName;  // for logs and screenshots
    std::span<const SScreenButton> buttons;  // in the order added
    std::span<const SScreenImage> images;    // in the order added: later ones draw on top
    bool bSetupSelectors;                    // the setup selectors are added after the rest
};
