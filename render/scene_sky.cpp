// The sky behind the match scene: the nebula dome about the eye when the star models show,
// a calm dark gradient otherwise. Both are drawn after the scene, at the far end of the depth
// range, so they fill only the pixels nothing covers and leave the depth buffer as cleared
// (the scene point under the cursor still finds nothing there). Window thread.
#include "render/scene_sky.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "app/framework/gl_state_guard.h"
#include "app/framework/model_registry.h"
#include "app/framework/pack_image.h"
#include "app/framework/resource.h"
#include "render/scene_resources.h"
#include "platform/log.h"

namespace {

// Fine enough that the nebula's clouds keep their shapes in the view (under 6 degrees between
// vertices); the colours are shaded between the vertices rather than sampled per pixel.
constexpr int kDomeSlices = 64;  // around the vertical
constexpr int kDomeStacks = 32;  // from the nadir to the zenith
constexpr float kPi = 3.14159265358979f;
constexpr const char* kDomeModelName = "scene:sky dome";
// The calm sky without the star models: dark at the bottom of the view, a little lighter
// towards the horizon at the top.
constexpr GLubyte kCalmBottom[3] = {5, 6, 14};
constexpr GLubyte kCalmTop[3] = {26, 32, 60};

// Mean colour of the picture over the cell about (u, v) in 0..1 (v = 0 the bottom row) that one
// dome vertex stands for, across the seam in u: the vertex shows the clouds there, not one texel.
void SampleSky(const SImage& img, float u, float v, GLubyte out[3]) {
    const int w = img.nWidth, h = img.nHeight;
    const int cx = static_cast<int>(u * static_cast<float>(w)), cy = static_cast<int>(v * static_cast<float>(h));
    const int rx = std::max(1, w / (2 * kDomeSlices)), ry = std::max(1, h / (2 * kDomeStacks));
    double sum[3] = {0, 0, 0};
    int n = 0;
    for (int y = std::max(0, cy - ry); y < std::min(h, cy + ry); ++y)
        for (int x = cx - rx; x < cx + rx; ++x, ++n)
            for (int ch = 0; ch < 3; ++ch)
                sum[ch] += img.pixels[(static_cast<size_t>(y) * w + static_cast<size_t>((x % w + w) % w)) * 4 + ch];
    for (int ch = 0; ch < 3; ++ch) out[ch] = static_cast<GLubyte>(n > 0 ? sum[ch] / n + 0.5 : 0);
}

// The dome as a display list: a unit sphere in bands from the nadir up, each vertex in the
// picture's colour for its direction (longitude across the picture from +x towards +z,
// latitude up it). Called through the object renderer, whose state guard brings back the
// lighting, culling and depth writing the list turns off.
unsigned CompileSkyDomeList(const SImage& sky) {
    const GLuint nList = glGenLists(1);
    if (nList == 0) return 0;
    glNewList(nList, GL_COMPILE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_SMOOTH);
    auto vertex = [&sky](int i, int j) {
        const float u = static_cast<float>(i) / kDomeSlices, v = static_cast<float>(j) / kDomeStacks;
        const float lon = 2 * kPi * u, lat = kPi * (v - 0.5f);
        GLubyte rgb[3];
        SampleSky(sky, u, v, rgb);
        glColor3ubv(rgb);
        glVertex3f(std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon));
    };
    // One strip for the whole dome, band after band, joined by repeated vertices that make
    // empty triangles: each vertex is shaded once rather than in all six triangles about it.
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j < kDomeStacks; ++j) {
        if (j > 0) vertex(0, j + 1);
        for (int i = 0; i <= kDomeSlices; ++i) vertex(i, j + 1), vertex(i, j);
        if (j + 1 < kDomeStacks) vertex(kDomeSlices, j);
    }
    glEnd();
    glEndList();
    return nList;
}

}  // namespace

ModelHandle CreateSkyDomeModel(CResource& pack) {
    CPackImage picture;
    std::string error;
    const SImage* pSky = picture.Load(pack, kSkyFolder, kSkyFile, error) ? picture.Pixels() : nullptr;
    const unsigned nList = pSky ? CompileSkyDomeList(*pSky) : 0;
    if (nList == 0) {
        platform::Log("Sky picture %s: %s; the calm sky shows instead", kSkyFile,
                      pSky ? "no display list" : error.c_str());
        return kNoModel;
    }
    return RegisterDisplayList(kDomeModelName, nList);
}

void DrawSkyDome(CGLObject& dome, const stCamGeom& camera) {
    dome.SetPos(static_cast<float>(camera.ex), static_cast<float>(camera.ey), static_cast<float>(camera.ez));
    dome.SetScale(kSkyDomeRadius, kSkyDomeRadius, kSkyDomeRadius);
    GLdouble aRange[2] = {0.0, 1.0};
    glGetDoublev(GL_DEPTH_RANGE, aRange);
    // Every fragment at the far end: it shows only where nothing has been drawn.
    glDepthRange(1.0, 1.0);
    dome.Draw();
    glDepthRange(aRange[0], aRange[1]);
}

void DrawCalmSky() {
    const CGlStateGuard state;
    const CGlClipSpace clipSpace;
    for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_BLEND, GL_ALPHA_TEST, GL_FOG}) glDisable(cap);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    GLdouble aRange[2] = {0.0, 1.0};
    glGetDoublev(GL_DEPTH_RANGE, aRange);
    glDepthRange(1.0, 1.0);
    glShadeModel(GL_SMOOTH);
    glBegin(GL_QUADS);
    glColor3ubv(kCalmBottom);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glColor3ubv(kCalmTop);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glDepthRange(aRange[0], aRange[1]);
}
