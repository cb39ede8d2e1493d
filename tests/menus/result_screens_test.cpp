// What the frame shows around a match: the result screens' headlines, count lines and campaign
// sound, and the turn texts, watched on a headless game window through the font's print listener
// and a sound recorder. One suite draws them with the real renderer (SDL's offscreen driver) and
// keeps the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/game_wnd.h"
#include "core/players.h"
#include "game/match_logic.h"
#include "render/scene_resources.h"
#include "tests/support/gl_game_wnd.h"
#include "tests/support/match_probe.h"
#include "tests/support/sound_recorder.h"

namespace {

namespace fs = std::filesystem;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kPerSide = 10;

// A print as text, place, scale and colour, to compare whole lines at once.
std::string Line(const std::string& text, int x, int y, int r, int g, int b, float fScale = 1.0f) {
    std::ostringstream os;
    os << "\"" << text << "\" at " << x << "," << y << " scale " << fScale << " colour " << r << "," << g << "," << b;
    return os.str();
}

// Draughts 0..9 are black, 10..19 white; the first nWhite / nBlack of each stay on the board.
void LeaveOnBoard(CDesk& desk, int nWhite, int nBlack) {
    for (int i = 0; i < kCheckCount; ++i) {
        CCheck& c = desk.m_aChecks[i];
        c.m_nSide = i < kPerSide ? SIDE_BLACK : SIDE_WHITE;
        c.m_bOnDesk = i < kPerSide ? i < nBlack : i - kPerSide < nWhite;
    }
}

class HeadlessWndTest : public CGlGameWndTest {
protected:
    HeadlessWndTest() : CGlGameWndTest(EWindowBackend::Headless) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CGlGameWndTest::SetUp());
        wnd->StepFrame();  // the process's first frame and its sound are behind us
        m_sounds.Take();
        wnd->Font().SetPrintListener([this](const SFontPrint& p) {
            m_prints.push_back(Line(p.text, p.x, p.y, p.r, p.g, p.b, p.fScale));
        });
    }
    void TearDown() override {
        if (wnd) wnd->Font().SetPrintListener({});
        CGlGameWndTest::TearDown();
    }
    // One frame, with what it printed kept.
    void Frame() {
        m_prints.clear();
        wnd->StepFrame();
    }
    void ShowResult(int nScreen, int nPlayers, int nSetResult, int nWhite, int nBlack) {
        wnd->Settings().m_nPlayers = nPlayers;
        wnd->Settings().m_nSetResult = nSetResult;
        LeaveOnBoard(wnd->Desk(), nWhite, nBlack);
        CMatchProbe(wnd->Match()).m_bResultShown = 0;
        wnd->SetScreen(nScreen);
        m_sounds.Take();
    }

    CSoundRecorder m_sounds;
    std::vector<std::string> m_prints;
};

// ---- Result screens and turn texts. ----

