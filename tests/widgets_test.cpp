// Menu widgets without a window: hit tests, hover, enable and visibility, notify posting,
// selector cycling and the screen's draw order, on the pictures of the real pack.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/app_messages.h"
#include "app/framework/input_translate.h"
#include "app/framework/item_list.h"
#include "app/framework/menu_button.h"
#include "app/framework/resource.h"
#include "app/framework/screen.h"
#include "app/framework/sound.h"
#include "app/framework/texture.h"
#include "platform/log.h"
#include "platform/window_queue.h"
#include "log_capture.h"

namespace {

constexpr int kScreenId = 3;
constexpr char kMenuFolder[] = "textures\\mmenu";
constexpr char kDeskFolder[] = "textures\\smenu\\desk";
constexpr char kLeftFolder[] = "textures\\smenu\\left";

CResource& Pack() {
    static CResource pack;
    static const bool bOpen = [] {
        pack.SetDatFile(KD_RES_PACK_PATH);
        return pack.Open();
    }();
    EXPECT_TRUE(bOpen) << pack.LastError();
    return pack;
}

// Positions packed by the window's own packer, as CGLWnd::GetMousePos hands them over.
long Packed(int x, int y) { return PackMousePos(x, y); }

std::vector<platform::SMessage> Drain(platform::CWindowQueue& queue) {
    std::vector<platform::SMessage> out;
    platform::SMessage msg;
    while (queue.TryPop(msg)) out.push_back(std::move(msg));
    return out;
}

// Whether a drawn picture is the named file of the pack, pixel for pixel.
bool IsPicture(const CGLTexture* pDrawn, const std::string& file, const std::string& folder) {
    CGLTexture expected;
    if (!pDrawn || !pDrawn->Image() || !expected.LoadImageFromRes(Pack(), file, folder)) return false;
    const SImage& a = *pDrawn->Image();
    const SImage& b = *expected.Image();
    return a.nWidth == b.nWidth && a.nHeight == b.nHeight && a.pixels == b.pixels;
}

class WidgetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Pack().IsOpen());
        screen.Create(&queue, kScreenId, UM_MENU_NOTIFY);
    }
    // A button of the game at a position, added to the screen.
    void MakeButton(CGLMenu& button, int nId, const char* base, int x, int y,
                    const char* folder = kMenuFolder) {
        button.Create(nId);
        ASSERT_TRUE(button.LoadFromRes(Pack(), base, folder, "TGA"));
        button.SetPos(x, y);
        screen.AddMenu(&button);
    }

    CLogCapture log;
    platform::CWindowQueue queue;
    CGLScreen screen;
};

// ---- buttons ----------------------------------------------------------------------------

TEST_F(WidgetsTest, ButtonTakesClicksExactlyOnItsPicture) {
    CGLMenu help;
    MakeButton(help, 12, "help", 655, 550);
    const int w = help.GetWidth(), h = help.GetHeight();
    ASSERT_GT(w, 0);
    ASSERT_EQ(h, 26);
    struct SCase {
        const char* what;
        int x, y;
        bool bTaken;
    };
    const SCase cases[] = {
        {"bottom-left pixel", 655, 550, true},
        {"one left of it", 654, 550, false},
        {"one below it", 655, 549, false},
        {"top-right pixel", 655 + w - 1, 550 + h - 1, true},
        {"one right of it", 655 + w, 550 + h - 1, false},
        {"one above it", 655 + w - 1, 550 + h, false},
        {"middle", 655 + w / 2, 550 + h / 2, true},
        {"y counted from the top instead", 655 + w / 2, 600 - 550 - h / 2, false},
    };
    for (const SCase& c : cases) {
        const bool bTaken = screen.OnMouseLButtonDown(0, Packed(c.x, c.y));
        const auto posted = Drain(queue);
        EXPECT_EQ(bTaken, c.bTaken) << c.what << " (" << c.x << ", " << c.y << ")";
        EXPECT_EQ(posted.size(), c.bTaken ? 1u : 0u) << c.what;
    }
}

