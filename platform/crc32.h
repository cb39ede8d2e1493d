// The ZIP/PNG CRC-32 (reflected polynomial 0xEDB88320), as written in the pack's manifest.
// Pure function, any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

uint32_t Crc32(const uint8_t* data, size_t size);

}  // namespace platform
