// What the frame shows around a finished set and while aiming: the result screens' headlines,
// count lines and campaign sound, and the aiming marker, line and hand, watched on a headless
// game window through the font's print listener and an object renderer. One suite draws them
// with the real renderer (SDL's offscreen driver) and keeps the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "core/app_messages.h"
#include "core/players.h"
#include "app/framework/model_registry.h"
#include "app/game_wnd.h"
#include "tests/match_probe.h"
#include "render/scene_resources.h"
#include "app/msg_thread.h"
#include "game/match_logic.h"
#include "menus/sound_effects.h"
#include "tests/gl_game_wnd.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kPerSide = 10;

// ---- Observers. ----

// Every object drawn, with the transform it had at that moment.
struct SDrawn {
    ModelHandle hModel;
    float aPos[3];
    float aScale[3];
    SRotation rotY;
};

class CRecordingRenderer final : public IObjectRenderer {
public:
    void DrawObject(const CGLObject& o) override {
        SDrawn d{o.Get3DS(), {}, {}, o.GetRotY()};
        for (int i = 0; i < 3; ++i) {
            d.aPos[i] = o.GetPos()[i];
            d.aScale[i] = o.GetScale()[i];
        }
        drawn.push_back(d);
    }
    std::vector<SDrawn> drawn;
};

// Stands in for the sound worker: keeps every effect request, in order.
class CSoundRecorder {
public:
    struct SRequest {
        int nSound;
        long nVolume;
    };
    CSoundRecorder() {
        m_thread.SetHandler(&CSoundRecorder::Handle);
        m_thread.Start(this);
    }
    ~CSoundRecorder() {
        m_thread.Stop();
        m_thread.Close();
    }
    CMsgThread& Thread() { return m_thread; }
    // The requests handled so far, once everything posted before this call is handled.
    std::vector<SRequest> Requests() {
        std::unique_lock lock(m_mutex);
        const int nTicket = ++m_nTicketsOut;
        lock.unlock();
        EXPECT_TRUE(m_thread.Post(kFlushMessage, 0, nTicket));
        lock.lock();
        EXPECT_TRUE(m_cv.wait_for(lock, 2s, [&] { return m_nTicketsIn >= nTicket; })) << "the recorder stalled";
        return m_requests;
    }
    void Clear() {
        Requests();
        std::lock_guard lock(m_mutex);
        m_requests.clear();
    }

private:
    static constexpr uint32_t kFlushMessage = UM_PLAY_SOUND + 0x1000;
    static void Handle(const platform::SMessage& msg, void* p) {
        auto* self = static_cast<CSoundRecorder*>(p);
        std::lock_guard lock(self->m_mutex);
        if (msg.nMsg == UM_PLAY_SOUND)
            self->m_requests.push_back({static_cast<int>(msg.lParam), static_cast<long>(static_cast<intptr_t>(msg.wParam))});
        else if (msg.nMsg == kFlushMessage)
            self->m_nTicketsIn = static_cast<int>(msg.lParam);
        self->m_cv.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<SRequest> m_requests;
    int m_nTicketsOut = 0;
    int m_nTicketsIn = 0;
    CMsgThread m_thread;  // last: stopped before the rest goes
};

std::string Describe(const SFontPrint& p) {
    std::ostringstream os;
    os << "\"" << p.text << "\" at (" << p.x << ", " << p.y << ") scale " << p.fScale << " colour " << p.r << ","
       << p.g << "," << p.b;
    return os.str();
}

std::string Describe(const std::vector<SFontPrint>& prints) {
    std::string s;
    for (const SFontPrint& p : prints) s += "  " + Describe(p) + "\n";
    return s.empty() ? "  (nothing)\n" : s;
}

// Draughts 0..9 are black, 10..19 white; the first nWhite / nBlack of each stay on the board.
void LeaveOnBoard(CDesk& desk, int nWhite, int nBlack) {
    for (int i = 0; i < kCheckCount; ++i) {
        CCheck& c = desk.m_aChecks[i];
        const bool bBlack = i < kPerSide;
        c.m_nSide = bBlack ? SIDE_BLACK : SIDE_WHITE;
        c.m_bOnDesk = (bBlack ? i : i - kPerSide) < (bBlack ? nBlack : nWhite) ? 1 : 0;
    }
}

// ---- The headless window. ----

class HeadlessWndTest : public CGlGameWndTest {
protected:
    HeadlessWndTest() : CGlGameWndTest(EWindowBackend::Headless) {}
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CGlGameWndTest::SetUp());
        wnd->StepFrame();  // the process's first frame and its sound are behind us

