// CGameWnd: the single game window. It owns every game object (pack, font, models, menu
// screens, physics, live position, settings, sounds, worker threads) and receives all input
// and application messages. Window thread for every member, except GetGameWnd()/GetHWND(),
// which any thread may use to post to the window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

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
#include "app/game_wnd_match_host.h"
#include "app/game_wnd_replay_host.h"
#include "game/instant_replay.h"
#include "game/campaign_state.h"
#include "game/match.h"
#include "game/replay_recorder.h"
#include "app/msg_thread.h"
#include "app/net_play.h"
#include "menus/sound_effects.h"
#include "menus/text_lines.h"
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
    SCREEN_NETWORK = 11,
};

inline constexpr int kScreenCount = 12;
inline constexpr int kMenuButtonCount = 37;  // indexed by command number
inline constexpr int kItemListCount = 11;
inline constexpr int kHandCount = 2;
inline constexpr int kCheckModelCount = kMaterialCount;  // per colour, by material
inline constexpr int kSkyObjectCount = 5;   // 0 the star field, 1..4 star models


class CGameWnd : public CGLWnd {
public:
    explicit CGameWnd(EWindowBackend backend = EWindowBackend::Sdl);
    // Stops the delay thread and both workers before any member goes away.
    ~CGameWnd() override;
    // Stops the flick threads, the delay thread and both workers (what their pending messages
    // carry goes with the queue); the entry calls it when the main loop ends, so no thread
    // outlives the window's use of SDL. Safe to call again.
    void StopWorkers();

    // ---- Handlers (framework slots), window thread. ----
    bool OnCommand(unsigned wParam, long lParam) override;
    // The application messages (app_messages.h). UM_CAMERA_GEOM carries one swing step (a
    // stCamGeom); UM_QUEUE_MOTION carries a CDesk record the motion queue takes over.
    bool OnAppMessage(platform::SMessage& msg) override;
    void ReleaseScene() override;
    void OnKeyDown(unsigned key, long flags) override;       // game_wnd_menu_keys.cpp
    void OnMouseMove(unsigned flags, long pos) override;
    void OnLButtonDown(unsigned flags, long pos) override;
    void OnRButtonDown(unsigned flags, long pos) override;
    void OnLButtonUp(unsigned flags, long pos) override;
    void OnKeyUp(unsigned key, long flags) override;         // game_wnd_menu_keys.cpp
    void DrawScene() override;
    void OnFrameShown() override;  // game_wnd_frame_timing.cpp
    void InitScene() override;
    void DrawLoading() override;
    void OnMouseWheel(unsigned wParam, long lParam) override;  // game_wnd_menu_keys.cpp

    // ---- Menus (game_wnd_menu_*.cpp, game_wnd_setup_lists.cpp, game_wnd_text_page.cpp; their
    //      screen tables and texts in menus/): screens, commands, selectors, keys, help and about. ----
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

    // ---- The match: CMatch (game/match.h) holds its state and rules; these hand over to it
    //      (app/game_wnd_match.cpp). ----
    CMatch& Match() { return m_match; }
    const CMatch& Match() const { return m_match; }
    // The record of the match in play, also written to the replays folder.
    const CReplayRecorder& Recorder() const { return m_recorder; }
    // ---- A campaign kept from an earlier run (app/game_wnd_campaign.cpp). ----
    // Its buttons on the main menu show while there is one; read at the first call.
    void OfferKeptCampaign();
    void WithdrawCampaignOffer();
    bool IsCampaignOffered() const { return m_keptCampaign.has_value(); }
    void ResumeKeptCampaign();
    void DiscardKeptCampaign();
    // The match's operations, handed over.
    void StartMatch();
    void StopMatch();
    void NextSet();
    void PauseMatch();
    void ContinueMatch();
    void OnFlickFinished();
    void CameraKeyStep(unsigned nKey);
    void OnPlayerClick(long nPos);
    void OnAimMove(long nPos);
    void CancelFlick();
    void StartComputerTurn();
    void NewSet(int nWhiteShift, int nBlackShift);
    bool CheckSetOver();
    bool CheckCampaignOver();
    void PassTurnByTurn();
    void PassTurnToAMiss();
    void PassTurn();
    void ToAMissStarter();
    void ByTurnStarter();
    void OnGameKeyDown(unsigned nKey);
    void LookAtDraught(const CCheck& check);
    void AimCameraAtFocus();
    void SwapFocus();
    // Aim line and hand (game_wnd_aim_aids.cpp, drawn after the draughts), and the result texts
    // of the set-over screens (game_wnd_result_texts.cpp).
    virtual void DrawAimAids();
    void DrawAimMarks();
    void DrawHand();
    virtual void DrawResultTexts();

