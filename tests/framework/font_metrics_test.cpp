// Font metrics: fields and text widths of a valid file; malformed files are refused with the
// line named and leave the previous font in place.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/framework/font_metrics.h"
#include "app/framework/image.h"
#include "app/framework/resource.h"

namespace {

// A valid metrics text in which character c has advance c / 10 and a 4 x 6 rectangle; edit(lines)
// may change the lines before they are joined.
std::string Metrics(const std::function<void(std::vector<std::string>&)>& edit = nullptr) {
    std::vector<std::string> lines = {"kdfont 1", "atlas 256 128", "size 24.0", "ascent 19.5", "descent -4.5",
                                      "linegap 0.000", "chars 95"};
    for (int c = 32; c <= 126; ++c) {
        const int x = 4 * (c - 32) % 252, y = 8 * ((4 * (c - 32)) / 252);
        char line[96];
        std::snprintf(line, sizeof line, "%d %d %d %d %d 1.000 -16.000 %.1f", c, x, y, x + 4, y + 6, c / 10.0);
        lines.push_back(line);
    }
    if (edit) edit(lines);
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    return text;
}

TEST(FontMetrics, MalformedTextIsRefusedWithItsLineAndKeepsThePreviousFont) {
    struct Case {
        const char* label;
        std::function<void(std::vector<std::string>&)> edit;
        const char* lineNamed;
    };
    auto set = [](size_t i, const char* text) { return [=](std::vector<std::string>& l) { l[i] = text; }; };
    const std::vector<Case> cases = {
        {"wrong magic", set(0, "kdfont 2"), "line 1"},
        {"unknown key", set(2, "points 24"), "line 3"},
        {"atlas with one value", set(1, "atlas 256"), "line 2"},
        {"ascent not a number", set(3, "ascent high"), "line 4"},
        {"fractional atlas", set(1, "atlas 255.5 128"), "line 7"},
        {"94 characters announced", set(6, "chars 94"), "line 7"},
        {"glyph with seven fields", set(7, "32 0 0 4 6 1.0 -16.0"), "line 8"},
        {"glyph past the atlas", set(8, "33 250 0 260 6 1.0 -16.0 3.3"), "line 9"},
        {"glyph rectangle upside down", set(9, "34 8 6 12 0 1.0 -16.0 3.4"), "line 10"},
        {"code outside 32..126", set(10, "127 0 0 4 6 1.0 -16.0 3.5"), "line 11"},
        {"code twice", set(11, "35 0 0 4 6 1.0 -16.0 3.5"), "line 12"},
        {"negative advance", set(12, "37 0 0 4 6 1.0 -16.0 -1"), "line 13"},
        {"not a number in a glyph", set(13, "38 0 0 4 6 1.0 -16.0 nan"), "line 14"},
        {"missing size key", [](auto& l) { l.erase(l.begin() + 2); }, "line 6"},
        {"last character missing", [](auto& l) { l.pop_back(); }, "ends after 94"},
        {"text after the last character", [](auto& l) { l.push_back("extra"); }, "line 103"},
        {"empty text", [](auto& l) { l.clear(); }, "line 0"},
    };
    for (const auto& c : cases) {
        CFontMetrics m;
        std::string error;
        ASSERT_TRUE(m.Parse(Metrics(), error));
        const float before = m.Glyph('A').fAdvance;
        EXPECT_FALSE(m.Parse(Metrics(c.edit), error)) << c.label;
        EXPECT_NE(error.find(c.lineNamed), std::string::npos) << c.label << ": expected \"" << c.lineNamed << "\" in \"" << error << "\"";
        EXPECT_TRUE(m.IsLoaded() && m.Glyph('A').fAdvance == before) << c.label << ": the previous font stays";
    }
}

}  // namespace
