// Keys and the mouse wheel in the menus: the current screen sees a key first, then the
// screen's own rule. Window thread.
#include "app/game_events.h"
#include "app/game_wnd.h"
#include "menus/menu_actions.h"
#include "menus/menu_buttons.h"
#include "menus/sound_effects.h"

namespace {

constexpr unsigned kFpsToggleKey = VK_OEM_3;  // the key left of 1
constexpr unsigned kInstantReplayKey = 'R';

void OnPageKey(CGameWnd& wnd, unsigned nKey) {
    wnd.RequestSound(SOUND_MENU_MOVE, 0);
    switch (nKey) {
    case VK_ESCAPE:
        // A held arrow button's repeat must not outlive the page.
        m_hStopRepeatEvent.Set();
        wnd.SetScreen(SCREEN_MAIN);
        break;
    case VK_UP: wnd.OnScroll(wnd.GetScreen(), CMD_SCROLL_UP); break;
    case VK_DOWN: wnd.OnScroll(wnd.GetScreen(), CMD_SCROLL_DOWN); break;
    default: break;
    }
}

}  // namespace

void CGameWnd::OnKeyDown(unsigned key, long flags) {
    if (IsWatchingRecord()) {
        OnReplayKey(key);
        return;
    }
    // The match waits for the replayed flick; ESC too, so nothing of the match runs meanwhile.
    if (IsInstantReplayRunning()) return;
    m_aScreens[m_nCurScreen].OnKeyDown(key, flags);
    switch (m_nCurScreen) {
    case SCREEN_GAME:
        if (key == kInstantReplayKey) StartInstantReplay();
        else OnGameKeyDown(key);
        break;
    case SCREEN_SETUP:
        // Leaving by a key keeps the changed choices in memory but not in the file.
        SyncSetupLists();
        SetScreen(SCREEN_MAIN);
        RequestSound(SOUND_MENU_MOVE, 0);
        break;
    case SCREEN_LEVEL_SINGLE:
    case SCREEN_LEVEL_TWO:
        if (key == VK_ESCAPE) {
            SetScreen(SCREEN_MAIN);
            RequestSound(SOUND_MENU_MOVE, 0);
        }
        break;
    case SCREEN_PAUSE:
        if (key == VK_ESCAPE) ContinueGame(*this);
        break;
    case SCREEN_HELP:
    case SCREEN_ABOUT:
        OnPageKey(*this, key);
        break;
    case SCREEN_NETWORK:
        OnNetworkKey(key);
        break;
    default:
        break;
    }
}

void CGameWnd::OnKeyUp(unsigned key, long /*flags*/) {
    if (m_nCurScreen != SCREEN_GAME) return;
    m_hStopRepeatEvent.Set();
    m_match.OnGameKeyUp();
    if (key == kFpsToggleKey) m_bShowFps = !m_bShowFps;
}

void CGameWnd::OnMouseWheel(unsigned wParam, long /*lParam*/) {
    if (m_nCurScreen != SCREEN_HELP && m_nCurScreen != SCREEN_ABOUT) return;
    OnScroll(m_nCurScreen, WheelCommand(wParam));
}

int WheelCommand(unsigned wParam) {
    constexpr int32_t kTowardUserBelow = 0x10000;
    return static_cast<int32_t>(wParam) < kTowardUserBelow ? CMD_SCROLL_DOWN : CMD_SCROLL_UP;
}
