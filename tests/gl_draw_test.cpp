// GL drawing of the framework, read back from an offscreen frame: models draw without GL
// errors, a draught lands where its transform projects it, pictures and text land on their
// logical pixels, and every draw call leaves the GL state as it found it. Then the game
// window's match scene: a sky behind the board, the shadows, the hand clear of the draught.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
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
#include "tests/gl_game_wnd.h"
#include "tests/match_probe.h"
#include "tools/viewer/gl_offscreen.h"

namespace {

constexpr int kW = 800;
constexpr int kH = 600;
constexpr const char* kModelFolder = "models\\3ds";
constexpr double kPi = 3.14159265358979323846;

using Frame = std::vector<uint8_t>;  // RGBA rows bottom-up

struct SRect {
    int x0 = kW, y0 = kH, x1 = -1, y1 = -1;  // inclusive; empty while x1 < x0
    bool Empty() const { return x1 < x0 || y1 < y0; }
    void Add(int x, int y) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
    }
    bool Holds(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

const uint8_t* Px(const Frame& f, int x, int y) { return &f[(static_cast<size_t>(y) * kW + x) * 4]; }

bool SameRgb(const uint8_t* a, const uint8_t* b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

class GlDrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        s_gl = new COffscreenGl;
        std::string error;
        if (!s_gl->Create(kW, kH, false, error) || s_gl->Width() != kW || s_gl->Height() != kH) {
            s_skipReason = "no GL context: " + error;
            delete s_gl;
            s_gl = nullptr;
            return;
        }
        s_pack = new CResource;
        s_pack->SetDatFile(KD_RES_PACK_PATH);
        ASSERT_TRUE(s_pack->Open()) << s_pack->LastError();
        s_light = new CGLight;
        s_light->Create(GL_LIGHT0);
        s_light->Enable(true);
    }
    static void TearDownTestSuite() {
        delete s_light;
        s_light = nullptr;
        delete s_gl;  // uninstalls the renderer and ends the context
        s_gl = nullptr;
        delete s_pack;
        s_pack = nullptr;
    }

    void SetUp() override {
        if (s_gl == nullptr) GTEST_SKIP() << s_skipReason;
        platform::SetLogSink([this](const std::string& line) { m_log.push_back(line); });
        glViewport(0, 0, kW, kH);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glColor4f(1, 1, 1, 1);
    }
    void TearDown() override { platform::SetLogSink({}); }

    static void Clear(float r, float g, float b) {
        glClearColor(r, g, b, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static SViewProjection LoadCamera(const double eye[3], const double target[3]) {
        const stCamGeom cam = CameraLookingAt(eye, target);
        SViewProjection vp = CameraViewProjection(cam);
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixd(vp.projection);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixd(vp.modelview);
        PlaceSceneLight();
        return vp;
    }
    static Frame Grab() {
        glFinish();
        return s_gl->ReadPixels();
    }
    static ModelHandle Model(const char* file) { return LoadModel3ds(*s_pack, kModelFolder, file); }

    // No GL error is pending and none was logged by the framework's checks.
    void ExpectNoGlError(const std::string& what) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << what;
        for (const std::string& line : m_log) EXPECT_EQ(line.find("GL error"), std::string::npos) << what << ": " << line;
        m_log.clear();
    }

    std::vector<std::string> m_log;
    static COffscreenGl* s_gl;
    static CResource* s_pack;
    static CGLight* s_light;
    static std::string s_skipReason;
};

COffscreenGl* GlDrawTest::s_gl = nullptr;
CResource* GlDrawTest::s_pack = nullptr;
CGLight* GlDrawTest::s_light = nullptr;
std::string GlDrawTest::s_skipReason;

// ---- models ----

struct SBounds {
    double lo[3] = {1e30, 1e30, 1e30};
    double hi[3] = {-1e30, -1e30, -1e30};
};

SBounds ModelBounds(ModelHandle h) {
    SBounds b;
    const SRegisteredModel* r = FindModel(h);
    if (r == nullptr || !r->data) return b;
    for (const SMesh& m : r->data->meshes)
        for (size_t i = 0; i + 2 < m.positions.size(); i += 3)
            for (int k = 0; k < 3; ++k) {
                b.lo[k] = std::min(b.lo[k], static_cast<double>(m.positions[i + k]));
                b.hi[k] = std::max(b.hi[k], static_cast<double>(m.positions[i + k]));
            }
    return b;
}

TEST_F(GlDrawTest, EveryGeneratedModelDrawsVisiblyWithoutGlError) {
    const char* kModels[] = {"desk_kr.3ds", "desk_iy.3ds", "desk_M.3ds", "bone_B.3ds", "wood_b.3ds",
                             "rock_B.3ds",  "bone_W.3ds",  "wood_W.3ds", "rock_W.3ds", "hand1.3ds",
                             "hand2.3ds",   "stars1.3ds",  "stars2.3ds", "stars3.3ds", "stars4.3ds"};
    constexpr double kFraming = 2.5;         // camera distance in bounding radii
    constexpr double kMinCoverage = 0.0005;  // share of the frame a framed model must cover
    constexpr double kNearClearance = 0.25;  // beyond the game's near plane of 0.1
    for (const char* file : kModels) {
        CGLObject object;
        object.Set3DS(Model(file));
        ASSERT_NE(object.Get3DS(), kNoModel) << file;
        const SBounds b = ModelBounds(object.Get3DS());
        double c[3], r = 0;
        for (int k = 0; k < 3; ++k) {
            c[k] = (b.lo[k] + b.hi[k]) / 2;
            r = std::max(r, (b.hi[k] - b.lo[k]) / 2);
        }
        // Small models are kept beyond the game's near plane.
        const double d = std::max(kFraming * r, r + kNearClearance);
        const double eye[3] = {c[0] + 0.6 * d, c[1] + 0.5 * d, c[2] + 0.6 * d};
        Clear(0.5f, 0.0f, 0.5f);
        LoadCamera(eye, c);
        const Frame before = Grab();
        object.Draw();
        const Frame after = Grab();
        ExpectNoGlError(file);
        size_t nChanged = 0;
        for (size_t i = 0; i < after.size(); i += 4) nChanged += !SameRgb(&before[i], &after[i]);
        const double share = static_cast<double>(nChanged) / (kW * kH);
        std::printf("  %-12s covers %.3f of the frame\n", file, share);
        EXPECT_GT(share, kMinCoverage) << file << " drew (almost) nothing";
    }
}

// Rotation of v about a unit-less axis through the origin (right-handed, degrees).
void Rotate(double v[3], double deg, double ax, double ay, double az) {
    const double n = std::sqrt(ax * ax + ay * ay + az * az);
    if (deg == 0.0 || n == 0.0) return;
    ax /= n, ay /= n, az /= n;
    const double a = deg * kPi / 180.0, c = std::cos(a), s = std::sin(a);
    const double d = ax * v[0] + ay * v[1] + az * v[2];
    const double x[3] = {ay * v[2] - az * v[1], az * v[0] - ax * v[2], ax * v[1] - ay * v[0]};
    for (int k = 0; k < 3; ++k) {
        const double axis = k == 0 ? ax : (k == 1 ? ay : az);
        v[k] = v[k] * c + x[k] * s + axis * d * (1 - c);
    }
}

TEST_F(GlDrawTest, DraughtChangesPixelsOnlyWhereItProjects) {
    // A draught is spun about its own vertical, tilted about an axis through its base centre
    // (a board edge direction), then placed: a falling draught tips over the edge where it is.
    struct SCase {
        const char* name;
        float pos[3];
        float tilt, tx, ty, tz;
        float spin;
    };
    const SCase kCases[] = {
        {"resting", {0.3f, 0.0f, -0.2f}, 0, 0, 0, 0, 0},
        {"spun", {-0.4f, 0.0f, 0.35f}, 0, 0, 0, 0, 45},
        {"tipping over the square's right edge", {0.75f, -0.04f, 0.1f}, -60, 0, 0, 1, 30},
        {"tipping over a twelve-sided edge", {0.05f, -0.05f, 0.92f}, 50, 0.447f, 0, -0.12f, 0},
        {"rising off the round board", {-0.2f, 0.3f, -0.84f}, 30, -0.988f, 0, 0, 10},
    };
    constexpr int kMarginPx = 2;
    constexpr double kMinFill = 0.1;  // share of the projected box a (tilted) disc covers at least
    const double eye[3] = {0.0, 1.7, 1.8}, target[3] = {0.0, 0.0, 0.3};
    CGLObject draught;
    draught.Set3DS(Model("bone_W.3ds"));
    ASSERT_NE(draught.Get3DS(), kNoModel);
    const SBounds b = ModelBounds(draught.Get3DS());
    for (const SCase& k : kCases) {
        Clear(0.5f, 0.0f, 0.5f);
        const SViewProjection vp = LoadCamera(eye, target);
        const Frame before = Grab();
        draught.SetPos(k.pos[0], k.pos[1], k.pos[2]);
        draught.SetRotAngleX(k.tilt, k.tx, k.ty, k.tz);
        draught.SetRotAngleY(k.spin, 0, 1, 0);
        draught.Draw();
        const Frame after = Grab();
        ExpectNoGlError(k.name);

        SRect expected;
        for (int corner = 0; corner < 8; ++corner) {
            double v[3] = {(corner & 1) ? b.hi[0] : b.lo[0], (corner & 2) ? b.hi[1] : b.lo[1],
                           (corner & 4) ? b.hi[2] : b.lo[2]};
            Rotate(v, k.spin, 0, 1, 0);
            Rotate(v, k.tilt, k.tx, k.ty, k.tz);
            double wx = 0, wy = 0, wz = 0;
            ASSERT_EQ(gluProject(v[0] + k.pos[0], v[1] + k.pos[1], v[2] + k.pos[2], vp.modelview, vp.projection,
                                 vp.viewport, &wx, &wy, &wz),
                      GL_TRUE);
            expected.Add(static_cast<int>(std::floor(wx)), static_cast<int>(std::floor(wy)));
        }
        SRect grown = expected;
        grown.x0 -= kMarginPx, grown.y0 -= kMarginPx, grown.x1 += kMarginPx, grown.y1 += kMarginPx;

        int nInside = 0, nOutside = 0;
        SRect drawn;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                if (SameRgb(Px(before, x, y), Px(after, x, y))) continue;
                drawn.Add(x, y);
                (grown.Holds(x, y) ? nInside : nOutside)++;
            }
        const double boxArea = (expected.x1 - expected.x0 + 1.0) * (expected.y1 - expected.y0 + 1.0);
        EXPECT_EQ(nOutside, 0) << k.name << ": expected box (" << expected.x0 << "," << expected.y0 << ")-("
                               << expected.x1 << "," << expected.y1 << "), drawn (" << drawn.x0 << ","
                               << drawn.y0 << ")-(" << drawn.x1 << "," << drawn.y1 << ")";
        EXPECT_GT(nInside, kMinFill * boxArea) << k.name << ": " << nInside << " pixels in a box of " << boxArea;
        EXPECT_TRUE(expected.x0 >= 0 && expected.y0 >= 0 && expected.x1 < kW && expected.y1 < kH)
            << k.name << " should be framed whole";
    }
}

TEST_F(GlDrawTest, ObjectWithoutADrawableModelLeavesTheFrameUnchanged) {
    const ModelHandle hEmptyList = RegisterDisplayList("test:no-list", 0);
    struct SCase {
        const char* name;
        ModelHandle h;
    } const kCases[] = {{"no model", kNoModel}, {"unknown handle", 54321}, {"display list 0", hEmptyList}};
    const double eye[3] = {0.0, 1.0, 1.0}, target[3] = {0.0, 0.0, 0.0};
    for (const SCase& k : kCases) {
        Clear(0.1f, 0.6f, 0.2f);
        LoadCamera(eye, target);
        const Frame before = Grab();
        CGLObject object;
        object.Set3DS(k.h);
        object.SetColor(1, 0, 0);
        object.UseNotTexturedColor(true);
        object.Draw();
        EXPECT_TRUE(before == Grab()) << k.name;
        ExpectNoGlError(k.name);
    }
}

// A unit quad facing +z (counter-clockwise from the front), v = 0 along its bottom edge.
std::shared_ptr<SModelData> MakeQuad(const std::string& name, const SMaterial& material) {
    auto model = std::make_shared<SModelData>();
    model->name = name;
    model->materials.push_back(material);
    SMesh mesh;
    mesh.positions = {-0.5f, -0.5f, 0, 0.5f, -0.5f, 0, 0.5f, 0.5f, 0, -0.5f, 0.5f, 0};
    mesh.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    mesh.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.nMaterial = 0;
    model->meshes.push_back(mesh);
    return model;
}

SMaterial Plain(float r, float g, float b) {
    SMaterial m;
    m.name = "plain";
    m.aDiffuse[0] = r, m.aDiffuse[1] = g, m.aDiffuse[2] = b, m.aDiffuse[3] = 1;
    return m;
}

// A 2 x 4 picture: the two bottom rows red, the two top rows blue.
SImage RedBelowBlue() {
    SImage img;
    img.nWidth = 2;
    img.nHeight = 4;
    for (int row = 0; row < img.nHeight; ++row)
        for (int col = 0; col < img.nWidth; ++col)
            img.pixels.insert(img.pixels.end(), {uint8_t(row < 2 ? 255 : 0), 0, uint8_t(row < 2 ? 0 : 255), 255});
    return img;
}

TEST_F(GlDrawTest, UnlitModelsShowTheirMaterialTexturesUprightAndColourOverrides) {
    // The star models are drawn unlit in their material colour, even after the game sets white.
    SMaterial textured = Plain(0.5f, 0, 0.5f);
    textured.textureFile = "redblue.tga";
    textured.texture = std::make_shared<CPackImage>(RedBelowBlue());
    CGLObject plain, tex, coloured;
    plain.Set3DS(RegisterModel(MakeQuad("test:orange", Plain(1.0f, 0.5f, 0.0f))));
    tex.Set3DS(RegisterModel(MakeQuad("test:redblue", textured)));
    coloured.Set3DS(tex.Get3DS());
    coloured.SetColor(0, 1, 0);
    coloured.UseNotTexturedColor(true);
    struct SProbe {
        int y;  // pixel row on the quad (it spans rows 119..481: v = 0.25 at 209, 0.75 at 391)
        uint8_t rgb[3];
    };
    struct SCase {
        const char* name;
        CGLObject* object;
        SProbe probes[2];
    } const kCases[] = {
        {"untextured material", &plain, {{209, {255, 128, 0}}, {391, {255, 128, 0}}}},
        {"texture bottom row at v = 0", &tex, {{209, {255, 0, 0}}, {391, {0, 0, 255}}}},
        {"own colour instead of the texture", &coloured, {{209, {0, 255, 0}}, {391, {0, 255, 0}}}},
    };
    constexpr int kTolerance = 2;
    const double eye[3] = {0.0, 0.0, 2.0}, target[3] = {0.0, 0.0, 0.0};
    for (const SCase& k : kCases) {
        Clear(0, 0, 0);
        LoadCamera(eye, target);
        glDisable(GL_LIGHTING);
        glColor4f(1, 1, 1, 1);
        k.object->Draw();
        const Frame f = Grab();
        glEnable(GL_LIGHTING);
        ExpectNoGlError(k.name);
        for (const SProbe& p : k.probes) {
            const uint8_t* got = Px(f, kW / 2, p.y);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(got[c], p.rgb[c], kTolerance)
                    << k.name << " row " << p.y << " channel " << c << ": expected " << int(p.rgb[c]) << ", got "
                    << int(got[c]);
        }
    }
}

TEST_F(GlDrawTest, ChangedOrForgottenModelIsCompiledAgain) {
    CGLObject quad;
    quad.Set3DS(RegisterModel(MakeQuad("test:recolour", Plain(1, 0, 0))));
    const double eye[3] = {0.0, 0.0, 2.0}, target[3] = {0.0, 0.0, 0.0};
    auto centre = [&]() {
        Clear(0, 0, 0);
        LoadCamera(eye, target);
        glDisable(GL_LIGHTING);
        quad.Draw();
        glEnable(GL_LIGHTING);
        const Frame f = Grab();
        const uint8_t* p = Px(f, kW / 2, kH / 2);
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    EXPECT_EQ(centre(), (std::array<int, 3>{255, 0, 0})) << "first draw";
    // The same name registered again keeps the handle and replaces the data.
    ASSERT_EQ(RegisterModel(MakeQuad("test:recolour", Plain(0, 1, 0))), quad.Get3DS());
    EXPECT_EQ(centre(), (std::array<int, 3>{0, 255, 0})) << "after new data";
    ForgetModelGlObjects();
    EXPECT_EQ(centre(), (std::array<int, 3>{0, 255, 0})) << "after the GL objects were forgotten";
    EXPECT_NE(FindModel(quad.Get3DS())->nDisplayList, 0u);
    ExpectNoGlError("recompiling");
}

// ---- 2D layer ----

TEST_F(GlDrawTest, TextureCoversExactlyItsRectangleOfTheLogicalScreen) {
    CGLTexture sky;
    ASSERT_TRUE(sky.LoadImageFromRes(*s_pack, "BACKGR.tga", "textures\\common"));
    ASSERT_EQ(sky.GetWidth(), kW);
    ASSERT_EQ(sky.GetHeight(), kH);
    const SImage img = *sky.Image();  // drawing lets the texture's own pixels go
    struct SCase {
        int x, y, r, g, b;
    } const kCases[] = {{0, 0, 255, 255, 255}, {250, 180, 255, 255, 255}, {-300, -100, 255, 255, 255},
                        {40, 60, 255, 0, 128}};
    constexpr int kTolerance = 1;
    for (const SCase& k : kCases) {
        Clear(1.0f, 0.0f, 1.0f);
        const Frame before = Grab();
        sky.Draw(k.x, k.y, kW, kH, k.r, k.g, k.b);
        const Frame f = Grab();
        ExpectNoGlError("texture draw");
        const int tint[3] = {k.r, k.g, k.b};
        int nWrongInside = 0, nWrongOutside = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int i = x - k.x, j = y - k.y;
                const bool bInside = i >= 0 && i < img.nWidth && j >= 0 && j < img.nHeight;
                const uint8_t* got = Px(f, x, y);
                if (!bInside) {
                    nWrongOutside += !SameRgb(got, Px(before, x, y));
                    continue;
                }
                // Opaque picture: each pixel is its texel times the tint, bottom row at the bottom.
                const uint8_t* texel = &img.pixels[(static_cast<size_t>(j) * img.nWidth + i) * 4];
                for (int c = 0; c < 3; ++c)
                    nWrongInside += std::abs(got[c] - texel[c] * tint[c] / 255) > kTolerance;
            }
        EXPECT_EQ(nWrongInside, 0) << "at (" << k.x << "," << k.y << ") tint " << k.r << "," << k.g << "," << k.b;
        EXPECT_EQ(nWrongOutside, 0) << "at (" << k.x << "," << k.y << ")";
    }
}

TEST_F(GlDrawTest, TextureContainsItsRectangleAndHiddenOrEmptyOnesDrawNothing) {
    CGLTexture cursor;
    ASSERT_TRUE(cursor.LoadImageFromRes(*s_pack, "cursor.tga", "textures"));
    cursor.SetPos(10, 20);
    const int w = cursor.GetWidth(), h = cursor.GetHeight();
    struct SCase {
        int x, y;
        bool bIn;
    } const kCases[] = {{10, 20, true},         {10 + w - 1, 20 + h - 1, true}, {10 + w, 20, false},
                        {9, 20, false},         {10, 20 + h, false},            {10, 19, false},
                        {10 + w / 2, 20 + h / 2, true}};
    for (const SCase& k : kCases)
        EXPECT_EQ(cursor.Contains(k.x, k.y), k.bIn) << "(" << k.x << "," << k.y << ") on a " << w << "x" << h
                                                    << " picture at (10,20)";

    Clear(0.2f, 0.2f, 0.2f);
    const Frame before = Grab();
    cursor.SetVisible(false);
    cursor.Draw(kW, kH, 255, 255, 255);
    CGLTexture empty;
    EXPECT_FALSE(empty.LoadImageFromRes(*s_pack, "no_such_picture.tga", "textures"));
    empty.Draw(0, 0, kW, kH, 255, 255, 255);
    EXPECT_TRUE(before == Grab());
    ExpectNoGlError("hidden and empty textures");
}

// Lit pixels (red above half) of a frame drawn over black.
SRect LitBox(const Frame& f) {
    SRect r;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (Px(f, x, y)[0] > 127) r.Add(x, y);
    return r;
}

TEST_F(GlDrawTest, FontPrintsOnTheBaselineFromTheLeftEnd) {
    CGLFont font;
    ASSERT_TRUE(font.CreateFontFromRes(*s_pack, "font.tga", "textures"));
    const SGlyph& h = font.Metrics().Glyph('H');
    constexpr int kX = 100, kY = 200, kTolerance = 1;
    auto print = [&](float scale, const char* text) {
        Clear(0, 0, 0);
        font.SetColor(255, 255, 255);
        font.Print(kX, kY, scale, "%s", text);
        const Frame f = Grab();
        ExpectNoGlError(text);
        return LitBox(f);
    };
    const SRect one = print(1.0f, "H");
    ASSERT_FALSE(one.Empty());
    // "H" stands on the baseline: its lowest row is the first pixel row above y.
    EXPECT_NEAR(one.y0, kY, kTolerance);
    EXPECT_NEAR(one.x0, kX + h.fXOff, kTolerance + 1);
    const SRect two = print(2.0f, "H");
    EXPECT_NEAR(two.y0, kY, kTolerance) << "a larger H still stands on the baseline";
    EXPECT_NEAR(two.y1 - two.y0 + 1, 2 * (one.y1 - one.y0 + 1), 2) << "twice as tall at scale 2";
    const SRect g = print(1.0f, "g");
    EXPECT_LT(g.y0, kY - 3) << "a descender goes below the baseline";

    // The text ends where GetWidth says: the last H lies between the widths of 3 and 4 H's.
    const SRect four = print(1.0f, "HHHH");
    EXPECT_GT(four.x1, kX + font.GetWidth("HHH"));
    EXPECT_LE(four.x1, kX + font.GetWidth("HHHH"));
    EXPECT_NEAR(font.GetWidth("HHHH"), 4 * h.fAdvance, 1.0);
    EXPECT_NEAR(font.GetWidth("HH", 2.0f), 4 * h.fAdvance, 1.0);
    EXPECT_EQ(font.GetWidth(""), 0);

    // Colour applies to the following prints.
    Clear(0, 0, 0);
    font.SetColor(255, 0, 0);
    font.Print(kX, kY, "%d", 8);
    const Frame red = Grab();
    int nRed = 0, nOther = 0;
    for (size_t i = 0; i < red.size(); i += 4)
        if (red[i] > 127) (red[i + 1] == 0 && red[i + 2] == 0 ? nRed : nOther)++;
    EXPECT_GT(nRed, 20);
    EXPECT_EQ(nOther, 0);

    // The system-font stand-in uses the same atlas at the asked size.
    CGLFont big;
    ASSERT_TRUE(big.CreateFontA(nullptr, "Arial", 48));
    EXPECT_NEAR(big.GetWidth("HHHH"), 2 * font.GetWidth("HHHH"), 1.0);
}

// ---- GL state ----

struct SGlState {
    std::array<GLboolean, 9> enables{};
    GLint matrixMode = 0, texture = 0, texEnv = 0, blendSrc = 0, blendDst = 0, depthFunc = 0, twoSide = 0;
    GLint shadeModel = 0;
    GLboolean depthMask = 0;
    std::array<GLfloat, 4> colour{}, diffuse{};
    std::array<GLfloat, 3> normal{};  // lights lines and points drawn after
    GLfloat lineWidth = 0;
    std::array<GLdouble, 16> modelview{}, projection{};

