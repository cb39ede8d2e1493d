// Reads the program's options with getopt_long, as GNU tools do. Main thread.
#include "app/command_line.h"

#include <getopt.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxPort = 65535;

enum ELongOnly : int { OPT_REPLAY = 256, OPT_HOST, OPT_JOIN };

const option kOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"fullscreen", no_argument, nullptr, 'f'},
    {"window", no_argument, nullptr, 'w'},
    {"replay", required_argument, nullptr, OPT_REPLAY},
    {"host", optional_argument, nullptr, OPT_HOST},
    {"join", required_argument, nullptr, OPT_JOIN},
    {nullptr, 0, nullptr, 0},
};

// A port number 1..65535, all digits; 0 when it is not one.
int PortOf(const char* sz) {
    if (sz == nullptr || *sz == '\0' || std::strlen(sz) > 5) return 0;
    for (const char* p = sz; *p; ++p)
        if (*p < '0' || *p > '9') return 0;
    const int n = std::atoi(sz);
    return n <= kMaxPort ? n : 0;
}

bool ValidJoinAddress(const std::string& address) {
    const size_t colon = address.rfind(':');
    if (colon == std::string::npos) return !address.empty();
    return colon > 0 && PortOf(address.c_str() + colon + 1) != 0;
}

}  // namespace

bool ParseCommandLine(int argc, char* const argv[], SCommandLine& out, std::string& error) {
    out = SCommandLine{};
    const std::string program = argc > 0 && argv[0] ? argv[0] : "kelvodara";
    const std::string hint = "\nTry '" + program + " --help' for more information.";
    opterr = 0;  // the messages are ours, so they also reach the log
    optind = 0;  // a full restart of getopt for every parse
    int c;
    while ((c = getopt_long(argc, argv, "+:hVfw", kOptions, nullptr)) != -1) {
        switch (c) {
        case 'h': out.bHelp = true; break;
        case 'V': out.bVersion = true; break;
        case 'f': out.fullScreen = true; break;
        case 'w': out.fullScreen = false; break;
        case OPT_REPLAY: out.replayFile = optarg; break;
        case OPT_HOST: {
            // "--host 5000" as well as "--host=5000": a following word of digits is the port.
            const char* szPort = optarg;
            if (szPort == nullptr && optind < argc && PortOf(argv[optind]) != 0) szPort = argv[optind++];
            if (szPort != nullptr && PortOf(szPort) == 0) {
                error = program + ": '" + szPort + "' is not a port number 1.." + std::to_string(kMaxPort) + hint;
                return false;
            }
            out.hostPort = szPort != nullptr ? PortOf(szPort) : 0;
            break;
        }
        case OPT_JOIN:
            if (!ValidJoinAddress(optarg)) {
                error = program + ": '" + optarg + "' is not HOST or HOST:PORT" + hint;
                return false;
            }
            out.joinAddress = optarg;
            break;
        case ':':
            error = program + ": option '" + argv[optind - 1] + "' requires an argument" + hint;
            return false;
        default:
            error = program + ": unrecognized option '" + argv[optind - 1] + "'" + hint;
            return false;
        }
    }
    if (optind < argc) {
        error = program + ": unexpected argument '" + argv[optind] + "'" + hint;
        return false;
    }
    const int nModes = !out.replayFile.empty() + out.hostPort.has_value() + !out.joinAddress.empty();
    if (nModes > 1) {
        error = program + ": --replay, --host and --join exclude each other" + hint;
        return false;
    }
    return true;
}

std::string HelpText(const char* szProgram) {
    return std::string("Usage: ") + szProgram + " [OPTION]...\n"
           "Flick your draughts and knock the other side's off the board.\n"
           "\n"
           "  -f, --fullscreen       play full screen this time\n"
           "  -w, --window           play in a window this time\n"
           "      --replay=FILE      watch a kept match (see the replays folder)\n"
           "      --host[=PORT]      host a network game for a friend to join\n"
           "      --join=HOST[:PORT] join a network game\n"
           "  -h, --help             show this help and exit\n"
           "  -V, --version          show the version and exit\n"
           "\n"
           "Settings are kept in $XDG_CONFIG_HOME/kelvodara/kelvodara.ini and every match in\n"
           "$XDG_DATA_HOME/kelvodara/replays/.\n";
}

std::string VersionText() { return std::string("kelvodara ") + KD_PROGRAM_VERSION + "\n"; }
