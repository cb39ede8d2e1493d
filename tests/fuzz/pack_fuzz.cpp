// Fuzzes the resource pack: every input becomes a res.dat on disk that CResource opens and reads.
// Input layout (the seeds in seeds/pack are written in it):
//   byte 0, bits 0-1: 0 or 3 = we write a correct manifest for the files, 1 = the first file's
//                     bytes are the manifest text, 2 = the rest of the input is the pack itself
//           bits 2-3: with our manifest, a fault in it: 0 none, 1 wrong CRC, 2 wrong size, 3 line left out
//           bits 4-7: the manifest line the fault hits (modulo the file count)
//   then files: name length (1 byte), name, data length (2 bytes, little-endian), data;
//   a record cut off by the end of the input ends the list.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/framework/resource.h"
#include "platform/crc32.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/assetgen/zip_writer.h"

namespace {

enum EFault { kNoFault, kWrongCrc, kWrongSize, kLineLeftOut };
// Folders as the game names them; lookups write them with backslashes, the pack with slashes.
const char* const kFolders[] = {"", "textures", "models/3ds", "sound/fx"};
std::string g_packPath;
using Files = std::map<std::string, assetgen::Bytes>;

std::string Cased(std::string s, bool upper) {
    for (char& c : s) c = static_cast<char>(upper ? std::toupper(c & 0xFF) : std::tolower(c & 0xFF));
    return s;
}

void Open(const uint8_t* data, size_t size, CResource& pack) {
    KD_FUZZ_REQUIRE(kdfuzz::WriteBytes(g_packPath, data, size), "cannot write the pack");
    pack.SetDatFile(g_packPath);
    pack.Open();
}

// Packs and opens the files; false when our writer refuses a name (no pack of ours has it).
bool Pack(const Files& files, CResource& pack) try {
    const assetgen::Bytes zip = assetgen::WriteStoredZip(files);
    return Open(zip.data(), zip.size(), pack), true;
} catch (const std::exception&) {
    return false;
}

// Our manifest: every file reads back exactly however its folder is spelled, unless the fault
// broke it; a wrong size or a missing line refuses the whole pack.
void CheckOurManifest(int fault, size_t victimLine, const std::vector<std::pair<std::string, assetgen::Bytes>>& in) {
    Files files;
    for (size_t i = 0; i < in.size(); ++i) {
        std::string safe;
        for (char c : in[i].first) if (std::isalnum(static_cast<unsigned char>(c)) && safe.size() < 24) safe += c;
        const std::string folder = kFolders[i % 4];
        files[(folder.empty() ? "" : folder + "/") + "f" + std::to_string(i) + "_" + Cased(safe, false) + ".bin"] =
            in[i].second;
    }
    std::string manifest, victim;
    size_t line = 0;
    for (const auto& [name, data] : files) {
        const bool hit = fault != kNoFault && line++ == victimLine % files.size();
        if (hit) victim = name;
        if (hit && fault == kLineLeftOut) continue;
        char fields[48];
        std::snprintf(fields, sizeof fields, " %zu %08x\n", data.size() + (hit && fault == kWrongSize),
                      platform::Crc32(data.data(), data.size()) ^ (hit && fault == kWrongCrc));
        manifest += name + fields;
    }
    Files packed = files;
    packed["manifest.txt"].assign(manifest.begin(), manifest.end());
    CResource pack;
    KD_FUZZ_REQUIRE(Pack(packed, pack), "our own pack names were refused");
    const bool refused = files.empty() || fault == kWrongSize || fault == kLineLeftOut;
    KD_FUZZ_REQUIRE(pack.IsOpen() == !refused, "fault %d: open is %d (%s)", fault, pack.IsOpen(), pack.LastError().c_str());
    int i = 0;
    for (const auto& [name, data] : files) {
        const size_t slash = name.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : name.substr(0, slash), file = name.substr(slash + 1);
        const bool odd = i++ % 2;
        std::string spelled = odd ? Cased(folder, true) : "./" + folder;
        if (odd) std::replace(spelled.begin(), spelled.end(), '/', '\\');
        std::vector<uint8_t> out;
        const bool read = pack.ReadFile(spelled, odd ? Cased(file, true) : file, out);
        KD_FUZZ_REQUIRE(read == (!refused && !(fault == kWrongCrc && name == victim)), "%s as %s: read %d", name.c_str(),
                        spelled.c_str(), read);
        KD_FUZZ_REQUIRE(read ? out == data : out.empty(), "%s: wrong bytes handed out", name.c_str());
        KD_FUZZ_REQUIRE(pack.Exists(spelled, file) == !refused, "%s: exists is wrong", name.c_str());
        KD_FUZZ_REQUIRE(!pack.ReadFile("..\\" + folder, file, out), "%s read from above the pack", name.c_str());
    }
    KD_FUZZ_REQUIRE(!pack.Exists("", "not_in_the_pack.bin"), "a name nobody packed exists");
}

// Their manifest, or raw pack bytes: a read hands out the bytes of a packed file of that name
// (without case), and nothing is read from a pack that did not open.
void CheckForeignPack(const Files& files, const std::vector<std::string>& names, CResource& pack) {
    for (const std::string& name : names) {
        const size_t slash = name.rfind('/');
        std::string folder = slash == std::string::npos ? "" : name.substr(0, slash), file = name.substr(slash + 1);
        std::replace(folder.begin(), folder.end(), '/', '\\');
        std::vector<uint8_t> out;
        if (!pack.ReadFile(folder, file, out)) continue;
        KD_FUZZ_REQUIRE(pack.IsOpen() && pack.Exists(folder, file), "%s read from a closed pack", name.c_str());
        const std::string wanted = Cased(CResource::JoinPath(folder, file), false);
        KD_FUZZ_REQUIRE(files.empty() || std::any_of(files.begin(), files.end(), [&](const auto& f) {
                            return Cased(f.first, false) == wanted && f.second == out;
                        }), "%s read bytes that no file of that name holds", name.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdfuzz::SilenceLog();
    g_packPath = kdfuzz::ScratchDir("pack") + "/res.dat";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0] & 3;
    CResource pack;
    if (mode == 2) return Open(data + 1, size - 1, pack), CheckForeignPack({}, {"manifest.txt", "a", "sound/click.wav"}, pack), 0;
    std::vector<std::pair<std::string, assetgen::Bytes>> records;
    for (const uint8_t *p = data + 1, *end = data + size; end - p >= 1;) {
        const size_t nameLen = *p++;
        if (size_t(end - p) < nameLen + 2) break;
        const size_t dataLen = size_t(p[nameLen]) | (size_t(p[nameLen + 1]) << 8);
        if (size_t(end - p) < nameLen + 2 + dataLen) break;
        records.emplace_back(std::string(p, p + nameLen), assetgen::Bytes(p + nameLen + 2, p + nameLen + 2 + dataLen));
        p += nameLen + 2 + dataLen;
    }
    if (mode != 1) return CheckOurManifest((data[0] >> 2) & 3, data[0] >> 4, records), 0;
    if (records.empty()) return 0;
    Files files{{"manifest.txt", records[0].second}};
    std::vector<std::string> names;
    for (size_t i = 1; i < records.size(); ++i) {
        std::string name = records[i].first.empty() ? "_" : records[i].first;
        for (char& c : name) if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F || c == '\\') c = '_';
        files.emplace(name, records[i].second);
        names.push_back(name);
    }
    if (Pack(files, pack)) CheckForeignPack(files, names, pack);
    return 0;
}
