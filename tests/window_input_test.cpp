// Laws of the window's pure parts: key codes, key and mouse words, letterbox mapping,
// camera moves and the board-plane pick.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL2/SDL_mouse.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

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
        const char* name;
        SDL_Scancode scancode = SDL_SCANCODE_A;  // most keys are read by their symbol alone
    };
    const Case cases[] = {
        {SDLK_TAB, 9, "tab"},         {SDLK_RETURN, 13, "enter"},
        {SDLK_KP_ENTER, 13, "keypad enter"},
        {SDLK_LSHIFT, 16, "left shift"}, {SDLK_RSHIFT, 16, "right shift"},
        {SDLK_ESCAPE, 27, "escape"},  {SDLK_LEFT, 37, "left"},
        {SDLK_UP, 38, "up"},          {SDLK_RIGHT, 39, "right"},
        {SDLK_DOWN, 40, "down"},      {SDLK_KP_PLUS, 107, "keypad plus"},
        {SDLK_KP_MINUS, 109, "keypad minus"},
        {SDLK_a, 'A', "a"},           {SDLK_m, 'M', "m"},
        {SDLK_z, 'Z', "z"},           {SDLK_0, '0', "0"},
        {SDLK_5, '5', "5"},           {SDLK_9, '9', "9"},
        {SDLK_SPACE, 32, "space"},    {SDLK_F1, 112, "F1"},
        // The main block's '=' and '-' are not the zoom keys.
        {SDLK_EQUALS, 187, "equals"}, {SDLK_MINUS, 189, "minus"},
        // The key left of 1 by its place: US, German and French layouts; a '`' elsewhere is not it.
        {SDLK_BACKQUOTE, VK_OEM_3, "US backquote", SDL_SCANCODE_GRAVE},
        {SDLK_CARET, VK_OEM_3, "German caret", SDL_SCANCODE_GRAVE},
        {0xB2, VK_OEM_3, "French superscript two", SDL_SCANCODE_GRAVE},
        {SDLK_BACKQUOTE, VK_OTHER_KEY, "backquote right of 0", SDL_SCANCODE_EQUALS},
        // Keys the game gives no meaning still count as a key.
        {SDLK_SEMICOLON, VK_OTHER_KEY, "semicolon"}, {SDLK_LEFTBRACKET, VK_OTHER_KEY, "bracket"},
        {SDLK_QUOTE, VK_OTHER_KEY, "quote"},         {SDLK_BACKSLASH, VK_OTHER_KEY, "backslash"},
        {SDLK_CAPSLOCK, VK_OTHER_KEY, "caps lock"},  {SDLK_AUDIOPLAY, VK_OTHER_KEY, "media key"},
        {SDLK_UNKNOWN, VK_OTHER_KEY, "key without a symbol", SDL_SCANCODE_NONUSBACKSLASH},
        {SDLK_UNKNOWN, 0, "no key at all", SDL_SCANCODE_UNKNOWN},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SdlKeyToVirtualKey(c.key, c.scancode), c.expected)
            << c.name << ": SDL key " << c.key << " expected " << c.expected;
}

TEST(KeyTranslation, AltEnterIsTheSwitchCommandAndOtherAltPressesAreSwallowed) {
    platform::SMessage msg;
    ASSERT_TRUE(KeyEventToMessage(VK_RETURN, 0, true, false, true, msg));
    EXPECT_EQ(msg.nMsg, WM_COMMAND);
    EXPECT_EQ(msg.wParam & 0xFFFF, kCmdSwitchWindow);

    EXPECT_FALSE(KeyEventToMessage(VK_RETURN, 0, true, true, true, msg)) << "held ALT+ENTER";
    EXPECT_FALSE(KeyEventToMessage(VK_TAB, 0, true, false, true, msg)) << "ALT+TAB";
    EXPECT_FALSE(KeyEventToMessage('A', 0, true, false, true, msg)) << "ALT+A";
    EXPECT_FALSE(KeyEventToMessage(0, 0, true, false, false, msg)) << "key without a code";

    // A release with ALT held still reaches the game: a held camera key must stop.
    ASSERT_TRUE(KeyEventToMessage(VK_LEFT, 0, false, false, true, msg));
    EXPECT_EQ(msg.nMsg, WM_KEYUP);
    EXPECT_EQ(msg.wParam, VK_LEFT);

    ASSERT_TRUE(KeyEventToMessage(VK_RETURN, 0, true, false, false, msg));
    EXPECT_EQ(msg.nMsg, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, VK_RETURN);
}

