// Camera records for tests: built from eye and target alone, compared field by field.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "core/camera.h"

inline std::string Describe(const stCamGeom& c) {
    std::ostringstream out;
    out.precision(9);
    out << "target (" << c.tx << ", " << c.ty << ", " << c.tz << ") eye (" << c.ex << ", " << c.ey << ", " << c.ez
        << ") r " << c.radius << " d " << c.distance << " az " << c.azimuth << " el " << c.elevation;
    return out.str();
}

inline void ExpectSameView(const stCamGeom& expected, const stCamGeom& actual, double tol, const std::string& what) {
    const double e[10] = {expected.tx, expected.ty, expected.tz, expected.ex, expected.ey,
                          expected.ez, expected.radius, expected.distance, expected.azimuth, expected.elevation};
    const double a[10] = {actual.tx, actual.ty, actual.tz, actual.ex, actual.ey,
                          actual.ez, actual.radius, actual.distance, actual.azimuth, actual.elevation};
    const char* names[10] = {"tx", "ty", "tz", "ex", "ey", "ez", "radius", "distance", "azimuth", "elevation"};
    for (int f = 0; f < 10; ++f)
        EXPECT_NEAR(e[f], a[f], tol) << what << ": field " << names[f] << "\n  expected " << Describe(expected)
                                     << "\n  actual   " << Describe(actual);
}

inline bool SameBits(const stCamGeom& a, const stCamGeom& b) {
    return a.tx == b.tx && a.ty == b.ty && a.tz == b.tz && a.ex == b.ex && a.ey == b.ey && a.ez == b.ez &&
           a.radius == b.radius && a.distance == b.distance && a.azimuth == b.azimuth && a.elevation == b.elevation;
}

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
