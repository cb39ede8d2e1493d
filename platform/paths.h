// Per-user folders of the game, after the XDG base directory conventions.
#pragma once

#include <string>

namespace platform {

// $XDG_CONFIG_HOME/kelvodara (default ~/.config/kelvodara): the settings file.
std::string ConfigDir();
// $XDG_STATE_HOME/kelvodara (default ~/.local/state/kelvodara): the log.
std::string StateDir();
// $XDG_DATA_HOME/kelvodara (default ~/.local/share/kelvodara): kept matches.
std::string DataDir();
// Creates the folder and its parents; true when it exists afterwards.
bool EnsureDir(const std::string& path);

}  // namespace platform
