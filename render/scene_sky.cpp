// The sky behind the match scene: the nebula dome about the eye when the star models show, a
// calm dark gradient otherwise, darkened where the board's shadow falls below the board. It is
// drawn first, over the whole view, and leaves the depth buffer as cleared (the scene point under
// the cursor still finds nothing there). Window thread.
#include "render/scene_sky.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/framework/gl_context.h"
#include "app/framework/gl_state_guard.h"
#include "app/framework/model_registry.h"
#include "app/framework/pack_image.h"
#include "app/framework/resource.h"
#include "core/game_settings.h"
#include "render/scene_resources.h"
#include "render/scene_shadows.h"
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

namespace {

// The view's sky is drawn as a grid of vertex-coloured cells about this many pixels across: a
// software renderer fills those far faster than the dome's triangles tested against depth, or a
// texture. The dome's own colours change over a larger angle than a cell spans.
constexpr int kSkyCellPixels = 32;

// What the grid was made for; it is made again when any of it changes.
struct SSkyView {
    unsigned nContext = 0;
    ModelHandle hDome = kNoModel;  // kNoModel: the calm gradient
    int nBoardType = 0;
    GLint aViewport[4] = {};
    GLdouble aModelview[16] = {}, aProjection[16] = {};

    bool operator==(const SSkyView&) const = default;
};

struct SSkyGrid {
    SSkyView view;
    int nColumns = 0, nRows = 0;
    std::vector<GLubyte> colors;  // RGB per vertex, row after row from the bottom
};
SSkyGrid g_grid;

SSkyView CurrentView(ModelHandle hDome, int nBoardType) {
    SSkyView v;
    v.nContext = CurrentGlContextGeneration();
    v.hDome = hDome;
    v.nBoardType = nBoardType;
    glGetIntegerv(GL_VIEWPORT, v.aViewport);
    glGetDoublev(GL_MODELVIEW_MATRIX, v.aModelview);
    glGetDoublev(GL_PROJECTION_MATRIX, v.aProjection);
    return v;
}

// The grid's colours for the view: the sky under each vertex (the dome as drawn into the frame
// now, or the gradient), times what light the board's shadow leaves there.
void MakeGrid(SSkyGrid& grid, const SSkyView& v, const CGameSettings& settings, const std::vector<GLubyte>& frame) {
    const int w = v.aViewport[2], h = v.aViewport[3];
    grid.view = v;
    grid.nColumns = std::max(1, (w + kSkyCellPixels / 2) / kSkyCellPixels);
    grid.nRows = std::max(1, (h + kSkyCellPixels / 2) / kSkyCellPixels);
    grid.colors.assign(static_cast<size_t>(grid.nColumns + 1) * (grid.nRows + 1) * 3, 0);
    GLubyte* pOut = grid.colors.data();
    for (int j = 0; j <= grid.nRows; ++j)
        for (int i = 0; i <= grid.nColumns; ++i, pOut += 3) {
            const double fx = static_cast<double>(w) * i / grid.nColumns, fy = static_cast<double>(h) * j / grid.nRows;
            GLubyte rgb[3];
            if (frame.empty()) {
                const double t = fy / std::max(1, h);
                for (int ch = 0; ch < 3; ++ch)
                    rgb[ch] = static_cast<GLubyte>(kCalmBottom[ch] + (kCalmTop[ch] - kCalmBottom[ch]) * t + 0.5);
            } else {
                const size_t px = static_cast<size_t>(std::min(static_cast<int>(fx), w - 1));
                const size_t py = static_cast<size_t>(std::min(static_cast<int>(fy), h - 1));
                std::copy_n(&frame[(py * static_cast<size_t>(w) + px) * 4], 3, rgb);
            }
            // The ray through the vertex, from the eye (the near point) to the far point.
            double aNear[3] = {}, aFar[3] = {};
            const double wx = v.aViewport[0] + fx, wy = v.aViewport[1] + fy;
            float fShadow = 0.0f;
            if (gluUnProject(wx, wy, 0.0, v.aModelview, v.aProjection, v.aViewport, &aNear[0], &aNear[1], &aNear[2]) &&
                gluUnProject(wx, wy, 1.0, v.aModelview, v.aProjection, v.aViewport, &aFar[0], &aFar[1], &aFar[2])) {
                const double aDir[3] = {aFar[0] - aNear[0], aFar[1] - aNear[1], aFar[2] - aNear[2]};
                fShadow = BoardShadowOnRay(settings, aNear, aDir);
            }
            for (int ch = 0; ch < 3; ++ch) pOut[ch] = static_cast<GLubyte>(rgb[ch] * (1.0f - fShadow) + 0.5f);
        }
}

// The dome about the eye into the frame, read back for the grid's colours.
std::vector<GLubyte> DrawAndReadDome(CGLObject& dome, const stCamGeom& camera, const GLint (&viewport)[4]) {
    dome.SetPos(static_cast<float>(camera.ex), static_cast<float>(camera.ey), static_cast<float>(camera.ez));
    dome.SetScale(kSkyDomeRadius, kSkyDomeRadius, kSkyDomeRadius);
    GLdouble aRange[2] = {0.0, 1.0};
    glGetDoublev(GL_DEPTH_RANGE, aRange);
    // Every fragment at the far end: the depth test the renderer sets passes wherever nothing is drawn.
    glDepthRange(1.0, 1.0);
    dome.Draw();
    glDepthRange(aRange[0], aRange[1]);
    std::vector<GLubyte> frame(static_cast<size_t>(std::max(0, viewport[2])) * std::max(0, viewport[3]) * 4);
    GLint nAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &nAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (!frame.empty()) glReadPixels(viewport[0], viewport[1], viewport[2], viewport[3], GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    glPixelStorei(GL_PACK_ALIGNMENT, nAlignment);
    return frame;
}

}  // namespace

void DrawSky(CGLObject& dome, const stCamGeom& camera, const CGameSettings& settings) {
    const SSkyView view = CurrentView(dome.Get3DS(), settings.BoardType);
    if (!(view == g_grid.view) || g_grid.colors.empty()) {
        std::vector<GLubyte> frame;
        if (view.hDome != kNoModel) frame = DrawAndReadDome(dome, camera, view.aViewport);
        MakeGrid(g_grid, view, settings, frame);
    }
    const CGlStateGuard state;
    const CGlClipSpace clipSpace;
    for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_BLEND, GL_ALPHA_TEST, GL_FOG, GL_DEPTH_TEST})
        glDisable(cap);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_SMOOTH);
    const SSkyGrid& g = g_grid;
    for (int j = 0; j < g.nRows; ++j) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i <= g.nColumns; ++i)
            for (int row : {j + 1, j}) {
                glColor3ubv(&g.colors[(static_cast<size_t>(row) * (g.nColumns + 1) + i) * 3]);
                glVertex2f(-1.0f + 2.0f * i / g.nColumns, -1.0f + 2.0f * row / g.nRows);
            }
        glEnd();
    }
}
