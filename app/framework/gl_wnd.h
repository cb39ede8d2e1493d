// CGLWnd: the game's window with its GL context, main loop, input handlers, camera and log.
// Window thread: every member runs on the thread that created the window, except that any
// thread may post to the queue GetHWND() returns, and wlog/LogLastError may be called anywhere.
//
// Positions passed to the mouse handlers are packed as Windows packs them (x in the low 16
// bits, y in the high 16 bits) in logical pixels of the 800 x 600 screen with y counted from
// the TOP, like Windows client coordinates; GetWorldCoord takes the same x, y. The 2D screen
// draws with the origin bottom-left: the last mouse position (GetMouseX/GetMouseY) is kept in
// that system (y_up = 599 - y_top), which is what the screens and widgets use.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/framework/camera.h"
#include "app/framework/letterbox.h"
#include "app/framework/window_backend.h"
#include "app/framework/world_pick.h"
#include "platform/window_queue.h"

// A scene point: x, y (height), z.
typedef float glPoint[3];

enum class EWindowBackend {
    Sdl,       // a real window with a GL context (the game)
    Headless,  // no window, GL or audio; input is injected and frames stepped by tests
};

// Stand-ins for GlobalAddAtomA / GlobalDeleteAtom: a non-zero id per distinct name (0 for
// an empty name), counted; the id is freed when every add has been deleted.
uint16_t GlobalAddAtomA(const char* name);
void GlobalDeleteAtom(uint16_t atom);

class CGLWnd {
public:
    explicit CGLWnd(EWindowBackend backend = EWindowBackend::Sdl);
    virtual ~CGLWnd();  // slot 0
    CGLWnd(const CGLWnd&) = delete;
    CGLWnd& operator=(const CGLWnd&) = delete;

    // The backend is chosen before CreateGLWindow; false (and no change) once a window exists.
    bool SetBackend(EWindowBackend backend);
    EWindowBackend GetBackend() const { return m_eBackend; }

    // ---- Handlers (virtual slots 1 to 16), called on the window thread. ----
    // wParam's low word is the command (kCmdSwitchWindow for ALT+ENTER; the high word is 1
    // from the accelerator). The base handles nothing.
    virtual bool OnCommand(unsigned wParam, long lParam);
    // Messages posted to GetHWND() (or sent) that are not input; true when handled. The
    // handler may take the message's payload over; what it leaves is freed with the message.
    virtual bool OnAppMessage(platform::SMessage& msg);
    // Called by the game before every SwitchWindow (the framework never calls it itself).
    virtual void ReleaseScene() {}
    // key: virtual-key code; flags: as MakeKeyFlags (bit 30 set on auto-repeat).
    virtual void OnKeyDown(unsigned key, long flags);
    virtual void OnMouseMove(unsigned flags, long pos);
    virtual void OnLButtonDown(unsigned flags, long pos);
    virtual void OnRButtonDown(unsigned flags, long pos);
    virtual void OnLButtonUp(unsigned flags, long pos);
    virtual void OnRButtonUp(unsigned flags, long pos);
    virtual void OnKeyUp(unsigned key, long flags);
    // Once a frame, with the window cleared, the letterboxed viewport set and the camera
    // applied (perspective and look-at matrices); the framework swaps afterwards.
    virtual void DrawScene() {}
    // After each presented frame (the buffers swapped).
    virtual void OnFrameShown() {}
    // After the window is created and after every switch; DrawLoading runs just before it,
    // and its picture is shown while InitScene works.
    virtual void InitScene() {}
    virtual void DrawLoading() {}
    // wParam: wheel distance in the high word (+120 per notch away from the user), button
    // flags in the low word; lParam: packed position.
    virtual void OnMouseWheel(unsigned wParam, long lParam);
    // Turn the eye about the target by angle radians (0: a step of 0.02): azimuth += angle
    // (left) or -= angle (right), eye placed from it, view updated.
    virtual void RotateCameraLeft(float fAngle);
    virtual void RotateCameraRight(float fAngle);

