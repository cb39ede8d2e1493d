// The menus on a headless game window with the real pack: the layout, what each menu action does
// and sounds, the music, the setup selectors and the settings file, the help and about pages with
// their scrolling and hold buttons. One suite draws every screen with the real renderer (SDL's
// offscreen driver) and keeps the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/game_wnd.h"
#include "core/players.h"
#include "tests/support/log_capture.h"
#include "menus/menu_actions.h"
#include "menus/screen_table.h"
#include "menus/text_lines.h"
#include "tests/support/gl_game_wnd.h"
#include "tests/support/match_probe.h"
#include "tests/support/sound_recorder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;

struct SRect {
    int x, y, w, h;
};

std::ostream& operator<<(std::ostream& os, const SRect& r) {
    return os << "(" << r.x << ", " << r.y << ", " << r.w << " x " << r.h << ")";
}

// Where a button stands on a screen.
SRect ButtonRect(CGameWnd& wnd, const SScreenButton& b) {
    const SButtonDef* pDef = FindButton(b.nSlot);
    const CGLMenu* pButton = ButtonInSlot(wnd, b.nSlot);
    return {b.place.bOwn ? pDef->x : b.place.x, b.place.bOwn ? pDef->y : b.place.y, pButton->GetWidth(),
            pButton->GetHeight()};
}

// The offer of a kept campaign shows only while one is kept (none in these tests' profile).
bool ShownNow(const CGameWnd& wnd, int nSlot) {
    return wnd.IsCampaignOffered() || (nSlot != CMD_RESUME && nSlot != CMD_DISCARD);
}

class MenusTest : public CGlGameWndTest {
protected:
    MenusTest() : CGlGameWndTest(EWindowBackend::Headless) {}

    // As the widgets reach the window: a posted message, handled in the next pass of the loop.
    void Command(int nScreen, int nCommand) {
        wnd->GetHWND()->Post(UM_MENU_NOTIFY, static_cast<uintptr_t>(nScreen), nCommand);
        wnd->StepFrame();
    }
    void Selector(int nNotify) {
        wnd->GetHWND()->Post(UM_LIST_NOTIFY, static_cast<uintptr_t>(nNotify), 0);
        wnd->StepFrame();
    }
    void Key(unsigned nKey) {
        wnd->InjectKey(nKey, true);
        wnd->InjectKey(nKey, false);
        wnd->StepFrame();
    }
    void StepFor(std::chrono::milliseconds span) {
        for (const auto end = Clock::now() + span; Clock::now() < end;) wnd->StepFrame();
    }
    int CurItem(ESetupList eList) const { return wnd->m_aLists[eList].GetCurItemID(); }
    bool Saved() const { return fs::exists(CGameSettings::FilePath()); }

    CSoundRecorder m_sounds;
};

