// The camera keys of a match on a headless game window with the real pack and the real
// animation thread: SHIFT turns, held keys, ESC, and TAB's eased swing. The test thread is the
// window thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <numbers>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/anim_thread.h"
#include "app/game_events.h"
#include "app/game_wnd.h"
#include "tests/match_probe.h"
#include "game/match_logic.h"
#include "menus/sound_effects.h"
#include "platform/clock.h"
#include "log_capture.h"
#include "tests/temp_profile_env.h"
#include "tests/camera_views.h"
#include "tests/headless_game_wnd.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();

constexpr int kWhiteBase = kChecksPerSide;  // draughts 10..19; black are 0..9
// One held step of a turn: 0.02 radians, as the window's float step gives it.
constexpr double kHeldTurn = static_cast<double>(0.02f);
// A SHIFT turn's steps reach the window as floats: the turn is 45 degrees to that precision.
constexpr double kShiftTurnTolerance = std::numbers::pi / 4 * 0x1p-24 + 1e-12;
// The worker posts every 10 or 20 ms; this long without a message means it has finished.
constexpr auto kQuiet = 80ms;
constexpr auto kArrivalLimit = 3s;

const auto* g_env = AddTempProfile("kd_camera_control_test");

// ---- The window fixture. ----

// One message the test took from the window's queue and handed to the window.
struct SSeen {
    struct {
        uint32_t nMsg;
        uintptr_t wParam;
        intptr_t lParam;
    } msg;
    stCamGeom step{};   // the record a UM_CAMERA_GEOM carried
    stCamGeom after{};  // the live camera once the window had handled the message
};

int CountOf(const std::vector<SSeen>& seen, uint32_t nMsg) {
    int n = 0;
    for (const SSeen& s : seen) n += s.msg.nMsg == nMsg;
    return n;
}

class CameraWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OpenHeadlessGameWnd(m_wnd, kPackDir.string()));
    }
    void TearDown() override { CloseHeadlessGameWnd(m_wnd); }
    CGameSettings& S() { return m_wnd->Settings(); }
    CCheck& Check(int i) { return m_wnd->Desk().m_aChecks[i]; }

    // Two players keep the computer out; a case then sets the side fields it needs.
    void StartGame(int nPlayers = 3) {
        S().m_nPlayers = nPlayers;
        S().MyWhite = 1;
        S().TurnType = TURN_BY_TURN;
        S().GameMode = 0;
        m_wnd->StartMatch();
        m_wnd->SetScreen(SCREEN_GAME);
        ASSERT_EQ(0, CMatchProbe(m_wnd->Match()).m_bBusy);
    }
    void Key(unsigned nKey, bool bDown) { m_wnd->SendMessage(bDown ? WM_KEYDOWN : WM_KEYUP, nKey, 0); }
    // SHIFT goes through the window's input, so that its key state reads as held.
    void Shift(bool bDown) {
        m_wnd->InjectKey(VK_SHIFT, bDown);
        m_wnd->StepFrame();
        ASSERT_EQ(bDown, m_wnd->GetKeyState(VK_SHIFT) < 0);
    }
    void CameraKey(unsigned nKey) { m_wnd->SendMessage(UM_CAMERA_KEY, nKey, 0); }

    // Takes the window's messages in its place and hands each to it, until `enough` holds for
    // what was seen, or the limit passes.
    std::vector<SSeen> Pump(const std::function<bool(const std::vector<SSeen>&)>& enough,
                            std::chrono::milliseconds limit = kArrivalLimit) {
        std::vector<SSeen> seen;
        const auto deadline = Clock::now() + limit;
        while (!enough(seen)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            platform::SMessage msg;
            if (left.count() <= 0 || !m_wnd->GetHWND()->WaitPop(msg, static_cast<int>(left.count()))) break;
            seen.push_back(Handle(msg));
        }
        return seen;
    }
    // Everything that arrives until the queue has been quiet for a while.
    std::vector<SSeen> PumpUntilQuiet(std::chrono::milliseconds limit = kArrivalLimit) {
        std::vector<SSeen> seen;
        const auto deadline = Clock::now() + limit;
        platform::SMessage msg;
        while (Clock::now() < deadline && m_wnd->GetHWND()->WaitPop(msg, static_cast<int>(kQuiet.count())))
            seen.push_back(Handle(msg));
        return seen;
    }
    std::vector<SSeen> PumpSwing() {
        return Pump([](const std::vector<SSeen>& s) { return CountOf(s, UM_CAMERA_GEOM) == kCameraSwingSteps; });
    }
    CLogCapture m_log;
    std::unique_ptr<CGameWnd> m_wnd;

private:
    SSeen Handle(platform::SMessage& msg) {
        SSeen s{{msg.nMsg, msg.wParam, msg.lParam}};
        if (const stCamGeom* pStep = msg.Payload<stCamGeom>()) s.step = *pStep;
        m_wnd->OnAppMessage(msg);
        s.after = m_wnd->GetCamera();
        return s;
    }
};

// ---- Turning: SHIFT turns and held keys through the animation thread. ----

