// The game window on the headless backend with the real pack: message dispatch, the entry's
// checks and error boxes, the scene built and rebuilt across window switches, the star field.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/anim_thread.h"
#include "app/framework/dx_version.h"
#include "app/framework/message_box.h"
#include "app/framework/model_registry.h"
#include "app/game_entry.h"
#include "app/game_events.h"
#include "app/game_wnd.h"
#include "render/scene_resources.h"
#include "log_capture.h"
#include "tests/camera_views.h"
#include "platform/log.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();

// Settings and log go to fresh folders; no audio device; boxes are captured.
class CGameWndEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const fs::path root = fs::temp_directory_path() / ("kd_game_wnd_test_" + std::to_string(getpid()));
        fs::create_directories(root / "config");
        fs::create_directories(root / "state");
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        m_root = root;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

private:
    fs::path m_root;
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new CGameWndEnvironment);

struct SBox {
    std::string caption, text;
};

// Captures every error box and log line of one test; restores the real ones after it.
class GameWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(CGameSettings::FilePath());
        SetErrorBoxHook([this](const std::string& c, const std::string& t) { m_boxes.push_back({c, t}); });
        SetDirectXVersionForTest(kVideoReadyVersion);
    }
    void TearDown() override {
        SetRunGameHooks({});
        SetDirectXVersionForTest(-1);
        platform::SetLogSink({});
        SetErrorBoxHook({});
        delete g_pGameWnd;
        g_pGameWnd = nullptr;
    }
    // The computer's thread logs too, so lines are read under the capture's lock.
    bool Logged(const std::string& text) { return m_log.Mentions(text); }
    // A headless window opened on the real pack, in a window unless told otherwise.
    std::unique_ptr<CGameWnd> OpenWindow(bool bFullScreen = false) {
        auto wnd = std::make_unique<CGameWnd>(EWindowBackend::Headless);
        wnd->Resource().AddSearchDir(kPackDir.string());
        EXPECT_TRUE(wnd->Resource().Open()) << wnd->Resource().LastError();
        EXPECT_EQ(1, wnd->CreateGLWindow("Kelvo Dara", 800, 600, 32, bFullScreen, 103, false));
        return wnd;
    }
    static void AddPackDir(CGameWnd& wnd) { wnd.Resource().AddSearchDir(kPackDir.string()); }

    std::vector<SBox> m_boxes;
    CLogCapture m_log;
};

// ---- Star field. ----

TEST(StarFieldTest, HasItsCountItsFirstStarsAndStaysInsideTheBoxAndShell) {
    const auto& stars = StarField();
    ASSERT_EQ(636u, stars.size());
    const SStarPoint first[3] = {{15.1665f, -12.6825f, 27.6525f},
                                 {-11.9998f, -23.1675f, 25.9349f},
                                 {-27.1083f, 20.3232f, 22.985f}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(first[i].x, stars[i].x) << "star " << i;
        EXPECT_EQ(first[i].y, stars[i].y) << "star " << i;
        EXPECT_EQ(first[i].z, stars[i].z) << "star " << i;
    }
    const SStarFieldBounds& b = kStarFieldBounds;
    int nOutside = 0;
    for (size_t i = 0; i < stars.size(); ++i) {
        const SStarPoint& p = stars[i];
        const double d = std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z);
        const bool bInside = p.x >= b.fMinX && p.x <= b.fMaxX && p.y >= b.fMinY && p.y <= b.fMaxY &&
                             p.z >= b.fMinZ && p.z <= b.fMaxZ && d >= b.fMinDist && d <= b.fMaxDist;
        if (!bInside && ++nOutside <= 5)
            ADD_FAILURE() << "star " << i << " (" << p.x << ", " << p.y << ", " << p.z
                          << ") at distance " << d << " lies outside the field";
    }
    EXPECT_EQ(0, nOutside);
}

TEST(StarFieldTest, SpreadsOverTheSkyInsteadOfRepeatingAPoint) {
    const auto& stars = StarField();
    // Every octant of the sky holds stars, and no two stars coincide.
    int aOctant[8] = {};
    for (const SStarPoint& p : stars) ++aOctant[(p.x > 0) + 2 * (p.y > 0) + 4 * (p.z > 0)];
    for (int i = 0; i < 8; ++i) EXPECT_GT(aOctant[i], 20) << "octant " << i;
    for (size_t i = 0; i < stars.size(); ++i)
        for (size_t j = i + 1; j < stars.size(); ++j)
            ASSERT_FALSE(stars[i].x == stars[j].x && stars[i].y == stars[j].y && stars[i].z == stars[j].z)
                << "stars " << i << " and " << j << " coincide";
}

