// CGLight: a white positional light with a soft ambient part, so the unlit side of the board
// and the draughts keeps its colour. Window thread.
#include "app/framework/light.h"

#include "app/framework/gl_check.h"
#include "platform/log.h"

namespace {

constexpr float kAmbient[4] = {0.32f, 0.32f, 0.34f, 1.0f};
constexpr float kDiffuse[4] = {0.85f, 0.85f, 0.82f, 1.0f};
constexpr float kSpecular[4] = {0.6f, 0.6f, 0.6f, 1.0f};
constexpr float kSceneAmbient[4] = {0.12f, 0.12f, 0.14f, 1.0f};
constexpr GLenum kLastLight = GL_LIGHT7;

const CGLight* g_pSceneLight = nullptr;
GLenum g_nSceneLight = GL_LIGHT0;

}  // namespace

bool CGLight::Create(GLenum nLight) {
    if (nLight < GL_LIGHT0 || nLight > kLastLight) {
        platform::Log("CGLight::Create: 0x%x is not a GL light", nLight);
        return false;
    }
    m_nLight = nLight;
    glLightfv(nLight, GL_AMBIENT, kAmbient);
    glLightfv(nLight, GL_DIFFUSE, kDiffuse);
    glLightfv(nLight, GL_SPECULAR, kSpecular);
    glLightf(nLight, GL_CONSTANT_ATTENUATION, 1.0f);
    glLightf(nLight, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(nLight, GL_QUADRATIC_ATTENUATION, 0.0f);
    glLightf(nLight, GL_SPOT_CUTOFF, 180.0f);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, kSceneAmbient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
    glDisable(nLight);
    m_bCreated = true;
    g_pSceneLight = this;
    g_nSceneLight = nLight;
    PlaceSceneLight();
    KD_GL_CHECK("CGLight::Create");
    return true;
}

CGLight::~CGLight() {
    // No GL here: the context may be gone already.
    if (g_pSceneLight == this) g_pSceneLight = nullptr;
}

void CGLight::EnableLighting(bool bOn) {
    if (bOn) glEnable(GL_LIGHTING);
    else glDisable(GL_LIGHTING);
}

void CGLight::Enable(bool bOn) {
    if (!m_bCreated) return;
    if (bOn) glEnable(m_nLight);
    else glDisable(m_nLight);
}

void CGLight::Release() {
    if (!m_bCreated) return;
    glDisable(m_nLight);
    m_bCreated = false;
    if (g_pSceneLight == this) g_pSceneLight = nullptr;
}

void PlaceSceneLight() {
    // GL takes the position through the modelview matrix whatever the matrix mode.
    if (g_pSceneLight != nullptr) glLightfv(g_nSceneLight, GL_POSITION, CGLight::kPosition);
}