TEST_F(MenusTest, EachActionLeadsToItsScreenWithItsSound) {
    constexpr int M = SOUND_MENU_MOVE, B = SOUND_BEGIN, kAny = -1;
    struct SCase {
        int nFrom, nCommand;  // a button's command, or 0 for the key
        unsigned nKey;
        int nTo;
        std::vector<int> sounds;
        int nPlayers = kAny, nLevel = kAny;  // what a level button sets
    };
    const SCase cases[] = {
        {SCREEN_MAIN, CMD_SINGLE, 0, SCREEN_LEVEL_SINGLE, {M}}, {SCREEN_MAIN, CMD_MULTI, 0, SCREEN_LEVEL_TWO, {M}},
        {SCREEN_MAIN, CMD_HELP, 0, SCREEN_HELP, {M}},           {SCREEN_MAIN, CMD_ABOUT, 0, SCREEN_ABOUT, {M}},
        {SCREEN_MAIN, CMD_SETUP, 0, SCREEN_SETUP, {M}},
        {SCREEN_LEVEL_SINGLE, CMD_BEGINNER, 0, SCREEN_GAME, {B}, kOnePlayer, LEVEL_BEGINNER},
        {SCREEN_LEVEL_SINGLE, CMD_PRO, 0, SCREEN_GAME, {B}, kOnePlayer, LEVEL_PRO},
        {SCREEN_LEVEL_SINGLE, CMD_EXPERT, 0, SCREEN_GAME, {B}, kOnePlayer, LEVEL_EXPERT},
        {SCREEN_LEVEL_TWO, CMD_BEGINNER, 0, SCREEN_GAME, {B}, kTwoPlayers, LEVEL_BEGINNER},
        {SCREEN_LEVEL_TWO, CMD_PRO, 0, SCREEN_GAME, {B}, kTwoPlayers, LEVEL_PRO},
        {SCREEN_LEVEL_TWO, CMD_EXPERT, 0, SCREEN_GAME, {B}, kTwoPlayers, LEVEL_EXPERT},
        {SCREEN_LEVEL_SINGLE, CMD_NETWORK, 0, SCREEN_LEVEL_SINGLE, {}}, {SCREEN_LEVEL_TWO, CMD_NETWORK, 0, SCREEN_NETWORK, {M}},
        {SCREEN_LEVEL_SINGLE, CMD_BACK, 0, SCREEN_MAIN, {M}},   {SCREEN_LEVEL_TWO, 0, VK_RETURN, SCREEN_LEVEL_TWO, {}},
        {SCREEN_LEVEL_TWO, 0, VK_ESCAPE, SCREEN_MAIN, {M}},     {SCREEN_SETUP, 0, 'A', SCREEN_MAIN, {M}},
        {SCREEN_HELP, 0, VK_ESCAPE, SCREEN_MAIN, {M}},          {SCREEN_ABOUT, CMD_MAIN_MENU, 0, SCREEN_MAIN, {M}},
        {SCREEN_GAME, 0, 'R', SCREEN_GAME, {SOUND_ERROR}},  // no flick to replay yet
        {SCREEN_GAME, 0, VK_ESCAPE, SCREEN_PAUSE, {SOUND_PAUSE}}, {SCREEN_PAUSE, 0, VK_ESCAPE, SCREEN_GAME, {}},
        {SCREEN_PAUSE, CMD_CONTINUE, 0, SCREEN_GAME, {}},       {SCREEN_PAUSE, CMD_MAIN_MENU, 0, SCREEN_MAIN, {M}},
        {SCREEN_GAME_OVER, CMD_AGAIN, 0, SCREEN_GAME, {B}},     {SCREEN_GAME_OVER, CMD_NEXT_SET, 0, SCREEN_GAME_OVER, {}},
        {SCREEN_GAME_OVER, CMD_MAIN_MENU, 0, SCREEN_MAIN, {M}}, {SCREEN_CAMPAIGN_OVER, CMD_AGAIN, 0, SCREEN_GAME, {B}},
        {SCREEN_SET_OVER, CMD_NEXT_SET, 0, SCREEN_GAME, {B}},   {SCREEN_SET_OVER, CMD_AGAIN, 0, SCREEN_SET_OVER, {}},
        {SCREEN_SET_OVER, CMD_MAIN_MENU, 0, SCREEN_MAIN, {M}},
    };
    wnd->StepFrame();  // the process's first frame and its sound are behind us
    for (const SCase& c : cases) {
        const std::string what = "screen " + std::to_string(c.nFrom) + " command " + std::to_string(c.nCommand) +
                                 " key " + std::to_string(c.nKey);
        wnd->Settings().m_nPlayers = kTwoPlayers;  // no computer turn in the way
        if (c.nLevel != kAny) wnd->Settings().m_nLevel = kAny;
        if (c.nFrom == SCREEN_GAME || c.nFrom == SCREEN_PAUSE) wnd->StartMatch();
        wnd->SetScreen(c.nFrom);
        m_sounds.Take();
        if (c.nCommand) Command(c.nFrom, c.nCommand);
        else Key(c.nKey);
        EXPECT_EQ(wnd->GetScreen(), c.nTo) << what;
        EXPECT_EQ(m_sounds.Take(), c.sounds) << what;
        if (const CSound* pMusic = GetGameSound(SOUND_MENU_MUSIC)) {  // none without an audio device
            EXPECT_EQ(pMusic->IsPlaying(), c.nTo != SCREEN_GAME) << what << ": the menu music plays off the game screen";
        }
        if (c.nPlayers != kAny) {
            EXPECT_EQ(wnd->Settings().m_nPlayers * 10 + wnd->Settings().m_nLevel, c.nPlayers * 10 + c.nLevel) << what;
        }
    }
    // A network game's next set needs the other side told: with no link left it is refused.
    wnd->Match().SetNetSide(SIDE_WHITE);
    wnd->SetScreen(SCREEN_SET_OVER);
    m_sounds.Take();
    Command(SCREEN_SET_OVER, CMD_NEXT_SET);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_SET_OVER);
    EXPECT_EQ(m_sounds.Take(), std::vector{static_cast<int>(SOUND_ERROR)});
    wnd->Match().SetNetSide(0);
    Key(VK_OEM_3);  // the frame rate's key counts in a match only
    EXPECT_FALSE(wnd->m_bShowFps);
    // The pause screen takes clicks even while a flick runs, and shows the cursor.
    wnd->StartMatch();
    wnd->SetScreen(SCREEN_GAME);
    CMatchProbe(wnd->Match()).m_bBusy = true;
    wnd->m_bCursorShown = 0;
    Key(VK_ESCAPE);
    EXPECT_FALSE(CMatchProbe(wnd->Match()).m_bBusy);
    EXPECT_TRUE(wnd->m_bCursorShown && wnd->IsGLCursorShown());
    wnd->SetScreen(SCREEN_MAIN);
    Command(SCREEN_MAIN, CMD_EXIT);
    EXPECT_TRUE(wnd->IsQuitRequested());
    EXPECT_EQ(wnd->GetQuitCode(), 18);
}

