// CGLWnd on the headless backend: creation, input reaching the handlers with Windows
// arguments, posted messages, quitting, window switches, hot key, camera and picking.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/app_messages.h"
#include "app/framework/dx_version.h"
#include "app/framework/gl_wnd.h"
#include "app/framework/input_translate.h"
#include "app/framework/message_box.h"
#include "app/framework/win_messages.h"
#include "platform/event.h"
#include "platform/log.h"
#include "log_capture.h"

namespace {

struct SCall {
    std::string name;
    uint64_t a = 0;
    int64_t b = 0;
};

// Records every handler call with its arguments.
class CRecordingWnd : public CGLWnd {
public:
    CRecordingWnd() : CGLWnd(EWindowBackend::Headless) {}

    std::vector<SCall> calls;
    int nDraws = 0;
    int nQuitOnDraw = -1;  // Quit(18) from this draw on
    bool bSwitchOnCommand = true;

    bool OnCommand(unsigned w, long l) override {
        calls.push_back({"OnCommand", w, l});
        if (bSwitchOnCommand && (w & 0xFFFF) == kCmdSwitchWindow) {
            RequestSwitchWindow();
            return true;
        }
        return false;
    }
    bool OnAppMessage(platform::SMessage& m) override {
        calls.push_back({"App" + std::to_string(m.nMsg), m.wParam, m.lParam});
        return m.nMsg != WM_USER + 99;
    }
    void ReleaseScene() override { calls.push_back({"ReleaseScene"}); }
    void OnKeyDown(unsigned k, long f) override { calls.push_back({"KeyDown", k, f}); }
    void OnKeyUp(unsigned k, long f) override { calls.push_back({"KeyUp", k, f}); }
    void OnMouseMove(unsigned f, long p) override { calls.push_back({"Move", f, p}); }
    void OnLButtonDown(unsigned f, long p) override { calls.push_back({"LDown", f, p}); }
    void OnLButtonUp(unsigned f, long p) override { calls.push_back({"LUp", f, p}); }
    void OnRButtonDown(unsigned f, long p) override { calls.push_back({"RDown", f, p}); }
    void OnRButtonUp(unsigned f, long p) override { calls.push_back({"RUp", f, p}); }
    void OnMouseWheel(unsigned w, long l) override { calls.push_back({"Wheel", w, l}); }
    void DrawScene() override {
        ++nDraws;
        calls.push_back({"DrawScene"});
        if (nQuitOnDraw >= 0 && nDraws >= nQuitOnDraw) Quit(18);
    }
    void InitScene() override { calls.push_back({"InitScene"}); }
    void DrawLoading() override { calls.push_back({"DrawLoading"}); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const SCall& c : calls) names.push_back(c.name);
        return names;
    }
    bool Create(bool bFullScreen = false) {
        return CreateGLWindow("Kelvo Dara", 800, 600, 32, bFullScreen, 103, false) != 0;
    }
};

// Captures log lines for the test's life.
TEST(HeadlessWindow, CreateRunsDrawLoadingThenInitScene) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    EXPECT_EQ(wnd.Names(), (std::vector<std::string>{"DrawLoading", "InitScene"}));
    EXPECT_TRUE(wnd.IsActive());
    EXPECT_FALSE(wnd.IsFullScreen());
    EXPECT_EQ(wnd.GetHDC(), nullptr);
    EXPECT_EQ(wnd.GetWndTitle(), "Kelvo Dara");
    EXPECT_FALSE(std::string(wnd.GetVersion()).empty());
    wnd.SetHeadlessActive(false);
    EXPECT_FALSE(wnd.IsActive());
    EXPECT_FALSE(wnd.CreateGLWindow("again", 800, 600, 32, false, 0, false)) << "one window only";
}