    static SGlState Read() {
        static const GLenum kCaps[] = {GL_LIGHTING, GL_LIGHT0,       GL_BLEND,          GL_TEXTURE_2D, GL_DEPTH_TEST,
                                       GL_CULL_FACE, GL_COLOR_MATERIAL, GL_NORMALIZE, GL_ALPHA_TEST};
        SGlState s;
        for (size_t i = 0; i < s.enables.size(); ++i) s.enables[i] = glIsEnabled(kCaps[i]);
        glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.texture);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &s.texEnv);
        glGetIntegerv(GL_BLEND_SRC, &s.blendSrc);
        glGetIntegerv(GL_BLEND_DST, &s.blendDst);
        glGetIntegerv(GL_DEPTH_FUNC, &s.depthFunc);
        glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &s.twoSide);
        glGetIntegerv(GL_SHADE_MODEL, &s.shadeModel);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthMask);
        glGetFloatv(GL_CURRENT_COLOR, s.colour.data());
        glGetFloatv(GL_CURRENT_NORMAL, s.normal.data());
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, s.diffuse.data());
        glGetFloatv(GL_LINE_WIDTH, &s.lineWidth);
        glGetDoublev(GL_MODELVIEW_MATRIX, s.modelview.data());
        glGetDoublev(GL_PROJECTION_MATRIX, s.projection.data());
        return s;
    }
    std::string Diff(const SGlState& o) const {
        std::string d;
        if (enables != o.enables) d += " enables";
        if (matrixMode != o.matrixMode) d += " matrix-mode";
        if (texture != o.texture) d += " texture-binding";
        if (texEnv != o.texEnv) d += " texture-env";
        if (blendSrc != o.blendSrc || blendDst != o.blendDst) d += " blend-func";
        if (depthFunc != o.depthFunc || depthMask != o.depthMask) d += " depth";
        if (twoSide != o.twoSide || shadeModel != o.shadeModel) d += " light-model/shading";
        if (colour != o.colour) d += " colour";
        if (normal != o.normal) d += " normal";
        if (diffuse != o.diffuse) d += " material";
        if (lineWidth != o.lineWidth) d += " line-width";
        if (modelview != o.modelview) d += " modelview";
        if (projection != o.projection) d += " projection";
        return d;
    }
};