TEST_F(MenusTest, BadScreenCommandAndSelectorNumbersAreLoggedAndChangeNothing) {
    CLogCapture log;
    wnd->SetScreen(kScreenCount);
    wnd->SetScreen(-1);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    Command(42, CMD_EXIT);
    EXPECT_FALSE(wnd->IsQuitRequested());
    Selector(99);
    EXPECT_TRUE(log.Mentions("no such screen") && log.Mentions("no such selector")) << log.All();
}

// ---- Setup ----

TEST_F(MenusTest, SelectorsCycleTheRecordDefaultResetsItAndOnlyMainMenuSavesIt) {
    struct SCase {
        int nNotify;
        ESetupList eList;
        int CGameSettings::*pField;
        std::vector<int> values;  // after each click
    };
    const SCase cases[] = {
        {NOTIFY_BOARD, LIST_BOARD, &CGameSettings::BoardType, {1, 2, 0, 1}},
        {NOTIFY_CHECKS, LIST_CHECKS, &CGameSettings::CheckType, {2, 1, 0, 2}},
        {NOTIFY_SIDE, LIST_SIDE, &CGameSettings::MyWhite, {0, 1, 0}},
        {NOTIFY_TURN_RULE, LIST_TURN_RULE, &CGameSettings::TurnType, {1, 0, 1}},
        {NOTIFY_GAME_MODE, LIST_GAME_MODE, &CGameSettings::GameMode, {1, 0, 1}},
        {NOTIFY_SKY, LIST_SKY, &CGameSettings::StarType, {1, 0, 1}},
    };
    // A fresh start with no file: the sky list shows "stars off" for the missing key's 2.
    EXPECT_EQ(wnd->Settings().StarType, 2);
    EXPECT_EQ(CurItem(LIST_SKY), 0);
    wnd->SetScreen(SCREEN_SETUP);
    for (const SCase& c : cases)
        for (size_t i = 0; i < c.values.size(); ++i) {
            Selector(c.nNotify);
            EXPECT_EQ(wnd->Settings().*c.pField, c.values[i]) << "list " << c.nNotify << " click " << i + 1;
            EXPECT_EQ(CurItem(c.eList), c.values[i]) << "list " << c.nNotify << " click " << i + 1;
            // The description and picture lists follow their list.
            EXPECT_EQ((std::vector{CurItem(LIST_BOARD_DESCR), CurItem(LIST_BOARD_PICTURE), CurItem(LIST_CHECK_DESCR)}),
                      (std::vector{CurItem(LIST_BOARD), CurItem(LIST_BOARD), CurItem(LIST_CHECKS)}));
        }
    EXPECT_FALSE(Saved()) << "a click changes the record, not the file";
    Command(SCREEN_SETUP, CMD_MAIN_MENU);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    CGameSettings saved;
    saved.Load();
    EXPECT_EQ((std::vector{saved.GameMode, saved.TurnType, saved.CheckType, saved.BoardType, saved.MyWhite, saved.StarType}),
              (std::vector{1, 1, 2, 1, 0, 1}));

    // Default sets every selector but the window one to its first item and writes nothing.
    fs::remove(CGameSettings::FilePath());
    wnd->SetScreen(SCREEN_SETUP);
    wnd->m_aLists[LIST_WINDOW].SetNext();  // stands for the full-screen item
    Command(SCREEN_SETUP, CMD_DEFAULT);
    const CGameSettings& s = wnd->Settings();
    EXPECT_EQ((std::vector{s.StarType, s.CheckType, s.MyWhite, s.GameMode, s.TurnType, s.BoardType}),
              (std::vector{1, 0, 1, 0, 0, 0}));
    for (const SSelectorDef& def : kSetupSelectors)
        EXPECT_EQ(CurItem(def.eList), def.eList == LIST_WINDOW ? kFullScreenItem : def.items.front().nId) << def.eList;
    EXPECT_FALSE(Saved());
    EXPECT_EQ(wnd->GetScreen(), SCREEN_SETUP);
}

