// Texture creation shared by the model renderer, the 2D textures and the font.
#include "app/framework/gl_texture_upload.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/log.h"

namespace {
constexpr int kMaxErrorReads = 16;
}  // namespace

unsigned UploadTexture(const SImage& image, ETextureUse use) {
    const size_t nExpected = static_cast<size_t>(image.nWidth) * static_cast<size_t>(image.nHeight) * 4;
    if (image.nWidth <= 0 || image.nHeight <= 0 || image.pixels.size() != nExpected) {
        platform::Log("Texture upload: picture %dx%d with %zu bytes is inconsistent", image.nWidth,
                      image.nHeight, image.pixels.size());
        return 0;
    }
    GLint nMaxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &nMaxSide);
    const bool bMipmaps = use == ETextureUse::Model;
    // gluBuild2DMipmaps scales a picture that is too large; a screen picture must stay exact.
    if (!bMipmaps && (image.nWidth > nMaxSide || image.nHeight > nMaxSide)) {
        platform::Log("Texture upload: %dx%d exceeds the GL limit of %d", image.nWidth, image.nHeight,
                      nMaxSide);
        return 0;
    }
    // Errors of earlier passes must not be blamed on this upload (bounded: a driver without a
    // context may never report GL_NO_ERROR).
    for (int i = 0; i < kMaxErrorReads && glGetError() != GL_NO_ERROR; ++i) {
    }

    GLint nPrevBinding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &nPrevBinding);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);

    GLuint nTexture = 0;
    glGenTextures(1, &nTexture);
    glBindTexture(GL_TEXTURE_2D, nTexture);
    GLenum eError = GL_NO_ERROR;
    if (bMipmaps) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        const GLint nGluError = gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, image.nWidth, image.nHeight,
                                                  GL_RGBA, GL_UNSIGNED_BYTE, image.pixels.data());
        if (nGluError != 0) eError = static_cast<GLenum>(nGluError);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.nWidth, image.nHeight, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, image.pixels.data());
    }
    if (eError == GL_NO_ERROR) eError = glGetError();

    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(nPrevBinding));
    glPopClientAttrib();
    if (eError != GL_NO_ERROR) {
        platform::Log("Texture upload: %dx%d failed: %s", image.nWidth, image.nHeight,
                      reinterpret_cast<const char*>(gluErrorString(eError)));
        glDeleteTextures(1, &nTexture);
        return 0;
    }
    return nTexture;
}
