// The viewer's scene: the game's model names and sky placement, the star field as
// a display list of GL points like the game's, the start layout from the game's rules.
#include "tools/viewer/scene.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdint>

#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "app/framework/world_pick.h"
#include "game/layout.h"

namespace {


// Where the game puts the star models, and their scale.
struct SStarPlace {
    float x, y, z, fScale;
};
constexpr SStarPlace kStarPlaces[kStarModels] = {
    {40.0f, 0.0f, 0.0f, 1.0f}, {10.0f, 0.0f, -150.0f, 4.0f}, {0.0f, 30.0f, 60.0f, 2.0f}, {0.0f, -30.0f, 0.0f, 20.0f}};

// The star-point field: inside the game's box, 4 to 77 units from the centre.
constexpr float kFieldMin[3] = {-50.5f, -34.0f, -68.9f};
constexpr float kFieldMax[3] = {44.5f, 39.8f, 74.9f};
constexpr float kFieldNear = 4.07f;
constexpr float kFieldFar = 77.1f;
constexpr uint32_t kFieldSeed = 636;

constexpr float kClearColor[4] = {0.015f, 0.02f, 0.05f, 1.0f};
constexpr double kPi = 3.14159265358979323846;

float NextUnit(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / static_cast<float>(1u << 24);
}

// Compiled like the game's star field: culling off, two-sided light model, colour material,
// white points; those three states restored after.
unsigned CompileStarField(int nPoints) {
    const unsigned nList = glGenLists(1);
    if (nList == 0) return 0;
    uint32_t state = kFieldSeed;
    glNewList(nList, GL_COMPILE);
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
    glDisable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_COLOR_MATERIAL);
    glBegin(GL_POINTS);
    for (int placed = 0; placed < nPoints;) {
        float p[3];
        for (int k = 0; k < 3; ++k) p[k] = kFieldMin[k] + (kFieldMax[k] - kFieldMin[k]) * NextUnit(state);
        const float d = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (d < kFieldNear || d > kFieldFar) continue;
        glColor3f(255.0f, 255.0f, 255.0f);
        glVertex3fv(p);
        ++placed;
    }
    glEnd();
    glPopAttrib();
    glDisable(GL_COLOR_MATERIAL);
    glEndList();
    return nList;
}

bool LoadInto(CResource& pack, const char* file, CGLObject& object, std::string& error) {
    object.Set3DS(LoadModel3ds(pack, assets::kModelFolder, file));
    if (object.Get3DS() == kNoModel) {
        error = std::string("model ") + file + " did not load";
        return false;
    }
    return true;
}

}  // namespace

bool CViewerScene::Load(CResource& pack, int nFieldPoints, std::string& error) {
    for (int i = 0; i < kBoardKinds; ++i)
        if (!LoadInto(pack, kBoards[i].szModel, m_boards[i], error)) return false;
    for (int i = 0; i < kMaterialKinds; ++i)
        if (!LoadInto(pack, kMaterials[i].szBlackModel, m_black[i], error) ||
            !LoadInto(pack, kMaterials[i].szWhiteModel, m_white[i], error))
            return false;
    for (int i = 0; i < kHandModels; ++i)
        if (!LoadInto(pack, assets::kHandModels[i], m_hands[i], error)) return false;
    for (int i = 0; i < kStarModels; ++i) {
        if (!LoadInto(pack, assets::kStarModels[i], m_stars[i], error)) return false;
        const SStarPlace& p = kStarPlaces[i];
        m_stars[i].SetPos(p.x, p.y, p.z);
        m_stars[i].SetScale(p.fScale, p.fScale, p.fScale);
    }
    m_nFieldList = CompileStarField(nFieldPoints);
    if (m_nFieldList == 0) {
        error = "no display list for the star field";
        return false;
    }
    m_field.Set3DS(RegisterDisplayList("viewer:starfield", m_nFieldList));
    m_field.UseNotTexturedColor(true);
    m_light.Create(GL_LIGHT0);
    m_light.EnableLighting(true);
    m_light.Enable(true);
    m_desk.SetSettings(&m_settings);
    return true;
}

bool CViewerScene::SetBoard(int nBoardType, int nCheckType) {
    if (nBoardType < 0 || nBoardType >= kBoardKinds || nCheckType < 0 || nCheckType >= kMaterialKinds) return false;
    m_settings.BoardType = nBoardType;
    m_settings.CheckType = nCheckType;
    return BuildLayout(m_desk, 0, 0, m_white[nCheckType], m_black[nCheckType]) == 1;
}

void CViewerScene::Draw(const stCamGeom& cam, float fSkyAngle) {
    glClearColor(kClearColor[0], kClearColor[1], kClearColor[2], kClearColor[3]);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const SViewProjection vp = CameraViewProjection(cam);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixd(vp.projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(vp.modelview);
    PlaceSceneLight();

    // The game's order: star models unlit, the field, the board, the draughts, the hands.
    m_light.EnableLighting(false);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    m_stars[0].SetRotAngleY(fSkyAngle, 0.0f, 1.0f, 0.0f);
    for (CGLObject& s : m_stars) s.Draw();
    m_light.EnableLighting(true);
    m_field.Draw();
    m_boards[m_settings.BoardType].Draw();
    for (CCheck& c : m_desk.m_aChecks) c.Draw();
    if (m_bHands)
        for (CGLObject& h : m_hands) h.Draw();
}

void CViewerScene::Release() {
    if (m_nFieldList != 0) glDeleteLists(m_nFieldList, 1);
    m_nFieldList = 0;
    m_light.Release();
}

stCamGeom WhiteSideCamera(double fElevationDeg, double fDistance) {
    const double e = fElevationDeg * kPi / 180.0;
    stCamGeom cam;
    cam.ex = 0.0;
    cam.ey = fDistance * std::sin(e);
    cam.ez = fDistance * std::cos(e);
    cam.azimuth = kPi / 2;
    cam.elevation = e;
    CalcCameraRads(cam);
    return cam;
}
