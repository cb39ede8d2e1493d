#include "game/match_record.h"

#include <bit>
#include <cctype>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "core/game_settings.h"
#include "game/layout.h"
#include "physics/desk.h"

namespace {

constexpr int kMaxWords = 10;  // the flick line has 9
constexpr char kCommentMark = '#';

// A setting of the head: its key, its field and the values it may take (bit v for value v).
struct SSettingKey {
    const char* key;
    int SRecordSettings::*field;
    uint32_t nAllowed;
};
constexpr SSettingKey kSettingKeys[] = {
    {"board", &SRecordSettings::nBoard, 0b111},   {"material", &SRecordSettings::nMaterial, 0b111},
    {"rule", &SRecordSettings::nRule, 0b11},      {"mode", &SRecordSettings::nMode, 0b11},
    {"level", &SRecordSettings::nLevel, 0b111},   {"players", &SRecordSettings::nPlayers, 0b1010},
    {"side", &SRecordSettings::nSide, 0b110},
};
constexpr int kSettingCount = int(sizeof kSettingKeys / sizeof kSettingKeys[0]);
// Head lines: magic and version, program, the settings, the generator.
constexpr int kProgramLine = 1;
constexpr int kRandLine = kProgramLine + kSettingCount + 1;
constexpr int kHeadLines = kRandLine + 1;

const char* const kLaunchKeys[] = {"vx", "vy", "dx", "dy", "spin"};
float SFlickLaunch::*const kLaunchFields[] = {&SFlickLaunch::fVx0, &SFlickLaunch::fVy0, &SFlickLaunch::fDirX,
                                              &SFlickLaunch::fDirY, &SFlickLaunch::fSpin0};

std::string AllowedList(uint32_t nAllowed) {
    std::string s;
    for (int v = 0; v < 32; ++v)
        if (nAllowed >> v & 1u) s += (s.empty() ? "" : ", ") + std::to_string(v);
    return s;
}

// The words of a line before its comment; false when there are more than kMaxWords.
struct SWords {
    std::string_view w[kMaxWords];
    int n = 0;
};
bool SplitWords(std::string_view line, SWords& out) {
    line = line.substr(0, line.find(kCommentMark));
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        if (out.n == kMaxWords) return false;
        const size_t end = line.find_first_of(" \t", i);
        out.w[out.n++] = line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
        i = end == std::string_view::npos ? line.size() : end;
    }
    return true;
}

// The value of "key=value", or false when the word has another key.
bool ValueOf(std::string_view word, std::string_view key, std::string_view& value) {
    if (word.size() <= key.size() || word.substr(0, key.size()) != key || word[key.size()] != '=') return false;
    value = word.substr(key.size() + 1);
    return true;
}

bool ParseInt(std::string_view s, int& out) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// "0x" and exactly nDigits hex digits: every bit written, nothing left to guess.
template <typename T>
bool ParseHex(std::string_view s, int nDigits, T& out) {
    if (s.size() != size_t(nDigits) + 2 || s[0] != '0' || s[1] != 'x') return false;
    for (char c : s.substr(2))
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    const auto r = std::from_chars(s.data() + 2, s.data() + s.size(), out, 16);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::string Hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08" PRIx32, v);
    return buf;
}

}  // namespace

const char* ProgramVersion() { return KD_PROGRAM_VERSION; }

SRecordSettings RecordSettingsOf(const CGameSettings& s) {
    return {s.BoardType, s.CheckType, s.TurnType, s.GameMode, s.m_nLevel, s.m_nPlayers, s.MyWhite ? 1 : 2};
}

void ApplyRecordSettings(const SRecordSettings& r, CGameSettings& s) {
    s.BoardType = r.nBoard;
    s.CheckType = r.nMaterial;
    s.TurnType = r.nRule;
    s.GameMode = r.nMode;
    s.m_nLevel = r.nLevel;
    s.m_nPlayers = r.nPlayers;
    s.MyWhite = r.nSide == SIDE_WHITE ? 1 : 0;
}

std::string FormatRecordHead(const SMatchRecord& record) {
    std::string s = std::string(kRecordMagic) + " " + std::to_string(record.nFormat) + "\n";
    s += "program=" + record.program + "\n";
    for (const SSettingKey& k : kSettingKeys)
        s += std::string(k.key) + "=" + std::to_string(record.settings.*k.field) + "\n";
    return s + "rand=" + Hex32(record.nRandState) + "\n";
}

