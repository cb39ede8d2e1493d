// The ALT+TAB hot key: atoms, registration, and the keyboard grab that stands for it while
// the window is full screen.
#include <map>
#include <mutex>
#include <string>

#include "app/framework/gl_wnd.h"
#include "app/framework/win_messages.h"
#include "app/framework/window_backend.h"

namespace {

constexpr const char* kAltTabAtomName = "MOD_ALT+VK_TAB";
constexpr unsigned kModAlt = 0x0001;  // MOD_ALT
// String atoms live from 0xC000 up, as Windows numbers them.
constexpr uint16_t kFirstAtom = 0xC000;

struct SAtom {
    uint16_t nId = 0;
    int nRefs = 0;
};

std::mutex g_atomMutex;
std::map<std::string, SAtom> g_atoms;
uint16_t g_nNextAtom = kFirstAtom;

}  // namespace

uint16_t GlobalAddAtomA(const char* name) {
    if (name == nullptr || *name == '\0') {
        CGLWnd::SetLastErrorText("an atom needs a name");
        return 0;
    }
    std::lock_guard<std::mutex> lock(g_atomMutex);
    SAtom& atom = g_atoms[name];
    if (atom.nRefs == 0) {
        if (g_nNextAtom == 0) {  // all 16 K string atoms used up
            g_atoms.erase(name);
            CGLWnd::SetLastErrorText("the atom table is full");
            return 0;
        }
        atom.nId = g_nNextAtom++;
    }
    ++atom.nRefs;
    return atom.nId;
}

void GlobalDeleteAtom(uint16_t nAtom) {
    std::lock_guard<std::mutex> lock(g_atomMutex);
    for (auto it = g_atoms.begin(); it != g_atoms.end(); ++it) {
        if (it->second.nId != nAtom) continue;
        if (--it->second.nRefs <= 0) g_atoms.erase(it);
        return;
    }
}

bool CGLWnd::RegisterHotKey(uint16_t nId, unsigned /*nModifiers*/, unsigned /*nVirtualKey*/) {
    if (!m_bCreated) {
        SetLastErrorText("no window for the hot key");
        return false;
    }
    if (m_registeredHotKeys.count(nId) != 0) {
        SetLastErrorText("hot key " + std::to_string(nId) + " is already registered");
        return false;
    }
    if (IsFullScreen() && !m_bKeyboardGrabbed) {
        if (!m_pBackend->SetKeyboardGrab(true)) {
            SetLastErrorText("the keyboard grab was refused");
            return false;
        }
        m_bKeyboardGrabbed = true;
    }
    m_registeredHotKeys.insert(nId);
    return true;
}

bool CGLWnd::UnregisterHotKey(uint16_t nId) {
    if (m_registeredHotKeys.erase(nId) == 0) {
        SetLastErrorText("hot key " + std::to_string(nId) + " is not registered");
        return false;
    }
    if (m_registeredHotKeys.empty() && m_bKeyboardGrabbed) {
        if (m_bCreated) m_pBackend->SetKeyboardGrab(false);
        m_bKeyboardGrabbed = false;
    }
    return true;
}

bool CGLWnd::RegisterAltTabHotKey() {
    m_nHotKeyId = GlobalAddAtomA(kAltTabAtomName);
    if (m_nHotKeyId == 0) {
        wlog("Can't get global atom MOD_ALT+VK_TAB");
        LogLastError();
        return false;
    }
    if (!RegisterHotKey(m_nHotKeyId, kModAlt, VK_TAB)) {
        wlog("Can't register HotKey ALT+TAB");
        LogLastError();
        return false;
    }
    return true;
}

void CGLWnd::UnregisterAltTabHotKey() {
    // A window never registers the hot key, so there is nothing to undo and nothing to report.
    if (m_registeredHotKeys.count(m_nHotKeyId) != 0) UnregisterHotKey(m_nHotKeyId);
    GlobalDeleteAtom(m_nHotKeyId);
}
