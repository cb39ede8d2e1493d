// SDL video start-up shared by the start-up check and the window.
#include "app/framework/video_start.h"

#include <SDL2/SDL.h>

#include <cstring>
#include <string>

#include "app/framework/x11_display.h"
#include "platform/log.h"

namespace {

// A bare X server resets when its last client leaves and refuses connections meanwhile.
constexpr int kVideoStartTries = 10;
constexpr int kVideoRetryMs = 100;

bool g_bCheckedVideoHeld = false;

// Whether SDL_VIDEODRIVER (a comma-separated list) names driver.
bool DriverRequested(const char* driver) {
    const char* hint = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!hint) return false;
    const std::string list = std::string(",") + hint + ",";
    return list.find(std::string(",") + driver + ",") != std::string::npos;
}

}  // namespace

bool IsInvisibleVideoDriver(const char* driver) {
    return driver != nullptr && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool StartSdlVideo() {
    // SDL drops a click that comes within 10 ms of the window getting focus. A click made
    // while the game is busy (a window made again for a mode switch compiles its shaders in
    // its first frame) reaches SDL together with the focus and would be lost. The activating
    // click counts, as it does on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    bool bStarted = false;
    for (int nTry = 1; nTry <= kVideoStartTries && !bStarted; ++nTry) {
        bStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        if (!bStarted && nTry < kVideoStartTries) SDL_Delay(kVideoRetryMs);
    }
    if (!bStarted) {
        platform::Log("SDL video cannot start: %s", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (IsInvisibleVideoDriver(driver) && !DriverRequested(driver)) {
        // SDL falls back to these when no display answers; the player would see nothing.
        platform::Log("SDL video cannot start: no display (only the '%s' driver answered)", driver);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    if (driver && std::strcmp(driver, "x11") == 0) EndProcessWhenDisplayLost();
    return true;
}

void HoldCheckedVideo() {
    ReleaseCheckedVideo();
    g_bCheckedVideoHeld = true;
}

bool TakeCheckedVideo() {
    const bool bHeld = g_bCheckedVideoHeld;
    g_bCheckedVideoHeld = false;
    return bHeld;
}

void ReleaseCheckedVideo() {
    if (TakeCheckedVideo()) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
