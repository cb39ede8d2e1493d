// Windows message numbers, mouse-button flags and virtual-key codes the game and the
// window framework share. Constants only; any thread.
#pragma once

#include <cstdint>

inline constexpr uint32_t WM_QUIT = 0x0012;
inline constexpr uint32_t WM_KEYDOWN = 0x0100;
inline constexpr uint32_t WM_KEYUP = 0x0101;
inline constexpr uint32_t WM_COMMAND = 0x0111;
inline constexpr uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr uint32_t WM_MOUSEWHEEL = 0x020A;

// wParam flags of the mouse messages.
inline constexpr unsigned MK_LBUTTON = 0x0001;
inline constexpr unsigned MK_RBUTTON = 0x0002;
inline constexpr unsigned MK_SHIFT = 0x0004;
inline constexpr unsigned MK_CONTROL = 0x0008;
inline constexpr unsigned MK_MBUTTON = 0x0010;

// One notch of the mouse wheel.
inline constexpr int WHEEL_DELTA = 120;

// The accelerator command of ALT+ENTER (window / full screen).
inline constexpr unsigned kCmdSwitchWindow = 40001;

// Virtual-key codes.
inline constexpr unsigned VK_BACK = 8;
inline constexpr unsigned VK_TAB = 9;
inline constexpr unsigned VK_RETURN = 13;
inline constexpr unsigned VK_SHIFT = 16;
inline constexpr unsigned VK_CONTROL = 17;
inline constexpr unsigned VK_MENU = 18;  // ALT
inline constexpr unsigned VK_PAUSE = 19;
inline constexpr unsigned VK_ESCAPE = 27;
inline constexpr unsigned VK_SPACE = 32;
inline constexpr unsigned VK_PRIOR = 33;
inline constexpr unsigned VK_NEXT = 34;
inline constexpr unsigned VK_END = 35;
inline constexpr unsigned VK_HOME = 36;
inline constexpr unsigned VK_LEFT = 37;
inline constexpr unsigned VK_UP = 38;
inline constexpr unsigned VK_RIGHT = 39;
inline constexpr unsigned VK_DOWN = 40;
inline constexpr unsigned VK_INSERT = 45;
inline constexpr unsigned VK_DELETE = 46;
inline constexpr unsigned VK_NUMPAD0 = 96;
inline constexpr unsigned VK_MULTIPLY = 106;
inline constexpr unsigned VK_ADD = 107;
inline constexpr unsigned VK_SUBTRACT = 109;
inline constexpr unsigned VK_DECIMAL = 110;
inline constexpr unsigned VK_DIVIDE = 111;
inline constexpr unsigned VK_F1 = 112;
inline constexpr unsigned VK_OEM_PLUS = 187;   // '=' / '+' of the main block
inline constexpr unsigned VK_OEM_COMMA = 188;
inline constexpr unsigned VK_OEM_MINUS = 189;  // '-' of the main block
inline constexpr unsigned VK_OEM_PERIOD = 190;
inline constexpr unsigned VK_OEM_2 = 191;      // '/'
inline constexpr unsigned VK_OEM_3 = 192;      // the key left of 1 ('`' / '~' in the US)
inline constexpr unsigned VK_OTHER_KEY = 255;  // a key the game gives no meaning
