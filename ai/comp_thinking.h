// Whether the computer's thread is choosing its flick right now (for the frame statistics).
#pragma once

#include <atomic>

extern std::atomic<int> g_bCompThinking;
