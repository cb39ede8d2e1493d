// Art viewer: shows every model of the pack (lit, on a turning camera) and every picture in
// turn, or the game scene for each board and material; --shots saves a PNG of each instead.
// Not part of the game. Usage: viewer [--pack res.dat] [--scene] [--shots <dir>]
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/gl_object.h"
#include "app/framework/light.h"
#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "app/framework/screenshot.h"
#include "app/framework/texture.h"
#include "app/framework/world_pick.h"
#include "core/asset_names.h"
#include "tools/viewer/gl_offscreen.h"
#include "tools/viewer/scene.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kFieldPointsShown = 3000;
constexpr double kSceneElevation = 40.0;  // degrees
constexpr double kSceneDistance = 2.3;
constexpr uint32_t kSecondsPerItem = 3;
constexpr uint32_t kMsPerSecond = 1000;
constexpr double kTurnDegreesPerSecond = 30.0;
constexpr double kModelElevation = 30.0;  // degrees, camera above a shown model
constexpr double kModelFraming = 2.6;     // camera distance in model radii
constexpr double kModelNearPlane = 0.1;   // in model radii
constexpr double kModelFarPlane = 100.0;  // in model radii
constexpr double kPi = 3.14159265358979323846;
constexpr const char* kMaterialNames[kMaterialKinds] = {"bone", "wood", "stone"};
constexpr double kHandsEye[3] = {0.15, 0.7, 1.35};
constexpr double kHandsTarget[3] = {0.15, 0.0, 0.45};
constexpr double kSkyEye[3] = {-1.0, 1.5, 2.0};
constexpr double kSkyTarget[3] = {40.0, 3.0, -6.0};
constexpr float kSkyShotAngle = 30.0f;
constexpr float kViewerClear[4] = {0.16f, 0.17f, 0.2f, 1.0f};

struct SOptions {
    std::string pack = KD_RES_PACK_PATH;
    std::string shotDir;  // empty: interactive
    bool bScene = false;
};

bool ParseArgs(int argc, char** argv, SOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--scene") o.bScene = true;
        else if (a == "--shots" && i + 1 < argc) o.shotDir = argv[++i];
        else if (a == "--pack" && i + 1 < argc) o.pack = argv[++i];
        else {
            std::fprintf(stderr, "usage: viewer [--pack res.dat] [--scene] [--shots <dir>]\n");
            return false;
        }
    }
    return true;
}

std::string FlatName(const std::string& path) {
    std::string s = path;
    std::replace(s.begin(), s.end(), '/', '-');
    const size_t nDot = s.rfind('.');
    return nDot == std::string::npos ? s : s.substr(0, nDot);
}

// A model's centre and radius, from its vertices.
void ModelBounds(ModelHandle h, double centre[3], double& radius) {
    double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
    const SRegisteredModel* r = FindModel(h);
    if (r != nullptr && r->data)
        for (const SMesh& m : r->data->meshes)
            for (size_t i = 0; i + 2 < m.positions.size(); i += 3)
                for (int k = 0; k < 3; ++k) {
                    lo[k] = std::min(lo[k], static_cast<double>(m.positions[i + k]));
                    hi[k] = std::max(hi[k], static_cast<double>(m.positions[i + k]));
                }
    radius = 0.0;
    for (int k = 0; k < 3; ++k) {
        centre[k] = lo[k] <= hi[k] ? (lo[k] + hi[k]) / 2 : 0.0;
        radius = std::max(radius, lo[k] <= hi[k] ? (hi[k] - lo[k]) / 2 : 1.0);
    }
}

