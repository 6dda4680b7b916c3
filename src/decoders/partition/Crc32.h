// CRC-32 of IEEE 802.3 (reflected polynomial 0x04C11DB7, initial value and
// final complement 0xFFFFFFFF): the checksum of GPT headers and entry
// arrays and of QOR metadata. The one CRC-32 engine of the project.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace trovik {

class Crc32 {
 public:
  Crc32();
  // CRC of length bytes at data; length 0 gives 0.
  uint32_t Compute(const void* data, size_t length) const;

 private:
  std::array<uint32_t, 256> table_;
};

// A 16-byte GUID in its mixed-endian text form,
// e.g. "C12A7328-F81F-11D2-BA4B-00A0C93EC93B".
std::string GuidText(const uint8_t* guid);

}  // namespace trovik
