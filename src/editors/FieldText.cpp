#include "editors/FieldText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace trovik {

namespace {

uint64_t ParseWithBase(std::string_view text, int base) {
  // strtoull needs a terminated string; the copy also keeps a view into a
  // larger buffer from being read past its end.
  const std::string copy(text);
  errno = 0;
  return std::strtoull(copy.c_str(), nullptr, base);
}

// 0x80..0x9F of code page 1252.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

uint64_t ParseAutoBase(std::string_view text) { return ParseWithBase(text, 0); }
uint64_t ParseHex(std::string_view text) { return ParseWithBase(text, 16); }

char16_t Cp1252ToUtf16(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

uint8_t Utf16ToCp1252(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<uint8_t>(unit);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == unit) return static_cast<uint8_t>(0x80 + i);
  return '?';
}

std::u16string TextFieldToBox(const uint8_t* field, size_t width) {
  std::u16string text;
  for (size_t i = 0; i < width && field[i] != 0; ++i) text += Cp1252ToUtf16(field[i]);
  return text;
}

void BoxToTextField(std::u16string_view text, uint8_t* field, size_t width) {
  std::memset(field, 0, width);
  const size_t n = std::min(width, text.size());
  for (size_t i = 0; i < n; ++i) field[i] = Utf16ToCp1252(text[i]);
}

}  // namespace trovik
