#include "editors/FieldText.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/CodePage.h"

namespace trovik {

namespace {

uint64_t ParseWithBase(std::string_view text, int base) {
  // strtoull needs a terminated string; the copy also keeps a view into a
  // larger buffer from being read past its end.
  const std::string copy(text);
  errno = 0;
  return std::strtoull(copy.c_str(), nullptr, base);
}

}  // namespace

uint64_t ParseAutoBase(std::string_view text) { return ParseWithBase(text, 0); }
uint64_t ParseHex(std::string_view text) { return ParseWithBase(text, 16); }

std::u16string TextFieldToBox(const uint8_t* field, size_t width) {
  std::u16string text;
  for (size_t i = 0; i < width && field[i] != 0; ++i) text += Cp1252ToUnicode(field[i]);
  return text;
}

void BoxToTextField(std::u16string_view text, uint8_t* field, size_t width) {
  std::memset(field, 0, width);
  const size_t n = std::min(width, text.size());
  for (size_t i = 0; i < n; ++i) field[i] = UnicodeToCp1252(text[i]);
}

}  // namespace trovik
