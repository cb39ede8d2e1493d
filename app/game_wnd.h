// CGameWnd: the single game window. It owns every game object (pack, font, models, menu
// screens, physics, live position, settings, sounds, worker threads) and receives all input
// and application messages. Window thread for every member, except GetGameWnd()/GetHWND(),
// which any thread may use to post to the window.
#pragma once

#include <cstdint>

#include "core/app_messages.h"
#include "app/delay_thread.h"
#include "app/frame_stats.h"
#include "app/framework/camera.h"
#include "app/framework/font.h"
#include "core/gl_object.h"
#include "app/framework/gl_wnd.h"
#include "app/framework/item_list.h"
#include "app/framework/light.h"
#include "app/framework/menu_button.h"
#include "app/framework/resource.h"
#include "app/framework/screen.h"
#include "app/framework/sound.h"
#include "app/framework/texture.h"
#include "app/framework/win_messages.h"
#include "core/game_settings.h"
#include "app/msg_thread.h"
#include "menus/sound_effects.h"
#include "physics/desk.h"
#include "physics/kick_physics.h"

// Menu screens; the index is also the screen id the screen posts with UM_MENU_NOTIFY.
enum EScreen : int {
    SCREEN_MAIN = 0,
    SCREEN_GAME = 1,
    SCREEN_SETUP = 2,
    SCREEN_LEVEL_SINGLE = 3,
    SCREEN_LEVEL_TWO = 4,
    SCREEN_PAUSE = 5,
    SCREEN_GAME_OVER = 6,
    SCREEN_SET_OVER = 7,
    SCREEN_CAMPAIGN_OVER = 8,
    SCREEN_HELP = 9,
    SCREEN_ABOUT = 10,
};

inline constexpr int kScreenCount = 11;
inline constexpr int kMenuButtonCount = 37;  // indexed by command number
inline constexpr int kItemListCount = 11;
inline constexpr int kHandCount = 2;
inline constexpr int kCheckModelCount = kMaterialCount;  // per colour, by material
inline constexpr int kSkyObjectCount = 5;   // 0 the star field, 1..4 star models
inline constexpr int kTurnTextSize = 64;


// One line of the help or about page.
struct STextLine {
    char szText[100];  // printed as a format string; no line holds '%'
    float fScale;      // print scale
    uint8_t r, g, b;   // colour
};

class CGameWnd : public CGLWnd {
public:
    explicit CGameWnd(EWindowBackend backend = EWindowBackend::Sdl);
    // Stops the delay thread and both workers before any member goes away.
    ~CGameWnd() override;
    // Stops the flick threads, the delay thread and both workers and frees what their
    // pending messages carry; the entry calls it when the main loop ends, so no thread
    // outlives the window's use of SDL. Safe to call again.
    void StopWorkers();

