// The referee of a match on the game window: match and set starts, the end of every flick,
// set and campaign results, the turn order and the computer's turns. Window thread only; the
// computer's first flick of a match waits for the delay thread through the process events.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "app/game_events.h"
#include "app/game_wnd.h"
#include "game/layout.h"
#include "game/match_logic.h"
#include "platform/beep.h"
#include "platform/log.h"

namespace {

constexpr int kOnePlayer = 1;
constexpr const char* kTurnFormat = "%s turn";
constexpr const char* kWhitesWord = "whites";
constexpr const char* kBlacksWord = "blacks";

// The playback clears the running flag before it reports the end, so this wait is normally
// empty; it is bounded so that a stuck flag cannot freeze the window.
constexpr auto kKickRunningPoll = std::chrono::milliseconds(10);
constexpr int kKickRunningMaxPolls = 300;

constexpr int kBadResultBeepHz = 3000;
constexpr int kBadResultBeepMs = 100;

// Start views of the two sides: eye 2.2 high, one unit from the centre on the own half.
struct SStartView {
    double ex, ey, ez, azimuth, elevation;
};
constexpr double kStartElevation = 1.1441688537597656;  // atan 2.2 in single precision
constexpr SStartView kWhiteStartView = {0.0, 2.2, 1.0, 1.5707963267948966, kStartElevation};
constexpr SStartView kBlackStartView = {0.0, 2.2, -1.0, -1.5707963267948966, kStartElevation};

const SStartView& StartViewOf(int nSide) { return nSide == SIDE_BLACK ? kBlackStartView : kWhiteStartView; }

void ApplyStartView(stCamGeom& cam, const SStartView& view) {
    cam.ex = view.ex;
    cam.ey = view.ey;
    cam.ez = view.ez;
    cam.azimuth = view.azimuth;
    cam.elevation = view.elevation;
}

// The reset camera turned to a side's start view (target, radius and distance of the reset).
void ShowStartView(CGameWnd& wnd, int nSide) {
    wnd.ResetCamera();
    stCamGeom cam = wnd.GetCamera();
    ApplyStartView(cam, StartViewOf(nSide));
    wnd.SetCamera(cam);
    wnd.CalcRads();
    wnd.UpdateGLWindow();
}

void WriteTurnText(CGameWnd& wnd, const char* szWho) {
    std::snprintf(wnd.m_szTurnText, sizeof(wnd.m_szTurnText), kTurnFormat, szWho);
}

// Two players: each side finds its own last view when the move comes back to it. The turn
// text names the side; in one-player mode it never does, and these only refresh.
void SaveSideCamera(CGameWnd& wnd) {
    if (std::strstr(wnd.m_szTurnText, kWhitesWord)) wnd.m_camWhite = wnd.GetCamera();
    else if (std::strstr(wnd.m_szTurnText, kBlacksWord)) wnd.m_camBlack = wnd.GetCamera();
    wnd.CalcRads();
    wnd.UpdateGLWindow();
}

void RestoreSideCamera(CGameWnd& wnd) {
    if (std::strstr(wnd.m_szTurnText, kWhitesWord)) wnd.SetCamera(wnd.m_camWhite);
    else if (std::strstr(wnd.m_szTurnText, kBlacksWord)) wnd.SetCamera(wnd.m_camBlack);
    wnd.CalcRads();
    wnd.UpdateGLWindow();
}

void ClearFirstMark(CGameWnd& wnd) {
    wnd.m_abMarkSet[0] = 0;
    wnd.m_abMarkSet[1] = 0;
}

bool IsOnePlayer(const CGameSettings& s) { return s.m_nPlayers == kOnePlayer; }

// One line per set start and per flick with every draught on the board: enough to replay a
// reported game.
void LogRestingDraughts(const CDesk& desk) {
    std::string line = "Draughts at rest:";
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& c = desk.m_aChecks[i];
        if (!c.m_bOnDesk) continue;
        char item[48];
        std::snprintf(item, sizeof item, " %d:%.4f,%.4f", i, static_cast<double>(c.m_fStartX),
                      static_cast<double>(c.m_fStartY));
        line += item;
    }
    platform::Log("%s", line.c_str());
}

}  // namespace

