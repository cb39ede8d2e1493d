// The menus on a headless game window with the real pack: the screens' layout and pictures,
// navigation by buttons, keys and the wheel, the menu music rule, the setup selectors and the
// settings file, the help and about tables with their scrolling, and the window title. One suite
// draws every screen with the real renderer (SDL's offscreen driver) and keeps the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/game_wnd.h"
#include "tests/match_probe.h"
#include "menus/menu_actions.h"
#include "menus/screen_table.h"
#include "menus/sound_effects.h"
#include "menus/text_lines.h"
#include "platform/log.h"
#include "log_capture.h"
#include "tests/gl_game_wnd.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
// The help and about pages keep their text left of the corner pictures, which start at x 600.
constexpr int kPageTextRight = 600;

struct SRect {
    int x, y, w, h;
    bool Overlaps(const SRect& o) const {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
    bool InsideScreen() const { return x >= 0 && y >= 0 && x + w <= kScreenW && y + h <= kScreenH; }
};

std::ostream& operator<<(std::ostream& os, const SRect& r) {
    return os << "(" << r.x << ", " << r.y << ", " << r.w << " x " << r.h << ")";
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class MenusTest : public CGlGameWndTest {
protected:
    MenusTest() : CGlGameWndTest(EWindowBackend::Headless) {}

    // The way the widgets and the framework reach the window: a posted message, handled in
    // the next pass of the loop.
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
    // A left click at a point of the screen given bottom-up, as the pictures are placed.
    void ClickAt(int x, int yUp) {
        const int yTop = kScreenH - 1 - yUp;
        wnd->InjectMouseMove(x, yTop);
        wnd->InjectLButton(true, x, yTop);
        wnd->InjectLButton(false, x, yTop);
        wnd->StepFrame();
        wnd->StepFrame();  // the notify posted during the click is handled in the next pass
    }
    bool MusicPlaying() const {
        CSound* pMusic = GetGameSound(SOUND_MENU_MUSIC);
        return pMusic && pMusic->IsPlaying();
    }
    fs::path SettingsFile() const { return CGameSettings::FilePath(); }
    int CurItem(ESetupList eList) const { return wnd->m_aLists[eList].GetCurItemID(); }
};

// Where a button stands on a screen.
SRect ButtonRect(CGameWnd& wnd, const SScreenButton& b) {
    const SButtonDef* pDef = FindButton(b.nSlot);
    const CGLMenu* pButton = ButtonInSlot(wnd, b.nSlot);
    const int x = b.place.bOwn ? pDef->x : b.place.x;
    const int y = b.place.bOwn ? pDef->y : b.place.y;
    return {x, y, pButton->GetWidth(), pButton->GetHeight()};
}

struct SControl {
    std::string name;
    SRect rect;
    int nSelector = -1;  // the setup list an item belongs to; -1 for a button
};

// Every button of a screen and, on the setup screen, every item of every selector.
std::vector<SControl> ScreenControls(CGameWnd& wnd, const SScreenDef& def, CResource& pack) {
    std::vector<SControl> out;
    for (const SScreenButton& b : def.buttons) out.push_back({FindButton(b.nSlot)->szBase, ButtonRect(wnd, b), -1});
    if (!def.bSetupSelectors) return out;
    for (const SSelectorDef& sel : kSetupSelectors) {
        for (const SSelectorItem& item : sel.items) {
            CGLTexture picture;
            picture.LoadImageFromRes(pack, item.szImage, sel.szFolder);
            out.push_back({std::string(sel.szFolder) + "\\" + item.szImage,
                           {item.x, item.y, picture.GetWidth(), picture.GetHeight()},
                           sel.eList});
        }
    }
    return out;
}

// ---- Layout and pictures ----

TEST_F(MenusTest, EveryControlLiesOnTheScreenAndNoTwoOverlap) {
    for (const SScreenDef& def : kScreenDefs) {
        const std::vector<SControl> controls = ScreenControls(*wnd, def, wnd->Resource());
        for (size_t i = 0; i < controls.size(); ++i) {
            const SControl& a = controls[i];
            EXPECT_GT(a.rect.w, 0) << def.szName << ": " << a.name << " has no picture";
            EXPECT_TRUE(a.rect.InsideScreen()) << def.szName << ": " << a.name << " at " << a.rect;
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const SControl& b = controls[j];
                // Items of one selector share their place: only one shows at a time.
                if (a.nSelector >= 0 && a.nSelector == b.nSelector) continue;
                EXPECT_FALSE(a.rect.Overlaps(b.rect))
                    << def.szName << ": " << a.name << " " << a.rect << " overlaps " << b.name << " " << b.rect;
            }
        }
    }
}

// The offer of a kept campaign shows only while one is kept (none in these tests' profile).
bool ShownNow(const CGameWnd& wnd, int nSlot) {
    return wnd.IsCampaignOffered() || (nSlot != CMD_RESUME && nSlot != CMD_DISCARD);
}

TEST_F(MenusTest, EachScreenDrawsItsButtonsWhereItsTableSays) {
    for (const SScreenDef& def : kScreenDefs) {
        const std::vector<SWidgetDraw> draws = wnd->m_aScreens[def.nScreen].CollectDraws();
        for (const SScreenButton& b : def.buttons) {
            const SRect r = ButtonRect(*wnd, b);
            bool bFound = false;
            for (const SWidgetDraw& d : draws)
                bFound = bFound || (d.x == r.x && d.y == r.y && d.pTexture->GetWidth() == r.w &&
                                    d.pTexture->GetHeight() == r.h);
            EXPECT_EQ(ShownNow(*wnd, b.nSlot), bFound) << def.szName << ": " << FindButton(b.nSlot)->szBase << " at " << r;
        }
    }
}

TEST_F(MenusTest, EveryPictureTheMenusNameIsInThePack) {
    struct SName {
        std::string folder, file;
    };
    std::vector<SName> names;
    for (const SButtonDef& b : kButtons) {
        names.push_back({b.szFolder, std::string(b.szBase) + ".tga"});
        names.push_back({b.szFolder, std::string(b.szBase) + "a.tga"});
    }
    for (const SSharedImageDef& s : kSharedImages) names.push_back({s.szFolder, s.szFile});
    for (const SScreenDef& def : kScreenDefs)
        for (const SScreenImage& image : def.images)
            if (image.eShared == ESharedImage::None) names.push_back({image.szFolder, image.szFile});
    for (const SSelectorDef& sel : kSetupSelectors) {
        for (const SSelectorItem& item : sel.items) {
            names.push_back({sel.szFolder, item.szImage});
            if (sel.nNotify != NOTIFY_NONE) names.push_back({sel.szFolder, assets::HighlightName(item.szImage)});
        }
    }
    for (const SName& n : names)
        EXPECT_TRUE(wnd->Resource().Exists(n.folder, n.file)) << n.folder << "\\" << n.file << " is missing";
    // And every one was loaded into the window.
    EXPECT_TRUE(wnd->m_leaveGame.IsLoaded());
    EXPECT_TRUE(wnd->m_sight.IsLoaded());
    EXPECT_FALSE(wnd->m_sight.IsVisible()) << "the sight shows only while a draught is focused";
    EXPECT_EQ(wnd->m_sight.GetX(), (kScreenW - wnd->m_sight.GetWidth()) / 2);
    EXPECT_EQ(wnd->m_sight.GetY(), (kScreenH - wnd->m_sight.GetHeight()) / 2);
}

TEST_F(MenusTest, LeaveGameReportsTheMainMenuCommandFromItsOwnSlot) {
    EXPECT_EQ(wnd->m_leaveGame.GetID(), CMD_MAIN_MENU);
    EXPECT_EQ(wnd->m_aMenus[CMD_MAIN_MENU].GetID(), CMD_MAIN_MENU);
    for (const SButtonDef& b : kButtons)
        if (b.nSlot != kLeaveGameSlot) {
            EXPECT_EQ(b.nSlot, b.nCommand) << b.szBase << ": slot is its command";
        }
}

// ---- Navigation ----

TEST_F(MenusTest, MainMenuCommandsOpenTheirScreens) {
    struct SCase {
        int nCommand, nScreen;
    };
    for (const SCase& c : {SCase{CMD_SINGLE, SCREEN_LEVEL_SINGLE}, SCase{CMD_MULTI, SCREEN_LEVEL_TWO},
                           SCase{CMD_HELP, SCREEN_HELP}, SCase{CMD_ABOUT, SCREEN_ABOUT},
                           SCase{CMD_SETUP, SCREEN_SETUP}}) {
        wnd->SetScreen(SCREEN_MAIN);
        Command(SCREEN_MAIN, c.nCommand);
        EXPECT_EQ(wnd->GetScreen(), c.nScreen) << "command " << c.nCommand;
    }
    EXPECT_FALSE(wnd->IsQuitRequested());
    Command(SCREEN_MAIN, CMD_EXIT);
    EXPECT_TRUE(wnd->IsQuitRequested());
    EXPECT_EQ(wnd->GetQuitCode(), 18);
}

TEST_F(MenusTest, LevelButtonsSetPlayersAndLevelAndStartTheGame) {
    struct SCase {
        int nScreen, nCommand, nPlayers, nLevel;
    };
    const SCase cases[] = {
        {SCREEN_LEVEL_SINGLE, CMD_BEGINNER, 1, LEVEL_BEGINNER}, {SCREEN_LEVEL_SINGLE, CMD_PRO, 1, LEVEL_PRO},
        {SCREEN_LEVEL_SINGLE, CMD_EXPERT, 1, LEVEL_EXPERT},     {SCREEN_LEVEL_TWO, CMD_BEGINNER, 3, LEVEL_BEGINNER},
        {SCREEN_LEVEL_TWO, CMD_PRO, 3, LEVEL_PRO},              {SCREEN_LEVEL_TWO, CMD_EXPERT, 3, LEVEL_EXPERT},
    };
    for (const SCase& c : cases) {
        wnd->Settings().m_nPlayers = -1;
        wnd->Settings().m_nLevel = -1;
        wnd->SetScreen(c.nScreen);
        Command(c.nScreen, c.nCommand);
        EXPECT_EQ(wnd->GetScreen(), SCREEN_GAME) << "screen " << c.nScreen << " command " << c.nCommand;
        EXPECT_EQ(wnd->Settings().m_nPlayers, c.nPlayers) << "screen " << c.nScreen << " command " << c.nCommand;
        EXPECT_EQ(wnd->Settings().m_nLevel, c.nLevel) << "screen " << c.nScreen << " command " << c.nCommand;
    }
}

TEST_F(MenusTest, BackAndEscapeLeaveTheLevelScreens) {
    for (int nScreen : {SCREEN_LEVEL_SINGLE, SCREEN_LEVEL_TWO}) {
        wnd->SetScreen(nScreen);
        Command(nScreen, CMD_BACK);
        EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN) << "back from " << nScreen;
        wnd->SetScreen(nScreen);
        Key(VK_RETURN);
        EXPECT_EQ(wnd->GetScreen(), nScreen) << "only ESC leaves " << nScreen;
        Key(VK_ESCAPE);
        EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN) << "ESC from " << nScreen;
    }
}

