// The sky behind the match scene. Window thread, with the GL context current for drawing.
#pragma once

#include "core/gl_object.h"

class CGameSettings;
class CResource;

// Compiles the nebula dome (a sphere in the colours of the pack's sky picture) for the current
// GL context and registers it; kNoModel (logged) without the picture or GL, and then the calm
// sky stands in.
ModelHandle CreateSkyDomeModel(CResource& pack);
// The whole view's sky, first in a frame: the dome about the eye (the calm dark gradient for
// kNoModel), darkened about the board of the settings by its shadow below it. Unlit, untested;
// writes no depth. Where the board, when it is drawn next, surely covers the view, the sky is left out.
void DrawSky(ModelHandle hDome, const CGameSettings& settings, bool bBoardDrawn);
