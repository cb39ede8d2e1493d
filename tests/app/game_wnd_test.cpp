// The game window on the headless backend with the real pack: messages, the computer's delayed
// start, the entry's checks and error boxes, the scene built and rebuilt across window switches.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/framework/dx_version.h"
#include "app/framework/message_box.h"
#include "app/framework/model_registry.h"
#include "app/game_entry.h"
#include "app/game_events.h"
#include "app/game_wnd.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_profile_env.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kPackDir = fs::path(KD_RES_PACK_PATH).parent_path();
const auto* g_env = AddTempProfile("kd_game_wnd_test");

// Captures every error box and log line of one test; restores the real ones after it.
class GameWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(CGameSettings::FilePath());
        SetErrorBoxHook([this](const std::string&, const std::string& t) { m_boxes.push_back(t); });
        m_wnd = std::make_unique<CGameWnd>(EWindowBackend::Headless);
        AddPackDir(*m_wnd);
        ASSERT_TRUE(m_wnd->Resource().Open()) << m_wnd->Resource().LastError();
        ASSERT_EQ(1, m_wnd->CreateGLWindow("Kelvo Dara", 800, 600, 32, false, 103, false));
        m_hTimeoutCompTurnEvent.Reset();
    }
    void TearDown() override {
        m_wnd.reset();
        SetRunGameHooks({});
        SetDirectXVersionForTest(-1);
        SetErrorBoxHook({});
        delete g_pGameWnd;
        g_pGameWnd = nullptr;
    }
    static void AddPackDir(CGameWnd& wnd) { wnd.Resource().AddSearchDir(kPackDir.string()); }

    std::vector<std::string> m_boxes;
    CLogCapture m_log;  // the computer's thread logs too: read under the capture's lock
    std::unique_ptr<CGameWnd> m_wnd;
};

// Started as black, left after 0.5 s and started again 0.5 s later: as white nothing starts the
// computer; as black it starts once, about two seconds after the new start.
TEST_F(GameWndTest, TheComputerStartsTwoSecondsAfterItsMatchStartAndNeverForALeftMatch) {
    const auto startGame = [&](int nMyWhite) {
        m_wnd->Settings().m_nPlayers = 1;
        m_wnd->Settings().MyWhite = nMyWhite;
        m_wnd->StartMatch();
        m_wnd->SetScreen(SCREEN_GAME);
    };
    for (const int nMyWhite : {1, 0}) {
        startGame(0);
        std::this_thread::sleep_for(500ms);
        m_wnd->StopMatch();
        std::this_thread::sleep_for(500ms);
        startGame(nMyWhite);
        const auto start = std::chrono::steady_clock::now();
        const bool bStarted = m_hTimeoutCompTurnEvent.Wait(kCompTurnDelayMs + 500);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(nMyWhite == 0, bStarted) << "MyWhite " << nMyWhite;
        if (bStarted) {
            EXPECT_TRUE(waited > 1800ms && waited < 3000ms) << "an old delay started the computer";
            EXPECT_FALSE(m_hTimeoutCompTurnEvent.Wait(1000)) << "a second computer start";
            m_hTimeoutCompTurnEvent.Set();  // hand the signal back to the frame's poll
            m_wnd->StepFrame();
            EXPECT_EQ(SIDE_WHITE, m_wnd->Settings().m_nMoverSide);
            EXPECT_TRUE(m_wnd->Physics().HasCompThread());
        }
        m_wnd->StopMatch();
        EXPECT_FALSE(m_wnd->Physics().HasCompThread());
    }
}

// ---- Entry. ----