TEST_F(HeadlessWndTest, HeadlineFollowsPlayersResultAndBoardCountsShowTheLossesAndOnlyTheCampaignsEndSounds) {
    const std::string kYouWinGame = Line("Y O U    W I N   G A M E", 281, 280, 255, 255, 0),
                      kYouLostGame = Line("Y O U    L O S T   G A M E", 271, 280, 255, 0, 0),
                      kGameDraw = Line("G A M E   D R A W", 314, 280, 255, 255, 200),
                      kGameWhites = Line("G A M E   W H I T E S", 294, 280, 255, 195, 85),
                      kGameBlacks = Line("G A M E   B L A C K S", 294, 280, 255, 195, 85),
                      kDraw = Line("D R A W", 363, 280, 255, 255, 200);
    struct SCase {
        int nScreen, nPlayers, nMyWhite, nResult, nWhite, nBlack;
        std::string headline;
    };
    // One player's game and set screens read the result only (the boards disagree on purpose); two
    // players' screens name the side with more draughts left, whatever result the record holds; the
    // campaign's end judges one player from his side's draughts, never from the result.
    const SCase cases[] = {
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_WON, 0, 10, kYouWinGame},
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_LOST, 5, 0, kYouLostGame},
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_DRAW, 0, 0, kGameDraw},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_WON, 0, 3, Line("Y O U   W I N   P A R T Y", 274, 280, 255, 255, 0)},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_LOST, 2, 5, Line("Y O U    L O S T   P A R T Y", 259, 280, 255, 0, 0)},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_DRAW, 4, 9, kDraw},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_LOST, 4, 0, kGameWhites},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_WON, 1, 2, kGameBlacks},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_LOST, 3, 3, kGameDraw},
        {SCREEN_SET_OVER, kTwoPlayers, 1, SET_LOST, 5, 0, Line("P A R T Y   W H I T E S", 285, 280, 255, 195, 85)},
        {SCREEN_SET_OVER, kTwoPlayers, 1, SET_LOST, 0, 8, Line("P A R T Y   B L A C K S", 285, 280, 255, 195, 85)},
        {SCREEN_SET_OVER, kTwoPlayers, 1, SET_LOST, 0, 0, kDraw},
        {SCREEN_CAMPAIGN_OVER, kTwoPlayers, 1, SET_LOST, 7, 6, kGameWhites},
        {SCREEN_CAMPAIGN_OVER, kTwoPlayers, 0, SET_LOST, 0, 1, kGameBlacks},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 1, SET_DRAW, 3, 0, kYouWinGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 1, SET_DRAW, 0, 2, kYouLostGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 1, SET_LOST, 0, 0, kGameDraw},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 0, SET_WON, 0, 4, kYouWinGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 0, SET_DRAW, 5, 0, kYouLostGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 0, SET_WON, 2, 2, kGameDraw},
    };
    for (const SCase& c : cases) {
        wnd->Settings().MyWhite = c.nMyWhite;
        wnd->Settings().m_nLostWhiteTotal = 12 + c.nWhite;
        wnd->Settings().m_nLostBlackTotal = 40 - c.nBlack;
        ShowResult(c.nScreen, c.nPlayers, c.nResult, c.nWhite, c.nBlack);
        Frame();
        // The campaign's end counts its totals, the other screens this set's losses.
        const bool bCampaign = c.nScreen == SCREEN_CAMPAIGN_OVER;
        const int nX = bCampaign ? 255 : 256;
        const std::string nWhite = std::to_string(bCampaign ? 12 + c.nWhite : kPerSide - c.nWhite);
        const std::string nBlack = std::to_string(bCampaign ? 40 - c.nBlack : kPerSide - c.nBlack);
        EXPECT_EQ(m_prints, (std::vector{c.headline, Line("knocked out white draughts: " + nWhite, nX, 40, 255, 255, 175),
                                         Line("knocked out black draughts: " + nBlack, nX, 20, 255, 255, 175)}))
            << "screen " << c.nScreen << " players " << c.nPlayers << " MyWhite " << c.nMyWhite << " result "
            << c.nResult << " board " << c.nWhite << "/" << c.nBlack;
        EXPECT_TRUE(CMatchProbe(wnd->Match()).m_bResultShown);
        // Only the campaign's end sounds, once per result.
        EXPECT_EQ(m_sounds.Take(), std::vector<int>(bCampaign, SOUND_CAMPAIGN_OVER)) << "screen " << c.nScreen;
        Frame();
        EXPECT_TRUE(m_sounds.Take().empty()) << "screen " << c.nScreen << ": a second sound";
    }
    // One player's game and set screens without a known result show nothing at all.
    for (int nScreen : {SCREEN_GAME_OVER, SCREEN_SET_OVER})
        for (int nResult : {static_cast<int>(SET_RUNNING), 4, -1, 99}) {
            ShowResult(nScreen, kOnePlayer, nResult, 6, 2);
            Frame();
            EXPECT_TRUE(m_prints.empty() && !CMatchProbe(wnd->Match()).m_bResultShown)
                << "screen " << nScreen << " result " << nResult;
        }
}

TEST_F(HeadlessWndTest, TheTurnTextNamesWhoMovesInItsColourAndPlace) {
    const int kMine[3] = {200, 255, 100}, kOther[3] = {255, 200, 100};
    struct SCase {
        int nPlayers, nMyWhite;
        bool bPass;  // the move has passed once
        std::string expected;
    };
    const SCase cases[] = {
        {kOnePlayer, 1, false, Line("your turn", 360, 580, kMine[0], kMine[1], kMine[2])},
        {kOnePlayer, 0, false, Line("computer turn", 335, 580, kOther[0], kOther[1], kOther[2])},
        {kTwoPlayers, 0, false, Line("whites turn", 360, 580, kMine[0], kMine[1], kMine[2])},
        {kTwoPlayers, 0, true, Line("blacks turn", 335, 580, kOther[0], kOther[1], kOther[2])},
    };
    for (const SCase& c : cases) {
        wnd->Settings().m_nPlayers = c.nPlayers;
        wnd->Settings().MyWhite = c.nMyWhite;
        wnd->StartMatch();
        wnd->SetScreen(SCREEN_GAME);
        if (c.bPass) wnd->PassTurnByTurn();
        Frame();
        EXPECT_EQ(m_prints, std::vector{c.expected});
        wnd->StopMatch();
    }
    wnd->m_replayText = "replay of the last flick";  // a replay's line stands in the turn text's place
    Frame();
    EXPECT_EQ(m_prints, std::vector{Line("replay of the last flick", 200, 580, kMine[0], kMine[1], kMine[2])});
}

// ---- Through the real renderer. ----

