// Fuzzes the resource pack: every input becomes a res.dat on disk that CResource opens and reads.
// Input layout (seeds are written in it):
//   byte 0, bits 0-1: 0 or 3 = we write a correct manifest for the files, 1 = the first file's
//                     bytes are the manifest text, 2 = the rest of the input is the pack itself
//           bits 2-3: with our manifest, a fault in it: 0 none, 1 wrong CRC, 2 wrong size, 3 line left out
//           bits 4-7: the file the fault hits (modulo the file count)
//   then files: name length (1 byte), name, data length (2 bytes, little-endian), data;
//   a record cut off by the end of the input ends the list.
// One thread.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/framework/resource.h"
#include "platform/crc32.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/assetgen/zip_writer.h"

namespace {

enum EMode { kOurManifest = 0, kTheirManifest = 1, kRawPack = 2 };
enum EFault { kNoFault = 0, kWrongCrc = 1, kWrongSize = 2, kLineLeftOut = 3 };
constexpr uint8_t kModeMask = 0x03, kFaultShift = 2, kFaultMask = 0x03, kVictimShift = 4;
constexpr size_t kMaxSafeNameChars = 24;
// Folders as the game names them; lookups write them with backslashes, the pack with slashes.
const char* const kFolders[] = {"", "textures", "models/3ds", "sound/fx"};
constexpr size_t kFolderCount = sizeof kFolders / sizeof kFolders[0];

std::string g_packPath;

struct SRecord {
    std::string name;
    std::vector<uint8_t> data;
};

std::vector<SRecord> SplitRecords(const uint8_t* p, const uint8_t* end) {
    std::vector<SRecord> out;
    while (end - p >= 1) {
        const size_t nameLen = *p++;
        if (size_t(end - p) < nameLen + 2) break;
        std::string name(reinterpret_cast<const char*>(p), nameLen);
        p += nameLen;
        const size_t dataLen = size_t(p[0]) | (size_t(p[1]) << 8);
        p += 2;
        if (size_t(end - p) < dataLen) break;
        out.push_back({std::move(name), std::vector<uint8_t>(p, p + dataLen)});
        p += dataLen;
    }
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Backslashed(std::string s) {
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

bool WritePack(const std::map<std::string, assetgen::Bytes>& files) {
    assetgen::Bytes zip;
    try {
        zip = assetgen::WriteStoredZip(files);
    } catch (const std::exception&) {
        return false;  // a name our writer refuses cannot be in a pack of ours
    }
    KD_FUZZ_REQUIRE(kdfuzz::WriteBytes(g_packPath, zip.data(), zip.size()), "cannot write %s", g_packPath.c_str());
    return true;
}

CResource* OpenPack() {
    auto* pack = new CResource;
    pack->SetDatFile(g_packPath);
    pack->Open();
    return pack;
}

// Our manifest: every file must read back exactly, however its folder is spelled, unless the
// fault broke it; a wrong size or a missing line refuses the whole pack.
void CheckOurManifest(uint8_t flags, const std::vector<SRecord>& records) {
    const int fault = (flags >> kFaultShift) & kFaultMask;
    std::map<std::string, assetgen::Bytes> files;
    std::vector<std::pair<std::string, std::string>> places;  // folder, file
    for (size_t i = 0; i < records.size(); ++i) {
        std::string safe;
        for (char c : records[i].name)
            if (std::isalnum(static_cast<unsigned char>(c)) && safe.size() < kMaxSafeNameChars)
                safe += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string folder = kFolders[i % kFolderCount];
        const std::string file = "f" + std::to_string(i) + "_" + safe + ".bin";
        places.emplace_back(folder, file);
        files[folder.empty() ? file : folder + "/" + file] = records[i].data;
    }
    const size_t victim = records.empty() ? 0 : (flags >> kVictimShift) % records.size();
    std::string manifest;
    size_t line = 0;
    for (const auto& [name, data] : files) {
        const size_t index = line++;
        const bool hit = index == victim && fault != kNoFault;
        if (hit && fault == kLineLeftOut) continue;
        const size_t size = data.size() + (hit && fault == kWrongSize ? 1 : 0);
        const uint32_t crc = platform::Crc32(data.data(), data.size()) ^ (hit && fault == kWrongCrc ? 1u : 0u);
        char fields[48];
        std::snprintf(fields, sizeof fields, " %zu %08x\n", size, crc);
        manifest += name + fields;
    }
    files["manifest.txt"] = assetgen::Bytes(manifest.begin(), manifest.end());
    KD_FUZZ_REQUIRE(WritePack(files), "our own pack names were refused");

    std::unique_ptr<CResource> pack(OpenPack());
    const bool refusedWhole = records.empty() || fault == kWrongSize || fault == kLineLeftOut;
    KD_FUZZ_REQUIRE(pack->IsOpen() == !refusedWhole, "%zu files, fault %d: open is %d (%s)", records.size(), fault,
                    pack->IsOpen(), pack->LastError().c_str());
    // Map order is the manifest's line order; find which record each line came from.
    std::vector<std::string> lineNames;
    for (const auto& entry : files)
        if (entry.first != "manifest.txt") lineNames.push_back(entry.first);
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& [folder, file] = places[i];
        const std::string full = folder.empty() ? file : folder + "/" + file;
        const bool broken = fault == kWrongCrc && lineNames[victim] == full;
        const std::string spelledFolder = i % 2 ? Backslashed(Upper(folder)) : "./" + folder;
        std::vector<uint8_t> out;
        const bool read = pack->ReadFile(spelledFolder, i % 2 ? Upper(file) : file, out);
        const bool expected = !refusedWhole && !broken;
        KD_FUZZ_REQUIRE(read == expected, "%s as \"%s\": read %d, expected %d", full.c_str(), spelledFolder.c_str(),
                        read, expected);
        KD_FUZZ_REQUIRE(!read || out == records[i].data, "%s reads back different bytes", full.c_str());
        KD_FUZZ_REQUIRE(read || out.empty(), "%s failed but handed out %zu bytes", full.c_str(), out.size());
        KD_FUZZ_REQUIRE(pack->Exists(spelledFolder, file) == !refusedWhole, "%s: exists is wrong", full.c_str());
        KD_FUZZ_REQUIRE(!pack->ReadFile("..\\" + folder, file, out), "%s read from above the pack", full.c_str());
    }
    KD_FUZZ_REQUIRE(!pack->Exists("", "not_in_the_pack.bin"), "a name nobody packed exists");
}

// Their manifest: nothing is promised except that a read hands out the bytes of a packed file
// of that name (without case), and nothing is read from a pack that did not open.
void CheckTheirManifest(const std::vector<SRecord>& records) {
    if (records.empty()) return;
    std::map<std::string, assetgen::Bytes> files;
    files["manifest.txt"] = records[0].data;
    std::vector<std::string> names;
    for (size_t i = 1; i < records.size(); ++i) {
        std::string name = records[i].name.empty() ? "_" : records[i].name;
        for (char& c : name)
            if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F || c == '\\') c = '_';
        files.emplace(name, records[i].data);
        names.push_back(name);
    }
    if (!WritePack(files)) return;
    std::unique_ptr<CResource> pack(OpenPack());
    for (const std::string& name : names) {
        const size_t slash = name.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : Backslashed(name.substr(0, slash));
        const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
        std::vector<uint8_t> out;
        if (!pack->ReadFile(folder, file, out)) continue;
        KD_FUZZ_REQUIRE(pack->IsOpen(), "%s was read from a pack that is not open", name.c_str());
        KD_FUZZ_REQUIRE(pack->Exists(folder, file), "%s was read but does not exist", name.c_str());
        const std::string wanted = Lower(CResource::JoinPath(folder, file));
        bool matches = false;
        for (const auto& [packed, data] : files) matches = matches || (Lower(packed) == wanted && data == out);
        KD_FUZZ_REQUIRE(matches, "%s read bytes that no file of that name holds", name.c_str());
    }
}

// A pack of raw bytes: it opens or not, and reads must not go wrong either way.
void CheckRawPack(const uint8_t* data, size_t size) {
    KD_FUZZ_REQUIRE(kdfuzz::WriteBytes(g_packPath, data, size), "cannot write %s", g_packPath.c_str());
    std::unique_ptr<CResource> pack(OpenPack());
    std::vector<uint8_t> out;
    for (const char* name : {"manifest.txt", "a", "click.wav"}) {
        const bool read = pack->ReadFile("sound", name, out) || pack->ReadFile("", name, out);
        KD_FUZZ_REQUIRE(!read || pack->IsOpen(), "%s was read from a pack that is not open", name);
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
    const uint8_t flags = data[0];
    switch (flags & kModeMask) {
        case kTheirManifest: CheckTheirManifest(SplitRecords(data + 1, data + size)); break;
        case kRawPack: CheckRawPack(data + 1, size - 1); break;
        default: CheckOurManifest(flags, SplitRecords(data + 1, data + size)); break;
    }
    return 0;
}
