// The persisted part of CGameSettings: eight integer keys in kelvodara.ini. Window thread
// (and the entry function before the window exists).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/game_settings.h"
#include "platform/ini_file.h"
#include "platform/log.h"
#include "platform/paths.h"

namespace {

constexpr const char* kFileName = "kelvodara.ini";
constexpr const char* kSection = "Kelvo Dara";

// One persisted key: its name, the value a missing key reads as, and its field.
struct SPersistedKey {
    const char* szName;
    int nMissing;
    int (*get)(const CGameSettings&);
    void (*set)(CGameSettings&, int);
};

template <int CGameSettings::*Field>
int GetInt(const CGameSettings& s) { return s.*Field; }
template <int CGameSettings::*Field>
void SetInt(CGameSettings& s, int v) { s.*Field = v; }
int GetFullScreen(const CGameSettings& s) { return s.FullScreen ? 1 : 0; }
void SetFullScreen(CGameSettings& s, int v) { s.FullScreen = v != 0; }

// File order; Load and Save both walk it in this order.
constexpr SPersistedKey kKeys[] = {
    {"GameMode", 0, GetInt<&CGameSettings::GameMode>, SetInt<&CGameSettings::GameMode>},
    {"TurnType", 0, GetInt<&CGameSettings::TurnType>, SetInt<&CGameSettings::TurnType>},
    {"CheckType", 0, GetInt<&CGameSettings::CheckType>, SetInt<&CGameSettings::CheckType>},
    {"BoardType", 0, GetInt<&CGameSettings::BoardType>, SetInt<&CGameSettings::BoardType>},
    {"MyWhite", 1, GetInt<&CGameSettings::MyWhite>, SetInt<&CGameSettings::MyWhite>},
    {"FullScreen", 0, GetFullScreen, SetFullScreen},
    {"StarType", 2, GetInt<&CGameSettings::StarType>, SetInt<&CGameSettings::StarType>},
    {"DepthBits", 32, GetInt<&CGameSettings::DepthBits>, SetInt<&CGameSettings::DepthBits>},
};

// The file's text; no file (or no folder) reads as empty. False, with errno, when the file
// is there but cannot be read.
bool ReadSettingsText(const std::string& path, std::string& text) {
    text.clear();
    return platform::ReadTextFile(path, text) || errno == ENOENT || errno == ENOTDIR;
}

}  // namespace

std::string CGameSettings::FilePath() { return platform::ConfigDir() + "/" + kFileName; }

void CGameSettings::Load() {
    const std::string path = FilePath();
    std::string text;
    if (!ReadSettingsText(path, text)) {
        platform::Log("settings: cannot read %s (%s); using the defaults", path.c_str(), std::strerror(errno));
        text.clear();
    }
    for (const SPersistedKey& key : kKeys)
        key.set(*this, platform::GetProfileIntFromText(text, kSection, key.szName, key.nMissing));
}

bool CGameSettings::Save() const {
    const std::string path = FilePath();
    std::string text;
    // A file we could not read may hold someone's data: leave it alone rather than replace it.
    if (!ReadSettingsText(path, text)) {
        platform::Log("settings: not saved, %s exists but cannot be read (%s)", path.c_str(), std::strerror(errno));
        return false;
    }
    for (const SPersistedKey& key : kKeys) {
        char value[16];
        std::snprintf(value, sizeof value, "%i", key.get(*this));
        text = platform::SetProfileStringInText(text, kSection, key.szName, value);
    }
    if (!platform::EnsureDir(platform::ConfigDir())) {
        platform::Log("settings: not saved, cannot create the folder %s", platform::ConfigDir().c_str());
        return false;
    }
    if (!platform::WriteFileAtomically(path, text)) {
        platform::Log("settings: not saved, cannot write %s (%s)", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}
