// CGLTexture: a pack picture decoded once, turned into a GL texture on the first draw in each
// GL context, drawn as a tinted, blended rectangle of the logical screen. Window thread.
#include "app/framework/texture.h"

#include <GL/gl.h>

#include <vector>

#include "app/framework/gl_context.h"
#include "app/framework/gl_screen_pass.h"
#include "app/framework/gl_texture_upload.h"
#include "app/framework/resource.h"
#include "platform/log.h"

namespace {
constexpr float kColorMax = 255.0f;
}  // namespace

CGLTexture::~CGLTexture() { Release(); }

bool CGLTexture::LoadImageFromRes(CResource& pack, const std::string& file, const std::string& folder) {
    Release();
    m_pPack = &pack;
    m_strFile = file;
    m_strFolder = folder;
    if (!Decode()) {
        m_pPack = nullptr;
        return false;
    }
    m_nWidth = m_pImage->nWidth;
    m_nHeight = m_pImage->nHeight;
    m_bLoaded = true;
    return true;
}

bool CGLTexture::Decode() const {
    std::vector<uint8_t> bytes;
    if (m_pPack == nullptr || !m_pPack->ReadFile(m_strFolder, m_strFile, bytes)) {
        platform::Log("Texture %s: cannot be read from the pack", CResource::JoinPath(m_strFolder, m_strFile).c_str());
        return false;
    }
    auto pImage = std::make_shared<SImage>();
    std::string error;
    if (!DecodeTga(bytes.data(), bytes.size(), *pImage, error)) {
        platform::Log("Texture %s: %s", CResource::JoinPath(m_strFolder, m_strFile).c_str(), error.c_str());
        return false;
    }
    m_pImage = std::move(pImage);
    return true;
}

const SImage* CGLTexture::Image() const {
    if (!m_pImage && m_bLoaded) Decode();
    return m_pImage.get();
}

bool CGLTexture::Contains(int x, int y) const {
    if (!m_bLoaded) return false;
    return x >= m_nX && x < m_nX + m_nWidth && y >= m_nY && y < m_nY + m_nHeight;
}

void CGLTexture::Draw(int nScreenW, int nScreenH, int r, int g, int b) {
    Draw(m_nX, m_nY, nScreenW, nScreenH, r, g, b);
}

void CGLTexture::Draw(int x, int y, int nScreenW, int nScreenH, int r, int g, int b) {
    if (!m_bVisible || !m_bLoaded || CurrentGlContextGeneration() == 0) return;
    if (m_nGlContext != CurrentGlContextGeneration()) {
        // A texture of an older context died with it; a failed upload is not retried (and
        // logged) every frame, only in the next context.
        const SImage* pImage = Image();
        m_nGlTexture = pImage ? UploadTexture(*pImage, ETextureUse::Screen) : 0;
        m_nGlContext = CurrentGlContextGeneration();
        if (m_nGlTexture != 0) m_pImage.reset();
    }
    if (m_nGlTexture == 0) return;
    CScreenPass pass(nScreenW, nScreenH);
    glColor4f(r / kColorMax, g / kColorMax, b / kColorMax, 1.0f);
    DrawTexturedRect(m_nGlTexture, static_cast<float>(x), static_cast<float>(y),
                     static_cast<float>(x + m_nWidth), static_cast<float>(y + m_nHeight),
                     0.0f, 0.0f, 1.0f, 1.0f);
}

void CGLTexture::Release() {
    if (m_nGlTexture != 0 && m_nGlContext == CurrentGlContextGeneration()) {
        const GLuint nName = m_nGlTexture;
        glDeleteTextures(1, &nName);
    }
    m_nGlTexture = 0;
    m_nGlContext = 0;
    m_pImage.reset();
    m_bLoaded = false;
    m_nWidth = m_nHeight = 0;
    m_pPack = nullptr;
}
