// The scene light: one white positional light above the board, fixed in the scene (its
// position is given again after each camera change by PlaceSceneLight). Window thread.
#pragma once

#include <GL/gl.h>

class CGLight {
public:
    CGLight() = default;
    ~CGLight();
    CGLight(const CGLight&) = delete;
    CGLight& operator=(const CGLight&) = delete;

    // Sets up GL light nLight (GL_LIGHT0 ... GL_LIGHT7) as the scene light, switched off
    // until Enable. False (logged) for another number.
    bool Create(GLenum nLight = GL_LIGHT0);
    // Lighting as a whole (GL_LIGHTING), as the game switches it off for the star models.
    void EnableLighting(bool bOn);
    // This light.
    void Enable(bool bOn);
    void Release();
    bool IsCreated() const { return m_bCreated; }

    // Where the light stands, in scene coordinates (w = 1: positional).
    static constexpr float kPosition[4] = {0.35f, 2.6f, 1.4f, 1.0f};

private:
    GLenum m_nLight = GL_LIGHT0;
    bool m_bCreated = false;
};

// Gives the created scene light its position again under the current modelview matrix; the
// window calls it right after loading the camera's view, so the light stays put in the scene
// while the camera turns. Nothing when no light was created.
void PlaceSceneLight();
