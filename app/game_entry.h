// The program's entry: platform check, the game window, its window and main loop, and the
// error boxes. Main thread.
#pragma once

#include <functional>
#include <string>

#include "app/command_line.h"

class CGameWnd;

// A start-up failure meant for the player: shown as it is in the error box.
struct CGameMessage {
    std::string text;
};

inline constexpr const char* kErrorBoxCaption = "KelvoDara";
inline constexpr const char* kNeedDirectXText = "Please install DirectX 8.0 or better";
inline constexpr const char* kCannotStartText = "Can't initialize game!\nProgram will now close.";
inline constexpr const char* kUnhandledErrorText =
    "Unhandled Error!\nPlease e-mail the log file kelvodara.log and what you did to support@kelvodara.example";
inline constexpr int kMinVideoVersion = 0x800;

// Runs the game: returns the main loop's code, or 0 after an error box. headless: the window
// has no GL and no input of its own (tests). options: the command line's choices for this run. The window object stays allocated (g_pGameWnd)
// after a normal run, with its threads stopped; on the error path it is destroyed.
int RunGame(bool bHeadless, const SCommandLine& options = {});

// Tests: onCreated runs right after the window object exists (before the pack is opened and
// the window made), onShown once the window shows, before the main loop (to queue input, ask
// for a quit, or throw). Empty functions: nothing.
struct SRunGameHooks {
    std::function<void(CGameWnd&)> onCreated;
    std::function<void(CGameWnd&)> onShown;
};
void SetRunGameHooks(SRunGameHooks hooks);
