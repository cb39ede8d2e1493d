// The camera in a match on a headless game window with the real pack and the real animation
// thread: SHIFT turns and held keys, the limits of the held steps, the focus walk with TAB and
// its swing, the fall-back aim, the heading to a draught, and each side's own view between
// two players across real flicks. The test thread is the window thread.
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
#include "tests/headless_game_wnd.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();

constexpr int kWhiteBase = kChecksPerSide;  // draughts 10..19; black are 0..9
constexpr int kBlackBase = 0;
// One held step of a turn: 0.02 radians, as the window's float step gives it.
constexpr double kHeldTurn = static_cast<double>(0.02f);
// A SHIFT turn's steps reach the window as floats: the turn is 45 degrees to that precision.
constexpr double kShiftTurnTolerance = std::numbers::pi / 4 * 0x1p-24 + 1e-12;
// The worker posts every 10 or 20 ms; this long without a message means it has finished.
constexpr auto kQuiet = 80ms;
constexpr auto kArrivalLimit = 3s;

const auto* g_env = AddTempProfile("kd_camera_control_test");

std::string Describe(const stCamGeom& c) {
    std::ostringstream out;
    out.precision(9);
    out << "target (" << c.tx << ", " << c.ty << ", " << c.tz << ") eye (" << c.ex << ", " << c.ey << ", " << c.ez
        << ") r " << c.radius << " d " << c.distance << " az " << c.azimuth << " el " << c.elevation;
    return out.str();
}

void ExpectSameView(const stCamGeom& expected, const stCamGeom& actual, double tol, const std::string& what) {
    const double e[10] = {expected.tx, expected.ty, expected.tz, expected.ex, expected.ey,
                          expected.ez, expected.radius, expected.distance, expected.azimuth, expected.elevation};
    const double a[10] = {actual.tx, actual.ty, actual.tz, actual.ex, actual.ey,
                          actual.ez, actual.radius, actual.distance, actual.azimuth, actual.elevation};
    const char* names[10] = {"tx", "ty", "tz", "ex", "ey", "ez", "radius", "distance", "azimuth", "elevation"};
    for (int f = 0; f < 10; ++f)
        EXPECT_NEAR(e[f], a[f], tol) << what << ": field " << names[f] << "\n  expected " << Describe(expected)
                                     << "\n  actual   " << Describe(actual);
}

bool SameBits(const stCamGeom& a, const stCamGeom& b) {
    return a.tx == b.tx && a.ty == b.ty && a.tz == b.tz && a.ex == b.ex && a.ey == b.ey && a.ez == b.ez &&
           a.radius == b.radius && a.distance == b.distance && a.azimuth == b.azimuth && a.elevation == b.elevation;
}

// A view from eye to target with every field filled in from the geometry alone.
stCamGeom ViewFrom(double ex, double ey, double ez, double tx, double ty, double tz) {
    stCamGeom c;
    c.ex = ex, c.ey = ey, c.ez = ez;
    c.tx = tx, c.ty = ty, c.tz = tz;
    c.radius = std::hypot(ex - tx, ez - tz);
    c.distance = std::sqrt((ex - tx) * (ex - tx) + (ey - ty) * (ey - ty) + (ez - tz) * (ez - tz));
    c.azimuth = std::atan2(ez - tz, ex - tx);
    c.elevation = std::asin((ey - ty) / c.distance);
    return c;
}

// The view the camera should take when it turns from `from` to look at (x, z) with its eye kept.
stCamGeom Retargeted(const stCamGeom& from, double x, double z) {
    return ViewFrom(from.ex, from.ey, from.ez, x, from.ty, z);
}

// ---- The sound worker's stand-in: records the sounds the window asks for. ----

struct SSoundLog {
    std::mutex mutex;
    std::vector<int> sounds;
    std::atomic<int> markers{0};
};
constexpr uint32_t kSoundMarker = WM_USER + 99;

void RecordSound(const platform::SMessage& msg, void* param) {
    auto* pLog = static_cast<SSoundLog*>(param);
    if (msg.nMsg == kSoundMarker) {
        ++pLog->markers;
        return;
    }
    if (msg.nMsg != UM_PLAY_SOUND) return;
    std::lock_guard lock(pLog->mutex);
    pLog->sounds.push_back(static_cast<int>(msg.lParam));
}

