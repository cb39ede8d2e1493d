// The real window: SDL2 with a legacy (compatibility) OpenGL context, resizable, full
// screen at the desktop resolution. Translates SDL events to Windows messages. Window thread.
#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "app/framework/gl_state_guard.h"
#include "app/framework/input_translate.h"
#include "app/framework/video_start.h"
#include "app/framework/win_messages.h"
#include "app/framework/window_backend.h"
#include "app/framework/x11_display.h"
#include "platform/log.h"

namespace {

constexpr int kPreferredDepthBits = 24;
constexpr int kFallbackDepthBits = 16;
constexpr int kKeptPixelBytes = 4;  // BGRA

class CSdlBackend : public IWindowBackend {
public:
    ~CSdlBackend() override {
        Destroy();
        if (m_bVideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Create(const SWindowConfig& config) override;
    void Destroy() override;
    bool HasGlContext() const override { return m_context != nullptr; }
    void PollInput(std::vector<platform::SMessage>& out, bool& bQuit) override;
    SViewportRect BeginFrame() override;
    void EndFrame() override {
        // A driver that shows nothing need not finish a frame to swap it; finished here, its
        // frames cost what a shown frame costs.
        if (m_bPresentsNothing) glFinish();
        if (m_pWindow) SDL_GL_SwapWindow(m_pWindow);
    }
    void KeepFrame() override;
    bool ShowKeptFrame() override;
    bool TakeExposed() override { return std::exchange(m_bExposed, false); }
    bool IsFullScreen() const override;
    bool IsActive() const override;
    void SetDrawsUnfocused(bool bDraw) override { m_bDrawsUnfocused = bDraw; }
    void SetTitle(const std::string& title) override {
        if (m_pWindow) SDL_SetWindowTitle(m_pWindow, title.c_str());
    }
    void ShowCursor(bool bShow) override { SDL_ShowCursor(bShow ? SDL_ENABLE : SDL_DISABLE); }
    bool EnableVSync(bool bEnable) override;
    bool SetKeyboardGrab(bool bGrab) override;
    void CaptureMouse(bool bCapture) override;
    bool ReadDepth(int x, int y, float& depth) override;
    void GetDrawableSize(int& w, int& h) const override;
    void* NativeContext() const override { return m_context; }

private:
    bool StartVideo();
    bool CreateWindowAndContext(const SWindowConfig& config, bool bFullScreen);
    void CoverScreen();
    void SetIcon(const SImage& icon);
    void AddMouseMessage(std::vector<platform::SMessage>& out, uint32_t nMsg, int x, int y);
    void AddKeyMessage(std::vector<platform::SMessage>& out, const SDL_KeyboardEvent& key);

    SDL_Window* m_pWindow = nullptr;
    SDL_GLContext m_context = nullptr;
    // Video stays started from the first window to the backend's end, so a window switch
    // keeps its display connection.
    bool m_bVideoStarted = false;
    bool m_bFocusLost = false;   // focus events come only where a window manager gives focus
    bool m_bDrawsUnfocused = false;
    bool m_bPresentsNothing = false;
    bool m_bExposed = false;
    // Full screen made by hand where no window manager would do it: a window over the screen.
    bool m_bCoversScreen = false;
    std::vector<uint8_t> m_keptPixels;  // the last frame presented, bottom row first
    int m_nKeptWidth = 0, m_nKeptHeight = 0;
    unsigned m_nKeptFrame = 0;  // texture that shows the kept pixels again
    uint32_t m_nButtons = 0;     // SDL button mask, kept from the events themselves
    int m_nLastX = 0, m_nLastY = 0;  // last mouse position, window pixels
};

void SetColorAttributes(int nColorBits) {
    // Only an explicit 16 asks for 5/6/5; any other value (a broken setting too) gets full colour.
    const bool bHigh = nColorBits != 16;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, bHigh ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, bHigh ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, bHigh ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

bool CSdlBackend::StartVideo() {
    if (!m_bVideoStarted) m_bVideoStarted = TakeCheckedVideo() || StartSdlVideo();
    return m_bVideoStarted;
}

bool CSdlBackend::Create(const SWindowConfig& config) {
    if (m_pWindow) Destroy();
    if (!StartVideo()) return false;
    m_bPresentsNothing = IsInvisibleVideoDriver(SDL_GetCurrentVideoDriver());
    m_bFocusLost = false;
    m_bExposed = false;
    m_bCoversScreen = false;
    m_nButtons = 0;
    if (config.bFullScreen) {
        if (CreateWindowAndContext(config, true)) return true;
        platform::Log("Full screen refused (%s); opening a window instead", SDL_GetError());
    }
    if (CreateWindowAndContext(config, false)) return true;
    Destroy();
    return false;
}

bool CSdlBackend::CreateWindowAndContext(const SWindowConfig& config, bool bFullScreen) {
    for (int nDepthBits : {kPreferredDepthBits, kFallbackDepthBits}) {
        SetColorAttributes(config.nColorBits);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, nDepthBits);
        uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE;
        if (bFullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        m_pWindow = SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                     SDL_WINDOWPOS_CENTERED, config.nWidth, config.nHeight, flags);
        if (!m_pWindow) {
            platform::Log("SDL_CreateWindow failed: %s", SDL_GetError());
            continue;
        }
        if (bFullScreen && !WindowManagerRuns(m_pWindow)) CoverScreen();
        SetIcon(config.icon);
        m_context = SDL_GL_CreateContext(m_pWindow);
        if (m_context && SDL_GL_MakeCurrent(m_pWindow, m_context) == 0) return true;
        platform::Log("No GL context with %d depth bits: %s", nDepthBits, SDL_GetError());
        if (m_context) SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
        SDL_DestroyWindow(m_pWindow);
        m_pWindow = nullptr;
    }
    return false;
}

void CSdlBackend::CoverScreen() {
    // Full screen is the window manager's work: without one the window would keep its size
    // while SDL reports the screen's. A plain window the size of the screen does the same.
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_pWindow)), &bounds) != 0) {
        platform::Log("Screen size unknown (%s): the window stays as it is", SDL_GetError());
        return;
    }
    SDL_SetWindowFullscreen(m_pWindow, 0);
    SDL_SetWindowBordered(m_pWindow, SDL_FALSE);
    SDL_SetWindowPosition(m_pWindow, bounds.x, bounds.y);
    SDL_SetWindowSize(m_pWindow, bounds.w, bounds.h);
    m_bCoversScreen = true;
    platform::Log("No window manager: the window covers the %dx%d screen itself", bounds.w,
                  bounds.h);
}

