#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

std::string BaseDir(const char* xdgVar, const char* homeFallback) {
    const char* xdg = std::getenv(xdgVar);
    if (xdg && xdg[0] == '/') return xdg;  // relative values are invalid by the convention
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + homeFallback;
}

}  // namespace

std::string ConfigDir() { return BaseDir("XDG_CONFIG_HOME", "/.config") + "/kelvodara"; }
std::string StateDir() { return BaseDir("XDG_STATE_HOME", "/.local/state") + "/kelvodara"; }
std::string DataDir() { return BaseDir("XDG_DATA_HOME", "/.local/share") + "/kelvodara"; }

bool EnsureDir(const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

}  // namespace platform
