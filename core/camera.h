// The camera record and its pure geometry (no GL): target, eye, radius in the board plane,
// distance, azimuth from +x towards +z, elevation above the board plane.
#pragma once

struct stCamGeom {
    double tx = 0, ty = 0, tz = 0;  // target
    double ex = 0, ey = 0, ez = 0;  // eye
    double radius = 0;              // eye to target in the board plane
    double distance = 0;            // eye to target in space
    double azimuth = 0;             // radians, eye x = tx + radius cos, eye z = tz + radius sin
    double elevation = 0;           // radians above the board plane
};

// One Up/Down step of the eye on its sphere, and the elevations it never leaves: just
// above the board plane, just short of straight overhead (the view would spin there).
inline constexpr double kCameraElevationStep = 0.02;
inline constexpr double kCameraMinElevation = 0.02;
inline constexpr double kCameraMaxElevation = 1.55;
// The eye's move towards or away from the target per zoom step (the window's camera step).
inline constexpr float kCameraZoomStep = 0.05f;

// Recomputes radius and distance from the eye and the target.
void CalcCameraRads(stCamGeom& cam);
// The default view: looking at the board centre from white's side, raised.
stCamGeom DefaultCamera();
// A view from eye to target, with radius and distance filled in.
stCamGeom CameraLookingAt(const double eye[3], const double target[3]);
// Raises (Up) or lowers (Down) the eye on its sphere about the target by one step, keeping
// the target, the distance and the eye's heading; the elevation is clamped to the limits.
void MoveCameraUp(stCamGeom& cam);
void MoveCameraDown(stCamGeom& cam);
