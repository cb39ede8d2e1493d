// The game window's GL-side life: the loading picture, building the scene after every
// window creation (sounds, GL state, light, models, screens, settings) and releasing it
// before every window switch. Window thread.
#include "app/game_wnd.h"
#include "render/scene_resources.h"
#include "app/framework/model_registry.h"
#include "platform/log.h"
#include "render/scene_gl.h"
#include "render/scene_sky.h"

namespace {

constexpr int kLoadingColor[3] = {255, 255, 140};
constexpr int kLoadingX = 335;
constexpr int kLoadingY = 280;
constexpr const char* kLoadingText = "L O A D I N G";
constexpr int kClickSound = 3;
constexpr const char* kStarFieldModelName = "starfield";

}  // namespace

void CGameWnd::DrawLoading() {
    // The framework turns ALT+ENTER into command 40001 itself: there is no accelerator
    // table to load.
    if (!m_font.CreateFontFromRes(m_resource, kFontFile, kFontFolder))
        platform::Log("The texture font is missing: texts will not show");
    m_font.SetColor(kLoadingColor[0], kLoadingColor[1], kLoadingColor[2]);
    m_font.Print(kLoadingX, kLoadingY, 1.0f, "%s", kLoadingText);
}

void CGameWnd::InitScene() {
    CreateGameSounds(m_aSoundManagers, m_resource, GetHWND());
    for (CGLMenu& menu : m_aMenus) menu.SetSound(GetGameSound(kClickSound));
    m_leaveGame.SetSound(GetGameSound(kClickSound));

    if (HasGl()) {
        ApplySceneGlState();
        m_light.Create(GL_LIGHT0);
        m_light.EnableLighting(true);
        m_light.Enable(true);
    }
    EnableVSync(false);
    if (IsFullScreen()) RegisterAltTabHotKey();

    LoadSceneModels();
    BuildScreens();
    m_settings.Load();
    SyncSetupLists();

    m_bCursorShown = 1;
    ShowGLCursor(!IsFullScreen());
    platform::Log("Scene ready");
    OnSceneReadyForReplay();
}

void CGameWnd::ReleaseScene() {
    UnregisterAltTabHotKey();
    // The record holds the mode the window is about to take; InitScene reads it back.
    m_settings.FullScreen = !IsFullScreen();
    // A watched record's settings are not the player's: the file keeps the player's.
    if (!IsWatchingRecord()) m_settings.Save();
    ReleaseScreens();
    ReleaseSceneModels();
}

void CGameWnd::LoadSceneModels() {
    for (int i : kCheckLoadOrder)
        m_aBlackChecks[i].Set3DS(LoadModel3ds(m_resource, kModelFolder, kMaterials[i].szBlackModel));
    for (int i : kCheckLoadOrder)
        m_aWhiteChecks[i].Set3DS(LoadModel3ds(m_resource, kModelFolder, kMaterials[i].szWhiteModel));
    for (int i = 0; i < kBoardCount; ++i)
        m_aBoards[i].Set3DS(LoadModel3ds(m_resource, kModelFolder, kBoards[i].szModel));
    for (int i = 0; i < kHandCount; ++i)
        m_aHands[i].Set3DS(LoadModel3ds(m_resource, kModelFolder, assets::kHandModels[i]));
    for (int i = 0; i < 4; ++i)
        m_aSky[i + 1].Set3DS(LoadModel3ds(m_resource, kModelFolder, kStarModels[i].szFile));

    m_aSky[0].Set3DS(RegisterDisplayList(kStarFieldModelName, CompileStarField()));
    m_aSky[0].UseNotTexturedColor(true);
    m_skyDome.Set3DS(HasGl() ? CreateSkyDomeModel(m_resource) : kNoModel);

    m_marker.SetColor(kMarkerColor[0], kMarkerColor[1], kMarkerColor[2]);
    m_marker.UseNotTexturedColor(true);
    m_marker.Set3DS(CreateSphereModel(kMarkerRadius));

    for (int i = 0; i < 4; ++i) {
        const SStarModel& star = kStarModels[i];
        m_aSky[i + 1].SetPos(star.x, star.y, star.z);
        m_aSky[i + 1].SetScale(star.fScale, star.fScale, star.fScale);
    }
}

void CGameWnd::ReleaseSceneModels() {
    for (CGLObject& o : m_aBoards) o.Set3DS(kNoModel);
    for (CGLObject& o : m_aHands) o.Set3DS(kNoModel);
    for (CGLObject& o : m_aBlackChecks) o.Set3DS(kNoModel);
    for (CGLObject& o : m_aWhiteChecks) o.Set3DS(kNoModel);
    for (CGLObject& o : m_aSky) o.Set3DS(kNoModel);
    m_skyDome.Set3DS(kNoModel);
}

unsigned CGameWnd::CompileStarField() { return HasGl() ? CompileStarFieldList(StarField()) : 0; }