std::string FormatSetLine(int nWhiteShift, int nBlackShift) {
    return "set white=" + std::to_string(nWhiteShift) + " black=" + std::to_string(nBlackShift) + "\n";
}

std::string FormatFlickLine(const SRecordFlick& f) {
    std::string s = "flick side=" + std::to_string(f.nSide) + " draught=" + std::to_string(f.nCheck);
    std::string values = " #";
    for (int i = 0; i < 5; ++i) {
        const float v = f.launch.*kLaunchFields[i];
        s += std::string(" ") + kLaunchKeys[i] + "=" + Hex32(std::bit_cast<uint32_t>(v));
        char buf[32];
        std::snprintf(buf, sizeof buf, " %.9g", double(v));
        values += buf;
    }
    char hash[32];
    std::snprintf(hash, sizeof hash, " hash=0x%016" PRIx64, f.nHash);
    return s + hash + values + "\n";
}

std::string FormatRecord(const SMatchRecord& record) {
    std::string s = FormatRecordHead(record);
    for (const SRecordSet& set : record.sets) {
        s += FormatSetLine(set.nWhiteShift, set.nBlackShift);
        for (const SRecordFlick& f : set.flicks) s += FormatFlickLine(f);
    }
    return s;
}

CRecordParser::CRecordParser(std::string name, std::string program)
    : m_name(std::move(name)), m_program(std::move(program)) {}

bool CRecordParser::Fail(const std::string& message) {
    if (m_error.empty()) m_error = m_name + ":" + std::to_string(m_nLine) + ": " + message;
    return false;
}

bool CRecordParser::Line(std::string_view line) {
    if (!m_error.empty()) return false;
    ++m_nLine;
    if (line.size() > kMaxRecordLineBytes)
        return Fail("the line is longer than " + std::to_string(kMaxRecordLineBytes) + " bytes");
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == kCommentMark) return true;
    line.remove_prefix(first);
    if (m_nHeadRead < kHeadLines) return HeadLine(line);
    SWords w;
    if (!SplitWords(line, w)) return Fail("too many words");
    if (w.w[0] == "set") return SetLine(line);
    if (w.w[0] == "flick") return FlickLine(line);
    return Fail("expected a set or a flick line");
}

bool CRecordParser::HeadLine(std::string_view line) {
    SWords w;
    if (!SplitWords(line, w) || w.n != (m_nHeadRead == 0 ? 2 : 1)) {
        return Fail(m_nHeadRead == 0 ? "not a match record" : "expected one key=value");
    }
    std::string_view v;
    const int n = m_nHeadRead++;
    if (n == 0) {
        if (w.w[0] != kRecordMagic) return Fail("not a match record");
        if (!ParseInt(w.w[1], m_record.nFormat) || m_record.nFormat != kRecordFormatVersion)
            return Fail("format version " + std::string(w.w[1]) + ", this program reads version " +
                        std::to_string(kRecordFormatVersion));
        return true;
    }
    if (n == kProgramLine) {
        if (!ValueOf(w.w[0], "program", v) || v.empty()) return Fail("expected program=");
        m_record.program = v;
        if (!m_program.empty() && v != m_program)
            return Fail("recorded by version " + std::string(v) + ", this is version " + m_program);
        return true;
    }
    if (n == kRandLine) {
        if (!ValueOf(w.w[0], "rand", v) || !ParseHex(v, 8, m_record.nRandState))
            return Fail("expected rand= and 8 hex digits");
        return true;
    }
    const SSettingKey& k = kSettingKeys[n - kProgramLine - 1];
    int& field = m_record.settings.*k.field;
    if (!ValueOf(w.w[0], k.key, v)) return Fail("expected " + std::string(k.key) + "=");
    if (!ParseInt(v, field) || field < 0 || field > 31 || !(k.nAllowed >> field & 1u))
        return Fail(std::string(k.key) + " " + std::string(v) + " is not one of " + AllowedList(k.nAllowed));
    return true;
}

bool CRecordParser::SetLine(std::string_view line) {
    if (int(m_record.sets.size()) == kMaxRecordSets)
        return Fail("more than " + std::to_string(kMaxRecordSets) + " sets");
    SWords w;
    SRecordSet set;
    std::string_view v;
    if (!SplitWords(line, w) || w.n != 3) return Fail("expected set white= black=");
    SCampaignLimits limits{};
    GetCampaignLimits(m_record.settings.nBoard, limits);
    const char* const keys[] = {"white", "black"};
    int* const shifts[] = {&set.nWhiteShift, &set.nBlackShift};
    for (int i = 0; i < 2; ++i) {
        if (!ValueOf(w.w[1 + i], keys[i], v) || !ParseInt(v, *shifts[i]))
            return Fail("expected " + std::string(keys[i]) + "= and a number");
        if (*shifts[i] < 0 || *shifts[i] > limits.nShiftSum)
            return Fail(std::string(keys[i]) + " shift " + std::string(v) + " is not 0.." +
                        std::to_string(limits.nShiftSum));
    }
    m_record.sets.push_back(std::move(set));
    return true;
}

