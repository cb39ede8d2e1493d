// What the fuzz targets share: a check that stops the run with a message libFuzzer records as a
// crash, a log sink that keeps the game's log quiet, and a private scratch folder. One thread.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kdfuzz {

// A broken law is a finding: print it and abort so libFuzzer saves the input.
#define KD_FUZZ_REQUIRE(cond, ...)                                                    \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "law broken at %s:%d: %s\n", __FILE__, __LINE__, #cond); \
            std::fprintf(stderr, __VA_ARGS__);                                        \
            std::fputc('\n', stderr);                                                 \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

// Rejected inputs are logged by the game; millions of log lines would only slow the run.
void SilenceLog();
// A fresh folder of this process on a memory file system (falls back to TMPDIR, then /tmp).
std::string ScratchDir(const char* purpose);
// Writes bytes to path, replacing it; false when it cannot.
bool WriteBytes(const std::string& path, const void* data, size_t size);
// The whole file, or false.
bool ReadBytes(const std::string& path, std::string& out);

}  // namespace kdfuzz
