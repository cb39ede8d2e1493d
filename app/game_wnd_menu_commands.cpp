// Switching screens (with the menu music) and what every menu button does on its screen,
// the pause of a game and its way back. Window thread.
#include <chrono>
#include <thread>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "core/players.h"
#include "menus/menu_actions.h"
#include "menus/menu_buttons.h"
#include "menus/sound_effects.h"
#include "platform/log.h"

namespace {

constexpr int kExitCode = 18;
// A held arrow button: the old repeat must have seen its stop before the new one starts.
constexpr auto kRepeatHandOver = std::chrono::milliseconds(10);

void Sound(CGameWnd& wnd, int nSound) { wnd.RequestSound(nSound, 0); }

void EnableLevelButtons(CGameWnd& wnd) {
    for (int nSlot : kLevelSlots) wnd.m_aMenus[nSlot].Enable(true);
}

// Command 28..33: a fresh hold loop on the animation thread (the old one ends first).
void StartCameraHold(CGameWnd& wnd, uint32_t nHoldMessage) {
    m_hStopRepeatEvent.Set();
    m_hStopRepeatEvent.Reset();
    wnd.AnimThread().Post(nHoldMessage, 0, 0);
}

void StartScrollRepeat(CGameWnd& wnd, int nScreen, int nCommand) {
    m_hStopRepeatEvent.Set();
    std::this_thread::sleep_for(kRepeatHandOver);
    m_hStopRepeatEvent.Reset();
    wnd.AnimThread().Post(UM_SCROLL, static_cast<uintptr_t>(nScreen), nCommand);
}

int LevelOfCommand(int nCommand) {
    switch (nCommand) {
    case CMD_EXPERT: return LEVEL_EXPERT;
    case CMD_PRO: return LEVEL_PRO;
    default: return LEVEL_BEGINNER;
    }
}

void BackToMainMenu(CGameWnd& wnd) {
    wnd.SetScreen(SCREEN_MAIN);
    Sound(wnd, SOUND_MENU_MOVE);
}

void LeaveMatch(CGameWnd& wnd) {
    wnd.LeaveNetworkGame();
    wnd.StopMatch();
    BackToMainMenu(wnd);
}

void OnMainCommand(CGameWnd& wnd, int nCommand) {
    switch (nCommand) {
    case CMD_SINGLE:
    case CMD_MULTI:
        Sound(wnd, SOUND_MENU_MOVE);
        EnableLevelButtons(wnd);
        wnd.SetScreen(nCommand == CMD_SINGLE ? SCREEN_LEVEL_SINGLE : SCREEN_LEVEL_TWO);
        break;
    case CMD_HELP:
        Sound(wnd, SOUND_MENU_MOVE);
        wnd.m_nHelpFirst = 0;
        wnd.SetScreen(SCREEN_HELP);
        break;
    case CMD_ABOUT:
        Sound(wnd, SOUND_MENU_MOVE);
        wnd.m_nAboutFirst = 0;
        wnd.SetScreen(SCREEN_ABOUT);
        break;
    case CMD_SETUP:
        Sound(wnd, SOUND_MENU_MOVE);
        wnd.SetScreen(SCREEN_SETUP);
        break;
    case CMD_EXIT:
        wnd.Quit(kExitCode);
        break;
    case CMD_RESUME:
        wnd.ResumeKeptCampaign();
        break;
    case CMD_DISCARD:
        Sound(wnd, SOUND_MENU_MOVE);
        wnd.DiscardKeptCampaign();
        break;
    default:
        break;
    }
}

void OnGameCommand(CGameWnd& wnd, int nCommand) {
    switch (nCommand) {
    case CMD_ROT_LEFT: StartCameraHold(wnd, UM_HOLD_LEFT); break;
    case CMD_ROT_RIGHT: StartCameraHold(wnd, UM_HOLD_RIGHT); break;
    case CMD_ROT_UP: StartCameraHold(wnd, UM_HOLD_UP); break;
    case CMD_ROT_DOWN: StartCameraHold(wnd, UM_HOLD_DOWN); break;
    case CMD_ZOOM_IN: StartCameraHold(wnd, UM_HOLD_ZOOM_IN); break;
    case CMD_ZOOM_OUT: StartCameraHold(wnd, UM_HOLD_ZOOM_OUT); break;
    // The button walks the focus exactly as the TAB key does.
    case CMD_FOCUS: wnd.SendMessage(WM_KEYDOWN, VK_TAB, 0); break;
    default: break;
    }
}

void OnSetupCommand(CGameWnd& wnd, int nCommand) {
    if (nCommand == CMD_MAIN_MENU) {
        if (SaveSetupChoices(wnd)) BackToMainMenu(wnd);
    } else if (nCommand == CMD_DEFAULT) {
        ResetSetupToDefaults(wnd);
    }
}

void OnLevelCommand(CGameWnd& wnd, int nCommand, int nPlayers) {
    switch (nCommand) {
    case CMD_BACK:
        BackToMainMenu(wnd);
        break;
    case CMD_NETWORK:
        if (nPlayers != kTwoPlayers) break;
        Sound(wnd, SOUND_MENU_MOVE);
        wnd.OpenNetworkScreen();
        break;
    case CMD_BEGINNER:
    case CMD_EXPERT:
    case CMD_PRO:
        wnd.Settings().m_nPlayers = nPlayers;
        // Before the start, so that the match's record and campaign state name the level.
        wnd.Settings().m_nLevel = LevelOfCommand(nCommand);
        wnd.StartMatch();
        platform::Log("Computer level %d", wnd.Settings().m_nLevel);
        wnd.SetScreen(SCREEN_GAME);
        Sound(wnd, SOUND_BEGIN);
        break;
    default:
        break;
    }
}

}  // namespace