// ---- Messages. ----

TEST_F(GameWndTest, ApplicationMessagesAreHandledAndOthersAreNot) {
    auto wnd = OpenWindow();
    struct SCase {
        uint32_t nMsg;
        uintptr_t wParam;
        intptr_t lParam;
        bool bHandled;
    };
    const SCase cases[] = {
        {WM_USER + 1, 0, 0, false},        // UM_PLAY_SOUND goes to the sound thread only
        {UM_TURN_STEP, VK_LEFT, 3, true},
        {UM_LIST_NOTIFY, 99, 0, true},     // an unknown list changes nothing but is ours
        {UM_MENU_NOTIFY, SCREEN_PAUSE, 35, true},
        {UM_FLICK_FINISHED, 0, 0, true},
        {WM_USER + 7, 0, 0, false},
        {UM_HOLD_LEFT, 0, 0, false},
        {UM_HOLD_RIGHT, 0, 0, false},
        {UM_HOLD_UP, 0, 0, false},
        {UM_HOLD_DOWN, 0, 0, false},
        {UM_HOLD_ZOOM_IN, 0, 0, false},
        {UM_HOLD_ZOOM_OUT, 0, 0, false},
        {UM_SCROLL, SCREEN_SETUP, 21, true},
        {UM_CAMERA_KEY, VK_LEFT, 0, true},
        {UM_START_PLAYBACK, 0, 0, true},
        {WM_USER + 18, 0, 0, false},
        {WM_USER, 0, 0, false},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(c.bHandled, wnd->SendMessage(c.nMsg, c.wParam, c.lParam))
            << "message WM_USER+" << (c.nMsg - WM_USER);
}

TEST_F(GameWndTest, QueuedMotionReachesThePhysicsAndPlaybackStarts) {
    auto wnd = OpenWindow();
    ASSERT_EQ(0u, wnd->Physics().MotionCount());
    for (int i = 0; i < 2; ++i) {
        platform::SMessage msg = platform::MakeMessage(UM_QUEUE_MOTION, 0, std::make_unique<CDesk>(wnd->Desk()));
        EXPECT_TRUE(wnd->OnAppMessage(msg));
    }
    EXPECT_EQ(2u, wnd->Physics().MotionCount());
    EXPECT_FALSE(wnd->Physics().IsPlaying());
    EXPECT_TRUE(wnd->SendMessage(UM_START_PLAYBACK, 0, 0));
    EXPECT_TRUE(wnd->Physics().IsPlaying());
    wnd->Physics().StopPlayback();
    wnd->Physics().ClearMotions();
}

TEST_F(GameWndTest, TurnStepsOutsideTheTableChangeNothing) {
    auto wnd = OpenWindow();
    const stCamGeom before = wnd->GetCamera();
    const intptr_t badSteps[] = {-1, 8, 9, 1000, -1000};
    for (intptr_t step : badSteps) {
        for (uintptr_t key : {uintptr_t{VK_LEFT}, uintptr_t{VK_RIGHT}}) {
            EXPECT_TRUE(wnd->SendMessage(UM_TURN_STEP, key, step));
            EXPECT_TRUE(SameBits(before, wnd->GetCamera()))
                << "key " << key << " step " << step << ": " << Describe(wnd->GetCamera());
        }
    }
    // A step for a key that is neither left nor right turns nothing either.
    EXPECT_TRUE(wnd->SendMessage(UM_TURN_STEP, VK_UP, 3));
    EXPECT_TRUE(SameBits(before, wnd->GetCamera())) << Describe(wnd->GetCamera());
}

TEST_F(GameWndTest, EightTurnStepsTurnTheCameraAQuarterOfPiEachWay) {
    auto wnd = OpenWindow();
    struct SCase {
        unsigned nKey;
        double fExpectedTurn;
    };
    for (const SCase& c : {SCase{VK_LEFT, std::numbers::pi / 4}, SCase{VK_RIGHT, -std::numbers::pi / 4}}) {
        const double fStart = wnd->GetCamera().azimuth;
        for (intptr_t step = 0; step < 8; ++step) wnd->SendMessage(UM_TURN_STEP, c.nKey, step);
        const double fTurn = wnd->GetCamera().azimuth - fStart;
        EXPECT_NEAR(c.fExpectedTurn, fTurn, 1e-5) << "key " << c.nKey;
    }
}

TEST_F(GameWndTest, CameraStepsFromTheAnimationThreadReachTheWindowIntact) {
    auto wnd = OpenWindow();
    stCamGeom from = wnd->GetCamera();
    stCamGeom to = from;
    to.tx = 0.25; to.ty = 0.0; to.tz = -0.125;
    to.ex = 0.5; to.ey = 2.0; to.ez = 1.0;
    to.radius = 0.75; to.distance = 2.25; to.azimuth = 1.0; to.elevation = 0.5;
    // A step posted by hand: the window takes the copy as it is.
    stCamGeom handStep = to;
    handStep.tx = -0.3;
    ASSERT_TRUE(PostMessageA(wnd->GetHWND(), platform::MakeMessage(UM_CAMERA_GEOM, 0, std::make_unique<stCamGeom>(handStep))));
    wnd->StepFrame();
    EXPECT_TRUE(SameBits(handStep, wnd->GetCamera())) << Describe(wnd->GetCamera());

    // The real worker: three steps, the last one the target view, field for field.
    ASSERT_TRUE(wnd->AnimThread().Post(platform::MakeMessage(UM_CAMERA_GEOM, 0, std::make_unique<SCameraSwing>(from, to))));
    bool bArrived = false;
    for (int i = 0; i < 400 && !bArrived; ++i) {  // up to about 2 s
        wnd->StepFrame();
        bArrived = SameBits(to, wnd->GetCamera());
        if (!bArrived) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(bArrived) << "camera now: " << Describe(wnd->GetCamera()) << "\nexpected: " << Describe(to);
}

// ---- Time-out of the computer's delay, polled by the game scene only while active. ----

TEST_F(GameWndTest, TheComputerDelayIsPolledOnlyWhileTheWindowIsActive) {
    auto wnd = OpenWindow();
    wnd->m_nCurScreen = SCREEN_GAME;
    m_hTimeoutCompTurnEvent.Reset();

    wnd->SetHeadlessActive(false);
    m_hTimeoutCompTurnEvent.Set();
    wnd->StepFrame();
    EXPECT_FALSE(Logged("Signal m_hTimeoutCompTurnEvent"));

    wnd->SetHeadlessActive(true);
    wnd->StepFrame();
    EXPECT_TRUE(Logged("Signal m_hTimeoutCompTurnEvent"));
    EXPECT_FALSE(m_hTimeoutCompTurnEvent.Wait(0)) << "the poll must take the signal";
}

// Started as black, left after 0.5 s and started again 0.5 s later: as white nothing starts the
// computer; as black it starts once, about two seconds after the new start.
TEST_F(GameWndTest, TheComputerStartsTwoSecondsAfterItsMatchStartAndNeverForALeftMatch) {
    auto wnd = OpenWindow();
    m_hTimeoutCompTurnEvent.Reset();
    const auto startGame = [&](int nMyWhite) {
        wnd->Settings().m_nPlayers = 1;
        wnd->Settings().MyWhite = nMyWhite;
        wnd->StartMatch();
        wnd->SetScreen(SCREEN_GAME);
    };
    for (const int nMyWhite : {1, 0}) {
        startGame(0);
        std::this_thread::sleep_for(500ms);
        wnd->StopMatch();
        std::this_thread::sleep_for(500ms);
        startGame(nMyWhite);
        const auto start = std::chrono::steady_clock::now();
        const bool bStarted = m_hTimeoutCompTurnEvent.Wait(kCompTurnDelayMs + 500);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(nMyWhite == 0, bStarted) << "MyWhite " << nMyWhite;
        if (bStarted) {
            EXPECT_GT(waited, 1800ms) << "an old delay started the computer";
            EXPECT_LT(waited, 3000ms);
            EXPECT_FALSE(m_hTimeoutCompTurnEvent.Wait(1000)) << "a second computer start";
            m_hTimeoutCompTurnEvent.Set();  // hand the signal back to the frame's poll
            wnd->StepFrame();
            EXPECT_TRUE(Logged("Signal m_hTimeoutCompTurnEvent"));
            EXPECT_EQ(SIDE_WHITE, wnd->Settings().m_nMoverSide);
            EXPECT_TRUE(wnd->Physics().HasCompThread());
        }
        wnd->StopMatch();
        EXPECT_FALSE(wnd->Physics().HasCompThread());
    }
}

// ---- Entry. ----

TEST_F(GameWndTest, PlatformCheckRefusesOldVideoAndStartsFromVersion8) {
    struct SCase {
        int nVersion;
        bool bStarts;
    };
    for (const SCase c : {SCase{0x7FF, false}, SCase{0x800, true}, SCase{0x900, true}}) {
        m_boxes.clear();
        SetDirectXVersionForTest(c.nVersion);
        bool bCreated = false, bShown = false;
        SetRunGameHooks({[&](CGameWnd& wnd) { bCreated = true; AddPackDir(wnd); },
                         [&](CGameWnd& wnd) { bShown = wnd.IsCreated(); wnd.Quit(18); }});
        const int nCode = RunGame(true);
        if (c.bStarts) {
            EXPECT_EQ(18, nCode) << std::hex << c.nVersion;
            EXPECT_TRUE(bShown) << std::hex << c.nVersion;
            EXPECT_TRUE(m_boxes.empty()) << std::hex << c.nVersion << ": " << m_boxes[0].text;
            // The normal end leaves the window object, with its workers stopped.
            ASSERT_NE(nullptr, g_pGameWnd);
            EXPECT_FALSE(g_pGameWnd->AnimThread().IsStarted());
            EXPECT_FALSE(g_pGameWnd->SoundThread().IsStarted());
            delete g_pGameWnd;
            g_pGameWnd = nullptr;
        } else {
            EXPECT_EQ(0, nCode);
            EXPECT_FALSE(bCreated) << "no window object before the check passes";
            ASSERT_EQ(1u, m_boxes.size());
            EXPECT_EQ("KelvoDara", m_boxes[0].caption);
            EXPECT_EQ("Please install DirectX 8.0 or better", m_boxes[0].text);
            EXPECT_EQ(nullptr, g_pGameWnd);
        }
    }
}

// Every failure ends in one box, whose lines fit the screen: a message, any other exception, a
// missing pack, a pack whose board is damaged.
TEST_F(GameWndTest, ErrorsEndInOneBoxAndDestroyTheWindow) {
    std::ifstream in(KD_RES_PACK_PATH, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string board = "models/3ds/desk_kr.3ds";
    // The manifest names the board first, its local header next; the model's bytes follow.
    bytes[bytes.find(board, bytes.find(board) + 1) + board.size() + 20] ^= 0x10;
    const fs::path damaged = fs::temp_directory_path() / ("kd_damaged_" + std::to_string(getpid()) + ".dat");
    std::ofstream(damaged, std::ios::binary) << bytes;
    auto pack = [](std::string datFile) { return [=](CGameWnd& wnd) { wnd.Resource().SetDatFile(datFile); }; };
    struct SCase {
        std::function<void(CGameWnd&)> onCreated, onShown;
        std::string expectedText;
    };
    const SCase cases[] = {
        {AddPackDir, [](CGameWnd&) { throw CGameMessage{"Something is missing"}; }, "Something is missing"},
        {AddPackDir, [](CGameWnd&) { throw std::runtime_error("boom"); }, kUnhandledErrorText},
        {AddPackDir, [](CGameWnd&) { throw 42; }, kUnhandledErrorText},
        {pack("no_such_pack.dat"), {}, "no_such_pack.dat"},
        {pack(damaged.string()), [](CGameWnd& wnd) { wnd.Quit(0); }, "desk_kr.3ds"},
    };
    for (const SCase& c : cases) {
        m_boxes.clear();
        SetRunGameHooks({c.onCreated, c.onShown});
        EXPECT_EQ(0, RunGame(true)) << c.expectedText;
        ASSERT_EQ(1u, m_boxes.size()) << c.expectedText;
        EXPECT_EQ("KelvoDara", m_boxes[0].caption);
        EXPECT_NE(m_boxes[0].text.find(c.expectedText), std::string::npos) << m_boxes[0].text;
        std::istringstream lines(m_boxes[0].text);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 90u) << line;
        EXPECT_EQ(nullptr, g_pGameWnd) << c.expectedText;
    }
    fs::remove(damaged);
}

TEST_F(GameWndTest, AWindowThatCannotBeMadeShowsTheCannotStartBox) {
    // SDL's dummy video driver has no OpenGL, so no game window can be made with it.
    const char* szOld = std::getenv("SDL_VIDEODRIVER");
    const std::string old = szOld ? szOld : "";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    SetRunGameHooks({[](CGameWnd& wnd) { AddPackDir(wnd); }, {}});
    const int nCode = RunGame(false);
    if (szOld) setenv("SDL_VIDEODRIVER", old.c_str(), 1);
    else unsetenv("SDL_VIDEODRIVER");
    EXPECT_EQ(0, nCode);
    ASSERT_EQ(1u, m_boxes.size());
    EXPECT_EQ("KelvoDara", m_boxes[0].caption);
    EXPECT_EQ("Can't initialize game!\nProgram will now close.", m_boxes[0].text);
    EXPECT_EQ(nullptr, g_pGameWnd);
}

// ---- Scene and window switch. ----

void ExpectSceneLoaded(const CGameWnd& wnd, const char* szWhen) {
    struct SObject {
        std::string name;
        const CGLObject& object;
        bool bFromFile;
    };
    std::vector<SObject> objects;
    for (int i = 0; i < kBoardCount; ++i) objects.push_back({"board " + std::to_string(i), wnd.Board(i), true});
    for (int i = 0; i < kHandCount; ++i) objects.push_back({"hand " + std::to_string(i), wnd.Hand(i), true});
    for (int i = 0; i < kCheckModelCount; ++i) {
        objects.push_back({"black draught " + std::to_string(i), wnd.BlackCheckModel(i), true});
        objects.push_back({"white draught " + std::to_string(i), wnd.WhiteCheckModel(i), true});
    }
    objects.push_back({"star field", wnd.Sky(0), false});
    for (int i = 1; i < kSkyObjectCount; ++i) objects.push_back({"star model " + std::to_string(i), wnd.Sky(i), true});
    objects.push_back({"marker sphere", wnd.Marker(), true});
    for (const SObject& o : objects) {
        const SRegisteredModel* pModel = FindModel(o.object.Get3DS());
        ASSERT_NE(nullptr, pModel) << szWhen << ": " << o.name << " has no model";
        if (o.bFromFile) {
            ASSERT_TRUE(pModel->data) << szWhen << ": " << o.name;
            EXPECT_FALSE(pModel->data->meshes.empty()) << szWhen << ": " << o.name << " is empty";
        }
    }
    // The sky models stand where the scene puts them.
    EXPECT_EQ(10.0f, wnd.Sky(2).GetPos()[0]);
    EXPECT_EQ(-150.0f, wnd.Sky(2).GetPos()[2]);
    EXPECT_EQ(20.0f, wnd.Sky(4).GetScale()[1]);
    EXPECT_TRUE(wnd.Marker().IsColorUsed());
}

TEST_F(GameWndTest, InitSceneLoadsEveryModelAndASwitchRebuildsThem) {
    auto wnd = OpenWindow();
    ExpectSceneLoaded(*wnd, "after start");
    wnd->ReleaseScene();
    EXPECT_EQ(kNoModel, wnd->Board(0).Get3DS());
    EXPECT_EQ(kNoModel, wnd->Sky(0).Get3DS());
    EXPECT_EQ(kNoModel, wnd->WhiteCheckModel(2).Get3DS());
    EXPECT_NE(kNoModel, wnd->Marker().Get3DS()) << "the marker is kept across a switch";
    ASSERT_TRUE(wnd->SwitchWindow());
    ExpectSceneLoaded(*wnd, "after a switch");
}

TEST_F(GameWndTest, AltEnterSwitchesModeAndTheFileHoldsTheNewMode) {
    auto wnd = OpenWindow(false);
    ASSERT_FALSE(wnd->IsFullScreen());
    struct SStep {
        bool bFullScreenAfter;
    };
    for (const SStep step : {SStep{true}, SStep{false}, SStep{true}}) {
        EXPECT_TRUE(wnd->SendMessage(WM_COMMAND, kCmdSwitchWindow | 0x10000u, 0));
        EXPECT_EQ(step.bFullScreenAfter, wnd->IsFullScreen());
        CGameSettings saved;
        saved.Load();
        EXPECT_EQ(step.bFullScreenAfter, saved.FullScreen) << "the file must hold the new mode";
        // Full screen keeps ALT+TAB and hides the system cursor; a window does neither.
        EXPECT_EQ(step.bFullScreenAfter, wnd->IsKeyboardGrabbed());
        EXPECT_EQ(!step.bFullScreenAfter, wnd->IsGLCursorShown());
        ExpectSceneLoaded(*wnd, step.bFullScreenAfter ? "in full screen" : "in a window");
    }
    // Another command is not the window's.
    EXPECT_FALSE(wnd->OnCommand(40002, 0));
}

TEST_F(GameWndTest, DestructionStopsEveryWorker) {
    for (int i = 0; i < 3; ++i) {
        auto wnd = std::make_unique<CGameWnd>(EWindowBackend::Headless);
        EXPECT_TRUE(wnd->AnimThread().IsStarted());
        EXPECT_TRUE(wnd->SoundThread().IsStarted());
        // A camera step left in the queue is freed with the window (ASan would see a leak).
        PostMessageA(wnd->GetHWND(), platform::MakeMessage(UM_CAMERA_GEOM, 0, std::make_unique<stCamGeom>()));
        wnd->StopWorkers();
        EXPECT_FALSE(wnd->AnimThread().Post(UM_TURN_STEP, VK_LEFT, 0));
        EXPECT_FALSE(wnd->SoundThread().IsStarted());
    }
}

}  // namespace
