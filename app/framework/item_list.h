// CGLItemList: a click-to-cycle selector. Only its current item is shown; a click on it
// posts the list's notify message and the game decides what comes next (SetNext), so
// lists that follow another one stay in step. Window thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/framework/texture.h"
#include "app/framework/widget_base.h"
#include "platform/window_queue.h"

class CResource;

class CGLItemList {
public:
    // GetCurItemID of a list without items.
    static constexpr int kNoItem = -1;

    CGLItemList() = default;
    ~CGLItemList();
    CGLItemList(const CGLItemList&) = delete;
    CGLItemList& operator=(const CGLItemList&) = delete;

    // Appends an item with its own bottom-left position. highlighted names the picture
    // shown under the pointer; empty for none. An item whose picture fails to load is
    // still appended (false, logged) so the ids keep their order; it shows nothing and
    // takes no click while current.
    bool AddItemFromRes(int x, int y, int nId, CResource& pack, const std::string& image,
                        const std::string& folder, const std::string& highlighted = {});
    // A click on the current item posts (message, list id, 0) to the window. A list
    // without a notify takes no click.
    void SetNotify(HWND hWnd, int nListId, uint32_t nMessage);
    void SetFirst();
    // The next item, from the last back to the first.
    void SetNext();
    // Makes the item with this id current (the first such item); an unknown id leaves the
    // list as it was (false, logged).
    bool SetCurItem(int nId);
    int GetCurItemID() const;
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int GetListID() const { return m_nListId; }
    // Frees every item; the notify stays. Safe to call again.
    void Release();
    // Lets the GL copies of every item's pictures go; the next draw uploads them again.
    void ReleaseUploads();

    // ---- used by the screen ----
    // Has a notify and a loaded current item: a click on it would be taken.
    bool IsClickable() const;
    bool HitTest(int x, int y) const;
    void TrackPointer(int x, int y);
    bool IsHighlighted() const;
    // Posts the notify message; only call for a clickable list.
    void Press();
    void CollectDraw(std::vector<SWidgetDraw>& out);

private:
    struct SItem {
        int nId = 0;
        int x = 0, y = 0;
        std::unique_ptr<CGLTexture> pNormal;
        std::unique_ptr<CGLTexture> pHighlighted;  // null when the item has none
    };
    const SItem* Current() const;

    std::vector<SItem> m_items;
    size_t m_nCur = 0;
    HWND m_hWnd = nullptr;
    int m_nListId = 0;
    uint32_t m_nMessage = 0;
    bool m_bHasNotify = false;
    SPointer m_pointer;  // where the screen last saw the pointer
    bool m_bPointerKnown = false;
};
