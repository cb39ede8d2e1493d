// Fuzzes the settings reader: the ini text rules on the raw bytes, then the settings record loaded
// from, saved to and loaded again from a file holding those bytes. One thread.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "core/game_settings.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

const char* const kSection = "Kelvo Dara";
const char* const kKeys[] = {"GameMode", "TurnType", "CheckType", "BoardType", "MyWhite", "FullScreen", "StarType",
                             "DepthBits", "Unknown"};
constexpr int kKeyCount = 9;
// Far from any value a key reads as when missing, so "unchanged" cannot pass by accident.
int Get(const std::string& text, const char* section, const char* key) {
    return platform::GetProfileIntFromText(text, section, key, -77777);
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
    // Writing one key reads back as written, is idempotent, and leaves every other lookup alone.
    const size_t seed = std::hash<std::string>{}(text);
    for (int k = 0; k < kKeyCount; ++k) {
        const int value = static_cast<int>(static_cast<uint32_t>(seed >> (k * 4)) ^ static_cast<uint32_t>(k * 7919));
        const std::string written = platform::SetProfileStringInText(text, kSection, kKeys[k], std::to_string(value));
        KD_FUZZ_REQUIRE(Get(written, kSection, kKeys[k]) == value, "key %s written as %d reads back otherwise", kKeys[k], value);
        KD_FUZZ_REQUIRE(platform::SetProfileStringInText(written, kSection, kKeys[k], std::to_string(value)) == written,
                        "writing %s=%d a second time changed the text", kKeys[k], value);
        for (int j = 0; j < 2 * kKeyCount; ++j) {
            const char* section = j < kKeyCount ? kSection : "Other";
            KD_FUZZ_REQUIRE(j == k || Get(text, section, kKeys[j % kKeyCount]) == Get(written, section, kKeys[j % kKeyCount]),
                            "writing %s changed [%s] %s", kKeys[k], section, kKeys[j % kKeyCount]);
        }
    }
    // Load, Save, Load again gives the same record; a second Save writes the same bytes; keys the
    // record does not own are kept.
    const std::string path = CGameSettings::FilePath();
    KD_FUZZ_REQUIRE(kdfuzz::WriteBytes(path, text.data(), text.size()), "cannot write %s", path.c_str());
    CGameSettings first, second;
    first.Load();
    std::string saved, again;
    KD_FUZZ_REQUIRE(first.Save() && kdfuzz::ReadBytes(path, saved), "saving over a readable file failed");
    second.Load();
    const auto persisted = [](const CGameSettings& s) {
        return std::vector<int>{s.GameMode, s.TurnType, s.CheckType, s.BoardType, s.MyWhite, s.FullScreen, s.StarType, s.DepthBits};
    };
    KD_FUZZ_REQUIRE(persisted(first) == persisted(second), "a saved record loads back different");
    KD_FUZZ_REQUIRE(second.Save() && kdfuzz::ReadBytes(path, again) && again == saved, "a second save wrote different bytes");
    KD_FUZZ_REQUIRE(Get(text, kSection, "Unknown") == Get(saved, kSection, "Unknown") &&
                        Get(text, "Other", "GameMode") == Get(saved, "Other", "GameMode"),
                    "saving changed a key the settings do not own");
    return 0;
}
