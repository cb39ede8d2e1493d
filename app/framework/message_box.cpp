// Error boxes through SDL, falling back to stderr; a test hook captures them.
#include "app/framework/message_box.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>

namespace {

std::mutex g_hookMutex;
std::function<void(const std::string&, const std::string&)> g_hook;

// Drivers that draw nowhere a person sees: a box there would wait for a click forever.
bool VideoDriverIsInvisible() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver != nullptr &&
           (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

}  // namespace

void SetErrorBoxHook(std::function<void(const std::string&, const std::string&)> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_hook = std::move(hook);
}

void ShowErrorBox(const std::string& caption, const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        if (g_hook) {
            g_hook(caption, text);
            return;
        }
    }
    if (!VideoDriverIsInvisible() &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) ==
            0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}
