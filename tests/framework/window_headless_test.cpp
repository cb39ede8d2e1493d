// CGLWnd on the headless backend: input reaching the handlers with Windows arguments, posted
// messages served without holding the frames, quitting, window switches, and no display.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/app_messages.h"
#include "app/framework/dx_version.h"
#include "app/framework/gl_wnd.h"
#include "app/framework/input_translate.h"
#include "app/framework/message_box.h"
#include "app/framework/win_messages.h"
#include "platform/event.h"
#include "platform/log.h"
#include "tests/support/log_capture.h"

namespace {

struct SCall {
    std::string name;
    uint64_t a = 0;
    int64_t b = 0;
    bool operator==(const SCall&) const = default;
};

// Records every handler call with its arguments; answers each posted message and, when asked,
// posts it again.
class CRecordingWnd : public CGLWnd {
public:
    CRecordingWnd() : CGLWnd(EWindowBackend::Headless) {
        EXPECT_TRUE(CreateGLWindow("Kelvo Dara", 800, 600, 32, false, 103, false));
        calls.clear();
    }
    std::vector<SCall> calls;
    int nDraws = 0, nQuitOnDraw = -1;  // Quit(18) from this draw on
    bool bRepost = false;
    int nHandled = 0;
    platform::CEvent answered;