TEST(HeadlessWindow, KeysReachTheHandlersWithCodesAndFlags) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.calls.clear();
    wnd.InjectKey(VK_SHIFT, true);
    wnd.InjectKey(VK_LEFT, true);
    wnd.InjectKey(VK_LEFT, true, true);
    wnd.InjectKey(VK_LEFT, false);
    ASSERT_TRUE(wnd.StepFrame());
    ASSERT_EQ(wnd.calls.size(), 5u);
    EXPECT_EQ(wnd.calls[0].name, "KeyDown");
    EXPECT_EQ(wnd.calls[0].a, VK_SHIFT);
    EXPECT_EQ(wnd.calls[1].name, "KeyDown");
    EXPECT_EQ(wnd.calls[1].a, VK_LEFT);
    EXPECT_EQ((wnd.calls[1].b >> 30) & 1, 0) << "first press";
    EXPECT_EQ((wnd.calls[2].b >> 30) & 1, 1) << "auto-repeat";
    EXPECT_EQ(wnd.calls[3].name, "KeyUp");
    EXPECT_EQ(wnd.calls[3].a, VK_LEFT);
    EXPECT_EQ((wnd.calls[3].b >> 31) & 1, 1);
    EXPECT_EQ(wnd.calls[4].name, "DrawScene");
    EXPECT_LT(wnd.GetKeyState(VK_SHIFT), 0) << "SHIFT is held";
    EXPECT_EQ(wnd.GetKeyState(VK_LEFT), 0);
    wnd.InjectKey(VK_SHIFT, false);
    wnd.StepFrame();
    EXPECT_EQ(wnd.GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(wnd.GetKeyState(-1), 0);
    EXPECT_EQ(wnd.GetKeyState(100000), 0);
}

TEST(HeadlessWindow, MouseReachesTheHandlersWithPackedTopDownPositions) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.calls.clear();
    wnd.InjectMouseMove(10, 20);
    wnd.InjectLButton(true, 123, 456);
    wnd.InjectMouseMove(130, 460);
    wnd.InjectLButton(false, 131, 461);
    wnd.InjectRButton(true, 799, 599);
    wnd.InjectRButton(false, 900, -40);  // outside: clamped to the edge
    ASSERT_TRUE(wnd.StepFrame());
    struct Expect {
        const char* name;
        unsigned flags;
        int x, y;
    };
    const Expect expected[] = {{"Move", 0, 10, 20},
                               {"LDown", MK_LBUTTON, 123, 456},
                               {"Move", MK_LBUTTON, 130, 460},
                               {"LUp", 0, 131, 461},
                               {"RDown", MK_RBUTTON, 799, 599},
                               {"RUp", 0, 799, 0}};
    ASSERT_GE(wnd.calls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const SCall& c = wnd.calls[i];
        EXPECT_EQ(c.name, expected[i].name) << "call " << i;
        EXPECT_EQ(c.a, expected[i].flags) << "call " << i << " " << c.name;
        EXPECT_EQ(PackedX(c.b), expected[i].x) << "call " << i << " " << c.name;
        EXPECT_EQ(PackedY(c.b), expected[i].y) << "call " << i << " " << c.name;
    }
    // The last position is kept for the screens with the origin bottom-left.
    EXPECT_EQ(wnd.GetMouseX(), 799);
    EXPECT_EQ(wnd.GetMouseY(), 599);
    wnd.InjectMouseMove(100, 0);
    wnd.StepFrame();
    EXPECT_EQ(wnd.GetMouseX(), 100);
    EXPECT_EQ(wnd.GetMouseY(), 599) << "the top row is 599 from the bottom";
    EXPECT_EQ(PackedY(wnd.GetMousePos()), 599);
    wnd.InjectMouseMove(5, 599);
    wnd.StepFrame();
    EXPECT_EQ(wnd.GetMouseY(), 0);
}