void SetStateA() {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_NORMALIZE);
    glDisable(GL_ALPHA_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4f(0.2f, 0.4f, 0.6f, 0.8f);
    glNormal3f(0.0f, 1.0f, 0.0f);
    const GLfloat aDiffuse[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, aDiffuse);
    glLineWidth(1.0f);
    glMatrixMode(GL_MODELVIEW);
}

void SetStateB() {
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glEnable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_NORMALIZE);
    glEnable(GL_ALPHA_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthFunc(GL_GREATER);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glColor4f(1.0f, 0.9f, 0.1f, 1.0f);
    glNormal3f(0.6f, 0.0f, 0.8f);
    const GLfloat aDiffuse[4] = {0.9f, 0.1f, 0.5f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, aDiffuse);
    glLineWidth(3.0f);
    glMatrixMode(GL_PROJECTION);
}

TEST_F(GlDrawTest, EveryDrawCallLeavesTheGlStateAsItFoundIt) {
    CGLObject draught, star, coloured, field;
    draught.Set3DS(Model("wood_W.3ds"));
    draught.SetPos(0.1f, 0, 0.1f);
    draught.SetRotAngleX(-30, 0, 0, 1);
    draught.SetRotAngleY(20, 0, 1, 0);
    star.Set3DS(Model("stars1.3ds"));
    coloured.Set3DS(CreateSphereModel(0.01f));
    coloured.SetColor(0, 108.0f / 255, 0);
    coloured.UseNotTexturedColor(true);
    const unsigned nList = glGenLists(1);
    glNewList(nList, GL_COMPILE);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    glEndList();
    field.Set3DS(RegisterDisplayList("test:points", nList));
    // The game's star field changes culling, the light model and colour material inside its list.
    CGLObject stars;
    stars.Set3DS(RegisterDisplayList("test:stars", CompileStarFieldList(StarField())));
    CGLTexture sight;
    ASSERT_TRUE(sight.LoadImageFromRes(*s_pack, "sight.tga", "textures"));
    CGLFont font;
    ASSERT_TRUE(font.CreateFontFromRes(*s_pack, "font.tga", "textures"));
    CGLObject dome;
    dome.Set3DS(CreateSkyDomeModel(*s_pack));
    ASSERT_NE(dome.Get3DS(), kNoModel);
    CGameSettings settings;  // its board's shadow
    CDesk desk;              // one draught with a model
    desk.m_aChecks[0].Set3DS(draught.Get3DS());

    const float kLineFrom[3] = {0.0f, 0.05f, 0.0f}, kLineTo[3] = {0.3f, 0.05f, 0.2f};
    bool bTexturing = false, bColourMaterial = false;
    const std::pair<const char*, std::function<void()>> kCalls[] = {
        {"textured model", [&] { draught.Draw(); }},
        {"star model", [&] { star.Draw(); }},
        {"object in its own colour", [&] { coloured.Draw(); }},
        {"display-list object", [&] { field.Draw(); }},
        {"star field", [&] { stars.Draw(); }},
        // The line leaves 2D texturing on and colour material off, as the game scene has them.
        {"aim line", [&] {
             DrawAimLine(kLineFrom, kLineTo);
             if (!bTexturing) glDisable(GL_TEXTURE_2D);
             if (bColourMaterial) glEnable(GL_COLOR_MATERIAL);
         }},
        {"texture", [&] { sight.Draw(400 - 32, 300 - 32, kW, kH, 255, 255, 255); }},
        {"font", [&] { font.Print(30, 537, 0.9f, "FPS: %d", 60); }},
        {"nebula sky", [&] { DrawSkyDome(dome, DefaultCamera()); }},
        {"calm sky", [&] { DrawCalmSky(); }},
        {"board shadow", [&] { DrawBoardShadow(settings); }},
        {"draught shadows", [&] { DrawDraughtShadows(desk); }},
    };
    const std::pair<const char*, void (*)()> kStates[] = {{"state A", SetStateA}, {"state B", SetStateB}};
    const double eye[3] = {0.0, 1.5, 1.5}, target[3] = {0.0, 0.0, 0.0};
    for (const auto& [stateName, setState] : kStates)
        for (const auto& [callName, call] : kCalls) {
            Clear(0, 0, 0);
            LoadCamera(eye, target);
            setState();
            const SGlState before = SGlState::Read();
            bTexturing = glIsEnabled(GL_TEXTURE_2D);
            bColourMaterial = glIsEnabled(GL_COLOR_MATERIAL);
            call();
            const SGlState after = SGlState::Read();
            EXPECT_EQ(before.Diff(after), "") << callName << " from " << stateName << " changed:" << before.Diff(after);
            ExpectNoGlError(callName);
        }
    glDeleteLists(nList, 1);
    glDeleteLists(FindModel(stars.Get3DS())->nDisplayList, 1);
}

