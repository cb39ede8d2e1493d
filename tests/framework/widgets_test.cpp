// Menu widgets without a window, on the pictures of the real pack: hit tests, hover, enable,
// what a click posts, selector cycling, and the screen's draw order.
#include <gtest/gtest.h>

#include <tuple>
#include <string>
#include <vector>

#include "app/framework/input_translate.h"
#include "app/framework/item_list.h"
#include "app/framework/menu_button.h"
#include "app/framework/resource.h"
#include "app/framework/screen.h"
#include "app/framework/texture.h"
#include "core/app_messages.h"
#include "tests/support/log_capture.h"
#include "platform/window_queue.h"

namespace {

constexpr int kScreenId = 3;
constexpr char kMenuFolder[] = "textures\\mmenu";
constexpr char kDeskFolder[] = "textures\\smenu\\desk";

CResource& Pack() {
    static CResource pack;
    static const bool open = (pack.SetDatFile(KD_RES_PACK_PATH), pack.Open());
    EXPECT_TRUE(open) << pack.LastError();
    return pack;
}

// Whether a drawn picture is the named file of the pack, pixel for pixel.
bool IsPicture(const CGLTexture* drawn, const std::string& file, const std::string& folder) {
    CGLTexture expected;
    return drawn && drawn->Image() && expected.LoadImageFromRes(Pack(), file, folder) &&
           drawn->Image()->pixels == expected.Image()->pixels;
}

class WidgetsTest : public ::testing::Test {
protected:
    void SetUp() override { screen.Create(&queue, kScreenId, UM_MENU_NOTIFY); }
    void MakeButton(CGLMenu& button, int id, const char* base, int x, int y, const char* folder = kMenuFolder) {
        button.Create(id);
        ASSERT_TRUE(button.LoadFromRes(Pack(), base, folder, "TGA"));
        button.SetPos(x, y);
        screen.AddMenu(&button);
    }
    bool Click(int x, int y) { return screen.OnMouseLButtonDown(0, PackMousePos(x, y)); }
    std::vector<platform::SMessage> Posted() {
        std::vector<platform::SMessage> out;
        for (platform::SMessage msg; queue.TryPop(msg);) out.push_back(std::move(msg));
        return out;
    }
    void ExpectDrawn(const char* picture, const char* folder, int x, int y, const std::string& what) {
        const auto draws = screen.CollectDraws();
        EXPECT_TRUE(draws.size() == 1 && IsPicture(draws[0].pTexture, picture, folder) && draws[0].x == x && draws[0].y == y)
            << what << ": expected only " << picture << " at " << x << ", " << y;
    }

    CLogCapture log;
    platform::CWindowQueue queue;
    CGLScreen screen;
};

TEST_F(WidgetsTest, ButtonTakesClicksExactlyOnItsPictureAtSignedPositions) {
    // 32 x 32 over the bottom-left corner: the pointer left of or below the screen still hits it.
    CGLMenu corner;
    MakeButton(corner, 21, "arrup", -20, -20, "textures\\help");
    ASSERT_EQ(corner.GetWidth() * 100 + corner.GetHeight(), 3232);
    const int cases[][3] = {{-5, -5, 1}, {-20, 11, 1}, {11, -20, 1},     {-21, 0, 0},    {0, -21, 0},
                            {12, 0, 0},  {0, 12, 0},   {-32768, 0, 0}, {0, 32767, 0}, {0, 590, 0}};  // x, y, taken
    for (const auto& c : cases) {
        EXPECT_EQ(Click(c[0], c[1]), bool(c[2])) << c[0] << ", " << c[1];
        EXPECT_EQ(Posted().size(), size_t(c[2])) << c[0] << ", " << c[1];
    }
}

TEST_F(WidgetsTest, SelectorCyclesByItsOwnOrderAndAClickPostsItsIdWithoutAdvancing) {
    CGLItemList checks;  // the draughts selector holds ids 0, 2, 1 in that order
    for (auto [id, name] : {std::pair{0, "bone"}, {2, "rock"}, {1, "wood"}})
        ASSERT_TRUE(checks.AddItemFromRes(250, 0, id, Pack(), std::string(name) + ".tga", "textures\\smenu\\checks",
                                          std::string(name) + "a.tga"));
    EXPECT_FALSE(checks.SetCurItem(7)) << "an unknown id";
    ASSERT_TRUE(checks.SetCurItem(1));
    checks.SetNext();
    EXPECT_EQ(checks.GetCurItemID(), 0) << "SetNext goes on from the item set";

    screen.AddItemList(&checks);
    EXPECT_FALSE(Click(255, 5)) << "a selector without notify takes no click";
    checks.SetNotify(&queue, 16, UM_LIST_NOTIFY);
    ASSERT_TRUE(Click(255, 5));
    const auto posted = Posted();
    EXPECT_TRUE(posted.size() == 1 && posted[0].nMsg == UM_LIST_NOTIFY && posted[0].wParam == 16u) << "the selector's id";
    EXPECT_EQ(checks.GetCurItemID(), 0) << "the game advances the selector, not the click";
    screen.OnMouseMove(0, PackMousePos(251, 1));
    checks.SetCurItem(2);
    ExpectDrawn("rocka.tga", "textures\\smenu\\checks", 250, 0, "only the current item, lit under the pointer");
}

TEST_F(WidgetsTest, DrawsPicturesThenButtonsThenSelectors) {
    CGLItemList list;
    ASSERT_TRUE(list.AddItemFromRes(30, 3, 0, Pack(), "modern.tga", "textures\\smenu"));
    CGLTexture logo, background;
    ASSERT_TRUE(logo.LoadImageFromRes(Pack(), "kelvdar.tga", kMenuFolder));
    ASSERT_TRUE(background.LoadImageFromRes(Pack(), "BACKGR.tga", "textures\\common"));
    CGLMenu button;
    screen.AddItemList(&list);  // added out of drawing order on purpose
    MakeButton(button, 10, "single", 20, 2);
    screen.AddTexture(&background);
    screen.AddTexture(&logo, 10, 1);
    ASSERT_TRUE(screen.AddTextureFromRes(15, 4, Pack(), "backsmsh.tga", "textures"));
    EXPECT_FALSE(screen.AddTextureFromRes(0, 0, Pack(), "nosuch.tga", "textures"));
    std::vector<std::pair<int, int>> at;
    for (const auto& d : screen.CollectDraws()) at.emplace_back(d.x, d.y);
    EXPECT_EQ(at, (std::vector<std::pair<int, int>>{{0, 0}, {10, 1}, {15, 4}, {20, 2}, {30, 3}}));
    EXPECT_TRUE(Click(22, 4) && Posted().at(0).wParam == kScreenId) << "the screen reports itself";
    screen.Release();
    screen.Release();
    EXPECT_TRUE(screen.CollectDraws().empty());
    EXPECT_FALSE(Click(22, 4)) << "a released screen has no controls";
    EXPECT_TRUE(button.IsLoaded()) << "the screen does not release buttons it does not own";
}

}  // namespace
