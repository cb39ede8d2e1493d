// The candidate search of one own draught, written once for every board: the boards differ
// only in the aim geometry and the search constants of the board table.
#include "ai/candidate_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ai/flick_launch.h"
#include "core/game_settings.h"
#include "platform/log.h"

namespace {

constexpr float kUnknownMaterialFactor = 1.0f;
constexpr float kScaleStep = 0.2f;        // expert force scales, and the basic retry after a miss
constexpr float kOneForOneCut = 0.4f;     // basic retry after one draught of each side went off

float MaterialFactor(const SBoardSearch& b, int nCheckType) {
    if (!FindMaterial(nCheckType)) return kUnknownMaterialFactor;
    return b.aMaterial[nCheckType];
}

double Unit(double v) { return std::clamp(v, -1.0, 1.0); }

// The aim is worked out in double: in single precision the square's sqrt(1 - cx²) and the
// circle's quadratic lose most digits for lines nearly parallel to an axis.

// Exit of the ray from the target through the square of half side h.
void AimSquare(double h, double ox, double oy, double tx, double ty, double& ex, double& ey, double& cx,
               double& cy) {
    const double dx = tx - ox, dy = ty - oy;
    const double length = std::sqrt(dx * dx + dy * dy);
    cx = length > 0.0 ? dx / length : 0.0;
    cy = std::sqrt(std::max(0.0, 1.0 - cx * cx));
    if (dy < 0.0) cy = -cy;
    cx = Unit(cx);
    cy = Unit(cy);
    ex = dx < 0.0 ? -h : h;
    ey = dy < 0.0 ? -h : h;
    if (cx != 0.0) {
        const double y = ty + (ex - tx) * cy / cx;
        if (std::fabs(y) < h) ey = y;
    }
    if (cy != 0.0) {
        const double g = dy < 0.0 ? -h : h;
        const double x = tx + (g - ty) * cx / cy;
        if (std::fabs(x) < h) ex = x;
    }
}

// The intersection of the line through both centres with the circle x² + y² = R2 that
// lies beyond the target as seen from the own draught.
void AimCircle(double R2, double ox, double oy, double tx, double ty, double& ex, double& ey) {
    double x1, y1, x2, y2;
    if (tx == ox) {
        const double root = std::sqrt(std::max(0.0, R2 - tx * tx));
        x1 = x2 = tx;
        y1 = root;
        y2 = -root;
    } else {
        const double q = (ty - oy) / (tx - ox);
        const double qa = q * q + 1.0;
        const double qb = -2.0 * q * oy + 2.0 * q * q * ox;
        const double qc = oy * oy - 2.0 * q * oy * ox + q * q * ox * ox - R2;
        // Centres inside the circle always give a real root; anything else aims at the nearest point.
        const double root = std::sqrt(std::max(0.0, qb * qb - 4.0 * qa * qc));
        x1 = (qb + root) / (2.0 * qa);
        x2 = (qb - root) / (2.0 * qa);
        y1 = ty + (x1 - tx) * (oy - ty) / (ox - tx);
        y2 = ty + (x2 - tx) * (oy - ty) / (ox - tx);
    }
    bool bFirst = oy < ty ? y1 > ty : y1 < ty;
    if (oy == ty) bFirst = ox < tx ? x1 > tx : x1 < tx;
    ex = bFirst ? x1 : x2;
    ey = bFirst ? y1 : y2;
}

double CircleRadius2(const SBoard& b) {
    return b.search.circle == EAimCircle::KeptSquare ? double(b.fSize2) : double(b.fSize) * b.fSize;
}

// A trial on the working copy W of the position P, as the real flick would run it.
class CLookAhead : public ai::ITrialRunner {
public:
    CLookAhead(const SPhysicsConstants& k, CGameSettings& s, const CDesk& P, int nCheck,
               const ai::STrialControl& control)
        : m_k(k), m_s(s), m_in(MakeFlickInput(s)), m_P(P), m_nCheck(nCheck), m_control(control), m_W(P) {
        P.CountOnDesk(m_nWhite0, m_nBlack0);
    }

