// Builds the whole pack contents in memory: every asset the game loads, the model textures, the
// font metrics and the manifest. Deterministic: the same bytes on every run.
#pragma once

#include <map>
#include <string>

#include "tools/assetgen/byte_io.h"

namespace assetgen {

// Pack path (forward slashes) -> file bytes, sorted by path.
using AssetSet = std::map<std::string, Bytes>;

AssetSet GenerateAll();

// One line per file, "name size crc32" with the CRC as 8 lowercase hex digits, in path order;
// the manifest does not list itself.
std::string ManifestText(const AssetSet& files);

}  // namespace assetgen