// ---- the match scene of the game window ----

class MatchSceneTest : public CGlGameWndTest {
protected:
    // One frame of the match, kept in the pictures folder under name.
    SPng Shot(const std::string& name) {
        std::filesystem::create_directories(KD_MATCH_SHOTS_DIR);
        const std::string path = std::string(KD_MATCH_SHOTS_DIR) + "/" + name + ".png";
        wnd->RequestScreenshot(path);
        wnd->StepFrame();
        SPng png;
        EXPECT_TRUE(png.Load(path)) << path;
        return png;
    }
    // Where a board point (x, 0, z) shows in the window's view.
    std::array<int, 2> OnScreen(double x, double z) const {
        const SViewProjection vp = CameraViewProjection(wnd->GetCamera());
        double wx = 0, wy = 0, wz = 0;
        gluProject(x, 0.0, z, vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz);
        return {static_cast<int>(wx), static_cast<int>(wy)};
    }
};

// Mean brightness of the 5 x 5 pixels about p, 0..255 (single stars do not decide it).
double Brightness(const SPng& f, std::array<int, 2> p) {
    double sum = 0;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx)
            for (int ch = 0; ch < 3; ++ch)
                sum += f.At(std::clamp(p[0] + dx, 0, f.w - 1), std::clamp(p[1] + dy, 0, f.h - 1))[ch];
    return sum / 75;
}

