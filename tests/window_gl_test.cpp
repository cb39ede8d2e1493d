// CGLWnd with a real GL context: SDL's offscreen driver (no X server) unless the caller
// names another driver (run the binary under xvfb-run with SDL_VIDEODRIVER=x11 to check X).
// Skips where SDL cannot make a GL context.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/framework/gl_context.h"
#include "app/framework/gl_wnd.h"
#include "app/framework/win_messages.h"
#include "app/framework/world_pick.h"

namespace {

// A grey board-sized floor at y = 0 and the scene matrices GL held while drawing it.
class CFloorWnd : public CGLWnd {
public:
    CFloorWnd() = default;
    int nInits = 0;
    int nLoadings = 0;
    int nReleases = 0;
    double glModelview[16] = {};
    double glProjection[16] = {};

    void InitScene() override { ++nInits; }
    void DrawLoading() override { ++nLoadings; }
    void ReleaseScene() override { ++nReleases; }
    bool OnCommand(unsigned w, long) override {
        if ((w & 0xFFFF) != kCmdSwitchWindow) return false;
        ReleaseScene();
        SwitchWindow();
        return true;
    }
    void DrawScene() override {
        glGetDoublev(GL_MODELVIEW_MATRIX, glModelview);
        glGetDoublev(GL_PROJECTION_MATRIX, glProjection);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor3ub(180, 160, 120);
        glBegin(GL_QUADS);
        glVertex3f(-kHalf, 0.0f, -kHalf);
        glVertex3f(-kHalf, 0.0f, kHalf);
        glVertex3f(kHalf, 0.0f, kHalf);
        glVertex3f(kHalf, 0.0f, -kHalf);
        if (bPlateau) {
            glVertex3f(-kPlateauHalf, kPlateauY, -kPlateauHalf);
            glVertex3f(-kPlateauHalf, kPlateauY, kPlateauHalf);
            glVertex3f(kPlateauHalf, kPlateauY, kPlateauHalf);
            glVertex3f(kPlateauHalf, kPlateauY, -kPlateauHalf);
        }
        glEnd();
    }
    static constexpr float kHalf = 5.0f;
    // A raised square only a depth read can find (the plane pick would answer y = 0).
    bool bPlateau = false;
    static constexpr float kPlateauHalf = 0.5f;
    static constexpr float kPlateauY = 0.25f;
};

class WindowGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);  // keep a driver the caller named
        if (!wnd.CreateGLWindow("window test", nWidth, nHeight, 32, false, 0, false))
            GTEST_SKIP() << "SDL cannot make a GL window with driver "
                         << std::getenv("SDL_VIDEODRIVER");
        ASSERT_NE(wnd.GetHDC(), nullptr);
    }
    CFloorWnd wnd;
    int nWidth = 800;
    int nHeight = 600;
};

TEST_F(WindowGlTest, CreateRunsLoadingAndInitAndAFrameDraws) {
    EXPECT_EQ(wnd.nLoadings, 1);
    EXPECT_EQ(wnd.nInits, 1);
    EXPECT_NE(CurrentGlContextGeneration(), 0u);
    EXPECT_TRUE(wnd.IsActive()) << "a shown window with no focus events counts as active";
    EXPECT_TRUE(SDL_GetHintBoolean(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, SDL_FALSE))
        << "a click that comes with the focus (the first after a mode switch) counts";
    EXPECT_TRUE(wnd.StepFrame());
    wnd.EnableVSync(false);  // may be refused; must not fail the window
    EXPECT_TRUE(wnd.StepFrame());
}

TEST_F(WindowGlTest, DrawnMatricesAreTheCameraRecords) {
    ASSERT_TRUE(wnd.StepFrame());
    const SViewProjection vp = CameraViewProjection(wnd.GetCamera());
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(wnd.glModelview[i], vp.modelview[i], 1e-6) << "modelview " << i;
        EXPECT_NEAR(wnd.glProjection[i], vp.projection[i], 1e-6) << "projection " << i;
    }
}

