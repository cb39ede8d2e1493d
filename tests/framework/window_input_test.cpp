// Laws of the window's pure parts: key codes, key words, and letterbox mapping.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <tuple>

#include "app/framework/input_translate.h"
#include "app/framework/letterbox.h"
#include "app/framework/win_messages.h"

namespace {

TEST(KeyTranslation, SdlKeysGiveTheGamesVirtualKeys) {
    const std::tuple<SDL_Keycode, unsigned, SDL_Scancode> cases[] = {
        {SDLK_TAB, 9, SDL_SCANCODE_A}, {SDLK_KP_ENTER, 13, SDL_SCANCODE_A}, {SDLK_RSHIFT, 16, SDL_SCANCODE_A},
        {SDLK_ESCAPE, 27, SDL_SCANCODE_A}, {SDLK_LEFT, 37, SDL_SCANCODE_A}, {SDLK_DOWN, 40, SDL_SCANCODE_A},
        {SDLK_KP_PLUS, 107, SDL_SCANCODE_A}, {SDLK_KP_MINUS, 109, SDL_SCANCODE_A}, {SDLK_z, 'Z', SDL_SCANCODE_A},
        {SDLK_9, '9', SDL_SCANCODE_A}, {SDLK_SPACE, 32, SDL_SCANCODE_A}, {SDLK_F1, 112, SDL_SCANCODE_A},
        // The main block's '=' and '-' are not the zoom keys.
        {SDLK_EQUALS, 187, SDL_SCANCODE_A}, {SDLK_MINUS, 189, SDL_SCANCODE_A},
        // The key left of 1 by its place (US, German, French layouts); a '`' elsewhere is not it.
        {SDLK_BACKQUOTE, VK_OEM_3, SDL_SCANCODE_GRAVE}, {SDLK_CARET, VK_OEM_3, SDL_SCANCODE_GRAVE},
        {0xB2, VK_OEM_3, SDL_SCANCODE_GRAVE}, {SDLK_BACKQUOTE, VK_OTHER_KEY, SDL_SCANCODE_EQUALS},
        // Keys the game gives no meaning still count as a key; no key at all is none.
        {SDLK_AUDIOPLAY, VK_OTHER_KEY, SDL_SCANCODE_A}, {SDLK_UNKNOWN, VK_OTHER_KEY, SDL_SCANCODE_NONUSBACKSLASH},
        {SDLK_UNKNOWN, 0, SDL_SCANCODE_UNKNOWN}};
    for (const auto& [key, expected, scancode] : cases) EXPECT_EQ(SdlKeyToVirtualKey(key, scancode), expected) << key;
}

TEST(KeyTranslation, AltEnterIsTheSwitchCommandOtherAltPressesAreSwallowedAndFlagsFollowTheKey) {
    platform::SMessage msg;
    ASSERT_TRUE(KeyEventToMessage(VK_RETURN, 0, true, false, true, msg));
    EXPECT_EQ(std::pair(msg.nMsg, msg.wParam & 0xFFFF), std::pair(WM_COMMAND, uintptr_t{kCmdSwitchWindow}));
    EXPECT_FALSE(KeyEventToMessage(VK_RETURN, 0, true, true, true, msg)) << "held ALT+ENTER";
    EXPECT_FALSE(KeyEventToMessage(VK_TAB, 0, true, false, true, msg)) << "ALT+TAB";
    EXPECT_FALSE(KeyEventToMessage(0, 0, true, false, false, msg)) << "key without a code";
    // down, repeat, up: a release with ALT held still reaches the game (a held camera key must stop)
    for (const auto& [bDown, bRepeat, bAlt, nMsg, nTopBits] : {std::tuple{true, false, false, WM_KEYDOWN, 0ul},
                                                             {true, true, false, WM_KEYDOWN, 1ul},
                                                             {false, false, true, WM_KEYUP, 3ul}}) {
        ASSERT_TRUE(KeyEventToMessage(VK_LEFT, 0x4B, bDown, bRepeat, bAlt, msg));
        const auto flags = static_cast<unsigned long>(msg.lParam);
        EXPECT_EQ(std::tuple(msg.nMsg, msg.wParam, flags & 0xFFFF, (flags >> 16) & 0xFF, flags >> 30),
                  std::tuple(nMsg, uintptr_t{VK_LEFT}, 1ul, 0x4Bul, nTopBits)) << "down " << bDown << " repeat " << bRepeat;
    }
}

const int kWindowSizes[][2] = {{800, 600}, {1024, 768}, {1920, 1080}, {640, 480}, {1000, 600}, {800, 1000},
                               {801, 600}, {1366, 768}, {333, 777}, {1001, 601}, {1, 1}};

// The viewport is the largest centred nearly-4:3 rectangle; points off it stick to its edge, and
// in windows at least the logical size every logical pixel comes back through the window.
TEST(Letterbox, ViewportIsTheLargestCentred4To3RectangleAndLogicalPixelsRoundTrip) {
    for (const auto& [W, H] : kWindowSizes) {
        const SViewportRect vp = LetterboxViewport(W, H);
        EXPECT_TRUE(vp.x >= 0 && vp.y >= 0 && vp.x + vp.w <= W && vp.y + vp.h <= H) << W << "x" << H;
        EXPECT_TRUE(vp.w == W || vp.h == H) << W << "x" << H << " touches no edge";
        EXPECT_LE(std::abs(vp.w * 3 - vp.h * 4), 4) << W << "x" << H;
        EXPECT_LE(std::abs(W - vp.w - 2 * vp.x) + std::abs(H - vp.h - 2 * vp.y), 2) << W << "x" << H << " bars";
        int lx = -1, ly = -1, failures = 0;
        EXPECT_FALSE(WindowToLogical(-50, -50, W, H, lx, ly) || lx != 0 || ly != 0) << W << "x" << H;
        EXPECT_FALSE(WindowToLogical(W + 10, H + 10, W, H, lx, ly) || lx != 799 || ly != 599) << W << "x" << H;
        EXPECT_FALSE(vp.x > 0 && (WindowToLogical(vp.x - 1, H / 2, W, H, lx, ly) || lx != 0)) << W << " left bar";
        for (int y = 0; y < kLogicalHeight && W >= 800 && H >= 600; ++y)
            for (int x = 0; x < kLogicalWidth; ++x) {
                double fx = 0, fy = 0;
                LogicalToViewport(x, y, W, H, fx, fy);  // the window's rows run top-down
                WindowToLogical(static_cast<int>(std::floor(fx)), static_cast<int>(std::floor(H - fy)), W, H, lx, ly);
                if ((lx != x || ly != y) && ++failures < 5)
                    ADD_FAILURE() << W << "x" << H << ": logical (" << x << ", " << y << ") -> (" << lx << ", " << ly << ")";
            }
    }
}

}  // namespace