        m_pOldRenderer = GetObjectRenderer();
        SetObjectRenderer(&m_renderer);
        SetSoundThread(&m_sounds.Thread());
        wnd->Font().SetPrintListener([this](const SFontPrint& p) { m_prints.push_back(p); });
    }
    void TearDown() override {
        if (wnd) {
            wnd->Font().SetPrintListener({});
            SetSoundThread(&wnd->SoundThread());
        }
        SetObjectRenderer(m_pOldRenderer);
        CGlGameWndTest::TearDown();
    }

    CGameSettings& S() { return wnd->Settings(); }
    void SetBoard(int nWhite, int nBlack) { LeaveOnBoard(wnd->Desk(), nWhite, nBlack); }
    // One frame, with what it printed and drew kept.
    void Frame() {
        m_prints.clear();
        m_renderer.drawn.clear();
        wnd->StepFrame();
    }

    IObjectRenderer* m_pOldRenderer = nullptr;
    CRecordingRenderer m_renderer;
    CSoundRecorder m_sounds;
    std::vector<SFontPrint> m_prints;
};

// ---- Result screens. ----

struct SHeadline {
    const char* szText;
    int r, g, b, x;
};

class ResultTextsTest : public HeadlessWndTest {
protected:
    // The frame shows exactly this headline and the two count lines at nCountX.
    void ExpectTexts(const std::string& what, const SHeadline& h, int nCountX, int nLostWhite, int nLostBlack) {
        ASSERT_EQ(3u, m_prints.size()) << what << "\n" << Describe(m_prints);
        const SFontPrint& head = m_prints[0];
        EXPECT_EQ(h.szText, head.text) << what;
        EXPECT_EQ(h.x, head.x) << what << ": " << Describe(head);
        EXPECT_EQ(280, head.y) << what << ": " << Describe(head);
        EXPECT_EQ(1.0f, head.fScale) << what << ": " << Describe(head);
        EXPECT_EQ((std::vector<int>{h.r, h.g, h.b}), (std::vector<int>{head.r, head.g, head.b}))
            << what << ": " << Describe(head);
        struct SCount {
            const SFontPrint& p;
            std::string text;
            int y;
        };
        for (const SCount& c : {SCount{m_prints[1], "knocked out white draughts: " + std::to_string(nLostWhite), 40},
                                SCount{m_prints[2], "knocked out black draughts: " + std::to_string(nLostBlack), 20}}) {
            EXPECT_EQ(c.text, c.p.text) << what;
            EXPECT_EQ(nCountX, c.p.x) << what << ": " << Describe(c.p);
            EXPECT_EQ(c.y, c.p.y) << what << ": " << Describe(c.p);
            EXPECT_EQ((std::vector<int>{255, 255, 175}), (std::vector<int>{c.p.r, c.p.g, c.p.b}))
                << what << ": " << Describe(c.p);
        }
    }
    void ShowResult(int nScreen, int nPlayers, int nSetResult, int nWhite, int nBlack) {
        S().m_nPlayers = nPlayers;
        S().m_nSetResult = nSetResult;
        SetBoard(nWhite, nBlack);
        CMatchProbe(wnd->Match()).m_bResultShown = 0;
        wnd->SetScreen(nScreen);
    }
};

