#include "decoders/common/Checksums.h"

#include <array>

#include "engine/ByteOrder.h"

namespace trovik {

namespace {

// The one table, built on first use.
const std::array<uint32_t, 256>& Crc32Table() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  return table;
}

}  // namespace

uint32_t Crc32(const void* data, size_t length) {
  if (length == 0) return 0;
  const auto& table = Crc32Table();
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) crc = (crc >> 8) ^ table[(crc ^ p[i]) & 0xFF];
  return ~crc;
}

uint32_t RotateAddChecksum(const uint8_t* bytes, uint32_t size) {
  const uint32_t n = size / 4;
  if (n < 2) return 0;
  uint32_t sum = 0;
  for (uint32_t i = 1; i < n; ++i) sum = ((sum >> 1) | (sum << 31)) + Le32(bytes + 4 * i);
  return sum;
}

}  // namespace trovik