bool CRecordParser::FlickLine(std::string_view line) {
    if (m_record.sets.empty()) return Fail("a flick before the first set");
    SRecordSet& set = m_record.sets.back();
    if (int(set.flicks.size()) == kMaxRecordFlicksPerSet)
        return Fail("more than " + std::to_string(kMaxRecordFlicksPerSet) + " flicks in set " +
                    std::to_string(m_record.sets.size()));
    SWords w;
    if (!SplitWords(line, w) || w.n != 9) return Fail("expected a flick with side, draught, 5 launch values and hash");
    SRecordFlick f;
    f.nLine = m_nLine;
    std::string_view v;
    if (!ValueOf(w.w[1], "side", v) || !ParseInt(v, f.nSide)) return Fail("expected side= and a number");
    if (f.nSide != SIDE_WHITE && f.nSide != SIDE_BLACK) return Fail("side " + std::string(v) + " does not exist");
    if (!ValueOf(w.w[2], "draught", v) || !ParseInt(v, f.nCheck)) return Fail("expected draught= and a number");
    if (f.nCheck < 0 || f.nCheck >= kCheckCount)
        return Fail("draught " + std::string(v) + " is not 0.." + std::to_string(kCheckCount - 1));
    for (int i = 0; i < 5; ++i) {
        uint32_t nBits = 0;
        if (!ValueOf(w.w[3 + i], kLaunchKeys[i], v) || !ParseHex(v, 8, nBits))
            return Fail("expected " + std::string(kLaunchKeys[i]) + "= and 8 hex digits");
        const float x = std::bit_cast<float>(nBits);
        if (!std::isfinite(x)) return Fail(std::string(kLaunchKeys[i]) + " is not a finite number");
        f.launch.*kLaunchFields[i] = x;
    }
    const SFlickLaunch& l = f.launch;
    if (std::fabs(l.fDirX) > 1.0f || std::fabs(l.fDirY) > 1.0f) return Fail("the direction is not a unit vector");
    const double fSpeed = std::hypot(double(l.fVx0), double(l.fVy0));
    if (fSpeed > double(kMaxLaunchSpeed)) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "launch speed %.3g is faster than any flick (%.3g)", fSpeed,
                      double(kMaxLaunchSpeed));
        return Fail(buf);
    }
    if (!ValueOf(w.w[8], "hash", v) || !ParseHex(v, 16, f.nHash)) return Fail("expected hash= and 16 hex digits");
    set.flicks.push_back(f);
    return true;
}

bool CRecordParser::Finish() {
    if (!m_error.empty()) return false;
    if (m_nHeadRead < kHeadLines) {
        ++m_nLine;
        return Fail("the record ends before its settings are complete");
    }
    return true;
}

bool ParseRecord(std::string_view text, const std::string& name, const std::string& program, SMatchRecord& out,
                 std::string& error) {
    CRecordParser parser(name, program);
    bool bOk = true;
    while (bOk && !text.empty()) {
        const size_t end = text.find('\n');
        bOk = parser.Line(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    bOk = bOk && parser.Finish();
    error = parser.Error();
    if (bOk) out = std::move(parser.Record());
    return bOk;
}

bool ReadRecordFile(const std::string& path, const std::string& program, SMatchRecord& out, std::string& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        error = path + ": cannot be opened";
        return false;
    }
    CRecordParser parser(path, program);
    // A line is kept up to one byte more than it may hold, so an over-long one is still seen.
    std::string line;
    char buf[4096];
    bool bOk = true;
    size_t n = 0;
    while (bOk && (n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        for (size_t i = 0; bOk && i < n; ++i) {
            if (buf[i] != '\n') {
                if (line.size() <= kMaxRecordLineBytes) line += buf[i];
                continue;
            }
            bOk = parser.Line(line);
            line.clear();
        }
    }
    std::fclose(f);
    if (bOk && !line.empty()) bOk = parser.Line(line);
    bOk = bOk && parser.Finish();
    error = parser.Error();
    if (bOk) out = std::move(parser.Record());
    return bOk;
}
