// On-disk layout of the UDF descriptors this family decodes (all numbers
// little-endian). Offsets count from the start of the descriptor.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trovik::udf {

// One descriptor is read as 2,048 bytes whatever the sector size.
constexpr size_t kDescriptorRead = 2048;

namespace tag {
constexpr size_t kIdentifier = 0;
constexpr size_t kVersion = 2;
constexpr size_t kChecksum = 4;
constexpr size_t kReserved = 5;
constexpr size_t kSerial = 6;
constexpr size_t kCrc = 8;
constexpr size_t kCrcLength = 10;
constexpr size_t kLocation = 12;
constexpr size_t kSize = 16;
}  // namespace tag

enum TagId : uint16_t {
  kPrimaryVolume = 1,
  kAnchor = 2,
  kImplementationUse = 4,
  kPartition = 5,
  kLogicalVolume = 6,
  kUnallocatedSpace = 7,
  kFileSet = 256,
  kFileIdentifier = 257,
  kExtendedFileEntry = 266,
};

constexpr size_t kEntityIdSize = 32;
constexpr uint32_t kAnchorLocation = 256;

// CRC-16 of descriptor tags: polynomial 0x1021, initial value 0, most
// significant bit first, no final inversion. Length 0 gives 0.
uint16_t ComputeTagCrc(const uint8_t* bytes, size_t length);
// The tag checksum: bytes 0..15 except the checksum byte itself, modulo 256.
uint8_t TagChecksum(const uint8_t* tag);
// An identifier field (d-string) of `size` bytes as 8-bit text. Byte 0 is
// the compression ID (8: one byte per character; 16: big-endian 16-bit
// units, of which the low byte is kept), the last byte the number of bytes
// used. Other compression IDs give an empty text; the text ends at its
// first zero.
std::string IdentifierText(const uint8_t* field, size_t size);

}  // namespace trovik::udf