void ClearForViewer() {
    glClearColor(kViewerClear[0], kViewerClear[1], kViewerClear[2], kViewerClear[3]);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void DrawModelFrame(CGLObject& object, bool bLit, double fTurnDeg) {
    double c[3], r = 1.0;
    ModelBounds(object.Get3DS(), c, r);
    const double az = fTurnDeg * kPi / 180.0, el = kModelElevation * kPi / 180.0;
    stCamGeom cam;
    cam.tx = c[0];
    cam.ty = c[1];
    cam.tz = c[2];
    cam.ex = c[0] + kModelFraming * r * std::cos(el) * std::cos(az);
    cam.ey = c[1] + kModelFraming * r * std::sin(el);
    cam.ez = c[2] + kModelFraming * r * std::cos(el) * std::sin(az);
    CalcCameraRads(cam);
    ClearForViewer();
    const SViewProjection vp = CameraViewProjection(cam);
    // The game's near plane would cut into a draught seen this close: planes scale with the model.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kCameraFovYDegrees, static_cast<double>(kWidth) / kHeight, kModelNearPlane * r,
                   kModelFarPlane * r);
    glMatrixMode(GL_MODELVIEW);
    // The light follows the camera here so every side of a model can be seen.
    glLoadIdentity();
    PlaceSceneLight();
    glLoadMatrixd(vp.modelview);
    if (bLit) glEnable(GL_LIGHTING);
    else glDisable(GL_LIGHTING);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    object.Draw();
    glEnable(GL_LIGHTING);
}

void DrawImageFrame(CGLTexture& texture) {
    ClearForViewer();
    const int x = (kWidth - texture.GetWidth()) / 2, y = (kHeight - texture.GetHeight()) / 2;
    texture.Draw(x, y, kWidth, kHeight, 255, 255, 255);
}

struct SItem {
    std::string name;
    bool bModel = false;
    bool bUnlit = false;  // star models: the game draws them unlit
    CGLObject object;
    std::shared_ptr<CGLTexture> texture;
};

