// The game's own GL calls for the scene: base state and the star field list. Window
// thread, with the GL context current.
#include "render/scene_gl.h"

#include <GL/gl.h>

#include "platform/log.h"

void ApplySceneGlState() {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glDisable(GL_POLYGON_SMOOTH);
    glShadeModel(GL_SMOOTH);
}

unsigned CompileStarFieldList(const std::array<SStarPoint, kStarCount>& stars) {
    const GLuint nList = glGenLists(1);
    if (nList == 0) {
        platform::Log("No display list for the star field");
        return 0;
    }
    glNewList(nList, GL_COMPILE);
    // The attribute stack saves culling, the two-sided light model and colour material, so
    // whoever calls the list finds them as they were.
    glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT);
    glDisable(GL_CULL_FACE);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_COLOR_MATERIAL);
    glBegin(GL_POINTS);
    for (const SStarPoint& p : stars) {
        // The colour is given as 255 per channel and clamps to white.
        glColor3f(255.0f, 255.0f, 255.0f);
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
    glDisable(GL_COLOR_MATERIAL);
    glPopAttrib();
    glEndList();
    return nList;
}

void SetWhiteColor() { glColor4f(255.0f, 255.0f, 255.0f, 255.0f); }
