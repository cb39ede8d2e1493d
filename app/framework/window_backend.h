// What CGLWnd needs from a window system: the SDL backend (a real window with a GL
// context) or the headless backend (no window, no GL; tests feed it input). Window thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/framework/image.h"
#include "app/framework/letterbox.h"
#include "platform/window_queue.h"

struct SWindowConfig {
    std::string title;
    int nWidth = kLogicalWidth;
    int nHeight = kLogicalHeight;
    int nColorBits = 32;
    bool bFullScreen = false;
    SImage icon;  // the window list's picture; none when empty
};

class IWindowBackend {
public:
    virtual ~IWindowBackend() = default;

    // Makes the window (and its GL context, current on this thread). False, logged, on failure.
    virtual bool Create(const SWindowConfig& config) = 0;
    virtual void Destroy() = 0;
    virtual bool HasGlContext() const = 0;

    // Input since the last call, as Windows messages with logical positions (y from the top).
    // bQuit is set when the user asked to close the window.
    virtual void PollInput(std::vector<platform::SMessage>& out, bool& bQuit) = 0;

    // Frame: clears the whole window and sets the letterboxed viewport, which it returns.
    virtual SViewportRect BeginFrame() = 0;
    virtual void EndFrame() = 0;
    // The picture of an inactive window: KeepFrame, before EndFrame, copies the frame just
    // drawn aside; ShowKeptFrame shows the copy again and presents it, false when none is kept
    // for the window's present size.
    virtual void KeepFrame() = 0;
    virtual bool ShowKeptFrame() = 0;
    // True once after the window was uncovered or resized: its picture must be shown again.
    virtual bool TakeExposed() = 0;

    virtual bool IsFullScreen() const = 0;
    virtual bool IsActive() const = 0;
    // A window that must keep drawing for someone else (a game played over the network) counts
    // as active without the focus, while shown.
    virtual void SetDrawsUnfocused(bool /*bDraw*/) {}
    virtual void SetTitle(const std::string& title) = 0;
    virtual void ShowCursor(bool bShow) = 0;
    virtual bool EnableVSync(bool bEnable) = 0;
    // Keeps the keyboard (ALT+TAB included) with the window; false when refused.
    virtual bool SetKeyboardGrab(bool bGrab) = 0;
    // Keeps mouse events coming while a button is held outside the window.
    virtual void CaptureMouse(bool bCapture) = 0;
    // The depth value at a framebuffer pixel of the last frame; false without GL.
    virtual bool ReadDepth(int x, int y, float& depth) = 0;
    // Framebuffer size in pixels.
    virtual void GetDrawableSize(int& w, int& h) const = 0;
    // The GL context (the device context's stand-in); null without one.
    virtual void* NativeContext() const = 0;
};

std::unique_ptr<IWindowBackend> MakeSdlBackend();
std::unique_ptr<IWindowBackend> MakeHeadlessBackend();
