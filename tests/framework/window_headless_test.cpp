// CGLWnd on the headless backend: posted messages served without holding the frames, quitting,
// window switches, and no display.
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

// Records the handler calls; answers each posted message.
class CRecordingWnd : public CGLWnd {
public:
    CRecordingWnd() : CGLWnd(EWindowBackend::Headless) {
        EXPECT_TRUE(CreateGLWindow("Kelvo Dara", 800, 600, 32, false, 103, false));
        calls.clear();
    }
    std::vector<SCall> calls;
    int nDraws = 0, nQuitOnDraw = -1;  // Quit(18) from this draw on
    int nHandled = 0;
    platform::CEvent answered;

    bool OnCommand(unsigned w, long l) override {
        calls.push_back({"OnCommand", w, l});
        if ((w & 0xFFFF) == kCmdSwitchWindow) RequestSwitchWindow();
        return (w & 0xFFFF) == kCmdSwitchWindow;
    }
    bool OnAppMessage(platform::SMessage&) override {
        ++nHandled;
        answered.Set();
        return true;
    }
    void ReleaseScene() override { calls.push_back({"ReleaseScene"}); }
    void OnLButtonUp(unsigned f, long p) override { calls.push_back({"LUp", f, p}); }
    void DrawScene() override {
        calls.push_back({"DrawScene"});
        if (++nDraws >= nQuitOnDraw && nQuitOnDraw >= 0) Quit(18);
    }
    void InitScene() override { calls.push_back({"InitScene"}); }
    void DrawLoading() override { calls.push_back({"DrawLoading"}); }
};

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
