// GL drawing of the framework on an offscreen context: every draw call leaves the GL state as
// it found it. Then the game window's match scene: a sky behind the board and the shadows away
// from the light.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/framework/font.h"
#include "core/players.h"
#include "core/gl_object.h"
#include "app/framework/light.h"
#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "app/framework/texture.h"
#include "app/framework/world_pick.h"
#include "render/scene_resources.h"
#include "platform/log.h"
#include "render/scene_gl.h"
#include "render/scene_shadows.h"
#include "render/scene_sky.h"
#include "tests/support/gl_game_wnd.h"
#include "tools/viewer/gl_offscreen.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;

class GlDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        if (std::string error; !m_gl.Create(kW, kH, false, error) || m_gl.Width() != kW || m_gl.Height() != kH)
            GTEST_SKIP() << "no GL context: " << error;
        m_pack.SetDatFile(KD_RES_PACK_PATH);
        ASSERT_TRUE(m_pack.Open()) << m_pack.LastError();
        m_light.Create(GL_LIGHT0), m_light.Enable(true);
        platform::SetLogSink([this](const std::string& line) { m_log.push_back(line); });
        glEnable(GL_DEPTH_TEST), glEnable(GL_LIGHTING);
    }
    void TearDown() override { platform::SetLogSink({}); }

    // Clears to a colour and loads the camera; returns its matrices.
    SViewProjection Begin(const double eye[3], const double target[3], float r = 0, float g = 0, float b = 0) {
        glClearColor(r, g, b, 1.0f), glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SViewProjection vp = CameraViewProjection(CameraLookingAt(eye, target));
        glMatrixMode(GL_PROJECTION), glLoadMatrixd(vp.projection);
        glMatrixMode(GL_MODELVIEW), glLoadMatrixd(vp.modelview);
        PlaceSceneLight();
        return vp;
    }
    // No GL error is pending and none was logged by the framework's checks.
    void ExpectNoGlError(const std::string& what) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        for (const std::string& line : m_log) EXPECT_EQ(line.find("GL error"), std::string::npos) << what << ": " << line;
        m_log.clear();
    }

    std::vector<std::string> m_log;
    CResource m_pack;
    COffscreenGl m_gl;  // ends before the pack closes, after the light goes
    CGLight m_light;
};

// The values of the GL state a draw call might change, in one list.
std::vector<double> GlState() {
    std::vector<double> s;
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_BLEND, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE,
                       GL_COLOR_MATERIAL, GL_NORMALIZE, GL_ALPHA_TEST})
        s.push_back(glIsEnabled(cap));
    for (GLenum name : {GL_MATRIX_MODE, GL_TEXTURE_BINDING_2D, GL_BLEND_SRC, GL_BLEND_DST, GL_DEPTH_FUNC,
                        GL_DEPTH_WRITEMASK, GL_LIGHT_MODEL_TWO_SIDE, GL_SHADE_MODEL, GL_LINE_WIDTH, GL_CURRENT_COLOR,
                        GL_CURRENT_NORMAL, GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
        double v[16] = {};
        glGetDoublev(name, v);
        s.insert(s.end(), v, v + 16);
    }
    GLint texEnv = 0;
    GLfloat diffuse[4] = {};
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &texEnv), glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    s.insert(s.end(), {double(texEnv), diffuse[0], diffuse[1], diffuse[2]});
    return s;
}

// Two states that differ in every item above.
void SetState(bool b) {
    for (GLenum cap : {GL_LIGHTING, GL_LIGHT0, GL_TEXTURE_2D, GL_DEPTH_TEST}) b ? glDisable(cap) : glEnable(cap);
    for (GLenum cap : {GL_BLEND, GL_CULL_FACE, GL_COLOR_MATERIAL, GL_NORMALIZE, GL_ALPHA_TEST}) b ? glEnable(cap) : glDisable(cap);
    glBlendFunc(b ? GL_SRC_ALPHA : GL_ONE, b ? GL_ONE : GL_ZERO);
    glDepthFunc(b ? GL_GREATER : GL_LESS);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, b ? GL_DECAL : GL_REPLACE);
    b ? glColor4f(1.0f, 0.9f, 0.1f, 1.0f) : glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    b ? glNormal3f(0.6f, 0.0f, 0.8f) : glNormal3f(0.0f, 1.0f, 0.0f);
    const GLfloat diffuse[2][4] = {{0.3f, 0.3f, 0.3f, 1.0f}, {0.9f, 0.1f, 0.5f, 1.0f}};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse[b]);
    glLineWidth(b ? 3.0f : 1.0f);
    glMatrixMode(b ? GL_PROJECTION : GL_MODELVIEW);
}