TEST_F(WidgetsTest, HighlightFollowsThePointer) {
    CGLMenu single;
    MakeButton(single, 10, "single", 7, 553);
    struct SCase {
        const char* what;
        int x, y;
        const char* picture;
    };
    const SCase cases[] = {
        {"pointer over it", 10, 560, "singlea.tga"},
        {"pointer moved away", 400, 300, "single.tga"},
        {"pointer back on its corner", 7, 553, "singlea.tga"},
        {"pointer just below", 7, 552, "single.tga"},
    };
    for (const SCase& c : cases) {
        screen.OnMouseMove(0, Packed(c.x, c.y));
        const auto draws = screen.CollectDraws();
        ASSERT_EQ(draws.size(), 1u) << c.what;
        EXPECT_TRUE(IsPicture(draws[0].pTexture, c.picture, kMenuFolder))
            << c.what << ": expected " << c.picture;
        EXPECT_EQ(draws[0].nShade, kFullShade) << c.what;
        EXPECT_EQ(draws[0].x, 7);
        EXPECT_EQ(draws[0].y, 553);
    }
}

TEST_F(WidgetsTest, DisabledButtonDrawsDimmedAndTakesNoClick) {
    CGLMenu plus;
    MakeButton(plus, 33, "help", 10, 550);
    screen.OnMouseMove(0, Packed(12, 552));
    plus.Enable(false);

    auto draws = screen.CollectDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(IsPicture(draws[0].pTexture, "help.tga", kMenuFolder)) << "a disabled button shows no hover";
    EXPECT_EQ(draws[0].nShade, kDisabledShade);
    EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(12, 552)));
    EXPECT_TRUE(Drain(queue).empty());

    plus.Enable(true);  // the pointer has not moved: enabled again, it is highlighted at once
    draws = screen.CollectDraws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_TRUE(IsPicture(draws[0].pTexture, "helpa.tga", kMenuFolder));
    EXPECT_TRUE(screen.OnMouseLButtonDown(0, Packed(12, 552)));
    EXPECT_EQ(Drain(queue).size(), 1u);
}

TEST_F(WidgetsTest, HiddenReleasedOrPicturelessButtonsDrawNothingAndTakeNoClick) {
    CGLMenu hidden, released, missing;
    MakeButton(hidden, 13, "about", 660, 524);
    hidden.SetVisible(false);
    MakeButton(released, 2, "back", 148, 230);
    released.Release();
    released.Release();
    missing.Create(5);
    EXPECT_FALSE(missing.LoadFromRes(Pack(), "nosuchbutton", kMenuFolder, "TGA"));
    EXPECT_TRUE(log.Mentions("nosuchbutton")) << "the missing picture is named in the log";
    missing.SetPos(0, 0);
    screen.AddMenu(&missing);
    EXPECT_TRUE(screen.CollectDraws().empty());
    for (auto [x, y] : {std::pair{665, 530}, {150, 235}, {0, 0}, {50, 0}})
        EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(x, y))) << x << ", " << y;
    EXPECT_TRUE(Drain(queue).empty());
    hidden.SetVisible(true);
    EXPECT_EQ(screen.CollectDraws().size(), 1u);
    EXPECT_TRUE(screen.OnMouseLButtonDown(0, Packed(665, 530)));
}

TEST_F(WidgetsTest, PressPlaysTheButtonSound) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    CSoundManager manager;
    if (manager.Initialize(nullptr, 2, 2, 22050, 16) != 0) GTEST_SKIP() << "no audio device, even a dummy one";
    CSound* pSound = nullptr;
    // The long menu tune, so that it is surely still playing when checked.
    ASSERT_EQ(manager.CreateFromRes(&pSound, "homus.wav", Pack(), "sound"), 0);
    ASSERT_NE(pSound, nullptr);
    CGLMenu setup;
    MakeButton(setup, 14, "setup", 14, 470);
    setup.SetSound(pSound);
    EXPECT_FALSE(pSound->IsPlaying());
    ASSERT_TRUE(screen.OnMouseLButtonDown(0, Packed(20, 475)));
    EXPECT_TRUE(pSound->IsPlaying());
    pSound->Stop();
    setup.SetSound(nullptr);
    delete pSound;
}

// ---- item lists --------------------------------------------------------------------------

class ItemListTest : public WidgetsTest {
protected:
    // The setup screen's board list: ids 0, 1, 2 at (140, 430), each with its hover picture.
    void MakeBoardList(CGLItemList& list) {
        for (auto [nId, name] : {std::pair{0, "krest"}, {1, "shaman"}, {2, "maked"}})
            ASSERT_TRUE(list.AddItemFromRes(140, 430, nId, Pack(), std::string(name) + ".tga", kDeskFolder,
                                            std::string(name) + "a.tga"));
        list.SetNotify(&queue, 16, UM_LIST_NOTIFY);
        list.SetFirst();
    }
};

