// The few GL calls of the game's own: the scene's base state, the star field display
// list, the state the game scene sets around the star models and the aim line. Window
// thread, with the GL context current.
#pragma once

#include <array>

#include "render/scene_resources.h"

// Depth test, 2D texturing, nicest perspective correction, no polygon smoothing, smooth shading.
void ApplySceneGlState();
// Compiles the stars as white GL points into a new display list and returns its id (0 when
// GL refuses). Call it through the object renderer: its state guard brings back the
// culling, two-sided lighting and colour material the list changes.
unsigned CompileStarFieldList(const std::array<SStarPoint, kStarCount>& stars);
// The colour the star models are drawn in (white).
void SetWhiteColor();
// The beginner's aim line: a yellow line two pixels wide between two scene points, drawn
// untextured inside a state guard; leaves 2D texturing on and colour material off.
void DrawAimLine(const float (&from)[3], const float (&to)[3]);
