#include "core/gl_object.h"

namespace {
IObjectRenderer* g_pObjectRenderer = nullptr;
}

void SetObjectRenderer(IObjectRenderer* renderer) { g_pObjectRenderer = renderer; }
IObjectRenderer* GetObjectRenderer() { return g_pObjectRenderer; }

void CGLObject::Draw() {
    if (m_hModel == kNoModel || g_pObjectRenderer == nullptr) return;
    g_pObjectRenderer->DrawObject(*this);
}
