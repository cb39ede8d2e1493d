// The texture font: one baked atlas (textures/font.tga with its metrics textures/font.txt)
// drawn as blended quads on the logical 800 x 600 screen. A text's position (x, y) is the left
// end of its baseline, y counted up from the bottom; descenders go below y. Window thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/framework/font_metrics.h"
#include "app/framework/image.h"

class CResource;

// One print as asked for, before anything is drawn: text after formatting, baseline start,
// scale and the colour in force.
struct SFontPrint {
    int x = 0, y = 0;
    float fScale = 1.0f;
    std::string text;
    int r = 0, g = 0, b = 0;
};
using FontPrintListener = std::function<void(const SFontPrint&)>;

class CGLFont {
public:
    CGLFont() = default;
    ~CGLFont();
    CGLFont(const CGLFont&) = delete;
    CGLFont& operator=(const CGLFont&) = delete;

    // Loads the atlas picture file from folder and its metrics (the same name with .txt).
    // False (logged) leaves the font empty; an empty font prints nothing.
    bool CreateFontFromRes(CResource& pack, const std::string& file, const std::string& folder);
    // The metrics file that goes with an atlas picture: "<name>.tga" -> "<name>.txt".
    static std::string MetricsFile(const std::string& file);
    // The system-font call of the original framework: we ship one font, so this uses the
    // atlas loaded last by CreateFontFromRes, scaled so its baked size becomes |nSize| pixels
    // (0 keeps it). False (logged) when no atlas was loaded yet. Face and device are ignored.
    bool CreateFontA(void* hdc, const char* szFace, int nSize);
    bool IsLoaded() const { return m_pAtlas != nullptr; }

    // Colour of the following prints, 0..255 each; white at first.
    void SetColor(int r, int g, int b);
    // printf-style text with the baseline's left end at (x, y).
    void Print(int x, int y, const char* szFormat, ...) __attribute__((format(printf, 4, 5)));
    void Print(int x, int y, float fScale, const char* szFormat, ...)
        __attribute__((format(printf, 5, 6)));
    // Like Print, drawn heavier for a headline over a busy picture: the strokes thickened by a
    // pixel to the right and ringed by a one-pixel outline in the colour aOutline (0..255 each).
    void PrintOutlined(int x, int y, float fScale, const int aOutline[3], const char* szFormat, ...)
        __attribute__((format(printf, 6, 7)));
    // Advance width of a text in logical pixels at the given scale, rounded.
    int GetWidth(const std::string& text, float fScale = 1.0f) const;
    const CFontMetrics& Metrics() const { return m_metrics; }
    void Release();
    // Told of every Print, with or without a GL context or atlas (headless tests watch the
    // texts this way); an empty listener removes it.
    void SetPrintListener(FontPrintListener listener) { m_printListener = std::move(listener); }

private:
    void DrawText(int x, int y, float fScale, const char* szText);
    void NotifyPrint(int x, int y, float fScale, const std::string& text) const;

    CFontMetrics m_metrics;
    std::shared_ptr<SImage> m_pAtlas;
    float m_fBaseScale = 1.0f;  // from CreateFontA's size
    unsigned m_nGlTexture = 0;
    unsigned m_nGlContext = 0;  // context generation of the texture
    int m_aColor[3] = {255, 255, 255};
    FontPrintListener m_printListener;
};
