// Little-endian byte appenders and CRC-32 shared by the file writers and the manifest.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/crc32.h"

namespace assetgen {

using Bytes = std::vector<uint8_t>;

inline void PutU8(Bytes& b, uint8_t v) { b.push_back(v); }
inline void PutU16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void PutI16(Bytes& b, int16_t v) { PutU16(b, static_cast<uint16_t>(v)); }
inline void PutF32(Bytes& b, float v) {
  uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  PutU32(b, u);
}
inline void PutText(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
inline void PatchU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The manifest's CRC-32 is the one the game checks when it reads the pack.
inline uint32_t Crc32(const uint8_t* data, size_t size) { return platform::Crc32(data, size); }
inline uint32_t Crc32(const Bytes& b) { return Crc32(b.data(), b.size()); }

}  // namespace assetgen
