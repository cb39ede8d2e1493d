// Draws CGLObjects: each registry model becomes a display list on first use (again when its
// data changes or the context is new), with one mipmapped texture per textured material.
// Window thread.
#include "app/framework/gl_renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "app/framework/gl_check.h"
#include "app/framework/gl_context.h"
#include "core/gl_object.h"
#include "app/framework/gl_state_guard.h"
#include "app/framework/gl_texture_upload.h"
#include "app/framework/model_registry.h"
#include "platform/log.h"

namespace {

// Textured surfaces take their colour from the texture (GL_MODULATE), so their material is
// near-white; untextured ones use the model's colour. Ambient follows diffuse so the light's
// ambient term lifts the shadowed side in the surface's own hue.
constexpr float kTexturedDiffuse = 0.95f;
constexpr float kSpecularFloor = 0.15f;     // a little gloss on every surface
constexpr float kDefaultShininess = 24.0f;  // used when the model gives none
constexpr float kMaxShininess = 128.0f;     // GL's limit
constexpr float kColorSpecular = 0.2f;      // gloss of objects drawn in their own colour

// The GL objects the renderer made for one registry slot.
struct SModelGl {
    unsigned nContext = 0;     // context generation they belong to
    unsigned nGeneration = 0;  // registry generation they were compiled from
    GLuint nList = 0;          // the whole model: materials and geometry
    GLuint nMeshLists = 0;     // first of one geometry-only list per mesh
    GLsizei nMeshCount = 0;
    std::vector<GLuint> textures;  // per material, 0 when untextured
};

float Clamp01(float f) { return std::clamp(f, 0.0f, 1.0f); }

void SetMaterial(const float* pDiffuse, const float* pSpecular, float fShininess) {
    const float aDiffuse[4] = {Clamp01(pDiffuse[0]), Clamp01(pDiffuse[1]), Clamp01(pDiffuse[2]),
                               Clamp01(pDiffuse[3])};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, aDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, aDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, pSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, fShininess);
    // Unlit drawing (the star models) shows the same colour.
    glColor4fv(aDiffuse);
}

// Compiled into the model's list before each mesh.
void ApplyModelMaterial(const SMaterial* pMaterial, GLuint nTexture) {
    static const SMaterial kPlain;
    const SMaterial& m = pMaterial ? *pMaterial : kPlain;
    float aSpecular[4];
    for (int i = 0; i < 3; ++i) aSpecular[i] = std::max(Clamp01(m.aSpecular[i]), kSpecularFloor);
    aSpecular[3] = 1.0f;
    const float fShininess =
        m.fShininess > 0.0f ? std::min(m.fShininess, kMaxShininess) : kDefaultShininess;
    if (nTexture != 0) {
        const float aWhite[4] = {kTexturedDiffuse, kTexturedDiffuse, kTexturedDiffuse, m.aDiffuse[3]};
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, nTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        SetMaterial(aWhite, aSpecular, fShininess);
        glColor4f(1.0f, 1.0f, 1.0f, Clamp01(m.aDiffuse[3]));  // unlit: the texture as it is
    } else {
        glDisable(GL_TEXTURE_2D);
        SetMaterial(m.aDiffuse, aSpecular, fShininess);
    }
}

// False (logged) for a mesh whose arrays do not fit together; it is then left out.
bool IsMeshUsable(const SModelData& model, const SMesh& mesh) {
    const size_t nVertices = mesh.positions.size() / 3;
    bool bOk = mesh.positions.size() % 3 == 0 && mesh.normals.size() == mesh.positions.size() &&
               (mesh.uvs.empty() || mesh.uvs.size() == nVertices * 2) && mesh.indices.size() % 3 == 0;
    for (size_t i = 0; bOk && i < mesh.indices.size(); ++i) bOk = mesh.indices[i] < nVertices;
    if (!bOk) platform::Log("Model %s: a mesh with inconsistent arrays is not drawn", model.name.c_str());
    return bOk;
}

void EmitMeshGeometry(const SMesh& mesh) {
    const bool bUv = !mesh.uvs.empty();
    glBegin(GL_TRIANGLES);
    for (uint32_t idx : mesh.indices) {
        glNormal3fv(&mesh.normals[idx * 3]);
        if (bUv) glTexCoord2fv(&mesh.uvs[idx * 2]);
        glVertex3fv(&mesh.positions[idx * 3]);
    }
    glEnd();
}

void DeleteModelGl(SModelGl& gl) {
    if (gl.nContext != 0 && gl.nContext == CurrentGlContextGeneration()) {
        if (gl.nList != 0) glDeleteLists(gl.nList, 1);
        if (gl.nMeshLists != 0) glDeleteLists(gl.nMeshLists, gl.nMeshCount);
        for (GLuint t : gl.textures)
            if (t != 0) glDeleteTextures(1, &t);
    }
    gl = SModelGl{};
}

