// CGLItemList: items, the current one, its hit test, hover and notify.
#include "app/framework/item_list.h"

#include "platform/log.h"

CGLItemList::~CGLItemList() { Release(); }

bool CGLItemList::AddItemFromRes(int x, int y, int nId, CResource& pack, const std::string& image,
                                 const std::string& folder, const std::string& highlighted) {
    SItem item;
    item.nId = nId;
    item.x = x;
    item.y = y;
    item.pNormal = std::make_unique<CGLTexture>();
    const bool bLoaded = item.pNormal->LoadImageFromRes(pack, image, folder);
    if (!bLoaded)
        platform::Log("Item list %d: item %d has no picture \"%s\" in \"%s\"; it shows nothing",
                      m_nListId, nId, image.c_str(), folder.c_str());
    if (!highlighted.empty()) {
        item.pHighlighted = std::make_unique<CGLTexture>();
        if (!item.pHighlighted->LoadImageFromRes(pack, highlighted, folder)) {
            platform::Log("Item list %d: item %d has no highlighted picture \"%s\" in \"%s\"",
                          m_nListId, nId, highlighted.c_str(), folder.c_str());
            item.pHighlighted.reset();
        }
    }
    m_items.push_back(std::move(item));
    return bLoaded;
}

void CGLItemList::SetNotify(HWND hWnd, int nListId, uint32_t nMessage) {
    m_hWnd = hWnd;
    m_nListId = nListId;
    m_nMessage = nMessage;
    m_bHasNotify = true;
}

void CGLItemList::SetFirst() { m_nCur = 0; }

void CGLItemList::SetNext() {
    if (m_items.empty()) return;
    m_nCur = (m_nCur + 1) % m_items.size();
}

bool CGLItemList::SetCurItem(int nId) {
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].nId == nId) {
            m_nCur = i;
            return true;
        }
    }
    platform::Log("Item list %d: no item with id %d; it keeps showing item %d", m_nListId, nId,
                  GetCurItemID());
    return false;
}

int CGLItemList::GetCurItemID() const {
    const SItem* pItem = Current();
    return pItem ? pItem->nId : kNoItem;
}

void CGLItemList::Release() {
    m_items.clear();
    m_nCur = 0;
    m_bPointerKnown = false;
}

void CGLItemList::ReleaseUploads() {
    for (SItem& item : m_items) {
        item.pNormal->ReleaseUpload();
        if (item.pHighlighted) item.pHighlighted->ReleaseUpload();
    }
}

const CGLItemList::SItem* CGLItemList::Current() const {
    return m_nCur < m_items.size() ? &m_items[m_nCur] : nullptr;
}

bool CGLItemList::IsClickable() const {
    const SItem* pItem = Current();
    return m_bHasNotify && pItem && pItem->pNormal->IsLoaded();
}

bool CGLItemList::HitTest(int x, int y) const {
    const SItem* pItem = Current();
    return pItem &&
           RectContains(pItem->x, pItem->y, pItem->pNormal->GetWidth(), pItem->pNormal->GetHeight(), x, y);
}

void CGLItemList::TrackPointer(int x, int y) {
    m_pointer = SPointer{x, y};
    m_bPointerKnown = true;
}

bool CGLItemList::IsHighlighted() const {
    // Measured against the current item at draw time, so an item the game has just
    // switched to shows its hover look without waiting for the pointer to move.
    const SItem* pItem = Current();
    return m_bPointerKnown && IsClickable() && pItem->pHighlighted && HitTest(m_pointer.x, m_pointer.y);
}

void CGLItemList::Press() {
    if (!PostMessageA(m_hWnd, m_nMessage, static_cast<uintptr_t>(m_nListId), 0))
        platform::Log("Item list %d: no window to notify of the click", m_nListId);
}

void CGLItemList::CollectDraw(std::vector<SWidgetDraw>& out) {
    const SItem* pItem = Current();
    if (!pItem || !pItem->pNormal->IsLoaded()) return;
    CGLTexture* pPicture = IsHighlighted() ? pItem->pHighlighted.get() : pItem->pNormal.get();
    out.push_back({pPicture, pItem->x, pItem->y, kFullShade});
}
