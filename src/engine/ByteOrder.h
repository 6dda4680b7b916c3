// Field reads for on-disk structures. Every decoder reads multi-byte fields
// through these helpers instead of casting buffers to structs, so alignment,
// padding and host byte order never matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

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

// A field of an on-disk structure: its offset bound to its width, byte order
// and signedness, so that a layout says once how a field is read and no
// listing can read it with another width. Layouts declare their fields as
// typed constants (`inline constexpr U32 kTotalBlocks{0x60};`) and listings
// read them through Get (and editors write them through Put).
enum class ByteOrder { Little, Big };

template <typename T, ByteOrder Order = ByteOrder::Little>
struct Field {
  static_assert(std::is_integral_v<T>);
  using Value = T;
  size_t offset;
  static constexpr size_t kSize = sizeof(T);
  constexpr size_t End() const { return offset + sizeof(T); }
};

using U8 = Field<uint8_t>;
using U16 = Field<uint16_t>;
using U32 = Field<uint32_t>;
using U64 = Field<uint64_t>;
using S16 = Field<int16_t>;
using S32 = Field<int32_t>;
using S64 = Field<int64_t>;
using U16Be = Field<uint16_t, ByteOrder::Big>;
using U32Be = Field<uint32_t, ByteOrder::Big>;
using U64Be = Field<uint64_t, ByteOrder::Big>;
using S32Be = Field<int32_t, ByteOrder::Big>;

// A run of bytes inside a structure: a name, a label, a GUID, a reserved
// area. At() gives its first byte; its size travels with it.
struct Bytes {
  size_t offset;
  size_t size;
  constexpr size_t End() const { return offset + size; }
};

template <typename T, ByteOrder Order>
constexpr T Get(const uint8_t* base, Field<T, Order> field) {
  using Raw = std::make_unsigned_t<T>;
  const uint8_t* p = base + field.offset;
  uint64_t value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) {
    const size_t shift = 8 * (Order == ByteOrder::Little ? i : sizeof(T) - 1 - i);
    value |= static_cast<uint64_t>(p[i]) << shift;
  }
  return static_cast<T>(static_cast<Raw>(value));
}

template <typename T, ByteOrder Order>
constexpr void Put(uint8_t* base, Field<T, Order> field, std::type_identity_t<T> value) {
  const auto raw = static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(value));
  uint8_t* p = base + field.offset;
  for (size_t i = 0; i < sizeof(T); ++i) {
    const size_t shift = 8 * (Order == ByteOrder::Little ? i : sizeof(T) - 1 - i);
    p[i] = static_cast<uint8_t>(raw >> shift);
  }
}

// Element i of a run of like fields whose first element is `first` (a
// table of block numbers, a name of 16-bit units).
template <typename T, ByteOrder Order>
constexpr Field<T, Order> Element(Field<T, Order> first, size_t i) {
  return {first.offset + i * sizeof(T)};
}

constexpr const uint8_t* At(const uint8_t* base, Bytes field) { return base + field.offset; }
constexpr uint8_t* At(uint8_t* base, Bytes field) { return base + field.offset; }

}  // namespace trovik
