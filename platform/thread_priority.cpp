#include "platform/thread_priority.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace platform {

bool LowerThisThreadPriority() {
#if defined(__linux__)
    // On Linux the nice value belongs to the thread: the window thread keeps its own.
    const auto tid = static_cast<id_t>(syscall(SYS_gettid));
    return setpriority(PRIO_PROCESS, tid, kBackgroundNice) == 0;
#else
    return false;
#endif
}

}  // namespace platform
