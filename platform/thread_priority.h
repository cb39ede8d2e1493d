// Background work (the computer choosing its flick) runs below the window thread, so on a
// machine with few cores the frames keep their pace while it searches. Calling thread only.
#pragma once

namespace platform {

// The nice value the background threads take (Linux); new threads they start inherit it.
inline constexpr int kBackgroundNice = 10;

// Lowers the calling thread's priority; false (and nothing changed) where the system refuses.
bool LowerThisThreadPriority();

}  // namespace platform