    bool OnCommand(unsigned w, long l) override {
        calls.push_back({"OnCommand", w, l});
        if ((w & 0xFFFF) == kCmdSwitchWindow) RequestSwitchWindow();
        return (w & 0xFFFF) == kCmdSwitchWindow;
    }
    bool OnAppMessage(platform::SMessage& m) override {
        ++nHandled;
        if (bRepost) PostMessageA(GetHWND(), m.nMsg, m.wParam + 1, m.lParam);
        if (m.nMsg == WM_USER + 16) calls.push_back({"App", m.wParam, m.lParam});
        answered.Set();
        return true;
    }
    void ReleaseScene() override { calls.push_back({"ReleaseScene"}); }
    void OnKeyDown(unsigned k, long f) override { calls.push_back({"KeyDown", k, (f >> 30) & 3}); }
    void OnKeyUp(unsigned k, long f) override { calls.push_back({"KeyUp", k, (f >> 30) & 3}); }
    void OnMouseMove(unsigned f, long p) override { calls.push_back({"Move", f, p}); }
    void OnLButtonDown(unsigned f, long p) override { calls.push_back({"LDown", f, p}); }
    void OnLButtonUp(unsigned f, long p) override { calls.push_back({"LUp", f, p}); }
    void OnRButtonDown(unsigned f, long p) override { calls.push_back({"RDown", f, p}); }
    void OnRButtonUp(unsigned f, long p) override { calls.push_back({"RUp", f, p}); }
    void OnMouseWheel(unsigned w, long l) override { calls.push_back({"Wheel", w, l}); }
    void DrawScene() override {
        calls.push_back({"DrawScene"});
        if (++nDraws >= nQuitOnDraw && nQuitOnDraw >= 0) Quit(18);
    }
    void InitScene() override { calls.push_back({"InitScene"}); }
    void DrawLoading() override { calls.push_back({"DrawLoading"}); }
};

// Keys come with the two top bits of their flags (repeat, release); mouse calls with the packed position.
TEST(HeadlessWindow, InputReachesTheHandlersWithTheWindowsArguments) {
    CRecordingWnd wnd;
    wnd.InjectMouseMove(10, 20), wnd.InjectLButton(true, 123, 456), wnd.InjectMouseMove(130, 460);
    wnd.InjectLButton(false, 131, 461), wnd.InjectRButton(true, 799, 599);
    wnd.InjectRButton(false, 900, -40);  // outside: clamped to the edge
    wnd.InjectWheel(-1, 400, 300), wnd.InjectKey(VK_SHIFT, true), wnd.InjectKey(VK_LEFT, true);
    wnd.InjectKey(VK_LEFT, true, true), wnd.InjectKey(VK_LEFT, false);
    ASSERT_TRUE(wnd.StepFrame());
    EXPECT_LT(wnd.GetKeyState(VK_SHIFT), 0) << "SHIFT is held";
    EXPECT_EQ(wnd.GetKeyState(VK_LEFT) | wnd.GetKeyState(-1) | wnd.GetKeyState(100000), 0);
    wnd.InjectMouseMove(100, 0), wnd.StepFrame();
    const std::vector<SCall> expected = {
        {"Move", 0, PackMousePos(10, 20)}, {"LDown", MK_LBUTTON, PackMousePos(123, 456)},
        {"Move", MK_LBUTTON, PackMousePos(130, 460)}, {"LUp", 0, PackMousePos(131, 461)},
        {"RDown", MK_RBUTTON, PackMousePos(799, 599)}, {"RUp", 0, PackMousePos(799, 0)},
        {"Wheel", WheelWParam(-1, 0), PackMousePos(400, 300)}, {"KeyDown", VK_SHIFT, 0}, {"KeyDown", VK_LEFT, 0},
        {"KeyDown", VK_LEFT, 1}, {"KeyUp", VK_LEFT, 3}, {"DrawScene"}, {"Move", MK_SHIFT, PackMousePos(100, 0)},
        {"DrawScene"}};
    ASSERT_EQ(wnd.calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(wnd.calls[i], expected[i]) << i << ": " << wnd.calls[i].name << " " << wnd.calls[i].a << " " << wnd.calls[i].b;
    // The screens read the position with the origin bottom-left.
    EXPECT_EQ(std::pair(wnd.GetMouseX(), wnd.GetMouseY()), std::pair(100, 599));
}

TEST(HeadlessWindow, PostedMessagesReachOnAppMessageInOrderBeforeLaterInput) {
    CRecordingWnd wnd;
    std::thread([&wnd] {
        for (int i = 0; i < 200; ++i) PostMessageA(wnd.GetHWND(), WM_USER + 16, static_cast<uintptr_t>(i), -i);
    }).join();
    wnd.InjectKey('A', true);
    ASSERT_TRUE(wnd.StepFrame());
    ASSERT_EQ(wnd.calls.size(), 202u);
    for (int i = 0; i < 200; ++i) EXPECT_EQ(wnd.calls[static_cast<size_t>(i)], (SCall{"App", uint64_t(i), -i}));
    EXPECT_EQ(wnd.calls[200].name, "KeyDown") << "what was posted before the input comes first";
}

TEST(HeadlessWindow, AHandlerThatPostsToItselfForeverStillLetsFramesBeDrawn) {
    CRecordingWnd wnd;
    wnd.bRepost = true;
    PostMessageA(wnd.GetHWND(), WM_USER + 1, 0, 0);
    for (int pass = 1, nBefore = 0; pass <= 3; ++pass, nBefore = wnd.nHandled) {
        const auto begin = std::chrono::steady_clock::now();
        ASSERT_TRUE(wnd.StepFrame());
        EXPECT_EQ(wnd.nDraws, pass) << "every pass draws its frame";
        EXPECT_GT(wnd.nHandled, nBefore) << "pass " << pass << " served the message";
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(200)) << "pass " << pass;
    }
}

TEST(HeadlessWindow, AWorkerWaitingForEachAnswerIsServedWithinOnePass) {
    constexpr int kExchanges = 200;  // a flick of two seconds
    // Passes as the main loop makes them, a few milliseconds apart. One answer per pass would
    // take 200 passes; a pump that keeps serving needs a pass only where the worker was slower
    // than the pump's wait for its next message (a preempted thread on a busy machine). Under
    // ThreadSanitizer every exchange is that slow, so only the answers are checked there.
#if defined(__SANITIZE_THREAD__)
    constexpr int kMostPasses = 100 * kExchanges;
#else
    constexpr int kMostPasses = kExchanges / 2;
#endif
    CRecordingWnd wnd;
    std::atomic<int> nAnswered{0};
    std::jthread worker([&](std::stop_token stop) {
        for (int i = 0; i < kExchanges && !stop.stop_requested(); ++i, ++nAnswered) {
            PostMessageA(wnd.GetHWND(), WM_USER + 2, static_cast<uintptr_t>(i), 0);
            if (!wnd.answered.Wait(stop, 5000)) return;
        }
    });
    // Let the first message arrive, as it would after a click.
    for (int i = 0; i < 500 && wnd.GetHWND()->Size() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    int nPasses = 0;
    for (const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
         nAnswered < kExchanges && std::chrono::steady_clock::now() < deadline; ++nPasses) {
        ASSERT_TRUE(wnd.StepFrame());
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    EXPECT_EQ(kExchanges, wnd.nHandled);
    EXPECT_LE(nPasses, kMostPasses) << "answers were held to the frames";
}

TEST(HeadlessWindow, QuitEndsMainLoopWithItsCodeAndFramesArePaced) {
    CRecordingWnd wnd;
    wnd.nQuitOnDraw = 3;
    EXPECT_EQ((std::pair{wnd.MainLoop(), wnd.nDraws}), std::pair(18, 3));
    // From another thread: WM_QUIT with the code in wParam; nothing is drawn after it.
    wnd.nQuitOnDraw = -1;
    std::thread([&wnd] { PostMessageA(wnd.GetHWND(), WM_QUIT, 7, 0); }).join();
    EXPECT_EQ((std::pair{wnd.MainLoop(), wnd.nDraws}), std::pair(7, 3));
    wnd.InjectCloseRequest();
    EXPECT_EQ((std::pair{wnd.MainLoop(), wnd.nDraws}), std::pair(0, 3)) << "closing the window";
    CLogCapture log;
    wnd.SetHeadlessFrameLimit(100);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ((std::pair{wnd.MainLoop(), wnd.nDraws}), std::pair(-1, 103)) << "a headless loop never told to quit ends";
    EXPECT_TRUE(log.Mentions("Headless main loop stopped"));
    // Each pass takes at least 4 ms, so never more than 250 frames a second.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(99 * 4));
}

// A click that switches the mode (the setup's window selector acts on the press) must not
// destroy the window under the held button: the new window would never see the release.
TEST(HeadlessWindow, ASwitchWaitsForTheReleaseOrTheHoldLimitThenMakesTheSceneAgain) {
    CRecordingWnd wnd;
    const std::vector<std::string> kSwitch = {"ReleaseScene", "DrawLoading", "InitScene", "DrawScene"};
    auto names = [&] {
        std::vector<std::string> n;
        for (const SCall& c : wnd.calls) n.push_back(c.name);
        wnd.calls.clear();
        return n;
    };
    wnd.InjectKey(VK_RETURN, true, false, true), wnd.StepFrame();  // ALT+ENTER
    EXPECT_EQ(names(), (std::vector<std::string>{"OnCommand", kSwitch[0], kSwitch[1], kSwitch[2], kSwitch[3]}));
    EXPECT_TRUE(wnd.IsFullScreen());
    wnd.InjectLButton(true, 600, 100), wnd.StepFrame(), names();
    wnd.SendMessage(WM_COMMAND, kCmdSwitchWindow, 0), wnd.StepFrame();
    EXPECT_TRUE(wnd.IsFullScreen() && wnd.IsSwitchPending()) << "the button is still held";
    EXPECT_EQ(names(), (std::vector<std::string>{"OnCommand", "DrawScene"}));
    wnd.InjectLButton(false, 600, 100), wnd.StepFrame();
    EXPECT_FALSE(wnd.IsFullScreen() || wnd.IsSwitchPending()) << "switched once the button was let go";
    EXPECT_EQ(names(), (std::vector<std::string>{"LUp", kSwitch[0], kSwitch[1], kSwitch[2], kSwitch[3]}));
    // A release that never comes holds the switch back only so long (the window counts whole milliseconds).
    wnd.InjectLButton(true, 600, 100), wnd.StepFrame();
    const auto asked = std::chrono::steady_clock::now();
    wnd.SendMessage(WM_COMMAND, kCmdSwitchWindow, 0);
    while (wnd.IsSwitchPending() && std::chrono::steady_clock::now() - asked < std::chrono::seconds(5))
        ASSERT_TRUE(wnd.StepFrame());
    EXPECT_TRUE(wnd.IsFullScreen()) << "switched after the hold limit";
    EXPECT_GE(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(CGLWnd::kSwitchHoldLimitMs - 1));
}

TEST(NoDisplay, TheErrorTextGoesToStderrAndTheVideoProbeFails) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ::testing::internal::CaptureStderr();
    ShowErrorBox("KelvoDara", "Please install DirectX 8.0 or better");
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("KelvoDara: Please install DirectX 8.0 or better"), std::string::npos);
    SetDirectXVersionForTest(-1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);  // always starts, needs no display
    EXPECT_EQ(GetDirectXVersion(), kVideoReadyVersion);
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    EXPECT_EQ(GetDirectXVersion(), 0);
    unsetenv("SDL_VIDEODRIVER");
}

}  // namespace