TEST(KeyTranslation, KeyFlagsCarryRepeatAndTransitionBits) {
    struct Case {
        bool bUp, bRepeat;
        bool bBit30, bBit31;
    };
    const Case cases[] = {{false, false, false, false},
                          {false, true, true, false},
                          {true, false, true, true}};
    for (const Case& c : cases) {
        const auto flags = static_cast<unsigned long>(MakeKeyFlags(0x4B, c.bUp, c.bRepeat, false));
        EXPECT_EQ(flags & 0xFFFF, 1u) << "repeat count";
        EXPECT_EQ((flags >> 16) & 0xFF, 0x4Bu) << "scan code";
        EXPECT_EQ(((flags >> 30) & 1) != 0, c.bBit30) << "up " << c.bUp << " repeat " << c.bRepeat;
        EXPECT_EQ(((flags >> 31) & 1) != 0, c.bBit31) << "up " << c.bUp << " repeat " << c.bRepeat;
    }
}

TEST(MousePacking, XIsTheLowWordAndYTheHighWord) {
    EXPECT_EQ(PackMousePos(799, 599), 0x0257031FL);
    EXPECT_EQ(PackMousePos(0, 0), 0L);
    EXPECT_EQ(PackMousePos(1, 0), 1L);
    EXPECT_EQ(PackMousePos(0, 1), 0x10000L);
    const int points[][2] = {{0, 0}, {799, 599}, {400, 300}, {-1, -5}, {32767, -32768}, {-32768, 32767}};
    for (const auto& p : points) {
        const long pos = PackMousePos(p[0], p[1]);
        EXPECT_EQ(PackedX(pos), p[0]) << "(" << p[0] << ", " << p[1] << ") packed " << pos;
        EXPECT_EQ(PackedY(pos), p[1]) << "(" << p[0] << ", " << p[1] << ") packed " << pos;
        EXPECT_GE(pos, 0) << "the packed word stays a non-negative 32-bit value";
    }
}

TEST(MousePacking, ButtonFlagsFollowTheSdlState) {
    EXPECT_EQ(MouseFlags(0, 0), 0u);
    EXPECT_EQ(MouseFlags(SDL_BUTTON(SDL_BUTTON_LEFT), 0), MK_LBUTTON);
    EXPECT_EQ(MouseFlags(SDL_BUTTON(SDL_BUTTON_RIGHT), 0), MK_RBUTTON);
    EXPECT_EQ(MouseFlags(SDL_BUTTON(SDL_BUTTON_LEFT) | SDL_BUTTON(SDL_BUTTON_MIDDLE), KMOD_LSHIFT),
              MK_LBUTTON | MK_MBUTTON | MK_SHIFT);
    EXPECT_EQ(MouseFlags(0, KMOD_RCTRL), MK_CONTROL);
}

TEST(MousePacking, WheelWordHoldsTheSignedDistanceInTheHighWord) {
    struct Case {
        int notches;
        int expectedDelta;
    };
    const Case cases[] = {{1, 120}, {-1, -120}, {3, 360}, {-2, -240}, {1000, 32760}, {-1000, -32760}};
    for (const Case& c : cases) {
        const unsigned w = WheelWParam(c.notches, MK_LBUTTON);
        EXPECT_EQ(static_cast<int16_t>(w >> 16), c.expectedDelta) << c.notches << " notches";
        EXPECT_EQ(w & 0xFFFF, MK_LBUTTON);
        // The game reads wParam as a signed number: below 0x10000 means toward the user.
        EXPECT_EQ(static_cast<int32_t>(w) < 0x10000, c.notches < 0) << c.notches << " notches";
    }
}

TEST(Letterbox, ViewportIsTheLargestCentredNearly4To3Rectangle) {
    // Exact sizes are held by the round trip below, which any other viewport would break.
    const int sizes[][2] = {{800, 600}, {1920, 1080}, {1000, 600}, {800, 1000}, {801, 600}, {1366, 768},
                            {1280, 1024}, {333, 777}, {1001, 601}, {2560, 1440}, {1, 1}};
    for (const auto& s : sizes) {
        const SViewportRect vp = LetterboxViewport(s[0], s[1]);
        EXPECT_GE(vp.x, 0);
        EXPECT_GE(vp.y, 0);
        EXPECT_LE(vp.x + vp.w, s[0]);
        EXPECT_LE(vp.y + vp.h, s[1]);
        EXPECT_TRUE(vp.w == s[0] || vp.h == s[1]) << s[0] << "x" << s[1] << " touches no edge";
        EXPECT_LE(std::abs(vp.w * 3 - vp.h * 4), 4) << s[0] << "x" << s[1];
        EXPECT_LE(std::abs((s[0] - vp.w - vp.x) - vp.x), 1) << s[0] << "x" << s[1] << " side bars";
        EXPECT_LE(std::abs((s[1] - vp.h - vp.y) - vp.y), 1) << s[0] << "x" << s[1] << " top bars";
    }
}

