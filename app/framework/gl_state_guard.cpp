// CGlStateGuard: read on entry, written back on exit, material before colour material returns.
#include "app/framework/gl_state_guard.h"

#include <GL/gl.h>

#include <cstddef>

namespace {

constexpr std::array<GLenum, CGlStateGuard::kSwitchCount> kSwitches = {
    GL_LIGHTING, GL_BLEND,    GL_TEXTURE_2D, GL_DEPTH_TEST, GL_CULL_FACE,
    GL_COLOR_MATERIAL, GL_NORMALIZE, GL_ALPHA_TEST, GL_FOG};

}  // namespace

CGlStateGuard::CGlStateGuard() {
    for (std::size_t i = 0; i < kSwitches.size(); ++i) m_abEnabled[i] = glIsEnabled(kSwitches[i]);
    glGetIntegerv(GL_MATRIX_MODE, &m_nMatrixMode);
    glGetIntegerv(GL_BLEND_SRC, &m_nBlendSrc);
    glGetIntegerv(GL_BLEND_DST, &m_nBlendDst);
    glGetIntegerv(GL_DEPTH_FUNC, &m_nDepthFunc);
    glGetIntegerv(GL_CULL_FACE_MODE, &m_nCullFace);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &m_nTexture);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &m_nTexEnv);
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &m_nTwoSide);
    glGetIntegerv(GL_LIGHT_MODEL_COLOR_CONTROL, &m_nColorControl);
    glGetIntegerv(GL_SHADE_MODEL, &m_nShadeModel);
    glGetIntegerv(GL_POLYGON_MODE, m_anPolygonMode.data());
    glGetBooleanv(GL_DEPTH_WRITEMASK, &m_bDepthMask);
    glGetFloatv(GL_LINE_WIDTH, &m_fLineWidth);
    glGetFloatv(GL_CURRENT_COLOR, m_afColor.data());
    glGetFloatv(GL_CURRENT_NORMAL, m_afNormal.data());
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, m_afTexCoord.data());
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, m_afAmbient.data());
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, m_afDiffuse.data());
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, m_afSpecular.data());
    glGetMaterialfv(GL_FRONT, GL_EMISSION, m_afEmission.data());
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &m_fShininess);
}

CGlStateGuard::~CGlStateGuard() {
    // With colour material on, setting the material would be overridden by the colour.
    glDisable(GL_COLOR_MATERIAL);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m_afAmbient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m_afDiffuse.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m_afSpecular.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, m_afEmission.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m_fShininess);
    glColor4fv(m_afColor.data());
    glNormal3fv(m_afNormal.data());
    glTexCoord4fv(m_afTexCoord.data());
    glMatrixMode(static_cast<GLenum>(m_nMatrixMode));
    glBlendFunc(static_cast<GLenum>(m_nBlendSrc), static_cast<GLenum>(m_nBlendDst));
    glDepthFunc(static_cast<GLenum>(m_nDepthFunc));
    glDepthMask(m_bDepthMask);
    glCullFace(static_cast<GLenum>(m_nCullFace));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(m_nTexture));
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, m_nTexEnv);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, m_nTwoSide);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, m_nColorControl);
    glShadeModel(static_cast<GLenum>(m_nShadeModel));
    glPolygonMode(GL_FRONT, static_cast<GLenum>(m_anPolygonMode[0]));
    glPolygonMode(GL_BACK, static_cast<GLenum>(m_anPolygonMode[1]));
    glLineWidth(m_fLineWidth);
    for (std::size_t i = 0; i < kSwitches.size(); ++i) {
        if (m_abEnabled[i]) glEnable(kSwitches[i]);
        else glDisable(kSwitches[i]);
    }
}

CGlClipSpace::CGlClipSpace() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

CGlClipSpace::~CGlClipSpace() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}