TEST_F(GlDrawTest, EveryDrawCallLeavesTheGlStateAsItFoundIt) {
    CGLObject draught, star, coloured, stars, dome, none, unknown;
    draught.Set3DS(LoadModel3ds(m_pack, "models\\3ds", "wood_W.3ds"));
    draught.SetPos(0.1f, 0, 0.1f), draught.SetRotAngleX(-30, 0, 0, 1), draught.SetRotAngleY(20, 0, 1, 0);
    star.Set3DS(LoadModel3ds(m_pack, "models\\3ds", "stars1.3ds"));
    coloured.Set3DS(CreateSphereModel(0.01f)), coloured.SetColor(0, 108.0f / 255, 0), coloured.UseNotTexturedColor(true);
    // The game's star field changes culling, the light model and colour material inside its list.
    stars.Set3DS(RegisterDisplayList("test:stars", CompileStarFieldList(StarField())));
    dome.Set3DS(CreateSkyDomeModel(m_pack));
    none.Set3DS(kNoModel), unknown.Set3DS(54321);
    CGLTexture sight;
    CGLFont font;
    ASSERT_TRUE(sight.LoadImageFromRes(m_pack, "sight.tga", "textures") && font.CreateFontFromRes(m_pack, "font.tga", "textures"));
    CGameSettings settings;  // its board darkens the sky
    CDesk desk;              // one draught with a model
    desk.m_aChecks[0].Set3DS(draught.Get3DS());
    const float kLineFrom[3] = {0.0f, 0.05f, 0.0f}, kLineTo[3] = {0.3f, 0.05f, 0.2f};
    bool bTexturing = false, bColourMaterial = false;
    const std::pair<const char*, std::function<void()>> kCalls[] = {
        {"textured model", [&] { draught.Draw(); }}, {"star model", [&] { star.Draw(); }},
        {"object in its own colour", [&] { coloured.Draw(); }}, {"star field", [&] { stars.Draw(); }},
        {"nebula sky", [&] { DrawSky(dome.Get3DS(), settings, true); }}, {"calm sky", [&] { DrawSky(kNoModel, settings, false); }},
        {"no or an unknown model", [&] { none.Draw(), unknown.Draw(); }}, {"draught shadows", [&] { DrawDraughtShadows(desk); }},
        {"picture", [&] { sight.Draw(400 - 32, 300 - 32, kW, kH, 255, 255, 255); }},
        {"text", [&] { font.Print(30, 537, 0.9f, "FPS: %d", 60); }},
        // The line leaves 2D texturing on and colour material off, as the game scene has them.
        {"aim line", [&] {
             DrawAimLine(kLineFrom, kLineTo);
             if (!bTexturing) glDisable(GL_TEXTURE_2D);
             if (bColourMaterial) glEnable(GL_COLOR_MATERIAL);
         }}};
    const double eye[3] = {0.0, 1.5, 1.5}, target[3] = {0.0, 0.0, 0.0};
    for (bool b : {false, true})
        for (const auto& [name, call] : kCalls) {
            Begin(eye, target), SetState(b);
            const std::vector<double> before = GlState();
            bTexturing = glIsEnabled(GL_TEXTURE_2D), bColourMaterial = glIsEnabled(GL_COLOR_MATERIAL);
            call();
            const std::vector<double> after = GlState();
            for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(before[i], after[i]) << name << " from state " << b << ", item " << i;
            ExpectNoGlError(name);
        }
}

// The sky drawn from its cache looks as the dome drawn itself, from every view in turn: a
// cache that missed a turn of the camera shows the last view's sky.
TEST_F(GlDrawTest, TheSkyShowsTheDomeOfTheViewAsItTurns) {
    CGLObject dome;
    dome.Set3DS(CreateSkyDomeModel(m_pack));
    ASSERT_NE(dome.Get3DS(), kNoModel);
    CGameSettings noBoard;
    noBoard.BoardType = kBoardCount;
    auto frame = [] {
        std::vector<unsigned char> px(kW * kH * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1), glReadPixels(0, 0, kW, kH, GL_RGB, GL_UNSIGNED_BYTE, px.data());
        return px;
    };
    const double eye[3] = {0.0, 1.5, 1.5}, targets[3][3] = {{0, 0, 0}, {2, 0.5, -1}, {0, 0, 0}};
    for (const auto& target : targets) {
        Begin(eye, target), dome.SetPos(float(eye[0]), float(eye[1]), float(eye[2])), dome.SetScale(kSkyDomeRadius, kSkyDomeRadius, kSkyDomeRadius);
        glDepthRange(1.0, 1.0), dome.Draw(), glDepthRange(0.0, 1.0);
        const std::vector<unsigned char> want = frame();
        Begin(eye, target), DrawSky(dome.Get3DS(), noBoard, false);
        const std::vector<unsigned char> got = frame();
        double sum = 0;
        for (size_t i = 0; i < got.size(); ++i) sum += std::abs(got[i] - want[i]);
        EXPECT_LT(sum / got.size(), 1.0) << "looking at " << target[0] << ", " << target[2];
    }
}

