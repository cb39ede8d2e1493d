// The sky behind the match scene: the nebula dome about the eye when the star models show,
// a calm dark gradient otherwise. Both lie behind everything and leave the depth buffer as
// cleared, so the scene point under the cursor still finds nothing there. Window thread.
#include "render/scene_sky.h"

#include <GL/gl.h>

#include <cmath>
#include <memory>
#include <string>

#include "app/framework/gl_state_guard.h"
#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "app/scene_resources.h"
#include "platform/log.h"

namespace {

constexpr int kDomeSlices = 48;  // around the vertical
constexpr int kDomeStacks = 24;  // from the nadir to the zenith
constexpr float kPi = 3.14159265358979f;
constexpr const char* kDomeModelName = "scene:sky dome";
// The calm sky without the star models: dark at the bottom of the view, a little lighter
// towards the horizon at the top.
constexpr GLubyte kCalmBottom[3] = {5, 6, 14};
constexpr GLubyte kCalmTop[3] = {26, 32, 60};

// A unit sphere seen from inside (its triangles wind counter-clockwise from the centre), with
// longitude across the picture and latitude up it, as the sky picture is painted.
SMesh DomeMesh() {
    SMesh mesh;
    for (int j = 0; j <= kDomeStacks; ++j) {
        const float lat = kPi * (static_cast<float>(j) / kDomeStacks - 0.5f);
        for (int i = 0; i <= kDomeSlices; ++i) {
            const float lon = 2 * kPi * static_cast<float>(i) / kDomeSlices;
            const float d[3] = {std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
            mesh.positions.insert(mesh.positions.end(), {d[0], d[1], d[2]});
            mesh.normals.insert(mesh.normals.end(), {-d[0], -d[1], -d[2]});
            mesh.uvs.insert(mesh.uvs.end(), {static_cast<float>(i) / kDomeSlices, static_cast<float>(j) / kDomeStacks});
        }
    }
    const uint32_t row = kDomeSlices + 1;
    for (uint32_t j = 0; j < kDomeStacks; ++j)
        for (uint32_t i = 0; i < kDomeSlices; ++i) {
            const uint32_t a = j * row + i, b = a + 1, c = b + row, d = a + row;
            mesh.indices.insert(mesh.indices.end(), {a, b, c, a, c, d});
        }
    mesh.nMaterial = 0;
    return mesh;
}

}  // namespace

ModelHandle CreateSkyDomeModel(CResource& pack) {
    SMaterial material;
    material.name = "sky";
    material.textureFile = kSkyFile;
    material.texture = std::make_shared<CPackImage>();
    std::string error;
    if (!material.texture->Load(pack, kSkyFolder, kSkyFile, error)) {
        platform::Log("Sky picture %s: %s; the calm sky shows instead", kSkyFile, error.c_str());
        return kNoModel;
    }
    material.texture->LetGo();
    auto model = std::make_shared<SModelData>();
    model->name = kDomeModelName;
    model->materials.push_back(std::move(material));
    model->meshes.push_back(DomeMesh());
    return RegisterModel(std::move(model));
}

void DrawSkyDome(CGLObject& dome, const stCamGeom& camera) {
    dome.SetPos(static_cast<float>(camera.ex), static_cast<float>(camera.ey), static_cast<float>(camera.ez));
    dome.SetScale(kSkyDomeRadius, kSkyDomeRadius, kSkyDomeRadius);
    const GLboolean bLit = glIsEnabled(GL_LIGHTING);
    GLdouble aRange[2] = {0.0, 1.0};
    glGetDoublev(GL_DEPTH_RANGE, aRange);
    glDisable(GL_LIGHTING);  // the picture as painted
    // Every fragment at the far end: drawn over the cleared depth, hiding nothing drawn later.
    glDepthRange(1.0, 1.0);
    dome.Draw();
    glDepthRange(aRange[0], aRange[1]);
    if (bLit) glEnable(GL_LIGHTING);
}

void DrawCalmSky() {
    const CGlStateGuard state;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (GLenum cap : {GL_DEPTH_TEST, GL_LIGHTING, GL_TEXTURE_2D, GL_CULL_FACE, GL_BLEND, GL_ALPHA_TEST, GL_FOG})
        glDisable(cap);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_SMOOTH);
    glBegin(GL_QUADS);
    glColor3ubv(kCalmBottom);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glColor3ubv(kCalmTop);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}
