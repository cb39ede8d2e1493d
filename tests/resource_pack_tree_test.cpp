// The folder tree of a pack: a damaged entry name ("a//b") or an absurdly deep tree is reported
// as a damaged pack instead of walking without end; an ordinary tree still opens.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "app/framework/resource.h"
#include "platform/crc32.h"
#include "tests/log_capture.h"
#include "tools/assetgen/zip_writer.h"

namespace {

using assetgen::Bytes;

// The files with a correct manifest beside them.
Bytes PackOf(std::map<std::string, Bytes> files) {
    std::string manifest;
    for (const auto& [name, data] : files) {
        char fields[48];
        std::snprintf(fields, sizeof fields, " %zu %08x\n", data.size(), platform::Crc32(data.data(), data.size()));
        manifest += name + fields;
    }
    files["manifest.txt"] = Bytes(manifest.begin(), manifest.end());
    return assetgen::WriteStoredZip(files);
}

std::string Nested(int depth) {
    std::string path;
    for (int i = 0; i < depth; ++i) path += "d/";
    return path + "x.bin";
}

TEST(ResourcePackTree, DamagedTreesAreRefusedAndOrdinaryOnesOpen) {
    struct SCase {
        const char* what;
        std::string entry;
        bool opens;
        const char* reason;  // in LastError when refused
    };
    const SCase cases[] = {
        {"three folders deep", "models/3ds/x/y.bin", true, ""},
        {"sixteen folders deep", Nested(16), true, ""},
        {"empty folder name", "models//x.bin", false, "lacks it"},
        {"forty folders deep", Nested(40), false, "nest deeper"},
    };
    CLogCapture log;
    const std::string path = ::testing::TempDir() + "kd_pack_tree_" + std::to_string(getpid()) + ".dat";
    for (const SCase& c : cases) {
        const Bytes zip = PackOf({{c.entry, Bytes{1, 2, 3}}, {"top.bin", Bytes{4}}});
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(zip.data()), static_cast<std::streamsize>(zip.size()));
        CResource pack;
        pack.SetDatFile(path);
        EXPECT_EQ(pack.Open(), c.opens) << c.what << ": " << pack.LastError();
        if (!c.opens) {
            EXPECT_NE(pack.LastError().find(c.reason), std::string::npos)
                << c.what << ": expected the reason \"" << c.reason << "\", got: " << pack.LastError();
            continue;
        }
        Bytes out;
        const size_t slash = c.entry.rfind('/');
        EXPECT_TRUE(pack.ReadFile(c.entry.substr(0, slash), c.entry.substr(slash + 1), out)) << c.what;
        EXPECT_EQ(out, (Bytes{1, 2, 3})) << c.what;
    }
    std::remove(path.c_str());
}

}  // namespace
