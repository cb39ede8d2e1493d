// Soft shadows that ground the match scene: the board's in the space below it, and one under
// each draught on the board, cast away from the scene light. Window thread, with the GL
// context current; each call sets the state it needs and puts it back.
#pragma once

class CDesk;
class CGameSettings;

// Under the board of the settings' BoardType (nothing for an unknown type), after the board and
// the sky: the board hides the shadow's middle, the rest darkens the sky about it.
void DrawBoardShadow(const CGameSettings& settings);
// Under every draught on the board, after the board and the draughts. A draught that leaves
// the board loses its shadow within a fraction of a second; one beside it has none.
void DrawDraughtShadows(const CDesk& desk);
