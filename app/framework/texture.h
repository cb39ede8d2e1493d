// A picture of the 2D layer: loaded from the pack, drawn at a position of the logical
// 800 x 600 screen (origin bottom-left). Once the GL texture holds the picture its pixels are
// let go (the driver keeps its own copy); they are decoded from the pack again when a new
// context or a caller needs them. Window thread.
#pragma once

#include <memory>
#include <string>

#include "app/framework/image.h"

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
    bool IsLoaded() const { return m_bLoaded; }
    int GetX() const { return m_nX; }
    int GetY() const { return m_nY; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    // The decoded picture (decoded again from the pack if its pixels were let go); null when
    // nothing is loaded or the pack no longer gives it. Valid until the next Draw or Release.
    const SImage* Image() const;
    // True when (x, y) of the screen lies on the picture's rectangle.
    bool Contains(int x, int y) const;

    // At its own position, in a screen of the given logical size, tinted by the colour
    // (0..255 each). Nothing while invisible or empty.
    void Draw(int nScreenW, int nScreenH, int r, int g, int b);
    // The same at (x, y).
    void Draw(int x, int y, int nScreenW, int nScreenH, int r, int g, int b);
    void Release();

private:
    // Decodes the remembered pack file into m_pImage; false (logged) when it cannot.
    bool Decode() const;

    CResource* m_pPack = nullptr;  // where the pixels come from again; must outlive the texture
    std::string m_strFile, m_strFolder;
    mutable std::shared_ptr<SImage> m_pImage;
    int m_nWidth = 0, m_nHeight = 0;
    bool m_bLoaded = false;
    unsigned m_nGlTexture = 0;   // created on first draw with a GL context
    unsigned m_nGlContext = 0;   // generation of the context it belongs to
    int m_nX = 0, m_nY = 0;
    bool m_bVisible = true;
};
