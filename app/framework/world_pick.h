// The camera record as GL matrices, and scene points under a screen position: by a depth
// value read from the frame, or by the ray's crossing with the board plane (y = 0).
// Pure math (GLU's gluUnProject needs no GL context); any thread.
#pragma once

#include "app/framework/camera.h"

// The projection the window uses: vertical field of view, near and far planes.
inline constexpr double kCameraFovYDegrees = 45.0;
inline constexpr double kCameraNearPlane = 0.1;
inline constexpr double kCameraFarPlane = 200.0;

// Column-major, as glLoadMatrixd takes them.
struct SViewProjection {
    double modelview[16] = {};
    double projection[16] = {};
    int viewport[4] = {0, 0, 0, 0};  // x, y (bottom-left), w, h
};

// The same matrices gluPerspective and gluLookAt build.
void PerspectiveMatrix(double fovYDegrees, double aspect, double zNear, double zFar,
                       double out[16]);
void LookAtMatrix(const double eye[3], const double target[3], const double up[3],
                  double out[16]);
// The view's up direction: +y, except with the eye straight above the target, where the
// screen's up points away from the eye's heading.
void CameraUpVector(const stCamGeom& cam, double up[3]);
// The camera's matrices for the logical 800 x 600 screen as the viewport.
SViewProjection CameraViewProjection(const stCamGeom& cam);

// The scene point at window position (wx, wy) (GL origin bottom-left, in the viewport's
// pixels) and depth (0 near .. 1 far). False when GLU cannot invert the matrices.
bool UnprojectPoint(const SViewProjection& vp, double wx, double wy, double depth, float out[3]);

// The board-plane point under window position (wx, wy) (as UnprojectPoint). False when the
// ray runs parallel to the plane or meets it behind the eye; out then holds the ray's point
// on the far plane, so it lies far outside any board.
bool PickBoardPlaneAt(const SViewProjection& vp, double wx, double wy, float out[3]);
// The same under the centre of a logical pixel (y counted from the top).
bool PickBoardPlane(const SViewProjection& vp, int nLogicalX, int nLogicalY, float out[3]);