void CSdlBackend::SetIcon(const SImage& icon) {
    if (icon.nWidth <= 0 || icon.nHeight <= 0 ||
        icon.pixels.size() != static_cast<size_t>(icon.nWidth) * icon.nHeight * 4)
        return;
    SDL_Surface* pSurface = SDL_CreateRGBSurfaceWithFormat(0, icon.nWidth, icon.nHeight, 32,
                                                           SDL_PIXELFORMAT_ABGR8888);
    if (!pSurface) {
        platform::Log("No window icon: %s", SDL_GetError());
        return;
    }
    // SImage rows run bottom-up, a surface's top-down.
    const size_t nRowBytes = static_cast<size_t>(icon.nWidth) * 4;
    for (int y = 0; y < icon.nHeight; ++y)
        std::copy_n(icon.pixels.data() + (icon.nHeight - 1 - y) * nRowBytes, nRowBytes,
                    static_cast<uint8_t*>(pSurface->pixels) + y * pSurface->pitch);
    SDL_SetWindowIcon(m_pWindow, pSurface);
    SDL_FreeSurface(pSurface);
}

void CSdlBackend::Destroy() {
    if (m_nButtons != 0) SDL_CaptureMouse(SDL_FALSE);
    m_nButtons = 0;
    if (m_nKeptFrame != 0 && m_context) glDeleteTextures(1, &m_nKeptFrame);
    m_nKeptFrame = 0;
    m_keptPixels.clear();
    m_keptPixels.shrink_to_fit();
    m_nKeptWidth = m_nKeptHeight = 0;
    if (m_context) SDL_GL_DeleteContext(m_context);
    m_context = nullptr;
    if (m_pWindow) SDL_DestroyWindow(m_pWindow);
    m_pWindow = nullptr;
}

