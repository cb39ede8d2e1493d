// A hidden SDL window with a GL 2.1 compatibility context for the viewer, the drawing tests
// and the frame benchmark; with SDL_VIDEODRIVER=offscreen it needs no display. The context is
// noted and the object renderer installed, as the game window does. Window thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

class COffscreenGl {
public:
    COffscreenGl() = default;
    ~COffscreenGl();
    COffscreenGl(const COffscreenGl&) = delete;
    COffscreenGl& operator=(const COffscreenGl&) = delete;

    // False with a reason when SDL or GL cannot give a context. A hidden window is enough to
    // draw and read back; a shown one is for looking at.
    bool Create(int nWidth, int nHeight, bool bShown, std::string& error);
    void Destroy();
    bool IsCreated() const { return m_pContext != nullptr; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // The back buffer as RGBA, rows bottom-up.
    std::vector<uint8_t> ReadPixels() const;
    void Present();

private:
    SDL_Window* m_pWindow = nullptr;
    void* m_pContext = nullptr;
    int m_nWidth = 0, m_nHeight = 0;
};