TEST(HeadlessWindow, WheelGivesTheWindowsWordsAndShiftShowsInMouseFlags) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.calls.clear();
    wnd.InjectWheel(1, 400, 300);
    wnd.InjectWheel(-1, 400, 300);
    wnd.InjectKey(VK_SHIFT, true);
    wnd.StepFrame();
    wnd.InjectMouseMove(1, 2);
    wnd.StepFrame();
    ASSERT_EQ(wnd.Names(), (std::vector<std::string>{"Wheel", "Wheel", "KeyDown", "DrawScene",
                                                     "Move", "DrawScene"}));
    EXPECT_EQ(wnd.calls[0].name, "Wheel");
    EXPECT_EQ(static_cast<int16_t>(wnd.calls[0].a >> 16), 120);
    EXPECT_GE(static_cast<int32_t>(wnd.calls[0].a), 0x10000) << "away from the user";
    EXPECT_EQ(static_cast<int16_t>(wnd.calls[1].a >> 16), -120);
    EXPECT_LT(static_cast<int32_t>(wnd.calls[1].a), 0x10000) << "toward the user";
    EXPECT_EQ(PackedX(wnd.calls[1].b), 400);
    EXPECT_EQ(wnd.calls[4].a, MK_SHIFT);
}

TEST(HeadlessWindow, PostedMessagesReachOnAppMessageInOrderBeforeLaterInput) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.calls.clear();
    constexpr int kCount = 200;
    std::thread poster([&wnd] {
        for (int i = 0; i < kCount; ++i)
            PostMessageA(wnd.GetHWND(), WM_USER + 16, static_cast<uintptr_t>(i), -i);
    });
    poster.join();
    wnd.InjectKey('A', true);
    ASSERT_TRUE(wnd.StepFrame());
    ASSERT_EQ(wnd.calls.size(), static_cast<size_t>(kCount + 2));
    EXPECT_EQ(wnd.calls[kCount].name, "KeyDown") << "what was posted before the input comes first";
    for (int i = 0; i < kCount; ++i) {
        const SCall& c = wnd.calls[static_cast<size_t>(i)];
        EXPECT_EQ(c.name, "App" + std::to_string(WM_USER + 16));
        EXPECT_EQ(c.a, static_cast<uint64_t>(i)) << "message " << i;
        EXPECT_EQ(c.b, -i) << "message " << i;
    }
    EXPECT_EQ(wnd.calls.back().name, "DrawScene");
}

// A handler that posts again each time must not keep a pass from ever drawing.
class CRepostingWnd : public CRecordingWnd {
public:
    bool OnAppMessage(platform::SMessage& m) override {
        ++nHandled;
        PostMessageA(GetHWND(), m.nMsg, m.wParam + 1, m.lParam);
        return true;
    }
    int nHandled = 0;
};

TEST(HeadlessWindow, AHandlerThatPostsToItselfForeverStillLetsFramesBeDrawn) {
    CRepostingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    PostMessageA(wnd.GetHWND(), WM_USER + 1, 0, 0);
    int nBefore = 0;
    for (int pass = 1; pass <= 3; ++pass) {
        const auto begin = std::chrono::steady_clock::now();
        ASSERT_TRUE(wnd.StepFrame());
        const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        EXPECT_EQ(wnd.nDraws, pass) << "every pass draws its frame";
        EXPECT_GT(wnd.nHandled, nBefore) << "pass " << pass << " served the message";
        EXPECT_LT(ms, 200.0) << "pass " << pass << " was held by the endless messages";
        nBefore = wnd.nHandled;
    }
}

// A worker that waits for the window's answer to each message, as the flick's records do.
class CAnsweringWnd : public CRecordingWnd {
public:
    bool OnAppMessage(platform::SMessage&) override {
        ++nHandled;
        answered.Set();
        return true;
    }
    int nHandled = 0;
    platform::CEvent answered;
};

