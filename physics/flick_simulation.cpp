#include "physics/flick_simulation.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "physics/desk.h"
#include "physics/overlap_scan.h"
#include "platform/log.h"

namespace {

// A zero direction component stands in as this in the stop tests, so it never divides by 0.
constexpr float kZeroDirection = 1e-8f;
// The back-step splits the step into tenths and tries nine of them.
constexpr int kBackSubSteps = 9;
constexpr float kSubStepShare = 10.0f;
// Upper bound of the squared distance when choosing the nearest hit of a sub-step.
constexpr float kNearestHitBound = 5.0f;
constexpr float kKnockLoudness = -300.0f;
constexpr float kSpinDegrees = float(180.0 / 3.14159265358979323846);
// Passes with a collision whose signatures are kept to find a flick caught in a loop: more
// than the longest loop of a draught that takes a new mover slot each pass.
constexpr int kWatchedHitPasses = 128;
// Passes in a row, each with a collision, that leave every draught on the board where it was,
// after which the draughts are pressed together for good and the flick ends as at rest. Their
// speeds may still shrink a little with each exchange, so the state need not repeat, yet
// nothing moves. In computer-against-computer games such draughts stayed held for up to
// 1,336 passes, and when they came apart at last no draught went further than 0.0001. A hit
// handed along a row of touching draughts leaves them where they are too, but one pass per
// draught.
constexpr int kStillPassesToRest = 50;

float Dist2(float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    return dx * dx + dy * dy;
}

constexpr uint64_t kSignatureSeed = 1469598103934665603ull;
constexpr uint64_t kSignaturePrime = 1099511628211ull;

// Ends as at rest the slide of a draught that stops.
void ComeToRest(CCheck& a) {
    a.m_fAimCos = a.m_fDirX = a.m_fDirY = 0.0f;
    a.m_fSpin0 = a.m_fSpin = 0.0f;
    a.m_fSlideTime = a.m_fSpeed = 0.0f;
    a.m_fVx0 = a.m_fVy0 = 0.0f;
    a.m_fPrevX = a.m_fStartX = a.m_fX;
    a.m_fPrevY = a.m_fStartY = a.m_fY;
    a.m_bMoving = 0;
    a.m_bJustHit = 0;
}

// Finds a flick caught in a loop. Draughts pressed together can hand the same speeds back
// and forth in the first tenth of every step, so friction never acts and the passes repeat
// for ever. Each pass is a function of the draughts and the active mover slots before it
// (spin is only ever written), so a state seen twice means the flick can never change again.
// A pass without a collision moves some draught on for good (its slide time grows, or it
// stops, or it falls), so every loop holds a pass with a collision: only those are watched.
// A cheap signature of each such pass (a function of the state before it) finds a repeat
// that may be a loop of some period; the state is then kept whole, and the flick ends when
// it comes back exactly, one period later.
// A draught that stops and is hit again each pass takes the next lower slot each time, so
// such a loop repeats only when its slot has come round, about kMoverSlots passes.
class CLoopWatch {
public:
    // Called after each pass with a collision: true when the state is one seen before. Out of
    // line, as the pass loop's other rare paths: inlined, they crowd its registers.
    [[gnu::noinline]] bool SeenBefore(uint64_t nSig, const CDesk& desk, const SMover* movers) {
        if (m_kept && m_kept->nSig == nSig && m_kept->Same(desk, movers)) return true;
        // A kept state waits one suspected period for its return before another replaces it.
        if (!m_kept || m_nHitPasses > m_nKeptUntil) {
            const int nBack = std::min(m_nHitPasses, kWatchedHitPasses);
            for (int nPeriod = 1; nPeriod <= nBack; ++nPeriod) {
                if (m_aSigs[(m_nHitPasses - nPeriod) % kWatchedHitPasses] != nSig) continue;
                // Kept off the stack: loops are rare, and a look-ahead runs many flicks.
                if (!m_kept) m_kept.reset(new (std::nothrow) SState);
                if (!m_kept) break;
                m_kept->Keep(nSig, desk, movers);
                m_nKeptUntil = m_nHitPasses + nPeriod;
                break;
            }
        }
        m_aSigs[m_nHitPasses % kWatchedHitPasses] = nSig;
        ++m_nHitPasses;
        return false;
    }

private:
    struct SState {
        void Keep(uint64_t sig, const CDesk& desk, const SMover* movers) {
            nSig = sig;
            std::copy(desk.m_aChecks, desk.m_aChecks + kCheckCount, aChecks);
            std::copy(movers, movers + kMoverSlots, aMovers);
        }
        // The draught of a free slot is never read.
        bool Same(const CDesk& desk, const SMover* movers) const {
            for (int i = 0; i < kMoverSlots; ++i) {
                if (aMovers[i].bActive != movers[i].bActive) return false;
                if (movers[i].bActive && aMovers[i].nCheck != movers[i].nCheck) return false;
            }
            for (int i = 0; i < kCheckCount; ++i)
                if (!aChecks[i].SameMotion(desk.m_aChecks[i])) return false;
            return true;
        }
        uint64_t nSig = 0;
        CCheck aChecks[kCheckCount];
        SMover aMovers[kMoverSlots];
    };
    uint64_t m_aSigs[kWatchedHitPasses];  // by pass with a collision, a ring; m_nHitPasses written
    int m_nHitPasses = 0;
    std::unique_ptr<SState> m_kept;  // a state suspected to come back
    int m_nKeptUntil = 0;            // the pass with a collision by which it must have come back
};

// Where the draughts on the board are: a pass that leaves it the same moved none of them.
// A knocked-off draught is left out, so a fall shown in the real flick (and not in the
// look-ahead) does not keep the two from ending alike. Taken from the centre rows at the end
// of a pass, which then hold every draught on the board where the desk has it; the row of a
// knocked-off draught is no longer written, so it compares equal while both sets agree.
class CPlaces {
public:
    void Take(const SCentreRows& rows, uint32_t nOnDesk) {
        m_rows = rows;
        m_nOnDesk = nOnDesk;
    }
    bool Same(const SCentreRows& rows, uint32_t nOnDesk) const {
        return nOnDesk == m_nOnDesk && std::memcmp(&rows, &m_rows, sizeof rows) == 0;
    }

private:
    SCentreRows m_rows;
    uint32_t m_nOnDesk = 0;
};

// The words of a pass's signature as the pass meets them, mixed only after a pass with a
// collision: the loop watch reads no other.
class CPassSignature {
public:
    void Add(uint32_t v) { m_a[m_n++] = v; }
    void Add(float f) { Add(std::bit_cast<uint32_t>(f)); }
    uint64_t Mixed() const {
        uint64_t h = kSignatureSeed;
        for (int k = 0; k < m_n; ++k) h = (h ^ m_a[k]) * kSignaturePrime;
        return h;
    }

private:
    // A pass visits each slot at most once and adds at most three words for it.
    uint32_t m_a[3 * kMoverSlots];
    int m_n = 0;
};

// The active slots of the mover table as bits, kept alongside the table itself (which the
// caller reads afterwards, inactive slots included), and how many active slots hold each
// draught. A pass visits the set bits in slot order.
class CMoverSlots {
public:
    explicit CMoverSlots(SMover* movers) : m_movers(movers) {
        for (int i = 0; i < kMoverSlots; ++i)
            if (movers[i].bActive) Mark(i);
    }
    bool Active(int nSlot) const { return (m_aBits[nSlot / kWordBits] >> (nSlot % kWordBits)) & 1u; }
    bool Holds(int nCheck) const { return m_aSlotsOf[nCheck] > 0; }
    // The first active slot at or above nFrom, kMoverSlots when none. Slots taken during a
    // pass above the current one are found, as a scan of the table would find them.
    int Next(int nFrom) const {
        if (nFrom < kWordBits) {
            const uint64_t nLow = m_aBits[0] & ~uint64_t(0) << nFrom;
            if (nLow) return std::countr_zero(nLow);
            nFrom = kWordBits;
        }
        const uint64_t nHigh = m_aBits[1] & ~uint64_t(0) << (nFrom - kWordBits);
        return nHigh ? kWordBits + std::countr_zero(nHigh) : kMoverSlots;
    }
    void Take(int nSlot, int nCheck) {
        m_movers[nSlot].nCheck = nCheck;
        m_movers[nSlot].bActive = 1;
        Mark(nSlot);
    }
    void Free(int nSlot) {
        m_movers[nSlot].bActive = 0;
        m_aBits[nSlot / kWordBits] &= ~(uint64_t(1) << (nSlot % kWordBits));
        const int nCheck = m_movers[nSlot].nCheck;
        if (nCheck >= 0 && nCheck < kCheckCount) --m_aSlotsOf[nCheck];
    }

private:
    static constexpr int kWordBits = 64;
    static constexpr int kWords = 2;
    static_assert(kMoverSlots > kWordBits && kMoverSlots <= kWords * kWordBits);
    void Mark(int nSlot) {
        m_aBits[nSlot / kWordBits] |= uint64_t(1) << (nSlot % kWordBits);
        const int nCheck = m_movers[nSlot].nCheck;
        if (nCheck >= 0 && nCheck < kCheckCount) ++m_aSlotsOf[nCheck];
    }
    SMover* m_movers;
    uint64_t m_aBits[kWords] = {};
    int m_aSlotsOf[kCheckCount] = {};
};

class CFlick {
public:
    CFlick(const SPhysicsConstants& k, const SFlickInput& in, CDesk& desk, SMover* movers, bool bAnimate)
        : m_k(k), m_in(in), m_desk(desk), m_movers(movers), m_bAnimate(bAnimate),
          m_g(k.fGravity), m_mu(in.coefficients.fSlideFriction), m_dt(in.fTimeStep),
          m_fSureHalfSide(SurelyOnBoardHalfSide(in.pBoard)), m_slots(movers) {
        for (int i = 0; i < kCheckCount; ++i) {
            const CCheck& c = desk.m_aChecks[i];
            if (c.m_bOnDesk) m_nOnDesk |= 1u << i;
            KeepCentre(i);
            KeepStops(i);
        }
    }