void CGameWnd::StartMatch() {
    CGameSettings& s = m_settings;
    platform::Log("Match started: players %d, board %d, material %d, turn rule %d, campaign %d, player white %d",
                  s.m_nPlayers, s.BoardType, s.CheckType, s.TurnType, s.GameMode, s.MyWhite);
    m_bBusy = 0;
    m_bResultShown = 0;
    ReleaseMenuUploads();
    NewSet(0, 0);
    ClearFirstMark(*this);
    s.m_bMySideToMove = s.MyWhite;  // white moves first
    s.m_nLostBlackTotal = 0;
    s.m_nLostWhiteTotal = 0;
    s.m_nSetStarter = SIDE_WHITE;
    if (IsOnePlayer(s)) {
        WriteTurnText(*this, s.m_bMySideToMove ? "You" : "Computer");
    } else {
        // At one machine the first player is always white, and white's view comes first.
        ApplyStartView(m_camWhite, kWhiteStartView);
        ApplyStartView(m_camBlack, kBlackStartView);
        ShowStartView(*this, SIDE_WHITE);
        s.m_bMySideToMove = 1;
        s.MyWhite = 1;
        WriteTurnText(*this, kWhitesWord);
        m_bBusy = 0;
    }
    s.m_nMoverSide = SIDE_WHITE;
    s.m_nFocus = -1;
    ClearFirstMark(*this);
    m_nSelected = -1;
    m_hDelayThread.Cancel();  // no delay of an earlier match may start a flick in this one
    if (!s.m_bMySideToMove) {
        m_bBusy = 1;
        m_hStartCompTurnTimeoutEvent.Set();
    }
    m_hStopRepeatEvent.Set();
    m_hStopRepeatEvent.Reset();
    EnableGameControls(true);
    m_sight.SetVisible(false);
    // "begin.wav" is played by the menu command that started the match.
}

void CGameWnd::NewSet(int nWhiteShift, int nBlackShift) {
    CGameSettings& s = m_settings;
    const int nMaterial = (s.CheckType >= 0 && s.CheckType < kCheckModelCount) ? s.CheckType : 0;
    if (!BuildLayout(m_desk, nWhiteShift, nBlackShift, m_aWhiteChecks[nMaterial], m_aBlackChecks[nMaterial]))
        platform::Log("No start layout for board type %d", s.BoardType);

    ResetCamera();
    stCamGeom cam = GetCamera();
    if (!IsOnePlayer(s)) {
        m_camWhite = stCamGeom{};
        m_camBlack = stCamGeom{};
        ApplyStartView(m_camWhite, kWhiteStartView);
        ApplyStartView(m_camBlack, kBlackStartView);
    }
    ApplyStartView(cam, StartViewOf(MySide(s.MyWhite)));
    SetCamera(cam);
    CalcRads();
    UpdateGLWindow();

    s.m_nSetResult = SET_RUNNING;
    s.m_nBlackShift = nBlackShift;
    s.m_nWhiteShift = nWhiteShift;
    LogRestingDraughts(m_desk);
}


void CGameWnd::OnFlickFinished() {
    LogRestingDraughts(m_desk);
    EnableGameControls(true);
    if (CheckSetOver()) return;
    int nPolls = 0;
    while (g_bKickRunning.load() && nPolls < kKickRunningMaxPolls) {
        std::this_thread::sleep_for(kKickRunningPoll);
        ++nPolls;
    }
    if (g_bKickRunning.load()) platform::Log("A flick still counts as running after its playback ended; the turn goes on");
    EnableGameControls(true);
    if (m_settings.TurnType == TURN_TO_A_MISS) PassTurnToAMiss();
    else PassTurnByTurn();
    const CGameSettings& s = m_settings;
    const char* szNext = IsOnePlayer(s) ? (s.m_bMySideToMove ? "player" : "computer")
                                        : (s.m_bMySideToMove ? kWhitesWord : kBlacksWord);
    platform::Log("Next move: %s", szNext);
}

