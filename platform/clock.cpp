#include "platform/clock.h"

#include <chrono>
#include <mutex>

namespace platform {
namespace {
std::mutex g_clockMutex;
std::function<uint32_t()> g_timeSource;
}  // namespace

uint32_t TimeGetTime() {
    {
        std::lock_guard lock(g_clockMutex);
        if (g_timeSource) return g_timeSource();
    }
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return uint32_t(ms.count());
}

void SetTimeSource(std::function<uint32_t()> source) {
    std::lock_guard lock(g_clockMutex);
    g_timeSource = std::move(source);
}

}  // namespace platform