TEST_F(ItemListTest, CyclesAndSetsItemsById) {
    CGLItemList board;
    MakeBoardList(board);
    struct SStep {
        const char* what;
        void (*apply)(CGLItemList&);
        int nExpected;
    };
    const SStep steps[] = {
        {"first", [](CGLItemList&) {}, 0},
        {"next", [](CGLItemList& l) { l.SetNext(); }, 1},
        {"next", [](CGLItemList& l) { l.SetNext(); }, 2},
        {"next from the last wraps", [](CGLItemList& l) { l.SetNext(); }, 0},
        {"SetCurItem(2)", [](CGLItemList& l) { EXPECT_TRUE(l.SetCurItem(2)); }, 2},
        {"SetCurItem(7) unknown", [](CGLItemList& l) { EXPECT_FALSE(l.SetCurItem(7)); }, 2},
        {"SetCurItem(-1) unknown", [](CGLItemList& l) { EXPECT_FALSE(l.SetCurItem(-1)); }, 2},
        {"SetFirst", [](CGLItemList& l) { l.SetFirst(); }, 0},
        {"SetCurItem(1)", [](CGLItemList& l) { EXPECT_TRUE(l.SetCurItem(1)); }, 1},
    };
    for (const SStep& s : steps) {
        s.apply(board);
        EXPECT_EQ(board.GetCurItemID(), s.nExpected) << s.what;
    }
    EXPECT_TRUE(log.Mentions("7")) << "an unknown id is logged";
}

TEST_F(ItemListTest, IdsNeedNotFollowTheItemOrder) {
    // The draughts list holds ids 0, 2, 1 in that order.
    CGLItemList checks;
    const char* folder = "textures\\smenu\\checks";
    ASSERT_TRUE(checks.AddItemFromRes(250, 0, 0, Pack(), "bone.tga", folder, "bonea.tga"));
    ASSERT_TRUE(checks.AddItemFromRes(250, 0, 2, Pack(), "rock.tga", folder, "rocka.tga"));
    ASSERT_TRUE(checks.AddItemFromRes(250, 0, 1, Pack(), "wood.tga", folder, "wooda.tga"));
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i, checks.SetNext()) seen.push_back(checks.GetCurItemID());
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 1, 0}));
    ASSERT_TRUE(checks.SetCurItem(1));
    checks.SetNext();
    EXPECT_EQ(checks.GetCurItemID(), 0) << "SetNext after SetCurItem goes on from that item";
}

TEST_F(ItemListTest, EmptyListHasNoCurrentItem) {
    CGLItemList empty;
    empty.SetNotify(&queue, 18, UM_LIST_NOTIFY);
    empty.SetFirst();
    empty.SetNext();
    EXPECT_EQ(empty.GetCurItemID(), CGLItemList::kNoItem);
    EXPECT_FALSE(empty.SetCurItem(0));
    screen.AddItemList(&empty);
    EXPECT_TRUE(screen.CollectDraws().empty());
    EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(0, 0)));
    empty.Release();
    empty.Release();
}

TEST_F(ItemListTest, ClickPostsListIdOnlyAndDoesNotAdvance) {
    CGLItemList board;
    MakeBoardList(board);
    screen.AddItemList(&board);
    board.SetCurItem(1);
    ASSERT_TRUE(screen.OnMouseLButtonDown(0, Packed(145, 435)));
    const auto posted = Drain(queue);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].nMsg, static_cast<uint32_t>(UM_LIST_NOTIFY));
    EXPECT_EQ(posted[0].wParam, 16u);
    EXPECT_EQ(posted[0].lParam, 0);
    EXPECT_EQ(board.GetCurItemID(), 1) << "the game advances the list, not the click";
}

