// A minimal ZIP writer for res.dat: stored (uncompressed) entries with a fixed date and no extra
// fields, so the same files always give the same archive bytes.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tools/assetgen/byte_io.h"

namespace assetgen {

// Every entry carries 2000-01-01 00:00 (MS-DOS time 0, date 0x2821) instead of a disk time.
inline constexpr uint16_t kZipDosTime = 0;
inline constexpr uint16_t kZipDosDate = ((2000 - 1980) << 9) | (1 << 5) | 1;

// The classic format's counts are 16-bit and its offsets 32-bit, and the all-ones values mean
// "see the zip64 record", which we never write.
inline constexpr uint64_t kZipMaxEntries = 0xFFFE;
inline constexpr uint64_t kZipMaxBytes = 0xFFFFFFFEu;

// Archive size for these entries, computed from names and sizes alone.
uint64_t StoredZipSize(const std::map<std::string, Bytes>& files);

// Throws std::length_error when an archive with this many entries and bytes would need zip64.
void CheckStoredZipLimits(uint64_t entries, uint64_t archiveBytes);

// Entries in name order (the map's); names must be relative, printable ASCII without spaces, with
// forward slashes. Throws std::invalid_argument for a bad name, std::length_error past the limits above.
Bytes WriteStoredZip(const std::map<std::string, Bytes>& files);

}  // namespace assetgen