constexpr SHeadline kYouWinGame = {"Y O U    W I N   G A M E", 255, 255, 0, 281};
constexpr SHeadline kYouLostGame = {"Y O U    L O S T   G A M E", 255, 0, 0, 271};
constexpr SHeadline kGameDraw = {"G A M E   D R A W", 255, 255, 200, 314};
constexpr SHeadline kGameWhites = {"G A M E   W H I T E S", 255, 195, 85, 294};
constexpr SHeadline kGameBlacks = {"G A M E   B L A C K S", 255, 195, 85, 294};
constexpr SHeadline kYouWinParty = {"Y O U   W I N   P A R T Y", 255, 255, 0, 274};
constexpr SHeadline kYouLostParty = {"Y O U    L O S T   P A R T Y", 255, 0, 0, 259};
constexpr SHeadline kDraw = {"D R A W", 255, 255, 200, 363};
constexpr SHeadline kPartyWhites = {"P A R T Y   W H I T E S", 255, 195, 85, 285};
constexpr SHeadline kPartyBlacks = {"P A R T Y   B L A C K S", 255, 195, 85, 285};

TEST_F(ResultTextsTest, HeadlineFollowsPlayersResultAndBoardAndCountsShowTheLosses) {
    struct SCase {
        int nScreen, nPlayers, nMyWhite, nResult, nWhite, nBlack;
        SHeadline headline;
    };
    // One player's game and set screens read the result only (the boards disagree on purpose); two
    // players' screens name the side with more draughts left, whatever result the record holds; the
    // campaign's end judges one player from his side's draughts, never from the result.
    const SCase cases[] = {
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_WON, 3, 0, kYouWinGame},
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_LOST, 0, 7, kYouLostGame},
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_DRAW, 0, 0, kGameDraw},
        {SCREEN_GAME_OVER, kOnePlayer, 1, SET_WON, 0, 10, kYouWinGame},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_WON, 10, 0, kYouWinParty},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_LOST, 2, 5, kYouLostParty},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_DRAW, 0, 0, kDraw},
        {SCREEN_SET_OVER, kOnePlayer, 1, SET_DRAW, 4, 9, kDraw},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_LOST, 4, 0, kGameWhites},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_LOST, 1, 2, kGameBlacks},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_LOST, 0, 0, kGameDraw},
        {SCREEN_GAME_OVER, kTwoPlayers, 1, SET_LOST, 3, 3, kGameDraw},
        {SCREEN_SET_OVER, kTwoPlayers, 1, SET_LOST, 5, 0, kPartyWhites},
        {SCREEN_SET_OVER, kTwoPlayers, 1, SET_LOST, 0, 8, kPartyBlacks},
        {SCREEN_SET_OVER, kTwoPlayers, 1, SET_LOST, 2, 2, kDraw},
        {SCREEN_CAMPAIGN_OVER, kTwoPlayers, 1, SET_LOST, 7, 6, kGameWhites},
        {SCREEN_CAMPAIGN_OVER, kTwoPlayers, 0, SET_LOST, 0, 1, kGameBlacks},
        {SCREEN_CAMPAIGN_OVER, kTwoPlayers, 1, SET_LOST, 0, 0, kGameDraw},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 1, SET_DRAW, 3, 0, kYouWinGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 1, SET_DRAW, 0, 2, kYouLostGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 1, SET_LOST, 0, 0, kGameDraw},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 0, SET_WON, 0, 4, kYouWinGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 0, SET_DRAW, 5, 0, kYouLostGame},
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, 0, SET_WON, 2, 2, kGameDraw},
    };
    for (const SCase& c : cases) {
        S().MyWhite = c.nMyWhite;
        S().m_nLostWhiteTotal = 12 + c.nWhite;
        S().m_nLostBlackTotal = 40 - c.nBlack;
        ShowResult(c.nScreen, c.nPlayers, c.nResult, c.nWhite, c.nBlack);
        Frame();
        const std::string what = "screen " + std::to_string(c.nScreen) + " players " + std::to_string(c.nPlayers) +
                                 " MyWhite " + std::to_string(c.nMyWhite) + " result " + std::to_string(c.nResult) +
                                 " board " + std::to_string(c.nWhite) + "/" + std::to_string(c.nBlack);
        if (c.nScreen == SCREEN_CAMPAIGN_OVER)
            ExpectTexts(what, c.headline, 255, 12 + c.nWhite, 40 - c.nBlack);  // the campaign's totals
        else
            ExpectTexts(what, c.headline, 256, kPerSide - c.nWhite, kPerSide - c.nBlack);
        EXPECT_EQ(1, CMatchProbe(wnd->Match()).m_bResultShown) << what;
    }
}

