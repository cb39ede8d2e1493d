// The camera keys of a match on a headless game window with the real animation thread: SHIFT
// turns, held keys and TAB's swing, as their steps reach the window. The test thread is the
// window thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "app/anim_thread.h"
#include "app/game_events.h"
#include "app/game_wnd.h"
#include "core/players.h"
#include "game/match_logic.h"
#include "tests/support/log_capture.h"
#include "tests/support/camera_views.h"
#include "tests/support/headless_game_wnd.h"
#include "tests/support/match_probe.h"
#include "tests/support/temp_profile_env.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const auto* g_env = AddTempProfile("kd_camera_control_test");

// A message the test took from the window's queue, the camera step it carried and the live
// camera once the window had handled it.
struct SSeen {
    uint32_t nMsg;
    uintptr_t wParam;
    intptr_t lParam;
    stCamGeom step{}, after{};
};

int CountOf(const std::vector<SSeen>& seen, uint32_t nMsg) {
    return static_cast<int>(std::count_if(seen.begin(), seen.end(), [&](const SSeen& s) { return s.nMsg == nMsg; }));
}

class CameraWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenHeadlessGameWnd(m_wnd, std::filesystem::path(KD_RES_PACK_PATH).parent_path().string()));
    }
    void TearDown() override { CloseHeadlessGameWnd(m_wnd); }
    void StartGame(int nPlayers) {
        m_wnd->Settings().m_nPlayers = nPlayers;
        m_wnd->Settings().MyWhite = 1;
        m_wnd->StartMatch();
        m_wnd->SetScreen(SCREEN_GAME);
    }
    void Key(unsigned nKey, bool bDown) { m_wnd->SendMessage(bDown ? WM_KEYDOWN : WM_KEYUP, nKey, 0); }
    // Takes the window's messages in its place and hands each to it, until `enough` holds for
    // what was seen or 3 s have passed; without `enough`, until the queue has been quiet for
    // 80 ms (the worker posts every 10 or 20 ms).
    std::vector<SSeen> Pump(const std::function<bool(const std::vector<SSeen>&)>& enough = {}) {
        std::vector<SSeen> seen;
        const auto deadline = Clock::now() + 3s;
        platform::SMessage msg;
        while (!(enough && enough(seen)) && Clock::now() < deadline &&
               m_wnd->GetHWND()->WaitPop(msg, enough ? 3000 : 80)) {
            SSeen s{msg.nMsg, msg.wParam, msg.lParam};
            if (const stCamGeom* pStep = msg.Payload<stCamGeom>()) s.step = *pStep;
            m_wnd->OnAppMessage(msg);
            s.after = m_wnd->GetCamera();
            seen.push_back(s);
        }
        return seen;
    }
    CLogCapture m_log;
    std::unique_ptr<CGameWnd> m_wnd;
};

