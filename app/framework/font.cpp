// CGLFont: prints with the baked atlas, one textured quad per glyph, positioned by the
// metrics (stb_truetype's baked-char convention: rows from the top, y offsets downward).
// Window thread.
#include "app/framework/font.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/framework/gl_context.h"
#include "app/framework/gl_screen_pass.h"
#include "app/framework/gl_texture_upload.h"
#include "app/framework/letterbox.h"
#include "app/framework/resource.h"
#include "platform/log.h"

namespace {

constexpr float kBakedPixelSize = 24.0f;  // the size the atlas was baked at
constexpr float kColorMax = 255.0f;
constexpr size_t kFirstBufferSize = 256;

// The atlas loaded last, for CreateFontA.
struct SBakedFont {
    CFontMetrics metrics;
    std::shared_ptr<SImage> atlas;
};
SBakedFont g_lastBaked;

std::string FormatText(const char* szFormat, va_list args) {
    std::vector<char> buf(kFirstBufferSize);
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(buf.data(), buf.size(), szFormat, copy);
    va_end(copy);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) >= buf.size()) {
        buf.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), szFormat, args);
    }
    return std::string(buf.data(), static_cast<size_t>(n));
}

}  // namespace

std::string CGLFont::MetricsFile(const std::string& file) {
    const size_t nDot = file.rfind('.');
    return (nDot == std::string::npos ? file : file.substr(0, nDot)) + ".txt";
}

CGLFont::~CGLFont() { Release(); }

bool CGLFont::CreateFontFromRes(CResource& pack, const std::string& file, const std::string& folder) {
    Release();
    const std::string where = CResource::JoinPath(folder, file);
    std::vector<uint8_t> bytes;
    if (!pack.ReadFile(folder, file, bytes)) {
        platform::Log("Font %s: the atlas cannot be read from the pack", where.c_str());
        return false;
    }
    auto pAtlas = std::make_shared<SImage>();
    std::string error;
    if (!DecodeTga(bytes.data(), bytes.size(), *pAtlas, error)) {
        platform::Log("Font %s: %s", where.c_str(), error.c_str());
        return false;
    }
    std::vector<uint8_t> text;
    if (!pack.ReadFile(folder, CGLFont::MetricsFile(file), text)) {
        platform::Log("Font %s: its metrics %s cannot be read", where.c_str(), CGLFont::MetricsFile(file).c_str());
        return false;
    }
    CFontMetrics metrics;
    if (!metrics.Parse(std::string(text.begin(), text.end()), error)) {
        platform::Log("Font %s: bad metrics: %s", where.c_str(), error.c_str());
        return false;
    }
    if (metrics.AtlasWidth() != pAtlas->nWidth || metrics.AtlasHeight() != pAtlas->nHeight) {
        platform::Log("Font %s: metrics are for a %dx%d atlas, the picture is %dx%d", where.c_str(),
                      metrics.AtlasWidth(), metrics.AtlasHeight(), pAtlas->nWidth, pAtlas->nHeight);
        return false;
    }
    m_metrics = metrics;
    m_pAtlas = pAtlas;
    m_fBaseScale = 1.0f;
    g_lastBaked = {metrics, pAtlas};
    return true;
}

bool CGLFont::CreateFontA(void* /*hdc*/, const char* szFace, int nSize) {
    Release();
    if (!g_lastBaked.atlas) {
        platform::Log("CreateFontA(%s, %d): no baked font is loaded yet", szFace ? szFace : "", nSize);
        return false;
    }
    m_metrics = g_lastBaked.metrics;
    m_pAtlas = g_lastBaked.atlas;
    m_fBaseScale = nSize == 0 ? 1.0f : static_cast<float>(std::abs(nSize)) / kBakedPixelSize;
    return true;
}

void CGLFont::SetColor(int r, int g, int b) {
    m_aColor[0] = r;
    m_aColor[1] = g;
    m_aColor[2] = b;
}

void CGLFont::Print(int x, int y, const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    const std::string text = FormatText(szFormat, args);
    va_end(args);
    NotifyPrint(x, y, 1.0f, text);
    DrawText(x, y, 1.0f, text.c_str());
}