    // ---- Window. ----
    // Opens the window (colour bits 16 or 32; iconId and the last flag are not used) and runs
    // DrawLoading then InitScene. Full screen takes the desktop's resolution and falls back
    // to a window. Returns 1, or 0 (logged) when no window can be made.
    int CreateGLWindow(const char* title, int nWidth, int nHeight, int nBits, bool bFullScreen,
                       int nIconId, bool bFlag);
    // Runs until Quit (or WM_QUIT posted with the code in wParam, or the window closed: 0) and
    // returns the code. Each pass: input to the handlers, then the messages waiting in the
    // queue (those that were there when the pass began) to OnAppMessage, then one frame; a
    // pass shorter than 4 ms sleeps the rest. Headless, it also stops after the frame limit.
    int MainLoop();
    // One pass of MainLoop (tests, headless); false once a quit has been asked for.
    bool StepFrame();
    // PostQuitMessage: MainLoop returns code after the current pass.
    void Quit(int nCode);
    bool IsQuitRequested() const { return m_bQuit; }
    int GetQuitCode() const { return m_nQuitCode; }
    // Destroys the window and makes it again in the other mode, then runs DrawLoading and
    // InitScene. False when neither mode could be made (the loop then quits with 0).
    bool SwitchWindow();
    // ReleaseScene, then SwitchWindow: at once, or, while a mouse button is held, once it is let
    // go (or after kSwitchHoldLimitMs). A window destroyed under a held button never gets the
    // release, and SDL would then take the next press of that button for the same hold and
    // drop it: the player's next click would be lost.
    void RequestSwitchWindow();
    bool IsSwitchPending() const { return m_bSwitchPending; }
    static constexpr uint32_t kSwitchHoldLimitMs = 500;
    void DestroyGLWindow();
    bool IsCreated() const { return m_bCreated; }

    bool IsFullScreen() const;
    // Shown, not minimised, and not left for another window (with no window manager giving
    // focus, as under bare Xvfb, a shown window counts as active). An inactive window keeps
    // showing its last active frame.
    bool IsActive() const;
    void SetDrawsUnfocused(bool bDraw) { m_pBackend->SetDrawsUnfocused(bDraw); }
    HWND GetHWND() { return &m_queue; }
    // The GL context (no device contexts here); null headless.
    void* GetHDC() const;
    int GetFPS() const { return m_nFPS; }
    // Refusal is logged and not fatal.
    bool EnableVSync(bool bEnable);
    void ShowGLCursor(bool bShow);
    bool IsGLCursorShown() const { return m_bCursorShown; }
    void SetWndTitle(const std::string& title);
    // The window list's picture (RGBA, as decoded from the pack) for every window made after.
    void SetWindowIcon(SImage icon);
    const std::string& GetWndTitle() const { return m_config.title; }
    const char* GetVersion() const;
    // The letterboxed viewport of the last frame, framebuffer pixels.
    SViewportRect GetViewport() const { return m_viewport; }

    // ---- Messages and input state. ----
    // SendMessageA: dispatches at once on the window thread (input messages to their handlers,
    // WM_COMMAND to OnCommand, WM_QUIT to Quit, the rest to OnAppMessage); true when handled.
    bool SendMessage(uint32_t nMsg, uintptr_t wParam, intptr_t lParam);
    // GetKeyState: the high bit (0x8000 as a negative short) while the key is down.
    int16_t GetKeyState(int nVirtualKey) const;
    // The last mouse position of any mouse message, logical, origin bottom-left.
    int GetMouseX() const { return m_nMouseX; }
    int GetMouseY() const { return m_nMouseY; }
    // The same packed (x low, y high), as the screens and widgets take it.
    long GetMousePos() const;

    // ---- ALT+TAB hot key (kept by grabbing the keyboard while full screen). ----
    // RegisterHotKey / UnregisterHotKey stand-ins: false (with the last error set) when there
    // is no window, the id is taken or unknown, or the grab is refused.
    bool RegisterHotKey(uint16_t nId, unsigned nModifiers, unsigned nVirtualKey);
    bool UnregisterHotKey(uint16_t nId);
    // The whole registration the game does in full screen, with its log lines on failure.
    bool RegisterAltTabHotKey();
    void UnregisterAltTabHotKey();
    uint16_t GetHotKeyId() const { return m_nHotKeyId; }
    bool IsKeyboardGrabbed() const { return m_bKeyboardGrabbed; }

