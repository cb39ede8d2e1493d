// timeGetTime: milliseconds of a steady clock as a wrapping 32-bit count.
// Tests replace the source so they can say "35 ms later".
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

uint32_t TimeGetTime();
// An empty function restores the steady clock.
void SetTimeSource(std::function<uint32_t()> source);

}  // namespace platform
