// The orbiting camera record: default view, radius and distance, raising and lowering the
// eye on its sphere about the target. Pure geometry, no GL; any thread on its own record.
#include "core/camera.h"

#include <algorithm>
#include <cmath>

namespace {

// Height above the board plane and distance of the default eye (white's start view).
constexpr double kDefaultEyeHeight = 2.2;
constexpr double kDefaultEyeBack = 1.0;
constexpr double kHalfPi = 1.5707963267948966;

double HorizontalDirection(const stCamGeom& cam, double& cosAz, double& sinAz) {
    const double dx = cam.ex - cam.tx;
    const double dz = cam.ez - cam.tz;
    const double r = std::sqrt(dx * dx + dz * dz);
    if (r > 1e-12) {
        cosAz = dx / r;
        sinAz = dz / r;
    } else {  // eye straight above or below: the record's azimuth keeps the heading
        cosAz = std::cos(cam.azimuth);
        sinAz = std::sin(cam.azimuth);
    }
    return r;
}

// Puts the eye at the given elevation on its sphere, keeping the heading and the distance.
void SetElevation(stCamGeom& cam, double elevation) {
    double cosAz = 0, sinAz = 0;
    const double r = HorizontalDirection(cam, cosAz, sinAz);
    const double dy = cam.ey - cam.ty;
    const double d = std::sqrt(r * r + dy * dy);
    const double rNew = d * std::cos(elevation);
    cam.ex = cam.tx + rNew * cosAz;
    cam.ez = cam.tz + rNew * sinAz;
    cam.ey = cam.ty + d * std::sin(elevation);
    cam.elevation = elevation;
    CalcCameraRads(cam);
}

double CurrentElevation(const stCamGeom& cam) {
    double cosAz = 0, sinAz = 0;
    const double r = HorizontalDirection(cam, cosAz, sinAz);
    return std::atan2(cam.ey - cam.ty, r);
}

}  // namespace

void CalcCameraRads(stCamGeom& cam) {
    const double dx = cam.ex - cam.tx;
    const double dy = cam.ey - cam.ty;
    const double dz = cam.ez - cam.tz;
    cam.radius = std::sqrt(dx * dx + dz * dz);
    cam.distance = std::sqrt(dx * dx + dy * dy + dz * dz);
}

stCamGeom DefaultCamera() {
    stCamGeom cam;
    cam.ex = 0.0;
    cam.ey = kDefaultEyeHeight;
    cam.ez = kDefaultEyeBack;
    cam.azimuth = kHalfPi;
    cam.elevation = std::atan2(kDefaultEyeHeight, kDefaultEyeBack);
    CalcCameraRads(cam);
    return cam;
}

// A step never crosses a limit, and an eye already beyond one is not pulled back by a step
// the other way: it only stays.
void MoveCameraUp(stCamGeom& cam) {
    const double current = CurrentElevation(cam);
    if (current >= kCameraMaxElevation) return;
    SetElevation(cam, std::min(current + kCameraElevationStep, kCameraMaxElevation));
}

void MoveCameraDown(stCamGeom& cam) {
    const double current = CurrentElevation(cam);
    if (current <= kCameraMinElevation) return;
    SetElevation(cam, std::max(current - kCameraElevationStep, kCameraMinElevation));
}

stCamGeom CameraLookingAt(const double eye[3], const double target[3]) {
    stCamGeom cam;
    cam.ex = eye[0];
    cam.ey = eye[1];
    cam.ez = eye[2];
    cam.tx = target[0];
    cam.ty = target[1];
    cam.tz = target[2];
    CalcCameraRads(cam);
    return cam;
}