TEST_F(ResultTextsTest, OnePlayerWithoutAKnownResultGetsNoTextAtAll) {
    for (int nScreen : {SCREEN_GAME_OVER, SCREEN_SET_OVER})
        for (int nResult : {static_cast<int>(SET_RUNNING), 4, -1, 99}) {
            ShowResult(nScreen, kOnePlayer, nResult, 6, 2);
            Frame();
            EXPECT_TRUE(m_prints.empty()) << "screen " << nScreen << " result " << nResult << "\n"
                                          << Describe(m_prints);
            EXPECT_EQ(0, CMatchProbe(wnd->Match()).m_bResultShown) << "screen " << nScreen << " result " << nResult;
        }
}

TEST_F(ResultTextsTest, OnlyTheCampaignOverScreenPlaysItsSoundAndOnlyOncePerResult) {
    constexpr int kFrames = 30;
    struct SCase {
        int nScreen, nPlayers, nResult, nSoundsExpected;
    };
    const SCase cases[] = {
        {SCREEN_CAMPAIGN_OVER, kOnePlayer, SET_WON, 1}, {SCREEN_CAMPAIGN_OVER, kTwoPlayers, SET_RUNNING, 1},
        {SCREEN_GAME_OVER, kOnePlayer, SET_WON, 0},     {SCREEN_GAME_OVER, kTwoPlayers, SET_RUNNING, 0},
        {SCREEN_SET_OVER, kOnePlayer, SET_LOST, 0},     {SCREEN_SET_OVER, kTwoPlayers, SET_RUNNING, 0},
    };
    for (const SCase& c : cases) {
        const std::string what = "screen " + std::to_string(c.nScreen) + " players " + std::to_string(c.nPlayers);
        ShowResult(c.nScreen, c.nPlayers, c.nResult, 3, 1);
        m_sounds.Clear();
        for (int i = 0; i < kFrames; ++i) Frame();
        const auto requests = m_sounds.Requests();
        ASSERT_EQ(static_cast<size_t>(c.nSoundsExpected), requests.size()) << what;
        for (const auto& r : requests) {
            EXPECT_EQ(SOUND_CAMPAIGN_OVER, r.nSound) << what;
            EXPECT_EQ(0, r.nVolume) << what;
        }
        EXPECT_EQ(1, CMatchProbe(wnd->Match()).m_bResultShown) << what;
    }
    // The next result (the flag cleared by the game flow) is announced again.
    ShowResult(SCREEN_CAMPAIGN_OVER, kOnePlayer, SET_WON, 0, 4);
    m_sounds.Clear();
    Frame();
    Frame();
    CMatchProbe(wnd->Match()).m_bResultShown = 0;
    Frame();
    Frame();
    EXPECT_EQ(2u, m_sounds.Requests().size());
}

// ---- Aiming aids. ----