TEST_F(MenusTest, EscapePausesTheGameAndEscapeOrContinueGoesBack) {
    Command(SCREEN_MAIN, CMD_SINGLE);
    Command(SCREEN_LEVEL_SINGLE, CMD_BEGINNER);
    ASSERT_EQ(wnd->GetScreen(), SCREEN_GAME);
    CMatchProbe(wnd->Match()).m_bBusy = 1;
    wnd->m_bCursorShown = 0;
    Key(VK_ESCAPE);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_PAUSE);
    EXPECT_EQ(CMatchProbe(wnd->Match()).m_bBusy, 0) << "the pause screen's buttons must take clicks";
    EXPECT_EQ(wnd->m_bCursorShown, 1);
    EXPECT_TRUE(wnd->IsGLCursorShown());

    CLogCapture log;
    Key(VK_ESCAPE);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_GAME);
    EXPECT_TRUE(log.Mentions("Continue game"));

    Key(VK_ESCAPE);
    Command(SCREEN_PAUSE, CMD_CONTINUE);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_GAME);

    Key(VK_ESCAPE);
    Command(SCREEN_PAUSE, CMD_MAIN_MENU);  // "leavegm"
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
}

TEST_F(MenusTest, ResultScreensStartAgainOrLeave) {
    struct SCase {
        int nScreen, nCommand, nExpected;
    };
    const SCase cases[] = {
        {SCREEN_GAME_OVER, CMD_AGAIN, SCREEN_GAME},     {SCREEN_GAME_OVER, CMD_MAIN_MENU, SCREEN_MAIN},
        {SCREEN_CAMPAIGN_OVER, CMD_AGAIN, SCREEN_GAME}, {SCREEN_CAMPAIGN_OVER, CMD_MAIN_MENU, SCREEN_MAIN},
        {SCREEN_SET_OVER, CMD_NEXT_SET, SCREEN_GAME},   {SCREEN_SET_OVER, CMD_MAIN_MENU, SCREEN_MAIN},
        // Commands a screen does not list change nothing.
        {SCREEN_SET_OVER, CMD_AGAIN, SCREEN_SET_OVER},  {SCREEN_GAME_OVER, CMD_NEXT_SET, SCREEN_GAME_OVER},
    };
    for (const SCase& c : cases) {
        wnd->SetScreen(c.nScreen);
        Command(c.nScreen, c.nCommand);
        EXPECT_EQ(wnd->GetScreen(), c.nExpected) << "screen " << c.nScreen << " command " << c.nCommand;
    }
}

