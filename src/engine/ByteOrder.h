// Field reads for on-disk structures. Every decoder reads multi-byte fields
// through these helpers instead of casting buffers to structs, so alignment,
// padding and host byte order never matter.
#pragma once

#include <cstdint>

namespace trovik {

inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Le64(const uint8_t* p) {
  return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}
inline uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t Be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline uint64_t Be64(const uint8_t* p) {
  return (static_cast<uint64_t>(Be32(p)) << 32) | static_cast<uint64_t>(Be32(p + 4));
}

// Fields the listings print as signed numbers, the way the on-disk
// definitions declare them.
inline int16_t SignedLe16(const uint8_t* p) { return static_cast<int16_t>(Le16(p)); }
inline int32_t SignedLe32(const uint8_t* p) { return static_cast<int32_t>(Le32(p)); }
inline int64_t SignedLe64(const uint8_t* p) { return static_cast<int64_t>(Le64(p)); }
inline int32_t SignedBe32(const uint8_t* p) { return static_cast<int32_t>(Be32(p)); }

inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutLe64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace trovik
