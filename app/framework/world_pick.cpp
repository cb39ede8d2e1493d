// Camera matrices and unprojection for GetWorldCoord and the view.
#include "app/framework/world_pick.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/framework/letterbox.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Below this horizontal radius the eye counts as straight above the target.
constexpr double kOverheadRadius = 1e-9;

void Normalize(double v[3]) {
    const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0) {
        v[0] /= len;
        v[1] /= len;
        v[2] /= len;
    }
}

void Cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

void PerspectiveMatrix(double fovYDegrees, double aspect, double zNear, double zFar,
                       double out[16]) {
    const double radians = fovYDegrees / 2 * kPi / 180;
    const double cotangent = std::cos(radians) / std::sin(radians);
    const double deltaZ = zFar - zNear;
    for (int i = 0; i < 16; ++i) out[i] = 0;
    out[0] = cotangent / aspect;
    out[5] = cotangent;
    out[10] = -(zFar + zNear) / deltaZ;
    out[11] = -1;
    out[14] = -2 * zNear * zFar / deltaZ;
}

void LookAtMatrix(const double eye[3], const double target[3], const double up[3],
                  double out[16]) {
    double forward[3] = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    Normalize(forward);
    double side[3];
    Cross(forward, up, side);
    Normalize(side);
    double upOrtho[3];
    Cross(side, forward, upOrtho);
    // Rows of the rotation are side, up, -forward; then the eye moves to the origin.
    const double rot[3][3] = {{side[0], side[1], side[2]},
                              {upOrtho[0], upOrtho[1], upOrtho[2]},
                              {-forward[0], -forward[1], -forward[2]}};
    for (int i = 0; i < 16; ++i) out[i] = 0;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) out[col * 4 + row] = rot[row][col];
        out[12 + row] = -(rot[row][0] * eye[0] + rot[row][1] * eye[1] + rot[row][2] * eye[2]);
    }
    out[15] = 1;
}

void CameraUpVector(const stCamGeom& cam, double up[3]) {
    const double dx = cam.ex - cam.tx;
    const double dz = cam.ez - cam.tz;
    if (std::sqrt(dx * dx + dz * dz) > kOverheadRadius) {
        up[0] = 0;
        up[1] = 1;
        up[2] = 0;
        return;
    }
    up[0] = -std::cos(cam.azimuth);
    up[1] = 0;
    up[2] = -std::sin(cam.azimuth);
}

SViewProjection CameraViewProjection(const stCamGeom& cam) {
    SViewProjection vp;
    const double eye[3] = {cam.ex, cam.ey, cam.ez};
    const double target[3] = {cam.tx, cam.ty, cam.tz};
    double up[3];
    CameraUpVector(cam, up);
    LookAtMatrix(eye, target, up, vp.modelview);
    PerspectiveMatrix(kCameraFovYDegrees, static_cast<double>(kLogicalWidth) / kLogicalHeight,
                      kCameraNearPlane, kCameraFarPlane, vp.projection);
    vp.viewport[2] = kLogicalWidth;
    vp.viewport[3] = kLogicalHeight;
    return vp;
}

bool UnprojectPoint(const SViewProjection& vp, double wx, double wy, double depth, float out[3]) {
    double x = 0, y = 0, z = 0;
    if (gluUnProject(wx, wy, depth, vp.modelview, vp.projection, vp.viewport, &x, &y, &z) !=
        GL_TRUE)
        return false;
    out[0] = static_cast<float>(x);
    out[1] = static_cast<float>(y);
    out[2] = static_cast<float>(z);
    return true;
}

bool PickBoardPlaneAt(const SViewProjection& vp, double wx, double wy, float out[3]) {
    double nx = 0, ny = 0, nz = 0, fx = 0, fy = 0, fz = 0;
    if (gluUnProject(wx, wy, 0.0, vp.modelview, vp.projection, vp.viewport, &nx, &ny, &nz) !=
            GL_TRUE ||
        gluUnProject(wx, wy, 1.0, vp.modelview, vp.projection, vp.viewport, &fx, &fy, &fz) !=
            GL_TRUE) {
        out[0] = out[1] = out[2] = 0;
        return false;
    }
    out[0] = static_cast<float>(fx);
    out[1] = static_cast<float>(fy);
    out[2] = static_cast<float>(fz);
    const double dy = fy - ny;
    if (dy == 0) return false;
    const double t = -ny / dy;  // the near point is in front of the eye: t < 0 is behind it
    if (t < 0) return false;
    out[0] = static_cast<float>(nx + t * (fx - nx));
    out[1] = 0.0f;
    out[2] = static_cast<float>(nz + t * (fz - nz));
    return true;
}

bool PickBoardPlane(const SViewProjection& vp, int nLogicalX, int nLogicalY, float out[3]) {
    const double wx = vp.viewport[0] + (nLogicalX + 0.5) * vp.viewport[2] / kLogicalWidth;
    const double wy = vp.viewport[1] +
                      (kLogicalHeight - (nLogicalY + 0.5)) * vp.viewport[3] / kLogicalHeight;
    return PickBoardPlaneAt(vp, wx, wy, out);
}
