// The sky behind the match scene. Window thread, with the GL context current for drawing.
#pragma once

#include "app/framework/camera.h"
#include "app/framework/gl_object.h"

class CResource;

// Registers the nebula dome (a sphere seen from inside, textured with the pack's sky picture);
// kNoModel (logged) when the picture is missing, and then the calm sky stands in.
ModelHandle CreateSkyDomeModel(CResource& pack);
// The dome about the eye, unlit, behind everything drawn after it; the depth buffer is left
// untouched. Leaves lighting as it found it.
void DrawSkyDome(CGLObject& dome, const stCamGeom& camera);
// A dark vertical gradient over the whole view, behind everything; touches no depth.
void DrawCalmSky();
