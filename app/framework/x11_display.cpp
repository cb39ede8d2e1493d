// X11 behind SDL's back: the I/O error handler and the window manager check.
#include "app/framework/x11_display.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <string>

#include "platform/log.h"

namespace {

constexpr int kDisplayLostExitCode = 1;

// Xlib calls this when the connection breaks and ends the process itself if it returns, so it
// never returns. A normal exit cannot be reached from here: nothing more can be drawn or read,
// static destructors would wait for worker threads that still wait on the process-wide
// events, and stopping the workers could wait for the window thread, which is this one. So
// the process ends at once. No save is under way (saves run on this thread, which is in an X
// call), and the settings file is only ever replaced whole, so the player's choices survive.
int OnDisplayLost(Display*) {
    platform::Log("The connection to the display was lost; the game ends");
    _exit(kDisplayLostExitCode);
}

}  // namespace

void EndProcessWhenDisplayLost() { XSetIOErrorHandler(OnDisplayLost); }

bool WindowManagerRuns(SDL_Window* pWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(pWindow, &info) || info.subsystem != SDL_SYSWM_X11) return true;
    Display* pDisplay = info.info.x11.display;
    const std::string selection = "WM_S" + std::to_string(DefaultScreen(pDisplay));
    if (XGetSelectionOwner(pDisplay, XInternAtom(pDisplay, selection.c_str(), False)) != None)
        return true;
    // A manager that skips the ICCCM selection still names its check window on the root.
    Atom type = None;
    int format = 0;
    unsigned long nItems = 0, nAfter = 0;
    unsigned char* pData = nullptr;
    const bool bNamed =
        XGetWindowProperty(pDisplay, DefaultRootWindow(pDisplay),
                           XInternAtom(pDisplay, "_NET_SUPPORTING_WM_CHECK", False), 0, 1, False,
                           XA_WINDOW, &type, &format, &nItems, &nAfter, &pData) == Success &&
        nItems == 1;
    if (pData) XFree(pData);
    return bNamed;
}