void CSdlBackend::AddMouseMessage(std::vector<platform::SMessage>& out, uint32_t nMsg, int x,
                                  int y) {
    m_nLastX = x;
    m_nLastY = y;
    int w = 0, h = 0;
    SDL_GetWindowSize(m_pWindow, &w, &h);
    int lx = 0, ly = 0;
    WindowToLogical(x, y, w, h, lx, ly);
    const unsigned flags = MouseFlags(m_nButtons, static_cast<uint16_t>(SDL_GetModState()));
    out.push_back({nMsg, flags, PackMousePos(lx, ly)});
}

void CSdlBackend::AddKeyMessage(std::vector<platform::SMessage>& out,
                                const SDL_KeyboardEvent& key) {
    platform::SMessage msg;
    const bool bAlt = (key.keysym.mod & KMOD_ALT) != 0;
    if (KeyEventToMessage(SdlKeyToVirtualKey(key.keysym.sym, key.keysym.scancode),
                          static_cast<unsigned>(key.keysym.scancode), key.type == SDL_KEYDOWN,
                          key.repeat != 0, bAlt, msg))
        out.push_back(std::move(msg));
}

void CSdlBackend::PollInput(std::vector<platform::SMessage>& out, bool& bQuit) {
    bQuit = false;
    if (!m_pWindow) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_QUIT: bQuit = true; break;
            case SDL_WINDOWEVENT:
                // A window made again for a mode switch gets the focus events its predecessor
                // left in the queue; a late "focus lost" of the old one would keep the new one
                // inactive, undrawn, for good.
                if (e.window.windowID != SDL_GetWindowID(m_pWindow)) break;
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) m_bFocusLost = true;
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) m_bFocusLost = false;
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                    e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                    m_bExposed = true;
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: AddKeyMessage(out, e.key); break;
            case SDL_MOUSEMOTION: AddMouseMessage(out, WM_MOUSEMOVE, e.motion.x, e.motion.y); break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const bool bDown = e.type == SDL_MOUSEBUTTONDOWN;
                const uint32_t bit = SDL_BUTTON(e.button.button);
                m_nButtons = bDown ? (m_nButtons | bit) : (m_nButtons & ~bit);
                if (e.button.button == SDL_BUTTON_LEFT)
                    AddMouseMessage(out, bDown ? WM_LBUTTONDOWN : WM_LBUTTONUP, e.button.x,
                                    e.button.y);
                else if (e.button.button == SDL_BUTTON_RIGHT)
                    AddMouseMessage(out, bDown ? WM_RBUTTONDOWN : WM_RBUTTONUP, e.button.x,
                                    e.button.y);
                break;
            }
            case SDL_MOUSEWHEEL: {
                int notches = e.wheel.y;
                if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
                if (notches == 0) break;
                AddMouseMessage(out, WM_MOUSEWHEEL, m_nLastX, m_nLastY);
                out.back().wParam = WheelWParam(notches, static_cast<unsigned>(out.back().wParam));
                break;
            }
            default: break;
        }
    }
}

SViewportRect CSdlBackend::BeginFrame() {
    int w = 0, h = 0;
    GetDrawableSize(w, h);
    const SViewportRect vp = LetterboxViewport(w, h);
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(vp.x, vp.y, vp.w, vp.h);
    return vp;
}