TEST_F(MenusTest, ASaveThatFailsIsToldOnTheSetupScreenOnce) {
    std::ofstream(m_dir / "plain") << "a file where the settings folder should be";
    setenv("XDG_CONFIG_HOME", (m_dir / "plain").c_str(), 1);
    int nNotices = 0;
    wnd->Font().SetPrintListener([&](const SFontPrint& p) {
        EXPECT_LE(p.x + wnd->Font().GetWidth(p.text, p.fScale), kScreenW) << p.text;
        nNotices += p.text.find("cannot be saved") != std::string::npos;
    });
    auto notices = [&] { nNotices = 0; wnd->StepFrame(); return nNotices; };
    wnd->SetScreen(SCREEN_SETUP);
    EXPECT_EQ(notices(), 0);
    Command(SCREEN_SETUP, CMD_MAIN_MENU);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_SETUP) << "the first failure keeps the screen that tells it";
    EXPECT_EQ(notices(), 1);
    Command(SCREEN_SETUP, CMD_MAIN_MENU);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    wnd->Font().SetPrintListener({});
}

// ---- Help and about ----

TEST_F(MenusTest, KeysAndTheWheelScrollThePagesWithinTheirBounds) {
    const std::tuple<int, int, int*, int> pages[] = {{CMD_HELP, SCREEN_HELP, &wnd->m_nHelpFirst, 56},
                                                     {CMD_ABOUT, SCREEN_ABOUT, &wnd->m_nAboutFirst, 75}};
    for (const auto& [nOpen, nScreen, pFirst, nLast] : pages) {
        wnd->SetScreen(SCREEN_MAIN);
        *pFirst = 30;
        Command(SCREEN_MAIN, nOpen);
        ASSERT_EQ(wnd->GetScreen(), nScreen);
        EXPECT_EQ(*pFirst, 0) << "opened from the main menu: the first line";
        for (int i = 0; i < 3; ++i) Key(VK_DOWN);
        Key(VK_UP);
        EXPECT_EQ(*pFirst, 2) << "screen " << nScreen;
        for (int i = 0; i < nLast + 5; ++i) Key(VK_DOWN);
        wnd->InjectWheel(-1, 100, 100);  // toward the user
        wnd->StepFrame();
        EXPECT_EQ(*pFirst, nLast) << "screen " << nScreen << ": keys and wheel stop at the last line";
        wnd->InjectWheel(1, 100, 100);
        wnd->StepFrame();
        EXPECT_EQ(*pFirst, nLast - 1) << "screen " << nScreen << ": wheel away, one line up";
    }
    wnd->SetScreen(SCREEN_MAIN);  // the wheel does nothing elsewhere
    wnd->m_nHelpFirst = 3;
    wnd->InjectWheel(1, 100, 100);
    wnd->StepFrame();
    EXPECT_EQ(wnd->m_nHelpFirst, 3);
}

