#include "decoders/partition/Crc32.h"

#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"

namespace trovik {

Crc32::Crc32() {
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    table_[i] = c;
  }
}

uint32_t Crc32::Compute(const void* data, size_t length) const {
  if (length == 0) return 0;
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) crc = (crc >> 8) ^ table_[(crc ^ p[i]) & 0xFF];
  return ~crc;
}

std::string GuidText(const uint8_t* g) {
  return Format("%08X-%04X-%04X-%04X-%02X%02X%02X%02X%02X%02X", Le32(g), Le16(g + 4), Le16(g + 6), Be16(g + 8), g[10],
                g[11], g[12], g[13], g[14], g[15]);
}

}  // namespace trovik
