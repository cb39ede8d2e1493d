// Hands memory the allocator keeps after large frees back to the system, so a long flick's
// records do not stay resident for the rest of the game. Any thread; a no-op where the
// allocator offers no such call.
#pragma once

namespace platform {

void ReturnFreeMemory();

}  // namespace platform