TEST(HeadlessWindow, AWorkerWaitingForEachAnswerIsServedWithinOnePass) {
    constexpr int kExchanges = 200;  // a flick of two seconds
    // Passes as the main loop makes them, a few milliseconds apart. One answer per pass would
    // take 200 passes; a pump that keeps serving needs a pass only where the worker was slower
    // than the pump's wait for its next message (a preempted thread on a busy machine). Under
    // ThreadSanitizer every exchange is that slow, so only the answers are checked there.
#if defined(__SANITIZE_THREAD__)
    constexpr bool kTimingsHold = false;
#else
    constexpr bool kTimingsHold = true;
#endif
    constexpr int kMostPasses = kExchanges / 2;
    constexpr auto kPassInterval = std::chrono::milliseconds(4);
    CAnsweringWnd wnd;
    ASSERT_TRUE(wnd.Create());
    std::atomic<int> nAnswered{0};
    std::jthread worker([&](std::stop_token stop) {
        for (int i = 0; i < kExchanges && !stop.stop_requested(); ++i) {
            PostMessageA(wnd.GetHWND(), WM_USER + 2, static_cast<uintptr_t>(i), 0);
            if (!wnd.answered.Wait(stop, 5000)) return;
            ++nAnswered;
        }
    });
    // Let the first message arrive, as it would after a click.
    for (int i = 0; i < 500 && wnd.GetHWND()->Size() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int nPasses = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (nAnswered.load() < kExchanges && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(wnd.StepFrame());
        ++nPasses;
        std::this_thread::sleep_for(kPassInterval);
    }
    EXPECT_EQ(kExchanges, wnd.nHandled);
    if (kTimingsHold) {
        EXPECT_LE(nPasses, kMostPasses) << "answers were held to the frames";
    }
}

TEST(HeadlessWindow, SendMessageDispatchesAtOnce) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.calls.clear();
    EXPECT_TRUE(wnd.SendMessage(WM_KEYDOWN, VK_TAB, 0));
    EXPECT_TRUE(wnd.SendMessage(WM_USER + 6, 0, 0));
    EXPECT_FALSE(wnd.SendMessage(WM_USER + 99, 0, 0)) << "the handler's answer comes back";
    ASSERT_EQ(wnd.calls.size(), 3u);
    EXPECT_EQ(wnd.calls[0].name, "KeyDown");
    EXPECT_EQ(wnd.calls[0].a, VK_TAB);
    EXPECT_EQ(wnd.GetKeyState(VK_TAB), 0) << "a sent key is no key press";
    EXPECT_EQ(wnd.calls[1].name, "App" + std::to_string(WM_USER + 6));
}

TEST(HeadlessWindow, QuitEndsMainLoopWithItsCode) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.nQuitOnDraw = 3;
    EXPECT_EQ(wnd.MainLoop(), 18);
    EXPECT_EQ(wnd.nDraws, 3);

    // From another thread: WM_QUIT with the code in wParam; nothing is drawn after it.
    wnd.nQuitOnDraw = -1;
    wnd.nDraws = 0;
    std::thread poster([&wnd] { PostMessageA(wnd.GetHWND(), WM_QUIT, 7, 0); });
    poster.join();
    EXPECT_EQ(wnd.MainLoop(), 7);
    EXPECT_EQ(wnd.nDraws, 0);

    wnd.InjectCloseRequest();
    EXPECT_EQ(wnd.MainLoop(), 0) << "closing the window";

    CLogCapture log;
    wnd.SetHeadlessFrameLimit(4);
    EXPECT_EQ(wnd.MainLoop(), -1) << "a headless loop that is never told to quit ends";
    EXPECT_EQ(wnd.nDraws, 4);
    EXPECT_TRUE(log.Mentions("Headless main loop stopped"));
}

TEST(HeadlessWindow, MainLoopPacesFramesAndCountsThem) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    CLogCapture log;  // the frame-limit line
    constexpr int kFrames = 300;
    wnd.SetHeadlessFrameLimit(kFrames);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wnd.MainLoop(), -1);
    const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - start)
                               .count();
    EXPECT_EQ(wnd.nDraws, kFrames);
    // Each pass takes at least 4 ms, so never more than 250 frames a second.
    EXPECT_GE(elapsedMs, (kFrames - 1) * 4) << "frames were not paced";
    EXPECT_GT(wnd.GetFPS(), 0) << "a second passed: the count was taken";
    EXPECT_LE(wnd.GetFPS(), 251);
}

