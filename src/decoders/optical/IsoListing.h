// Text-field helpers shared by the ISO 9660 decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Report.h"

namespace trovik::iso {

// An 8-bit text field: its bytes up to the first zero.
std::string NarrowText(const uint8_t* field, size_t length);
// A big-endian 16-bit text field: the low byte of each of `chars`
// characters, up to the first zero.
std::string WideText(const uint8_t* field, size_t chars);
// A directory record's date (iso::dirdate) through `format`: year, month,
// day, hour, minute, second and the offset from GMT.
void AddDirDate(Report& r, const char* format, const uint8_t* date);

// The listings show the big-endian half of a both-byte-order number as its
// bytes read little-endian, so a sound copy shows byte-reversed.
template <typename T>
constexpr T AsStored(T bigEndian) {
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value = static_cast<T>((value << 8) | ((bigEndian >> (8 * i)) & 0xFF));
  return value;
}

}  // namespace trovik::iso