// ---- The window fixture. ----

// One message the test took from the window's queue and handed to the window.
struct SSeen {
    platform::SMessage msg;
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
    void KnockOff(std::initializer_list<int> checks) {
        for (int i : checks) Check(i).m_bOnDesk = 0;
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
    // A flick of draught i as an aimed click would launch it, played until the move has passed.
    void PlayFlick(int i, float vx, float vy) {
        CCheck& c = Check(i);
        const float fSpeed = std::hypot(vx, vy);
        c.m_fVx0 = vx;
        c.m_fVy0 = vy;
        c.m_fDirX = vx / fSpeed;
        c.m_fDirY = vy / fSpeed;
        c.m_fSpeed = fSpeed;
        c.m_fSlideTime = 0.0f;
        c.m_bMoving = 1;
        S().ResetMovers(i);
        S().m_nMoverSide = c.m_nSide;
        const int nMoverBefore = S().m_bMySideToMove;
        CMatchProbe(m_wnd->Match()).m_bBusy = 1;
        ASSERT_EQ(1, m_wnd->Physics().StartKickThread(i)) << "draught " << i;
        const auto deadline = Clock::now() + 30s;
        while ((CMatchProbe(m_wnd->Match()).m_bBusy || S().m_bMySideToMove == nMoverBefore) && Clock::now() < deadline) {
            m_wnd->StepFrame();
            std::this_thread::sleep_for(1ms);
        }
        ASSERT_EQ(0, CMatchProbe(m_wnd->Match()).m_bBusy) << "the flick of draught " << i << " did not end";
        ASSERT_NE(nMoverBefore, S().m_bMySideToMove) << "the move did not pass after draught " << i;
    }

    CLogCapture m_log;
    std::unique_ptr<CGameWnd> m_wnd;

private:
    SSeen Handle(const platform::SMessage& msg) {
        SSeen s{msg};
        if (msg.nMsg == UM_CAMERA_GEOM && msg.lParam) s.step = *reinterpret_cast<const stCamGeom*>(msg.lParam);
        m_wnd->SendMessage(msg.nMsg, msg.wParam, msg.lParam);
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

// ---- The limits of the held steps. ----

TEST_F(CameraWndTest, HeldStepsStopAtTheirBoundsAndNeverPassThem) {
    // gap: how far the camera is from the bound, positive while the step may still move it;
    // stepBound: the most one step can carry it past.
    struct SLimit {
        unsigned nKey;
        const char* name;
        std::function<double(const stCamGeom&)> gap;
        std::function<double(const stCamGeom&)> stepBound;
    };
    const double overheadRadius = std::sqrt(static_cast<double>(0.02f));
    const float fZoomStep = kCameraZoomStep;
    const SLimit limits[] = {
        {VK_UP, "up: within sqrt(0.02) of overhead",
         [=](const stCamGeom& c) { return std::hypot(c.ex - c.tx, c.ez - c.tz) - overheadRadius; },
         [](const stCamGeom& c) { return c.distance * kCameraElevationStep; }},
        {VK_DOWN, "down: eye height 0.2", [](const stCamGeom& c) { return c.ey - 0.2; },
         [](const stCamGeom& c) { return c.distance * kCameraElevationStep; }},
        {VK_ADD, "zoom in: eye height 0.3", [](const stCamGeom& c) { return c.ey - 0.3; },
         [=](const stCamGeom&) { return static_cast<double>(fZoomStep); }},
        {VK_SUBTRACT, "zoom out: an eye coordinate at 8.5",
         [](const stCamGeom& c) { return 8.5 - std::max({std::abs(c.ex), std::abs(c.ey), std::abs(c.ez)}); },
         [=](const stCamGeom&) { return static_cast<double>(fZoomStep); }},
    };
    struct SStart {
        const char* name;
        stCamGeom view;
    };
    StartGame();
    const SStart starts[] = {
        {"white's start view", m_wnd->GetCamera()},
        {"a view of a point off the centre", ViewFrom(3.0, 1.5, -2.0, 0.5, 0.0, 0.3)},
        {"a low view from the left", ViewFrom(-2.0, 0.9, 0.4, -0.2, 0.0, -0.1)},
    };
    constexpr int kMaxPresses = 2000;
    constexpr int kPressesAfterStop = 50;
    for (const SLimit& lim : limits) {
        for (const SStart& st : starts) {
            const std::string what = std::string(lim.name) + " from " + st.name;
            m_wnd->SetCamera(st.view);
            ASSERT_GT(lim.gap(st.view), 0.0) << what << ": the start is already at the bound";
            int nMoves = 0, nIdle = 0, nStepsFromBound = 0, nPastBound = 0;
            double worstOvershoot = 0.0;
            for (int n = 0; n < kMaxPresses && nIdle < kPressesAfterStop; ++n) {
                const stCamGeom before = m_wnd->GetCamera();
                CameraKey(lim.nKey);
                const stCamGeom& after = m_wnd->GetCamera();
                if (SameBits(before, after)) {
                    ++nIdle;
                    continue;
                }
                ++nMoves;
                if (nIdle > 0) ++nPastBound;  // moved again after having stopped
                if (lim.gap(before) <= 0.0) ++nStepsFromBound;
                worstOvershoot = std::max(worstOvershoot, -lim.gap(after) - lim.stepBound(before));
                // Every step keeps the target; up and down keep the distance, a zoom step moves
                // the eye by the camera step along the line to the target.
                EXPECT_TRUE(after.tx == before.tx && after.ty == before.ty && after.tz == before.tz) << what;
                if (lim.nKey == VK_UP || lim.nKey == VK_DOWN) {
                    EXPECT_NEAR(before.distance, after.distance, 1e-9) << what;
                } else {
                    const double moved = std::sqrt((after.ex - before.ex) * (after.ex - before.ex) +
                                                   (after.ey - before.ey) * (after.ey - before.ey) +
                                                   (after.ez - before.ez) * (after.ez - before.ez));
                    EXPECT_NEAR(fZoomStep, moved, 1e-6) << what;
                    const double toward = before.distance - after.distance;
                    EXPECT_NEAR(lim.nKey == VK_ADD ? fZoomStep : -fZoomStep, toward, 1e-6) << what;
                }
                EXPECT_NEAR(std::sqrt((after.ex - after.tx) * (after.ex - after.tx) +
                                      (after.ey - after.ty) * (after.ey - after.ty) +
                                      (after.ez - after.tz) * (after.ez - after.tz)),
                            after.distance, 1e-12)
                    << what << ": distance not recomputed";
            }
            const stCamGeom& end = m_wnd->GetCamera();
            EXPECT_GT(nMoves, 3) << what;
            EXPECT_EQ(kPressesAfterStop, nIdle) << what << ": never stopped within " << kMaxPresses << " presses";
            EXPECT_LE(lim.gap(end), 0.0) << what << ": stopped short of the bound, " << Describe(end);
            EXPECT_LE(worstOvershoot, 1e-12) << what << ": a step carried the camera past the bound by more than a step";
            EXPECT_EQ(0, nStepsFromBound) << what << ": a step was taken at the bound";
            EXPECT_EQ(0, nPastBound) << what << ": moved again after stopping";
        }
    }
}

// ---- The focus: TAB, its swing, and the aim at the focused draught. ----

TEST_F(CameraWndTest, TabWalksTheOwnDraughtsOnTheBoardInOrderThenTheCentre) {
    StartGame(1);  // against the computer: the player's white draughts
    KnockOff({kWhiteBase + 1, kWhiteBase + 2, kWhiteBase + 5, kBlackBase + 0});
    ASSERT_EQ(-1, S().m_nFocus);
    const int expected[] = {0, 3, 4, 6, 7, 8, 9, -1, 0};
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

TEST_F(CameraWndTest, TabFocusesTheSideWhoseDraughtsTheCameraFollows) {
    struct SCase {
        int nPlayers, nMyWhite, nMySideToMove, nBase;
    };
    const SCase cases[] = {
        {1, 1, 1, kWhiteBase}, {1, 1, 0, kWhiteBase},  // the player's own side, whoever moves
        {1, 0, 1, kBlackBase}, {1, 0, 0, kBlackBase},
        {3, 1, 1, kWhiteBase}, {3, 1, 0, kBlackBase},  // two players: the side to move
    };
    for (const SCase& c : cases) {
        StartGame();
        S().m_nPlayers = c.nPlayers;
        S().MyWhite = c.nMyWhite;
        S().m_bMySideToMove = c.nMySideToMove;
        KnockOff({kBlackBase + 0, kBlackBase + 1, kWhiteBase + 0, kWhiteBase + 1});
        const stCamGeom from = m_wnd->GetCamera();
        Key(VK_TAB, true);
        const std::string what = "players " + std::to_string(c.nPlayers) + " MyWhite " + std::to_string(c.nMyWhite) +
                                 " to move " + std::to_string(c.nMySideToMove);
        EXPECT_EQ(2, S().m_nFocus) << what;
        PumpSwing();
        const CCheck& focused = Check(c.nBase + 2);
        ExpectSameView(Retargeted(from, focused.m_fX, focused.m_fY), m_wnd->GetCamera(), 1e-6, what);
    }
}

// A focus that is no ordinal is logged and the walk starts again from the centre.
TEST_F(CameraWndTest, TabFromAFocusThatIsNoOrdinalStartsOver) {
    StartGame(1);
    S().m_nFocus = 42;
    Key(VK_TAB, true);
    EXPECT_EQ(0, S().m_nFocus);
    EXPECT_TRUE(m_log.Mentions("Camera focus 42")) << m_log.All();
    PumpSwing();
}

TEST_F(CameraWndTest, TabWhileAFlickRunsPlaysTheErrorSoundAndKeepsTheFocus) {
    SSoundLog sounds;
    CMsgThread recorder;
    recorder.SetHandler(RecordSound);
    ASSERT_EQ(1, recorder.Start(&sounds));
    SetSoundThread(&recorder);
    const auto errorsHeard = [&] {
        // Everything posted before the marker has been handled once the marker has.
        const int nMarkers = sounds.markers.load();
        recorder.Post(kSoundMarker, 0, 0);
        const auto deadline = Clock::now() + kArrivalLimit;
        while (sounds.markers.load() == nMarkers && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
        std::lock_guard lock(sounds.mutex);
        int n = 0;
        for (int s : sounds.sounds) n += s == SOUND_ERROR;
        sounds.sounds.clear();
        return n;
    };

    struct SCase {
        int bBusy, nFocusBefore, nFocusAfter, nErrors;
    };
    const SCase cases[] = {
        {1, -1, -1, 1}, {1, 3, 3, 1},  // busy: refused with the error sound
        {0, -1, 0, 0},  {0, 3, 4, 0},  // free: the focus moves on, silently
    };
    StartGame(1);
    for (const SCase& c : cases) {
        S().m_nFocus = c.nFocusBefore;
        CMatchProbe(m_wnd->Match()).m_bBusy = c.bBusy;
        const stCamGeom before = m_wnd->GetCamera();
        Key(VK_TAB, true);
        const std::string what = "busy " + std::to_string(c.bBusy) + " focus " + std::to_string(c.nFocusBefore);
        EXPECT_EQ(c.nFocusAfter, S().m_nFocus) << what;
        EXPECT_EQ(c.nErrors, errorsHeard()) << what;
        const std::vector<SSeen> seen = PumpUntilQuiet();
        EXPECT_EQ(c.bBusy ? 0 : kCameraSwingSteps, CountOf(seen, UM_CAMERA_GEOM)) << what;
        if (c.bBusy) {
            EXPECT_TRUE(SameBits(before, m_wnd->GetCamera())) << what << ": the camera moved";
        }
    }
    CMatchProbe(m_wnd->Match()).m_bBusy = 0;
    SetSoundThread(&m_wnd->SoundThread());
}

TEST_F(CameraWndTest, AimAtFocusFallsBackToTheFirstOwnDraughtOnTheBoard) {
    struct SCase {
        const char* what;
        int nFocus;
        std::vector<int> off;      // own ordinals knocked off
        int nFalling;              // own ordinal falling, -1 none
        int bBusy;
        int nLooked;               // ordinal the camera must look at, -1 none
        bool bSight;
    };
    const SCase cases[] = {
        {"focused draught on the board", 2, {}, -1, 0, 2, true},
        {"focused draught gone", 2, {0, 2}, -1, 0, 1, true},
        {"focused draught falling", 2, {}, 2, 0, -1, false},
        {"no own draught left", 2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -1, 0, -1, false},
        {"while a flick runs", 2, {}, -1, 1, -1, false},
        {"board centre focused", -1, {}, -1, 0, -1, false},
    };
    for (const SCase& c : cases) {
        StartGame(1);
        for (int k : c.off) Check(kWhiteBase + k).m_bOnDesk = 0;
        if (c.nFalling >= 0) {
            Check(kWhiteBase + c.nFalling).m_bOnDesk = 0;
            Check(kWhiteBase + c.nFalling).m_bFalling = 1;
        }
        S().m_nFocus = c.nFocus;
        CMatchProbe(m_wnd->Match()).m_bBusy = c.bBusy;
        const stCamGeom before = ViewFrom(-0.7, 1.8, 1.9, 0.0, 0.0, 0.0);
        m_wnd->SetCamera(before);
        m_wnd->m_sight.SetVisible(false);
        m_wnd->AimCameraAtFocus();
        EXPECT_EQ(c.nFocus, S().m_nFocus) << c.what << ": the focus itself never changes";
        EXPECT_EQ(c.bSight, m_wnd->m_sight.IsVisible()) << c.what;
        if (c.nLooked >= 0) {
            const CCheck& looked = Check(kWhiteBase + c.nLooked);
            ExpectSameView(Retargeted(before, looked.m_fX, looked.m_fY), m_wnd->GetCamera(), 1e-6, c.what);
        } else {
            EXPECT_TRUE(SameBits(before, m_wnd->GetCamera())) << c.what << ": the camera moved";
        }
        CMatchProbe(m_wnd->Match()).m_bBusy = 0;
    }
}

// ---- The heading to a new target. ----

TEST_F(CameraWndTest, LookingAtADraughtKeepsTheEyeAndHeadsByQuadrant) {
    struct SCase {
        double ex, ey, ez;
        float px, pz;
        bool bKeepsAzimuth;  // an offset of exactly 0 leaves the heading as it was
    };
    const SCase cases[] = {
        {0.0, 2.2, 1.0, -0.5f, -0.3f, false},  // eye right of and behind the draught
        {0.0, 2.2, 1.0, 0.5f, -0.3f, false},   // left, behind
        {-1.0, 2.0, -1.0, 0.2f, 0.4f, false},  // left, in front
        {1.0, 2.0, -1.0, 0.2f, 0.4f, false},   // right, in front
        {0.25, 2.0, 1.0, 0.25f, -0.3f, true},  // straight behind
        {1.0, 2.0, 0.5, -0.2f, 0.5f, true},    // straight beside
    };
    constexpr double kOldAzimuth = 0.123;
    StartGame();
    for (const SCase& c : cases) {
        stCamGeom start = ViewFrom(c.ex, c.ey, c.ez, 0.0, 0.0, 0.0);
        start.azimuth = kOldAzimuth;
        m_wnd->SetCamera(start);
        CCheck check;
        check.m_fStartX = c.px;
        check.m_fStartY = c.pz;
        m_wnd->LookAtDraught(check);
        const stCamGeom& cam = m_wnd->GetCamera();
        std::ostringstream what;
        what << "eye (" << c.ex << ", " << c.ez << ") draught (" << c.px << ", " << c.pz << ")";
        stCamGeom expected = Retargeted(start, c.px, c.pz);
        if (c.bKeepsAzimuth) expected.azimuth = kOldAzimuth;
        ExpectSameView(expected, cam, 1e-6, what.str());
        if (!c.bKeepsAzimuth) {
            // The heading places the eye where it is: a later turn starts from the real view.
            EXPECT_NEAR(cam.ex, cam.tx + cam.radius * std::cos(cam.azimuth), 1e-6) << what.str();
            EXPECT_NEAR(cam.ez, cam.tz + cam.radius * std::sin(cam.azimuth), 1e-6) << what.str();
        }
    }
}

TEST_F(CameraWndTest, SwingingToTheCentreHeadsFromTheEyesOwnPosition) {
    struct SCase {
        double ex, ez;
        double azimuth;  // expected; NAN: the old heading stays
        int nFocus;      // before TAB; with no own draught on the board every focus goes to the centre
    };
    const double kNoChange = NAN;
    const SCase cases[] = {
        {1.0, 1.0, std::atan2(1.0, 1.0), 5},    {-1.0, 1.0, std::atan2(1.0, -1.0), -1},
        {-1.0, -1.0, std::atan2(-1.0, -1.0), 9}, {1.0, -1.0, std::atan2(-1.0, 1.0), 4},
        {0.0, 1.5, std::numbers::pi / 2, 0},    // straight in front of the centre
        {1.2, 0.0, kNoChange, -1},              {0.0, -1.0, kNoChange, 9},
    };
    constexpr double kOldAzimuth = -0.77;
    StartGame(1);
    for (int k = 0; k < kChecksPerSide; ++k) Check(kWhiteBase + k).m_bOnDesk = 0;
    for (const SCase& c : cases) {
        stCamGeom start = ViewFrom(c.ex, 2.0, c.ez, 0.3, 0.0, -0.4);
        start.azimuth = kOldAzimuth;
        m_wnd->SetCamera(start);
        S().m_nFocus = c.nFocus;
        Key(VK_TAB, true);
        PumpSwing();
        std::ostringstream what;
        what << "eye (" << c.ex << ", " << c.ez << ") focus " << c.nFocus;
        EXPECT_EQ(-1, S().m_nFocus) << what.str();
        EXPECT_FALSE(m_wnd->m_sight.IsVisible()) << what.str();
        stCamGeom expected = Retargeted(start, 0.0, 0.0);
        expected.azimuth = std::isnan(c.azimuth) ? kOldAzimuth : c.azimuth;
        ExpectSameView(expected, m_wnd->GetCamera(), 1e-9, what.str());
    }
}

// ---- Two players: each side's own view across real flicks. ----

TEST_F(CameraWndTest, EachPlayerFindsHisOwnViewWhenTheMoveComesBack) {
    std::atomic<uint32_t> clock{0};
    platform::SetTimeSource([&clock] { return clock.fetch_add(40); });  // fast playback
    StartGame(3);
    const stCamGeom blackStart = ViewFrom(0.0, 2.2, -1.0, 0.0, 0.0, 0.0);

    // White turns the camera (a SHIFT turn through the animation thread), raises it, flicks.
    ASSERT_NO_FATAL_FAILURE(Shift(true));
    Key(VK_LEFT, true);
    ASSERT_EQ(kTurnSteps, CountOf(PumpUntilQuiet(), UM_TURN_STEP));
    Key(VK_LEFT, false);
    ASSERT_NO_FATAL_FAILURE(Shift(false));
    for (int i = 0; i < 5; ++i) CameraKey(VK_UP);
    const stCamGeom whiteView = m_wnd->GetCamera();
    // A short slide away from the middle of the board, so that nothing is hit.
    const auto outward = [this](int i) { return Check(i).m_fY > 0 ? 0.4f : -0.4f; };
    ASSERT_NO_FATAL_FAILURE(PlayFlick(kWhiteBase + 2, 0.0f, outward(kWhiteBase + 2)));
    EXPECT_STREQ("blacks turn", m_wnd->Match().TurnText());
    ExpectSameView(blackStart, m_wnd->GetCamera(), 1e-6, "black's first view");

    // Black looks at his first draught, zooms out and flicks.
    Key(VK_TAB, true);
    EXPECT_EQ(0, S().m_nFocus);
    PumpSwing();
    for (int i = 0; i < 10; ++i) CameraKey(VK_SUBTRACT);
    const stCamGeom blackView = m_wnd->GetCamera();
    ASSERT_FALSE(SameBits(blackView, blackStart));
    ASSERT_NO_FATAL_FAILURE(PlayFlick(kBlackBase + 3, 0.0f, outward(kBlackBase + 3)));
    EXPECT_STREQ("whites turn", m_wnd->Match().TurnText());
    ExpectSameView(whiteView, m_wnd->GetCamera(), 0.0, "white's view as he left it");
    EXPECT_EQ(-1, S().m_nFocus) << "a passed move focuses the centre";

    // And black finds his own again after white's next flick.
    ASSERT_NO_FATAL_FAILURE(PlayFlick(kWhiteBase + 6, 0.0f, outward(kWhiteBase + 6)));
    ExpectSameView(blackView, m_wnd->GetCamera(), 0.0, "black's view as he left it");
}

}  // namespace
