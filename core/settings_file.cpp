// The persisted part of CGameSettings: eight integer keys in kelvodara.ini. Window thread
// (and the entry function before the window exists).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/game_settings.h"
#include "platform/ini_file.h"
#include "platform/log.h"
#include "platform/paths.h"

namespace {

constexpr const char* kFileName = "kelvodara.ini";
constexpr const char* kSection = "Kelvo Dara";

// One persisted key: its name, the value a missing key reads as, its field, and the values
// the game knows (none listed: any value). A value outside the list plays and shows as the
// missing-key value, which is also the item the setup screen falls back to.
struct SPersistedKey {
    const char* szName;
    int nMissing;
    int (*get)(const CGameSettings&);
    void (*set)(CGameSettings&, int);
    int aValues[3];
    int nValues;  // 0: any value
    int nTableSize = 0;  // when set, the values are the indices of a table: 0 .. nTableSize - 1
};

template <int CGameSettings::*Field>
int GetInt(const CGameSettings& s) { return s.*Field; }
template <int CGameSettings::*Field>
void SetInt(CGameSettings& s, int v) { s.*Field = v; }
int GetFullScreen(const CGameSettings& s) { return s.FullScreen ? 1 : 0; }
void SetFullScreen(CGameSettings& s, int v) { s.FullScreen = v != 0; }

constexpr int kStarsMissing = 2;  // no key: no star models, the same as off
constexpr int kDepthMissing = 32;

// File order; Load and Save both walk it in this order.
constexpr SPersistedKey kKeys[] = {
    {"GameMode", 0, GetInt<&CGameSettings::GameMode>, SetInt<&CGameSettings::GameMode>, {0, 1}, 2},
    {"TurnType", 0, GetInt<&CGameSettings::TurnType>, SetInt<&CGameSettings::TurnType>, {0, 1}, 2},
    {"CheckType", CHECK_BONE, GetInt<&CGameSettings::CheckType>, SetInt<&CGameSettings::CheckType>, {}, 0,
     kMaterialCount},
    {"BoardType", BOARD_SQUARE, GetInt<&CGameSettings::BoardType>, SetInt<&CGameSettings::BoardType>, {}, 0,
     kBoardCount},
    {"MyWhite", 1, GetInt<&CGameSettings::MyWhite>, SetInt<&CGameSettings::MyWhite>, {0, 1}, 2},
    {"FullScreen", 0, GetFullScreen, SetFullScreen, {}, 0},  // any non-zero value is full screen
    {"StarType", kStarsMissing, GetInt<&CGameSettings::StarType>, SetInt<&CGameSettings::StarType>,
     {0, 1, kStarsMissing}, 3},
    {"DepthBits", kDepthMissing, GetInt<&CGameSettings::DepthBits>, SetInt<&CGameSettings::DepthBits>,
     {16, 24, kDepthMissing}, 3},
};

// The value a key plays with: as read when the key knows it, else the missing-key value.
int Listed(const SPersistedKey& key, int nValue) {
    const int* pEnd = key.aValues + key.nValues;
    if (key.nTableSize > 0 ? nValue >= 0 && nValue < key.nTableSize
                           : key.nValues == 0 || std::find(key.aValues, pEnd, nValue) != pEnd)
        return nValue;
    platform::Log("settings: %s=%d is not one of its values; using %d", key.szName, nValue, key.nMissing);
    return key.nMissing;
}

// The file's text; no file (or no folder) reads as empty. False, with errno, when the file
// is there but cannot be read.
bool ReadSettingsText(const std::string& path, std::string& text) {
    text.clear();
    return platform::ReadTextFile(path, text) || errno == ENOENT || errno == ENOTDIR;
}

// errno of a failure that may not have set one.
int FailureCode() { return errno != 0 ? errno : EIO; }

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
        key.set(*this, Listed(key, platform::GetProfileIntFromText(text, kSection, key.szName, key.nMissing)));
}

bool CGameSettings::Save() {
    const std::string path = FilePath();
    std::string text;
    m_nSaveError = 0;
    // A file we could not read may hold someone's data: leave it alone rather than replace it.
    if (!ReadSettingsText(path, text)) {
        m_nSaveError = FailureCode();
        platform::Log("settings: not saved, %s exists but cannot be read (%s)", path.c_str(), std::strerror(errno));
        return false;
    }
    for (const SPersistedKey& key : kKeys) {
        char value[16];
        std::snprintf(value, sizeof value, "%i", key.get(*this));
        text = platform::SetProfileStringInText(text, kSection, key.szName, value);
    }
    if (!platform::EnsureDir(platform::ConfigDir())) {
        m_nSaveError = FailureCode();
        platform::Log("settings: not saved, cannot create the folder %s", platform::ConfigDir().c_str());
        return false;
    }
    if (!platform::WriteFileAtomically(path, text)) {
        m_nSaveError = FailureCode();
        platform::Log("settings: not saved, cannot write %s (%s)", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}
