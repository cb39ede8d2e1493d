// Soft shadows that ground the match scene: the board's in the space below it, and one under
// each draught on the board, cast away from the scene light. Window thread, with the GL
// context current; each call sets the state it needs and puts it back.
#pragma once

class CDesk;
class CGameSettings;

// How dark the shadow of the settings' board (none for an unknown type) is where the ray from
// the eye along dir meets the plane below the board that takes it: 0 (none) to below 1. The sky
// about the board is darkened by it.
float BoardShadowOnRay(const CGameSettings& settings, const double (&eye)[3], const double (&dir)[3]);
// Whether the ray from the eye along dir meets the top of the settings' board well inside its
// edge, where the board hides what lies behind it.
bool BoardTopOnRay(const CGameSettings& settings, const double (&eye)[3], const double (&dir)[3]);
// Under every draught on the board, after the board and before the draughts. A draught that leaves
// the board loses its shadow within a fraction of a second; one beside it has none.
void DrawDraughtShadows(const CDesk& desk);
