// CGLWnd's camera: the record, turning and raising the eye, applying it to GL, and the
// scene point under a screen position.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "app/framework/gl_wnd.h"
#include "app/framework/window_backend.h"

namespace {
// The turn of RotateCameraLeft/Right(0).
constexpr float kDefaultRotateStep = 0.02f;
}  // namespace

void CGLWnd::ResetCamera() {
    m_camera = DefaultCamera();
    m_fCameraStep = kCameraZoomStep;
}

void CGLWnd::MoveCameraAroundUp() {
    MoveCameraUp(m_camera);
    UpdateGLWindow();
}

void CGLWnd::MoveCameraAroundDown() {
    MoveCameraDown(m_camera);
    UpdateGLWindow();
}

void CGLWnd::PlaceEyeFromAzimuth() {
    CalcRads();
    m_camera.ex = m_camera.tx + m_camera.radius * std::cos(m_camera.azimuth);
    m_camera.ez = m_camera.tz + m_camera.radius * std::sin(m_camera.azimuth);
    UpdateGLWindow();
}

void CGLWnd::RotateCameraLeft(float fAngle) {
    m_camera.azimuth += fAngle == 0.0f ? kDefaultRotateStep : fAngle;
    PlaceEyeFromAzimuth();
}

void CGLWnd::RotateCameraRight(float fAngle) {
    m_camera.azimuth -= fAngle == 0.0f ? kDefaultRotateStep : fAngle;
    PlaceEyeFromAzimuth();
}

void CGLWnd::UpdateGLWindow() {
    if (!m_bCreated || !m_pBackend->HasGlContext()) return;
    glViewport(m_viewport.x, m_viewport.y, m_viewport.w, m_viewport.h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kCameraFovYDegrees, static_cast<double>(kLogicalWidth) / kLogicalHeight,
                   kCameraNearPlane, kCameraFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    double up[3];
    CameraUpVector(m_camera, up);
    gluLookAt(m_camera.ex, m_camera.ey, m_camera.ez, m_camera.tx, m_camera.ty, m_camera.tz, up[0],
              up[1], up[2]);
    // Between frames the view changes only for the next frame; the depth on screen still
    // belongs to the matrices the frame was drawn with.
    if (m_bInFrame) {
        glGetDoublev(GL_MODELVIEW_MATRIX, m_frameMatrices.modelview);
        glGetDoublev(GL_PROJECTION_MATRIX, m_frameMatrices.projection);
        glGetIntegerv(GL_VIEWPORT, m_frameMatrices.viewport);
        m_bFrameMatricesValid = true;
    }
}

namespace {
// The framebuffer pixel the last frame drew at logical pixel (x, y), clamped onto the screen.
void FramePixel(IWindowBackend& backend, int x, int y, int& px, int& py) {
    x = std::clamp(x, 0, kLogicalWidth - 1);
    y = std::clamp(y, 0, kLogicalHeight - 1);
    int w = 0, h = 0;
    backend.GetDrawableSize(w, h);
    double fx = 0, fy = 0;
    LogicalToViewport(x, y, w, h, fx, fy);
    px = static_cast<int>(std::floor(fx));
    py = static_cast<int>(std::floor(fy));
}
}  // namespace

bool CGLWnd::HasFramePicture() const {
    return m_bCreated && m_pBackend->HasGlContext() && m_bFrameMatricesValid;
}

bool CGLWnd::GetWorldCoord(int x, int y, float out[3]) {
    if (HasFramePicture()) {
        int px = 0, py = 0;
        FramePixel(*m_pBackend, x, y, px, py);
        float depth = 1.0f;
        if (m_pBackend->ReadDepth(px, py, depth)) {
            // Unproject the centre of the pixel whose depth was read.
            if (!UnprojectPoint(m_frameMatrices, px + 0.5, py + 0.5, depth, out)) return false;
            return depth < 1.0f;
        }
    }
    return GetBoardPoint(x, y, out);
}

bool CGLWnd::GetBoardPoint(int x, int y, float out[3]) {
    if (HasFramePicture()) {
        int px = 0, py = 0;
        FramePixel(*m_pBackend, x, y, px, py);
        return PickBoardPlaneAt(m_frameMatrices, px + 0.5, py + 0.5, out);
    }
    return PickBoardPlane(CameraViewProjection(m_camera), std::clamp(x, 0, kLogicalWidth - 1),
                          std::clamp(y, 0, kLogicalHeight - 1), out);
}
