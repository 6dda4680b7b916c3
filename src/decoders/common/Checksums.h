// The checksum engines that more than one family's structures use.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trovik {

// CRC-32 of IEEE 802.3 (reflected polynomial 0x04C11DB7, initial value and
// final complement 0xFFFFFFFF): GPT headers and entry arrays, QOR metadata.
// Length 0 gives 0.
uint32_t Crc32(const void* data, size_t length);

// Sum over 32-bit little-endian words 1..n-1, rotating the sum right by one
// bit before each addition; word 0 (the stored checksum) is skipped.
uint32_t RotateAddChecksum(const uint8_t* bytes, uint32_t size);

}  // namespace trovik
