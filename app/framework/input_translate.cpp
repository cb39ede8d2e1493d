// SDL keys, buttons and positions to the arguments the Windows handlers expect.
#include "app/framework/input_translate.h"

#include <SDL2/SDL_mouse.h>

#include <algorithm>
#include <cstdint>

#include "app/framework/win_messages.h"

unsigned SdlKeyToVirtualKey(SDL_Keycode key, SDL_Scancode scancode) {
    if (scancode == SDL_SCANCODE_GRAVE) return VK_OEM_3;
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<unsigned>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<unsigned>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<unsigned>(key - SDLK_F1);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9)
        return VK_NUMPAD0 + 1 + static_cast<unsigned>(key - SDLK_KP_1);
    switch (key) {
        case SDLK_BACKSPACE: return VK_BACK;
        case SDLK_TAB: return VK_TAB;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return VK_RETURN;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return VK_SHIFT;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return VK_CONTROL;
        case SDLK_LALT:
        case SDLK_RALT: return VK_MENU;
        case SDLK_PAUSE: return VK_PAUSE;
        case SDLK_ESCAPE: return VK_ESCAPE;
        case SDLK_SPACE: return VK_SPACE;
        case SDLK_PAGEUP: return VK_PRIOR;
        case SDLK_PAGEDOWN: return VK_NEXT;
        case SDLK_END: return VK_END;
        case SDLK_HOME: return VK_HOME;
        case SDLK_LEFT: return VK_LEFT;
        case SDLK_UP: return VK_UP;
        case SDLK_RIGHT: return VK_RIGHT;
        case SDLK_DOWN: return VK_DOWN;
        case SDLK_INSERT: return VK_INSERT;
        case SDLK_DELETE: return VK_DELETE;
        case SDLK_KP_0: return VK_NUMPAD0;
        case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
        case SDLK_KP_PLUS: return VK_ADD;
        case SDLK_KP_MINUS: return VK_SUBTRACT;
        case SDLK_KP_PERIOD: return VK_DECIMAL;
        case SDLK_KP_DIVIDE: return VK_DIVIDE;
        case SDLK_EQUALS:
        case SDLK_PLUS: return VK_OEM_PLUS;
        case SDLK_MINUS: return VK_OEM_MINUS;
        case SDLK_COMMA: return VK_OEM_COMMA;
        case SDLK_PERIOD: return VK_OEM_PERIOD;
        case SDLK_SLASH: return VK_OEM_2;
        case SDLK_UNKNOWN: return scancode == SDL_SCANCODE_UNKNOWN ? 0 : VK_OTHER_KEY;
        default: return VK_OTHER_KEY;
    }
}

long MakeKeyFlags(unsigned nScanCode, bool bKeyUp, bool bRepeat, bool bAlt) {
    unsigned long flags = 1;  // repeat count
    flags |= static_cast<unsigned long>(nScanCode & 0xFF) << 16;
    if (bAlt) flags |= 1UL << 29;
    if (bKeyUp || bRepeat) flags |= 1UL << 30;
    if (bKeyUp) flags |= 1UL << 31;
    return static_cast<long>(flags);
}

long PackMousePos(int x, int y) {
    const unsigned long lo = static_cast<uint16_t>(static_cast<int16_t>(x));
    const unsigned long hi = static_cast<uint16_t>(static_cast<int16_t>(y));
    return static_cast<long>(lo | (hi << 16));
}

int PackedX(long pos) { return static_cast<int16_t>(static_cast<unsigned long>(pos) & 0xFFFF); }
int PackedY(long pos) {
    return static_cast<int16_t>((static_cast<unsigned long>(pos) >> 16) & 0xFFFF);
}

unsigned MouseFlags(uint32_t sdlButtonMask, uint16_t sdlModState) {
    unsigned flags = 0;
    if (sdlButtonMask & SDL_BUTTON(SDL_BUTTON_LEFT)) flags |= MK_LBUTTON;
    if (sdlButtonMask & SDL_BUTTON(SDL_BUTTON_RIGHT)) flags |= MK_RBUTTON;
    if (sdlButtonMask & SDL_BUTTON(SDL_BUTTON_MIDDLE)) flags |= MK_MBUTTON;
    if (sdlModState & KMOD_SHIFT) flags |= MK_SHIFT;
    if (sdlModState & KMOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

unsigned WheelWParam(int nNotches, unsigned nMouseFlags) {
    // A 16-bit word holds at most 273 notches; a wilder spin is cut there.
    constexpr int kMaxNotches = INT16_MAX / WHEEL_DELTA;
    nNotches = std::clamp(nNotches, -kMaxNotches, kMaxNotches);
    const auto delta = static_cast<uint16_t>(static_cast<int16_t>(nNotches * WHEEL_DELTA));
    return (static_cast<unsigned>(delta) << 16) | (nMouseFlags & 0xFFFF);
}

bool KeyEventToMessage(unsigned nVirtualKey, unsigned nScanCode, bool bDown, bool bRepeat,
                       bool bAlt, platform::SMessage& out) {
    if (nVirtualKey == 0) return false;
    // Releases always pass, so a key held before ALT went down is never left held.
    if (bAlt && bDown) {
        if (bRepeat || nVirtualKey != VK_RETURN) return false;
        constexpr unsigned kFromAccelerator = 1u << 16;
        out = {WM_COMMAND, kCmdSwitchWindow | kFromAccelerator, 0};
        return true;
    }
    out.nMsg = bDown ? WM_KEYDOWN : WM_KEYUP;
    out.wParam = nVirtualKey;
    out.lParam = MakeKeyFlags(nScanCode, !bDown, bRepeat, bAlt);
    return true;
}
