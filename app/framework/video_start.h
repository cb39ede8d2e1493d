// Starting SDL video once for the process: the start-up check starts it and hands it to the
// window, so the game keeps one display connection from the check to its end. Main thread.
#pragma once

// Starts SDL's video subsystem, trying again for a moment while an X server that has just
// reset refuses connections. A driver that shows nothing (offscreen, dummy) counts only when
// SDL_VIDEODRIVER asks for it: without a display the game must not run unseen. False, logged,
// when no visible video starts.
bool StartSdlVideo();

// Drivers that draw nowhere a person sees (offscreen, dummy).
bool IsInvisibleVideoDriver(const char* driver);

// The start-up check keeps the video it started here until the window takes it.
void HoldCheckedVideo();
// True (and the caller then owns one start of video) when the check left its video held.
bool TakeCheckedVideo();
// Ends the held video, if nobody took it.
void ReleaseCheckedVideo();
