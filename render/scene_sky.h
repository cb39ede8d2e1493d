// The sky behind the match scene. Window thread, with the GL context current for drawing.
#pragma once

#include "app/framework/camera.h"
#include "core/gl_object.h"

class CResource;

// Compiles the nebula dome (a sphere in the colours of the pack's sky picture) for the current
// GL context and registers it; kNoModel (logged) without the picture or GL, and then the calm
// sky stands in.
ModelHandle CreateSkyDomeModel(CResource& pack);
// The dome about the eye, unlit, wherever nothing has been drawn yet; writes no depth.
void DrawSkyDome(CGLObject& dome, const stCamGeom& camera);
// A dark vertical gradient wherever nothing has been drawn yet; writes no depth.
void DrawCalmSky();
