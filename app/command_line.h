// The program's options, read the GNU way (getopt_long): what the player asked for on the
// command line, before any window exists. Main thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct SCommandLine {
    bool bHelp = false;
    bool bVersion = false;
    std::optional<bool> fullScreen;  // --fullscreen / --window for this run; the setting is kept
    std::string replayFile;          // --replay FILE: watch a kept match instead of playing
    std::optional<int> hostPort;     // --host [PORT]: host a network game
    std::string joinAddress;         // --join HOST[:PORT]: join a network game
};

inline constexpr int kExitUsage = 2;  // the status GNU tools give for a wrong command line

// Reads argv. On a wrong command line returns false and sets error to the message for stderr
// (name, what was wrong and the hint to --help).
bool ParseCommandLine(int argc, char* const argv[], SCommandLine& out, std::string& error);
// The text of --help and --version.
std::string HelpText(const char* szProgram);
std::string VersionText();
