// Helpers of the fuzz targets: quiet log, scratch folders, whole-file reads and writes.
#include "tests/fuzz/fuzz_check.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/log.h"
#include "platform/paths.h"

namespace kdfuzz {

void SilenceLog() {
    platform::SetLogSink([](const std::string&) {});
}

namespace {

// Never destroyed: the exit handler below runs after static destructors may have.
std::vector<std::string>& ScratchDirs() {
    static auto* dirs = new std::vector<std::string>;
    return *dirs;
}

// A memory file system fills up quietly, so every scratch folder goes when the run ends.
void RemoveScratchDirs() {
    std::error_code ec;
    for (const std::string& dir : ScratchDirs()) std::filesystem::remove_all(dir, ec);
}

}  // namespace

std::string ScratchDir(const char* purpose) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    std::string dir = base + "/kd-fuzz-" + purpose + "-XXXXXX";
    if (!mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(RemoveScratchDirs); });
    ScratchDirs().push_back(dir);
    return dir;
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

bool ReadBytes(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    out = all.str();
    return true;
}

}  // namespace kdfuzz
