// CGLWnd: window life, the main loop, input and message dispatch, log.
#include "app/framework/gl_wnd.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <thread>
#include <utility>

#include "app/framework/gl_context.h"
#include "app/framework/gl_renderer.h"
#include "app/framework/headless_backend.h"
#include "app/framework/input_translate.h"
#include "app/framework/screenshot.h"
#include "app/framework/win_messages.h"
#include "app/framework/window_backend.h"
#include "platform/log.h"

namespace {

constexpr const char* kFrameworkVersion = "v1.0";
// A pass shorter than this sleeps the rest: about 250 frames a second at most.
constexpr int kMinPassMs = 4;
// Minimised or in the background there is nothing to see: sleep longer.
constexpr int kInactivePassMs = 20;
constexpr uint32_t kFpsIntervalMs = 1000;
// Messages served in one pass before the frame is drawn, and how long the pump waits for the
// next one of a running exchange.
constexpr auto kMessageBudget = std::chrono::milliseconds(10);
constexpr int kFollowUpWaitMs = 1;

thread_local std::string t_strLastError;

uint32_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::unique_ptr<IWindowBackend> MakeBackend(EWindowBackend kind) {
    return kind == EWindowBackend::Headless ? MakeHeadlessBackend() : MakeSdlBackend();
}

}  // namespace

CGLWnd::CGLWnd(EWindowBackend backend)
    : m_eBackend(backend), m_pBackend(MakeBackend(backend)), m_camera(DefaultCamera()),
      m_fCameraStep(kCameraZoomStep) {}

CGLWnd::~CGLWnd() { DestroyGLWindow(); }

bool CGLWnd::SetBackend(EWindowBackend backend) {
    if (m_bCreated) {
        platform::Log("The window backend cannot change while the window exists");
        return false;
    }
    m_eBackend = backend;
    m_pBackend = MakeBackend(backend);
    return true;
}

// ---- Default handlers: the framework's own do nothing. ----

bool CGLWnd::OnCommand(unsigned, long) { return false; }
bool CGLWnd::OnAppMessage(platform::SMessage&) { return false; }
void CGLWnd::OnKeyDown(unsigned, long) {}
void CGLWnd::OnMouseMove(unsigned, long) {}
void CGLWnd::OnLButtonDown(unsigned, long) {}
void CGLWnd::OnRButtonDown(unsigned, long) {}
void CGLWnd::OnLButtonUp(unsigned, long) {}
void CGLWnd::OnRButtonUp(unsigned, long) {}
void CGLWnd::OnKeyUp(unsigned, long) {}
void CGLWnd::OnMouseWheel(unsigned, long) {}

// ---- Window life. ----

int CGLWnd::CreateGLWindow(const char* title, int nWidth, int nHeight, int nBits,
                           bool bFullScreen, int /*nIconId*/, bool /*bFlag*/) {
    if (m_bCreated) {
        platform::Log("CreateGLWindow: the window already exists");
        return 0;
    }
    m_config.title = title ? title : "";
    m_config.nWidth = nWidth > 0 ? nWidth : kLogicalWidth;
    m_config.nHeight = nHeight > 0 ? nHeight : kLogicalHeight;
    m_config.nColorBits = nBits;
    if (nBits != 16 && nBits != 24 && nBits != 32)
        platform::Log("Colour depth of %d bits is not 16, 24 or 32: using 24-bit colour", nBits);
    if (!OpenWindow(bFullScreen)) return 0;
    PresentLoading();
    InitScene();
    return 1;
}

bool CGLWnd::OpenWindow(bool bFullScreen) {
    m_config.bFullScreen = bFullScreen;
    if (!m_pBackend->Create(m_config)) {
        SetLastErrorText("the window could not be created");
        return false;
    }
    m_bCreated = true;
    m_bFrameKept = false;  // a new window keeps nothing yet
    if (m_pBackend->HasGlContext()) {
        NoteGlContextCreated();
        InstallGlRenderer();
    }
    m_pBackend->ShowCursor(m_bCursorShown);
    m_bFrameMatricesValid = false;
    int w = 0, h = 0;
    m_pBackend->GetDrawableSize(w, h);
    m_viewport = LetterboxViewport(w, h);
    return true;
}

