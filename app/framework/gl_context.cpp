// The GL context generation counter.
#include "app/framework/gl_context.h"

#include "app/framework/model_registry.h"

namespace {
unsigned g_nLastGeneration = 0;
unsigned g_nCurrentGeneration = 0;
}  // namespace

unsigned CurrentGlContextGeneration() { return g_nCurrentGeneration; }

void NoteGlContextCreated() { g_nCurrentGeneration = ++g_nLastGeneration; }

void NoteGlContextDestroyed() {
    g_nCurrentGeneration = 0;
    ForgetModelGlObjects();
}
