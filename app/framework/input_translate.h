// SDL input to the Windows-style arguments of the window handlers: virtual-key codes,
// key flags, packed mouse positions, mouse-button flags and wheel words. Pure functions.
#pragma once

#include <SDL2/SDL_keycode.h>
#include <SDL2/SDL_scancode.h>

#include <cstdint>

#include "platform/window_queue.h"

// The virtual-key code of an SDL key. Keypad + and - are 107 and 109; the main block's '='
// and '-' have their own codes, so they do not zoom. The key left of 1 is VK_OEM_3 by its
// place, whatever the layout prints on it. Every other key still gets a code (VK_OTHER_KEY),
// as every key does on Windows; 0 only for an event that names no key at all.
unsigned SdlKeyToVirtualKey(SDL_Keycode key, SDL_Scancode scancode);

// lParam of a key message: repeat count 1, scan code in bits 16-23, bit 29 with ALT held,
// bit 30 when the key was already down (auto-repeat, and every key-up), bit 31 on key-up.
long MakeKeyFlags(unsigned nScanCode, bool bKeyUp, bool bRepeat, bool bAlt);

// A position packed as Windows does: x in the low 16 bits, y in the high 16 bits, each
// a 16-bit two's-complement number.
long PackMousePos(int x, int y);
int PackedX(long pos);
int PackedY(long pos);

// wParam of the mouse messages from SDL's button mask and modifier state.
unsigned MouseFlags(uint32_t sdlButtonMask, uint16_t sdlModState);

// wParam of WM_MOUSEWHEEL: the signed distance (120 per notch, positive away from the user)
// in the high word, the button flags in the low word.
unsigned WheelWParam(int nNotches, unsigned nMouseFlags);

// The message a key event gives, as Windows' accelerator and system-key rules do: ALT+ENTER
// pressed is WM_COMMAND 40001 (accelerator: 1 in the high word); any other key pressed with
// ALT held, and keys with no code, give nothing (false); the rest, and every release, are
// WM_KEYDOWN / WM_KEYUP.
bool KeyEventToMessage(unsigned nVirtualKey, unsigned nScanCode, bool bDown, bool bRepeat,
                       bool bAlt, platform::SMessage& out);
