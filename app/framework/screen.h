// CGLScreen: one menu screen made of pictures, image buttons and selectors. It routes the
// pointer to its controls, posts the notify message of a pressed button, and draws
// pictures first, then buttons, then selectors, each group in the order added. Window thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/framework/widget_base.h"
#include "platform/window_queue.h"

class CGLItemList;
class CGLMenu;
class CGLTexture;
class CResource;

class CGLScreen {
public:
    CGLScreen();
    ~CGLScreen();
    CGLScreen(const CGLScreen&) = delete;
    CGLScreen& operator=(const CGLScreen&) = delete;

    // A pressed button posts (message, screen id, button id) to hWnd. Creating again
    // empties the screen first.
    void Create(HWND hWnd, int nScreenId, uint32_t nNotifyMessage);

    // The button is placed where it stands now (its SetPos), and stays there on this
    // screen even if it is moved for another screen later; the game shares one button
    // between screens at different places. Not owned.
    void AddMenu(CGLMenu* pMenu);
    void AddMenu(CGLMenu* pMenu, int x, int y);
    // Drawn at the picture's own position, read at every draw. Not owned.
    void AddTexture(CGLTexture* pTexture);
    // Drawn at (x, y) on this screen only; the picture may be shared. Not owned.
    void AddTexture(CGLTexture* pTexture, int x, int y);
    // Loads a picture that belongs to this screen (freed by Release). False, logged, and
    // nothing added when it does not load.
    bool AddTextureFromRes(int x, int y, CResource& pack, const std::string& file,
                           const std::string& folder);
    // Not owned.
    void AddItemList(CGLItemList* pList);

    void Draw();
    // What Draw hands to CGLTexture::Draw, in drawing order; later entries lie on top.
    std::vector<SWidgetDraw> CollectDraws() const;

    // Screens use no keys themselves: the game decides what every key does, so a key
    // here would be handled twice. Always false.
    bool OnKeyDown(unsigned nKey, long nFlags = 0);
    // Updates which control shows its hover look.
    void OnMouseMove(unsigned nFlags, long nPos);
    // True when a visible, enabled control under the pointer took the click: the topmost
    // one (selectors, then buttons, latest added first). Disabled and hidden controls let
    // the click through.
    bool OnMouseLButtonDown(unsigned nFlags, long nPos);

    // Frees the owned pictures and forgets every control; safe to call again.
    void Release();
    // Lets the GL copies of every picture it shows go, shared ones included; the screen stays
    // whole and uploads them again when next drawn.
    void ReleaseUploads();

    int GetID() const { return m_nScreenId; }

private:
    struct SPlacedMenu {
        CGLMenu* pMenu = nullptr;
        int x = 0, y = 0;
    };
    struct SPlacedTexture {
        CGLTexture* pTexture = nullptr;
        bool bOwnPosition = true;  // false: at x, y below
        int x = 0, y = 0;
    };

    HWND m_hWnd = nullptr;
    int m_nScreenId = 0;
    uint32_t m_nNotifyMessage = 0;
    std::vector<SPlacedTexture> m_textures;
    std::vector<std::unique_ptr<CGLTexture>> m_ownedTextures;
    std::vector<SPlacedMenu> m_menus;
    std::vector<CGLItemList*> m_lists;
};
