// The game's log: $XDG_STATE_HOME/kelvodara/kelvodara.log and stderr. Any thread.
#pragma once

#include <functional>
#include <string>

namespace platform {

// printf-style line; a newline is added when missing.
void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
// Tests capture lines instead of writing files; pass an empty function to restore.
void SetLogSink(std::function<void(const std::string&)> sink);
// Where the log file lives (created on first write).
std::string LogFilePath();

}  // namespace platform
