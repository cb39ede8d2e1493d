// CGLTexture: a pack picture turned into a GL texture on the first draw in each GL context,
// drawn as a tinted, blended rectangle of the logical screen. Window thread.
#include "app/framework/texture.h"

#include <GL/gl.h>

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
    std::string error;
    if (!m_picture.Load(pack, folder, file, error)) {
        platform::Log("Texture %s: %s", CResource::JoinPath(folder, file).c_str(), error.c_str());
        return false;
    }
    m_picture.LetGo();
    return true;
}

bool CGLTexture::Contains(int x, int y) const {
    if (!IsLoaded()) return false;
    return x >= m_nX && x < m_nX + GetWidth() && y >= m_nY && y < m_nY + GetHeight();
}

void CGLTexture::Draw(int nScreenW, int nScreenH, int r, int g, int b) {
    Draw(m_nX, m_nY, nScreenW, nScreenH, r, g, b);
}

void CGLTexture::Draw(int x, int y, int nScreenW, int nScreenH, int r, int g, int b) {
    if (!m_bVisible || !IsLoaded() || CurrentGlContextGeneration() == 0) return;
    if (m_nGlContext != CurrentGlContextGeneration()) {
        // A texture of an older context died with it; a failed upload is not retried (and
        // logged) every frame, only in the next context.
        const SImage* pImage = Image();
        m_nGlTexture = pImage ? UploadTexture(*pImage, ETextureUse::Screen) : 0;
        m_nGlContext = CurrentGlContextGeneration();
        m_picture.LetGo();
    }
    if (m_nGlTexture == 0) return;
    CScreenPass pass(nScreenW, nScreenH);
    glColor4f(r / kColorMax, g / kColorMax, b / kColorMax, 1.0f);
    DrawTexturedRect(m_nGlTexture, static_cast<float>(x), static_cast<float>(y),
                     static_cast<float>(x + GetWidth()), static_cast<float>(y + GetHeight()),
                     0.0f, 0.0f, 1.0f, 1.0f);
}

void CGLTexture::Release() {
    ReleaseUpload();
    m_picture = CPackImage();
}

void CGLTexture::ReleaseUpload() {
    if (m_nGlTexture != 0 && m_nGlContext == CurrentGlContextGeneration()) {
        const GLuint nName = m_nGlTexture;
        glDeleteTextures(1, &nName);
    }
    m_nGlTexture = 0;
    m_nGlContext = 0;
}

bool CGLTexture::IsUploaded() const {
    return m_nGlTexture != 0 && m_nGlContext != 0 && m_nGlContext == CurrentGlContextGeneration();
}
