// Logs pending GL errors by name.
#include "app/framework/gl_check.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "platform/log.h"

namespace {
// glGetError keeps one flag per kind, so a handful of reads empties it; the bound guards a
// broken driver that never returns GL_NO_ERROR.
constexpr int kMaxErrorReads = 16;
}  // namespace

bool CheckGlErrors(const char* where) {
    bool bClean = true;
    for (int i = 0; i < kMaxErrorReads; ++i) {
        const GLenum e = glGetError();
        if (e == GL_NO_ERROR) break;
        bClean = false;
        platform::Log("GL error 0x%04x (%s) in %s", e,
                      reinterpret_cast<const char*>(gluErrorString(e)), where);
    }
    return bClean;
}