class GlFramesTest : public CGlGameWndTest {
protected:
    void SetUp() override {
        CGlGameWndTest::SetUp();
        if (!IsSkipped() && !HasFatalFailure()) fs::create_directories(KD_RESULT_SHOTS_DIR);
        wnd->Settings().StarType = 0;  // a still sky: frames repeat exactly
    }
    // Draws one frame and reads it back; it is kept under name in the pictures folder.
    SPng Shot(const std::string& name) {
        const fs::path shot = fs::path(KD_RESULT_SHOTS_DIR) / (name + ".png");
        fs::remove(shot);
        wnd->RequestScreenshot(shot.string());
        wnd->StepFrame();
        SPng png;
        EXPECT_TRUE(png.Load(shot) && png.w == kScreenW && png.h == kScreenH) << shot;
        return png;
    }
    // Pixels (y up) where two frames differ.
    static std::vector<std::pair<int, int>> Differences(const SPng& a, const SPng& b) {
        std::vector<std::pair<int, int>> at;
        if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return at;
        for (int y = 0; y < a.h; ++y)
            for (int x = 0; x < a.w; ++x)
                if (!std::equal(a.At(x, y), a.At(x, y) + 3, b.At(x, y))) at.emplace_back(x, y);
        return at;
    }
    // Whether pixel (x, y) lies in a printed text's box, with two pixels to spare.
    bool InText(const SFontPrint& p, int x, int y) {
        const CFontMetrics& m = wnd->Font().Metrics();
        return x >= p.x - 2 && x <= p.x + wnd->Font().GetWidth(p.text) + 2 && y >= std::floor(p.y + m.Descent()) - 2 &&
               y <= std::ceil(p.y + m.Ascent()) + 2;
    }
};

// Every headline of every result screen with the real pictures: the texts stay in their places and
// show their colours, and no text pixel comes within two pixels of a button's.
TEST_F(GlFramesTest, EveryHeadlineKeepsItsPlaceAndColourAndClearsTheButtons) {
    // With MyWhite 1 the campaign's end reads the boards as the result says.
    struct SOutcome { const char* szName; int nPlayers, nResult, nWhite, nBlack; };
    const SOutcome outcomes[] = {{"won", kOnePlayer, SET_WON, 3, 1},   {"lost", kOnePlayer, SET_LOST, 1, 3},
                                 {"draw", kOnePlayer, SET_DRAW, 2, 2}, {"whites", kTwoPlayers, SET_WON, 3, 1},
                                 {"blacks", kTwoPlayers, SET_WON, 1, 3}};
    const std::pair<const char*, int> screens[] = {
        {"game", SCREEN_GAME_OVER}, {"set", SCREEN_SET_OVER}, {"campaign", SCREEN_CAMPAIGN_OVER}};
    constexpr int kGap = 2;
    wnd->Settings().MyWhite = 1;
    std::vector<SFontPrint> prints;
    wnd->Font().SetPrintListener([&](const SFontPrint& p) { prints.push_back(p); });
    auto showButtons = [&](bool bShow) {
        for (CGLMenu& m : wnd->m_aMenus) m.SetVisible(bShow);
        wnd->m_leaveGame.SetVisible(bShow);
    };
    for (const auto& [szScreen, nScreen] : screens) {
        wnd->SetScreen(nScreen);
        wnd->Font().Release();  // the pictures alone
        const SPng bare = Shot(std::string("result-") + szScreen + "-bare");
        showButtons(false);
        const auto buttons = Differences(bare, Shot(std::string("result-") + szScreen + "-no-buttons"));
        showButtons(true);
        ASSERT_TRUE(wnd->Font().CreateFontFromRes(wnd->Resource(), kFontFile, kFontFolder));
        EXPECT_GT(buttons.size(), 2000u) << szScreen << ": two buttons drawn";
        std::vector<bool> nearButton(kScreenW * kScreenH);
        for (const auto& [x, y] : buttons)
            for (int dy = -kGap; dy <= kGap; ++dy)
                for (int dx = -kGap; dx <= kGap; ++dx)
                    nearButton[std::clamp(y + dy, 0, kScreenH - 1) * kScreenW + std::clamp(x + dx, 0, kScreenW - 1)] = true;
        for (const SOutcome& o : outcomes) {
            const std::string what = std::string(szScreen) + "-" + o.szName;
            wnd->Settings().m_nPlayers = o.nPlayers;
            wnd->Settings().m_nSetResult = o.nResult;
            LeaveOnBoard(wnd->Desk(), o.nWhite, o.nBlack);
            prints.clear();
            const SPng shown = Shot("result-" + what);
            ASSERT_EQ(3u, prints.size()) << what;
            int nOutside = 0, nNearButton = 0, nHeadlineColour = 0;
            const SFontPrint& head = prints[0];
            for (const auto& [x, y] : Differences(bare, shown)) {
                nOutside += std::none_of(prints.begin(), prints.end(), [&](const SFontPrint& p) { return InText(p, x, y); });
                nNearButton += nearButton[y * kScreenW + x];
                const uint8_t* p = shown.At(x, y);
                nHeadlineColour += InText(head, x, y) && std::abs(p[0] - head.r) < 40 && std::abs(p[1] - head.g) < 40 &&
                                   std::abs(p[2] - head.b) < 40;
            }
            EXPECT_EQ(0, nOutside) << what << ": text outside its place";
            EXPECT_EQ(0, nNearButton) << what << ": \"" << head.text << "\" meets a button";
            EXPECT_GT(nHeadlineColour, 100) << what << ": headline colour";
        }
    }
    wnd->Font().SetPrintListener({});
}

}  // namespace