TEST_F(CameraWndTest, AShiftTurnIsFortyFiveDegreesInEasedStepsAndTheNextOneNeedsAKeyUp) {
    StartGame(kTwoPlayers);
    m_wnd->InjectKey(VK_SHIFT, true);  // through the window's input, so that it reads as held
    m_wnd->StepFrame();
    for (unsigned nKey : {VK_LEFT, VK_RIGHT}) {
        Key(nKey, false);
        const double before = m_wnd->GetCamera().azimuth, sign = nKey == VK_LEFT ? 1.0 : -1.0;
        Key(nKey, true);
        std::vector<SSeen> seen = Pump([](const std::vector<SSeen>& s) { return CountOf(s, UM_TURN_STEP) == kTurnSteps; });
        for (const SSeen& s : Pump()) seen.push_back(s);
        ASSERT_EQ(kTurnSteps, CountOf(seen, UM_TURN_STEP)) << nKey;
        EXPECT_EQ(0, CountOf(seen, UM_CAMERA_KEY)) << "a SHIFT turn is not a held turn";
        // A SHIFT turn's steps reach the window as floats: 45 degrees to that precision.
        EXPECT_NEAR(sign * std::numbers::pi / 4, m_wnd->GetCamera().azimuth - before, 1e-7) << nKey;
        // Numbered in order, slow at both ends: each step mirrors its partner from the other end.
        std::vector<double> d;
        double previous = before;
        for (const SSeen& s : seen) {
            if (s.nMsg != UM_TURN_STEP) continue;
            EXPECT_EQ(static_cast<intptr_t>(d.size()), s.lParam);
            d.push_back(sign * (s.after.azimuth - previous));
            previous = s.after.azimuth;
        }
        for (size_t k = 0; k < d.size() / 2; ++k) {
            EXPECT_NEAR(d[k], d[d.size() - 1 - k], 1e-12) << "step " << k;
            EXPECT_TRUE(k == 0 || d[k] > d[k - 1]) << "step " << k;
        }
    }
    // The key's auto-repeat with SHIFT still held finds the turn taken: it turns as if held.
    const stCamGeom before = m_wnd->GetCamera();
    Key(VK_RIGHT, true);
    std::vector<SSeen> held = Pump([](const std::vector<SSeen>& s) { return CountOf(s, UM_CAMERA_KEY) >= 4; });
    Key(VK_RIGHT, false);
    EXPECT_FALSE(CMatchProbe(m_wnd->Match()).m_bShiftTurn) << "a key up allows the next SHIFT turn";
    for (const SSeen& s : Pump()) held.push_back(s);
    EXPECT_TRUE(Pump().empty()) << "the repeat outlived the key up";
    EXPECT_EQ(0, CountOf(held, UM_TURN_STEP)) << "no second SHIFT turn without a key up";
    const int nHeld = CountOf(held, UM_CAMERA_KEY);
    EXPECT_NEAR(-nHeld * static_cast<double>(0.02f), m_wnd->GetCamera().azimuth - before.azimuth, 1e-12) << nHeld;
    // Every turn only swings the eye about the target: height and distance stay.
    const stCamGeom end = m_wnd->GetCamera();
    EXPECT_DOUBLE_EQ(before.ey, end.ey);
    EXPECT_NEAR(before.radius, end.radius, 1e-12);
    EXPECT_NEAR(end.tx + end.radius * std::cos(end.azimuth), end.ex, 1e-12);
}

TEST_F(CameraWndTest, TabSwingsTheViewInThreeStepsToTheFocusedDraughtAndBackToTheCentre) {
    StartGame(kOnePlayer);  // against the computer: the player's white draughts
    m_wnd->Settings().m_nFocus = 8;
    for (int nExpected : {9, -1}) {
        const stCamGeom from = m_wnd->GetCamera();
        Key(VK_TAB, true);
        ASSERT_EQ(nExpected, m_wnd->Settings().m_nFocus);
        const CCheck& c = m_wnd->Desk().m_aChecks[kChecksPerSide + std::max(nExpected, 0)];
        const stCamGeom to = nExpected >= 0 ? Retargeted(from, c.m_fX, c.m_fY) : Retargeted(from, 0.0, 0.0);
        std::vector<SSeen> swing;
        for (const SSeen& s : Pump([](const std::vector<SSeen>& s) { return CountOf(s, UM_CAMERA_GEOM) == kCameraSwingSteps; }))
            if (s.nMsg == UM_CAMERA_GEOM) swing.push_back(s);
        ASSERT_EQ(static_cast<size_t>(kCameraSwingSteps), swing.size());
        // Steps one and two carry the target a third and two thirds of the way; the eye stays.
        for (int k = 1; k < kCameraSwingSteps; ++k) {
            const stCamGeom& step = swing[static_cast<size_t>(k - 1)].step;
            EXPECT_NEAR(from.tx + k * (to.tx - from.tx) / 3, step.tx, 1e-9) << "step " << k;
            EXPECT_NEAR(from.tz + k * (to.tz - from.tz) / 3, step.tz, 1e-9) << "step " << k;
            EXPECT_TRUE(from.ex == step.ex && from.ey == step.ey && from.ez == step.ez) << "step " << k;
        }
        ExpectSameView(to, swing.back().step, 1e-6, "focus " + std::to_string(nExpected));
        EXPECT_TRUE(SameBits(swing.back().step, m_wnd->GetCamera())) << "the last step is the view";
        EXPECT_EQ(nExpected >= 0, m_wnd->m_sight.IsVisible());
    }
}

}  // namespace
