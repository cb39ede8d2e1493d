// Camera records for tests: built from eye and target alone, compared field by field.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>

#include "core/camera.h"

inline constexpr const char* kCamFieldNames[10] = {"tx", "ty", "tz", "ex", "ey", "ez", "radius", "distance",
                                                   "azimuth", "elevation"};

inline std::array<double, 10> Fields(const stCamGeom& c) {
    return {c.tx, c.ty, c.tz, c.ex, c.ey, c.ez, c.radius, c.distance, c.azimuth, c.elevation};
}

inline std::string Describe(const stCamGeom& c) {
    std::ostringstream out;
    out.precision(9);
    for (size_t f = 0; f < 10; ++f) out << kCamFieldNames[f] << " " << Fields(c)[f] << " ";
    return out.str();
}

inline void ExpectSameView(const stCamGeom& expected, const stCamGeom& actual, double tol, const std::string& what) {
    for (size_t f = 0; f < 10; ++f)
        EXPECT_NEAR(Fields(expected)[f], Fields(actual)[f], tol) << what << ": field " << kCamFieldNames[f]
                                                                  << "\n  expected " << Describe(expected)
                                                                  << "\n  actual   " << Describe(actual);
}

inline bool SameBits(const stCamGeom& a, const stCamGeom& b) { return Fields(a) == Fields(b); }

// A view from eye to target with every field filled in from the geometry alone.
inline stCamGeom ViewFrom(double ex, double ey, double ez, double tx, double ty, double tz) {
    stCamGeom c;
    c.ex = ex, c.ey = ey, c.ez = ez;
    c.tx = tx, c.ty = ty, c.tz = tz;
    c.radius = std::hypot(ex - tx, ez - tz);
    c.distance = std::sqrt((ex - tx) * (ex - tx) + (ey - ty) * (ey - ty) + (ez - tz) * (ez - tz));
    c.azimuth = std::atan2(ez - tz, ex - tx);
    c.elevation = std::asin((ey - ty) / c.distance);
    return c;
}

// The view the camera should take when it turns from `from` to look at (x, z) with its eye kept.
inline stCamGeom Retargeted(const stCamGeom& from, double x, double z) {
    return ViewFrom(from.ex, from.ey, from.ez, x, from.ty, z);
}