TEST_F(ItemListTest, OnlyTheCurrentItemIsDrawnAndHighlighted) {
    CGLItemList board;
    MakeBoardList(board);
    screen.AddItemList(&board);
    struct SCase {
        const char* what;
        int nItem;
        int x, y;
        const char* picture;
    };
    const SCase cases[] = {
        {"krest, pointer away", 0, 0, 0, "krest.tga"},
        {"krest, pointer on it", 0, 141, 431, "kresta.tga"},
        {"shaman, pointer still on it", 1, 141, 431, "shamana.tga"},
        {"maked, pointer away", 2, 139, 431, "maked.tga"},
    };
    for (const SCase& c : cases) {
        board.SetCurItem(c.nItem);
        screen.OnMouseMove(0, Packed(c.x, c.y));
        const auto draws = screen.CollectDraws();
        ASSERT_EQ(draws.size(), 1u) << c.what;
        EXPECT_TRUE(IsPicture(draws[0].pTexture, c.picture, kDeskFolder)) << c.what << ": expected " << c.picture;
        EXPECT_EQ(draws[0].x, 140);
        EXPECT_EQ(draws[0].y, 430);
    }
}

TEST_F(ItemListTest, ClickUsesTheCurrentItemsOwnRectangle) {
    // The board picture list: items at different heights, no notify of its own.
    CGLItemList left;
    ASSERT_TRUE(left.AddItemFromRes(0, 287, 0, Pack(), "krest.tga", kLeftFolder));
    ASSERT_TRUE(left.AddItemFromRes(0, 341, 1, Pack(), "shaman.tga", kLeftFolder));
    screen.AddItemList(&left);
    EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(10, 300))) << "a list without notify takes no click";
    left.SetNotify(&queue, 40, UM_LIST_NOTIFY);
    const int nTop0 = 287 + 136;  // krest item spans 287..422
    struct SCase {
        int nItem, y;
        bool bTaken;
    };
    const SCase cases[] = {{0, 287, true}, {0, 286, false}, {0, nTop0 - 1, true},
                           {1, 300, false}, {1, 341, true}, {1, 341 + 135, true}, {1, 341 + 136, false}};
    for (const SCase& c : cases) {
        left.SetCurItem(c.nItem);
        EXPECT_EQ(screen.OnMouseLButtonDown(0, Packed(10, c.y)), c.bTaken) << "item " << c.nItem << " y " << c.y;
    }
    EXPECT_EQ(Drain(queue).size(), 4u);
}

TEST_F(ItemListTest, ItemWithoutPictureKeepsItsPlaceButShowsNothing) {
    CGLItemList sky;
    sky.SetNotify(&queue, 34, UM_LIST_NOTIFY);
    ASSERT_TRUE(sky.AddItemFromRes(670, 121, 1, Pack(), "starsOn.tga", "textures\\smenu", "starsOna.tga"));
    EXPECT_FALSE(sky.AddItemFromRes(670, 121, 0, Pack(), "nosuchitem.tga", "textures\\smenu"));
    EXPECT_TRUE(log.Mentions("nosuchitem.tga"));
    screen.AddItemList(&sky);
    sky.SetNext();
    EXPECT_EQ(sky.GetCurItemID(), 0);
    EXPECT_TRUE(screen.CollectDraws().empty());
    EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(675, 125)));
    sky.SetNext();
    EXPECT_EQ(sky.GetCurItemID(), 1);
    EXPECT_TRUE(screen.OnMouseLButtonDown(0, Packed(675, 125)));
}

// ---- the screen ---------------------------------------------------------------------------

TEST_F(WidgetsTest, ClickGoesToTheTopmostControl) {
    CGLMenu under, over;
    MakeButton(under, 7, "beginer", 100, 100);
    MakeButton(over, 8, "expert", 100, 100);
    CGLItemList side;
    ASSERT_TRUE(side.AddItemFromRes(100, 100, 1, Pack(), "white.tga", "textures\\smenu", "whitea.tga"));
    side.SetNotify(&queue, 19, UM_LIST_NOTIFY);

    struct SCase {
        const char* what;
        void (*arrange)(CGLScreen&, CGLMenu&, CGLItemList&);
        int x, y;
        bool bTaken;
        uint32_t nMsg;
        intptr_t nWhich;  // button id, or list id
    };
    const SCase cases[] = {
        {"later button over the earlier", [](CGLScreen&, CGLMenu&, CGLItemList&) {}, 105, 105, true,
         UM_MENU_NOTIFY, 8},
        {"disabled top button lets the click through",
         [](CGLScreen&, CGLMenu& top, CGLItemList&) { top.Enable(false); }, 105, 105, true, UM_MENU_NOTIFY, 7},
        {"a selector lies over the buttons",
         [](CGLScreen& s, CGLMenu& top, CGLItemList& l) {
             top.Enable(true);
             s.AddItemList(&l);
         },
         105, 105, true, UM_LIST_NOTIFY, 19},
        {"empty space", [](CGLScreen&, CGLMenu&, CGLItemList&) {}, 600, 20, false, 0, 0},
    };
    for (const SCase& c : cases) {
        c.arrange(screen, over, side);
        EXPECT_EQ(screen.OnMouseLButtonDown(0, Packed(c.x, c.y)), c.bTaken) << c.what;
        const auto posted = Drain(queue);
        ASSERT_EQ(posted.size(), c.bTaken ? 1u : 0u) << c.what;
        if (!c.bTaken) continue;
        EXPECT_EQ(posted[0].nMsg, c.nMsg) << c.what;
        if (c.nMsg == UM_MENU_NOTIFY)
            EXPECT_EQ(posted[0].lParam, c.nWhich) << c.what;
        else
            EXPECT_EQ(static_cast<intptr_t>(posted[0].wParam), c.nWhich) << c.what;
    }
}

