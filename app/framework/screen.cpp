// CGLScreen: placement, input routing, notify posting and draw order of a menu screen.
#include "app/framework/screen.h"

#include "app/framework/item_list.h"
#include "app/framework/menu_button.h"
#include "app/framework/texture.h"
#include "platform/log.h"

CGLScreen::CGLScreen() = default;

CGLScreen::~CGLScreen() { Release(); }

void CGLScreen::Create(HWND hWnd, int nScreenId, uint32_t nNotifyMessage) {
    Release();
    m_hWnd = hWnd;
    m_nScreenId = nScreenId;
    m_nNotifyMessage = nNotifyMessage;
}

void CGLScreen::AddMenu(CGLMenu* pMenu) {
    if (!pMenu) {
        platform::Log("Screen %d: a missing button was not added", m_nScreenId);
        return;
    }
    AddMenu(pMenu, pMenu->GetX(), pMenu->GetY());
}

void CGLScreen::AddMenu(CGLMenu* pMenu, int x, int y) {
    if (!pMenu) {
        platform::Log("Screen %d: a missing button was not added", m_nScreenId);
        return;
    }
    m_menus.push_back({pMenu, x, y});
}

void CGLScreen::AddTexture(CGLTexture* pTexture) {
    if (!pTexture) {
        platform::Log("Screen %d: a missing picture was not added", m_nScreenId);
        return;
    }
    m_textures.push_back({pTexture, true, 0, 0});
}

void CGLScreen::AddTexture(CGLTexture* pTexture, int x, int y) {
    if (!pTexture) {
        platform::Log("Screen %d: a missing picture was not added", m_nScreenId);
        return;
    }
    m_textures.push_back({pTexture, false, x, y});
}

bool CGLScreen::AddTextureFromRes(int x, int y, CResource& pack, const std::string& file,
                                  const std::string& folder) {
    auto pTexture = std::make_unique<CGLTexture>();
    if (!pTexture->LoadImageFromRes(pack, file, folder)) {
        platform::Log("Screen %d: picture \"%s\" in \"%s\" did not load and is left out", m_nScreenId,
                      file.c_str(), folder.c_str());
        return false;
    }
    AddTexture(pTexture.get(), x, y);
    m_ownedTextures.push_back(std::move(pTexture));
    return true;
}

void CGLScreen::AddItemList(CGLItemList* pList) {
    if (!pList) {
        platform::Log("Screen %d: a missing item list was not added", m_nScreenId);
        return;
    }
    m_lists.push_back(pList);
}

std::vector<SWidgetDraw> CGLScreen::CollectDraws() const {
    std::vector<SWidgetDraw> draws;
    for (const SPlacedTexture& placed : m_textures) {
        CGLTexture* pTexture = placed.pTexture;
        if (!pTexture->IsVisible() || !pTexture->IsLoaded()) continue;
        if (placed.bOwnPosition)
            draws.push_back({pTexture, pTexture->GetX(), pTexture->GetY(), kFullShade});
        else
            draws.push_back({pTexture, placed.x, placed.y, kFullShade});
    }
    for (const SPlacedMenu& placed : m_menus) placed.pMenu->CollectDrawAt(placed.x, placed.y, draws);
    for (CGLItemList* pList : m_lists) pList->CollectDraw(draws);
    return draws;
}

void CGLScreen::Draw() {
    for (const SWidgetDraw& draw : CollectDraws())
        draw.pTexture->Draw(draw.x, draw.y, kLogicalWidth, kLogicalHeight, draw.nShade, draw.nShade,
                            draw.nShade);
}

bool CGLScreen::OnKeyDown(unsigned /*nKey*/, long /*nFlags*/) { return false; }

void CGLScreen::OnMouseMove(unsigned /*nFlags*/, long nPos) {
    const SPointer pointer = PointerFromPacked(nPos);
    for (const SPlacedMenu& placed : m_menus)
        placed.pMenu->TrackPointerAt(placed.x, placed.y, pointer.x, pointer.y);
    for (CGLItemList* pList : m_lists) pList->TrackPointer(pointer.x, pointer.y);
}

bool CGLScreen::OnMouseLButtonDown(unsigned /*nFlags*/, long nPos) {
    const SPointer pointer = PointerFromPacked(nPos);
    for (auto it = m_lists.rbegin(); it != m_lists.rend(); ++it) {
        CGLItemList* pList = *it;
        if (pList->IsClickable() && pList->HitTest(pointer.x, pointer.y)) {
            pList->Press();
            return true;
        }
    }
    for (auto it = m_menus.rbegin(); it != m_menus.rend(); ++it) {
        CGLMenu* pMenu = it->pMenu;
        if (pMenu->IsClickable() && pMenu->HitTestAt(it->x, it->y, pointer.x, pointer.y)) {
            pMenu->Press();
            if (!PostMessageA(m_hWnd, m_nNotifyMessage, static_cast<uintptr_t>(m_nScreenId),
                              static_cast<intptr_t>(pMenu->GetID())))
                platform::Log("Screen %d: no window to notify of button %d", m_nScreenId, pMenu->GetID());
            return true;
        }
    }
    return false;
}

void CGLScreen::ReleaseUploads() {
    for (SPlacedTexture& t : m_textures) t.pTexture->ReleaseUpload();
    for (SPlacedMenu& m : m_menus) m.pMenu->ReleaseUploads();
    for (CGLItemList* pList : m_lists) pList->ReleaseUploads();
}

void CGLScreen::Release() {
    m_textures.clear();
    m_menus.clear();
    m_lists.clear();
    for (auto& pTexture : m_ownedTextures) pTexture->Release();
    m_ownedTextures.clear();
}
