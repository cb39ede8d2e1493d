// CGLWnd with a real GL context: SDL's offscreen driver (no X server) unless the caller
// names another driver (run the binary under xvfb-run with SDL_VIDEODRIVER=x11 to check X).
// Skips where SDL cannot make a GL context.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/framework/gl_context.h"
#include "app/framework/gl_wnd.h"
#include "app/framework/win_messages.h"

namespace {

constexpr float kFloorHalf = 5.0f;

// A grey floor at y = 0. ALT+ENTER makes the window again.
class CFloorWnd : public CGLWnd {
public:
    int nInits = 0;

    void InitScene() override { ++nInits; }
    bool OnCommand(unsigned w, long) override {
        if ((w & 0xFFFF) == kCmdSwitchWindow) SwitchWindow();
        return (w & 0xFFFF) == kCmdSwitchWindow;
    }
    void DrawScene() override {
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glColor3ub(180, 160, 120);
        glBegin(GL_QUADS);
        for (auto [sx, sz] : {std::pair{-1, -1}, {-1, 1}, {1, 1}, {1, -1}}) glVertex3f(sx * kFloorHalf, 0.0f, sz * kFloorHalf);
        glEnd();
    }
    bool Create(int nWidth) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // keep a driver the caller named
        return CreateGLWindow("window test", nWidth, 600, 32, false, 0, false);
    }
};

#define SKIP_WITHOUT_GL(created) \
    if (!(created)) GTEST_SKIP() << "SDL cannot make a GL window with driver " << std::getenv("SDL_VIDEODRIVER")

// Focus events name their window; a window made again for a mode switch may still find the
// old window's "focus lost" in the queue, and must not take it as its own. Inactive, the game
// draws nothing: an expose shows the last active frame again, whatever the back buffer holds.
TEST(WindowGlTest, ASwitchMakesANewContextThatIgnoresTheOldWindowsFocusAndAnExposeShowsTheLastFrame) {
    CFloorWnd wnd;
    SKIP_WITHOUT_GL(wnd.Create(800));
    auto pushWindowEvent = [](uint32_t nWindowId, uint8_t nEvent) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT, e.window.windowID = nWindowId, e.window.event = nEvent;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    };
    EXPECT_TRUE(SDL_GetHintBoolean(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, SDL_FALSE))
        << "a click that comes with the focus (the first after a mode switch) counts";
    const unsigned nContext = CurrentGlContextGeneration();
    const uint32_t nOld = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    wnd.InjectKey(VK_RETURN, true, false, true);
    ASSERT_TRUE(wnd.StepFrame());
    const uint32_t nNew = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    ASSERT_TRUE(wnd.nInits == 2 && CurrentGlContextGeneration() != nContext && nNew != nOld) << "a new window";
    pushWindowEvent(nNew, SDL_WINDOWEVENT_FOCUS_GAINED);
    pushWindowEvent(nOld, SDL_WINDOWEVENT_FOCUS_LOST);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_TRUE(wnd.IsActive()) << "the old window's late focus loss";
    pushWindowEvent(nNew, SDL_WINDOWEVENT_FOCUS_LOST);
    // The pass that finds the window inactive draws one frame more and keeps it; later passes
    // draw nothing, and an expose shows the copy.
    for (int nPass = 0; nPass < 2; ++nPass) {
        pushWindowEvent(nNew, SDL_WINDOWEVENT_EXPOSED);
        glClear(GL_COLOR_BUFFER_BIT);
        ASSERT_TRUE(wnd.StepFrame());
        EXPECT_FALSE(wnd.IsActive()) << "its own focus loss";
        unsigned char px[3] = {};
        glReadPixels(400, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
        EXPECT_LE(std::abs(px[0] - 180) + std::abs(px[1] - 160) + std::abs(px[2] - 120), 6) << "not the floor, pass " << nPass;
    }
}

}  // namespace
