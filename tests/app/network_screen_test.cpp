// The network screen on a headless game window: an address typed with the keys joins a host on
// the loopback, and the joiner plays black.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "app/game_wnd.h"
#include "core/win_messages.h"
#include "game/match_record.h"
#include "net/lockstep_session.h"
#include "tests/support/temp_profile_env.h"

namespace {

const auto* g_env = AddTempProfile("kd_network_screen_test");

TEST(NetworkScreen, AnAddressTypedWithTheKeysJoinsTheHostAndBackspaceTakesBack) {
    CGameWnd wnd(EWindowBackend::Headless);
    wnd.Resource().AddSearchDir(std::filesystem::path(KD_RES_PACK_PATH).parent_path().string());
    ASSERT_TRUE(wnd.Resource().Open() && wnd.CreateGLWindow("Kelvo Dara", 800, 600, 32, false, 103, false) == 1);
    CGameSettings s;
    CDesk desk;
    desk.SetSettings(&s);
    CLockstepSession host(desk, s, ProgramVersion());
    std::string error;
    ASSERT_TRUE(host.Link().Listen(0, error)) << error;
    wnd.OpenNetworkScreen();
    std::string keys = "127.0.0.1 " + std::to_string(host.Link().Port()) + "X";
    for (char c : keys) wnd.OnKeyDown(c == '.' ? VK_OEM_PERIOD : c == ' ' ? VK_SPACE : static_cast<unsigned>(c), 0);
    wnd.OnKeyDown(VK_BACK, 0);
    EXPECT_EQ(wnd.Net().Field(), "127.0.0.1:" + std::to_string(host.Link().Port()));
    wnd.OnKeyDown(VK_RETURN, 0);
    bool bStarted = false;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         !(bStarted && wnd.Match().NetSide()) && std::chrono::steady_clock::now() < end;) {
        bStarted = bStarted || host.Poll(1).type == SSessionEvent::EType::Started;
        wnd.StepFrame();
    }
    EXPECT_TRUE(bStarted) << wnd.Net().Message();
    EXPECT_EQ(wnd.Match().NetSide(), SIDE_BLACK);
}

}  // namespace