bool CGameWnd::CheckSetOver() {
    CGameSettings& s = m_settings;
    int nWhite = 0, nBlack = 0;
    m_desk.CountOnDesk(nWhite, nBlack);
    const int nResult = SetResultOf(s.MyWhite, nWhite, nBlack);
    if (nResult == SET_RUNNING) return false;
    s.m_nSetResult = nResult;
    platform::Log("Set over: %d white and %d black draughts left, result %d", nWhite, nBlack, nResult);
    m_bResultShown = 0;
    StopMatch();
    if (s.GameMode == 0) {
        s.m_bMatchOver = 1;
        SetScreen(SCREEN_GAME_OVER);
    } else {
        const bool bCampaignOver = CheckCampaignOver();
        if (bCampaignOver) platform::Log("Campaign over: %d white and %d black draughts lost in all",
                                         s.m_nLostWhiteTotal, s.m_nLostBlackTotal);
        SetScreen(bCampaignOver ? SCREEN_CAMPAIGN_OVER : SCREEN_SET_OVER);
    }
    return true;
}

bool CGameWnd::CheckCampaignOver() {
    CGameSettings& s = m_settings;
    int nWhite = 0, nBlack = 0;
    m_desk.CountOnDesk(nWhite, nBlack);
    s.m_nLostWhiteTotal += kChecksPerSide - nWhite;
    s.m_nLostBlackTotal += kChecksPerSide - nBlack;
    SCampaignLimits limits{};
    if (!GetCampaignLimits(s.BoardType, limits)) {
        platform::Log("Campaign check: unknown board type %d; the match state stays", s.BoardType);
        return s.m_bMatchOver != 0;
    }
    s.m_bMatchOver = IsCampaignWon(limits, s.m_nWhiteShift, s.m_nBlackShift, nWhite, nBlack) ? 1 : 0;
    return s.m_bMatchOver != 0;
}

void CGameWnd::PassTurn() {
    m_settings.m_bMySideToMove = !m_settings.m_bMySideToMove;
    m_settings.m_nFocus = -1;
}

void CGameWnd::PassTurnByTurn() {
    CGameSettings& s = m_settings;
    SaveSideCamera(*this);
    if (IsOnePlayer(s)) WriteTurnText(*this, s.m_bMySideToMove ? "computer" : "you");
    else WriteTurnText(*this, s.m_bMySideToMove ? kBlacksWord : kWhitesWord);
    if (IsOnePlayer(s) && s.m_bMySideToMove) {
        // The move passes before the computer's thread starts: its search copies the settings.
        PassTurn();
        StartComputerTurn();
        return;
    }
    m_bBusy = 0;
    PassTurn();
    if (!IsOnePlayer(s)) RestoreSideCamera(*this);
}

void CGameWnd::PassTurnToAMiss() {
    CGameSettings& s = m_settings;
    const bool bOnePlayer = IsOnePlayer(s);
    const int nMySide = MySide(s.MyWhite);
    const int nFlicked = s.m_bMySideToMove ? nMySide : OtherSide(nMySide);
    const bool bHit = IsHit(nFlicked, s.m_nKnockedWhite, s.m_nKnockedBlack);
    SaveSideCamera(*this);
    if (bHit && s.m_bMySideToMove) {
        m_bBusy = 0;  // the same side aims again
    } else if (bHit) {
        if (bOnePlayer) {
            StartComputerTurn();
        } else {
            WriteTurnText(*this, kBlacksWord);
            m_bBusy = 0;
            RestoreSideCamera(*this);
        }
    } else if (s.m_bMySideToMove) {
        PassTurn();  // before the computer's thread copies the settings
        if (bOnePlayer) {
            StartComputerTurn();
        } else {
            m_bBusy = 0;
            WriteTurnText(*this, kBlacksWord);
            RestoreSideCamera(*this);
        }
    } else {
        PassTurn();
        WriteTurnText(*this, bOnePlayer ? "you" : kWhitesWord);
        m_bBusy = 0;
        if (!bOnePlayer) RestoreSideCamera(*this);
    }
}

