// Beep(freq, ms): the signal of a failure inside a worker computation. It writes a
// log line; the framework installs a tone player when an audio device is open.
#pragma once

#include <functional>

namespace platform {

void Beep(int nFreq, int nMs);
// Replaces what a beep does besides logging (tests count beeps; the framework plays a tone).
void SetBeepHandler(std::function<void(int nFreq, int nMs)> handler);

}  // namespace platform
