#include "physics/board_edges.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "physics/check.h"

namespace {

// Degrees per radian used by the fall tilt (a rounded value, unlike the spin's 180/pi).
constexpr float kTiltDegrees = 57.295f;
// Margin by which a draught's centre may pass the square's side, and the round board's
// squared radius, before it counts as off.
constexpr float kSquareMargin = 0.01f;
constexpr float kRoundMargin = 0.01f;

void MarkLeft(CCheck& c) {
    c.m_bOnDesk = 0;
    c.m_bMoving = 0;
    c.m_bFalling = 1;
    c.m_fFallTime = 0.0f;
}

float SquareLimit(float fSize) { return (fSize + kSquareMargin) / 2.0f; }

bool TestSquare(CCheck& c, float fSize) {
    const float fLimit = SquareLimit(fSize);
    if (-fLimit < c.m_fX && c.m_fX < fLimit && -fLimit < c.m_fY && c.m_fY < fLimit) return false;
    MarkLeft(c);
    const float fHalf = fSize / 2.0f;
    // Later tests override earlier ones, so a corner exit counts as a y edge.
    if (c.m_fX >= fHalf) { c.m_nExitEdge = 1; c.m_fTiltAxisX = 0.0f; c.m_fTiltAxisZ = 1.0f; }
    if (c.m_fX <= -fHalf) { c.m_nExitEdge = 3; c.m_fTiltAxisX = 0.0f; c.m_fTiltAxisZ = 1.0f; }
    if (c.m_fY >= fHalf) { c.m_nExitEdge = 2; c.m_fTiltAxisX = 1.0f; c.m_fTiltAxisZ = 0.0f; }
    if (c.m_fY <= -fHalf) { c.m_nExitEdge = 4; c.m_fTiltAxisX = 1.0f; c.m_fTiltAxisZ = 0.0f; }
    return true;
}

bool TestRound(CCheck& c, float fRadius, float fRadius2) {
    const float x = c.m_fX, y = c.m_fY;
    if (x * x + y * y <= fRadius2 + kRoundMargin) return false;
    MarkLeft(c);
    if (std::fabs(y) > fRadius / 2.0f) {
        c.m_fTiltAxisZ = x >= 0.0f ? x + x / 10.0f : x - x / 10.0f;
        c.m_fTiltAxisX = (fRadius - c.m_fTiltAxisZ * x) / y;
    } else {
        c.m_fTiltAxisX = y >= 0.0f ? y + y / 10.0f : y - y / 10.0f;
        c.m_fTiltAxisZ = (fRadius - c.m_fTiltAxisX * y) / x;
    }
    return true;
}

// The twelve edges in six x ranges (in units of the circumradius R). In each range the
// upper edge is y >= a x + b R, the lower edge y <= a x + b R; the tilt axis is the edge
// vector from its corner at the larger angle to the one at the smaller angle.
struct SEdge {
    int nCode;
    float fSlope, fOffset;  // line y = fSlope x + fOffset R
    float fAxisX, fAxisZ;   // in units of R
};
struct SEdgeRange {
    float fLo, fHi;     // x range in units of R
    bool bLoInclusive;  // the range next to the leftmost one excludes their shared bound
    SEdge upper, lower;
};

constexpr float kTan75 = 3.7320509f;
constexpr float kTan15 = 0.2679492f;
constexpr float kSqrt3Plus1Half = 1.3660254f;
constexpr float kSqrt3Minus1Half = 0.3660254f;
constexpr float kCos30 = 0.8660254f;
constexpr float kOneMinusCos30 = 0.1339746f;
constexpr float kFar = 1e30f;
// Inside this share of the circumradius a centre is far from every edge (the inscribed circle
// is at cos 15 deg = 0.966), beyond any rounding of the edge tests, so they are skipped.
constexpr float kSurelyInside = 0.9f;
// A centred square with this share of a circle's radius as its half side lies inside the
// circle (0.7² x 2 = 0.98), with room far beyond any rounding.
constexpr float kSquareInCircle = 0.7f;

constexpr SEdgeRange kTwelveRanges[] = {
    {-kFar, -kCos30, true,
     {1, kTan75, kTan75, kOneMinusCos30, 0.5f}, {12, -kTan75, -kTan75, -kOneMinusCos30, 0.5f}},
    {-kCos30, -0.5f, false,
     {2, 1.0f, kSqrt3Plus1Half, kSqrt3Minus1Half, kSqrt3Minus1Half},
     {11, -1.0f, -kSqrt3Plus1Half, -kSqrt3Minus1Half, kSqrt3Minus1Half}},
    {-0.5f, 0.0f, true,
     {3, kTan15, 1.0f, 0.5f, kOneMinusCos30}, {10, -kTan15, -1.0f, -0.5f, kOneMinusCos30}},
    {0.0f, 0.5f, true,
     {4, -kTan15, 1.0f, 0.5f, -kOneMinusCos30}, {9, kTan15, -1.0f, -0.5f, -kOneMinusCos30}},
    {0.5f, kCos30, true,
     {5, -1.0f, kSqrt3Plus1Half, kSqrt3Minus1Half, -kSqrt3Minus1Half},
     {8, 1.0f, -kSqrt3Plus1Half, -kSqrt3Minus1Half, -kSqrt3Minus1Half}},
    {kCos30, kFar, true,
     {6, -kTan75, kTan75, kOneMinusCos30, -0.5f}, {7, kTan75, -kTan75, -kOneMinusCos30, -0.5f}},
};

void MarkTwelve(CCheck& c, const SEdge& e, float R) {
    MarkLeft(c);
    c.m_nExitEdge = e.nCode;
    c.m_fTiltAxisX = e.fAxisX * R;
    c.m_fTiltAxisZ = e.fAxisZ * R;
    c.m_fExitX = c.m_fX;
    c.m_fExitY = c.m_fY;
}

// The edge lines; kept apart so that the test before it reads x and y one by one: the slide has
// just stored them one by one, and a load of both at once would wait for the stores to finish.
[[gnu::noinline]] bool CrossesTwelve(CCheck& c, float R) {
    const float x = c.m_fX, y = c.m_fY;
    for (const SEdgeRange& r : kTwelveRanges) {
        const float fLo = r.fLo * R, fHi = r.fHi * R;
        const bool bInRange = (r.bLoInclusive ? x >= fLo : x > fLo) && x <= fHi;
        if (!bInRange) continue;
        if (y >= r.upper.fSlope * x + r.upper.fOffset * R) { MarkTwelve(c, r.upper, R); return true; }
        if (y <= r.lower.fSlope * x + r.lower.fOffset * R) { MarkTwelve(c, r.lower, R); return true; }
    }
    return false;
}

bool TestTwelve(CCheck& c, float R) {
    const float x = c.m_fX, y = c.m_fY;
    const float fInside = kSurelyInside * R;
    if (x * x + y * y < fInside * fInside) return false;
    return CrossesTwelve(c, R);
}

}  // namespace

