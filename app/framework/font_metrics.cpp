// Parsing of textures/font.txt ("kdfont 1" header, then one line per character 32..126) and
// text widths from the advances. Pure data, any thread.
#include "app/framework/font_metrics.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <vector>

namespace {

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kGlyphCount = kLastChar - kFirstChar + 1;
constexpr char kFallbackChar = '?';
constexpr const char* kMagicLine = "kdfont 1";
constexpr int kMaxAtlasSide = 16384;

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string w;
    while (in >> w) out.push_back(w);
    return out;
}

bool ToFloat(const std::string& s, float& v) {
    char* end = nullptr;
    v = std::strtof(s.c_str(), &end);
    return !s.empty() && end == s.c_str() + s.size() && std::isfinite(v);
}

bool ToInt(const std::string& s, int& v) {
    char* end = nullptr;
    const long l = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || end != s.c_str() + s.size() || l < -1000000 || l > 1000000) return false;
    v = static_cast<int>(l);
    return true;
}

}  // namespace

bool CFontMetrics::Parse(const std::string& text, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int nLine = 0;
    auto fail = [&](const std::string& why) {
        error = "font metrics line " + std::to_string(nLine) + ": " + why;
        return false;
    };
    // The next non-empty line split into words; false at the end of the text.
    auto next = [&](std::vector<std::string>& words) {
        while (std::getline(in, line)) {
            ++nLine;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            words = Words(line);
            if (!words.empty()) return true;
        }
        return false;
    };

    std::vector<std::string> w;
    if (!next(w) || line != kMagicLine) return fail(std::string("expected \"") + kMagicLine + "\"");

    // Header keys up to "chars"; each needed exactly once.
    std::map<std::string, std::vector<float>> header;
    const std::map<std::string, size_t> kKeys = {{"atlas", 2}, {"size", 1}, {"ascent", 1}, {"descent", 1}, {"linegap", 1}};
    int nChars = -1;
    while (nChars < 0) {
        if (!next(w)) return fail("the text ends before \"chars\"");
        if (w[0] == "chars") {
            if (w.size() != 2 || !ToInt(w[1], nChars) || nChars != kGlyphCount)
                return fail("expected \"chars " + std::to_string(kGlyphCount) + "\"");
            break;
        }
        auto key = kKeys.find(w[0]);
        if (key == kKeys.end()) return fail("unknown key \"" + w[0] + "\"");
        if (header.count(w[0])) return fail("\"" + w[0] + "\" appears twice");
        if (w.size() != key->second + 1) return fail("\"" + w[0] + "\" needs " + std::to_string(key->second) + " value(s)");
        std::vector<float> values(key->second);
        for (size_t i = 0; i < key->second; ++i)
            if (!ToFloat(w[i + 1], values[i])) return fail("\"" + w[i + 1] + "\" is not a number");
        header[w[0]] = values;
    }
    for (const auto& [key, count] : kKeys)
        if (!header.count(key)) return fail("\"" + key + "\" is missing before \"chars\"");

    const float atlasW = header["atlas"][0], atlasH = header["atlas"][1];
    if (atlasW != std::floor(atlasW) || atlasH != std::floor(atlasH) || atlasW < 1 || atlasH < 1 ||
        atlasW > kMaxAtlasSide || atlasH > kMaxAtlasSide)
        return fail("the atlas size must be whole pixels from 1 to " + std::to_string(kMaxAtlasSide));

    SGlyph glyphs[kGlyphCount];
    bool seen[kGlyphCount] = {};
    for (int i = 0; i < kGlyphCount; ++i) {
        if (!next(w)) return fail("the text ends after " + std::to_string(i) + " of " + std::to_string(kGlyphCount) + " characters");
        int code = 0;
        float v[7];
        if (w.size() != 8 || !ToInt(w[0], code)) return fail("expected \"<code> x0 y0 x1 y1 xoff yoff xadvance\"");
        for (int k = 0; k < 7; ++k)
            if (!ToFloat(w[k + 1], v[k])) return fail("\"" + w[k + 1] + "\" is not a number");
        if (code < kFirstChar || code > kLastChar) return fail("character code " + w[0] + " is outside 32..126");
        if (seen[code - kFirstChar]) return fail("character " + w[0] + " appears twice");
        SGlyph g{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
        if (g.x0 < 0 || g.y0 < 0 || g.x1 < g.x0 || g.y1 < g.y0 || g.x1 > atlasW || g.y1 > atlasH)
            return fail("the rectangle of character " + w[0] + " is not inside the atlas");
        if (g.fAdvance < 0) return fail("character " + w[0] + " has a negative advance");
        seen[code - kFirstChar] = true;
        glyphs[code - kFirstChar] = g;
    }
    if (next(w)) return fail("unexpected text after the last character");

    // Only a complete parse replaces what was loaded before.
    for (int i = 0; i < kGlyphCount; ++i) m_glyphs[i] = glyphs[i];
    m_nAtlasW = static_cast<int>(atlasW);
    m_nAtlasH = static_cast<int>(atlasH);
    m_fAscent = header["ascent"][0];
    m_fDescent = header["descent"][0];
    m_bLoaded = true;
    return true;
}

const SGlyph& CFontMetrics::Glyph(char c) const {
    const int code = static_cast<unsigned char>(c);
    if (code < kFirstChar || code > kLastChar) return m_glyphs[kFallbackChar - kFirstChar];
    return m_glyphs[code - kFirstChar];
}

float CFontMetrics::TextWidth(const std::string& text, float fScale) const {
    float width = 0;
    for (char c : text) width += Glyph(c).fAdvance;
    return width * fScale;
}
