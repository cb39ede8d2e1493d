// What the SDL window needs from X11 itself: the process's end when the display connection
// breaks, and whether a window manager runs. Main thread.
#pragma once

struct SDL_Window;

// From now on a broken display connection (server gone, logout) ends the process at once.
void EndProcessWhenDisplayLost();

// True when window is not an X11 window or a window manager runs on its display.
bool WindowManagerRuns(SDL_Window* pWindow);
