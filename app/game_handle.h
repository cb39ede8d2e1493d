// The game window's handle for code that posts to it from any thread (workers, sounds).
// The game window sets it once it exists and clears it before it goes; any thread may read it.
#pragma once

#include "platform/window_queue.h"

// Null until the game window has set it; posting to null fails quietly.
HWND GetGameWndHandle();
void SetGameWndHandle(HWND hWnd);
