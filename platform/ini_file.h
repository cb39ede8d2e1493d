// Private-profile style ini access with the Windows semantics the settings file relies on:
// names compared without case, integers read like GetPrivateProfileIntA, writes that keep
// every other line and replace the file atomically. Parsing is separate from file I/O.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A settings file is a few hundred bytes; anything bigger is not ours and is refused.
inline constexpr std::size_t kMaxIniFileBytes = std::size_t{1} << 20;

// Integer value of key in section of the given ini text, or nDefault when the key is
// missing or its value empty.
int GetProfileIntFromText(const std::string& text, const std::string& section,
                          const std::string& key, int nDefault);
// The text with key set to value in section (replaced in place, appended to the
// section, or a new section at the end); every other line kept as it was.
std::string SetProfileStringInText(const std::string& text, const std::string& section,
                                   const std::string& key, const std::string& value);

// The file's text; false when it cannot be read, with errno saying why: ENOENT missing,
// EISDIR a folder, EINVAL not a regular file, EFBIG over kMaxIniFileBytes, EACCES unreadable.
bool ReadTextFile(const std::string& path, std::string& text);
// Writes the text to a temporary file in the same folder, syncs it and renames it over
// path, so readers see either the old or the new file. Temporary files of path left by
// processes that have died (killed while saving) are removed first; those of live processes
// are kept. False (and errno kept) on failure.
bool WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace platform
