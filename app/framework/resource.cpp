// The resource pack: finds res.dat, mounts it with PhysicsFS and checks every read against the
// manifest (size and CRC-32). Open on one thread; reads from any thread once open.
#include "app/framework/resource.h"

#include <physfs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <sstream>

#include "core/asset_names.h"
#include "platform/crc32.h"
#include "platform/log.h"

#ifndef KD_DATA_DIR
#define KD_DATA_DIR "/usr/share/kelvodara"
#endif

namespace {

constexpr const char* kDefaultDatFile = "res.dat";
constexpr const char* kManifestName = assets::kManifest;
constexpr const char* kSystemDataDir = "/usr/share/kelvodara";
// Where an installed game's data lies seen from its bin/ folder, whatever the prefix.
constexpr const char* kDataDirFromExe = "../share/kelvodara";
// The real manifest is a few kilobytes; anything far larger is not ours.
constexpr PHYSFS_sint64 kMaxManifestBytes = 4 << 20;
// A packed file is read whole into memory, so a size claimed past these bounds is refused
// before anything is allocated: the largest real entry is about 2 MB, and deflate packs at
// most 1032 bytes into one.
constexpr uint64_t kMaxEntryBytes = 64ull << 20;
constexpr uint64_t kMaxDeflateRatio = 1032;
// Names from a damaged pack go into messages as printable ASCII of at most this length.
constexpr size_t kMaxShownName = 64;
constexpr int kCrcHexDigits = 8;
// Our packs are three folders deep at most; a far deeper tree is damage.
constexpr int kMaxFolderDepth = 16;

// A name from the pack as it may be shown: other bytes become '?', a long one is cut.
std::string Shown(const std::string& name) {
    std::string out;
    for (char c : name.substr(0, kMaxShownName)) out += (c >= ' ' && c <= '~') ? c : '?';
    return name.size() > kMaxShownName ? out + "..." : out;
}

std::string ToLower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The reason PhysicsFS gives, as " (reason)", or nothing when it gives none.
std::string PhysfsError() {
    const PHYSFS_ErrorCode code = PHYSFS_getLastErrorCode();
    const char* text = code == PHYSFS_ERR_OK ? nullptr : PHYSFS_getErrorByCode(code);
    return text ? std::string(" (") + text + ")" : "";
}

// ---------------------------------------------------------------------------------------------
// PhysicsFS is process-wide: every pack file is mounted once under its own mount point and shared
// by the CResource objects that opened it (PhysicsFS itself ignores a second mount of one file).

struct SMount {
    std::string point;
    int nRefs = 0;
};

// Never destroyed: a pack held by a static object closes after this file's statics would be gone.
struct SMountTable {
    std::mutex mutex;
    std::map<std::string, SMount> mounts;  // canonical pack path -> mount
    int nNext = 1;
};
SMountTable& Mounts() {
    static auto* pTable = new SMountTable;
    return *pTable;
}

bool AcquireMount(const std::string& path, std::string& point, std::string& error) {
    SMountTable& table = Mounts();
    std::lock_guard lock(table.mutex);
    if (!PHYSFS_isInit() && !PHYSFS_init(nullptr)) {
        error = "PhysicsFS does not start" + PhysfsError();
        return false;
    }
    auto it = table.mounts.find(path);
    if (it == table.mounts.end()) {
        const std::string newPoint = "kdpack" + std::to_string(table.nNext++);
        if (!PHYSFS_mount(path.c_str(), newPoint.c_str(), 1)) {
            error = "not a readable ZIP archive" + PhysfsError();
            return false;
        }
        it = table.mounts.emplace(path, SMount{newPoint, 0}).first;
    }
    ++it->second.nRefs;
    point = it->second.point;
    return true;
}

void ReleaseMount(const std::string& path) {
    SMountTable& table = Mounts();
    std::lock_guard lock(table.mutex);
    auto it = table.mounts.find(path);
    if (it == table.mounts.end() || --it->second.nRefs > 0) return;
    PHYSFS_unmount(path.c_str());
    table.mounts.erase(it);
}

std::string ExecutableDir() {
    {
        std::lock_guard lock(Mounts().mutex);
        if (PHYSFS_isInit() || PHYSFS_init(nullptr)) {
            const char* base = PHYSFS_getBaseDir();
            if (base && *base) return base;
        }
    }
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string exe(buf, static_cast<size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string InFolder(std::string dir, const std::string& file) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + file;
}

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

uint64_t FileBytes(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

std::string Canonical(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string out(real);
    std::free(real);
    return out;
}

// Reads a whole PhysicsFS file of known length; false when it cannot be read completely.
bool ReadPhysfsFile(const std::string& path, uint64_t size, std::vector<uint8_t>& out) {
    PHYSFS_File* f = PHYSFS_openRead(path.c_str());
    if (!f) return false;
    out.resize(size);
    const PHYSFS_sint64 got = size ? PHYSFS_readBytes(f, out.data(), size) : 0;
    PHYSFS_close(f);
    return got == static_cast<PHYSFS_sint64>(size);
}

// ---------------------------------------------------------------------------------------------
// Manifest: "<name> <size> <crc32 as 8 hex digits>" per line.

struct SEntry {
    std::string name;  // as stored in the pack
    uint64_t nSize = 0;
    uint32_t nCrc = 0;
};

bool ParseManifest(const std::string& text, std::map<std::string, SEntry>& entries, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int nLine = 0;
    while (std::getline(in, line)) {
        ++nLine;
        if (line.empty()) continue;
        std::istringstream fields(line);
        std::string name, size, crc, extra;
        fields >> name >> size >> crc;
        const bool sizeOk = !size.empty() && size.size() <= 12 &&
                            std::all_of(size.begin(), size.end(), [](char c) { return c >= '0' && c <= '9'; });
        const bool crcOk = crc.size() == kCrcHexDigits &&
                           std::all_of(crc.begin(), crc.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
        if (name.empty() || !sizeOk || !crcOk || (fields >> extra)) {
            error = "manifest line " + std::to_string(nLine) + " is malformed: \"" + Shown(line) + "\"";
            return false;
        }
        SEntry e{name, std::stoull(size), static_cast<uint32_t>(std::stoul(crc, nullptr, 16))};
        if (!entries.emplace(ToLower(name), e).second) {
            error = "manifest names " + Shown(name) + " twice (names are matched without case)";
            return false;
        }
    }
    if (entries.empty()) {
        error = "the manifest lists no files";
        return false;
    }
    return true;
}

// Every file below dir (relative to the mount point), with its size. False when folders nest
// deeper than kMaxFolderDepth. A damaged entry name such as "a//b" shows up as a folder with an
// empty name that lists itself again, so such names are skipped and the depth is bounded.
bool ListFiles(const std::string& point, const std::string& dir, int depth, std::map<std::string, uint64_t>& out) {
    if (depth > kMaxFolderDepth) return false;
    const std::string full = dir.empty() ? point : point + "/" + dir;
    char** list = PHYSFS_enumerateFiles(full.c_str());
    bool ok = true;
    for (char** p = list; ok && p && *p; ++p) {
        const std::string name = *p;
        if (name.empty() || name == "." || name == "..") continue;
        const std::string rel = dir.empty() ? name : dir + "/" + name;
        PHYSFS_Stat st;
        if (!PHYSFS_stat((point + "/" + rel).c_str(), &st)) continue;
        if (st.filetype == PHYSFS_FILETYPE_DIRECTORY)
            ok = ListFiles(point, rel, depth + 1, out);
        else
            out[rel] = static_cast<uint64_t>(std::max<PHYSFS_sint64>(st.filesize, 0));
    }
    PHYSFS_freeList(list);
    return ok;
}

std::string DamagedText(const std::string& pack, const std::string& why) {
    return "The resource pack " + pack + " is damaged:\n" + why + ".\nPlease install the game again.";
}

}  // namespace

struct CResource::SImpl {
    std::string datFile = kDefaultDatFile;
    std::vector<std::string> searchDirs;
    bool bOpenTried = false;
    bool bOpen = false;
    std::string lastError;
    std::string packPath;   // as found
    std::string mountKey;   // canonical path, the key of the shared mount
    std::string mountPoint;
    std::map<std::string, SEntry> manifest;  // lower-case name -> entry
    uint64_t packBytes = 0;

    std::vector<std::string> Candidates() const;
    uint64_t MaxEntryBytes() const;
    bool CheckPack(std::string& error);
    bool Read(const std::string& folder, const std::string& file, std::vector<uint8_t>& out, std::string& why) const;
};

std::vector<std::string> CResource::SImpl::Candidates() const {
    return SearchPlaces(ExecutableDir(), datFile, searchDirs);
}

// The most bytes an entry of this pack can unpack to.
uint64_t CResource::SImpl::MaxEntryBytes() const {
    return std::min(kMaxEntryBytes, std::min(packBytes, kMaxEntryBytes) * kMaxDeflateRatio);
}

// The manifest must be present, well formed and agree with the archive's file list and sizes.
bool CResource::SImpl::CheckPack(std::string& error) {
    const std::string manifestPath = mountPoint + "/" + kManifestName;
    PHYSFS_Stat st;
    if (!PHYSFS_stat(manifestPath.c_str(), &st) || st.filetype != PHYSFS_FILETYPE_REGULAR) {
        error = std::string("it has no ") + kManifestName;
        return false;
    }
    if (st.filesize < 0 || st.filesize > kMaxManifestBytes) {
        error = std::string(kManifestName) + " has an unlikely size of " + std::to_string(st.filesize) + " bytes";
        return false;
    }
    std::vector<uint8_t> text;
    if (!ReadPhysfsFile(manifestPath, static_cast<uint64_t>(st.filesize), text)) {
        error = std::string(kManifestName) + " cannot be read" + PhysfsError();
        return false;
    }
    if (!ParseManifest(std::string(text.begin(), text.end()), manifest, error)) return false;

    std::map<std::string, uint64_t> files;
    if (!ListFiles(mountPoint, "", 0, files)) {
        error = "its folders nest deeper than " + std::to_string(kMaxFolderDepth) + " levels";
        return false;
    }
    files.erase(kManifestName);
    for (const auto& [key, e] : manifest) {
        auto it = files.find(e.name);
        if (it == files.end()) {
            error = "the manifest lists " + Shown(e.name) + " but the pack lacks it";
            return false;
        }
        if (it->second != e.nSize) {
            error = Shown(e.name) + " holds " + std::to_string(it->second) + " bytes, the manifest says " +
                    std::to_string(e.nSize);
            return false;
        }
        if (e.nSize > MaxEntryBytes()) {
            error = Shown(e.name) + " claims " + std::to_string(e.nSize) + " bytes, more than the pack can hold";
            return false;
        }
    }
    for (const auto& [name, size] : files) {
        if (!manifest.count(ToLower(name))) {
            error = Shown(name) + " is in the pack but not in the manifest";
            return false;
        }
    }
    return true;
}

CResource::CResource() : m_pImpl(new SImpl) {}

CResource::~CResource() {
    if (m_pImpl->bOpen) ReleaseMount(m_pImpl->mountKey);
    delete m_pImpl;
}

void CResource::SetDatFile(const std::string& name) { m_pImpl->datFile = name; }

std::vector<std::string> CResource::SearchPlaces(const std::string& exeDir, const std::string& datFile,
                                                 const std::vector<std::string>& extraDirs) {
    if (datFile.find('/') != std::string::npos) return {datFile};
    std::vector<std::string> places;
    auto add = [&places](const std::string& p) {
        if (std::find(places.begin(), places.end(), p) == places.end()) places.push_back(p);
    };
    if (!exeDir.empty()) {
        add(InFolder(exeDir, datFile));
        const std::filesystem::path installed = std::filesystem::path(exeDir) / kDataDirFromExe;
        add(InFolder(installed.lexically_normal().string(), datFile));
    }
    add(InFolder(KD_DATA_DIR, datFile));
    add(InFolder(kSystemDataDir, datFile));
    for (const auto& dir : extraDirs) add(InFolder(dir, datFile));
    return places;
}

void CResource::AddSearchDir(const std::string& dir) { m_pImpl->searchDirs.push_back(dir); }

bool CResource::Open() {
    SImpl& d = *m_pImpl;
    if (d.bOpenTried) return d.bOpen;
    d.bOpenTried = true;

    const std::vector<std::string> places = d.Candidates();
    std::string searched;
    for (const auto& p : places) searched += (searched.empty() ? "" : "\n") + p;

    std::string found;
    for (const auto& p : places) {
        if (IsRegularFile(p)) {
            found = p;
            break;
        }
    }
    std::string problem;
    if (found.empty()) {
        problem = "The resource pack " + d.datFile + " was not found.";
    } else {
        // The first copy found is the one used: a damaged one is reported, not skipped silently.
        d.mountKey = Canonical(found);
        d.packBytes = FileBytes(found);
        std::string why;
        if (!AcquireMount(d.mountKey, d.mountPoint, why)) {
            problem = DamagedText(found, why);
        } else if (!d.CheckPack(why)) {
            ReleaseMount(d.mountKey);
            d.manifest.clear();
            problem = DamagedText(found, why);
        }
    }
    if (!problem.empty()) {
        d.lastError = problem + "\nSearched, in this order:\n" + searched;
        platform::Log("%s", d.lastError.c_str());
        return false;
    }
    d.packPath = found;
    d.bOpen = true;
    platform::Log("Resource pack %s", found.c_str());
    return true;
}

bool CResource::IsOpen() const { return m_pImpl->bOpen; }

const std::string& CResource::LastError() const { return m_pImpl->lastError; }

const std::string& CResource::PackPath() const { return m_pImpl->packPath; }

bool CResource::SImpl::Read(const std::string& folder, const std::string& file, std::vector<uint8_t>& out,
                            std::string& why) const {
    out.clear();
    const std::string path = JoinPath(folder, file);
    if (!bOpen) {
        why = "cannot read " + folder + "/" + file + ": the resource pack is not open";
        return false;
    }
    if (path.empty()) {
        why = "refused to read \"" + file + "\" in \"" + folder + "\": not a name inside the pack";
        return false;
    }
    auto it = manifest.find(ToLower(path));
    if (it == manifest.end()) {
        why = path + " is not in the resource pack " + packPath;
        return false;
    }
    const SEntry& e = it->second;
    if (e.nSize > MaxEntryBytes()) {
        why = Shown(e.name) + " in " + packPath + ": refused, the manifest claims " + std::to_string(e.nSize) + " bytes";
        return false;
    }
    std::vector<uint8_t> data;
    if (!ReadPhysfsFile(mountPoint + "/" + e.name, e.nSize, data)) {
        why = Shown(e.name) + " in " + packPath + " cannot be read completely" + PhysfsError();
        return false;
    }
    const uint32_t crc = platform::Crc32(data.data(), data.size());
    if (crc != e.nCrc) {
        char sums[64];
        std::snprintf(sums, sizeof sums, "CRC-32 %08x, the manifest says %08x", crc, e.nCrc);
        why = Shown(e.name) + " in " + packPath + " is damaged: " + sums;
        return false;
    }
    out = std::move(data);
    return true;
}

bool CResource::ReadFile(const std::string& folder, const std::string& file, std::vector<uint8_t>& out) {
    std::string why;
    if (m_pImpl->Read(folder, file, out, why)) return true;
    platform::Log("%s", why.c_str());
    return false;
}

bool CResource::CheckEntries(const std::vector<SEntryName>& entries) {
    std::vector<uint8_t> bytes;
    std::string why;
    for (const SEntryName& entry : entries) {
        if (m_pImpl->Read(entry.folder, entry.file, bytes, why)) continue;
        m_pImpl->lastError = DamagedText(m_pImpl->packPath, why);
        platform::Log("%s", m_pImpl->lastError.c_str());
        return false;
    }
    return true;
}

bool CResource::Exists(const std::string& folder, const std::string& file) {
    const std::string path = JoinPath(folder, file);
    return m_pImpl->bOpen && !path.empty() && m_pImpl->manifest.count(ToLower(path)) > 0;
}

std::string CResource::JoinPath(const std::string& folder, const std::string& file) {
    std::string all = folder + "/" + file;
    std::replace(all.begin(), all.end(), '\\', '/');
    std::string out;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('/', start);
        if (end == std::string::npos) end = all.size();
        const std::string part = all.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return "";
        out += (out.empty() ? "" : "/") + part;
    }
    return out;
}
