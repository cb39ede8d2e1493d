// What the fuzz targets share: a check that stops the run with a message libFuzzer records as a
// crash, a quiet log, a private scratch folder and whole-file writes. One thread.
#pragma once

#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/log.h"

// A broken law is a finding: print it and abort so libFuzzer saves the input.
#define KD_FUZZ_REQUIRE(cond, ...) ((cond) ? void() : kdfuzz::Broken(__FILE__, __LINE__, #cond, __VA_ARGS__))

namespace kdfuzz {

[[noreturn, gnu::format(printf, 4, 5)]] inline void Broken(const char* file, int line, const char* law, const char* format, ...) {
    std::fprintf(stderr, "law broken at %s:%d: %s\n", file, line, law);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::abort();
}

// Rejected inputs are logged by the game; millions of log lines would only slow the run.
inline void SilenceLog() {
    platform::SetLogSink([](const std::string&) {});
}

// A fresh folder of this process on a memory file system where there is one, removed at exit
// (a memory file system fills up quietly). One per process: each target asks once.
inline std::string ScratchDir(const char* purpose) {
    static std::string dir;
    dir = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/kd-fuzz-" + purpose + "-XXXXXX";
    KD_FUZZ_REQUIRE(mkdtemp(dir.data()), "cannot make %s", dir.c_str());
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    });
    return dir;
}

inline bool WriteBytes(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size)));
}

inline bool ReadBytes(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

}  // namespace kdfuzz
