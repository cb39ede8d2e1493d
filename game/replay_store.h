// The kept matches: one record file a match in the replays folder, named after the start time,
// written as the match goes, and the oldest removed beyond a number of files. A failure to
// write is logged once and never stops play. Window thread.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>

#include "game/match_record.h"

inline constexpr int kKeptReplays = 100;

// $XDG_DATA_HOME/kelvodara/replays.
std::string ReplayDir();
// "match-YYYYMMDD-HHMMSS-NN.kdr" from the UTC start time and a serial 0..99 for matches that
// start in the same second: names sort as the matches started.
std::string ReplayFileName(std::time_t start, int nSerial);
bool IsReplayFileName(std::string_view name);
// Removes the oldest record files of dir beyond nKeep; other files are left alone. Returns how
// many were removed.
int PruneReplays(const std::string& dir, int nKeep = kKeptReplays);

class CReplayWriter {
public:
    CReplayWriter() = default;
    ~CReplayWriter() { Close(); }
    CReplayWriter(const CReplayWriter&) = delete;
    CReplayWriter& operator=(const CReplayWriter&) = delete;

    // Creates a new file in dir for a match started at start and writes the head of record;
    // then prunes the folder. False, logged, when no file could be made.
    bool Open(const std::string& dir, std::time_t start, const SMatchRecord& record);
    // Each appends its line and flushes it, so a crash loses at most the line in writing.
    void BeginSet(int nWhiteShift, int nBlackShift) { Append(FormatSetLine(nWhiteShift, nBlackShift)); }
    void AddFlick(const SRecordFlick& flick) { Append(FormatFlickLine(flick)); }
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }

private:
    void Append(const std::string& text);
    void LogOnce(const char* what);

    std::FILE* m_file = nullptr;
    std::string m_path;
    bool m_bLogged = false;  // a failure has been logged
};
