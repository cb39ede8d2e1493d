// Linked into test binaries that make GL contexts: Mesa keeps a few hundred small blocks per
// context to the end and unloads its driver at exit, so LeakSanitizer would report them from
// an unknown module. The driver libraries are kept loaded and their blocks suppressed; leaks
// of our own code are still reported. Under X, SDL's D-Bus connection keeps one block too.
#include <dlfcn.h>

#include <initializer_list>

extern "C" const char* __lsan_default_suppressions() {
    return "leak:swrast_dri.so\nleak:kms_swrast_dri.so\nleak:libEGL_mesa.so\nleak:libGLX_mesa.so\n"
           "leak:libgallium\nleak:libLLVM\nleak:libdbus-1.so\n";
}

namespace {

[[maybe_unused]] const bool g_bDriversKeptLoaded = [] {
    for (const char* library : {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "libEGL_mesa.so.0", "libGLX_mesa.so.0"})
        dlopen(library, RTLD_NOW | RTLD_NODELETE);
    return true;
}();

}  // namespace
