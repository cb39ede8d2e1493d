// The record of one match: what shaped play, the generator at the start, each set's layout and
// every flick's launch with the hash of the position it left. Enough to play the match again
// bit for bit. Its text form is described in docs/REPLAY_FORMAT.md. Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "physics/flick_launch_values.h"

class CGameSettings;

inline constexpr int kRecordFormatVersion = 1;
inline constexpr std::string_view kRecordMagic = "KELVODARA-MATCH";
// Bounds of what a reader accepts, so a damaged file cannot make it allocate without end. A
// campaign's draws and alternating wins have no fixed end, hence the room for many sets.
inline constexpr int kMaxRecordSets = 100;
inline constexpr int kMaxRecordFlicksPerSet = 1000;
inline constexpr size_t kMaxRecordLineBytes = 256;

// The settings that shape play, as their settings values.
struct SRecordSettings {
    int nBoard = 0, nMaterial = 0, nRule = 0, nMode = 0, nLevel = 0, nPlayers = 1;
    int nSide = 1;  // side of the first player: 1 white, 2 black
    bool operator==(const SRecordSettings&) const = default;
};

struct SRecordFlick {
    int nSide = 0;   // who flicked: 1 white, 2 black
    int nCheck = 0;  // the flicked draught, 0..19
    SFlickLaunch launch;
    uint64_t nHash = 0;  // RestPositionHash after the flick
    int nLine = 0;       // its line in the text it was read from, 0 when not read
};

struct SRecordSet {
    int nWhiteShift = 0, nBlackShift = 0;  // the set's campaign line shifts
    std::vector<SRecordFlick> flicks;
};

struct SMatchRecord {
    int nFormat = kRecordFormatVersion;
    std::string program;  // version of the program that played it
    SRecordSettings settings;
    uint32_t nRandState = 0;  // the computer's generator when the match started
    std::vector<SRecordSet> sets;
};

// The version of this program, as the build names it.
const char* ProgramVersion();
SRecordSettings RecordSettingsOf(const CGameSettings& s);
void ApplyRecordSettings(const SRecordSettings& r, CGameSettings& s);

// The text, line by line: the head (magic, version and settings) and one line a set or flick.
std::string FormatRecordHead(const SMatchRecord& record);
std::string FormatSetLine(int nWhiteShift, int nBlackShift);
std::string FormatFlickLine(const SRecordFlick& flick);
std::string FormatRecord(const SMatchRecord& record);

// Reads a record line by line and checks every value. The first error stops it; its message
// names the file and the line ("replay.kdr:17: draught 25 is not 0..19").
class CRecordParser {
public:
    // program: the version a record must come from; empty takes any.
    CRecordParser(std::string name, std::string program);
    // One line without its end; false once a line was wrong.
    bool Line(std::string_view line);
    // After the last line: false when the record stopped before its head was complete.
    bool Finish();
    const std::string& Error() const { return m_error; }
    SMatchRecord& Record() { return m_record; }

private:
    bool Fail(const std::string& message);
    bool HeadLine(std::string_view line);
    bool SetLine(std::string_view line);
    bool FlickLine(std::string_view line);

    std::string m_name, m_program, m_error;
    SMatchRecord m_record;
    int m_nLine = 0;      // number of the line being read
    int m_nHeadRead = 0;  // head lines read so far
};

// Whole text or file; on false, error holds the message and out is unspecified.
bool ParseRecord(std::string_view text, const std::string& name, const std::string& program, SMatchRecord& out,
                 std::string& error);
bool ReadRecordFile(const std::string& path, const std::string& program, SMatchRecord& out, std::string& error);