void CSdlBackend::KeepFrame() {
    // Every frame: by the time the window is found inactive its last frame is already
    // presented, and the back buffer then holds nothing defined. Read back in the buffer's own
    // byte order, a plain copy on a software renderer; a copy to a texture would be a whole
    // extra drawing pass there (the window's rows are stored upside down).
    int w = 0, h = 0;
    GetDrawableSize(w, h);
    m_keptPixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * kKeptPixelBytes);
    m_nKeptWidth = w;
    m_nKeptHeight = h;
    GLint nAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &nAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, kKeptPixelBytes);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, m_keptPixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, nAlignment);
}

bool CSdlBackend::ShowKeptFrame() {
    int w = 0, h = 0;
    GetDrawableSize(w, h);
    if (m_keptPixels.empty() || w != m_nKeptWidth || h != m_nKeptHeight) return false;
    {
        CGlStateGuard guard;
        CGlClipSpace clipSpace;
        for (GLenum cap :
             {GL_DEPTH_TEST, GL_LIGHTING, GL_BLEND, GL_ALPHA_TEST, GL_FOG, GL_CULL_FACE})
            glDisable(cap);
        glEnable(GL_TEXTURE_2D);
        if (m_nKeptFrame == 0) glGenTextures(1, &m_nKeptFrame);
        glBindTexture(GL_TEXTURE_2D, m_nKeptFrame);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        GLint nAlignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &nAlignment);
        glPixelStorei(GL_UNPACK_ALIGNMENT, kKeptPixelBytes);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, m_keptPixels.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, nAlignment);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glViewport(0, 0, w, h);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-1.0f, -1.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(1.0f, -1.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(1.0f, 1.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
        glEnd();
    }
    SDL_GL_SwapWindow(m_pWindow);
    return true;
}

bool CSdlBackend::IsFullScreen() const {
    return m_pWindow &&
           (m_bCoversScreen || (SDL_GetWindowFlags(m_pWindow) & SDL_WINDOW_FULLSCREEN) != 0);
}

bool CSdlBackend::IsActive() const {
    if (!m_pWindow) return false;
    const uint32_t flags = SDL_GetWindowFlags(m_pWindow);
    return (flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0 && (!m_bFocusLost || m_bDrawsUnfocused);
}

bool CSdlBackend::EnableVSync(bool bEnable) {
    if (SDL_GL_SetSwapInterval(bEnable ? 1 : 0) == 0) return true;
    platform::Log("The GL driver keeps its own frame pacing (VSync %s not offered: %s)", bEnable ? "on" : "off",
                  SDL_GetError());
    return false;
}

bool CSdlBackend::SetKeyboardGrab(bool bGrab) {
    if (!m_pWindow) return false;
    SDL_SetWindowKeyboardGrab(m_pWindow, bGrab ? SDL_TRUE : SDL_FALSE);
    return true;
}

void CSdlBackend::CaptureMouse(bool bCapture) {
    // Drivers without capture (offscreen) refuse; the drag then ends at the window edge.
    SDL_CaptureMouse(bCapture ? SDL_TRUE : SDL_FALSE);
}

bool CSdlBackend::ReadDepth(int x, int y, float& depth) {
    if (!m_context) return false;
    int w = 0, h = 0;
    GetDrawableSize(w, h);
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    constexpr int kMaxStaleErrors = 16;  // GL keeps a handful of error flags at most
    for (int i = 0; i < kMaxStaleErrors && glGetError() != GL_NO_ERROR; ++i) {
    }
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return glGetError() == GL_NO_ERROR;
}

void CSdlBackend::GetDrawableSize(int& w, int& h) const {
    w = h = 0;
    if (m_pWindow) SDL_GL_GetDrawableSize(m_pWindow, &w, &h);
}

}  // namespace

std::unique_ptr<IWindowBackend> MakeSdlBackend() { return std::make_unique<CSdlBackend>(); }
