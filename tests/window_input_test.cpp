// Laws of the window's pure parts: key codes, key and mouse words, letterbox mapping,
// camera moves and the board-plane pick.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL_mouse.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "app/framework/camera.h"
#include "app/framework/input_translate.h"
#include "app/framework/letterbox.h"
#include "app/framework/win_messages.h"
#include "app/framework/world_pick.h"

namespace {

TEST(KeyTranslation, SdlKeysGiveTheGamesVirtualKeys) {
    struct Case {
        SDL_Keycode key;
        unsigned expected;
        SDL_Scancode scancode = SDL_SCANCODE_A;  // most keys are read by their symbol alone
    } const cases[] = {
        {SDLK_TAB, 9}, {SDLK_RETURN, 13}, {SDLK_KP_ENTER, 13}, {SDLK_RSHIFT, 16}, {SDLK_ESCAPE, 27},
        {SDLK_LEFT, 37}, {SDLK_UP, 38}, {SDLK_RIGHT, 39}, {SDLK_DOWN, 40}, {SDLK_KP_PLUS, 107},
        {SDLK_KP_MINUS, 109}, {SDLK_a, 'A'}, {SDLK_z, 'Z'}, {SDLK_0, '0'}, {SDLK_9, '9'}, {SDLK_SPACE, 32},
        {SDLK_F1, 112},
        // The main block's '=' and '-' are not the zoom keys.
        {SDLK_EQUALS, 187}, {SDLK_MINUS, 189},
        // The key left of 1 by its place: US, German and French layouts; a '`' elsewhere is not it.
        {SDLK_BACKQUOTE, VK_OEM_3, SDL_SCANCODE_GRAVE}, {SDLK_CARET, VK_OEM_3, SDL_SCANCODE_GRAVE},
        {0xB2, VK_OEM_3, SDL_SCANCODE_GRAVE}, {SDLK_BACKQUOTE, VK_OTHER_KEY, SDL_SCANCODE_EQUALS},
        // Keys the game gives no meaning still count as a key; no key at all is none.
        {SDLK_SEMICOLON, VK_OTHER_KEY}, {SDLK_AUDIOPLAY, VK_OTHER_KEY},
        {SDLK_UNKNOWN, VK_OTHER_KEY, SDL_SCANCODE_NONUSBACKSLASH}, {SDLK_UNKNOWN, 0, SDL_SCANCODE_UNKNOWN},
    };
    for (const Case& c : cases) EXPECT_EQ(SdlKeyToVirtualKey(c.key, c.scancode), c.expected) << "SDL key " << c.key;
}

TEST(KeyTranslation, AltEnterIsTheSwitchCommandOtherAltPressesAreSwallowedAndFlagsFollowTheKey) {
    platform::SMessage msg;
    ASSERT_TRUE(KeyEventToMessage(VK_RETURN, 0, true, false, true, msg));
    EXPECT_EQ(msg.nMsg, WM_COMMAND);
    EXPECT_EQ(msg.wParam & 0xFFFF, kCmdSwitchWindow);
    EXPECT_FALSE(KeyEventToMessage(VK_RETURN, 0, true, true, true, msg)) << "held ALT+ENTER";
    EXPECT_FALSE(KeyEventToMessage(VK_TAB, 0, true, false, true, msg)) << "ALT+TAB";
    EXPECT_FALSE(KeyEventToMessage(0, 0, true, false, false, msg)) << "key without a code";
    // down / repeat / up (a release with ALT held still reaches the game: a held camera key must stop)
    const struct { bool bDown, bRepeat, bAlt; uint32_t nMsg; unsigned long nTopBits; } cases[] = {
        {true, false, false, WM_KEYDOWN, 0}, {true, true, false, WM_KEYDOWN, 1}, {false, false, true, WM_KEYUP, 3}};
    for (const auto& c : cases) {
        ASSERT_TRUE(KeyEventToMessage(VK_LEFT, 0x4B, c.bDown, c.bRepeat, c.bAlt, msg));
        EXPECT_EQ(std::pair(msg.nMsg, msg.wParam), std::pair(c.nMsg, uintptr_t{VK_LEFT}));
        const auto flags = static_cast<unsigned long>(msg.lParam);
        EXPECT_EQ(flags & 0xFFFF, 1u) << "repeat count";
        EXPECT_EQ((flags >> 16) & 0xFF, 0x4Bu) << "scan code";
        EXPECT_EQ(flags >> 30, c.nTopBits) << "down " << c.bDown << " repeat " << c.bRepeat;
    }
}

TEST(MousePacking, PositionsButtonsAndWheelGiveTheWindowsWords) {
    EXPECT_EQ(PackMousePos(799, 599), 0x0257031FL) << "x in the low word";
    for (const auto& p : {std::pair{0, 0}, {799, 599}, {-1, -5}, {32767, -32768}, {-32768, 32767}}) {
        const long pos = PackMousePos(p.first, p.second);
        EXPECT_EQ(std::pair(PackedX(pos), PackedY(pos)), p) << "packed " << pos;
        EXPECT_GE(pos, 0) << "the packed word stays a non-negative 32-bit value";
    }
    EXPECT_EQ(MouseFlags(SDL_BUTTON(SDL_BUTTON_LEFT) | SDL_BUTTON(SDL_BUTTON_MIDDLE), KMOD_LSHIFT),
              MK_LBUTTON | MK_MBUTTON | MK_SHIFT);
    EXPECT_EQ(MouseFlags(SDL_BUTTON(SDL_BUTTON_RIGHT), KMOD_RCTRL), MK_RBUTTON | MK_CONTROL);
    for (const auto& [notches, delta] : {std::pair{1, 120}, {-1, -120}, {3, 360}, {1000, 32760}, {-1000, -32760}}) {
        const unsigned w = WheelWParam(notches, MK_LBUTTON);
        EXPECT_EQ(static_cast<int16_t>(w >> 16), delta) << notches << " notches";
        EXPECT_EQ(w & 0xFFFF, MK_LBUTTON);
        // The game reads wParam as a signed number: below 0x10000 means toward the user.
        EXPECT_EQ(static_cast<int32_t>(w) < 0x10000, notches < 0) << notches << " notches";
    }
}

const int kWindowSizes[][2] = {{800, 600}, {1024, 768}, {1920, 1080}, {640, 480}, {1000, 600}, {800, 1000},
                               {801, 600}, {1366, 768}, {333, 777}, {1001, 601}, {1, 1}};

TEST(Letterbox, ViewportIsTheLargestCentredNearly4To3RectangleAndOffPicturePointsStickToItsEdge) {
    for (const auto& [W, H] : kWindowSizes) {
        const SViewportRect vp = LetterboxViewport(W, H);
        EXPECT_TRUE(vp.x >= 0 && vp.y >= 0 && vp.x + vp.w <= W && vp.y + vp.h <= H) << W << "x" << H;
        EXPECT_TRUE(vp.w == W || vp.h == H) << W << "x" << H << " touches no edge";
        EXPECT_LE(std::abs(vp.w * 3 - vp.h * 4), 4) << W << "x" << H;
        EXPECT_LE(std::abs((W - vp.w - vp.x) - vp.x), 1) << W << "x" << H << " side bars";
        EXPECT_LE(std::abs((H - vp.h - vp.y) - vp.y), 1) << W << "x" << H << " top bars";
        int lx = -1, ly = -1;
        EXPECT_FALSE(WindowToLogical(-50, -50, W, H, lx, ly));
        EXPECT_EQ(std::pair(lx, ly), std::pair(0, 0));
        EXPECT_FALSE(WindowToLogical(W + 10, H + 10, W, H, lx, ly));
        EXPECT_EQ(std::pair(lx, ly), std::pair(799, 599));
        if (vp.x > 0) {
            EXPECT_FALSE(WindowToLogical(vp.x - 1, H / 2, W, H, lx, ly) || lx != 0) << W << " left bar";
        }
    }
}

TEST(Letterbox, LogicalPixelsRoundTripThroughTheWindow) {
    for (const auto& [W, H] : kWindowSizes) {
        if (W < 640) continue;
        int failures = 0;
        // Shrunk windows lose pixels, so only windows at least logical size round-trip all.
        const int step = W >= 800 && H >= 600 ? 1 : 5;
        for (int y = 0; y < kLogicalHeight; y += step)
            for (int x = 0; x < kLogicalWidth; x += step) {
                double fx = 0, fy = 0;
                LogicalToViewport(x, y, W, H, fx, fy);
                int lx = -1, ly = -1;  // the window's rows run top-down
                WindowToLogical(static_cast<int>(std::floor(fx)), static_cast<int>(std::floor(H - fy)), W, H, lx, ly);
                if ((lx != x || ly != y) && ++failures < 5)
                    ADD_FAILURE() << W << "x" << H << ": logical (" << x << ", " << y << ") -> (" << lx << ", " << ly << ")";
            }
        EXPECT_EQ(failures, 0) << W << "x" << H;
    }
}

TEST(Camera, UpAndDownKeepTargetDistanceAndHeadingAndStopAtTheirLimits) {
    const double eye[3] = {1.5, 1.0, 0.9}, target[3] = {0.3, 0.0, -0.2};
    stCamGeom c = CameraLookingAt(eye, target);
    EXPECT_NEAR(c.radius, std::hypot(1.2, 1.1), 1e-12);
    EXPECT_NEAR(c.distance, std::sqrt(1.2 * 1.2 + 1.0 + 1.1 * 1.1), 1e-12);
    const double distance = c.distance, heading = std::atan2(c.ez - c.tz, c.ex - c.tx);
    auto expectKept = [&](const char* what) {
        EXPECT_NEAR(c.distance, distance, 1e-12) << what;
        EXPECT_NEAR(std::atan2(c.ez - c.tz, c.ex - c.tx), heading, 1e-12) << what;
        EXPECT_EQ(std::pair(c.tx, c.tz), std::pair(0.3, -0.2)) << what;
        EXPECT_NEAR(c.elevation, std::atan2(c.ey - c.ty, c.radius), 1e-12) << what;
    };
    const double before = std::atan2(c.ey - c.ty, c.radius);
    MoveCameraUp(c);
    EXPECT_NEAR(c.elevation - before, kCameraElevationStep, 1e-9);
    expectKept("up");
    for (int i = 0; i < 200; ++i) MoveCameraUp(c);
    EXPECT_NEAR(c.elevation, kCameraMaxElevation, 1e-12);
    EXPECT_GT(c.radius, 0.0) << "never straight overhead";
    expectKept("at the top");
    for (int i = 0; i < 200; ++i) MoveCameraDown(c);
    EXPECT_NEAR(c.elevation, kCameraMinElevation, 1e-12);
    expectKept("at the bottom");
    // An eye placed beyond the upper limit by the game is not pulled down by Up.
    const double high[3] = {0.01, 3, 0}, origin[3] = {0, 0, 0};
    stCamGeom over = CameraLookingAt(high, origin);
    MoveCameraUp(over);
    EXPECT_EQ(over.ey, 3.0);
    MoveCameraDown(over);
    EXPECT_LT(over.ey, 3.0);
}

TEST(WorldPick, BoardPlanePointProjectsBackOntoItsPixelAndAboveTheHorizonMisses) {
    stCamGeom c = DefaultCamera();
    c.tx = 0.2;
    CalcCameraRads(c);
    const SViewProjection vp = CameraViewProjection(c);
    for (const auto& [x, y] : {std::pair{0, 0}, {799, 599}, {400, 300}, {123, 456}, {799, 0}, {0, 599}}) {
        float out[3];
        ASSERT_TRUE(PickBoardPlane(vp, x, y, out)) << x << ", " << y;
        EXPECT_EQ(out[1], 0.0f);
        double wx = 0, wy = 0, wz = 0;
        ASSERT_EQ(gluProject(out[0], out[1], out[2], vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz), GL_TRUE);
        EXPECT_NEAR(wx, x + 0.5, 1e-3) << "pixel " << x << ", " << y;
        EXPECT_NEAR(wy, 600 - (y + 0.5), 1e-3) << "pixel " << x << ", " << y;
    }
    const double low[3] = {0, 0.5, 3}, centre[3] = {0, 0, 0};
    const SViewProjection flat = CameraViewProjection(CameraLookingAt(low, centre));
    float out[3];
    EXPECT_FALSE(PickBoardPlane(flat, 400, 0, out));
    EXPECT_GT(std::fabs(out[0]) + std::fabs(out[1]) + std::fabs(out[2]), 50.0f) << "and lies far away";
    EXPECT_TRUE(PickBoardPlane(flat, 400, 599, out));
    EXPECT_GT(out[2], 0.0f) << "the bottom of the screen sees the board near the eye";
}

}  // namespace
