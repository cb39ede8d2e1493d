#include "platform/crt_rand.h"

namespace platform {
namespace {
uint32_t g_randState = 1;
}

int Rand() {
    g_randState = NextRandState(g_randState);
    return RandValue(g_randState);
}

uint32_t GetRandState() { return g_randState; }
void SetRandState(uint32_t state) { g_randState = state; }

}  // namespace platform
