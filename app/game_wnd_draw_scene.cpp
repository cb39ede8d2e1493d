// One frame of the game window: the current menu screen with its texts, or the game scene
// (sky, board and draughts with their shadows, aiming aids, turn text) under the game
// screen's buttons, and the game's own cursor in full screen. Window thread.
#include <cstdio>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "core/game_sounds.h"
#include "core/players.h"
#include "menus/menu_actions.h"
#include "platform/log.h"
#include "render/scene_gl.h"
#include "render/scene_shadows.h"
#include "render/scene_sky.h"

namespace {

constexpr int kWhite = 255;
constexpr int kCursorOffsetX = -2;  // the picture's hot spot
constexpr int kCursorOffsetY = -28;
constexpr float kSkyTurnPerFrame = 0.01f;
constexpr int kStarModelsShown = 1;  // StarType
constexpr int kFpsX = 650, kFpsY = 560;
constexpr int kMyTurnColor[3] = {200, 255, 100};
constexpr int kOtherTurnColor[3] = {255, 200, 100};
constexpr int kMyTurnX = 360, kOtherTurnX = 335, kTurnTextY = 580;
constexpr int kReplayTextX = 200;  // the replay's line is longer than a turn text

bool g_bStartUp = true;   // the first frame of the process is still to come
float g_fSkyAngle = 0.0f;
bool g_bFirstFrameLogged = false;

}  // namespace

void CGameWnd::DrawCursor(int x, int y) {
    m_cursor.Draw(x, y, kLogicalWidth, kLogicalHeight, kWhite, kWhite, kWhite);
}

void CGameWnd::DrawScene() {
    TickReplay();
    if (g_bStartUp) {
        if (IsFullScreen()) DrawCursor(GetMouseX(), GetMouseY());
        g_bStartUp = false;
        RequestSound(SOUND_FIRST_FRAME, 0);
    }
    if (!IsActive()) return;

    if (m_nCurScreen != SCREEN_GAME) m_aScreens[m_nCurScreen].Draw();
    switch (m_nCurScreen) {
    case SCREEN_GAME:
        DrawGameScene();
        m_aScreens[SCREEN_GAME].Draw();
        break;
    case SCREEN_GAME_OVER:
    case SCREEN_SET_OVER:
    case SCREEN_CAMPAIGN_OVER:
        DrawResultTexts();
        DrawNetworkWait();
        break;
    case SCREEN_HELP:
        DrawTextPage(m_pHelpLines, kHelpLineCount, m_nHelpFirst);
        break;
    case SCREEN_ABOUT:
        DrawTextPage(m_pAboutLines, kAboutLineCount, m_nAboutFirst);
        break;
    case SCREEN_SETUP:
        DrawSetupNotice(*this);
        break;
    case SCREEN_NETWORK:
        DrawNetworkScreen();
        break;
    default:
        break;
    }

    if (IsFullScreen() && m_bCursorShown)
        DrawCursor(GetMouseX() + kCursorOffsetX, GetMouseY() + kCursorOffsetY);

    if (!g_bFirstFrameLogged) {
        g_bFirstFrameLogged = true;
        platform::Log("First frame drawn (screen %d)", m_nCurScreen);
    }
}

void CGameWnd::DrawGameScene() {
    const bool bGl = HasGl();
    // The sky first, over the whole view, with the board's shadow in it: what is drawn next covers it.
    const bool bBoardShown = m_settings.BoardType >= 0 && m_settings.BoardType < kBoardCount;
    if (bGl)
        DrawSky(m_settings.StarType == kStarModelsShown ? m_skyDome.Get3DS() : kNoModel, m_settings,
                bBoardShown && m_aBoards[m_settings.BoardType].Get3DS() != kNoModel);
    if (m_settings.StarType == kStarModelsShown) {
        m_light.EnableLighting(false);
        SetWhiteColor();
        g_fSkyAngle += kSkyTurnPerFrame;
        m_aSky[1].SetRotAngleY(g_fSkyAngle, 0.0f, 1.0f, 0.0f);
        for (int i = 1; i < kSkyObjectCount; ++i) m_aSky[i].Draw();
        m_light.EnableLighting(true);
    }
    m_aSky[0].Draw();
    if (bBoardShown) m_aBoards[m_settings.BoardType].Draw();

    if (m_hTimeoutCompTurnEvent.Wait(0)) {
        wlog("Signal m_hTimeoutCompTurnEvent");
        StartComputerTurn();
    }
    m_physics.PlayMotion();
    {
        // The computer's thread may be writing its flick into the live position right now.
        std::lock_guard lock(m_physics.LiveDeskLock());
        if (bGl && bBoardShown) DrawDraughtShadows(m_desk);
        for (int i = 0; i < kCheckCount; ++i) m_desk.m_aChecks[i].Draw();
    }

    m_sight.Draw(kLogicalWidth, kLogicalHeight, kWhite, kWhite, kWhite);
    DrawAimAids();

    if (m_bShowFps) m_font.Print(kFpsX, kFpsY, "FPS: %d", GetFPS());

    const bool bOnePlayer = m_settings.m_nPlayers == kOnePlayer;
    if (!m_replayText.empty()) {
        m_font.SetColor(kMyTurnColor[0], kMyTurnColor[1], kMyTurnColor[2]);
        m_font.Print(kReplayTextX, kTurnTextY, 1.0f, "%s", m_replayText.c_str());
    } else if (m_settings.m_bMySideToMove) {
        m_font.SetColor(kMyTurnColor[0], kMyTurnColor[1], kMyTurnColor[2]);
        if (bOnePlayer) m_match.SetTurnText("your turn");
        m_font.Print(kMyTurnX, kTurnTextY, 1.0f, "%s", m_match.TurnText());
    } else {
        m_font.SetColor(kOtherTurnColor[0], kOtherTurnColor[1], kOtherTurnColor[2]);
        if (bOnePlayer) m_match.SetTurnText("computer turn");
        m_font.Print(kOtherTurnX, kTurnTextY, 1.0f, "%s", m_match.TurnText());
    }
}
