// Building the eleven screens from their data after every window creation, and releasing them
// before a window switch. Window thread.
#include <string>

#include "app/game_wnd.h"
#include "menus/menu_actions.h"
#include "menus/screen_table.h"

static_assert(kMenuScreenCount == kScreenCount);
static_assert(kButtonSlots == kMenuButtonCount);
static_assert(kSetupListCount <= kItemListCount);
static_assert(SCREEN_SETUP == 2 && SCREEN_ABOUT == 10, "screen ids as the data tables use them");

namespace {

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

void LoadSharedImages(CGameWnd& wnd) {
    for (const SSharedImageDef& def : kSharedImages) {
        CGLTexture* pImage = SharedImage(wnd, def.eImage);
        if (!pImage) continue;
        pImage->LoadImageFromRes(wnd.Resource(), def.szFile, def.szFolder);
        pImage->SetPos(def.x, def.y);
    }
    // The sight is centred on the screen and shows only while a draught is focused.
    wnd.m_sight.SetPos((kScreenWidth - wnd.m_sight.GetWidth()) / 2, (kScreenHeight - wnd.m_sight.GetHeight()) / 2);
    wnd.m_sight.SetVisible(false);
}

void LoadButtons(CGameWnd& wnd) {
    for (const SButtonDef& def : kButtons) {
        CGLMenu* pButton = ButtonInSlot(wnd, def.nSlot);
        if (!pButton) continue;
        pButton->Create(def.nCommand);
        pButton->LoadFromRes(wnd.Resource(), def.szBase, def.szFolder, kButtonImageType);
        if (def.bHasOwnPos) pButton->SetPos(def.x, def.y);
    }
}

void LoadSetupSelectors(CGameWnd& wnd) {
    for (const SSelectorDef& def : kSetupSelectors) {
        CGLItemList& list = wnd.m_aLists[def.eList];
        list.Release();
        for (const SSelectorItem& item : def.items) {
            const std::string highlighted =
                def.nNotify != NOTIFY_NONE ? assets::HighlightName(item.szImage) : std::string();
            list.AddItemFromRes(item.x, item.y, item.nId, wnd.Resource(), item.szImage, def.szFolder, highlighted);
        }
        if (def.nNotify != NOTIFY_NONE) list.SetNotify(wnd.GetHWND(), def.nNotify, UM_LIST_NOTIFY);
        list.SetFirst();
    }
    if (wnd.IsFullScreen()) wnd.m_aLists[LIST_WINDOW].SetNext();
}

void BuildScreen(CGameWnd& wnd, const SScreenDef& def) {
    CGLScreen& screen = wnd.m_aScreens[def.nScreen];
    screen.Create(wnd.GetHWND(), def.nScreen, UM_MENU_NOTIFY);
    for (const SScreenImage& image : def.images) {
        if (image.eShared == ESharedImage::None) {
            screen.AddTextureFromRes(image.place.x, image.place.y, wnd.Resource(), image.szFile, image.szFolder);
            continue;
        }
        CGLTexture* pImage = SharedImage(wnd, image.eShared);
        if (image.place.bOwn) screen.AddTexture(pImage);
        else screen.AddTexture(pImage, image.place.x, image.place.y);
    }
    for (const SScreenButton& b : def.buttons) {
        CGLMenu* pButton = ButtonInSlot(wnd, b.nSlot);
        if (b.place.bOwn) screen.AddMenu(pButton);
        else screen.AddMenu(pButton, b.place.x, b.place.y);
    }
    if (def.bSetupSelectors)
        for (const SSelectorDef& sel : kSetupSelectors) screen.AddItemList(&wnd.m_aLists[sel.eList]);
}

}  // namespace

CGLMenu* ButtonInSlot(CGameWnd& wnd, int nSlot) {
    if (nSlot == kLeaveGameSlot) return &wnd.m_leaveGame;
    if (nSlot < 0 || nSlot >= kMenuButtonCount) return nullptr;
    return &wnd.m_aMenus[nSlot];
}

CGLTexture* SharedImage(CGameWnd& wnd, ESharedImage eImage) {
    switch (eImage) {
    case ESharedImage::Background: return &wnd.m_background;
    case ESharedImage::MainForeground: return &wnd.m_mainForeground;
    case ESharedImage::Logo: return &wnd.m_logo;
    case ESharedImage::SetupTitle: return &wnd.m_setupTitle;
    case ESharedImage::GameOverBanner: return &wnd.m_gameOverBanner;
    case ESharedImage::Cursor: return &wnd.m_cursor;
    case ESharedImage::Sight: return &wnd.m_sight;
    case ESharedImage::None: break;
    }
    return nullptr;
}

void CGameWnd::BuildScreens() {
    LoadSharedImages(*this);
    LoadButtons(*this);
    LoadSetupSelectors(*this);
    for (const SScreenDef& def : kScreenDefs) BuildScreen(*this, def);
    OfferKeptCampaign();
}

void CGameWnd::ReleaseMenuUploads() {
    for (CGLScreen& screen : m_aScreens)
        if (screen.GetID() != SCREEN_GAME) screen.ReleaseUploads();
}

void CGameWnd::ReleaseScreens() {
    for (CGLMenu& button : m_aMenus) button.Release();
    m_leaveGame.Release();
    for (CGLItemList& list : m_aLists) list.Release();
    for (CGLScreen& screen : m_aScreens) screen.Release();
}