TEST(HeadlessWindow, AltEnterSwitchRunsReleaseDrawLoadingInitScene) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.calls.clear();
    wnd.InjectKey(VK_RETURN, true, false, true);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_EQ(wnd.Names(), (std::vector<std::string>{"OnCommand", "ReleaseScene", "DrawLoading",
                                                     "InitScene", "DrawScene"}));
    EXPECT_EQ(wnd.calls[0].a & 0xFFFF, kCmdSwitchWindow);
    EXPECT_TRUE(wnd.IsFullScreen());
    wnd.calls.clear();
    wnd.InjectKey(VK_RETURN, true, false, true);
    wnd.StepFrame();
    EXPECT_FALSE(wnd.IsFullScreen()) << "and back";
    EXPECT_EQ(wnd.Names().size(), 5u);
}

// A click that switches the mode (the setup's window selector acts on the press) must not
// destroy the window under the held button: the new window would never see the release.
TEST(HeadlessWindow, ASwitchAskedDuringAClickWaitsForTheReleaseOrTheHoldLimit) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    wnd.InjectLButton(true, 600, 100);
    ASSERT_TRUE(wnd.StepFrame());
    wnd.calls.clear();
    wnd.SendMessage(WM_COMMAND, kCmdSwitchWindow, 0);
    EXPECT_TRUE(wnd.IsSwitchPending());
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_FALSE(wnd.IsFullScreen()) << "the button is still held";
    EXPECT_EQ(wnd.Names(), (std::vector<std::string>{"OnCommand", "DrawScene"}));
    wnd.calls.clear();
    wnd.InjectLButton(false, 600, 100);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_TRUE(wnd.IsFullScreen()) << "switched once the button was let go";
    EXPECT_FALSE(wnd.IsSwitchPending());
    EXPECT_EQ(wnd.Names(), (std::vector<std::string>{"LUp", "ReleaseScene", "DrawLoading", "InitScene", "DrawScene"}));

    // A release that never comes holds the switch back only so long.
    wnd.InjectLButton(true, 600, 100);
    ASSERT_TRUE(wnd.StepFrame());
    const auto asked = std::chrono::steady_clock::now();
    wnd.SendMessage(WM_COMMAND, kCmdSwitchWindow, 0);
    while (wnd.IsSwitchPending() && std::chrono::steady_clock::now() - asked < std::chrono::seconds(5))
        ASSERT_TRUE(wnd.StepFrame());
    const auto waited = std::chrono::steady_clock::now() - asked;
    EXPECT_FALSE(wnd.IsFullScreen()) << "switched back after the hold limit";
    // The window counts whole milliseconds.
    EXPECT_GE(waited, std::chrono::milliseconds(CGLWnd::kSwitchHoldLimitMs - 1));

    // With no button held the switch is immediate.
    wnd.InjectLButton(false, 600, 100);
    ASSERT_TRUE(wnd.StepFrame());
    wnd.SendMessage(WM_COMMAND, kCmdSwitchWindow, 0);
    EXPECT_FALSE(wnd.IsSwitchPending());
    EXPECT_TRUE(wnd.IsFullScreen());
}

TEST(HeadlessWindow, AltTabHotKeyGrabsTheKeyboardInFullScreen) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create(true));
    ASSERT_TRUE(wnd.IsFullScreen());
    CLogCapture log;
    EXPECT_TRUE(wnd.RegisterAltTabHotKey());
    EXPECT_NE(wnd.GetHotKeyId(), 0);
    EXPECT_TRUE(wnd.IsKeyboardGrabbed());
    EXPECT_FALSE(wnd.RegisterAltTabHotKey()) << "twice";
    EXPECT_TRUE(log.Mentions("Can't register HotKey ALT+TAB"));
    EXPECT_TRUE(log.Mentions("Last error: hot key"));
    wnd.UnregisterAltTabHotKey();
    EXPECT_FALSE(wnd.IsKeyboardGrabbed());
    wnd.UnregisterAltTabHotKey();  // what every release of a windowed scene does: nothing to undo
    EXPECT_FALSE(log.Mentions("unregister")) << "no error line for it";

    // In a window the registration holds no grab.
    wnd.bSwitchOnCommand = true;
    wnd.InjectKey(VK_RETURN, true, false, true);
    wnd.StepFrame();
    ASSERT_FALSE(wnd.IsFullScreen());
    EXPECT_TRUE(wnd.RegisterAltTabHotKey());
    EXPECT_FALSE(wnd.IsKeyboardGrabbed());
    wnd.UnregisterAltTabHotKey();
}

