// Reports whether SDL video can start, in the DirectX version's terms.
#include "app/framework/dx_version.h"

#include <SDL2/SDL.h>

#include <atomic>

#include "app/framework/video_start.h"

namespace {
std::atomic<int> g_nInjectedVersion{-1};
}

void SetDirectXVersionForTest(int nVersion) { g_nInjectedVersion = nVersion; }

int GetDirectXVersion() {
    const int injected = g_nInjectedVersion.load();
    if (injected >= 0) return injected;
    ReleaseCheckedVideo();  // an earlier check's, never taken
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return kVideoReadyVersion;
    if (!StartSdlVideo()) return 0;
    // Stopping it again would close the display connection, and an X server without other
    // clients then resets under the game's next connection: the window takes this one.
    HoldCheckedVideo();
    return kVideoReadyVersion;
}