// A press and release that reach the window in one pass end the repeat the press starts; a held
// button repeats until it is let go or its page is left.
TEST_F(MenusTest, HoldButtonsRepeatOnlyWhileHeld) {
    struct SCase {
        int nScreen;
        SScreenButton button;
        std::function<double()> value;
        bool bLeave;  // the page is left while the button is held
    };
    const SCase cases[] = {{SCREEN_ABOUT, kPageButtons[1], [&] { return double(wnd->m_nAboutFirst); }, false},
                           {SCREEN_GAME, kGameButtons[2], [&] { return wnd->GetCamera().azimuth; }, false},
                           {SCREEN_HELP, kPageButtons[1], [&] { return double(wnd->m_nHelpFirst); }, true}};
    for (const SCase& c : cases) {
        const std::string what = "screen " + std::to_string(c.nScreen);
        wnd->Settings().m_nPlayers = kTwoPlayers;  // no computer turn holds the buttons back
        if (c.nScreen == SCREEN_GAME) wnd->StartMatch();
        wnd->SetScreen(c.nScreen);
        const SRect r = ButtonRect(*wnd, c.button);
        const int x = r.x + r.w / 2, y = kScreenH - 1 - r.y - r.h / 2;
        wnd->InjectMouseMove(x, y);
        wnd->InjectLButton(true, x, y);
        wnd->InjectLButton(false, x, y);
        StepFor(150ms);
        const double settled = c.value();
        StepFor(250ms);
        EXPECT_EQ(c.value(), settled) << what << ": the repeat outlived the click";
        wnd->InjectLButton(true, x, y);
        // A loaded machine may be slow to start the repeat: wait for it, within bounds.
        for (const auto end = Clock::now() + 3s; c.value() == settled && Clock::now() < end;) wnd->StepFrame();
        EXPECT_NE(c.value(), settled) << what << ": holding the button does not repeat";
        if (c.bLeave) Command(c.nScreen, CMD_MAIN_MENU);
        else wnd->InjectLButton(false, 0, 0);
        StepFor(100ms);  // what was already posted is handled
        const double stopped = c.value();
        StepFor(250ms);
        EXPECT_EQ(c.value(), stopped) << what << ": the repeat outlived the " << (c.bLeave ? "page" : "button");
        if (c.bLeave) wnd->InjectLButton(false, 0, 0);
    }
}

// ---- Every screen through the real renderer ----

class MenusGlTest : public CGlGameWndTest {};

// The first fully opaque pixel on the middle row of a picture, or false.
bool OpaqueMiddlePixel(const SImage& image, int& x, int& y, const uint8_t*& rgba) {
    y = image.nHeight / 2;
    for (x = image.nWidth / 2; x < image.nWidth; ++x) {
        rgba = &image.pixels[(static_cast<size_t>(y) * image.nWidth + x) * 4];
        if (rgba[3] == 255) return true;
    }
    return false;
}

TEST_F(MenusGlTest, EveryScreenShowsItsButtonsWhereItsTableSays) {
    const fs::path outDir = KD_MENU_SHOTS_DIR;
    fs::create_directories(outDir);
    for (const SScreenDef& def : kScreenDefs) {
        wnd->SetScreen(def.nScreen);
        const fs::path shot = outDir / (std::string("menu-") + def.szName + ".png");
        fs::remove(shot);
        wnd->RequestScreenshot(shot.string());
        wnd->StepFrame();
        SPng png;
        ASSERT_TRUE(png.Load(shot) && png.w == kScreenW && png.h == kScreenH) << shot;
        for (const SScreenButton& b : def.buttons) {
            if (!ShownNow(*wnd, b.nSlot)) continue;
            const SButtonDef* pDef = FindButton(b.nSlot);
            CGLTexture picture;
            ASSERT_TRUE(picture.LoadImageFromRes(wnd->Resource(), std::string(pDef->szBase) + ".tga", pDef->szFolder));
            int px = 0, py = 0;
            const uint8_t* pExpected = nullptr;
            ASSERT_TRUE(OpaqueMiddlePixel(*picture.Image(), px, py, pExpected)) << pDef->szBase;
            const SRect r = ButtonRect(*wnd, b);
            const uint8_t* pActual = png.At(r.x + px, r.y + py);
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(pActual[c], pExpected[c], 8) << def.szName << ": " << pDef->szBase << " at " << r << " channel " << c;
        }
    }
}

}  // namespace
