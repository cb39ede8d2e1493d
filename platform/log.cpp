#include "platform/log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "platform/paths.h"

namespace platform {
namespace {

std::mutex g_logMutex;
std::function<void(const std::string&)> g_logSink;
FILE* g_logFile = nullptr;
bool g_bLogFileTried = false;

}  // namespace

std::string LogFilePath() { return StateDir() + "/kelvodara.log"; }

void SetLogSink(std::function<void(const std::string&)> sink) {
    std::lock_guard lock(g_logMutex);
    g_logSink = std::move(sink);
}

void Log(const char* fmt, ...) {
    char buf[2048];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    std::string line(buf, n < 0 ? 0 : (n < int(sizeof buf) ? size_t(n) : sizeof buf - 1));
    if (line.empty() || line.back() != '\n') line += '\n';

    std::lock_guard lock(g_logMutex);
    if (g_logSink) {
        g_logSink(line);
        return;
    }
    std::fputs(line.c_str(), stderr);
    if (!g_bLogFileTried) {
        g_bLogFileTried = true;
        if (EnsureDir(StateDir())) g_logFile = std::fopen(LogFilePath().c_str(), "a");
        if (!g_logFile) std::fprintf(stderr, "cannot open the log file %s\n", LogFilePath().c_str());
    }
    if (g_logFile) {
        std::fputs(line.c_str(), g_logFile);
        std::fflush(g_logFile);
    }
}

}  // namespace platform