TEST_F(MenusTest, GameControlsAreSwitchedTogether) {
    wnd->EnableGameControls(false);
    for (int nSlot : kGameControlSlots) EXPECT_FALSE(wnd->m_aMenus[nSlot].IsEnabled()) << nSlot;
    EXPECT_TRUE(wnd->m_aMenus[CMD_SINGLE].IsEnabled()) << "menu buttons are not game controls";
    wnd->EnableGameControls(true);
    for (int nSlot : kGameControlSlots) EXPECT_TRUE(wnd->m_aMenus[nSlot].IsEnabled()) << nSlot;
}

TEST_F(MenusTest, BadScreenAndCommandNumbersAreLoggedAndChangeNothing) {
    CLogCapture log;
    wnd->SetScreen(kScreenCount);
    wnd->SetScreen(-1);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    Command(42, CMD_EXIT);
    EXPECT_FALSE(wnd->IsQuitRequested());
    Selector(99);
    EXPECT_TRUE(log.Mentions("no such screen"));
    EXPECT_TRUE(log.Mentions("no such selector"));
}

// ---- Menu music ----

TEST_F(MenusTest, MusicStopsInTheGameAndStartsWhenTheGameIsLeft) {
    if (!GetGameSound(SOUND_MENU_MUSIC)) GTEST_SKIP() << "no audio device: the menu music was not created";
    EXPECT_TRUE(MusicPlaying()) << "the menus start with their music";
    struct SStep {
        int nScreen;
        bool bMusic;
    };
    const SStep steps[] = {
        {SCREEN_SETUP, true}, {SCREEN_GAME, false},  {SCREEN_PAUSE, true},     {SCREEN_GAME, false},
        {SCREEN_GAME, false}, {SCREEN_GAME_OVER, true}, {SCREEN_MAIN, true},
    };
    int nFrom = wnd->GetScreen();
    for (const SStep& s : steps) {
        wnd->SetScreen(s.nScreen);
        EXPECT_EQ(MusicPlaying(), s.bMusic) << "from " << nFrom << " to " << s.nScreen;
        nFrom = s.nScreen;
    }
}

