// Reports whether SDL video can start, in the DirectX version's terms.
#include "app/framework/dx_version.h"

#include <SDL2/SDL.h>

#include <atomic>

#include "platform/log.h"

namespace {
std::atomic<int> g_nInjectedVersion{-1};
}

void SetDirectXVersionForTest(int nVersion) { g_nInjectedVersion = nVersion; }

int GetDirectXVersion() {
    const int injected = g_nInjectedVersion.load();
    if (injected >= 0) return injected;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return kVideoReadyVersion;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        platform::Log("Video cannot start: %s", SDL_GetError());
        return 0;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return kVideoReadyVersion;
}