class AimAidsTest : public HeadlessWndTest {
protected:
    void SetUp() override {
        HeadlessWndTest::SetUp();
        if (HasFatalFailure()) return;
        S().m_nPlayers = kTwoPlayers;  // no computer in the way
        S().StarType = 0;
        wnd->StartMatch();
        wnd->SetScreen(SCREEN_GAME);
        m_hMarker = wnd->Marker().Get3DS();
        m_hOpen = wnd->Hand(0).Get3DS();
        m_hClosed = wnd->Hand(1).Get3DS();
        ASSERT_NE(kNoModel, m_hMarker);
        ASSERT_NE(kNoModel, m_hOpen);
        ASSERT_NE(kNoModel, m_hClosed);
    }
    void TearDown() override {
        if (wnd) wnd->StopMatch();
        HeadlessWndTest::TearDown();
    }
    // A first mark on (x1, y1) of the board and the hand at (x2, y2), as aiming leaves them.
    void Aim(float x1, float y1, float x2, float y2) {
        CMatchProbe(wnd->Match()).m_bMarkSet = true;
        CMatchProbe(wnd->Match()).m_nSelected = 12;
        CMatchProbe(wnd->Match()).m_vFirstMark[0] = x1;
        CMatchProbe(wnd->Match()).m_vFirstMark[1] = 0.05f;
        CMatchProbe(wnd->Match()).m_vFirstMark[2] = y1;
        CMatchProbe(wnd->Match()).m_vHand[0] = x2;
        CMatchProbe(wnd->Match()).m_vHand[1] = 0.05f;
        CMatchProbe(wnd->Match()).m_vHand[2] = y2;
        wnd->m_bCursorShown = 0;
        CMatchProbe(wnd->Match()).m_bHandShown = 1;
        CMatchProbe(wnd->Match()).m_bHandInvalid = 0;
    }
    // Indices into the frame's drawn objects of the marker and the hands.
    std::vector<size_t> DrawnOf(ModelHandle h) const {
        std::vector<size_t> at;
        for (size_t i = 0; i < m_renderer.drawn.size(); ++i)
            if (m_renderer.drawn[i].hModel == h) at.push_back(i);
        return at;
    }
    const SDrawn& OnlyHand() {
        const auto open = DrawnOf(m_hOpen), closed = DrawnOf(m_hClosed);
        EXPECT_EQ(1u, open.size() + closed.size()) << "hands drawn";
        static const SDrawn kNone{};
        if (open.size() + closed.size() != 1) return kNone;
        return m_renderer.drawn[open.empty() ? closed[0] : open[0]];
    }

    ModelHandle m_hMarker = kNoModel, m_hOpen = kNoModel, m_hClosed = kNoModel;
};

TEST_F(AimAidsTest, LevelMarksAndCursorDecideWhatIsDrawnAfterTheDraughts) {
    struct SCase {
        const char* szWhat;
        int nLevel, nMark0, nMark1, nSelected, nCursorShown;
        bool bMarker, bHand;
    };
    const SCase cases[] = {
        {"expert", LEVEL_EXPERT, 1, 1, 12, 0, false, true},
        {"pro", LEVEL_PRO, 1, 1, 12, 0, true, true},
        {"beginner", LEVEL_BEGINNER, 1, 1, 12, 0, true, true},
        {"a level past expert", 7, 1, 1, 12, 0, false, true},
        {"beginner, cursor over the menu bar", LEVEL_BEGINNER, 1, 1, 12, 1, true, false},
        {"pro, cursor shown", LEVEL_PRO, 1, 1, 12, 1, true, false},
        {"no first mark", LEVEL_BEGINNER, 0, 0, -1, 0, false, false},
        {"half a mark", LEVEL_PRO, 1, 0, -1, 0, false, false},
        {"after the flick: none selected", LEVEL_BEGINNER, 1, 1, -1, 0, true, false},
        {"selection out of range", LEVEL_BEGINNER, 1, 1, 20, 0, true, false},
        {"first draught", LEVEL_EXPERT, 1, 1, 0, 0, false, true},
        {"last draught", LEVEL_EXPERT, 1, 1, 19, 0, false, true},
    };
    for (const SCase& c : cases) {
        Aim(0.1f, -0.2f, 0.25f, -0.1f);
        S().m_nLevel = c.nLevel;
        CMatchProbe(wnd->Match()).m_bMarkSet = c.nMark0 && c.nMark1;
        CMatchProbe(wnd->Match()).m_nSelected = c.nSelected;
        wnd->m_bCursorShown = static_cast<uint8_t>(c.nCursorShown);
        Frame();
        const auto markers = DrawnOf(m_hMarker);
        const auto hands = DrawnOf(m_hOpen);
        EXPECT_EQ(c.bMarker ? 1u : 0u, markers.size()) << c.szWhat;
        EXPECT_EQ(c.bHand ? 1u : 0u, hands.size()) << c.szWhat;
        // Both come after the board's draughts, the marker before the hand.
        const auto& drawn = m_renderer.drawn;
        size_t nLastDraught = 0;
        for (size_t i = 0; i < drawn.size(); ++i)
            for (const CCheck& ch : wnd->Desk().m_aChecks)
                if (ch.Get3DS() == drawn[i].hModel) nLastDraught = i;
        if (!markers.empty()) {
            EXPECT_GT(markers[0], nLastDraught) << c.szWhat;
            const SDrawn& m = drawn[markers[0]];
            EXPECT_EQ((std::vector<float>{0.1f, 0.05f, -0.2f}), (std::vector<float>{m.aPos[0], m.aPos[1], m.aPos[2]}))
                << c.szWhat << ": the marker sits on the first mark";
        }
        if (!hands.empty()) {
            EXPECT_GT(hands[0], nLastDraught) << c.szWhat;
        }
        if (!markers.empty() && !hands.empty()) {
            EXPECT_LT(markers[0], hands[0]) << c.szWhat;
        }
    }
}