void CGLWnd::PresentLoading() {
    m_viewport = m_pBackend->BeginFrame();
    m_bInFrame = true;
    UpdateGLWindow();
    DrawLoading();
    m_bInFrame = false;
    m_pBackend->EndFrame();
}

void CGLWnd::DestroyGLWindow() {
    if (!m_bCreated) return;
    const bool bHadGl = m_pBackend->HasGlContext();
    if (bHadGl) UninstallGlRenderer();  // its GL objects go while the context is current
    m_pBackend->Destroy();
    m_bCreated = false;
    // Hot keys and the grab belong to the window that is gone.
    m_registeredHotKeys.clear();
    m_bKeyboardGrabbed = false;
    m_nHeldButtons = 0;
    m_bSwitchPending = false;
    m_bFrameMatricesValid = false;
    if (bHadGl) NoteGlContextDestroyed();
}

bool CGLWnd::SwitchWindow() {
    if (!m_bCreated) {
        platform::Log("SwitchWindow: there is no window to switch");
        return false;
    }
    const bool bToFullScreen = !IsFullScreen();
    DestroyGLWindow();
    if (!OpenWindow(bToFullScreen) && !OpenWindow(!bToFullScreen)) {
        platform::Log("SwitchWindow: no window could be made again; quitting");
        Quit(0);
        return false;
    }
    PresentLoading();
    InitScene();
    return true;
}

void CGLWnd::RequestSwitchWindow() {
    m_bSwitchPending = true;
    m_nSwitchAskedMs = NowMs();
    SwitchIfDue();
}

void CGLWnd::SwitchIfDue() {
    if (!m_bSwitchPending) return;
    if (m_nHeldButtons != 0 && NowMs() - m_nSwitchAskedMs < kSwitchHoldLimitMs) return;
    m_bSwitchPending = false;
    ReleaseScene();
    SwitchWindow();
}

bool CGLWnd::IsFullScreen() const { return m_bCreated && m_pBackend->IsFullScreen(); }
bool CGLWnd::IsActive() const { return m_bCreated && (m_bKeepingFrame || m_pBackend->IsActive()); }
void* CGLWnd::GetHDC() const { return m_bCreated ? m_pBackend->NativeContext() : nullptr; }
const char* CGLWnd::GetVersion() const { return kFrameworkVersion; }

bool CGLWnd::EnableVSync(bool bEnable) { return m_bCreated && m_pBackend->EnableVSync(bEnable); }

void CGLWnd::ShowGLCursor(bool bShow) {
    m_bCursorShown = bShow;
    if (m_bCreated) m_pBackend->ShowCursor(bShow);
}

void CGLWnd::SetWindowIcon(SImage icon) { m_config.icon = std::move(icon); }

void CGLWnd::SetWndTitle(const std::string& title) {
    m_config.title = title;
    if (m_bCreated) m_pBackend->SetTitle(title);
}

// ---- Main loop. ----

void CGLWnd::Quit(int nCode) {
    m_bQuit = true;
    m_nQuitCode = nCode;
}