void BuildModelGl(const SModelData& model, SModelGl& gl) {
    gl.textures.assign(model.materials.size(), 0);
    for (size_t i = 0; i < model.materials.size(); ++i) {
        const SMaterial& m = model.materials[i];
        if (!m.texture) continue;
        if (const SImage* pPixels = m.texture->Pixels()) gl.textures[i] = UploadTexture(*pPixels, ETextureUse::Model);
        m.texture->LetGo();
    }
    gl.nMeshCount = static_cast<GLsizei>(model.meshes.size());
    if (gl.nMeshCount > 0) gl.nMeshLists = glGenLists(gl.nMeshCount);
    for (GLsizei i = 0; i < gl.nMeshCount && gl.nMeshLists != 0; ++i) {
        glNewList(gl.nMeshLists + i, GL_COMPILE);
        if (IsMeshUsable(model, model.meshes[i])) EmitMeshGeometry(model.meshes[i]);
        glEndList();
    }
    gl.nList = glGenLists(1);
    if (gl.nList == 0) return;
    glNewList(gl.nList, GL_COMPILE);
    for (GLsizei i = 0; i < gl.nMeshCount && gl.nMeshLists != 0; ++i) {
        const int nMat = model.meshes[i].nMaterial;
        const bool bHasMat = nMat >= 0 && static_cast<size_t>(nMat) < model.materials.size();
        ApplyModelMaterial(bHasMat ? &model.materials[nMat] : nullptr, bHasMat ? gl.textures[nMat] : 0);
        glCallList(gl.nMeshLists + i);
    }
    glEndList();
}

// Translate, tilt, spin, scale, as seen from the model: it is scaled and spun about its own
// vertical axis, tilted about an axis through its own origin (the base of a draught; the axis
// is given in scene directions, such as a board edge), then placed. A draught that leaves the
// board thus tips over the edge where it is instead of swinging about the board centre.
void ApplyTransform(const CGLObject& object) {
    const float* p = object.GetPos();
    glTranslatef(p[0], p[1], p[2]);
    for (const SRotation* r : {&object.GetRotX(), &object.GetRotY()}) {
        const bool bHasAxis = r->fX != 0.0f || r->fY != 0.0f || r->fZ != 0.0f;
        if (r->fAngle != 0.0f && bHasAxis) glRotatef(r->fAngle, r->fX, r->fY, r->fZ);
    }
    const float* s = object.GetScale();
    glScalef(s[0], s[1], s[2]);
}

// One object with its transform, under a state guard so the caller finds its state unchanged.
void DrawWithState(const CGLObject& object, const SRegisteredModel& reg, const SModelGl* pGl) {
    const CGlStateGuard state;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    ApplyTransform(object);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glEnable(GL_NORMALIZE);  // scaled models keep unit normals
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_CULL_FACE);  // every model is closed and wound counter-clockwise outside
    glCullFace(GL_BACK);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);

    const float* c = object.GetColor();
    const float aColor[4] = {Clamp01(c[0]), Clamp01(c[1]), Clamp01(c[2]), Clamp01(c[3])};
    if (aColor[3] < 1.0f && object.IsColorUsed()) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    if (pGl == nullptr) {
        // A list compiled by the game (the star field) sets its own colours and states.
        glDisable(GL_TEXTURE_2D);
        if (object.IsColorUsed()) glColor4fv(aColor);
        else glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glCallList(reg.nDisplayList);
    } else if (object.IsColorUsed()) {
        glDisable(GL_TEXTURE_2D);
        const float aSpecular[4] = {kColorSpecular, kColorSpecular, kColorSpecular, 1.0f};
        SetMaterial(aColor, aSpecular, kDefaultShininess);
        for (GLsizei i = 0; i < pGl->nMeshCount; ++i) glCallList(pGl->nMeshLists + i);
    } else {
        glCallList(pGl->nList);
    }

    glPopMatrix();
}

class CGlObjectRenderer final : public IObjectRenderer {
public:
    void DrawObject(const CGLObject& object) override {
        SRegisteredModel* pReg = FindModel(object.Get3DS());
        if (pReg == nullptr || CurrentGlContextGeneration() == 0) return;
        const SModelGl* pGl = nullptr;
        if (pReg->data) {
            pGl = Prepare(object.Get3DS(), *pReg);
            if (pGl == nullptr) return;
        } else if (pReg->nDisplayList == 0) {
            return;
        }

        DrawWithState(object, *pReg, pGl);
        KD_GL_CHECK("DrawObject");
    }

    // Deletes the GL objects of the current context.
    void ReleaseAll() {
        for (auto& [h, gl] : m_models) DeleteModelGl(gl);
        m_models.clear();
    }
    void ForgetAll() { m_models.clear(); }

private:
    // The model's GL objects, compiled now if missing or stale; null when GL refused them.
    const SModelGl* Prepare(ModelHandle h, SRegisteredModel& reg) {
        SModelGl& gl = m_models[h];
        const unsigned nContext = CurrentGlContextGeneration();
        const bool bCurrent = gl.nContext == nContext && gl.nGeneration == reg.nGeneration &&
                              gl.nList != 0 && reg.nDisplayList == gl.nList &&
                              reg.nListGeneration == reg.nGeneration;
        if (bCurrent) return &gl;
        DeleteModelGl(gl);
        {
            const CGlStateGuard state;
            BuildModelGl(*reg.data, gl);
        }
        KD_GL_CHECK("compiling a model");
        gl.nContext = nContext;
        gl.nGeneration = reg.nGeneration;
        reg.nDisplayList = gl.nList;
        reg.nListGeneration = gl.nList != 0 ? reg.nGeneration : 0;
        if (gl.nList == 0) {
            platform::Log("Model %s: no display list could be made", reg.data->name.c_str());
            return nullptr;
        }
        return &gl;
    }

    std::unordered_map<ModelHandle, SModelGl> m_models;
};

CGlObjectRenderer g_renderer;

}  // namespace

void InstallGlRenderer() {
    // Names held from an earlier context died with it: drop them without deleting.
    g_renderer.ForgetAll();
    if (CurrentGlContextGeneration() == 0) NoteGlContextCreated();
    SetObjectRenderer(&g_renderer);
}

void UninstallGlRenderer() {
    g_renderer.ReleaseAll();
    ForgetModelGlObjects();
    if (GetObjectRenderer() == &g_renderer) SetObjectRenderer(nullptr);
}