    // ---- Camera. ----
    stCamGeom& GetCamera() { return m_camera; }
    const stCamGeom& GetCamera() const { return m_camera; }
    void SetCamera(const stCamGeom& cam) { m_camera = cam; }
    // Back to the default view (white's side) and the default zoom step.
    void ResetCamera();
    void CalcRads() { CalcCameraRads(m_camera); }
    void MoveCameraAroundUp();
    void MoveCameraAroundDown();
    // Applies the record: gluPerspective (45 degrees, 4:3) and gluLookAt from eye and target.
    void UpdateGLWindow();
    // Distance of one zoom step.
    float GetCameraStep() const { return m_fCameraStep; }
    void SetCameraStep(float fStep) { m_fCameraStep = fStep; }
    // The scene point under logical pixel (x, y from the top). With GL: the depth of the last
    // frame there, unprojected with that frame's matrices; true on a drawn surface, false on
    // empty background (out then lies on the far plane). Headless (no depth buffer): the point
    // where the ray meets the board plane y = 0 for the current camera; false when it misses
    // (out then far away). Positions outside the screen are clamped to its edge.
    bool GetWorldCoord(int x, int y, float out[3]);
    // The point of the board plane y = 0 under logical pixel (x, y), through the same pixel
    // and matrices as GetWorldCoord: what is drawn there (an aiming hand, a draught, nothing)
    // does not move it. False when the ray misses the plane (out then far away).
    bool GetBoardPoint(int x, int y, float out[3]);

    // ---- Log. ----
    static void wlog(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
    // Logs the text of the last framework failure on this thread (GetLastError's stand-in).
    static void LogLastError();
    static void SetLastErrorText(const std::string& text);
    static std::string GetLastErrorText();

    // ---- Screenshots (GL only). ----
    // Writes the frame being drawn (call it from DrawScene) as a PNG; false, logged, headless
    // or when the file cannot be written.
    bool SaveScreenshot(const std::string& pngPath);
    // Saves the next frame once DrawScene has drawn it.
    void RequestScreenshot(const std::string& pngPath) { m_strScreenshotPath = pngPath; }

    // ---- Injected input (tests; both backends). Coordinates as the handlers get them. ----
    // Handled in the next pass like real input, in order, before the queued messages.
    void InjectKey(unsigned nVirtualKey, bool bDown, bool bRepeat = false, bool bAlt = false);
    void InjectMouseMove(int x, int y);
    void InjectLButton(bool bDown, int x, int y);
    void InjectRButton(bool bDown, int x, int y);
    void InjectWheel(int nNotches, int x, int y);
    // The window's close button.
    void InjectCloseRequest() { m_bInjectedClose = true; }
    // Headless only: stands for the window being minimised or losing focus.
    void SetHeadlessActive(bool bActive);
    // Headless MainLoop ends after this many frames without a quit (logged, code -1).
    void SetHeadlessFrameLimit(long nFrames) { m_nHeadlessFrameLimit = nFrames; }

protected:
    // The handler call for one message; true when handled.
    bool Dispatch(platform::SMessage& msg, bool bFromInput);

private:
    bool OpenWindow(bool bFullScreen);
    void PresentLoading();
    void RunPass();
    void ProcessInput();
    // Serves the messages queued at the call, none that they post.
    void ServePosted();
    void DrainQueue();
    void DrawFrame();
    void NoteMouse(uint32_t nMsg, long pos);
    void PlaceEyeFromAzimuth();
    void InjectMouse(uint32_t nMsg, int x, int y, unsigned nWParamHigh);
    // A frame has been drawn with GL: its depth and matrices can be read.
    bool HasFramePicture() const;

    EWindowBackend m_eBackend;
    std::unique_ptr<IWindowBackend> m_pBackend;
    platform::CWindowQueue m_queue;
    SWindowConfig m_config;
    bool m_bCreated = false;

    bool m_bQuit = false;
    int m_nQuitCode = 0;
    long m_nHeadlessFrameLimit = 15000;

    std::deque<platform::SMessage> m_injected;
    bool m_bInjectedClose = false;
    unsigned m_nHeldButtons = 0;  // MK_LBUTTON / MK_RBUTTON of the input so far
    void SwitchIfDue();
    bool m_bSwitchPending = false;
    uint32_t m_nSwitchAskedMs = 0;
    bool m_abKeyDown[256] = {};
    int m_nMouseX = 0, m_nMouseY = 0;

    bool m_bCursorShown = true;
    bool m_bKeyboardGrabbed = false;
    std::set<uint16_t> m_registeredHotKeys;
    uint16_t m_nHotKeyId = 0;

    stCamGeom m_camera;
    float m_fCameraStep;
    SViewportRect m_viewport;
    SViewProjection m_frameMatrices;  // the matrices the last frame's depth was drawn with
    bool m_bFrameMatricesValid = false;
    bool m_bInFrame = false;
    bool m_bKeepingFrame = false;  // the frame drawn as the window goes inactive, read back
    bool m_bFrameKept = false;     // since the window went inactive

    int m_nFPS = 0;
    int m_nFramesCounted = 0;
    uint32_t m_nFpsStartMs = 0;
    std::string m_strScreenshotPath;
};
