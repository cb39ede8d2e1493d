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
#include <utility>
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

// The picture's colour for every dome vertex, column i (longitude) of row j (latitude) at
// (j * (kDomeSlices + 1) + i) * 3.
std::vector<GLubyte> DomeColours(const SImage& sky) {
    std::vector<GLubyte> rgb(static_cast<size_t>(kDomeSlices + 1) * (kDomeStacks + 1) * 3);
    for (int j = 0; j <= kDomeStacks; ++j)
        for (int i = 0; i <= kDomeSlices; ++i)
            SampleSky(sky, static_cast<float>(i) / kDomeSlices, static_cast<float>(j) / kDomeStacks,
                      &rgb[(static_cast<size_t>(j) * (kDomeSlices + 1) + i) * 3]);
    return rgb;
}

// The dome's colours by its model: the sky of a view is worked out from them.
struct SDome {
    ModelHandle hModel = kNoModel;
    std::vector<GLubyte> colours;
};
SDome g_dome;

// The dome as a display list: a unit sphere in bands from the nadir up, each vertex in the
// picture's colour for its direction (longitude across the picture from +x towards +z,
// latitude up it). Called through the object renderer, whose state guard brings back the
// lighting, culling and depth writing the list turns off.
unsigned CompileSkyDomeList(const std::vector<GLubyte>& colours) {
    const GLuint nList = glGenLists(1);
    if (nList == 0) return 0;
    glNewList(nList, GL_COMPILE);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_SMOOTH);
    auto vertex = [&colours](int i, int j) {
        const float u = static_cast<float>(i) / kDomeSlices, v = static_cast<float>(j) / kDomeStacks;
        const float lon = 2 * kPi * u, lat = kPi * (v - 0.5f);
        glColor3ubv(&colours[(static_cast<size_t>(j) * (kDomeSlices + 1) + i) * 3]);
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
    std::vector<GLubyte> colours = pSky ? DomeColours(*pSky) : std::vector<GLubyte>{};
    const unsigned nList = pSky ? CompileSkyDomeList(colours) : 0;
    if (nList == 0) {
        platform::Log("Sky picture %s: %s; the calm sky shows instead", kSkyFile,
                      pSky ? "no display list" : error.c_str());
        return kNoModel;
    }
    g_dome = {RegisterDisplayList(kDomeModelName, nList), std::move(colours)};
    return g_dome.hModel;
}

namespace {

// The view's sky is drawn as a grid of vertex-coloured cells about this many pixels across: a
// software renderer fills those far faster than the dome's triangles tested against depth, or a
// texture. The dome's own colours change over a larger angle than a cell spans.
constexpr int kSkyCellPixels = 64;

// What the grid was made for; it is made again when any of it changes.
struct SSkyView {
    unsigned nContext = 0;
    ModelHandle hDome = kNoModel;  // kNoModel: the calm gradient
    int nBoardType = 0;
    bool bBoardDrawn = false;
    GLint aViewport[4] = {};
    GLdouble aModelview[16] = {}, aProjection[16] = {};