void ExpectPicksMatchThePlane(CFloorWnd& wnd) {
    const SViewProjection vp = CameraViewProjection(wnd.GetCamera());
    const int pixels[][2] = {{400, 300}, {123, 456}, {700, 100}, {10, 590}, {799, 599}, {0, 200}};
    for (const auto& px : pixels) {
        float got[3], want[3];
        ASSERT_TRUE(PickBoardPlane(vp, px[0], px[1], want));
        ASSERT_LT(std::fabs(want[0]), CFloorWnd::kHalf) << "the test floor must be under the pixel";
        ASSERT_LT(std::fabs(want[2]), CFloorWnd::kHalf);
        float board[3];
        EXPECT_TRUE(wnd.GetWorldCoord(px[0], px[1], got) && wnd.GetBoardPoint(px[0], px[1], board));
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(got[k], want[k], 1e-3)
                << "pixel (" << px[0] << ", " << px[1] << ") coordinate " << k;
            EXPECT_NEAR(board[k], got[k], 1e-3) << "the board point is the drawn floor's";
        }
    }
}

TEST_F(WindowGlTest, WorldCoordFromTheDepthBufferHitsTheFloorWithinAMillimetre) {
    stCamGeom cam = wnd.GetCamera();
    cam.ex = 0.7;
    cam.ey = 1.6;
    cam.ez = 1.9;
    cam.tx = 0.1;
    cam.tz = -0.2;
    wnd.SetCamera(cam);
    wnd.CalcRads();
    ASSERT_TRUE(wnd.StepFrame());
    ExpectPicksMatchThePlane(wnd);

    // Between frames the depth stays the last frame's, read with that frame's camera.
    stCamGeom moved = wnd.GetCamera();
    moved.tx += 1.0;
    moved.ex += 1.0;
    wnd.SetCamera(moved);
    wnd.UpdateGLWindow();
    float a[3];
    EXPECT_TRUE(wnd.GetWorldCoord(400, 300, a));
    EXPECT_NEAR(a[0], 0.1f, 0.01f);
    EXPECT_NEAR(a[2], -0.2f, 0.01f);
}

void ExpectCentreOnThePlateau(CFloorWnd& wnd) {
    float p[3];
    EXPECT_TRUE(wnd.GetWorldCoord(400, 300, p));
    EXPECT_NEAR(p[1], CFloorWnd::kPlateauY, 1e-3) << "the raised square's height, read from depth";
    float q[3];
    EXPECT_TRUE(wnd.GetBoardPoint(400, 300, q));
    EXPECT_EQ(q[1], 0.0f) << "the board point looks through what is drawn";
    // Back through the drawn matrices it lands on the pixel asked for.
    const SViewProjection vp = CameraViewProjection(wnd.GetCamera());
    double wx = 0, wy = 0, wz = 0;
    ASSERT_EQ(gluProject(p[0], p[1], p[2], vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz),
              GL_TRUE);
    EXPECT_NEAR(wx, 400.5, 0.01);
    EXPECT_NEAR(wy, 299.5, 0.01);
}

TEST_F(WindowGlTest, WorldCoordFindsARaisedSurface) {
    wnd.bPlateau = true;
    ASSERT_TRUE(wnd.StepFrame());
    ExpectCentreOnThePlateau(wnd);
}

TEST_F(WindowGlTest, EmptyBackgroundIsNoHit) {
    stCamGeom cam = wnd.GetCamera();
    cam.ey = 0.3;
    cam.ez = 3.0;
    wnd.SetCamera(cam);
    wnd.CalcRads();
    ASSERT_TRUE(wnd.StepFrame());
    float p[3];
    EXPECT_FALSE(wnd.GetWorldCoord(400, 0, p)) << "sky above the floor";
    EXPECT_TRUE(wnd.GetWorldCoord(400, 599, p)) << "floor below";
}