// ---- Setup ----

TEST_F(MenusTest, SelectorClicksCycleTheirListsAndSetTheRecord) {
    // A fresh start with no file: every list shows the first item, except the sky list,
    // which shows "stars off" for the missing key's 2.
    EXPECT_EQ(wnd->Settings().StarType, 2);
    EXPECT_EQ(CurItem(LIST_SKY), 0);
    struct SCase {
        int nNotify;
        ESetupList eList;
        int CGameSettings::*pField;
        std::vector<int> values;  // after each click
    };
    const SCase cases[] = {
        {NOTIFY_BOARD, LIST_BOARD, &CGameSettings::BoardType, {1, 2, 0}},
        {NOTIFY_CHECKS, LIST_CHECKS, &CGameSettings::CheckType, {2, 1, 0}},
        {NOTIFY_SIDE, LIST_SIDE, &CGameSettings::MyWhite, {0, 1}},
        {NOTIFY_TURN_RULE, LIST_TURN_RULE, &CGameSettings::TurnType, {1, 0}},
        {NOTIFY_GAME_MODE, LIST_GAME_MODE, &CGameSettings::GameMode, {1, 0}},
        {NOTIFY_SKY, LIST_SKY, &CGameSettings::StarType, {1, 0}},
    };
    wnd->SetScreen(SCREEN_SETUP);
    for (const SCase& c : cases) {
        for (size_t i = 0; i < c.values.size(); ++i) {
            Selector(c.nNotify);
            EXPECT_EQ(wnd->Settings().*c.pField, c.values[i]) << "list " << c.nNotify << " click " << i + 1;
            EXPECT_EQ(CurItem(c.eList), c.values[i]) << "list " << c.nNotify << " click " << i + 1;
        }
    }
    EXPECT_FALSE(fs::exists(SettingsFile())) << "a click changes the record, not the file";
}

TEST_F(MenusTest, BoardAndDraughtListsCarryTheirFollowers) {
    for (int i = 0; i < 4; ++i) {
        Selector(NOTIFY_BOARD);
        EXPECT_EQ(CurItem(LIST_BOARD_DESCR), CurItem(LIST_BOARD)) << "click " << i;
        EXPECT_EQ(CurItem(LIST_BOARD_PICTURE), CurItem(LIST_BOARD)) << "click " << i;
        Selector(NOTIFY_CHECKS);
        EXPECT_EQ(CurItem(LIST_CHECK_DESCR), CurItem(LIST_CHECKS)) << "click " << i;
    }
}

TEST_F(MenusTest, DefaultResetsEverySelectorButTheWindowAndWritesNothing) {
    CGameSettings& s = wnd->Settings();
    s.StarType = 0;
    s.CheckType = 2;
    s.MyWhite = 0;
    s.GameMode = 1;
    s.TurnType = 1;
    s.BoardType = 1;
    wnd->SetScreen(SCREEN_SETUP);
    wnd->SyncSetupLists();
    wnd->m_aLists[LIST_WINDOW].SetNext();  // stands for the full-screen item
    Command(SCREEN_SETUP, CMD_DEFAULT);
    struct SCase {
        const char* name;
        int actual, expected;
    };
    for (const SCase& c : {SCase{"StarType", s.StarType, 1}, SCase{"CheckType", s.CheckType, 0},
                           SCase{"MyWhite", s.MyWhite, 1}, SCase{"GameMode", s.GameMode, 0},
                           SCase{"TurnType", s.TurnType, 0}, SCase{"BoardType", s.BoardType, 0}})
        EXPECT_EQ(c.actual, c.expected) << c.name;
    for (const SSelectorDef& def : kSetupSelectors) {
        const int nExpected = def.eList == LIST_WINDOW ? kFullScreenItem : def.items.front().nId;
        EXPECT_EQ(CurItem(def.eList), nExpected) << "list " << def.eList;
    }
    EXPECT_FALSE(fs::exists(SettingsFile()));
    EXPECT_EQ(wnd->GetScreen(), SCREEN_SETUP);
}