int CGLWnd::MainLoop() {
    if (!m_bCreated) {
        platform::Log("MainLoop: there is no window");
        return 0;
    }
    long nHeadlessFrames = 0;
    while (!m_bQuit) {
        const uint32_t nStart = NowMs();
        RunPass();
        if (m_bQuit) break;
        if (m_eBackend == EWindowBackend::Headless && ++nHeadlessFrames >= m_nHeadlessFrameLimit) {
            platform::Log("Headless main loop stopped after %ld frames without a quit",
                          nHeadlessFrames);
            Quit(-1);
            break;
        }
        const int nPassMs = IsActive() ? kMinPassMs : kInactivePassMs;
        const uint32_t nElapsed = NowMs() - nStart;
        if (nElapsed < static_cast<uint32_t>(nPassMs))
            std::this_thread::sleep_for(std::chrono::milliseconds(nPassMs - nElapsed));
    }
    m_bQuit = false;  // the quit is used up: a later MainLoop runs again
    return m_nQuitCode;
}

bool CGLWnd::StepFrame() {
    if (!m_bCreated) {
        platform::Log("StepFrame: there is no window");
        return false;
    }
    if (!m_bQuit) RunPass();
    return !m_bQuit;
}

void CGLWnd::RunPass() {
    ProcessInput();
    if (m_bQuit) return;
    SwitchIfDue();
    if (m_bQuit) return;
    DrainQueue();
    if (m_bQuit || !m_bCreated) return;
    DrawFrame();
}

void CGLWnd::ProcessInput() {
    std::vector<platform::SMessage> input;
    bool bClose = false;
    m_pBackend->PollInput(input, bClose);
    // Injected input comes after the real input of the same pass.
    input.insert(input.end(), std::make_move_iterator(m_injected.begin()),
                 std::make_move_iterator(m_injected.end()));
    m_injected.clear();
    for (platform::SMessage& msg : input) {
        // Windows takes posted messages before input: what a press posted (a button's notify
        // that starts a repeat) is served before the release that stops it.
        ServePosted();
        if (m_bQuit || !m_bCreated) return;
        Dispatch(msg, true);
        if (m_bQuit) return;
    }
    if (bClose || m_bInjectedClose) {
        m_bInjectedClose = false;
        Quit(0);
    }
}

void CGLWnd::ServePosted() {
    // Only what is queued now: a handler that posts to itself cannot hold the input back.
    platform::SMessage msg;
    for (size_t nLeft = m_queue.Size(); nLeft > 0 && m_queue.TryPop(msg); --nLeft) {
        Dispatch(msg, false);
        if (m_bQuit || !m_bCreated) return;
    }
}

void CGLWnd::DrainQueue() {
    // Like a Windows message pump: while messages keep coming they are served before the
    // frame, so a worker that waits for each reply (the flick's records) is not held to one
    // reply per frame. The budget keeps a chatty worker, or a handler that posts to itself,
    // from starving the frames: the rest is served next pass.
    const auto deadline = std::chrono::steady_clock::now() + kMessageBudget;
    platform::SMessage msg;
    bool bServed = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!m_queue.TryPop(msg)) {
            // Nothing came at all: draw at once. Otherwise give the other side a moment to answer.
            if (!bServed || !m_queue.WaitPop(msg, kFollowUpWaitMs)) return;
        }
        bServed = true;
        Dispatch(msg, false);
        if (m_bQuit) return;
    }
}

void CGLWnd::DrawFrame() {
    // Inactive, the game draws nothing, and a cleared frame would show black: nothing is
    // cleared or presented then, so the last frame stays, and its copy is shown again where
    // the window is uncovered. The game is still called, as for any frame. The copy is read
    // back once, from one more frame drawn as active as the window goes inactive (a presented
    // back buffer holds nothing defined): a read-back of every frame costs a software
    // renderer a tenth of its frame.
    const bool bExposed = m_pBackend->TakeExposed();
    const bool bActive = IsActive();
    if (!bActive && m_bFrameKept) {
        DrawScene();
        if (bExposed) m_pBackend->ShowKeptFrame();
        OnFrameShown();
        return;
    }
    m_bKeepingFrame = !bActive;
    m_viewport = m_pBackend->BeginFrame();
    m_bInFrame = true;  // the camera applied now, and any change while drawing, made the depth
    UpdateGLWindow();
    DrawScene();
    m_bInFrame = false;
    if (!m_strScreenshotPath.empty()) {
        SaveScreenshot(m_strScreenshotPath);
        m_strScreenshotPath.clear();
    }
    if (m_bKeepingFrame) m_pBackend->KeepFrame();
    m_bKeepingFrame = false;
    m_bFrameKept = !bActive;
    m_pBackend->EndFrame();
    OnFrameShown();

    ++m_nFramesCounted;
    const uint32_t nNow = NowMs();
    if (m_nFpsStartMs == 0) m_nFpsStartMs = nNow;
    const uint32_t nSpan = nNow - m_nFpsStartMs;
    if (nSpan >= kFpsIntervalMs) {
        m_nFPS = static_cast<int>(static_cast<uint64_t>(m_nFramesCounted) * 1000 / nSpan);
        m_nFramesCounted = 0;
        m_nFpsStartMs = nNow;
    }
}

