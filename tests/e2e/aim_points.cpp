// Click points for an end-to-end flick: from the start view of a set and the draughts at rest
// (the game's "Draughts at rest:" log line, or the start layout), the X pixels of the first
// click (on an own draught) and the second (behind it, so the flick runs at the nearest
// opponent draught). Prints "x1 y1 x2 y2 own target", or nothing and exit 1 when no own draught
// can be aimed from inside the screen.
// Usage: aim_points BOARD MY_WHITE PLAYERS [DRAUGHTS_AT_REST_LINE]
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/framework/world_pick.h"
#include "app/game_wnd.h"
#include "game/match_logic.h"
#include "physics/board_edges.h"

namespace {

constexpr double kDraughtTop = 0.024;   // the model's top face
// Inside the accepted band (0.082 to 0.232): firm flicks first, softer ones where the firm
// finger would be off the board (the pick needs the board under the pointer).
constexpr double kFingerDistances[] = {0.17, 0.13, 0.1};
// The game screen's buttons sit at the edges; both clicks stay well inside.
constexpr int kMarginX = 90, kMarginY = 70;

bool ToScreen(const SViewProjection& vp, double x, double y, double z, int& px, int& py) {
    double wx = 0, wy = 0, wz = 0;
    if (gluProject(x, y, z, vp.modelview, vp.projection, vp.viewport, &wx, &wy, &wz) != GL_TRUE) return false;
    if (wz <= 0.0 || wz >= 1.0) return false;
    px = static_cast<int>(std::floor(wx));
    py = kLogicalHeight - 1 - static_cast<int>(std::floor(wy));  // X rows count from the top
    return px >= kMarginX && px < kLogicalWidth - kMarginX && py >= kMarginY && py < kLogicalHeight - kMarginY;
}

// "Draughts at rest: 3:0.1,0.2 ..." -> the desk with only those draughts on the board.
void ApplyRestLine(CDesk& desk, const std::string& line) {
    for (CCheck& c : desk.m_aChecks) c.m_bOnDesk = 0;
    std::istringstream in(line.substr(line.find(':') + 1));
    std::string item;
    while (in >> item) {
        int i = -1;
        float x = 0, y = 0;
        if (std::sscanf(item.c_str(), "%d:%f,%f", &i, &x, &y) != 3 || i < 0 || i >= kCheckCount) continue;
        CCheck& c = desk.m_aChecks[i];
        c.m_bOnDesk = 1;
        c.m_fStartX = c.m_fX = x;
        c.m_fStartY = c.m_fY = y;
    }
}

// The finger must lie on the board's playing surface.
bool OnBoard(const CGameSettings& settings, double x, double y) {
    CCheck probe;
    probe.m_fX = probe.m_fPrevX = static_cast<float>(x);
    probe.m_fY = probe.m_fPrevY = static_cast<float>(y);
    return !TestLeftBoard(probe, settings);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s BOARD MY_WHITE PLAYERS [DRAUGHTS_AT_REST_LINE]\n", argv[0]);
        return 2;
    }
    CGameWnd wnd(EWindowBackend::Headless);
    CGameSettings& s = wnd.Settings();
    s.BoardType = std::atoi(argv[1]);
    s.MyWhite = std::atoi(argv[2]);
    s.m_nPlayers = std::atoi(argv[3]);
    wnd.NewSet(0, 0);  // the start layout and the start view of the player's side
    CDesk& desk = wnd.Desk();
    if (argc > 4) ApplyRestLine(desk, argv[4]);
    const int nMine = MySide(s.MyWhite);
    const SViewProjection vp = CameraViewProjection(wnd.GetCamera());

    double best = 1e9;
    int aBest[6] = {};
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& own = desk.m_aChecks[i];
        if (!own.m_bOnDesk || own.m_nSide != nMine) continue;
        for (int j = 0; j < kCheckCount; ++j) {
            const CCheck& target = desk.m_aChecks[j];
            if (!target.m_bOnDesk || target.m_nSide == nMine) continue;
            const double dx = target.m_fStartX - own.m_fStartX, dy = target.m_fStartY - own.m_fStartY;
            const double d = std::hypot(dx, dy);
            if (d <= 0.0 || d >= best) continue;
            int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            if (!ToScreen(vp, own.m_fStartX, kDraughtTop, own.m_fStartY, x1, y1)) continue;
            bool bFound = false;
            for (double fFinger : kFingerDistances) {
                const double fx = own.m_fStartX - dx / d * fFinger;
                const double fy = own.m_fStartY - dy / d * fFinger;
                if (OnBoard(s, fx, fy) && ToScreen(vp, fx, 0.0, fy, x2, y2)) {
                    bFound = true;
                    break;
                }
            }
            if (!bFound) continue;
            best = d;
            const int a[6] = {x1, y1, x2, y2, i, j};
            std::copy(a, a + 6, aBest);
        }
    }
    wnd.StopWorkers();
    if (best >= 1e9) return 1;
    std::printf("%d %d %d %d %d %d\n", aBest[0], aBest[1], aBest[2], aBest[3], aBest[4], aBest[5]);
    return 0;
}
