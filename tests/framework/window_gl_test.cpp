// CGLWnd with a real GL context: SDL's offscreen driver (no X server) unless the caller
// names another driver (run the binary under xvfb-run with SDL_VIDEODRIVER=x11 to check X).
// Skips where SDL cannot make a GL context.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "app/framework/gl_context.h"
#include "app/framework/gl_wnd.h"
#include "app/framework/win_messages.h"
#include "app/framework/world_pick.h"

namespace {

constexpr float kFloorHalf = 5.0f, kPlateauHalf = 0.5f, kPlateauY = 0.25f;

// A grey floor at y = 0 with, when asked, a raised square only a depth read can find (the
// plane pick would answer y = 0). ALT+ENTER makes the window again.
class CFloorWnd : public CGLWnd {
public:
    int nInits = 0;
    bool bPlateau = false;

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
        for (auto [h, y] : {std::pair{kFloorHalf, 0.0f}, {bPlateau ? kPlateauHalf : 0.0f, kPlateauY}})
            for (auto [sx, sz] : {std::pair{-1, -1}, {-1, 1}, {1, 1}, {1, -1}}) glVertex3f(sx * h, y, sz * h);
        glEnd();
    }
    bool Create(int nWidth) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // keep a driver the caller named
        return CreateGLWindow("window test", nWidth, 600, 32, false, 0, false);
    }
};

#define SKIP_WITHOUT_GL(created) \
    if (!(created)) GTEST_SKIP() << "SDL cannot make a GL window with driver " << std::getenv("SDL_VIDEODRIVER")

// Letterboxed or not, the depth read finds the drawn floor where the plane pick says (which
// projects back onto the pixel asked for), the raised square at its height, and nothing in the sky.
TEST(WindowGlTest, WorldCoordFromTheDepthBufferHitsWhatIsDrawnWithinAMillimetre) {
    for (int nWidth : {800, 1000}) {
        CFloorWnd wnd;
        SKIP_WITHOUT_GL(wnd.Create(nWidth));
        EXPECT_EQ(wnd.GetViewport().x, (nWidth - 800) / 2);
        const double eye[3] = {0.7, 1.6, 1.9}, target[3] = {0.1, 0, -0.2}, low[3] = {0.7, 0.3, 3.0};
        wnd.SetCamera(CameraLookingAt(eye, target));
        ASSERT_TRUE(wnd.StepFrame());
        const SViewProjection vp = CameraViewProjection(wnd.GetCamera());
        for (const auto& [x, y] : {std::pair{400, 300}, {123, 456}, {700, 100}, {10, 590}, {799, 599}, {0, 200}}) {
            float got[3], want[3], board[3];
            ASSERT_TRUE(PickBoardPlane(vp, x, y, want) && std::fmax(std::fabs(want[0]), std::fabs(want[2])) < kFloorHalf);
            EXPECT_TRUE(wnd.GetWorldCoord(x, y, got) && wnd.GetBoardPoint(x, y, board));
            for (int k = 0; k < 3; ++k)
                EXPECT_TRUE(std::fabs(got[k] - want[k]) < 1e-3 && std::fabs(board[k] - want[k]) < 1e-3)
                    << "pixel (" << x << ", " << y << ") coordinate " << k << ": " << got[k] << ", " << board[k] << " for " << want[k];
        }
        wnd.bPlateau = true;
        ASSERT_TRUE(wnd.StepFrame());
        float p[3], q[3];
        EXPECT_TRUE(wnd.GetWorldCoord(400, 300, p) && wnd.GetBoardPoint(400, 300, q));
        EXPECT_NEAR(p[1], kPlateauY, 1e-3) << "the raised square's height, read from depth";
        EXPECT_EQ(q[1], 0.0f) << "the board point looks through what is drawn";
        double wx = 0, wy = 0, wz = 0;  // back through the drawn matrices onto the pixel asked for
        ASSERT_EQ(gluProject(p[0], p[1], p[2], vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz), GL_TRUE);
        EXPECT_TRUE(std::fabs(wx - 400.5) < 0.01 && std::fabs(wy - 299.5) < 0.01) << wx << ", " << wy;
        wnd.SetCamera(CameraLookingAt(low, target));
        ASSERT_TRUE(wnd.StepFrame());
        EXPECT_FALSE(wnd.GetWorldCoord(400, 0, p) || wnd.GetBoardPoint(400, 0, q)) << "sky above the floor";
        EXPECT_GT(std::fabs(q[0]) + std::fabs(q[1]) + std::fabs(q[2]), 50.0f) << "a miss lies far away";
    }
}

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
    pushWindowEvent(nNew, SDL_WINDOWEVENT_EXPOSED);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_FALSE(wnd.IsActive()) << "its own focus loss";
    unsigned char px[3] = {};
    glReadPixels(400, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
    EXPECT_LE(std::abs(px[0] - 180) + std::abs(px[1] - 160) + std::abs(px[2] - 120), 6) << "not the floor";
}

}  // namespace
