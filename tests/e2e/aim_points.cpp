// Click points for an end-to-end flick: from the start view of a set and the draughts at rest
// (the game's "Draughts at rest:" log line, or the start layout), the X pixels of the first
// click (on an own draught) and the second (behind it, so the flick runs at the nearest
// opponent draught). Prints "x1 y1 x2 y2 own target", or nothing and exit 1 when no own draught
// can be aimed from inside the screen. With "beyond-rim" instead of a rest line, the finger lies
// over the empty floor straight behind an own draught near the rim, far enough for a strong
// flick towards the board centre.
// Usage: aim_points BOARD MY_WHITE PLAYERS [DRAUGHTS_AT_REST_LINE | beyond-rim]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/game_wnd.h"
#include "game/match_logic.h"
#include "platform/log.h"
#include "tests/support/aim_choice.h"

namespace {

constexpr double kDraughtTop = 0.024;  // the model's top face: the pick reads its depth
// The game screen's buttons sit at the edges; both clicks stay well inside.
constexpr int kMarginX = 90, kMarginY = 70;
// The finger beyond the rim: 3.45 draught radii from the centre, inside the band's 4.
constexpr double kBeyondRimFinger = 0.2;

// "Draughts at rest: 3:0.1,0.2 ..." -> the desk with only those draughts on the board.
void ApplyRestLine(CDesk& desk, const std::string& line) {
    for (CCheck& c : desk.m_aChecks) c.m_bOnDesk = 0;
    std::istringstream in(line.substr(line.find(':') + 1));
    int i = -1;
    float x = 0, y = 0;
    for (std::string item; in >> item;) {
        if (std::sscanf(item.c_str(), "%d:%f,%f", &i, &x, &y) != 3 || i < 0 || i >= kCheckCount) continue;
        CCheck& c = desk.m_aChecks[i];
        c.m_bOnDesk = 1;
        c.m_fStartX = c.m_fX = x, c.m_fStartY = c.m_fY = y;
    }
}

// The first own draught whose finger, straight away from the board centre, lies off the board,
// with both clicks inside the screen.
bool AimBeyondRim(const CDesk& desk, const CGameSettings& s, int nSide, const stCamGeom& camera, SAimChoice& aim) {
    const SViewProjection vp = CameraViewProjection(camera);
    for (const CCheck& c : desk.m_aChecks) {
        const double k = 1.0 + kBeyondRimFinger / std::hypot(c.m_fStartX, c.m_fStartY);
        aim.nOwn = static_cast<int>(&c - desk.m_aChecks);
        if (c.m_nSide == nSide && c.m_bOnDesk && std::isfinite(k) &&
            !aim_choice::OnBoard(s, c.m_fStartX * k, c.m_fStartY * k) &&
            aim_choice::ToWindow(vp, c.m_fStartX, kDraughtTop, c.m_fStartY, kMarginX, kMarginY, aim.x1, aim.y1) &&
            aim_choice::ToWindow(vp, c.m_fStartX * k, 0.0, c.m_fStartY * k, kMarginX, kMarginY, aim.x2, aim.y2))
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return std::fprintf(stderr, "usage: %s BOARD MY_WHITE PLAYERS [REST_LINE | beyond-rim]\n", argv[0]), 2;
    // The game's log is in the same profile: this tool's own lines must not land in it.
    platform::SetLogSink([](const std::string&) {});
    CGameWnd wnd(EWindowBackend::Headless);
    CGameSettings& s = wnd.Settings();
    s.BoardType = std::atoi(argv[1]);
    s.MyWhite = std::atoi(argv[2]);
    s.m_nPlayers = std::atoi(argv[3]);
    wnd.NewSet(0, 0);  // the start layout and the start view of the player's side
    CDesk& desk = wnd.Desk();
    const bool bBeyondRim = argc > 4 && std::string(argv[4]) == "beyond-rim";
    if (argc > 4 && !bBeyondRim) ApplyRestLine(desk, argv[4]);
    SAimChoice aim;
    const int nSide = MySide(s.MyWhite);
    const bool bFound = bBeyondRim ? AimBeyondRim(desk, s, nSide, wnd.GetCamera(), aim)
                                   : ChooseAim(desk, s, nSide, wnd.GetCamera(), kDraughtTop, kMarginX, kMarginY, aim);
    wnd.StopWorkers();
    if (!bFound) return 1;
    std::printf("%d %d %d %d %d %d\n", aim.x1, aim.y1, aim.x2, aim.y2, aim.nOwn, aim.nTarget);
    return 0;
}