TEST_F(WidgetsTest, DrawsPicturesThenButtonsThenSelectors) {
    CGLItemList list;
    ASSERT_TRUE(list.AddItemFromRes(30, 3, 0, Pack(), "modern.tga", "textures\\smenu"));
    CGLTexture logo, background;
    ASSERT_TRUE(logo.LoadImageFromRes(Pack(), "kelvdar.tga", kMenuFolder));
    ASSERT_TRUE(background.LoadImageFromRes(Pack(), "BACKGR.tga", "textures\\common"));
    background.SetPos(0, 0);
    CGLMenu button;
    // Added out of drawing order on purpose.
    screen.AddItemList(&list);
    MakeButton(button, 10, "single", 20, 2);
    screen.AddTexture(&background);
    screen.AddTexture(&logo, 10, 1);
    ASSERT_TRUE(screen.AddTextureFromRes(15, 4, Pack(), "backsmsh.tga", "textures"));

    const auto draws = screen.CollectDraws();
    std::vector<std::pair<int, int>> at;
    for (const auto& d : draws) at.emplace_back(d.x, d.y);
    const std::vector<std::pair<int, int>> expected = {{0, 0}, {10, 1}, {15, 4}, {20, 2}, {30, 3}};
    EXPECT_EQ(at, expected) << "background, logo, owned glow, button, selector";
    EXPECT_EQ(draws[0].pTexture, &background);
    EXPECT_EQ(draws[1].pTexture, &logo);
    EXPECT_TRUE(IsPicture(draws[2].pTexture, "backsmsh.tga", "textures"));
}

TEST_F(WidgetsTest, PicturesAtTheirOwnOrAScreenPosition) {
    CGLTexture logo;
    ASSERT_TRUE(logo.LoadImageFromRes(Pack(), "kelvdar.tga", kMenuFolder));
    logo.SetPos(480, 10);
    CGLScreen other;
    other.Create(&queue, 4, UM_MENU_NOTIFY);
    screen.AddTexture(&logo);          // own position, read at every draw
    other.AddTexture(&logo, 45, 465);  // this screen's place for the shared logo
    logo.SetPos(481, 11);
    ASSERT_EQ(screen.CollectDraws().size(), 1u);
    EXPECT_EQ(screen.CollectDraws()[0].x, 481);
    EXPECT_EQ(screen.CollectDraws()[0].y, 11);
    ASSERT_EQ(other.CollectDraws().size(), 1u);
    EXPECT_EQ(other.CollectDraws()[0].x, 45);
    EXPECT_EQ(other.CollectDraws()[0].y, 465);
    logo.SetVisible(false);
    EXPECT_TRUE(screen.CollectDraws().empty()) << "a hidden picture is not drawn";
    EXPECT_TRUE(other.CollectDraws().empty());
}