void CGLFont::Print(int x, int y, float fScale, const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    const std::string text = FormatText(szFormat, args);
    va_end(args);
    NotifyPrint(x, y, fScale, text);
    DrawText(x, y, fScale, text.c_str());
}

void CGLFont::PrintOutlined(int x, int y, float fScale, const int aOutline[3], const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    const std::string text = FormatText(szFormat, args);
    va_end(args);
    NotifyPrint(x, y, fScale, text);
    const int aColor[3] = {m_aColor[0], m_aColor[1], m_aColor[2]};
    constexpr int kBold = 1;  // the strokes are drawn at x and x + kBold
    SetColor(aOutline[0], aOutline[1], aOutline[2]);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= kBold + 1; ++dx)
            if (dy != 0 || dx < 0 || dx > kBold) DrawText(x + dx, y + dy, fScale, text.c_str());
    SetColor(aColor[0], aColor[1], aColor[2]);
    for (int dx = 0; dx <= kBold; ++dx) DrawText(x + dx, y, fScale, text.c_str());
}

void CGLFont::NotifyPrint(int x, int y, float fScale, const std::string& text) const {
    if (m_printListener) m_printListener({x, y, fScale, text, m_aColor[0], m_aColor[1], m_aColor[2]});
}

int CGLFont::GetWidth(const std::string& text, float fScale) const {
    if (!m_pAtlas) return 0;
    return static_cast<int>(std::lround(m_metrics.TextWidth(text, fScale * m_fBaseScale)));
}

void CGLFont::DrawText(int x, int y, float fScale, const char* szText) {
    if (!m_pAtlas || CurrentGlContextGeneration() == 0 || szText == nullptr || *szText == '\0') return;
    if (m_nGlContext != CurrentGlContextGeneration()) {
        m_nGlTexture = UploadTexture(*m_pAtlas, ETextureUse::Screen);
        m_nGlContext = CurrentGlContextGeneration();
    }
    if (m_nGlTexture == 0) return;

    const float s = fScale * m_fBaseScale;
    const float fAtlasW = static_cast<float>(m_metrics.AtlasWidth());
    const float fAtlasH = static_cast<float>(m_metrics.AtlasHeight());
    const float fLineStep = std::round((m_metrics.Ascent() - m_metrics.Descent()) * s);
    CScreenPass pass(kLogicalWidth, kLogicalHeight);
    glColor4f(m_aColor[0] / kColorMax, m_aColor[1] / kColorMax, m_aColor[2] / kColorMax, 1.0f);
    float fPen = static_cast<float>(x);
    float fBaseline = static_cast<float>(y);
    for (const char* p = szText; *p != '\0'; ++p) {
        if (*p == '\n') {
            fPen = static_cast<float>(x);
            fBaseline -= fLineStep;
            continue;
        }
        const SGlyph& g = m_metrics.Glyph(*p);
        // Glyph corners on whole pixels, so text at scale 1 maps texel to pixel.
        const float fLeft = std::round(fPen + g.fXOff * s);
        const float fTop = std::round(fBaseline - g.fYOff * s);
        const float fRight = fLeft + (g.x1 - g.x0) * s;
        const float fBottom = fTop - (g.y1 - g.y0) * s;
        if (g.x1 > g.x0 && g.y1 > g.y0) {
            // Atlas rows count from the top; texture v from the bottom.
            DrawTexturedRect(m_nGlTexture, fLeft, fBottom, fRight, fTop, g.x0 / fAtlasW, 1.0f - g.y1 / fAtlasH,
                             g.x1 / fAtlasW, 1.0f - g.y0 / fAtlasH);
        }
        fPen += g.fAdvance * s;
    }
}

void CGLFont::Release() {
    if (m_nGlTexture != 0 && m_nGlContext == CurrentGlContextGeneration()) {
        const GLuint nName = m_nGlTexture;
        glDeleteTextures(1, &nName);
    }
    m_nGlTexture = 0;
    m_nGlContext = 0;
    m_pAtlas.reset();
    m_metrics = CFontMetrics();
    m_fBaseScale = 1.0f;
}