TEST_F(AimAidsTest, TheHandFacesTheFirstMarkFromWhereverTheMouseIs) {
    // The game turns by 57.295 degrees per radian, a little short of the true 57.29578.
    const double kGameDegree = 57.295 * std::acos(-1.0) / 180.0;
    struct SCase {
        const char* szWhat;
        float dx, dy;
        double heading;
    };
    const SCase cases[] = {
        {"+x", 0.2f, 0.0f, 360.0},
        {"-x", -0.2f, 0.0f, 180.0},
        {"+y", 0.0f, 0.15f, -90.0},
        {"-y", 0.0f, -0.15f, 90.0},
        // Towards +x+y the hand turns back by the direction's angle of 45 game degrees.
        {"+x+y", 0.1f, 0.1f, 360.0 - 45.0 * kGameDegree},
        {"-x+y", -0.1f, 0.1f, 180.0 + 45.0 * kGameDegree},
        {"-x-y", -0.1f, -0.1f, 180.0 - 45.0 * kGameDegree},
        {"+x-y", 0.1f, -0.1f, 360.0 + 45.0 * kGameDegree},
        // The atan(2) direction (63.43 degrees).
        {"+x+2y", 0.1f, 0.2f, 360.0 - std::atan(2.0) * 57.295},
    };
    S().m_nLevel = LEVEL_EXPERT;
    for (const SCase& c : cases) {
        constexpr float x1 = -0.3f, y1 = 0.4f;
        Aim(x1, y1, x1 + c.dx, y1 + c.dy);
        Frame();
        const SDrawn& h = OnlyHand();
        EXPECT_NEAR(c.heading, h.rotY.fAngle, 2e-4) << c.szWhat;
        EXPECT_EQ((std::vector<float>{0.0f, 1.0f, 0.0f}), (std::vector<float>{h.rotY.fX, h.rotY.fY, h.rotY.fZ}))
            << c.szWhat << ": turns about the vertical";
        EXPECT_FLOAT_EQ(x1 + c.dx, h.aPos[0]) << c.szWhat;
        EXPECT_FLOAT_EQ(0.03f, h.aPos[1]) << c.szWhat << ": hangs below the mark height";
        EXPECT_FLOAT_EQ(y1 + c.dy, h.aPos[2]) << c.szWhat;
    }
}

TEST_F(AimAidsTest, TheHandsModelShowsWhetherTheMarkWouldBeTakenAndItsSizeTheForce) {
    struct SCase {
        int bInvalid;
        float fScale;
        const char* szModel;
    };
    const SCase cases[] = {
        {0, 0.64f, "hand1.3ds"}, {0, 1.0f, "hand1.3ds"}, {0, 1.64f, "hand1.3ds"},
        {1, 0.5f, "hand2.3ds"},  {1, 1.5f, "hand2.3ds"},
    };
    for (const SCase& c : cases) {
        Aim(0.0f, 0.0f, 0.12f, 0.05f);
        CMatchProbe(wnd->Match()).m_bHandInvalid = c.bInvalid;
        S().m_fHandScale = c.fScale;
        Frame();
        const SDrawn& h = OnlyHand();
        const std::string what = "invalid " + std::to_string(c.bInvalid) + " scale " + std::to_string(c.fScale);
        EXPECT_EQ(c.bInvalid ? m_hClosed : m_hOpen, h.hModel) << what;
        const SRegisteredModel* pModel = FindModel(h.hModel);
        ASSERT_TRUE(pModel && pModel->data) << what;
        EXPECT_NE(std::string::npos, pModel->data->name.find(c.szModel)) << what << ": drew " << pModel->data->name;
        EXPECT_EQ((std::vector<float>{c.fScale, c.fScale, c.fScale}),
                  (std::vector<float>{h.aScale[0], h.aScale[1], h.aScale[2]}))
            << what;
    }
}

