// What an installed game relies on: the order in which res.dat is looked for (beside the binary,
// then ../share/kelvodara, then the compiled-in and system data folders).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/framework/resource.h"

namespace {

const std::string kCompiledDataDir = KD_DATA_DIR;
const std::string kSystemDataDir = "/usr/share/kelvodara";

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& v) {
    std::vector<std::string> out;
    for (const auto& e : v)
        if (std::find(out.begin(), out.end(), e) == out.end()) out.push_back(e);
    return out;
}

// ---- where the pack is looked for ----

TEST(PackLookup, PlacesComeInOrderBesideThenInstalledThenDataFolders) {
    const std::string compiled = kCompiledDataDir + "/res.dat", system = kSystemDataDir + "/res.dat";
    const struct {
        const char* label;
        std::string exeDir, datFile;
        std::vector<std::string> extra, expected;
    } cases[] = {
        {"installed under /usr", "/usr/bin/", "res.dat", {},
         WithoutRepeats({"/usr/bin/res.dat", "/usr/share/kelvodara/res.dat", compiled, system})},
        {"a Debian game in /usr/games", "/usr/games/", "res.dat", {},
         WithoutRepeats({"/usr/games/res.dat", "/usr/share/kelvodara/res.dat", compiled, system})},
        {"installed under /opt, no trailing slash", "/opt/kd/bin", "res.dat", {},
         WithoutRepeats({"/opt/kd/bin/res.dat", "/opt/kd/share/kelvodara/res.dat", compiled, system})},
        {"run from a build folder, added folders last", "/home/u/kd/build/", "res.dat", {"/tmp/a", "/tmp/b/"},
         WithoutRepeats({"/home/u/kd/build/res.dat", "/home/u/kd/share/kelvodara/res.dat", compiled, system,
                         "/tmp/a/res.dat", "/tmp/b/res.dat"})},
        {"an added folder that is already searched comes once", "/usr/bin/", "res.dat", {"/usr/bin", "/usr/share/kelvodara/"},
         WithoutRepeats({"/usr/bin/res.dat", "/usr/share/kelvodara/res.dat", compiled, system})},
        {"executable folder unknown", "", "other.dat", {"/x"},
         WithoutRepeats({kCompiledDataDir + "/other.dat", kSystemDataDir + "/other.dat", "/x/other.dat"})},
        {"a path is the only place", "/usr/bin/", "/srv/packs/res.dat", {"/x"}, {"/srv/packs/res.dat"}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> actual = CResource::SearchPlaces(c.exeDir, c.datFile, c.extra);
        EXPECT_EQ(actual, c.expected) << c.label;
    }
}

}  // namespace
