// The process-wide window handle behind GetGameWndHandle; atomic because workers read it while
// the window thread sets it.
#include "app/game_handle.h"

#include <atomic>

namespace {
std::atomic<HWND> g_hGameWnd{nullptr};
}  // namespace

HWND GetGameWndHandle() { return g_hGameWnd.load(std::memory_order_acquire); }

void SetGameWndHandle(HWND hWnd) { g_hGameWnd.store(hWnd, std::memory_order_release); }