    // ---- Watching a kept match and the instant replay (game_wnd_replay.cpp). ----
    // The checked record plays instead of the menus once the scene is ready.
    void WatchRecord(SMatchRecord record, const std::string& name);
    bool IsWatchingRecord() const { return m_pReplay != nullptr; }
    const CReplayDriver* Replay() const { return m_pReplay.get(); }
    void OnSceneReadyForReplay();
    void TickReplay();
    // P or SPACE pause, N or RIGHT step, Q or ESC quit.
    void OnReplayKey(unsigned nKey);
    // R in a match: the last flick again while the match waits; false (and the refusal sound)
    // while a flick runs, the computer chooses or no flick was played in this set.
    bool StartInstantReplay();
    bool IsInstantReplayRunning() const { return m_instantReplay.IsRunning(); }
    // The end of a replayed flick; false when the flick was the match's.
    bool OnReplayFlickFinished();
    // A flick's playback is about to start from the live position.
    void KeepFlickForReplay();
    // A watched flick's simulation ended while the watch is paused: its playback waits.
    bool HoldPlaybackForReplay();
    // Shown in place of the turn text while a replay runs.
    std::string m_replayText;
    // ---- The network game (game_wnd_network.cpp): its screen, the match's link to the other
    //      machine, the opponent's live aim. ----
    CNetPlay& Net() { return m_net; }
    // Once a frame: network traffic without waiting, and what it brings to the match.
    void PollNetwork();
    void OnNetworkCommand(int nCommand);
    void OnNetworkKey(unsigned nKey);
    void OpenNetworkScreen();
    void DrawNetworkScreen();
    void DrawRemoteAim();
    // On a result screen while the other player has yet to choose the same way on.
    void DrawNetworkWait();
    // --host / --join: taken up at the first frame. nPort 0 means the default.
    void RequestNetworkStart(bool bHost, uint16_t nPort, const std::string& joinAddress);
    // Ends the network game of the match (the other side told) and the network view.
    void LeaveNetworkGame();
    // The hand drawn at the hand point, turned to the first mark.
    void DrawHandAt(const float vFirstMark[3], const float vHand[3], bool bInvalid, float fScale);

    // ---- Drawing pieces. ----
    void DrawGameScene();  // game_wnd_draw_scene.cpp
    void DrawCursor(int x, int y);  // game_wnd_draw_scene.cpp
    // The help or about page: 26 lines from the first visible one (game_wnd_text_page.cpp).
    void DrawTextPage(const STextLine* pLines, int nCount, int nFirst);

    // ---- Scene resources (game_wnd_scene.cpp). ----
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
    CGLTexture m_gameOverBanner;
    CGLTexture m_background;
    CGLTexture m_setupTitle;
    CGLTexture m_mainForeground;
    CGLTexture m_logo;
    CGLTexture m_sight;            // hidden until a draught is focused
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

    uint8_t m_bCursorShown = 1;     // 1 while the system cursor shows

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
    std::unique_ptr<CWndReplayHost> m_pReplayHost;
    std::unique_ptr<CReplayDriver> m_pReplay;
    bool m_bReplayStarted = false;
    SRecordSettings m_replaySettings;  // the watched record's, applied again after a mode switch
    CInstantReplay m_instantReplay;
    CNetPlay m_net{m_desk, m_settings};
    SNetAim m_remoteAim{};
    uint32_t m_nRemoteAimAt = 0;   // when the opponent's aim last arrived
    bool m_bRemoteAimSeen = false;
    int m_nNetRequest = 0;         // --host (1) or --join (2) waits for the first frame
    uint16_t m_nNetRequestPort = 0;
    std::string m_netRequestAddress;
    CWndMatchHost m_matchHost{*this};
    CMatch m_match{m_matchHost, m_settings, m_desk, m_physics};
    std::string m_campaignPath = CampaignStatePath();
    CReplayRecorder m_recorder{ReplayDir(), m_campaignPath};
    bool m_bCampaignOfferRead = false;
    std::optional<SCampaignSet> m_keptCampaign;
};

// The single game window; null until the entry creates it. Any thread may read it.
extern CGameWnd* g_pGameWnd;
CGameWnd* GetGameWnd();