    EFlickEnd Run(IStepRecorder* pRecorder);
    int Passes() const { return m_nPasses; }

private:
    // The time at which one axis of a slide stops (each axis has its own), worked out once
    // per slide: the same quotient every step would give.
    float StopTime(float fV0, float fDir) const {
        const float fDirTest = fDir == 0.0f ? kZeroDirection : fDir;
        return fV0 / (m_g * m_mu * fDirTest);
    }
    void KeepStops(int i) {
        const CCheck& c = m_desk.m_aChecks[i];
        m_aStopX[i] = StopTime(c.m_fVx0, c.m_fDirX);
        m_aStopY[i] = StopTime(c.m_fVy0, c.m_fDirY);
    }
    void KeepCentre(int i) {
        m_rows.x[i] = m_desk.m_aChecks[i].m_fX;
        m_rows.y[i] = m_desk.m_aChecks[i].m_fY;
    }
    // The draughts on the board a draught at (x, y) overlaps, itself left out.
    uint32_t Overlaps(int nSelf, float x, float y, float fContact) const {
        return OverlapMask(m_rows, x, y, fContact) & m_nOnDesk & ~(1u << nSelf);
    }
    float SlideOffset(float t) const { return m_mu * m_g * t * t / 2.0f; }
    // The closed-form centre of a slide at time t; an axis past its stop keeps (x, y).
    void SlideAt(int i, float t, float& x, float& y) const {
        const CCheck& c = m_desk.m_aChecks[i];
        const float s = SlideOffset(t);
        if (m_aStopX[i] >= t) x = c.m_fStartX + c.m_fVx0 * t - s * c.m_fDirX;
        if (m_aStopY[i] >= t) y = c.m_fStartY + c.m_fVy0 * t - s * c.m_fDirY;
    }
    float Contact(const CCheck& moving) const { return 4.0f * moving.m_fRadius2; }
    // Inside the board's sure square the edge test would find nothing.
    bool SurelyOnBoard(const CCheck& a) const {
        const bool bInsideX = std::fabs(a.m_fX) < m_fSureHalfSide;
        const bool bInsideY = std::fabs(a.m_fY) < m_fSureHalfSide;
        return bInsideX & bInsideY;  // both tested: no branch to mispredict
    }