    // ---- Handlers (framework slots), window thread. ----
    bool OnCommand(unsigned wParam, long lParam) override;
    // The application messages (app_messages.h). UM_CAMERA_GEOM's lParam is a stCamGeom the
    // animation thread allocated with new for that one step; the window copies and deletes it.
    // UM_QUEUE_MOTION's wParam is a heap CDesk record the motion queue takes over.
    bool OnAppMessage(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override;
    void ReleaseScene() override;
    void OnKeyDown(unsigned key, long flags) override;       // menus/
    void OnMouseMove(unsigned flags, long pos) override;
    void OnLButtonDown(unsigned flags, long pos) override;
    void OnRButtonDown(unsigned flags, long pos) override;
    void OnLButtonUp(unsigned flags, long pos) override;
    void OnKeyUp(unsigned key, long flags) override;         // menus/
    void DrawScene() override;
    void OnFrameShown() override;  // render/
    void InitScene() override;
    void DrawLoading() override;
    void OnMouseWheel(unsigned wParam, long lParam) override;  // menus/

    // ---- Menus (menus/): screens, commands, selectors, keys, help and about. ----
    void SetScreen(int nScreen);
    int GetScreen() const { return m_nCurScreen; }
    void OnMenuCommand(int nScreen, int nCommand);
    void OnListNotify(int nList);
    // Loads the shared images, the buttons, the selectors and the eleven screens.
    void BuildScreens();
    void ReleaseScreens();
    // Lets the GL copies of every screen's pictures go but the game screen's: during a match the
    // menus' full-screen pictures would hold megabytes of driver memory. They are uploaded again
    // from the pack when their screen is next drawn.
    void ReleaseMenuUploads();
    // Every setup selector from the settings record, the window title, and the menu music
    // unless a game is shown.
    void SyncSetupLists();
    // UM_SCROLL: one line of the help (9) or about (10) page; command 21 down, 22 up.
    void OnScroll(int nScreen, int nCommand);
    void EnableGameControls(bool bEnable);

    // ---- Sounds (the sound table and thread live in menus/sound_effects). ----
    // The looping menu music; nothing when it was not created.
    void StartMenuMusic();
    void StopMenuMusic();
    // Posts a sound effect to the sound thread (volume in hundredths of a dB, 0 full).
    void RequestSound(int nSound, int nVolume);

    // ---- The match (turn order, aiming, camera keys, pause). The rules live in
    //      game/match_rules.cpp, the aiming in game/aiming.cpp, pausing in game_wnd_match.cpp. ----
    // A new match or the next campaign set (start layout, start view, who moves first).
    virtual void StartMatch();
    virtual void StopMatch();
    virtual void NextSet();
    // ESC on the game screen and its way back.
    virtual void PauseMatch();
    virtual void ContinueMatch();
    virtual void OnFlickFinished();
    virtual void CameraKeyStep(unsigned nKey);
    virtual void OnPlayerClick(long nPos);
    virtual void OnAimMove(long nPos);
    virtual void CancelFlick();
    virtual void StartComputerTurn();
    // The match rules (game/match_rules.cpp): a set's layout and start view, the end of a set
    // or campaign (true when it ended; the result screen is then shown), the turn order, and
    // who starts the next campaign set.
    void NewSet(int nWhiteShift, int nBlackShift);
    bool CheckSetOver();
    bool CheckCampaignOver();
    void PassTurnByTurn();
    void PassTurnToAMiss();
    void PassTurn();
    void ToAMissStarter();
    void ByTurnStarter();
    // Camera control (game/camera_control.cpp): keys of the game screen, one step of a held
    // key or button, the focus on an own draught and the view's swing to it.
    void OnGameKeyDown(unsigned nKey);
    void LookAtDraught(const CCheck& check);
    void AimCameraAtFocus();
    void SwapFocus();
    // Aim line and hand (render/aim_aids.cpp, drawn after the draughts), and the result texts
    // of the set-over screens (render/result_texts.cpp).
    virtual void DrawAimAids();
    void DrawAimMarks();
    void DrawHand();
    virtual void DrawResultTexts();

    // ---- Drawing pieces. ----
    void DrawGameScene();  // render/
    void DrawCursor(int x, int y);  // render/
    // The help or about page: 26 lines from the first visible one (menus/).
    void DrawTextPage(const STextLine* pLines, int nCount, int nFirst);

    // ---- Scene resources (app/scene_resources.cpp). ----
    void LoadSceneModels();
    void ReleaseSceneModels();
    // Compiles the star field display list (GL only); 0 headless.
    unsigned CompileStarField();

    // ---- Access for the other parts of the game and for tests. ----
    CResource& Resource() { return m_resource; }
    CGLFont& Font() { return m_font; }
    CGameSettings& Settings() { return m_settings; }
    CDesk& Desk() { return m_desk; }
    CKickPhysics& Physics() { return m_physics; }
    CMsgThread& SoundThread() { return m_soundThread; }
    CMsgThread& AnimThread() { return m_animThread; }
    const CGLObject& Board(int i) const { return m_aBoards[i]; }
    const CGLObject& Hand(int i) const { return m_aHands[i]; }
    const CGLObject& BlackCheckModel(int i) const { return m_aBlackChecks[i]; }
    const CGLObject& WhiteCheckModel(int i) const { return m_aWhiteChecks[i]; }
    const CGLObject& Sky(int i) const { return m_aSky[i]; }
    const CGLObject& Marker() const { return m_marker; }

    // The pack and the font, made by DrawLoading; the models, screens and sounds, by InitScene.
    CResource m_resource;
    CGLFont m_font;
    CGLight m_light;
    CGLTexture m_cursor;
    // Images shared by several screens.
    CGLTexture m_gameOverBanner;   // "gameover.tga"
    CGLTexture m_background;       // "BACKGR.tga"
    CGLTexture m_setupTitle;       // "frgopt.tga"
    CGLTexture m_mainForeground;   // "main_fg.tga"
    CGLTexture m_logo;             // "kelvdar.tga"
    CGLTexture m_sight;            // "sight.tga", hidden until a draught is focused
    // 3D objects, indexed by the settings values (BoardType, CheckType).
    CGLObject m_aBoards[kBoardCount];
    CGLObject m_aHands[kHandCount];            // open, closed
    CGLObject m_aBlackChecks[kCheckModelCount];
    CGLObject m_aWhiteChecks[kCheckModelCount];
    CGLObject m_aSky[kSkyObjectCount];
    CGLObject m_marker;                        // aim marker sphere
    CGLObject m_skyDome;                       // nebula behind the star models, about the eye
    CGLScreen m_aScreens[kScreenCount];
    int m_nCurScreen = SCREEN_MAIN;
    CGLMenu m_aMenus[kMenuButtonCount];        // by command number
    CGLMenu m_leaveGame;                       // "leavegm": reports command 4 like "mainmnu"
    CGLItemList m_aLists[kItemListCount];
    int m_bShowFps = 0;                        // toggled by the key left of 1
    CKickPhysics m_physics;
    CSoundManager m_aSoundManagers[kGameSoundCount];
    CDesk m_desk;                              // the live position
    CGameSettings m_settings;

    // ---- Match state (turn order, aiming). ----
    int m_nSelected = -1;           // draught under the first mark, -1 none
    int m_bBusy = 0;                // 1 while a flick runs or the computer chooses
    uint8_t m_bCursorShown = 1;     // 1 while the system cursor shows
    char m_szTurnText[kTurnTextSize] = {};
    stCamGeom m_camWhite{};         // saved views of the two sides (two players)
    stCamGeom m_camBlack{};
    int m_bResultShown = 0;         // the result screen has played its sound
    glPoint m_ptPick = {0.0f, 0.0f, 0.0f};      // scene point under the mouse
    int m_abMarkSet[2] = {0, 0};                // both 1 while a first mark is placed
    float m_vFirstMark[3] = {0.0f, 0.0f, 0.0f};
    float m_vHand[3] = {0.0f, 0.0f, 0.0f};      // hand point of the last mouse move
    uint8_t m_bHandShown = 0;
    int m_bHandInvalid = 0;         // 1 while the hand is outside the allowed band
    int m_bShiftTurn = 0;           // 1 after a SHIFT turn, until the next key up
    int m_bPausedPlayback = 0;      // the playback ran when the game was paused
    int m_bPausedBusy = 0;          // a flick or the computer's choice was under way at the pause

    CFrameStats m_frameStats;       // frame times of the match, click-to-screen delay

    CDelayThread m_hDelayThread;
    CMsgThread m_soundThread;
    CMsgThread m_animThread;

    // Help and about pages: line table and first visible line.
    const STextLine* m_pHelpLines = nullptr;
    int m_nHelpFirst = 0;
    const STextLine* m_pAboutLines = nullptr;
    int m_nAboutFirst = 0;

private:
    // A GL context exists (not headless).
    bool HasGl() const { return GetHDC() != nullptr; }

    bool m_bWorkersStopped = false;
};

// The single game window; null until the entry creates it. Any thread may read it.
extern CGameWnd* g_pGameWnd;
CGameWnd* GetGameWnd();

// Help and about line tables and their line counts (menus/).
extern const STextLine kHelpLines[];
extern const int kHelpLineCount;
extern const STextLine kAboutLines[];
extern const int kAboutLineCount;
