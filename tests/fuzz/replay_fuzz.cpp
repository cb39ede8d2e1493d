// Fuzzes the match record reader: the text and the file reader agree on any bytes, a record that
// reads writes back to text that reads to the same text, every refusal names the file and a
// line, and a record that reads plays through the simulation without harm. One thread.
#include <cstdint>
#include <string>

#include "game/match_record.h"
#include "game/record_check.h"
#include "tests/fuzz/fuzz_check.h"

namespace {
std::string g_path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kdfuzz::SilenceLog();
    g_path = kdfuzz::ScratchDir("replay") + "/fuzz.kdr";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SMatchRecord fromText, fromFile, again;
    std::string textError, fileError, error;
    const bool bText = ParseRecord(text, g_path, "", fromText, textError);
    KD_FUZZ_REQUIRE(kdfuzz::WriteBytes(g_path, data, size), "cannot write %s", g_path.c_str());
    KD_FUZZ_REQUIRE(bText == ReadRecordFile(g_path, "", fromFile, fileError) && textError == fileError,
                    "text reader: '%s', file reader: '%s'", textError.c_str(), fileError.c_str());
    KD_FUZZ_REQUIRE(bText || textError.starts_with(g_path + ":"), "a refusal without file and line: '%s'", textError.c_str());
    if (!bText) return 0;
    const std::string written = FormatRecord(fromText);
    KD_FUZZ_REQUIRE(ParseRecord(written, "again", "", again, error) && FormatRecord(again) == written,
                    "a record written back reads otherwise: %s", error.c_str());
    int nFlicks = 0;
    KD_FUZZ_REQUIRE(CheckRecordPlays(fromText, g_path, nFlicks, error) || error.starts_with(g_path + ":"),
                    "a mismatch without the file: '%s'", error.c_str());
    return 0;
}
