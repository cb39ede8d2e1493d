// Fuzzes the settings reader: the ini text rules on the raw bytes, then the settings record loaded
// from, saved to and loaded again from a file holding those bytes. One thread.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/game_settings.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const char* const kSection = "Kelvo Dara";
const char* const kKeys[] = {"GameMode", "TurnType", "CheckType", "BoardType",
                             "MyWhite",  "FullScreen", "StarType", "DepthBits"};
// Far from any value a key reads as when missing, so "unchanged" cannot pass by accident.
constexpr int kProbeDefault = -77777;

// The persisted fields, for comparing two records.
struct SPersisted {
    int a[8];
    bool operator==(const SPersisted&) const = default;
};

SPersisted Persisted(const CGameSettings& s) {
    return {{s.GameMode, s.TurnType, s.CheckType, s.BoardType, s.MyWhite, s.FullScreen ? 1 : 0, s.StarType,
             s.DepthBits}};
}

int Get(const std::string& text, const char* section, const char* key) {
    return platform::GetProfileIntFromText(text, section, key, kProbeDefault);
}

// Writing one key reads back as written, is idempotent, and leaves every other lookup alone.
void CheckTextRules(const std::string& text) {
    const size_t seed = std::hash<std::string>{}(text);
    for (int k = 0; k < 8; ++k) {
        const int value = static_cast<int>(static_cast<uint32_t>(seed >> (k * 4)) ^ static_cast<uint32_t>(k * 7919));
        const std::string written = platform::SetProfileStringInText(text, kSection, kKeys[k], std::to_string(value));
        const int back = Get(written, kSection, kKeys[k]);
        KD_FUZZ_REQUIRE(back == value, "key %s written as %d reads back as %d", kKeys[k], value, back);
        const std::string twice = platform::SetProfileStringInText(written, kSection, kKeys[k], std::to_string(value));
        KD_FUZZ_REQUIRE(twice == written, "writing %s=%d a second time changed the text", kKeys[k], value);
        for (int j = 0; j < 8; ++j) {
            if (j == k) continue;
            const int before = Get(text, kSection, kKeys[j]), after = Get(written, kSection, kKeys[j]);
            KD_FUZZ_REQUIRE(before == after, "writing %s changed %s from %d to %d", kKeys[k], kKeys[j], before, after);
        }
        const int foreignBefore = Get(text, "Other", kKeys[k]), foreignAfter = Get(written, "Other", kKeys[k]);
        KD_FUZZ_REQUIRE(foreignBefore == foreignAfter, "writing %s changed [Other] %s from %d to %d", kKeys[k],
                        kKeys[k], foreignBefore, foreignAfter);
    }
}

// Load, Save, Load again gives the same record; a second Save writes the same bytes.
void CheckFileRoundTrip(const std::string& text) {
    const std::string path = CGameSettings::FilePath();
    KD_FUZZ_REQUIRE(kdfuzz::WriteBytes(path, text.data(), text.size()), "cannot write %s", path.c_str());
    CGameSettings first;
    first.Load();
    KD_FUZZ_REQUIRE(first.Save(), "saving over a readable file failed");
    std::string saved;
    KD_FUZZ_REQUIRE(kdfuzz::ReadBytes(path, saved), "the saved file cannot be read");
    CGameSettings second;
    second.Load();
    KD_FUZZ_REQUIRE(Persisted(first) == Persisted(second), "a saved record loads back different");
    KD_FUZZ_REQUIRE(second.Save(), "saving the saved file failed");
    std::string again;
    KD_FUZZ_REQUIRE(kdfuzz::ReadBytes(path, again) && again == saved, "a second save wrote different bytes");
    for (const char* key : {"Unknown", "GameMode"}) {
        const char* section = key[0] == 'U' ? kSection : "Other";
        const int before = Get(text, section, key), after = Get(saved, section, key);
        KD_FUZZ_REQUIRE(before == after, "saving changed [%s] %s from %d to %d", section, key, before, after);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdfuzz::SilenceLog();
    setenv("XDG_CONFIG_HOME", kdfuzz::ScratchDir("settings").c_str(), 1);
    const std::string dir = CGameSettings::FilePath().substr(0, CGameSettings::FilePath().rfind('/'));
    KD_FUZZ_REQUIRE(platform::EnsureDir(dir), "cannot create %s", dir.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckTextRules(text);
    CheckFileRoundTrip(text);
    return 0;
}