    bool Try(float vx, float vy, ai::SLosses& lost) override {
        if (!m_control.MayTry()) return false;
        // A flick that is not shown writes only the draughts: the rest of W stays as P has it.
        std::copy(std::begin(m_P.m_aChecks), std::end(m_P.m_aChecks), m_W.m_aChecks);
        ai::WriteLaunch(m_W.m_aChecks[m_nCheck], vx, vy, 0.0f);
        m_s.ResetMovers(m_nCheck);
        const SFlickOutcome outcome = RunFlick(m_k, m_in, m_nCheck, m_W, m_s.m_aMovers, false, nullptr);
        KeepFlickOutcome(outcome, m_s);
        lost.nWhite = outcome.nKnockedWhite;
        lost.nBlack = outcome.nKnockedBlack;
        ++m_nTrials;
        return true;
    }
    ai::SLosses OnBoard() const { return {m_nWhite0, m_nBlack0}; }
    int Trials() const { return m_nTrials; }

private:
    const SPhysicsConstants& m_k;
    CGameSettings& m_s;
    const SFlickInput m_in;  // the same for every trial
    const CDesk& m_P;
    const int m_nCheck;
    const ai::STrialControl& m_control;
    CDesk m_W;
    int m_nWhite0 = 0, m_nBlack0 = 0;
    int m_nTrials = 0;
};

}  // namespace

