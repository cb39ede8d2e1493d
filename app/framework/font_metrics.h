// The metrics of the baked texture font (textures/font.txt beside font.tga): glyph
// rectangles in the atlas and how far the pen moves. GL-free so text layout is testable.
#pragma once

#include <string>

struct SGlyph {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // atlas pixels, rows from the top of the picture
    float fXOff = 0, fYOff = 0;            // top-left of the glyph from the pen, y down
    float fAdvance = 0;                    // pen movement
};

class CFontMetrics {
public:
    // Parses the metrics text; false with a reason for a malformed file.
    bool Parse(const std::string& text, std::string& error);
    bool IsLoaded() const { return m_bLoaded; }
    int AtlasWidth() const { return m_nAtlasW; }
    int AtlasHeight() const { return m_nAtlasH; }
    float Ascent() const { return m_fAscent; }
    float Descent() const { return m_fDescent; }
    // The glyph of a character; characters outside 32..126 use '?'.
    const SGlyph& Glyph(char c) const;
    // Width of a text in pixels at the given scale.
    float TextWidth(const std::string& text, float fScale = 1.0f) const;

private:
    bool m_bLoaded = false;
    int m_nAtlasW = 0, m_nAtlasH = 0;
    float m_fAscent = 0, m_fDescent = 0;
    SGlyph m_glyphs[95];
};