// ---- Through the real renderer. ----


struct SBox {
    int x0, y0, x1, y1;  // inclusive, y up
    bool Holds(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

class GlFramesTest : public CGlGameWndTest {
protected:
    void SetUp() override {
        CGlGameWndTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        fs::create_directories(KD_RESULT_SHOTS_DIR);
    }
    // Draws one frame and reads it back; it is kept under name in the pictures folder.
    SPng Shot(const std::string& name) {
        const fs::path shot = fs::path(KD_RESULT_SHOTS_DIR) / (name + ".png");
        fs::remove(shot);
        wnd->RequestScreenshot(shot.string());
        wnd->StepFrame();
        SPng png;
        EXPECT_TRUE(png.Load(shot)) << shot;
        EXPECT_EQ(kScreenW, png.w);
        EXPECT_EQ(kScreenH, png.h);
        return png;
    }
    // Pixels (y up) where two frames differ.
    static std::vector<std::pair<int, int>> Differences(const SPng& a, const SPng& b) {
        std::vector<std::pair<int, int>> at;
        if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return at;
        for (int y = 0; y < a.h; ++y)
            for (int x = 0; x < a.w; ++x)
                for (int ch = 0; ch < 3; ++ch)
                    if (a.At(x, y)[ch] != b.At(x, y)[ch]) {
                        at.emplace_back(x, y);
                        break;
                    }
        return at;
    }
    SBox TextBox(int x, int y, const std::string& text) {
        const CFontMetrics& m = wnd->Font().Metrics();
        constexpr int kSlack = 2;
        return {x - kSlack, static_cast<int>(std::floor(y + m.Descent())) - kSlack,
                x + wnd->Font().GetWidth(text) + kSlack, static_cast<int>(std::ceil(y + m.Ascent())) + kSlack};
    }
};

// Every headline of every result screen with the real pictures: the texts stay in their places and
// show their colours, and no text pixel comes within two pixels of a button's.
TEST_F(GlFramesTest, EveryHeadlineKeepsItsPlaceAndColourAndClearsTheButtons) {
    // With MyWhite 1 the campaign's end reads the boards as the result says.
    struct SOutcome { const char* szName; int nPlayers, nResult, nWhite, nBlack; };
    const SOutcome outcomes[] = {{"won", kOnePlayer, SET_WON, 3, 1},         {"lost", kOnePlayer, SET_LOST, 1, 3},
                                 {"draw", kOnePlayer, SET_DRAW, 2, 2},       {"whites", kTwoPlayers, SET_WON, 3, 1},
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
        std::vector<bool> nearButton(kScreenW * kScreenH);
        EXPECT_GT(buttons.size(), 2000u) << szScreen << ": two buttons drawn";
        for (const auto& [x, y] : buttons)
            for (int dy = -kGap; dy <= kGap; ++dy)
                for (int dx = -kGap; dx <= kGap; ++dx)
                    nearButton[std::clamp(y + dy, 0, kScreenH - 1) * kScreenW +
                               std::clamp(x + dx, 0, kScreenW - 1)] = true;
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
                bool bIn = false;
                for (const SFontPrint& p : prints) bIn = bIn || TextBox(p.x, p.y, p.text).Holds(x, y);
                nOutside += !bIn;
                nNearButton += nearButton[y * kScreenW + x];
                const uint8_t* p = shown.At(x, y);
                nHeadlineColour += TextBox(head.x, head.y, head.text).Holds(x, y) && std::abs(p[0] - head.r) < 40 &&
                                   std::abs(p[1] - head.g) < 40 && std::abs(p[2] - head.b) < 40;
            }
            EXPECT_EQ(0, nOutside) << what << ": text outside its place";
            EXPECT_EQ(0, nNearButton) << what << ": \"" << head.text << "\" meets a button";
            EXPECT_GT(nHeadlineColour, 100) << what << ": headline colour";
        }
    }
    wnd->Font().SetPrintListener({});
}