TEST(Letterbox, PositionsOffThePictureStickToItsEdge) {
    const int sizes[][2] = {{800, 600}, {1024, 768}, {1920, 1080}, {640, 480}, {1000, 600}};
    for (const auto& s : sizes) {
        const int W = s[0], H = s[1];
        const SViewportRect vp = LetterboxViewport(W, H);
        int lx = -1, ly = -1;
        // (The corners inside are checked by the round trip below.)
        EXPECT_FALSE(WindowToLogical(-50, -50, W, H, lx, ly));
        EXPECT_EQ(lx, 0);
        EXPECT_EQ(ly, 0);
        EXPECT_FALSE(WindowToLogical(W + 10, H + 10, W, H, lx, ly));
        EXPECT_EQ(lx, 799);
        EXPECT_EQ(ly, 599);
        if (vp.x > 0) {
            EXPECT_FALSE(WindowToLogical(vp.x - 1, H / 2, W, H, lx, ly)) << W << "x" << H << " left bar";
            EXPECT_EQ(lx, 0);
        }
    }
}

TEST(Letterbox, LogicalPixelsRoundTripThroughTheWindow) {
    const int sizes[][2] = {{800, 600}, {1024, 768}, {1920, 1080}, {640, 480}, {1000, 600}};
    for (const auto& s : sizes) {
        const int W = s[0], H = s[1];
        int failures = 0;
        // Shrunk windows lose pixels, so only windows at least logical size round-trip all.
        const int step = W >= 800 && H >= 600 ? 1 : 5;
        for (int y = 0; y < kLogicalHeight; y += step) {
            for (int x = 0; x < kLogicalWidth; x += step) {
                double fx = 0, fy = 0;
                LogicalToViewport(x, y, W, H, fx, fy);
                const int wx = static_cast<int>(std::floor(fx));
                const int wy = static_cast<int>(std::floor(H - fy));  // top-down window row
                int lx = -1, ly = -1;
                WindowToLogical(wx, wy, W, H, lx, ly);
                if ((lx != x || ly != y) && ++failures < 5)
                    ADD_FAILURE() << W << "x" << H << ": logical (" << x << ", " << y
                                  << ") -> window (" << wx << ", " << wy << ") -> (" << lx << ", "
                                  << ly << ")";
            }
        }
        EXPECT_EQ(failures, 0) << W << "x" << H;
    }
}

constexpr double kTight = 1e-12;

void ExpectAzimuthMatchesEye(const stCamGeom& c, const char* what) {
    EXPECT_NEAR(c.ex, c.tx + c.radius * std::cos(c.azimuth), 1e-9) << what;
    EXPECT_NEAR(c.ez, c.tz + c.radius * std::sin(c.azimuth), 1e-9) << what;
}

TEST(Camera, DefaultViewIsWhitesStartView) {
    const stCamGeom c = DefaultCamera();
    EXPECT_EQ(c.ex, 0.0);
    EXPECT_EQ(c.ey, 2.2);
    EXPECT_EQ(c.ez, 1.0);
    EXPECT_EQ(c.tx, 0.0);
    EXPECT_EQ(c.ty, 0.0);
    EXPECT_EQ(c.tz, 0.0);
    EXPECT_NEAR(c.radius, 1.0, kTight);
    EXPECT_NEAR(c.distance, std::sqrt(1.0 + 2.2 * 2.2), kTight);
    EXPECT_NEAR(c.elevation, std::atan(2.2), 1e-7);
    ExpectAzimuthMatchesEye(c, "default");
}

TEST(Camera, CalcRadsMeasuresFromTheEyeToTheTarget) {
    const double eyes[][6] = {{3, 4, 0, 0, 0, 0}, {1, 1, 1, 1, 5, 1}, {-2, 0.5, 3, 1, 0, -1}};
    for (const auto& e : eyes) {
        const stCamGeom c = CameraLookingAt(&e[0], &e[3]);
        const double dx = e[0] - e[3], dy = e[1] - e[4], dz = e[2] - e[5];
        EXPECT_NEAR(c.radius, std::hypot(dx, dz), kTight);
        EXPECT_NEAR(c.distance, std::sqrt(dx * dx + dy * dy + dz * dz), kTight);
    }
}