TEST_F(CameraWndTest, AShiftTurnIsFortyFiveDegreesAndTheNextOneNeedsAKeyUp) {
    StartGame();
    const stCamGeom start = m_wnd->GetCamera();
    ASSERT_NO_FATAL_FAILURE(Shift(true));

    struct SPress {
        unsigned nKey;
        bool bReleaseFirst;  // the key was let go since the last turn
        const char* what;
    };
    const SPress presses[] = {
        {VK_LEFT, true, "first SHIFT+left"},
        {VK_LEFT, true, "SHIFT+left after a key up"},
        {VK_RIGHT, true, "SHIFT+right"},
    };
    std::vector<double> afterPress;
    for (const SPress& p : presses) {
        if (p.bReleaseFirst) Key(p.nKey, false);
        EXPECT_EQ(0, CMatchProbe(m_wnd->Match()).m_bShiftTurn) << p.what;
        const double before = m_wnd->GetCamera().azimuth;
        Key(p.nKey, true);
        EXPECT_EQ(1, CMatchProbe(m_wnd->Match()).m_bShiftTurn) << p.what;
        const std::vector<SSeen> seen = PumpUntilQuiet();
        ASSERT_EQ(kTurnSteps, CountOf(seen, UM_TURN_STEP)) << p.what;
        EXPECT_EQ(0, CountOf(seen, UM_CAMERA_KEY)) << p.what << ": a SHIFT turn is not a held turn";
        const double sign = p.nKey == VK_LEFT ? 1.0 : -1.0;
        const double turn = m_wnd->GetCamera().azimuth - before;
        EXPECT_NEAR(sign * std::numbers::pi / 4, turn, kShiftTurnTolerance) << p.what;
        afterPress.push_back(m_wnd->GetCamera().azimuth);
        // Eight numbered steps in order, slow at both ends: each step mirrors its partner
        // from the other end, and they grow towards the middle.
        std::vector<double> deltas;
        double previous = before;
        for (const SSeen& s : seen) {
            if (s.msg.nMsg != UM_TURN_STEP) continue;
            EXPECT_EQ(static_cast<intptr_t>(deltas.size()), s.msg.lParam) << p.what;
            deltas.push_back(sign * (s.after.azimuth - previous));
            previous = s.after.azimuth;
        }
        for (int k = 0; k < kTurnSteps / 2; ++k) {
            const auto i = static_cast<size_t>(k), j = static_cast<size_t>(kTurnSteps - 1 - k);
            EXPECT_NEAR(deltas[i], deltas[j], 1e-12) << p.what << " steps " << i << " and " << j;
            if (k > 0) {
                EXPECT_GT(deltas[i], deltas[i - 1]) << p.what << " step " << i;
            }
        }
    }
    // A right turn takes back a left turn exactly.
    EXPECT_NEAR(afterPress[0], afterPress[2], 1e-12) << "left, left, right";
    EXPECT_NEAR(start.azimuth + std::numbers::pi / 4, m_wnd->GetCamera().azimuth, kShiftTurnTolerance);

    // The key's auto-repeat with SHIFT still held finds the turn taken: it turns as if held.
    const double beforeRepeat = m_wnd->GetCamera().azimuth;
    Key(VK_RIGHT, true);
    std::vector<SSeen> held = Pump([](const std::vector<SSeen>& s) { return CountOf(s, UM_CAMERA_KEY) >= 4; });
    Key(VK_RIGHT, false);
    EXPECT_EQ(0, CMatchProbe(m_wnd->Match()).m_bShiftTurn) << "a key up allows the next SHIFT turn";
    for (const SSeen& s : PumpUntilQuiet()) held.push_back(s);
    EXPECT_EQ(0, CountOf(held, UM_TURN_STEP)) << "no second SHIFT turn without a key up";
    const int nHeld = CountOf(held, UM_CAMERA_KEY);
    EXPECT_GE(nHeld, 4);
    EXPECT_NEAR(-nHeld * kHeldTurn, m_wnd->GetCamera().azimuth - beforeRepeat, 1e-12) << nHeld << " held steps";

    // Every turn only swings the eye about the target: height, target and distance stay.
    const stCamGeom end = m_wnd->GetCamera();
    EXPECT_DOUBLE_EQ(start.ey, end.ey);
    EXPECT_NEAR(start.radius, end.radius, 1e-12);
    EXPECT_NEAR(end.tx + end.radius * std::cos(end.azimuth), end.ex, 1e-12);
    EXPECT_NEAR(end.tz + end.radius * std::sin(end.azimuth), end.ez, 1e-12);
    ASSERT_NO_FATAL_FAILURE(Shift(false));
}