    bool SlideStep(int i);
    void DecaySpin(CCheck& a, float t) const;
    void CollisionSearch(int nA);
    // The rare paths are kept out of line: inlined, they crowd the registers of the pass loop.
    [[gnu::noinline]] void Resolve(int nA, int nHit);
    void BackStepHit(const CCheck& a, int nB);
    void Launch(int i, float vx, float vy, float fNormalSpeed, float nx, float ny, float tx, float ty);
    void AddMover(int nCheck);
    [[gnu::noinline]] void RestWhereTheyAre();
    bool Wedged(bool bHit);

    const SPhysicsConstants& m_k;
    const SFlickInput& m_in;
    CDesk& m_desk;
    SMover* const m_movers;  // the mover table the caller started
    const bool m_bAnimate;
    const float m_g;
    const float m_mu;
    const float m_dt;
    const float m_fSureHalfSide;
    CMoverSlots m_slots;
    // The centres of the draughts as the pair tests read them; a draught being stepped is
    // written back after its own test, which leaves it out anyway.
    SCentreRows m_rows;
    uint32_t m_nOnDesk = 0;  // a bit per draught on the board
    uint32_t m_nSpinUntested = kAllChecks;  // a bit per draught whose spin is untested since it changed
    float m_aStopX[kCheckCount], m_aStopY[kCheckCount];  // StopTime of each draught's slide
    int m_nFirstActive = -1;  // first active mover slot of the current pass
    int m_nHits = 0;          // collisions so far
    CLoopWatch m_loops;
    CPlaces m_places;        // where the draughts were before this pass, after a pass with a collision
    bool m_bPlaced = false;  // m_places holds them
    int m_nStillPasses = 0;  // passes in a row with a collision that moved nothing
    int m_nPasses = 0;       // passes simulated
};

bool CFlick::SlideStep(int i) {
    CCheck& a = m_desk.m_aChecks[i];
    a.m_fSlideTime += m_dt;
    const float t = a.m_fSlideTime;
    const bool bJustHit = a.m_bJustHit != 0;
    a.m_fPrevX = bJustHit ? a.m_fPrevX : a.m_fX;
    a.m_fPrevY = bJustHit ? a.m_fPrevY : a.m_fY;
    const float s = SlideOffset(t);
    // Both positions are worked out before either is kept: faster, as measured, than working
    // out only the axes that still move.
    const bool bMovesX = m_aStopX[i] >= t, bMovesY = m_aStopY[i] >= t;
    const float x = a.m_fStartX + a.m_fVx0 * t - s * a.m_fDirX;
    const float y = a.m_fStartY + a.m_fVy0 * t - s * a.m_fDirY;
    a.m_fX = bMovesX ? x : a.m_fX;
    a.m_fY = bMovesY ? y : a.m_fY;
    a.m_bJustHit = 0;  // a draught that does not move comes to rest below, which clears it too
    if (m_bAnimate) DecaySpin(a, t);
    // A spin that decayed through zero, or a start spin without a current one, stops. Without
    // the decay a spin changes only in a collision, so once tested it stays as the test left
    // it until the draught's next collision: the look-ahead tests it once after each.
    if (m_bAnimate || (m_nSpinUntested >> i & 1u)) {
        m_nSpinUntested &= ~(1u << i);
        const float w0 = a.m_fSpin0, w = a.m_fSpin;
        if ((w0 >= 0.0f && w <= 0.0f) || (w0 <= 0.0f && w >= 0.0f)) a.m_fSpin0 = a.m_fSpin = 0.0f;
    }
    if (bMovesX | bMovesY) return true;
    ComeToRest(a);
    KeepStops(i);
    return false;
}

void CFlick::DecaySpin(CCheck& a, float t) const {
    const float fDecay = m_in.coefficients.fSpinFriction * m_g * t / a.m_fRadius;
    // Either sign turns the drawn angle the same way; the sign picks the decay formula.
    if (a.m_fSpin0 >= 0.0f && a.m_fSpin > 0.0f) {
        a.m_fSpin = a.m_fSpin0 - fDecay;
        a.m_fSpinAngle -= kSpinDegrees * a.m_fSpin * m_dt;
    }
    if (a.m_fSpin0 <= 0.0f && a.m_fSpin < 0.0f) {
        a.m_fSpin = a.m_fSpin0 + fDecay;
        a.m_fSpinAngle += kSpinDegrees * a.m_fSpin * m_dt;
    }
}

void CFlick::CollisionSearch(int nA) {
    const CCheck& a = m_desk.m_aChecks[nA];
    const uint32_t nHits = Overlaps(nA, a.m_fX, a.m_fY, Contact(a));
    if (nHits) Resolve(nA, std::countr_zero(nHits));  // one collision per draught and step
    KeepCentre(nA);
}

void CFlick::AddMover(int nCheck) {
    if (m_slots.Holds(nCheck)) return;
    // Below the first active slot it is stepped from the next pass on; never over an active slot.
    int nSlot = m_nFirstActive - 1;
    while (nSlot >= 0 && m_slots.Active(nSlot)) --nSlot;
    if (nSlot < 0) {
        nSlot = kMoverSlots - 1;
        while (nSlot >= 0 && m_slots.Active(nSlot)) --nSlot;
    }
    if (nSlot < 0) return;  // at most 20 slots are ever active, so this cannot happen
    m_slots.Take(nSlot, nCheck);
    m_nFirstActive = nSlot;
}

void CFlick::Resolve(int nA, int nHit) {
    CCheck& a = m_desk.m_aChecks[nA];
    const float fContact = Contact(a);
    const float fSub = m_dt / kSubStepShare;

    // Back-step A to the last tenth of the step at which it overlapped nobody.
    float tt = a.m_fSlideTime - m_dt;
    float px = a.m_fPrevX, py = a.m_fPrevY;
    float fSafeX = px, fSafeY = py;
    for (int k = 1; k <= kBackSubSteps; ++k) {
        tt += fSub;
        SlideAt(nA, tt, px, py);
        uint32_t nOverlaps = Overlaps(nA, px, py, fContact);
        if (!nOverlaps) {
            fSafeX = px;
            fSafeY = py;
            continue;
        }
        // The nearest of them, the first on a tie.
        float fNearest = kNearestHitBound;
        for (; nOverlaps; nOverlaps &= nOverlaps - 1) {
            const int m = std::countr_zero(nOverlaps);
            const float d2 = Dist2(px, py, m_rows.x[m], m_rows.y[m]);
            if (d2 < fNearest) {
                fNearest = d2;
                nHit = m;
            }
        }
        break;
    }

    CCheck& b = m_desk.m_aChecks[nHit];
    AddMover(nHit);
    ++m_nHits;

    a.m_fX = a.m_fStartX = fSafeX;
    a.m_fY = a.m_fStartY = fSafeY;
    a.m_fSlideTime = std::max(tt - fSub, 0.0f);
    a.m_bJustHit = 1;
    a.m_bMoving = 1;

    if (Dist2(a.m_fX, a.m_fY, b.m_fX, b.m_fY) < fContact) BackStepHit(a, nHit);

    // Velocities at the moment of impact.
    const float vax = a.m_fVx0 - m_mu * m_g * a.m_fSlideTime * a.m_fDirX;
    const float vay = a.m_fVy0 - m_mu * m_g * a.m_fSlideTime * a.m_fDirY;
    const float vbx = b.m_fVx0 - m_mu * m_g * b.m_fSlideTime * b.m_fDirX;
    const float vby = b.m_fVy0 - m_mu * m_g * b.m_fSlideTime * b.m_fDirY;
    a.m_fVx = vax;
    a.m_fVy = vay;
    b.m_fVx = vbx;
    b.m_fVy = vby;
    a.m_fSlideTime = 0.0f;

    float nx = b.m_fX - a.m_fX, ny = b.m_fY - a.m_fY;
    const float fLen = std::sqrt(nx * nx + ny * ny);
    if (fLen > 0.0f) {
        nx /= fLen;
        ny /= fLen;
    } else {
        nx = 1.0f;  // two centres never coincide in play; pick any normal rather than divide by 0
        ny = 0.0f;
    }
    const float tx = ny, ty = -nx;
    const float ua = vax * nx + vay * ny;
    const float ub = vbx * nx + vby * ny;
    const float e = m_in.coefficients.fBounce;
    const float uaNew = ua - (ua - ub) * e;
    const float ubNew = ub + (ua - ub) * e;

    const float w = (vax + vbx) * tx + (vay + vby) * ty;
    const float fSpinKick = m_in.coefficients.fSpinTransfer * w / a.m_fRadius;
    a.m_fSpin -= fSpinKick;
    b.m_fSpin += fSpinKick;
    a.m_fSpin0 = a.m_fSpin;
    b.m_fSpin0 = b.m_fSpin;
    m_nSpinUntested |= 1u << nA | 1u << nHit;

    Launch(nA, vax, vay, uaNew, nx, ny, tx, ty);
    Launch(nHit, vbx, vby, ubNew, nx, ny, tx, ty);
    b.m_fSlideTime = 0.0f;
    b.m_bJustHit = 1;
    b.m_bMoving = 1;
    KeepCentre(nHit);

    if (m_bAnimate) {
        m_desk.m_bKnock = 1;
        const float fSum = std::fabs(uaNew + ubNew);
        const float fVolume = fSum > 0.0f ? kKnockLoudness / fSum : float(kQuietKnockVolume);
        m_desk.m_nKnockVolume = fVolume < float(kQuietKnockVolume) ? kQuietKnockVolume : int(fVolume);
    }
}

void CFlick::BackStepHit(const CCheck& a, int nB) {
    CCheck& b = m_desk.m_aChecks[nB];
    const float fContact = Contact(a);
    const float fSub = m_dt / kSubStepShare;
    float tb = std::max(b.m_fSlideTime - m_dt, 0.0f);
    float px = b.m_fPrevX, py = b.m_fPrevY;
    float fKeepX = px, fKeepY = py;
    for (int k = 1; k <= kBackSubSteps; ++k) {
        tb += fSub;
        SlideAt(nB, tb, px, py);
        if (Dist2(px, py, a.m_fX, a.m_fY) >= fContact) {
            fKeepX = px;
            fKeepY = py;
        }
    }
    b.m_fX = fKeepX;
    b.m_fY = fKeepY;
    b.m_fSlideTime = std::max(tb - fSub, 0.0f);
}

void CFlick::Launch(int i, float vx, float vy, float fNormalSpeed, float nx, float ny, float tx, float ty) {
    CCheck& c = m_desk.m_aChecks[i];
    // The tangential part is kept, the normal part replaced by the exchanged speed.
    const float fTangential = vx * tx + vy * ty;
    c.m_fVx0 = fTangential * tx + fNormalSpeed * nx;
    c.m_fVy0 = fTangential * ty + fNormalSpeed * ny;
    c.m_fSpeed = std::sqrt(c.m_fVx0 * c.m_fVx0 + c.m_fVy0 * c.m_fVy0);
    if (c.m_fSpeed > 0.0f) {
        c.m_fDirX = c.m_fVx0 / c.m_fSpeed;
        c.m_fDirY = c.m_fVy0 / c.m_fSpeed;
    } else {
        c.m_fDirX = c.m_fDirY = 0.0f;
    }
    c.m_fStartX = c.m_fPrevX = c.m_fX;
    c.m_fStartY = c.m_fPrevY = c.m_fY;
    KeepStops(i);
}

// The draughts on the board of a flick caught in a loop, or wedged, stay where they are, at rest.
void CFlick::RestWhereTheyAre() {
    for (int nSlot = m_slots.Next(0); nSlot < kMoverSlots; nSlot = m_slots.Next(nSlot + 1)) {
        const int i = m_movers[nSlot].nCheck;
        if (i < 0 || i >= kCheckCount) continue;
        CCheck& a = m_desk.m_aChecks[i];
        if (!a.m_bOnDesk || !a.m_bMoving) continue;
        ComeToRest(a);
        KeepStops(i);
        m_slots.Free(nSlot);
    }
}

// Called after every pass: true when it ends a run of kStillPassesToRest passes with a
// collision that moved nothing.
bool CFlick::Wedged(bool bHit) {
    m_nStillPasses = bHit && m_bPlaced && m_places.Same(m_rows, m_nOnDesk) ? m_nStillPasses + 1 : 0;
    m_bPlaced = bHit;
    if (bHit) m_places.Take(m_rows, m_nOnDesk);
    return m_nStillPasses >= kStillPassesToRest;
}

EFlickEnd CFlick::Run(IStepRecorder* pRecorder) {
    SMover* movers = m_movers;
    bool bRunning = true;
    for (int nPass = 0; bRunning; ++nPass) {
        if (nPass == kMaxFlickPasses) {
            platform::Log("A flick was ended after %d steps: its draughts would never come to rest",
                          kMaxFlickPasses);
            return EFlickEnd::PassCap;
        }
        bRunning = false;
        m_nFirstActive = m_slots.Next(0);
        const int nHitsBefore = m_nHits;
        CPassSignature sig;
        for (int nSlot = m_nFirstActive; nSlot < kMoverSlots; nSlot = m_slots.Next(nSlot + 1)) {
            const int i = movers[nSlot].nCheck;
            sig.Add(uint32_t(nSlot) * kCheckCount + uint32_t(i));
            if (i < 0 || i >= kCheckCount) {
                m_slots.Free(nSlot);
                continue;
            }
            CCheck& a = m_desk.m_aChecks[i];
            // One test for the common case: the look-ahead keeps the slots of knocked-off
            // draughts, met between the sliding ones in no fixed pattern.
            if (!((a.m_bOnDesk != 0) & (a.m_bMoving != 0))) {
                if (a.m_bFalling && !a.m_bOnDesk && !a.m_bMoving) {
                    if (!m_bAnimate) continue;  // look-ahead: out is out, no fall to show
                    if (!StepFall(a, m_in.pBoard, m_dt, m_mu, m_k)) m_slots.Free(nSlot);
                    bRunning |= a.m_bFalling != 0;
                }
                continue;
            }
            if (!SlideStep(i)) {
                m_slots.Free(nSlot);
                continue;
            }
            bRunning = true;
            sig.Add(a.m_fX);
            sig.Add(a.m_fY);
            if (!SurelyOnBoard(a) && TestLeftBoard(a, m_in.pBoard)) {
                m_nOnDesk &= ~(1u << i);
                continue;
            }
            CollisionSearch(i);
        }
        ++m_nPasses;
        const bool bHit = bRunning && m_nHits != nHitsBefore;
        const bool bWedged = Wedged(bHit);
        // The next pass finds nothing to slide; a fall the real flick shows plays to its end.
        if (bHit && (bWedged || m_loops.SeenBefore(sig.Mixed(), m_desk, movers))) {
            RestWhereTheyAre();
            // Only the real flick tells: the look-ahead meets such draughts often.
            if (m_bAnimate)
                platform::Log("Draughts held pressed together after %d steps rest where they are",
                              nPass + 1);
        }
        if (pRecorder) {
            if (!pRecorder->RecordStep(m_desk)) return EFlickEnd::Abandoned;
            m_desk.m_bKnock = 0;
        }
    }
    return EFlickEnd::Rest;
}

}  // namespace

