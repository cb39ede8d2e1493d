// CGLMenu: an image button with a normal and a highlighted picture. It knows its state
// (visible, enabled, under the pointer); the screen that holds it routes input and posts
// the notify message. Window thread.
#pragma once

#include <string>
#include <vector>

#include "app/framework/texture.h"
#include "app/framework/widget_base.h"

class CResource;
class CSound;

class CGLMenu {
public:
    CGLMenu() = default;
    ~CGLMenu();
    CGLMenu(const CGLMenu&) = delete;
    CGLMenu& operator=(const CGLMenu&) = delete;

    // The command number the button reports when pressed.
    void Create(int nId);
    // Loads "<base>.<type>" and the highlighted "<base>a.<type>" (type in lower case, as
    // the pack stores the pictures) from folder. Without its normal picture the button
    // draws nothing and takes no click (false, logged); a missing highlighted picture
    // only leaves the button without a hover look (logged, still true).
    bool LoadFromRes(CResource& pack, const std::string& base, const std::string& folder,
                     const std::string& type);
    // Bottom-left corner in the logical screen.
    void SetPos(int x, int y);
    void SetVisible(bool bVisible) { m_bVisible = bVisible; }
    // A disabled button draws dimmed, shows no highlight and takes no click.
    void Enable(bool bEnable) { m_bEnabled = bEnable; }
    // Played on every press; null plays nothing. The button does not own the sound.
    void SetSound(CSound* pSound) { m_pSound = pSound; }
    void Release();
    // Lets the GL copies of both pictures go; the next draw uploads them again.
    void ReleaseUploads();

    int GetID() const { return m_nId; }
    int GetX() const { return m_nX; }
    int GetY() const { return m_nY; }
    int GetWidth() const { return m_normal.GetWidth(); }
    int GetHeight() const { return m_normal.GetHeight(); }
    bool IsVisible() const { return m_bVisible; }
    bool IsEnabled() const { return m_bEnabled; }
    bool IsLoaded() const { return m_normal.IsLoaded(); }
    bool HasHighlightImage() const { return m_highlighted.IsLoaded(); }
    // Visible, enabled and loaded: the button would take a click on its picture.
    bool IsClickable() const { return m_bVisible && m_bEnabled && IsLoaded(); }
    // Shown highlighted: clickable and the pointer is over it.
    bool IsHighlighted() const { return m_bPointerOver && IsClickable(); }

    // ---- used by the screen, which may place the button away from its own position ----
    // Whether (x, y) lies on the picture placed with its bottom-left corner at (left, bottom).
    bool HitTestAt(int nLeft, int nBottom, int x, int y) const;
    // Records whether the pointer is over the picture placed at (left, bottom).
    void TrackPointerAt(int nLeft, int nBottom, int x, int y);
    // A press: plays the sound. Only call for a clickable button.
    void Press();
    // Appends what the button shows when placed at (left, bottom); nothing when hidden or
    // not loaded.
    void CollectDrawAt(int nLeft, int nBottom, std::vector<SWidgetDraw>& out);

private:
    CGLTexture m_normal;
    CGLTexture m_highlighted;
    CSound* m_pSound = nullptr;
    int m_nId = 0;
    int m_nX = 0, m_nY = 0;
    bool m_bVisible = true;
    bool m_bEnabled = true;
    bool m_bPointerOver = false;
};