TEST(Camera, UpAndDownKeepTargetDistanceAndHeading) {
    stCamGeom c = DefaultCamera();
    c.tx = 0.3;
    c.tz = -0.2;
    c.ex = 1.5;
    c.ez = 0.9;
    c.ey = 1.0;
    CalcCameraRads(c);
    const double distance = c.distance;
    const double heading = std::atan2(c.ez - c.tz, c.ex - c.tx);
    for (int i = 0; i < 5; ++i) {
        const double before = std::atan2(c.ey - c.ty, c.radius);
        MoveCameraUp(c);
        EXPECT_NEAR(std::atan2(c.ey - c.ty, c.radius) - before, kCameraElevationStep, 1e-9);
        EXPECT_NEAR(c.distance, distance, 1e-12);
        EXPECT_NEAR(std::atan2(c.ez - c.tz, c.ex - c.tx), heading, 1e-12);
        EXPECT_EQ(c.tx, 0.3);
        EXPECT_EQ(c.tz, -0.2);
    }
    for (int i = 0; i < 7; ++i) {
        MoveCameraDown(c);
        EXPECT_NEAR(c.distance, distance, 1e-12);
        EXPECT_NEAR(std::atan2(c.ez - c.tz, c.ex - c.tx), heading, 1e-12);
    }
    EXPECT_NEAR(c.elevation, std::atan2(c.ey - c.ty, c.radius), 1e-12);
}

TEST(Camera, UpAndDownStopAtTheirLimits) {
    stCamGeom c = DefaultCamera();
    for (int i = 0; i < 200; ++i) MoveCameraUp(c);
    EXPECT_NEAR(c.elevation, kCameraMaxElevation, 1e-12);
    EXPECT_GT(c.radius, 0.0) << "never straight overhead";
    const stCamGeom top = c;
    MoveCameraUp(c);
    EXPECT_NEAR(c.ey, top.ey, 1e-12);
    for (int i = 0; i < 200; ++i) MoveCameraDown(c);
    EXPECT_NEAR(c.elevation, kCameraMinElevation, 1e-12);
    EXPECT_GT(c.ey, c.ty) << "never below the board plane";
    // An eye placed beyond the upper limit by the game is not pulled down by Up.
    stCamGeom over = DefaultCamera();
    over.ex = 0.01;
    over.ez = 0;
    over.ey = 3;
    CalcCameraRads(over);
    const stCamGeom before = over;
    MoveCameraUp(over);
    EXPECT_EQ(over.ey, before.ey);
    MoveCameraDown(over);
    EXPECT_LT(over.ey, before.ey);
}

// A plane pick, projected back, lands on the pixel centre it was asked for, at height 0.
TEST(WorldPick, BoardPlanePointProjectsBackOntoItsPixel) {
    stCamGeom c = DefaultCamera();
    c.tx = 0.2;
    CalcCameraRads(c);
    const SViewProjection vp = CameraViewProjection(c);
    const int pixels[][2] = {{0, 0}, {799, 599}, {400, 300}, {123, 456}, {799, 0}, {0, 599}};
    for (const auto& p : pixels) {
        float out[3];
        ASSERT_TRUE(PickBoardPlane(vp, p[0], p[1], out)) << p[0] << ", " << p[1];
        EXPECT_EQ(out[1], 0.0f);
        double wx = 0, wy = 0, wz = 0;
        ASSERT_EQ(gluProject(out[0], out[1], out[2], vp.modelview, vp.projection, vp.viewport, &wx,
                             &wy, &wz),
                  GL_TRUE);
        EXPECT_NEAR(wx, p[0] + 0.5, 1e-3) << "pixel " << p[0] << ", " << p[1];
        EXPECT_NEAR(wy, 600 - (p[1] + 0.5), 1e-3) << "pixel " << p[0] << ", " << p[1];
    }
}

TEST(WorldPick, AboveTheHorizonMissesAndLiesFarAway) {
    stCamGeom c;
    c.ey = 0.5;
    c.ez = 3;
    c.azimuth = 1.5707963267948966;
    CalcCameraRads(c);
    const SViewProjection vp = CameraViewProjection(c);
    float out[3];
    EXPECT_FALSE(PickBoardPlane(vp, 400, 0, out));
    EXPECT_GT(std::fabs(out[0]) + std::fabs(out[1]) + std::fabs(out[2]), 50.0f);
    EXPECT_TRUE(PickBoardPlane(vp, 400, 599, out));
    EXPECT_GT(out[2], 0.0f) << "the bottom of the screen sees the board near the eye";
}

TEST(WorldPick, MatricesAreGlusFormulas) {
    // gluPerspective with fovy 90 and aspect 1 has cotangent 1.
    double m[16];
    PerspectiveMatrix(90, 1, 1, 3, m);
    EXPECT_NEAR(m[0], 1, kTight);
    EXPECT_NEAR(m[5], 1, kTight);
    EXPECT_NEAR(m[10], -2, kTight);
    EXPECT_NEAR(m[11], -1, kTight);
    EXPECT_NEAR(m[14], -3, kTight);
    // Looking from +z at the origin is a pure translation.
    const double eye[3] = {0, 0, 5}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    LookAtMatrix(eye, target, up, m);
    const double identityMinus5[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -5, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], identityMinus5[i], kTight) << "element " << i;
}

}  // namespace