TEST_F(MatchSceneTest, TheBoardStandsInASkyAndCastsShadowsAwayFromTheLight) {
    constexpr double kMinSky[2] = {8.0, 16.0};  // by StarType: the calm sky, the nebula
    constexpr double kBoardHalfWidth[3] = {0.72, 0.83, 0.894};
    constexpr const char* kBoardNames[3] = {"square", "round", "twelve"};
    constexpr float kLoneAt[2] = {0.2f, 0.25f};
    wnd->Settings().m_nPlayers = kTwoPlayers;
    for (int nBoard = 0; nBoard < 3; ++nBoard)
        for (int nStars : {0, 1}) {
            const std::string what = "board " + std::to_string(nBoard) + " stars " + std::to_string(nStars);
            wnd->Settings().BoardType = nBoard, wnd->Settings().StarType = nStars;
            wnd->StartMatch(), wnd->SetScreen(SCREEN_GAME);
            if (nStars == 1) Shot(std::string("match-board-") + kBoardNames[nBoard]);
            // One draught alone on the board; the others out of sight far below it.
            for (CCheck& c : wnd->Desk().m_aChecks) c.m_bOnDesk = 0, c.m_fHeight = -100.0f;
            CCheck& lone = wnd->Desk().m_aChecks[0];
            lone.m_bOnDesk = 1, lone.m_fHeight = 0.0f, lone.m_fX = kLoneAt[0], lone.m_fY = kLoneAt[1];
            const SPng withDraught = Shot("shadow-" + what);
            lone.m_bOnDesk = 0, lone.m_fHeight = -100.0f;
            const SPng bare = Shot("bare-" + what);
            wnd->Settings().BoardType = kBoardCount;  // no board at all
            const SPng sky = Shot("sky-" + what);
            wnd->StopMatch();

            int nDark = 0, nSamples = 0;  // most of the sky is brighter than near-black
            for (int y = 10; y < kH; y += 20)
                for (int x = 10; x < kW; x += 20, ++nSamples) nDark += Brightness(sky, {x, y}) <= kMinSky[nStars];
            EXPECT_LT(2 * nDark, nSamples) << what << ": the sky is near-black";
            for (double side : {-1.0, 1.0}) {
                const auto p = OnScreen(side * 1.12 * kBoardHalfWidth[nBoard], 0.0);
                EXPECT_LT(Brightness(bare, p), 0.8 * Brightness(sky, p)) << what << ": beside the board at " << p[0];
            }
            // Beside the draught: darker away from the light than towards it.
            const float* l = CGLight::kPosition;
            const double ux = kLoneAt[0] - l[0], uz = kLoneAt[1] - l[2], k = 1.45 * lone.m_fRadius / std::hypot(ux, uz);
            auto ratio = [&](double sign) {  // with the draught against without, 1.45 radii from it
                const auto p = OnScreen(kLoneAt[0] + sign * k * ux, kLoneAt[1] + sign * k * uz);
                return Brightness(withDraught, p) / std::max(1.0, Brightness(bare, p));
            };
            EXPECT_LT(ratio(1), ratio(-1) - 0.1) << what << ": shadow side " << ratio(1) << ", lit side " << ratio(-1);
        }
}