void StartNextSet(CGameWnd& wnd) {
    wnd.NextSet();
    if (wnd.GetScreen() != SCREEN_GAME) wnd.SetScreen(SCREEN_GAME);
    Sound(wnd, SOUND_BEGIN);
}

void StartNewMatch(CGameWnd& wnd) {
    wnd.StartMatch();
    wnd.SetScreen(SCREEN_GAME);
    Sound(wnd, SOUND_BEGIN);
}

namespace {

void OnResultCommand(CGameWnd& wnd, int nScreen, int nCommand) {
    const bool bNextSet = nCommand == CMD_NEXT_SET && nScreen == SCREEN_SET_OVER;
    const bool bAgain = nCommand == CMD_AGAIN && nScreen != SCREEN_SET_OVER;
    if (nCommand == CMD_MAIN_MENU) {
        LeaveMatch(wnd);
    } else if (wnd.Match().NetSide() != 0 && (bNextSet || bAgain)) {
        // Both machines begin together once both players chose it (PollNetwork).
        CLockstepSession* pSession = wnd.Net().Session();
        const bool bTold = pSession && pSession->ChooseNext(bNextSet ? ENetNext::NextSet : ENetNext::NewMatch);
        Sound(wnd, bTold ? SOUND_MENU_MOVE : SOUND_ERROR);
    } else if (bAgain) {
        StartNewMatch(wnd);
    } else if (bNextSet) {
        StartNextSet(wnd);
    }
}

void OnPageCommand(CGameWnd& wnd, int nScreen, int nCommand) {
    if (nCommand == CMD_MAIN_MENU) {
        m_hStopRepeatEvent.Set();
        BackToMainMenu(wnd);
    } else if (nCommand == CMD_SCROLL_DOWN || nCommand == CMD_SCROLL_UP) {
        StartScrollRepeat(wnd, nScreen, nCommand);
    }
}

}  // namespace

void CGameWnd::SetScreen(int nScreen) {
    if (nScreen < 0 || nScreen >= kScreenCount) {
        platform::Log("SetScreen(%d): no such screen; screen %d stays", nScreen, m_nCurScreen);
        return;
    }
    if (nScreen == SCREEN_GAME) StopMenuMusic();
    if (m_nCurScreen == SCREEN_GAME && nScreen != SCREEN_GAME) StartMenuMusic();
    m_nCurScreen = nScreen;
    // The control under the pointer lights up at once, not at the next mouse move.
    m_aScreens[nScreen].OnMouseMove(0, GetMousePos());
}

void CGameWnd::OnMenuCommand(int nScreen, int nCommand) {
    switch (nScreen) {
    case SCREEN_MAIN: OnMainCommand(*this, nCommand); break;
    case SCREEN_GAME: OnGameCommand(*this, nCommand); break;
    case SCREEN_SETUP: OnSetupCommand(*this, nCommand); break;
    case SCREEN_LEVEL_SINGLE: OnLevelCommand(*this, nCommand, kOnePlayer); break;
    case SCREEN_LEVEL_TWO: OnLevelCommand(*this, nCommand, kTwoPlayers); break;
    case SCREEN_PAUSE:
        if (nCommand == CMD_CONTINUE) ContinueGame(*this);
        else if (nCommand == CMD_MAIN_MENU) LeaveMatch(*this);
        break;
    case SCREEN_GAME_OVER:
    case SCREEN_SET_OVER:
    case SCREEN_CAMPAIGN_OVER: OnResultCommand(*this, nScreen, nCommand); break;
    case SCREEN_HELP:
    case SCREEN_ABOUT: OnPageCommand(*this, nScreen, nCommand); break;
    case SCREEN_NETWORK: OnNetworkCommand(nCommand); break;
    default:
        platform::Log("Menu command %d from screen %d: no such screen; ignored", nCommand, nScreen);
        break;
    }
}

void CGameWnd::EnableGameControls(bool bEnable) {
    for (int nSlot : kGameControlSlots) m_aMenus[nSlot].Enable(bEnable);
}

void PauseGame(CGameWnd& wnd) {
    m_hStopRepeatEvent.Set();
    m_hStopRepeatEvent.Reset();
    wnd.PauseMatch();  // the pause screen takes clicks even when a flick was running
    if (CSound* pJingle = GetGameSound(SOUND_BEGIN)) pJingle->Stop();
    wnd.RequestSound(SOUND_PAUSE, 0);
    wnd.SetScreen(SCREEN_PAUSE);
    wnd.m_bCursorShown = 1;
    wnd.ShowGLCursor(true);
}

void ContinueGame(CGameWnd& wnd) {
    CGLWnd::wlog("Continue game");
    wnd.SetScreen(SCREEN_GAME);
    wnd.ContinueMatch();
}

std::string FormatWindowTitle(const char* szVersion) {
    return std::string(kGameTitle) + "  " + (szVersion ? szVersion : "");
}
