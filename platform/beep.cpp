#include "platform/beep.h"

#include <mutex>

#include "platform/log.h"

namespace platform {
namespace {
std::mutex g_beepMutex;
std::function<void(int, int)> g_beepHandler;
}  // namespace

void SetBeepHandler(std::function<void(int, int)> handler) {
    std::lock_guard lock(g_beepMutex);
    g_beepHandler = std::move(handler);
}

void Beep(int nFreq, int nMs) {
    Log("Beep %d Hz, %d ms", nFreq, nMs);
    std::function<void(int, int)> handler;
    {
        std::lock_guard lock(g_beepMutex);
        handler = g_beepHandler;
    }
    if (handler) handler(nFreq, nMs);
}

}  // namespace platform
