// Process entry of Kelvo Dara: the command line, then the game itself (RunGame). Main thread.
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/game_entry.h"

int main(int argc, char* argv[]) {
    SCommandLine options;
    std::string error;
    if (!ParseCommandLine(argc, argv, options, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    if (options.bHelp || options.bVersion) {
        const std::string text = options.bHelp ? HelpText(argc > 0 ? argv[0] : "kelvodara") : VersionText();
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    return RunGame(false, options);
}
