// The referee of a match: match and set starts, the end of every flick, set and campaign
// results, the turn order, the computer's turns and pausing. Window thread only; the
// computer's first flick of a match waits for the host's start delay.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "game/match.h"

#include "core/game_settings.h"
#include "core/players.h"
#include "game/layout.h"
#include "game/match_logic.h"
#include "game/match_recorder.h"
#include "physics/kick_physics.h"
#include "platform/beep.h"
#include "platform/log.h"

namespace {

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

CMatch::CMatch(IMatchHost& host, CGameSettings& settings, CDesk& desk, CKickPhysics& physics)
    : m_host(host), m_settings(settings), m_desk(desk), m_physics(physics) {}

bool CMatch::IsOnePlayer() const { return m_settings.m_nPlayers == kOnePlayer; }

void CMatch::SetTurnText(const char* szText) { std::snprintf(m_szTurnText, sizeof m_szTurnText, "%s", szText); }

// The reset camera turned to a side's start view (target, radius and distance of the reset).
void CMatch::ShowStartView(int nSide) {
    m_host.ResetCamera();
    stCamGeom& cam = m_host.Camera();
    ApplyStartView(cam, StartViewOf(nSide));
    CalcCameraRads(cam);
    m_host.UpdateView();
}

void CMatch::WriteTurnText(const char* szWho) {
    std::snprintf(m_szTurnText, sizeof(m_szTurnText), kTurnFormat, szWho);
}

// Two players: each side finds its own last view when the move comes back to it. The turn
// text names the side; in one-player mode it never does, and these only refresh.
void CMatch::SaveSideCamera() {
    if (m_nNetSide) return;
    stCamGeom& cam = m_host.Camera();
    if (std::strstr(m_szTurnText, kWhitesWord)) m_camWhite = cam;
    else if (std::strstr(m_szTurnText, kBlacksWord)) m_camBlack = cam;
    CalcCameraRads(cam);
    m_host.UpdateView();
}

void CMatch::RestoreSideCamera() {
    if (m_nNetSide) return;
    stCamGeom& cam = m_host.Camera();
    if (std::strstr(m_szTurnText, kWhitesWord)) cam = m_camWhite;
    else if (std::strstr(m_szTurnText, kBlacksWord)) cam = m_camBlack;
    CalcCameraRads(cam);
    m_host.UpdateView();
}

void CMatch::StartMatch() {
    BeginMatch(0, 0);
    ReportCampaignSet(SIDE_WHITE);
}

void CMatch::ResumeCampaign(const SCampaignSet& set) {
    CGameSettings& s = m_settings;
    platform::Log("Campaign resumed: lines %d and %d, %d white and %d black draughts lost, side %d starts",
                  set.nWhiteShift, set.nBlackShift, set.nLostWhiteTotal, set.nLostBlackTotal, set.nStarter);
    BeginMatch(set.nWhiteShift, set.nBlackShift);
    s.m_nLostWhiteTotal = set.nLostWhiteTotal;
    s.m_nLostBlackTotal = set.nLostBlackTotal;
    s.m_nSetStarter = set.nStarter;
    ReportCampaignSet(set.nStarter);
    const bool bMySideStarts = set.nStarter == MySide(s.MyWhite);
    if (bMySideStarts && !s.m_bMySideToMove) {
        // The match began with the computer to move; this set the player starts.
        m_host.CancelComputerStart();
        m_bBusy = false;
        s.m_bMySideToMove = 1;
        WriteTurnText("You");
    } else if (!bMySideStarts && s.m_bMySideToMove) {
        OtherSideStartsSet();
    }
}

void CMatch::BeginMatch(int nWhiteShift, int nBlackShift) {
    CGameSettings& s = m_settings;
    platform::Log("Match started: players %d, board %d, material %d, turn rule %d, campaign %d, player white %d",
                  s.m_nPlayers, s.BoardType, s.CheckType, s.TurnType, s.GameMode, s.MyWhite);
    m_bBusy = false;
    m_bResultShown = false;
    m_host.OnMatchStarting();
    RecordMatchStart();
    NewSet(nWhiteShift, nBlackShift);
    ClearFirstMark();
    s.m_bMySideToMove = s.MyWhite;  // white moves first
    s.m_nLostBlackTotal = 0;
    s.m_nLostWhiteTotal = 0;
    s.m_nSetStarter = SIDE_WHITE;
    if (IsOnePlayer()) {
        WriteTurnText(s.m_bMySideToMove ? "You" : "Computer");
    } else {
        // At one machine the first player is always white, and white's view comes first.
        ApplyStartView(m_camWhite, kWhiteStartView);
        ApplyStartView(m_camBlack, kBlackStartView);
        ShowStartView(m_nNetSide ? m_nNetSide : SIDE_WHITE);
        s.m_bMySideToMove = 1;
        s.MyWhite = 1;
        WriteTurnText(kWhitesWord);
        m_bBusy = false;
    }
    s.m_nMoverSide = SIDE_WHITE;
    s.m_nFocus = -1;
    ClearFirstMark();
    m_nSelected = -1;
    m_host.CancelComputerStart();  // no delay of an earlier match may start a flick in this one
    if (!s.m_bMySideToMove) {
        m_bBusy = true;
        m_host.ScheduleComputerStart();
    }
    m_host.StopCameraRepeat();
    m_host.EnableGameControls(true);
    m_host.ShowSight(false);
    // The start jingle is played by the menu command that started the match.
}

void CMatch::NewSet(int nWhiteShift, int nBlackShift) {
    CGameSettings& s = m_settings;
    if (!BuildLayout(m_desk, nWhiteShift, nBlackShift, m_host.CheckModel(true, s.CheckType),
                     m_host.CheckModel(false, s.CheckType)))
        platform::Log("No start layout for board type %d", s.BoardType);

    m_host.ResetCamera();
    stCamGeom& cam = m_host.Camera();
    if (!IsOnePlayer()) {
        m_camWhite = stCamGeom{};
        m_camBlack = stCamGeom{};
        ApplyStartView(m_camWhite, kWhiteStartView);
        ApplyStartView(m_camBlack, kBlackStartView);
    }
    ApplyStartView(cam, StartViewOf(m_nNetSide ? m_nNetSide : MySide(s.MyWhite)));
    CalcCameraRads(cam);
    m_host.UpdateView();

    s.m_nSetResult = SET_RUNNING;
    s.m_nBlackShift = nBlackShift;
    s.m_nWhiteShift = nWhiteShift;
    LogRestingDraughts(m_desk);
    RecordSetStart(nWhiteShift, nBlackShift);
}


void CMatch::OnFlickFinished() {
    LogRestingDraughts(m_desk);
    RecordFinishedFlick();
    m_host.EnableGameControls(true);
    if (CheckSetOver()) return;
    int nPolls = 0;
    while (g_bKickRunning.load() && nPolls < kKickRunningMaxPolls) {
        std::this_thread::sleep_for(kKickRunningPoll);
        ++nPolls;
    }
    if (g_bKickRunning.load()) platform::Log("A flick still counts as running after its playback ended; the turn goes on");
    m_host.EnableGameControls(true);
    if (m_settings.TurnType == TURN_TO_A_MISS) PassTurnToAMiss();
    else PassTurnByTurn();
    const CGameSettings& s = m_settings;
    const char* szNext = IsOnePlayer() ? (s.m_bMySideToMove ? "player" : "computer")
                                        : (s.m_bMySideToMove ? kWhitesWord : kBlacksWord);
    platform::Log("Next move: %s", szNext);
}

bool CMatch::CheckSetOver() {
    CGameSettings& s = m_settings;
    int nWhite = 0, nBlack = 0;
    m_desk.CountOnDesk(nWhite, nBlack);
    const int nResult = SetResultOf(s.MyWhite, nWhite, nBlack);
    if (nResult == SET_RUNNING) return false;
    s.m_nSetResult = nResult;
    platform::Log("Set over: %d white and %d black draughts left, result %d", nWhite, nBlack, nResult);
    m_bResultShown = false;
    StopMatch();
    if (s.GameMode == 0) {
        s.m_bMatchOver = 1;
        m_host.ShowScreen(EMatchScreen::GameOver);
    } else {
        const bool bCampaignOver = CheckCampaignOver();
        if (bCampaignOver) {
            platform::Log("Campaign over: %d white and %d black draughts lost in all", s.m_nLostWhiteTotal,
                          s.m_nLostBlackTotal);
            ReportCampaignOver();
        } else {
            ReportNextCampaignSet();
        }
        m_host.ShowScreen(bCampaignOver ? EMatchScreen::CampaignOver : EMatchScreen::SetOver);
    }
    return true;
}

bool CMatch::CheckCampaignOver() {
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

void CMatch::PassTurn() {
    m_settings.m_bMySideToMove = !m_settings.m_bMySideToMove;
    m_settings.m_nFocus = -1;
}

void CMatch::PassTurnByTurn() {
    CGameSettings& s = m_settings;
    SaveSideCamera();
    if (IsOnePlayer()) WriteTurnText(s.m_bMySideToMove ? "computer" : "you");
    else WriteTurnText(s.m_bMySideToMove ? kBlacksWord : kWhitesWord);
    if (IsOnePlayer() && s.m_bMySideToMove) {
        // The move passes before the computer's thread starts: its search copies the settings.
        PassTurn();
        StartComputerTurn();
        return;
    }
    m_bBusy = false;
    PassTurn();
    if (!IsOnePlayer()) RestoreSideCamera();
}

void CMatch::PassTurnToAMiss() {
    CGameSettings& s = m_settings;
    const bool bOnePlayer = IsOnePlayer();
    const int nMySide = MySide(s.MyWhite);
    const int nFlicked = s.m_bMySideToMove ? nMySide : OtherSide(nMySide);
    const bool bHit = IsHit(nFlicked, s.m_nKnockedWhite, s.m_nKnockedBlack);
    SaveSideCamera();
    if (bHit && s.m_bMySideToMove) {
        m_bBusy = false;  // the same side aims again
    } else if (bHit) {
        if (bOnePlayer) {
            StartComputerTurn();
        } else {
            WriteTurnText(kBlacksWord);
            m_bBusy = false;
            RestoreSideCamera();
        }
    } else if (s.m_bMySideToMove) {
        PassTurn();  // before the computer's thread copies the settings
        if (bOnePlayer) {
            StartComputerTurn();
        } else {
            m_bBusy = false;
            WriteTurnText(kBlacksWord);
            RestoreSideCamera();
        }
    } else {
        PassTurn();
        WriteTurnText(bOnePlayer ? "you" : kWhitesWord);
        m_bBusy = false;
        if (!bOnePlayer) RestoreSideCamera();
    }
}

void CMatch::StartComputerTurn() {
    platform::Log(" --- Comp turn --- ");
    m_host.EnableGameControls(false);
    m_bBusy = true;
    const int nSide = OtherSide(MySide(m_settings.MyWhite));
    m_settings.m_nMoverSide = nSide;
    m_physics.ClearMotions();
    m_physics.StartCompTurn(nSide);
}

void CMatch::NextSet() {
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
    m_host.ShowScreen(EMatchScreen::Game);
    ReportCampaignSet(s.m_bMySideToMove ? MySide(s.MyWhite) : OtherSide(MySide(s.MyWhite)));

    if (s.m_bMySideToMove) {
        WriteTurnText(s.MyWhite ? kWhitesWord : kBlacksWord);
        return;
    }
    OtherSideStartsSet();
}

void CMatch::OtherSideStartsSet() {
    CGameSettings& s = m_settings;
    // Handled as a missed flick of the MyWhite side, so the computer flicks at once (no start
    // delay) or, with two players, the move passes to black.
    m_szTurnText[0] = '\0';
    s.m_nMoverSide = OtherSide(MySide(s.MyWhite));
    s.m_bMySideToMove = 1;
    s.m_nKnockedWhite = 0;
    s.m_nKnockedBlack = 0;
    m_host.FinishFlickNow();
}

void CMatch::ToAMissStarter() {
    CGameSettings& s = m_settings;
    const int nStarter = ToAMissNextStarter(s.m_nMoverSide, s.m_nSetResult, s.m_nKnockedWhite, s.m_nKnockedBlack);
    s.m_bMySideToMove = nStarter == MySide(s.MyWhite) ? 1 : 0;
}

void CMatch::ByTurnStarter() {
    CGameSettings& s = m_settings;
    const int nStarter = ByTurnNextStarter(s.m_nSetStarter);
    s.m_bMySideToMove = nStarter == MySide(s.MyWhite) ? 1 : 0;
    s.m_nSetStarter = nStarter;
}

void CMatch::StopMatch() {
    m_host.OnMatchStopped();
    m_bBusy = false;
    m_host.CancelComputerStart();  // a pending computer start is dropped, the running delay too
    m_physics.SuspendThreads();
    m_physics.StopPlayback();
    m_physics.TerminateThreads();
    m_physics.ClearMotions();
}

void CMatch::PauseMatch() {
    m_physics.SuspendThreads();
    m_bPausedPlayback = m_physics.IsPlaying();
    // The pause screen must take clicks even when a flick was running; the game screen gets
    // them back only when the interrupted flick or choice has ended.
    m_bPausedBusy = m_bBusy;
    m_bBusy = false;
    m_physics.StopPlayback();
}

void CMatch::ContinueMatch() {
    if (m_bPausedPlayback) m_physics.StartPlayback();
    m_bPausedPlayback = false;
    m_bBusy = m_bPausedBusy;
    m_bPausedBusy = false;
    m_physics.ResumeThreads();
}