TEST_F(MatchSceneTest, TheHandNeverReachesIntoTheSelectedDraught) {
    constexpr float kMark[2] = {0.1f, -0.2f}, kDraughtTop = 0.024f;
    const float r = wnd->Settings().m_fCheckRadius, r2 = r * r;
    CMatchProbe(wnd->Match()).m_bMarkSet = true;
    CMatchProbe(wnd->Match()).m_nSelected = wnd->m_bCursorShown = 0;
    CMatchProbe(wnd->Match()).m_vFirstMark[0] = kMark[0], CMatchProbe(wnd->Match()).m_vFirstMark[2] = kMark[1];
    for (float d : {0.0f, 0.02f, 0.05f, 0.07f, 0.082f, 0.1f})
        for (int k = 0; k < 8; ++k) {
            CMatchProbe(wnd->Match()).m_vHand[0] = kMark[0] + d * static_cast<float>(std::cos(k * kPi / 4));
            CMatchProbe(wnd->Match()).m_vHand[2] = kMark[1] + d * static_cast<float>(std::sin(k * kPi / 4));
            // As the aiming sets them: the closed hand at half size while too near.
            CMatchProbe(wnd->Match()).m_bHandInvalid = d * d < 2 * r2;
            wnd->Settings().m_fHandScale = CMatchProbe(wnd->Match()).m_bHandInvalid ? 0.5f : d * d / (14 * r2) + 0.5f;
            wnd->DrawHand();
            const CGLObject& h = wnd->Hand(CMatchProbe(wnd->Match()).m_bHandInvalid);
            int nInside = 0;
            for (const SMesh& m : FindModel(h.Get3DS())->data->meshes)
                for (size_t i = 0; i + 2 < m.positions.size(); i += 3) {
                    double v[3];
                    for (int c = 0; c < 3; ++c) v[c] = m.positions[i + c] * h.GetScale()[c];
                    Rotate(v, h.GetRotY().fAngle, 0, 1, 0);
                    const double x = v[0] + h.GetPos()[0], y = v[1] + h.GetPos()[1], z = v[2] + h.GetPos()[2];
                    nInside += std::hypot(x - kMark[0], z - kMark[1]) < r && y < kDraughtTop;
                }
            EXPECT_EQ(nInside, 0) << "pull " << d << " towards " << k * 45 << " degrees";
        }
}

}  // namespace
