// Which GL context is current: a generation number that the window bumps each time it
// creates one, so GL objects made in an older context (textures, display lists) are known
// to be gone and are made again. Window thread.
#pragma once

// 0 while no GL context exists (headless, or between destroy and create).
unsigned CurrentGlContextGeneration();

// Called by the window right after a new context is made current, and right after the
// context was destroyed (model display lists are forgotten then).
void NoteGlContextCreated();
void NoteGlContextDestroyed();
