// The texts of the three result screens: who won and how many draughts each side lost.
// Window thread.
#include <mutex>

#include "app/game_wnd.h"
#include "core/players.h"
#include "game/match_logic.h"

namespace {

enum EHeadline : int {
    HEADLINE_YOU_WIN_GAME,
    HEADLINE_YOU_LOST_GAME,
    HEADLINE_GAME_DRAW,
    HEADLINE_GAME_WHITES,
    HEADLINE_GAME_BLACKS,
    HEADLINE_YOU_WIN_PARTY,
    HEADLINE_YOU_LOST_PARTY,
    HEADLINE_DRAW,
    HEADLINE_PARTY_WHITES,
    HEADLINE_PARTY_BLACKS,
};

struct SHeadline {
    const char* szText;  // the wide spacing is part of the look
    int r, g, b;
    int x;
};

// Indexed by EHeadline; x centres each text on the 800-pixel screen.
constexpr SHeadline kHeadlines[] = {
    {"Y O U    W I N   G A M E", 255, 255, 0, 281},
    {"Y O U    L O S T   G A M E", 255, 0, 0, 271},
    {"G A M E   D R A W", 255, 255, 200, 314},
    {"G A M E   W H I T E S", 255, 195, 85, 294},
    {"G A M E   B L A C K S", 255, 195, 85, 294},
    {"Y O U   W I N   P A R T Y", 255, 255, 0, 274},
    {"Y O U    L O S T   P A R T Y", 255, 0, 0, 259},
    {"D R A W", 255, 255, 200, 363},
    {"P A R T Y   W H I T E S", 255, 195, 85, 285},
    {"P A R T Y   B L A C K S", 255, 195, 85, 285},
};
constexpr int kHeadlineY = 280;
constexpr float kHeadlineScale = 1.0f;
constexpr int kHeadlineOutline[3] = {8, 10, 24};  // thin strokes read clearly over the starry sky

// The headline of each outcome on one result screen.
struct SScreenHeadlines {
    EHeadline whites, blacks, draw, won, lost;
};
constexpr SScreenHeadlines kGameHeadlines = {HEADLINE_GAME_WHITES, HEADLINE_GAME_BLACKS, HEADLINE_GAME_DRAW,
                                             HEADLINE_YOU_WIN_GAME, HEADLINE_YOU_LOST_GAME};
constexpr SScreenHeadlines kSetHeadlines = {HEADLINE_PARTY_WHITES, HEADLINE_PARTY_BLACKS, HEADLINE_DRAW,
                                            HEADLINE_YOU_WIN_PARTY, HEADLINE_YOU_LOST_PARTY};

constexpr int kCountColor[3] = {255, 255, 175};
constexpr int kSetCountX = 256;       // the last board's losses
constexpr int kCampaignCountX = 255;  // the campaign's totals
constexpr int kWhiteCountY = 40;
constexpr int kBlackCountY = 20;
constexpr int kCampaignOverVolume = 0;

// Two players: the side with more draughts left.
EHeadline ByBoard(const SScreenHeadlines& h, int nWhite, int nBlack) {
    if (nWhite > nBlack) return h.whites;
    if (nBlack > nWhite) return h.blacks;
    return h.draw;
}

// One player, from the set's result; false for a result that is none of won, lost, draw.
bool BySetResult(const SScreenHeadlines& h, int nSetResult, EHeadline& out) {
    switch (nSetResult) {
    case SET_WON: out = h.won; return true;
    case SET_LOST: out = h.lost; return true;
    case SET_DRAW: out = h.draw; return true;
    default: return false;
    }
}

// One player at the campaign's end: his draughts left against the opponent's.
EHeadline ByPlayersSide(const SScreenHeadlines& h, int nMyWhite, int nWhite, int nBlack) {
    const int nMine = nMyWhite ? nWhite : nBlack;
    const int nTheirs = nMyWhite ? nBlack : nWhite;
    if (nMine > nTheirs) return h.won;
    if (nMine < nTheirs) return h.lost;
    return h.draw;
}

}  // namespace

void CGameWnd::DrawResultTexts() {
    const bool bCampaignOver = m_nCurScreen == SCREEN_CAMPAIGN_OVER;
    if (!bCampaignOver && m_nCurScreen != SCREEN_GAME_OVER && m_nCurScreen != SCREEN_SET_OVER) return;
    const SScreenHeadlines& h = m_nCurScreen == SCREEN_SET_OVER ? kSetHeadlines : kGameHeadlines;

    int nWhite = 0, nBlack = 0;
    {
        std::lock_guard lock(m_physics.LiveDeskLock());
        m_desk.CountOnDesk(nWhite, nBlack);
    }
    EHeadline eHeadline = h.draw;
    if (m_settings.m_nPlayers == kTwoPlayers)
        eHeadline = ByBoard(h, nWhite, nBlack);
    else if (bCampaignOver)
        eHeadline = ByPlayersSide(h, m_settings.MyWhite, nWhite, nBlack);
    else if (!BySetResult(h, m_settings.m_nSetResult, eHeadline))
        return;  // no known result: the screen shows its pictures only

    const SHeadline& headline = kHeadlines[eHeadline];
    m_font.SetColor(headline.r, headline.g, headline.b);
    m_font.PrintOutlined(headline.x, kHeadlineY, kHeadlineScale, kHeadlineOutline, "%s", headline.szText);

    if (!bCampaignOver) m_match.SetResultShown();
    const int nCountX = bCampaignOver ? kCampaignCountX : kSetCountX;
    const int nLostWhite = bCampaignOver ? m_settings.m_nLostWhiteTotal : kChecksPerSide - nWhite;
    const int nLostBlack = bCampaignOver ? m_settings.m_nLostBlackTotal : kChecksPerSide - nBlack;
    m_font.SetColor(kCountColor[0], kCountColor[1], kCountColor[2]);
    m_font.Print(nCountX, kWhiteCountY, "knocked out white draughts: %d", nLostWhite);
    m_font.Print(nCountX, kBlackCountY, "knocked out black draughts: %d", nLostBlack);

    // The campaign's end is announced once per result, not every frame.
    if (bCampaignOver && !m_match.IsResultShown()) {
        RequestSound(SOUND_CAMPAIGN_OVER, kCampaignOverVolume);
        m_match.SetResultShown();
    }
}