TEST_F(CameraWndTest, HeldKeysRepeatTheirStepUntilReleased) {
    struct SCase {
        unsigned nKey;
        int nRepeatedKey;  // the step the hold repeats; 0 for a key that is no camera key
    };
    const SCase cases[] = {
        {VK_LEFT, VK_LEFT},     {VK_RIGHT, VK_RIGHT},  {VK_UP, VK_UP},      {VK_DOWN, VK_DOWN},
        {VK_ADD, VK_ADD},       {VK_SUBTRACT, VK_SUBTRACT},
        {VK_OEM_PLUS, 0},       {VK_OEM_MINUS, 0},     // only the keypad zooms
    };
    StartGame();
    for (const SCase& c : cases) {
        const stCamGeom before = m_wnd->GetCamera();
        Key(c.nKey, true);
        std::vector<SSeen> seen = Pump([](const std::vector<SSeen>& s) { return CountOf(s, UM_CAMERA_KEY) >= 3; },
                                       c.nRepeatedKey ? kArrivalLimit : 150ms);
        Key(c.nKey, false);
        for (const SSeen& s : PumpUntilQuiet()) seen.push_back(s);
        const int nSteps = CountOf(seen, UM_CAMERA_KEY);
        int nOtherKey = 0;
        for (const SSeen& s : seen)
            if (s.msg.nMsg == UM_CAMERA_KEY && s.msg.wParam != static_cast<uintptr_t>(c.nRepeatedKey)) ++nOtherKey;
        EXPECT_EQ(0, nOtherKey) << "key " << c.nKey << " repeats key " << c.nRepeatedKey;
        if (c.nRepeatedKey) {
            EXPECT_GE(nSteps, 3) << "key " << c.nKey;
            EXPECT_FALSE(SameBits(before, m_wnd->GetCamera())) << "key " << c.nKey << " moved nothing";
        } else {
            EXPECT_EQ(0, nSteps) << "key " << c.nKey;
            EXPECT_TRUE(SameBits(before, m_wnd->GetCamera())) << "key " << c.nKey << " moved the camera";
        }
        // A turn step is 0.02 radians about the target, one per repeat message.
        if (c.nKey == VK_LEFT || c.nKey == VK_RIGHT) {
            const double sign = c.nKey == VK_LEFT ? 1.0 : -1.0;
            double azimuth = before.azimuth;
            for (const SSeen& s : seen) {
                if (s.msg.nMsg != UM_CAMERA_KEY) continue;
                EXPECT_NEAR(sign * kHeldTurn, s.after.azimuth - azimuth, 1e-12) << "key " << c.nKey;
                EXPECT_DOUBLE_EQ(before.ey, s.after.ey) << "key " << c.nKey;
                azimuth = s.after.azimuth;
            }
        }
        EXPECT_TRUE(PumpUntilQuiet().empty()) << "key " << c.nKey << ": the repeat outlived the key up";
    }
}

TEST_F(CameraWndTest, EscapeOnTheGameScreenStillPausesTheMatch) {
    StartGame();
    Key(VK_ESCAPE, true);
    EXPECT_EQ(SCREEN_PAUSE, m_wnd->GetScreen());
    Key(VK_ESCAPE, true);
    EXPECT_EQ(SCREEN_GAME, m_wnd->GetScreen()) << "ESC on the pause screen continues";
}

// ---- TAB's swing through the animation thread. ----

TEST_F(CameraWndTest, TabSwingsTheViewInThreeStepsToTheFocusedDraughtAndBackToTheCentre) {
    StartGame(1);  // against the computer: the player's white draughts
    S().m_nFocus = 8;
    const int expected[] = {9, -1};
    for (int nExpected : expected) {
        const stCamGeom from = m_wnd->GetCamera();
        Key(VK_TAB, true);
        ASSERT_EQ(nExpected, S().m_nFocus);
        const std::string what = "focus " + std::to_string(nExpected);
        stCamGeom to;
        if (nExpected >= 0) {
            const CCheck& c = Check(kWhiteBase + nExpected);
            to = Retargeted(from, c.m_fX, c.m_fY);
        } else {
            to = Retargeted(from, 0.0, 0.0);
        }
        const std::vector<SSeen> seen = PumpSwing();
        std::vector<SSeen> swing;
        for (const SSeen& s : seen)
            if (s.msg.nMsg == UM_CAMERA_GEOM) swing.push_back(s);
        ASSERT_EQ(static_cast<size_t>(kCameraSwingSteps), swing.size()) << what;
        // Steps one and two carry the target a third and two thirds of the way; the eye stays.
        for (int k = 1; k < kCameraSwingSteps; ++k) {
            const stCamGeom& step = swing[static_cast<size_t>(k - 1)].step;
            EXPECT_NEAR(from.tx + k * (to.tx - from.tx) / 3, step.tx, 1e-9) << what << " step " << k;
            EXPECT_NEAR(from.tz + k * (to.tz - from.tz) / 3, step.tz, 1e-9) << what << " step " << k;
            EXPECT_DOUBLE_EQ(from.ey, step.ey) << what << " step " << k;
            EXPECT_DOUBLE_EQ(from.ex, step.ex) << what << " step " << k;
            EXPECT_DOUBLE_EQ(from.ez, step.ez) << what << " step " << k;
        }
        ExpectSameView(to, swing.back().step, 1e-6, what + ", last step");
        EXPECT_TRUE(SameBits(swing.back().step, m_wnd->GetCamera())) << what << ": the last step is the view";
        EXPECT_EQ(nExpected >= 0, m_wnd->m_sight.IsVisible()) << what;
    }
}

}  // namespace
