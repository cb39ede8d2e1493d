// A picture of the 2D layer: loaded from the pack, drawn at a position of the logical
// 800 x 600 screen (origin bottom-left). It holds no pixels of its own between uses: they are
// checked on load, decoded again for the upload to each new context or for a caller, and let
// go again, so screens that are not shown cost no memory. Window thread.
#pragma once

#include <string>

#include "app/framework/pack_image.h"

class CResource;

class CGLTexture {
public:
    CGLTexture() = default;
    ~CGLTexture();
    CGLTexture(const CGLTexture&) = delete;
    CGLTexture& operator=(const CGLTexture&) = delete;

    // Loads file from folder of the pack; false (logged) leaves the texture empty, and an
    // empty texture draws nothing.
    bool LoadImageFromRes(CResource& pack, const std::string& file, const std::string& folder);
    void SetPos(int x, int y) { m_nX = x; m_nY = y; }
    void SetVisible(bool bVisible) { m_bVisible = bVisible; }
    bool IsVisible() const { return m_bVisible; }
    bool IsLoaded() const { return m_picture.IsLoaded(); }
    int GetX() const { return m_nX; }
    int GetY() const { return m_nY; }
    int GetWidth() const { return m_picture.Width(); }
    int GetHeight() const { return m_picture.Height(); }
    // The decoded picture (decoded again from the pack if its pixels were let go); null when
    // nothing is loaded or the pack no longer gives it. Valid until the next Draw or Release.
    const SImage* Image() const { return m_picture.Pixels(); }
    bool HoldsPixels() const { return m_picture.HoldsPixels(); }
    // True when (x, y) of the screen lies on the picture's rectangle.
    bool Contains(int x, int y) const;

    // At its own position, in a screen of the given logical size, tinted by the colour
    // (0..255 each). Nothing while invisible or empty.
    void Draw(int nScreenW, int nScreenH, int r, int g, int b);
    // The same at (x, y).
    void Draw(int x, int y, int nScreenW, int nScreenH, int r, int g, int b);
    void Release();
    // Deletes the GL copy but keeps the picture: the next draw uploads it again from the pack.
    void ReleaseUpload();
    // A GL texture of the current context holds the picture.
    bool IsUploaded() const;

private:
    CPackImage m_picture;  // its pack must outlive the texture
    unsigned m_nGlTexture = 0;   // created on first draw with a GL context
    unsigned m_nGlContext = 0;   // generation of the context it belongs to
    int m_nX = 0, m_nY = 0;
    bool m_bVisible = true;
};