    bool operator==(const SSkyView&) const = default;
};

struct SSkyGrid {
    SSkyView view;
    int nColumns = 0, nRows = 0;
    std::vector<GLubyte> colors;  // RGB per vertex, row after row from the bottom
    std::vector<bool> hidden;     // per vertex: the board's top covers it
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

// The dome's colour along the direction d, between its four vertices about it as the dome's
// cells shade it.
void DomeColour(const double (&d)[3], GLubyte out[3]) {
    const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const double lon = std::atan2(d[2], d[0]), lat = std::asin(std::clamp(d[1] / std::max(len, 1e-12), -1.0, 1.0));
    const double u = (lon < 0 ? lon + 2 * kPi : lon) / (2 * kPi) * kDomeSlices;
    const double v = (lat / kPi + 0.5) * kDomeStacks;
    const int i = std::clamp(static_cast<int>(u), 0, kDomeSlices - 1), j = std::clamp(static_cast<int>(v), 0, kDomeStacks - 1);
    const double fu = std::clamp(u - i, 0.0, 1.0), fv = std::clamp(v - j, 0.0, 1.0);
    auto at = [](int col, int row, int ch) {
        return static_cast<double>(g_dome.colours[(static_cast<size_t>(row) * (kDomeSlices + 1) + col) * 3 + ch]);
    };
    for (int ch = 0; ch < 3; ++ch)
        out[ch] = static_cast<GLubyte>((at(i, j, ch) * (1 - fu) + at(i + 1, j, ch) * fu) * (1 - fv) +
                                       (at(i, j + 1, ch) * (1 - fu) + at(i + 1, j + 1, ch) * fu) * fv + 0.5);
}

// The grid's colours for the view: the sky under each vertex (the dome's or the gradient's),
// times what light the board's shadow leaves there.
void MakeGrid(SSkyGrid& grid, const SSkyView& v, const CGameSettings& settings) {
    const int w = v.aViewport[2], h = v.aViewport[3];
    const bool bNebula = v.hDome != kNoModel && v.hDome == g_dome.hModel && !g_dome.colours.empty();
    grid.view = v;
    grid.nColumns = std::max(1, (w + kSkyCellPixels / 2) / kSkyCellPixels);
    grid.nRows = std::max(1, (h + kSkyCellPixels / 2) / kSkyCellPixels);
    grid.colors.assign(static_cast<size_t>(grid.nColumns + 1) * (grid.nRows + 1) * 3, 0);
    grid.hidden.assign(static_cast<size_t>(grid.nColumns + 1) * (grid.nRows + 1), false);
    GLubyte* pOut = grid.colors.data();
    for (int j = 0; j <= grid.nRows; ++j)
        for (int i = 0; i <= grid.nColumns; ++i, pOut += 3) {
            const double fx = static_cast<double>(w) * i / grid.nColumns, fy = static_cast<double>(h) * j / grid.nRows;
            // The ray through the vertex, from the eye (the near point) to the far point.
            double aNear[3] = {}, aFar[3] = {};
            const double wx = v.aViewport[0] + fx, wy = v.aViewport[1] + fy;
            const bool bRay =
                gluUnProject(wx, wy, 0.0, v.aModelview, v.aProjection, v.aViewport, &aNear[0], &aNear[1], &aNear[2]) &&
                gluUnProject(wx, wy, 1.0, v.aModelview, v.aProjection, v.aViewport, &aFar[0], &aFar[1], &aFar[2]);
            const double aDir[3] = {aFar[0] - aNear[0], aFar[1] - aNear[1], aFar[2] - aNear[2]};
            GLubyte rgb[3];
            if (bNebula && bRay) {
                DomeColour(aDir, rgb);
            } else {
                const double t = fy / std::max(1, h);
                for (int ch = 0; ch < 3; ++ch)
                    rgb[ch] = static_cast<GLubyte>(kCalmBottom[ch] + (kCalmTop[ch] - kCalmBottom[ch]) * t + 0.5);
            }
            const float fShadow = bRay ? BoardShadowOnRay(settings, aNear, aDir) : 0.0f;
            grid.hidden[static_cast<size_t>(j) * (grid.nColumns + 1) + i] =
                v.bBoardDrawn && bRay && BoardTopOnRay(settings, aNear, aDir);
            for (int ch = 0; ch < 3; ++ch) pOut[ch] = static_cast<GLubyte>(rgb[ch] * (1.0f - fShadow) + 0.5f);
        }
}

}  // namespace

void DrawSky(ModelHandle hDome, const CGameSettings& settings, bool bBoardDrawn) {
    SSkyView view = CurrentView(hDome, settings.BoardType);
    view.bBoardDrawn = bBoardDrawn;
    if (!(view == g_grid.view) || g_grid.colors.empty()) MakeGrid(g_grid, view, settings);
    const CGlStateGuard state;
    const CGlClipSpace clipSpace;
    for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_BLEND, GL_ALPHA_TEST, GL_FOG, GL_DEPTH_TEST})
        glDisable(cap);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_SMOOTH);
    const SSkyGrid& g = g_grid;
    const auto index = [&g](int i, int j) { return static_cast<size_t>(j) * (g.nColumns + 1) + i; };
    glBegin(GL_QUADS);
    for (int j = 0; j < g.nRows; ++j)
        for (int i = 0; i < g.nColumns; ++i) {
            // The board's top is convex: a cell with every corner on it lies wholly behind it.
            if (g.hidden[index(i, j)] && g.hidden[index(i + 1, j)] && g.hidden[index(i + 1, j + 1)] &&
                g.hidden[index(i, j + 1)])
                continue;
            for (const auto& [col, row] : {std::pair{i, j}, std::pair{i + 1, j}, std::pair{i + 1, j + 1}, std::pair{i, j + 1}}) {
                glColor3ubv(&g.colors[index(col, row) * 3]);
                glVertex2f(-1.0f + 2.0f * col / g.nColumns, -1.0f + 2.0f * row / g.nRows);
            }
        }
    glEnd();
}
