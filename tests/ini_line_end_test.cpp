// Line endings at the end of an ini text: a last line closed only by "\r" (a file cut after
// the "\r" of a CRLF pair) is completed, not doubled, so saving twice gives the same bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace {

const char* const kSection = "Kelvo Dara";
const char* const kKeys[] = {"GameMode", "TurnType", "CheckType", "BoardType",
                             "MyWhite",  "FullScreen", "StarType", "DepthBits"};

std::string Visible(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

std::string SaveAllKeys(std::string text, int value) {
    for (const char* key : kKeys) text = platform::SetProfileStringInText(text, kSection, key, std::to_string(value));
    return text;
}

TEST(IniLineEnd, LoneCarriageReturnAtTheEndIsCompletedOnce) {
    struct SCase {
        const char* text;
        const char* expected;  // after GameMode=1
    };
    const std::vector<SCase> cases = {
        {"[Kelvo Dara]\r\nA=1\r", "[Kelvo Dara]\r\nA=1\r\nGameMode=1\r\n"},
        {"[Kelvo Dara]\nA=1\r", "[Kelvo Dara]\nA=1\r\nGameMode=1\n"},
        {"[Other]\r\nB=2\r", "[Other]\r\nB=2\r\n\r\n[Kelvo Dara]\r\nGameMode=1\r\n"},
        {"x\r", "x\r\n\n[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\r\nGameMode=5\r", "[Kelvo Dara]\r\nGameMode=1\r"},
        {"[Kelvo Dara]\r\nA=1", "[Kelvo Dara]\r\nA=1\r\nGameMode=1\r\n"},
    };
    for (const SCase& c : cases) {
        const std::string actual = platform::SetProfileStringInText(c.text, kSection, "GameMode", "1");
        EXPECT_EQ(actual, c.expected) << "input    " << Visible(c.text) << "\nexpected " << Visible(c.expected)
                                      << "\nactual   " << Visible(actual);
    }
}

TEST(IniLineEnd, SavingTwiceGivesTheSameBytes) {
    const std::vector<std::string> texts = {
        "[Kelvo Dara]\nGameMode=5\r",
        "[Kelvo Dara]\r\nMyWhite=0\r",
        "; note\r\n[Other]\r\nB=2\r",
        "\r",
        // Found by the settings fuzzer: a key line cut after its "\r", below a lookalike header.
        "; k\x97" "d\r\ndzoth&er]\r\x8aGameMode=9\r\n\r\xef[ [Kelvo Dae=\xbe[K!lvo Dara]\nMyWhit\n[Kelvo Dara]\n"
        "MyWhite=+214~kelvo dara-2\r\n\x96ue\xff" "Dar\xff[Kelvo Dara]\nGameMode=27483648\r",
    };
    for (const std::string& text : texts) {
        const std::string once = SaveAllKeys(text, 1);
        const std::string twice = SaveAllKeys(once, 1);
        EXPECT_EQ(once, twice) << "input  " << Visible(text) << "\nonce   " << Visible(once) << "\ntwice  "
                               << Visible(twice);
        EXPECT_EQ(once.find("\r\r"), text.find("\r\r")) << "a doubled \\r appeared in " << Visible(once);
        for (const char* key : kKeys)
            EXPECT_EQ(platform::GetProfileIntFromText(once, kSection, key, -1), 1) << key << " in " << Visible(once);
    }
}

}  // namespace