bool TestLeftBoard(CCheck& check, const SBoard* b) {
    if (!b) return false;
    switch (b->shape) {
        case EBoardShape::Square: return TestSquare(check, b->fSize);
        case EBoardShape::Round: return TestRound(check, b->fSize, b->fSize2);
        case EBoardShape::Twelve: return TestTwelve(check, b->fSize);
    }
    return false;
}

float SurelyOnBoardHalfSide(const SBoard* b) {
    if (!b) return std::numeric_limits<float>::infinity();
    switch (b->shape) {
        case EBoardShape::Square: return SquareLimit(b->fSize);  // the square's own inside test
        case EBoardShape::Round: return kSquareInCircle * std::sqrt(std::max(b->fSize2, 0.0f));
        case EBoardShape::Twelve: return kSquareInCircle * kSurelyInside * b->fSize;
    }
    return 0.0f;
}

bool StepFall(CCheck& c, const SBoard* b, float dt, float mu, const SPhysicsConstants& k) {
    if (std::fabs(c.m_fHeight) > kFallEndHeight) {
        c.m_bFalling = 0;
        return false;
    }
    const float g = k.fGravity;
    c.m_fFallTime += dt;
    c.m_fSlideTime += dt;

    // The draught keeps its slide while it falls (strict stop test, unlike the board slide).
    const float t = c.m_fSlideTime;
    const float fSlide = mu * g * t * t / 2.0f;
    const float dx = c.m_fDirX == 0.0f ? 1e-8f : c.m_fDirX;
    const float dy = c.m_fDirY == 0.0f ? 1e-8f : c.m_fDirY;
    if (c.m_fVx0 / (g * mu * dx) > t) c.m_fX = c.m_fStartX + c.m_fVx0 * t - fSlide * c.m_fDirX;
    if (c.m_fVy0 / (g * mu * dy) > t) c.m_fY = c.m_fStartY + c.m_fVy0 * t - fSlide * c.m_fDirY;

    constexpr float kSpinDegrees = float(180.0 / 3.14159265358979323846);
    if (c.m_fSpin0 > 0.0f && c.m_fSpin > 0.0f) c.m_fSpinAngle -= kSpinDegrees * c.m_fSpin * dt;
    if (c.m_fSpin0 < 0.0f && c.m_fSpin < 0.0f) c.m_fSpinAngle += kSpinDegrees * c.m_fSpin * dt;

    const float tf = c.m_fFallTime;
    const float fDrop = k.fFallFactor * g * tf * tf / 2.0f;
    if (!b) return true;  // no outline: the draught only slides on
    switch (b->shape) {
        case EBoardShape::Square: {
            c.m_fHeight -= fDrop;
            const float h = c.m_fHeight, fHalf = b->fSize / 2.0f;
            switch (c.m_nExitEdge) {
                case 1: c.m_fTilt = std::atan(h / (c.m_fX - fHalf)) * kTiltDegrees; break;
                case 2: c.m_fTilt = std::atan(h / (c.m_fY - fHalf)) * -kTiltDegrees; break;
                case 3: c.m_fTilt = std::atan(h / (c.m_fX + fHalf)) * kTiltDegrees; break;
                case 4: c.m_fTilt = std::atan(h / (c.m_fY + fHalf)) * -kTiltDegrees; break;
                default: break;
            }
            break;
        }
        case EBoardShape::Round:
            c.m_fHeight += fDrop;  // the round board's draughts rise away
            if (tf / dt >= 2.0f) c.m_fTilt = (tf / dt - 2.0f) * 40.0f * dt;
            break;
        case EBoardShape::Twelve: {
            c.m_fHeight -= fDrop;
            const float d = std::sqrt(c.m_fExitX * c.m_fExitX + c.m_fExitY * c.m_fExitY);
            c.m_fTilt = std::atan(c.m_fHeight / (c.m_fTiltScale * d)) * kTiltDegrees;
            break;
        }
    }
    return true;
}