TEST(HeadlessWindow, AtomsAreCountedPerName) {
    const uint16_t a = GlobalAddAtomA("test atom one");
    const uint16_t b = GlobalAddAtomA("test atom two");
    EXPECT_GE(a, 0xC000);
    EXPECT_NE(a, b);
    EXPECT_EQ(GlobalAddAtomA("test atom one"), a);
    EXPECT_EQ(GlobalAddAtomA(""), 0);
    EXPECT_EQ(GlobalAddAtomA(nullptr), 0);
    GlobalDeleteAtom(a);
    GlobalDeleteAtom(a);
    GlobalDeleteAtom(b);
    GlobalDeleteAtom(0xFFFF);  // unknown: ignored
}

TEST(HeadlessWindow, WorldCoordMeetsTheBoardPlane) {
    CRecordingWnd wnd;
    ASSERT_TRUE(wnd.Create());
    float p[3];
    // Straight through the target: the centre of the screen sees the board centre.
    EXPECT_TRUE(wnd.GetWorldCoord(400, 300, p));
    EXPECT_EQ(p[1], 0.0f);
    EXPECT_NEAR(p[0], 0.0f, 0.01f);
    EXPECT_NEAR(p[2], 0.0f, 0.01f);
    // Lower on the screen is nearer the eye (white's side, +z).
    float q[3];
    EXPECT_TRUE(wnd.GetWorldCoord(400, 550, q));
    EXPECT_GT(q[2], p[2]);
    // Right on the screen is +x from white's side.
    EXPECT_TRUE(wnd.GetWorldCoord(700, 300, q));
    EXPECT_GT(q[0], 0.1f);
    // A camera near the board looks over the horizon at the top of the screen.
    stCamGeom low = wnd.GetCamera();
    low.ey = 0.3;
    low.ez = 3.0;
    wnd.SetCamera(low);
    wnd.CalcRads();
    EXPECT_FALSE(wnd.GetWorldCoord(400, 0, q));
    EXPECT_GT(std::fabs(q[0]) + std::fabs(q[1]) + std::fabs(q[2]), 50.0f);
}

TEST(ErrorBox, TheHookTakesTheTextInsteadOfABox) {
    std::string caption, text;
    SetErrorBoxHook([&](const std::string& c, const std::string& t) {
        caption = c;
        text = t;
    });
    ShowErrorBox("KelvoDara", "Can't initialize game!\nProgram will now close.");
    SetErrorBoxHook({});
    EXPECT_EQ(caption, "KelvoDara");
    EXPECT_EQ(text, "Can't initialize game!\nProgram will now close.");
}

TEST(ErrorBox, WithNoVisibleDisplayTheTextGoesToStderr) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::testing::internal::CaptureStderr();
    ShowErrorBox("KelvoDara", "Please install DirectX 8.0 or better");
    const std::string err = ::testing::internal::GetCapturedStderr();
    unsetenv("SDL_VIDEODRIVER");
    EXPECT_NE(err.find("KelvoDara"), std::string::npos) << err;
    EXPECT_NE(err.find("Please install DirectX 8.0 or better"), std::string::npos) << err;
}

TEST(DirectXVersion, InjectedValueWinsAndTheProbeReportsVideo) {
    SetDirectXVersionForTest(0x7FF);
    EXPECT_EQ(GetDirectXVersion(), 0x7FF);
    SetDirectXVersionForTest(0);
    EXPECT_EQ(GetDirectXVersion(), 0);
    SetDirectXVersionForTest(-1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);  // always starts, needs no display
    EXPECT_EQ(GetDirectXVersion(), kVideoReadyVersion);
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    EXPECT_EQ(GetDirectXVersion(), 0);
    unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
