// What the menus' handlers share: the button of a slot, the shared pictures, the pause and
// its way back, the window title and the wheel's direction. Window thread, except the pure
// functions (FormatWindowTitle, WheelCommand), which any thread may call.
#pragma once

#include <string>

#include "menus/menu_types.h"

class CGameWnd;
class CGLMenu;
class CGLTexture;

// The button in a slot (kLeaveGameSlot: "leavegm"); null for a slot out of range.
CGLMenu* ButtonInSlot(CGameWnd& wnd, int nSlot);
// The window's picture for a shared image; null for ESharedImage::None.
CGLTexture* SharedImage(CGameWnd& wnd, ESharedImage eImage);

// ESC on the game screen: the flick threads wait, the pause screen shows.
void PauseGame(CGameWnd& wnd);
// "cont" or ESC on the pause screen.
void ContinueGame(CGameWnd& wnd);
// The result screens' way on: the next set of the campaign, or a new match.
void StartNextSet(CGameWnd& wnd);
void StartNewMatch(CGameWnd& wnd);

// "default" of the setup screen: every selector but the window one back to its first item,
// and the settings from them. The file is not written.
void ResetSetupToDefaults(CGameWnd& wnd);
// "mainmnu" of the setup screen: saves the choices. False when the screen must stay so the
// player reads why they were not saved; that happens once, later failures leave at once.
bool SaveSetupChoices(CGameWnd& wnd);
// The setup screen's line saying that the last save failed; nothing while saves work.
void DrawSetupNotice(CGameWnd& wnd);

inline constexpr const char* kGameTitle = "Kelvo Dara";
// "Kelvo Dara  <version>": the game's name, two blanks, the framework's version text.
std::string FormatWindowTitle(const char* szVersion);

// The scroll command of one wheel message: the wheel's wParam as a signed number; below
// 0x10000 (turned toward the user, or no distance) the page moves on by a line.
int WheelCommand(unsigned wParam);
