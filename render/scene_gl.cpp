// The game's own GL calls for the scene: base state, the star field list and the aim
// line. Window thread, with the GL context current.
#include "render/scene_gl.h"

#include <GL/gl.h>

#include "app/framework/gl_state_guard.h"
#include "platform/log.h"

namespace {

constexpr GLfloat kAimLineWidth = 2.0f;
constexpr GLubyte kAimLineColor[3] = {255, 255, 0};
constexpr GLubyte kColorMax = 255;

}  // namespace

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
    // The list is called through the object renderer, whose state guard brings back culling,
    // the two-sided light model and colour material; an attribute push inside a list would cost
    // the driver a whole record of state for the rest of the run.
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
    glEndList();
    return nList;
}

void SetWhiteColor() { glColor4f(255.0f, 255.0f, 255.0f, 255.0f); }

void DrawAimLine(const float (&from)[3], const float (&to)[3]) {
    glDisable(GL_TEXTURE_2D);
    {
        const CGlStateGuard state;
        glEnable(GL_COLOR_MATERIAL);
        glLineWidth(kAimLineWidth);
        glBegin(GL_LINES);
        glColor3ub(kAimLineColor[0], kAimLineColor[1], kAimLineColor[2]);
        glVertex3f(from[0], from[1], from[2]);
        glVertex3f(to[0], to[1], to[2]);
        glEnd();
        glColor3ub(kColorMax, kColorMax, kColorMax);
    }
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
}