SFlickInput MakeFlickInput(const CGameSettings& s) {
    SFlickInput in;
    in.pBoard = FindBoard(s.BoardType);
    in.fTimeStep = s.m_fTimeStep;
    SFlickCoefficients& c = in.coefficients;
    c = {s.m_fSlideFriction, s.m_fSpinFriction, s.m_fBounce, s.m_fSpinTransfer};
    float fAdd = 0.0f;
    if (const SDraughtMaterial* m = FindMaterial(s.CheckType)) {
        c.fBounce = m->fBounce;
        c.fSpinTransfer = m->fSpinTransfer;
        fAdd = m->fFrictionAdd;
    }
    if (in.pBoard) {
        c.fSlideFriction = in.pBoard->fSlideFriction + fAdd;
        c.fSpinFriction = in.pBoard->fSpinFriction;
    }
    return in;
}

SFlickOutcome RunFlick(const SPhysicsConstants& k, const SFlickInput& in, int nCheck, CDesk& desk,
                       SMover (&movers)[kMoverSlots], bool bAnimate, IStepRecorder* pRecorder) {
    SFlickOutcome out;
    out.coefficients = in.coefficients;
    if (nCheck < 0 || nCheck >= kCheckCount || !desk.m_aChecks[nCheck].m_bOnDesk) return out;
    int nWhite0, nBlack0;
    desk.CountOnDesk(nWhite0, nBlack0);
    desk.m_aChecks[nCheck].m_bMoving = 1;

    CFlick flick(k, in, desk, movers, bAnimate);
    out.end = flick.Run(pRecorder);
    out.nPasses = flick.Passes();
    if (out.end == EFlickEnd::Abandoned) return out;

    int nWhite1, nBlack1;
    desk.CountOnDesk(nWhite1, nBlack1);
    out.nKnockedWhite = nWhite0 - nWhite1;
    out.nKnockedBlack = nBlack0 - nBlack1;
    return out;
}

void KeepFlickOutcome(const SFlickOutcome& outcome, CGameSettings& s) {
    if (outcome.end == EFlickEnd::NotOnBoard) return;
    s.m_fSlideFriction = outcome.coefficients.fSlideFriction;
    s.m_fSpinFriction = outcome.coefficients.fSpinFriction;
    s.m_fBounce = outcome.coefficients.fBounce;
    s.m_fSpinTransfer = outcome.coefficients.fSpinTransfer;
    if (outcome.end == EFlickEnd::Abandoned) return;
    s.m_nKnockedWhite = outcome.nKnockedWhite;
    s.m_nKnockedBlack = outcome.nKnockedBlack;
}