TEST_F(WidgetsTest, SharedButtonKeepsEachScreensPlace) {
    // "mainmnu" sits at (50, 50) on setup and at (620, 570) on help.
    CGLScreen help;
    help.Create(&queue, 9, UM_MENU_NOTIFY);
    CGLMenu mainmnu;
    mainmnu.Create(4);
    ASSERT_TRUE(mainmnu.LoadFromRes(Pack(), "mainmnu", "textures\\common", "TGA"));
    mainmnu.SetPos(50, 50);
    screen.AddMenu(&mainmnu);
    mainmnu.SetPos(620, 570);
    help.AddMenu(&mainmnu);

    EXPECT_TRUE(screen.OnMouseLButtonDown(0, Packed(52, 52)));
    EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(622, 572)));
    EXPECT_TRUE(help.OnMouseLButtonDown(0, Packed(622, 572)));
    EXPECT_FALSE(help.OnMouseLButtonDown(0, Packed(52, 52)));
    const auto posted = Drain(queue);
    ASSERT_EQ(posted.size(), 2u);
    EXPECT_EQ(posted[0].wParam, static_cast<uintptr_t>(kScreenId));
    EXPECT_EQ(posted[1].wParam, 9u) << "each screen reports itself";

    // Switching screens with the pointer kept at (52, 52): the new screen's move decides.
    screen.OnMouseMove(0, Packed(52, 52));
    EXPECT_TRUE(mainmnu.IsHighlighted());
    help.OnMouseMove(0, Packed(52, 52));
    EXPECT_FALSE(mainmnu.IsHighlighted());
    ASSERT_EQ(help.CollectDraws().size(), 1u);
    EXPECT_EQ(help.CollectDraws()[0].x, 620);
    EXPECT_TRUE(IsPicture(help.CollectDraws()[0].pTexture, "mainmnu.tga", "textures\\common"));
}

TEST_F(WidgetsTest, PackedPositionsAreSigned) {
    // A button hanging over the bottom-left corner: the pointer left of or below the screen
    // still hits it, so packed -5 must read as -5, not 65531.
    CGLMenu corner;
    MakeButton(corner, 21, "arrup", -20, -20, "textures\\help");  // 32 x 32: spans -20..11 both ways
    ASSERT_EQ(corner.GetWidth(), 32);
    ASSERT_EQ(corner.GetHeight(), 32);
    struct SCase {
        int x, y;
        bool bTaken;
    };
    const SCase cases[] = {{-5, -5, true}, {-20, 11, true}, {-21, 0, false}, {0, -21, false},
                           {11, -20, true}, {12, 0, false}, {-32768, 0, false}, {0, 32767, false}};
    for (const SCase& c : cases) {
        EXPECT_EQ(screen.OnMouseLButtonDown(0, Packed(c.x, c.y)), c.bTaken) << c.x << ", " << c.y;
        Drain(queue);
    }
}

TEST_F(WidgetsTest, ScreenOwnsItsLoadedPicturesAndReleasesTwiceSafely) {
    EXPECT_FALSE(screen.AddTextureFromRes(0, 0, Pack(), "nosuch.tga", "textures"));
    EXPECT_TRUE(log.Mentions("nosuch.tga"));
    EXPECT_TRUE(screen.CollectDraws().empty()) << "a picture that did not load is left out";

    CGLMenu button;
    MakeButton(button, 10, "single", 7, 553);
    ASSERT_TRUE(screen.AddTextureFromRes(40, 350, Pack(), "backsmsh.tga", "textures"));
    ASSERT_EQ(screen.CollectDraws().size(), 2u);
    screen.Release();
    EXPECT_TRUE(screen.CollectDraws().empty());
    EXPECT_FALSE(screen.OnMouseLButtonDown(0, Packed(10, 560))) << "a released screen has no controls";
    screen.Release();
    EXPECT_TRUE(button.IsLoaded()) << "the screen does not release buttons it does not own";

    // Built again after a release, as after a window switch.
    screen.Create(&queue, kScreenId, UM_MENU_NOTIFY);
    screen.AddMenu(&button);
    EXPECT_TRUE(screen.OnMouseLButtonDown(0, Packed(10, 560)));
    EXPECT_EQ(Drain(queue).size(), 1u);
}

TEST_F(WidgetsTest, ScreenWithoutWindowLogsInsteadOfPosting) {
    CGLScreen lonely;
    lonely.Create(nullptr, 0, UM_MENU_NOTIFY);
    CGLMenu button;
    button.Create(15);
    ASSERT_TRUE(button.LoadFromRes(Pack(), "exit", kMenuFolder, "TGA"));
    lonely.AddMenu(&button, 45, 380);
    EXPECT_TRUE(lonely.OnMouseLButtonDown(0, Packed(50, 385)));
    EXPECT_TRUE(log.Mentions("no window"));
}

}  // namespace
