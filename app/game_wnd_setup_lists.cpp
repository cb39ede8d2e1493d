// The setup screen's selectors and the settings record, both ways: the lists show the record
// (SyncSetupLists), and a click or "default" changes the record at once. The file is written
// only by "mainmnu" and by the window switch. Window thread.
#include <cstdio>
#include <cstring>

#include "app/game_wnd.h"
#include "menus/menu_actions.h"
#include "menus/screen_setup.h"
#include "platform/log.h"

namespace {

// The lists that follow a leader, the leader included, in table order.
template <typename F>
void ForListAndFollowers(const SSelectorDef& leader, F&& f) {
    for (const SSelectorDef& def : kSetupSelectors)
        if (def.eLeader == leader.eList) f(def);
}

// Shows nId in the leader and its followers.
void ShowItem(CGameWnd& wnd, const SSelectorDef& leader, int nId) {
    ForListAndFollowers(leader, [&](const SSelectorDef& def) { wnd.m_aLists[def.eList].SetCurItem(nId); });
}

// A value no item shows becomes the item shown, so the game plays what the screen says.
void ShowSetting(CGameWnd& wnd, const SSelectorDef& def) {
    int& nValue = wnd.Settings().*def.pField;
    int nId = ItemIdForValue(def, nValue);
    if (nId < 0) {
        nId = def.nFallbackId;
        if (!def.bQuietFallback) {
            platform::Log("Setup: the setting of list %d holds %d, which no item shows; showing item %d",
                          def.nNotify, nValue, nId);
            nValue = ValueForItemId(def, nId);
        }
    }
    ShowItem(wnd, def, nId);
}

// Centred in the empty band between the board picture and the rule and side selectors.
constexpr int kNoticeY = 250;
constexpr float kNoticeScale = 0.8f;
constexpr int kNoticeColor[3] = {255, 90, 60};

}  // namespace

void CGameWnd::SyncSetupLists() {
    for (const SSelectorDef& def : kSetupSelectors)
        if (def.pField) ShowSetting(*this, def);
    const SSelectorDef* pWindow = FindSelectorByNotify(NOTIFY_WINDOW);
    ShowItem(*this, *pWindow, IsFullScreen() ? kFullScreenItem : kWindowedItem);

    SetWndTitle(FormatWindowTitle(GetVersion()));
    if (m_nCurScreen != SCREEN_GAME) {
        // Playing the music again would start it over.
        CSound* pMusic = GetGameSound(SOUND_MENU_MUSIC);
        if (!pMusic || !pMusic->IsPlaying()) StartMenuMusic();
    }
}

void CGameWnd::OnListNotify(int nList) {
    const SSelectorDef* pDef = FindSelectorByNotify(nList);
    if (!pDef) {
        platform::Log("Selector notify %d: no such selector; ignored", nList);
        return;
    }
    if (pDef->nNotify == NOTIFY_WINDOW) {
        // The lists are rebuilt by the new window's InitScene and then show its mode. A click
        // switches once the button is let go.
        RequestSwitchWindow();
        return;
    }
    if (m_aLists[pDef->eList].GetCount() == 0) {
        platform::Log("Selector notify %d before the setup screen was built; ignored", nList);
        return;
    }
    ForListAndFollowers(*pDef, [&](const SSelectorDef& def) { m_aLists[def.eList].SetNext(); });
    if (pDef->pField) m_settings.*pDef->pField = ValueForItemId(*pDef, m_aLists[pDef->eList].GetCurItemID());
    RequestSound(pDef->nClickSound, 0);
}

void ResetSetupToDefaults(CGameWnd& wnd) {
    for (const SSelectorDef& def : kSetupSelectors) {
        if (def.nNotify == NOTIFY_WINDOW) continue;
        wnd.m_aLists[def.eList].SetFirst();
        if (def.pField) wnd.Settings().*def.pField = ValueForItemId(def, def.items.front().nId);
    }
}

bool SaveSetupChoices(CGameWnd& wnd) {
    CGameSettings& s = wnd.Settings();
    const bool bAlreadyTold = s.m_nSaveError != 0;
    if (s.Save() || bAlreadyTold) return true;
    // The first failure keeps the screen, whose notice tells the player.
    platform::Log("Setup: the choices were not saved; the setup screen says so");
    return false;
}

void DrawSetupNotice(CGameWnd& wnd) {
    const int nError = wnd.Settings().m_nSaveError;
    if (nError == 0) return;
    char szText[160];
    std::snprintf(szText, sizeof szText, "Your choices cannot be saved (%s); they hold until you quit",
                  std::strerror(nError));
    CGLFont& font = wnd.Font();
    font.SetColor(kNoticeColor[0], kNoticeColor[1], kNoticeColor[2]);
    font.Print((kLogicalWidth - font.GetWidth(szText, kNoticeScale)) / 2, kNoticeY, kNoticeScale, "%s", szText);
}