TEST_F(GlFramesTest, TheBeginnersAimLineIsYellowAndGoesWithTheHand) {
    wnd->Settings().m_nPlayers = kTwoPlayers;
    wnd->Settings().StarType = 0;  // a still sky: frames repeat exactly
    wnd->StartMatch();
    wnd->SetScreen(SCREEN_GAME);
    CMatchProbe(wnd->Match()).m_bMarkSet = true;
    CMatchProbe(wnd->Match()).m_nSelected = 15;
    const float first[3] = {0.0f, 0.05f, 0.0f};
    const float hand[3] = {0.3f, 0.05f, 0.15f};
    for (int i = 0; i < 3; ++i) {
        CMatchProbe(wnd->Match()).m_vFirstMark[i] = first[i];
        CMatchProbe(wnd->Match()).m_vHand[i] = hand[i];
    }
    wnd->m_bCursorShown = 0;
    CMatchProbe(wnd->Match()).m_bHandShown = 1;
    CMatchProbe(wnd->Match()).m_bHandInvalid = 0;

    wnd->Settings().m_nLevel = LEVEL_PRO;
    const SPng pro = Shot("aim-pro");
    wnd->Settings().m_nLevel = LEVEL_BEGINNER;
    const SPng beginner = Shot("aim-beginner");
    CMatchProbe(wnd->Match()).m_bHandShown = 0;
    const SPng hidden = Shot("aim-beginner-hand-hidden");
    CMatchProbe(wnd->Match()).m_bHandShown = 1;
    const SPng again = Shot("aim-beginner-again");
    wnd->StopMatch();

    const auto line = Differences(pro, beginner);
    EXPECT_GT(line.size(), 30u) << "the beginner's line adds pixels";
    int nYellow = 0;
    for (const auto& [x, y] : line) {
        const uint8_t* p = beginner.At(x, y);
        if (p[0] > 150 && p[1] > 150 && p[2] < 100) ++nYellow;
    }
    EXPECT_GT(nYellow * 2, static_cast<int>(line.size())) << "most of the line's pixels are yellow";
    EXPECT_TRUE(Differences(pro, hidden).empty()) << "no line while the hand is not shown";
    EXPECT_TRUE(Differences(beginner, again).empty()) << "the same frame twice";
}

}  // namespace

TEST_F(GlFramesTest, AMatchLetsTheMenusPicturesGoAndTheMenusComeBackTheSame) {
    wnd->Settings().StarType = 0;  // a still sky: frames repeat exactly
    wnd->m_bCursorShown = 0;
    wnd->SetScreen(SCREEN_MAIN);
    const SPng before = Shot("menu-before-match");
    ASSERT_TRUE(wnd->m_background.IsUploaded());
    ASSERT_TRUE(wnd->m_mainForeground.IsUploaded());

    wnd->Settings().m_nPlayers = kTwoPlayers;
    wnd->StartMatch();
    wnd->SetScreen(SCREEN_GAME);
    Shot("menu-match");
    EXPECT_FALSE(wnd->m_background.IsUploaded()) << "the menus' background is not drawn in a match";
    EXPECT_FALSE(wnd->m_mainForeground.IsUploaded());
    EXPECT_FALSE(wnd->m_mainForeground.HoldsPixels()) << "nor are its pixels kept";

    wnd->StopMatch();
    wnd->SetScreen(SCREEN_MAIN);
    const SPng after = Shot("menu-after-match");
    EXPECT_TRUE(wnd->m_background.IsUploaded());
    EXPECT_TRUE(Differences(before, after).empty()) << Differences(before, after).size() << " pixels differ";
}