std::vector<SItem> LoadItems(CResource& pack) {
    std::vector<SItem> items;
    for (const std::string& path : assets::GameFiles()) {
        const size_t nSlash = path.rfind('/');
        const std::string folder = path.substr(0, nSlash), file = path.substr(nSlash + 1);
        SItem item;
        item.name = path;
        if (file.size() > 4 && file.compare(file.size() - 4, 4, ".3ds") == 0) {
            item.bModel = true;
            item.bUnlit = file.rfind("stars", 0) == 0;
            item.object.Set3DS(LoadModel3ds(pack, folder, file));
            if (item.object.Get3DS() == kNoModel) continue;
        } else if (file.size() > 4 && file.compare(file.size() - 4, 4, ".tga") == 0) {
            item.texture = std::make_shared<CGLTexture>();
            if (!item.texture->LoadImageFromRes(pack, file, folder)) continue;
        } else {
            continue;
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool SaveShot(const COffscreenGl& gl, const std::string& dir, const std::string& name) {
    const std::string path = (std::filesystem::path(dir) / (name + ".png")).string();
    if (!SaveGlPixelsPng(path, 0, 0, gl.Width(), gl.Height())) {
        std::fprintf(stderr, "viewer: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

// The hands beside draughts of the near (white) side, as the aiming shows them.
void PlaceHands(CViewerScene& scene) {
    CCheck c;
    scene.Desk().GetCheck(14, c);
    CGLObject& open = scene.Hand(0);
    open.SetPos(c.m_fX + 0.16f, 0.03f, c.m_fY + 0.05f);
    open.SetScale(1.0f, 1.0f, 1.0f);
    open.SetRotAngleY(-17.0f, 0.0f, 1.0f, 0.0f);
    scene.Desk().GetCheck(17, c);
    CGLObject& fist = scene.Hand(1);
    fist.SetPos(c.m_fX - 0.3f, 0.03f, c.m_fY + 0.12f);
    fist.SetScale(1.5f, 1.5f, 1.5f);
    fist.SetRotAngleY(200.0f, 0.0f, 1.0f, 0.0f);
    scene.ShowHands(true);
}

// Close over white's front row, where the hands are placed.
stCamGeom HandsCamera() { return CameraLookingAt(kHandsEye, kHandsTarget); }

// Looking out past the board at the turning spiral (the first star model) and the shell.
stCamGeom SkyCamera() { return CameraLookingAt(kSkyEye, kSkyTarget); }

int RunScene(COffscreenGl& gl, CResource& pack, const SOptions& o) {
    CViewerScene scene;
    std::string error;
    if (!scene.Load(pack, kFieldPointsShown, error)) {
        std::fprintf(stderr, "viewer: %s\n", error.c_str());
        return 1;
    }
    const stCamGeom view = WhiteSideCamera(kSceneElevation, kSceneDistance);
    int nFailures = 0;
    if (!o.shotDir.empty()) {
        for (int b = 0; b < kBoardKinds; ++b)
            for (int m = 0; m < kMaterialKinds; ++m) {
                scene.SetBoard(b, m);
                scene.Draw(view, 0.0f);
                nFailures += !SaveShot(gl, o.shotDir, std::string("board-") + kBoards[b].szName + "-" + kMaterialNames[m]);
            }
        scene.SetBoard(0, 1);
        PlaceHands(scene);
        scene.Draw(HandsCamera(), 0.0f);
        nFailures += !SaveShot(gl, o.shotDir, "hands");
        scene.ShowHands(false);
        scene.Draw(SkyCamera(), kSkyShotAngle);
        nFailures += !SaveShot(gl, o.shotDir, "sky");
        scene.Release();
        return nFailures == 0 ? 0 : 1;
    }
    // Interactive: each board and material for a few seconds, the camera turning slowly.
    const uint32_t nStart = SDL_GetTicks();
    for (bool bRun = true; bRun;) {
        SDL_Event e;
        while (SDL_PollEvent(&e))
            if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)) bRun = false;
        const uint32_t t = SDL_GetTicks() - nStart;
        const int n = static_cast<int>(t / (kSecondsPerItem * kMsPerSecond)) % (kBoardKinds * kMaterialKinds);
        scene.SetBoard(n / kMaterialKinds, n % kMaterialKinds);
        scene.Draw(view, static_cast<float>(t) * 0.001f);
        gl.Present();
    }
    scene.Release();
    return 0;
}

int RunItems(COffscreenGl& gl, CResource& pack, const SOptions& o) {
    std::vector<SItem> items = LoadItems(pack);
    CGLight light;
    light.Create(GL_LIGHT0);
    light.Enable(true);
    int nFailures = 0;
    if (!o.shotDir.empty()) {
        for (SItem& it : items) {
            if (it.bModel) DrawModelFrame(it.object, !it.bUnlit, 35.0);
            else DrawImageFrame(*it.texture);
            nFailures += !SaveShot(gl, o.shotDir, (it.bModel ? "model-" : "image-") + FlatName(it.name));
        }
        light.Release();
        return nFailures == 0 && !items.empty() ? 0 : 1;
    }
    size_t nItem = 0;
    uint32_t nShown = SDL_GetTicks();
    for (bool bRun = !items.empty(); bRun;) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (e.type == SDL_QUIT || (e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_ESCAPE)) bRun = false;
            if (e.type == SDL_KEYDOWN && (e.key.keysym.sym == SDLK_SPACE || e.key.keysym.sym == SDLK_RIGHT)) {
                nItem = (nItem + 1) % items.size();
                nShown = SDL_GetTicks();
            }
        }
        const uint32_t t = SDL_GetTicks() - nShown;
        if (t > kSecondsPerItem * kMsPerSecond) {
            nItem = (nItem + 1) % items.size();
            nShown = SDL_GetTicks();
        }
        SItem& it = items[nItem];
        if (it.bModel) DrawModelFrame(it.object, !it.bUnlit, kTurnDegreesPerSecond * t / kMsPerSecond);
        else DrawImageFrame(*it.texture);
        gl.Present();
    }
    light.Release();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions o;
    if (!ParseArgs(argc, argv, o)) return 2;
    if (!o.shotDir.empty()) std::filesystem::create_directories(o.shotDir);
    CResource pack;
    pack.SetDatFile(o.pack);
    if (!pack.Open()) {
        std::fprintf(stderr, "viewer: %s\n", pack.LastError().c_str());
        return 1;
    }
    COffscreenGl gl;
    std::string error;
    if (!gl.Create(kWidth, kHeight, o.shotDir.empty(), error)) {
        std::fprintf(stderr, "viewer: %s\n", error.c_str());
        return 1;
    }
    const int rc = o.bScene ? RunScene(gl, pack, o) : RunItems(gl, pack, o);
    gl.Destroy();
    SDL_Quit();
    return rc;
}