// ---- Dispatch. ----

void CGLWnd::NoteMouse(uint32_t nMsg, long pos) {
    m_nMouseX = PackedX(pos);
    m_nMouseY = kLogicalHeight - 1 - PackedY(pos);
    unsigned nBit = 0;
    bool bDown = false;
    switch (nMsg) {
        case WM_LBUTTONDOWN: nBit = MK_LBUTTON; bDown = true; break;
        case WM_LBUTTONUP: nBit = MK_LBUTTON; break;
        case WM_RBUTTONDOWN: nBit = MK_RBUTTON; bDown = true; break;
        case WM_RBUTTONUP: nBit = MK_RBUTTON; break;
        default: return;
    }
    const bool bWasHeld = m_nHeldButtons != 0;
    m_nHeldButtons = bDown ? (m_nHeldButtons | nBit) : (m_nHeldButtons & ~nBit);
    // While a button is held the window keeps the mouse, so a drag past its edge goes on.
    if (m_bCreated && bWasHeld != (m_nHeldButtons != 0))
        m_pBackend->CaptureMouse(m_nHeldButtons != 0);
}

bool CGLWnd::Dispatch(platform::SMessage& msg, bool bFromInput) {
    const auto w = static_cast<unsigned>(msg.wParam);
    const auto l = static_cast<long>(msg.lParam);
    switch (msg.nMsg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (bFromInput && w < 256) m_abKeyDown[w] = msg.nMsg == WM_KEYDOWN;
            if (msg.nMsg == WM_KEYDOWN)
                OnKeyDown(w, l);
            else
                OnKeyUp(w, l);
            return true;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEWHEEL:
            NoteMouse(msg.nMsg, l);
            if (msg.nMsg == WM_MOUSEMOVE) OnMouseMove(w, l);
            if (msg.nMsg == WM_LBUTTONDOWN) OnLButtonDown(w, l);
            if (msg.nMsg == WM_LBUTTONUP) OnLButtonUp(w, l);
            if (msg.nMsg == WM_RBUTTONDOWN) OnRButtonDown(w, l);
            if (msg.nMsg == WM_RBUTTONUP) OnRButtonUp(w, l);
            if (msg.nMsg == WM_MOUSEWHEEL) OnMouseWheel(w, l);
            return true;
        case WM_COMMAND: return OnCommand(w, l);
        case WM_QUIT: Quit(static_cast<int>(msg.wParam)); return true;
        default: return OnAppMessage(msg);
    }
}

bool CGLWnd::SendMessage(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) {
    platform::SMessage msg{nMsg, wParam, lParam, nullptr};
    return Dispatch(msg, false);
}

long CGLWnd::GetMousePos() const { return PackMousePos(m_nMouseX, m_nMouseY); }

int16_t CGLWnd::GetKeyState(int nVirtualKey) const {
    constexpr auto kDown = static_cast<int16_t>(0x8000);
    if (nVirtualKey < 0 || nVirtualKey >= 256) return 0;
    return m_abKeyDown[nVirtualKey] ? kDown : 0;
}