TEST_F(WindowGlTest, ScreenshotIsAPngOfTheFrame) {
    const std::string path =
        ::testing::TempDir() + "window_gl_shot_" + std::to_string(getpid()) + ".png";
    wnd.RequestScreenshot(path);
    ASSERT_TRUE(wnd.StepFrame());
    int w = 0, h = 0, n = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 3);
    ASSERT_NE(pixels, nullptr) << path;
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    long nonBlack = 0;
    for (long i = 0; i < static_cast<long>(w) * h; ++i)
        if (pixels[3 * i] + pixels[3 * i + 1] + pixels[3 * i + 2] > 30) ++nonBlack;
    EXPECT_GT(nonBlack, static_cast<long>(w) * h / 4) << "the floor fills much of the view";
    // The bottom row (near the eye) shows the floor's colour; the picture is not upside down.
    const unsigned char* bottom = pixels + 3 * (static_cast<long>(h - 1) * w + w / 2);
    EXPECT_NEAR(bottom[0], 180, 3);
    EXPECT_NEAR(bottom[1], 160, 3);
    EXPECT_NEAR(bottom[2], 120, 3);
    stbi_image_free(pixels);
    std::remove(path.c_str());
}

TEST_F(WindowGlTest, SwitchMakesANewContextAndRunsTheSceneAgain) {
    const unsigned before = CurrentGlContextGeneration();
    wnd.InjectKey(VK_RETURN, true, false, true);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_EQ(wnd.nReleases, 1);
    EXPECT_EQ(wnd.nLoadings, 2);
    EXPECT_EQ(wnd.nInits, 2);
    EXPECT_NE(CurrentGlContextGeneration(), before);
    EXPECT_NE(CurrentGlContextGeneration(), 0u);
    ASSERT_TRUE(wnd.StepFrame());
    float p[3];
    EXPECT_TRUE(wnd.GetWorldCoord(400, 300, p)) << "the new context draws and picks";
}

// Focus events name their window; a window made again for a mode switch may still find the
// old window's "focus lost" in the queue, and must not take it as its own. Inactive, the game
// draws nothing: an expose shows the last active frame again, whatever the back buffer holds.
TEST_F(WindowGlTest, FocusEventsCountOnlyForTheirOwnWindowAndAnExposeShowsTheLastFrame) {
    auto pushFocus = [](uint32_t nWindowId, uint8_t nEvent) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = nWindowId;
        e.window.event = nEvent;
        ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError();
    };
    const uint32_t nOld = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    ASSERT_NE(nOld, 0u);
    wnd.InjectKey(VK_RETURN, true, false, true);
    ASSERT_TRUE(wnd.StepFrame());
    ASSERT_EQ(wnd.nInits, 2) << "switched to a new window";
    const uint32_t nNew = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    ASSERT_NE(nNew, nOld);

    pushFocus(nNew, SDL_WINDOWEVENT_FOCUS_GAINED);
    pushFocus(nOld, SDL_WINDOWEVENT_FOCUS_LOST);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_TRUE(wnd.IsActive()) << "the old window's late focus loss";
    pushFocus(nNew, SDL_WINDOWEVENT_FOCUS_LOST);
    pushFocus(nNew, SDL_WINDOWEVENT_EXPOSED);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_FALSE(wnd.IsActive()) << "its own focus loss";
    unsigned char px[3] = {};
    glReadPixels(nWidth / 2, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
    EXPECT_LE(std::abs(px[0] - 180) + std::abs(px[1] - 160) + std::abs(px[2] - 120), 6) << "not the floor";
    pushFocus(nNew, SDL_WINDOWEVENT_FOCUS_GAINED);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_TRUE(wnd.IsActive());
}

class WindowGlWideTest : public WindowGlTest {
protected:
    WindowGlWideTest() { nWidth = 1000; }
};

TEST_F(WindowGlWideTest, LetterboxedWindowPicksTheSamePoints) {
    const SViewportRect vp = wnd.GetViewport();
    EXPECT_EQ(vp.x, 100);
    EXPECT_EQ(vp.w, 800);
    EXPECT_EQ(vp.h, 600);
    ASSERT_TRUE(wnd.StepFrame());
    ExpectPicksMatchThePlane(wnd);
    wnd.bPlateau = true;
    ASSERT_TRUE(wnd.StepFrame());
    ExpectCentreOnThePlateau(wnd);
}

}  // namespace