// Every failure ends in one box, whose lines fit the screen, and no window: old video, a message,
// any other exception, a missing pack, a pack whose board is damaged, no GL window.
TEST_F(GameWndTest, TheEntryEndsEveryFailureInOneBoxAndANormalEndStopsTheWorkers) {
    m_wnd.reset();
    std::ifstream in(KD_RES_PACK_PATH, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string board = "models/3ds/desk_kr.3ds";
    // The manifest names the board first, its local header next; the model's bytes follow.
    bytes[bytes.find(board, bytes.find(board) + 1) + board.size() + 20] ^= 0x10;
    const fs::path damaged = fs::temp_directory_path() / ("kd_damaged_" + std::to_string(getpid()) + ".dat");
    std::ofstream(damaged, std::ios::binary) << bytes;
    auto pack = [](std::string datFile) { return [=](CGameWnd& wnd) { wnd.Resource().SetDatFile(datFile); }; };
    auto quit = [](CGameWnd& wnd) { wnd.Quit(18); };
    struct SCase {
        int nVersion;
        std::function<void(CGameWnd&)> onCreated, onShown;
        std::string box;  // empty: the game ends normally with code 18
        const char* szVideoDriver = "";
    };
    const SCase cases[] = {
        {0x7FF, AddPackDir, quit, "Please install DirectX 8.0 or better"},
        {0x800, AddPackDir, quit, ""},
        {kVideoReadyVersion, AddPackDir, [](CGameWnd&) { throw CGameMessage{"Something is missing"}; }, "Something is missing"},
        {kVideoReadyVersion, AddPackDir, [](CGameWnd&) { throw std::runtime_error("boom"); }, kUnhandledErrorText},
        {kVideoReadyVersion, AddPackDir, [](CGameWnd&) { throw 42; }, kUnhandledErrorText},
        {kVideoReadyVersion, pack("no_such_pack.dat"), {}, "no_such_pack.dat"},
        {kVideoReadyVersion, pack(damaged.string()), quit, "desk_kr.3ds"},
        // SDL's dummy video driver has no OpenGL, so no game window can be made with it.
        {kVideoReadyVersion, AddPackDir, {}, "Can't initialize game!\nProgram will now close.", "dummy"},
    };
    for (const SCase& c : cases) {
        m_boxes.clear();
        SetDirectXVersionForTest(c.nVersion);
        SetRunGameHooks({c.onCreated, c.onShown});
        const char* szOld = std::getenv("SDL_VIDEODRIVER");
        const std::string old = szOld ? szOld : "";
        if (*c.szVideoDriver) setenv("SDL_VIDEODRIVER", c.szVideoDriver, 1);
        EXPECT_EQ(c.box.empty() ? 18 : 0, RunGame(!*c.szVideoDriver)) << c.box;
        if (!szOld) unsetenv("SDL_VIDEODRIVER");
        else setenv("SDL_VIDEODRIVER", old.c_str(), 1);
        if (c.box.empty()) {
            EXPECT_TRUE(m_boxes.empty()) << m_boxes[0];
            // The normal end leaves the window object, with its workers stopped.
            ASSERT_NE(nullptr, g_pGameWnd);
            EXPECT_FALSE(g_pGameWnd->AnimThread().IsStarted() || g_pGameWnd->SoundThread().IsStarted());
            delete g_pGameWnd;
            g_pGameWnd = nullptr;
            continue;
        }
        ASSERT_EQ(1u, m_boxes.size()) << c.box;
        EXPECT_NE(m_boxes[0].find(c.box), std::string::npos) << m_boxes[0];
        std::istringstream lines(m_boxes[0]);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 90u) << line;
        EXPECT_EQ(nullptr, g_pGameWnd) << c.box;
    }
    fs::remove(damaged);
}

// ---- Scene and window switch. ----

void ExpectSceneLoaded(const CGameWnd& wnd, const std::string& when) {
    std::vector<const CGLObject*> objects = {&wnd.Marker()};
    for (int i = 0; i < kBoardCount; ++i) objects.push_back(&wnd.Board(i));
    for (int i = 0; i < kHandCount; ++i) objects.push_back(&wnd.Hand(i));
    for (int i = 0; i < kCheckModelCount; ++i) objects.insert(objects.end(), {&wnd.BlackCheckModel(i), &wnd.WhiteCheckModel(i)});
    for (int i = 1; i < kSkyObjectCount; ++i) objects.push_back(&wnd.Sky(i));
    for (const CGLObject* o : objects) {
        const SRegisteredModel* pModel = FindModel(o->Get3DS());
        EXPECT_TRUE(pModel && pModel->data && !pModel->data->meshes.empty()) << when << ": object " << o - objects[0];
    }
    EXPECT_NE(nullptr, FindModel(wnd.Sky(0).Get3DS())) << when << ": the star field";
}

TEST_F(GameWndTest, AltEnterSwitchesModeSavesItAndRebuildsTheScene) {
    ExpectSceneLoaded(*m_wnd, "after start");
    for (int i = 0; i < 3; ++i) {
        const bool bFull = !m_wnd->IsFullScreen();
        EXPECT_TRUE(m_wnd->SendMessage(WM_COMMAND, kCmdSwitchWindow | 0x10000u, 0));
        EXPECT_EQ(bFull, m_wnd->IsFullScreen());
        CGameSettings saved;
        saved.Load();
        EXPECT_EQ(bFull, saved.FullScreen) << "the file must hold the new mode";
        // Full screen keeps ALT+TAB and hides the system cursor; a window does neither.
        EXPECT_EQ(bFull, m_wnd->IsKeyboardGrabbed());
        EXPECT_EQ(!bFull, m_wnd->IsGLCursorShown());
        ExpectSceneLoaded(*m_wnd, bFull ? "in full screen" : "in a window");
    }
    EXPECT_FALSE(m_wnd->OnCommand(40002, 0)) << "another command is not the window's";
}

}  // namespace
