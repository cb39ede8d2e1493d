// The tools' own GL context on SDL.
#include "tools/viewer/gl_offscreen.h"

#include <GL/gl.h>
#include <SDL.h>

#include "app/framework/gl_context.h"
#include "app/framework/gl_renderer.h"

namespace {
constexpr int kGlMajor = 2;
constexpr int kGlMinor = 1;
constexpr int kDepthBits = 24;
}  // namespace

COffscreenGl::~COffscreenGl() { Destroy(); }

bool COffscreenGl::Create(int nWidth, int nHeight, bool bShown, std::string& error) {
    Destroy();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("SDL video: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, kGlMajor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kGlMinor);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, kDepthBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    m_pWindow = SDL_CreateWindow("Kelvo Dara viewer", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                 nWidth, nHeight, SDL_WINDOW_OPENGL | (bShown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN));
    if (m_pWindow == nullptr) {
        error = std::string("SDL window: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    m_pContext = SDL_GL_CreateContext(m_pWindow);
    if (m_pContext == nullptr || SDL_GL_MakeCurrent(m_pWindow, m_pContext) != 0) {
        error = std::string("GL context: ") + SDL_GetError();
        Destroy();
        return false;
    }
    SDL_GL_GetDrawableSize(m_pWindow, &m_nWidth, &m_nHeight);
    SDL_GL_SetSwapInterval(0);  // refused by some drivers; frames are not tied to the display anyway
    NoteGlContextCreated();
    InstallGlRenderer();
    glViewport(0, 0, m_nWidth, m_nHeight);
    return true;
}

void COffscreenGl::Destroy() {
    if (m_pContext != nullptr) {
        UninstallGlRenderer();
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_pContext));
        NoteGlContextDestroyed();
        m_pContext = nullptr;
    }
    if (m_pWindow != nullptr) {
        SDL_DestroyWindow(m_pWindow);
        m_pWindow = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    m_nWidth = m_nHeight = 0;
}

std::vector<uint8_t> COffscreenGl::ReadPixels() const {
    std::vector<uint8_t> pixels(static_cast<size_t>(m_nWidth) * static_cast<size_t>(m_nHeight) * 4);
    if (pixels.empty()) return pixels;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, m_nWidth, m_nHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glPopClientAttrib();
    return pixels;
}

void COffscreenGl::Present() {
    if (m_pWindow != nullptr) SDL_GL_SwapWindow(m_pWindow);
}