TEST_F(MenusTest, MainMenuButtonOfSetupSavesTheEightKeys) {
    wnd->SetScreen(SCREEN_SETUP);
    Selector(NOTIFY_BOARD);      // BoardType 1
    Selector(NOTIFY_CHECKS);     // CheckType 2 (stone)
    Selector(NOTIFY_SIDE);       // MyWhite 0
    Selector(NOTIFY_TURN_RULE);  // TurnType 1
    Selector(NOTIFY_GAME_MODE);  // GameMode 1
    Selector(NOTIFY_SKY);        // StarType 1
    Command(SCREEN_SETUP, CMD_MAIN_MENU);
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    ASSERT_TRUE(fs::exists(SettingsFile()));
    const std::string text = ReadText(SettingsFile());
    for (const char* line : {"GameMode=1", "TurnType=1", "CheckType=2", "BoardType=1", "MyWhite=0",
                             "FullScreen=0", "StarType=1", "DepthBits=32"})
        EXPECT_NE(text.find(line), std::string::npos) << "missing " << line << " in:\n" << text;
    CGameSettings loaded;
    loaded.Load();
    EXPECT_EQ(loaded.BoardType, 1);
    EXPECT_EQ(loaded.CheckType, 2);
    EXPECT_EQ(loaded.MyWhite, 0);
    EXPECT_EQ(loaded.StarType, 1);
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

TEST_F(MenusTest, AnyKeyLeavesSetupWithoutSavingAndTheListsShowTheRecord) {
    wnd->SetScreen(SCREEN_SETUP);
    Selector(NOTIFY_GAME_MODE);
    // The record and the lists disagree until the key re-syncs them.
    wnd->Settings().BoardType = BOARD_TWELVE;
    wnd->Settings().MyWhite = 5;
    wnd->Settings().StarType = 7;
    wnd->Settings().CheckType = 7;
    Key('A');
    EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    EXPECT_FALSE(fs::exists(SettingsFile()));
    EXPECT_EQ(wnd->Settings().GameMode, 1) << "the changed choice stays in memory";
    EXPECT_EQ(CurItem(LIST_GAME_MODE), 1);
    EXPECT_EQ(CurItem(LIST_BOARD), BOARD_TWELVE);
    EXPECT_EQ(CurItem(LIST_BOARD_DESCR), BOARD_TWELVE);
    EXPECT_EQ(CurItem(LIST_BOARD_PICTURE), BOARD_TWELVE);
    EXPECT_EQ(CurItem(LIST_SIDE), 1) << "any non-zero MyWhite plays white";
    EXPECT_EQ(CurItem(LIST_SKY), kStarsOffItem) << "a StarType that draws no stars shows stars off";
    EXPECT_EQ(CurItem(LIST_CHECKS), CHECK_BONE);
    EXPECT_EQ(wnd->Settings().CheckType, CHECK_BONE) << "what is played is what is shown";
}

TEST_F(MenusTest, TheWindowSelectorSwitchesToFullScreenAndKeepsTheSetupScreen) {
    wnd->SetScreen(SCREEN_SETUP);
    ASSERT_FALSE(wnd->IsFullScreen());
    ASSERT_EQ(CurItem(LIST_WINDOW), kWindowedItem);
    Selector(NOTIFY_WINDOW);
    EXPECT_TRUE(wnd->IsFullScreen());
    EXPECT_EQ(wnd->GetScreen(), SCREEN_SETUP);
    EXPECT_EQ(CurItem(LIST_WINDOW), kFullScreenItem);
    EXPECT_GT(wnd->m_aLists[LIST_BOARD].GetCount(), 0) << "the setup lists were rebuilt";
    // The switch saves the record with the new mode.
    CGameSettings loaded;
    loaded.Load();
    EXPECT_TRUE(loaded.FullScreen);
    Selector(NOTIFY_WINDOW);
    EXPECT_FALSE(wnd->IsFullScreen());
    EXPECT_EQ(CurItem(LIST_WINDOW), kWindowedItem);
}

TEST_F(MenusTest, TitleIsTheNameTwoBlanksAndTheVersion) {
    EXPECT_EQ(wnd->GetWndTitle(), std::string("Kelvo Dara  ") + wnd->GetVersion());
    EXPECT_EQ(FormatWindowTitle("1.2"), "Kelvo Dara  1.2");
}

// ---- Help and about ----

TEST_F(MenusTest, TablesHaveTheirLengthsAndPrintableLines) {
    EXPECT_EQ(kHelpLineCount, 82);
    EXPECT_EQ(kAboutLineCount, 101);
    const CFontMetrics& metrics = wnd->Font().Metrics();
    ASSERT_TRUE(metrics.IsLoaded());
    struct STable {
        const char* name;
        const STextLine* pLines;
        int nCount;
    };
    for (const STable& t : {STable{"help", kHelpLines, kHelpLineCount}, STable{"about", kAboutLines, kAboutLineCount}}) {
        for (int i = 0; i < t.nCount; ++i) {
            const STextLine& line = t.pLines[i];
            EXPECT_EQ(std::string(line.szText).find('%'), std::string::npos) << t.name << " line " << i;
            const float fRight = kTextPageX + metrics.TextWidth(line.szText, line.fScale);
            EXPECT_LE(fRight, kPageTextRight) << t.name << " line " << i << " \"" << line.szText << "\"";
        }
    }
}

bool IsColor(const STextLine& line, SRgb c) { return line.r == c.r && line.g == c.g && line.b == c.b; }

TEST_F(MenusTest, HelpSectionsComeInOrderWithTheirColours) {
    std::vector<std::string> titles;
    std::vector<std::string> labels;
    for (int i = 0; i < kHelpLineCount; ++i) {
        const STextLine& line = kHelpLines[i];
        if (IsColor(line, kTitleColor)) {
            titles.push_back(line.szText);
            EXPECT_FLOAT_EQ(line.fScale, 0.9f) << "line " << i;
        } else if (IsColor(line, kLabelColor)) {
            labels.push_back(line.szText);
            EXPECT_FLOAT_EQ(line.fScale, 0.7f) << "line " << i;
        } else {
            EXPECT_TRUE(IsColor(line, kBodyColor)) << "line " << i;
            EXPECT_FLOAT_EQ(line.fScale, 0.9f) << "line " << i;
        }
    }
    const std::vector<std::string> expectedTitles = {
        "  GAME OBJECTIVE", "  PLAYER'S OPPORTUNITIES", "  GAME START AND MOVE TRANSITION",
        "           IN BY TURN AND TO A MISS MODES", "  QUICK GAME AND CAMPAIGN",
        "  GAME BOARD AND DRAUGHT SELECTION", "  FLICK CONTROLS", "  VIEW CONTROL", "  DIFFICULTY LEVELS", "  FAQ"};
    EXPECT_EQ(titles, expectedTitles);
    const std::vector<std::string> expectedLabels = {"       Question:", "       Answer:", "       Question:",
                                                     "       Answer:"};
    EXPECT_EQ(labels, expectedLabels);
    // The line before the FAQ title is empty.
    for (int i = 1; i < kHelpLineCount; ++i)
        if (std::string(kHelpLines[i].szText) == "  FAQ") {
            EXPECT_STREQ(kHelpLines[i - 1].szText, "");
        }
}

TEST_F(MenusTest, AboutHasIntroductionChronologyAndCredits) {
    for (int i = 0; i < 14; ++i) {
        EXPECT_TRUE(IsColor(kAboutLines[i], kBodyColor)) << "introduction line " << i;
        EXPECT_FLOAT_EQ(kAboutLines[i].fScale, 0.9f);
    }
    EXPECT_TRUE(IsColor(kAboutLines[14], kLabelColor));
    EXPECT_FLOAT_EQ(kAboutLines[14].fScale, 1.0f);
    // Each episode opens with two orange lines: its date, with a year later than the last
    // episode's, and its place.
    // The first run of exactly four digits (std::regex trips GCC 12's uninitialised-use warning).
    const auto year = [](const std::string& text) {
        for (size_t i = 0; i < text.size();) {
            const size_t j = text.find_first_not_of("0123456789", i);
            const size_t end = j == std::string::npos ? text.size() : j;
            if (end - i == 4) return std::stoi(text.substr(i, 4));
            i = end == i ? i + 1 : end;
        }
        return 0;
    };
    int nEpisodes = 0;
    int nCredits = -1;
    int nLastYear = 0;
    for (int i = 15; i < kAboutLineCount; ++i) {
        if (std::string(kAboutLines[i].szText) == "   CREDITS.") nCredits = i;
        if (nCredits < 0 && IsColor(kAboutLines[i], kTitleColor) && IsColor(kAboutLines[i + 1], kTitleColor)) {
            const int nYear = year(kAboutLines[i].szText);
            EXPECT_GT(nYear, nLastYear) << kAboutLines[i].szText;
            nLastYear = nYear;
            ++nEpisodes;
            ++i;
        }
    }
    // The page is written for players: no source folders or build tools.
    for (int i = 0; i < kAboutLineCount; ++i)
        for (const char* szWord : {"/", "C++", "CMake", "compile", "thread"})
            EXPECT_EQ(std::string(kAboutLines[i].szText).find(szWord), std::string::npos) << "line " << i;
    EXPECT_EQ(nEpisodes, 10);
    ASSERT_GT(nCredits, 0);
    EXPECT_STREQ(kAboutLines[nCredits - 1].szText, "");
    EXPECT_TRUE(IsColor(kAboutLines[nCredits - 1], kLabelColor));
    EXPECT_TRUE(IsColor(kAboutLines[nCredits], kLabelColor));
    EXPECT_FLOAT_EQ(kAboutLines[nCredits].fScale, 1.0f);
    std::vector<std::string> roles;
    for (int i = nCredits + 1; i < kAboutLineCount; ++i) {
        if (IsColor(kAboutLines[i], kTitleColor)) roles.push_back(kAboutLines[i].szText);
        else EXPECT_TRUE(IsColor(kAboutLines[i], kBodyColor)) << "credit line " << i;
    }
    const std::vector<std::string> expectedRoles = {"  Programming:", "  Design and game design:", "  Sound:",
                                                    "  Special thanks:"};
    EXPECT_EQ(roles, expectedRoles);
    EXPECT_TRUE(IsColor(kAboutLines[kAboutLineCount - 1], kBodyColor)) << "the credits end with names";
}

TEST(TextScroll, DownStopsWithTheLastLineOnThePageUpStopsAtTheFirst) {
    struct SCase {
        int nCount, nSteps, nExpectedDown;
    };
    for (const SCase& c : {SCase{82, 100, 56}, SCase{101, 100, 75}, SCase{101, 10, 10}, SCase{20, 5, 0},
                           SCase{26, 5, 0}, SCase{27, 5, 1}}) {
        int nFirst = 0;
        for (int i = 0; i < c.nSteps; ++i) nFirst = ScrollDown(nFirst, c.nCount);
        EXPECT_EQ(nFirst, c.nExpectedDown) << c.nCount << " lines, " << c.nSteps << " steps down";
        EXPECT_EQ(LastFirstLine(c.nCount), std::max(0, c.nCount - 26)) << c.nCount << " lines";
        for (int i = 0; i < c.nSteps + 3; ++i) nFirst = ScrollUp(nFirst);
        EXPECT_EQ(nFirst, 0) << c.nCount << " lines, back up";
    }
}

TEST(TextScroll, WheelTowardTheUserShowsTheNextLine) {
    struct SCase {
        unsigned wParam;
        int nCommand;
    };
    const auto toward = static_cast<unsigned>(-WHEEL_DELTA) << 16;
    const auto away = static_cast<unsigned>(WHEEL_DELTA) << 16;
    for (const SCase& c : {SCase{toward, CMD_SCROLL_DOWN}, SCase{toward | MK_SHIFT, CMD_SCROLL_DOWN},
                           SCase{away, CMD_SCROLL_UP}, SCase{away | MK_LBUTTON, CMD_SCROLL_UP},
                           SCase{0u, CMD_SCROLL_DOWN}, SCase{0xFFFFu, CMD_SCROLL_DOWN}, SCase{0x10000u, CMD_SCROLL_UP}})
        EXPECT_EQ(WheelCommand(c.wParam), c.nCommand) << std::hex << "wParam 0x" << c.wParam;
}

TEST_F(MenusTest, KeysAndTheWheelScrollThePagesWithinTheirBounds) {
    struct SCase {
        int nOpenCommand, nScreen;
        int* pFirst;
        int nLast;
    };
    for (const SCase& c : {SCase{CMD_HELP, SCREEN_HELP, &wnd->m_nHelpFirst, 56},
                           SCase{CMD_ABOUT, SCREEN_ABOUT, &wnd->m_nAboutFirst, 75}}) {
        wnd->SetScreen(SCREEN_MAIN);
        *c.pFirst = 30;
        Command(SCREEN_MAIN, c.nOpenCommand);
        ASSERT_EQ(wnd->GetScreen(), c.nScreen);
        EXPECT_EQ(*c.pFirst, 0) << "opened from the main menu: the first line";
        Key(VK_UP);
        EXPECT_EQ(*c.pFirst, 0) << "screen " << c.nScreen << ": up at the first line";
        for (int i = 0; i < c.nLast + 5; ++i) Key(VK_DOWN);
        EXPECT_EQ(*c.pFirst, c.nLast) << "screen " << c.nScreen << ": down stops";
        wnd->InjectWheel(-1, 100, 100);  // toward the user
        wnd->StepFrame();
        EXPECT_EQ(*c.pFirst, c.nLast) << "screen " << c.nScreen << ": the wheel stops too";
        wnd->InjectWheel(1, 100, 100);
        wnd->StepFrame();
        EXPECT_EQ(*c.pFirst, c.nLast - 1) << "screen " << c.nScreen << ": wheel away, one line up";
        Key(VK_ESCAPE);
        EXPECT_EQ(wnd->GetScreen(), SCREEN_MAIN);
    }
    // The wheel does nothing elsewhere.
    wnd->m_nHelpFirst = 3;
    wnd->InjectWheel(1, 100, 100);
    wnd->StepFrame();
    EXPECT_EQ(wnd->m_nHelpFirst, 3);
}

TEST_F(MenusTest, HoldingTheArrowButtonScrollsToTheEndAndReleasingStops) {
    Command(SCREEN_MAIN, CMD_ABOUT);
    ASSERT_EQ(wnd->GetScreen(), SCREEN_ABOUT);
    Command(SCREEN_ABOUT, CMD_SCROLL_DOWN);
    // Repeats come every 20 ms: 75 lines take about 1.5 s.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (wnd->m_nAboutFirst < 75 && std::chrono::steady_clock::now() < deadline) wnd->StepFrame();
    EXPECT_EQ(wnd->m_nAboutFirst, 75);
    const auto settle = std::chrono::steady_clock::now() + 200ms;
    while (std::chrono::steady_clock::now() < settle) wnd->StepFrame();
    EXPECT_EQ(wnd->m_nAboutFirst, 75) << "the page stays at its end while the button is held";

    Command(SCREEN_ABOUT, CMD_SCROLL_UP);
    const auto upDeadline = std::chrono::steady_clock::now() + 2s;
    while (wnd->m_nAboutFirst > 70 && std::chrono::steady_clock::now() < upDeadline) wnd->StepFrame();
    wnd->InjectLButton(false, 10, 10);  // the button is let go
    wnd->StepFrame();
    // Whatever was already posted is handled; after that the page stands still.
    const auto drain = std::chrono::steady_clock::now() + 100ms;
    while (std::chrono::steady_clock::now() < drain) wnd->StepFrame();
    const int nStopped = wnd->m_nAboutFirst;
    EXPECT_LT(nStopped, 75);
    const auto still = std::chrono::steady_clock::now() + 200ms;
    while (std::chrono::steady_clock::now() < still) wnd->StepFrame();
    EXPECT_EQ(wnd->m_nAboutFirst, nStopped) << "no scrolling after the release";
}

TEST_F(MenusTest, AQuickClickOnAHoldButtonRepeatsNoLongerThanTheClick) {
    // Press and release reach the window in one pass: the repeat the press starts must end.
    const auto stepFor = [&](std::chrono::milliseconds span) {
        for (const auto end = std::chrono::steady_clock::now() + span; std::chrono::steady_clock::now() < end;)
            wnd->StepFrame();
    };
    struct SCase {
        int nScreen;
        SScreenButton button;
        std::function<double()> value;
    };
    const SCase cases[] = {{SCREEN_ABOUT, kPageButtons[1], [&] { return double(wnd->m_nAboutFirst); }},
                           {SCREEN_GAME, kGameButtons[2], [&] { return wnd->GetCamera().azimuth; }}};
    for (const SCase& c : cases) {
        wnd->Settings().m_nPlayers = 2;  // no computer turn holds the buttons back
        if (c.nScreen == SCREEN_GAME) wnd->StartMatch();
        wnd->SetScreen(c.nScreen);
        const SRect r = ButtonRect(*wnd, c.button);
        ClickAt(r.x + r.w / 2, r.y + r.h / 2);
        stepFor(150ms);
        const double settled = c.value();
        stepFor(250ms);
        EXPECT_EQ(c.value(), settled) << "screen " << c.nScreen << ": the repeat outlived the click";
        wnd->InjectLButton(true, r.x + r.w / 2, kScreenH - 1 - r.y - r.h / 2);  // held, it repeats
        // A loaded machine may be slow to start the repeat: wait for it, within bounds.
        for (const auto end = std::chrono::steady_clock::now() + 3s;
             c.value() == settled && std::chrono::steady_clock::now() < end;)
            wnd->StepFrame();
        EXPECT_NE(c.value(), settled) << "screen " << c.nScreen << ": the click missed the button";
        wnd->InjectLButton(false, 0, 0);
        wnd->StepFrame();
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
    constexpr int kTolerance = 8;
    for (const SScreenDef& def : kScreenDefs) {
        wnd->SetScreen(def.nScreen);
        const fs::path shot = outDir / (std::string("menu-") + def.szName + ".png");
        fs::remove(shot);
        wnd->RequestScreenshot(shot.string());
        wnd->StepFrame();
        SPng png;
        ASSERT_TRUE(png.Load(shot)) << shot;
        ASSERT_EQ(png.w, kScreenW);
        ASSERT_EQ(png.h, kScreenH);
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
                EXPECT_NEAR(pActual[c], pExpected[c], kTolerance)
                    << def.szName << ": " << pDef->szBase << " at " << r << ", picture pixel (" << px << ", " << py
                    << ") channel " << c;
        }
    }
}

}  // namespace