namespace ai {

bool AimAtTarget(const CGameSettings& s, float ox, float oy, float tx, float ty, SAim& out) {
    const SBoard* pBoard = FindBoard(s.BoardType);
    if (pBoard == nullptr) return false;
    const SBoardSearch* b = &pBoard->search;
    const float m = MaterialFactor(*b, s.CheckType);
    double ex, ey;
    if (b->circle == EAimCircle::None) {
        double cx, cy;
        AimSquare(pBoard->fSize / 2.0f, ox, oy, tx, ty, ex, ey, cx, cy);
        out.fDirX = float(cx);
        out.fDirY = float(cy);
    } else {
        AimCircle(CircleRadius2(*pBoard), ox, oy, tx, ty, ex, ey);
        const double vx = ex - ox, vy = ey - oy;
        const double length = std::sqrt(vx * vx + vy * vy);
        out.fDirX = length > 0.0 ? float(Unit(vx / length)) : 0.0f;
        out.fDirY = length > 0.0 ? float(Unit(vy / length)) : 0.0f;
    }
    out.fEx = float(ex);
    out.fEy = float(ey);
    out.fVx0 = (out.fEx - ox) * b->fSpeedFactor * m;
    out.fVy0 = (out.fEy - oy) * b->fSpeedFactor * m;
    return true;
}

bool GetExpertSchedule(const CGameSettings& s, SExpertSchedule& out) {
    const SBoard* pBoard = FindBoard(s.BoardType);
    if (pBoard == nullptr) return false;
    const SBoardSearch* b = &pBoard->search;
    // The square board's campaign end game (both lines pushed 8 rows in total) flicks harder.
    const bool bWide = b->nWideShiftSum >= 0 && std::abs(s.m_nWhiteShift + s.m_nBlackShift) == b->nWideShiftSum;
    float d = bWide ? b->fWideOffset0 : b->fOffset0;
    for (float& fOffset : out.aOffsets) {
        fOffset = d;
        d = d * b->fOffsetGrowth + b->fOffsetStep;
    }
    float k = bWide ? b->fWideScale0 : b->fScale0;
    for (float& fScale : out.aScales) {
        fScale = k;
        k += kScaleStep;
    }
    return true;
}

bool RunBasicTries(const SAim& aim, int nTurnType, ITrialRunner& trial, STry& kept) {
    float fScale = 1.0f;
    int nTries = 0;
    bool bAgain = true;
    while (bAgain && nTries < kMaxBasicTries) {
        bAgain = false;
        kept.fVx = aim.fVx0 * fScale;
        kept.fVy = aim.fVy0 * fScale;
        kept.fDirX = aim.fDirX;
        kept.fDirY = aim.fDirY;
        if (!trial.Try(kept.fVx, kept.fVy, kept.lost)) return false;
        if (nTurnType == kTurnTypeToAMiss) break;
        if (kept.lost.nWhite == 0 && kept.lost.nBlack == 0) {  // a miss: harder
            ++nTries;
            fScale += kScaleStep;
            bAgain = true;
        } else if (kept.lost.nWhite == 1 && kept.lost.nBlack == 1) {  // one for one: softer
            ++nTries;
            fScale -= kOneForOneCut;
            bAgain = true;
        }
    }
    return true;
}

bool RunExpertTries(const SAim& aim, const SExpertSchedule& schedule, int nSide, SLosses onBoard,
                    ITrialRunner& trial, std::array<STry, kExpertVariants>& variants, STry& kept) {
    float fLastVx = aim.fVx0, fLastVy = aim.fVy0;  // the last velocity tried
    int v = 0;
    for (float d : schedule.aOffsets) {
        // Until a scale of this offset is tried, a too strong variant counts everything as lost.
        SLosses lost = onBoard;
        const float ux = aim.fVx0 + d, uy = aim.fVy0 - d;
        const float fLength = std::sqrt(ux * ux + uy * uy);
        const float fDirX = fLength > 0.0f ? ux / fLength : 0.0f;
        const float fDirY = fLength > 0.0f ? uy / fLength : 0.0f;
        for (float k : schedule.aScales) {
            const float fx = k * ux, fy = k * uy;
            if (std::fabs(fx) < kExpertSpeedCap && std::fabs(fy) < kExpertSpeedCap) {
                fLastVx = fx;
                fLastVy = fy;
                if (!trial.Try(fx, fy, lost)) return false;
            }
            variants[v++] = {fLastVx, fLastVy, fDirX, fDirY, lost};
        }
    }
    // Fewest own losses, then the first with the most opponent losses.
    int nMinOwn = std::numeric_limits<int>::max();
    for (const STry& t : variants) nMinOwn = std::min(nMinOwn, OwnLosses(nSide, t.lost.nWhite, t.lost.nBlack));
    int nBest = -1;
    for (const STry& t : variants) {
        if (OwnLosses(nSide, t.lost.nWhite, t.lost.nBlack) != nMinOwn) continue;
        const int nOpponent = OpponentLosses(nSide, t.lost.nWhite, t.lost.nBlack);
        if (nOpponent > nBest) {
            nBest = nOpponent;
            kept = t;
        }
    }
    return true;
}

int SearchCandidateRow(const SPhysicsConstants& k, CGameSettings& s, int nCheck, int nSide,
                       KickCandidate (&row)[kCandidateCols], const CDesk& P, const STrialControl& control) {
    if (nCheck < 0 || nCheck >= kCheckCount) {
        platform::Log("Candidate search: draught %d does not exist; no candidates", nCheck);
        return 0;
    }
    SExpertSchedule schedule;
    if (!GetExpertSchedule(s, schedule)) return 0;  // an unknown board: nothing is searched
    const bool bExpert = s.m_nLevel == LEVEL_EXPERT;
    CLookAhead trial(k, s, P, nCheck, control);
    const CCheck& own = P.m_aChecks[nCheck];
    int c = 0;
    for (int j = 0; j < kCheckCount; ++j) {
        const CCheck& target = P.m_aChecks[j];
        if (target.m_bOnDesk != 1 || target.m_nSide == nSide || j == nCheck) continue;
        if (c == kCandidateCols) {
            platform::Log("Candidate search: more than %d opponent draughts; the rest are not tried",
                          kCandidateCols);
            break;
        }
        SAim aim;
        AimAtTarget(s, own.m_fStartX, own.m_fStartY, target.m_fStartX, target.m_fStartY, aim);
        STry kept;
        if (bExpert) {
            std::array<STry, kExpertVariants> variants;
            if (!RunExpertTries(aim, schedule, nSide, trial.OnBoard(), trial, variants, kept)) return -1;
        } else if (!RunBasicTries(aim, s.TurnType, trial, kept)) {
            return -1;
        }
        KickCandidate& e = row[c++];
        e.nCheck = nCheck;
        e.nLostWhite = kept.lost.nWhite;
        e.nLostBlack = kept.lost.nBlack;
        e.bValid = 1;
        e.fVx = kept.fVx;
        e.fVy = kept.fVy;
        e.fDirX = kept.fDirX;
        e.fDirY = kept.fDirY;
        e.fSpin = 0.0f;
    }
    return trial.Trials();
}

}  // namespace ai

int CKickPhysics::CalcKickCandidates(int i, int side, KickCandidateTable& table, int r, CDesk P) {
    if (m_pSettings == nullptr || r < 0 || r >= kCandidateRows) {
        platform::Log("CalcKickCandidates: no settings or row %d out of range; nothing searched", r);
        return 0;
    }
    ai::SearchCandidateRow(m_k, *m_pSettings, i, side, table[r], P, ai::STrialControl{});
    return 0;
}