void CGameWnd::StartComputerTurn() {
    wlog(" --- Comp turn --- ");
    EnableGameControls(false);
    m_bBusy = 1;
    const int nSide = OtherSide(MySide(m_settings.MyWhite));
    m_settings.m_nMoverSide = nSide;
    m_physics.ClearMotions();
    m_physics.StartCompTurn(nSide);
}

void CGameWnd::NextSet() {
    CGameSettings& s = m_settings;
    if (s.m_nSetResult < SET_WON || s.m_nSetResult > SET_DRAW) {
        platform::Log("Next set asked for with set result %d; nothing changes", s.m_nSetResult);
        platform::Beep(kBadResultBeepHz, kBadResultBeepMs);
        return;
    }
    const int nWinner = SetWinner(s.m_nSetResult, s.MyWhite);
    SCampaignLimits limits{};
    if (GetCampaignLimits(s.BoardType, limits))
        AdvanceCampaignLines(limits, nWinner, s.m_nWhiteShift, s.m_nBlackShift);
    else
        platform::Log("Next set: unknown board type %d; the lines stay", s.BoardType);
    NewSet(s.m_nWhiteShift, s.m_nBlackShift);

    if (s.GameMode != 0 && s.TurnType == TURN_TO_A_MISS) ToAMissStarter();
    else if (s.GameMode != 0) ByTurnStarter();
    else s.m_bMySideToMove = s.MyWhite;
    SetScreen(SCREEN_GAME);

    if (s.m_bMySideToMove) {
        WriteTurnText(*this, s.MyWhite ? kWhitesWord : kBlacksWord);
        return;
    }
    // The other side starts: handled as a missed flick of the MyWhite side, so the computer
    // flicks at once (no start delay) or, with two players, the move passes to black.
    m_szTurnText[0] = '\0';
    s.m_nMoverSide = OtherSide(MySide(s.MyWhite));
    s.m_bMySideToMove = 1;
    s.m_nKnockedWhite = 0;
    s.m_nKnockedBlack = 0;
    SendMessage(UM_FLICK_FINISHED, 0, 0);
}

void CGameWnd::ToAMissStarter() {
    CGameSettings& s = m_settings;
    const int nStarter = ToAMissNextStarter(s.m_nMoverSide, s.m_nSetResult, s.m_nKnockedWhite, s.m_nKnockedBlack);
    s.m_bMySideToMove = nStarter == MySide(s.MyWhite) ? 1 : 0;
}

void CGameWnd::ByTurnStarter() {
    CGameSettings& s = m_settings;
    const int nStarter = ByTurnNextStarter(s.m_nSetStarter);
    s.m_bMySideToMove = nStarter == MySide(s.MyWhite) ? 1 : 0;
    s.m_nSetStarter = nStarter;
}

void CGameWnd::StopMatch() {
    const std::string frameTimes = m_frameStats.Describe();
    if (!frameTimes.empty()) platform::Log("%s", frameTimes.c_str());
    m_frameStats.Clear();
    m_bBusy = 0;
    m_bShowFps = 0;
    m_hDelayThread.Cancel();  // a pending computer start is dropped, the running delay too
    m_physics.SuspendThreads();
    m_physics.StopPlayback();
    m_physics.TerminateThreads();
    m_physics.ClearMotions();
}