// ---- Injected input. ----

void CGLWnd::InjectKey(unsigned nVirtualKey, bool bDown, bool bRepeat, bool bAlt) {
    platform::SMessage msg;
    if (KeyEventToMessage(nVirtualKey, 0, bDown, bRepeat, bAlt, msg)) m_injected.push_back(std::move(msg));
}

void CGLWnd::InjectMouse(uint32_t nMsg, int x, int y, unsigned nWParamHigh) {
    // The flags describe the buttons after this event, as Windows reports them.
    unsigned nFlags = m_nHeldButtons;
    for (const platform::SMessage& m : m_injected) {
        if (m.nMsg == WM_LBUTTONDOWN) nFlags |= MK_LBUTTON;
        if (m.nMsg == WM_LBUTTONUP) nFlags &= ~MK_LBUTTON;
        if (m.nMsg == WM_RBUTTONDOWN) nFlags |= MK_RBUTTON;
        if (m.nMsg == WM_RBUTTONUP) nFlags &= ~MK_RBUTTON;
    }
    if (nMsg == WM_LBUTTONDOWN) nFlags |= MK_LBUTTON;
    if (nMsg == WM_LBUTTONUP) nFlags &= ~MK_LBUTTON;
    if (nMsg == WM_RBUTTONDOWN) nFlags |= MK_RBUTTON;
    if (nMsg == WM_RBUTTONUP) nFlags &= ~MK_RBUTTON;
    if (m_abKeyDown[VK_SHIFT]) nFlags |= MK_SHIFT;
    if (m_abKeyDown[VK_CONTROL]) nFlags |= MK_CONTROL;
    x = std::clamp(x, 0, kLogicalWidth - 1);
    y = std::clamp(y, 0, kLogicalHeight - 1);
    m_injected.push_back({nMsg, nFlags | nWParamHigh, PackMousePos(x, y)});
}

void CGLWnd::InjectMouseMove(int x, int y) { InjectMouse(WM_MOUSEMOVE, x, y, 0); }
void CGLWnd::InjectLButton(bool bDown, int x, int y) {
    InjectMouse(bDown ? WM_LBUTTONDOWN : WM_LBUTTONUP, x, y, 0);
}
void CGLWnd::InjectRButton(bool bDown, int x, int y) {
    InjectMouse(bDown ? WM_RBUTTONDOWN : WM_RBUTTONUP, x, y, 0);
}
void CGLWnd::InjectWheel(int nNotches, int x, int y) {
    InjectMouse(WM_MOUSEWHEEL, x, y, WheelWParam(nNotches, 0));
}

void CGLWnd::SetHeadlessActive(bool bActive) {
    if (auto* pHeadless = dynamic_cast<CHeadlessBackend*>(m_pBackend.get()))
        pHeadless->SetActive(bActive);
    else
        platform::Log("SetHeadlessActive: the window is not headless");
}

// ---- Log. ----

void CGLWnd::wlog(const char* fmt, ...) {
    char buf[2048];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    platform::Log("%s", buf);
}

void CGLWnd::SetLastErrorText(const std::string& text) { t_strLastError = text; }
std::string CGLWnd::GetLastErrorText() { return t_strLastError; }

void CGLWnd::LogLastError() {
    platform::Log("Last error: %s", t_strLastError.empty() ? "none" : t_strLastError.c_str());
}

// ---- Screenshots. ----

bool CGLWnd::SaveScreenshot(const std::string& pngPath) {
    if (!m_bCreated || !m_pBackend->HasGlContext()) {
        platform::Log("Screenshot %s: no GL window", pngPath.c_str());
        return false;
    }
    int w = 0, h = 0;
    m_pBackend->GetDrawableSize(w, h);
    return SaveGlPixelsPng(pngPath, 0, 0, w, h);
}