// ---- the match scene of the game window ----

using MatchSceneTest = CGlGameWndTest;

TEST_F(MatchSceneTest, TheBoardStandsInASkyAndCastsShadowsAwayFromTheLight) {
    constexpr double kMinSky[2] = {8.0, 16.0};  // by StarType: the calm sky, the nebula
    constexpr double kBoardHalfWidth[3] = {0.72, 0.83, 0.894};
    constexpr float kLoneAt[2] = {0.2f, 0.25f};
    std::filesystem::create_directories(KD_MATCH_SHOTS_DIR);
    auto shot = [&](const std::string& name, SPng png = {}) {  // one frame of the match, kept in the pictures folder
        const std::string path = std::string(KD_MATCH_SHOTS_DIR) + "/" + name + ".png";
        wnd->RequestScreenshot(path), wnd->StepFrame();
        EXPECT_TRUE(png.Load(path)) << path;
        return png;
    };
    auto onScreen = [&](double x, double z) {  // where a board point (x, 0, z) shows
        const SViewProjection vp = CameraViewProjection(wnd->GetCamera());
        double wx = 0, wy = 0, wz = 0;
        gluProject(x, 0.0, z, vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz);
        return std::array<int, 2>{static_cast<int>(wx), static_cast<int>(wy)};
    };
    auto brightness = [](const SPng& f, std::array<int, 2> p) {  // mean of the 5 x 5 pixels about p: stars do not decide it
        double sum = 0;
        for (int i = 0; i < 75; ++i) sum += f.At(std::clamp(p[0] + i / 3 % 5 - 2, 0, f.w - 1), std::clamp(p[1] + i / 15 - 2, 0, f.h - 1))[i % 3];
        return sum / 75;
    };
    wnd->Settings().m_nPlayers = kTwoPlayers;
    for (int nBoard = 0; nBoard < 3; ++nBoard)
        for (int nStars : {0, 1}) {
            const std::string what = "board-" + std::to_string(nBoard) + "-stars-" + std::to_string(nStars);
            wnd->Settings().BoardType = nBoard, wnd->Settings().StarType = nStars;
            wnd->StartMatch(), wnd->SetScreen(SCREEN_GAME);
            if (nStars == 1) shot(std::string("match-board-") + std::array{"square", "round", "twelve"}[nBoard]);
            // One draught alone on the board; the others out of sight far below it.
            for (CCheck& c : wnd->Desk().m_aChecks) c.m_bOnDesk = 0, c.m_fHeight = -100.0f;
            CCheck& lone = wnd->Desk().m_aChecks[0];
            lone.m_bOnDesk = 1, lone.m_fHeight = 0.0f, lone.m_fX = kLoneAt[0], lone.m_fY = kLoneAt[1];
            const SPng withDraught = shot("shadow-" + what);
            lone.m_bOnDesk = 0, lone.m_fHeight = -100.0f;
            const SPng bare = shot("bare-" + what);
            wnd->Settings().BoardType = kBoardCount;  // no board at all
            const SPng sky = shot("sky-" + what);
            wnd->StopMatch();
            int nDark = 0, nSamples = 0;  // most of the sky is brighter than near-black
            for (int y = 10; y < kH; y += 20)
                for (int x = 10; x < kW; x += 20, ++nSamples) nDark += brightness(sky, {x, y}) <= kMinSky[nStars];
            EXPECT_LT(2 * nDark, nSamples) << what << ": the sky is near-black";
            for (double side : {-1.0, 1.0}) {
                const auto p = onScreen(side * 1.12 * kBoardHalfWidth[nBoard], 0.0);
                EXPECT_LT(brightness(bare, p), 0.8 * brightness(sky, p)) << what << ": beside the board at " << p[0];
            }
            // Beside the draught: darker away from the light than towards it.
            const double ux = kLoneAt[0] - CGLight::kPosition[0], uz = kLoneAt[1] - CGLight::kPosition[2];
            const double k = 1.45 * lone.m_fRadius / std::hypot(ux, uz);
            auto ratio = [&](double sign) {  // with the draught against without, 1.45 radii from it
                const auto p = onScreen(kLoneAt[0] + sign * k * ux, kLoneAt[1] + sign * k * uz);
                return brightness(withDraught, p) / std::max(1.0, brightness(bare, p));
            };
            EXPECT_LT(ratio(1), ratio(-1) - 0.1) << what << ": shadow side " << ratio(1) << ", lit side " << ratio(-1);
        }
}

}  // namespace
