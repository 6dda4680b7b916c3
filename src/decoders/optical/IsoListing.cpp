#include "decoders/optical/IsoListing.h"

#include <vector>

#include "decoders/common/FieldText.h"
#include "engine/TextFormat.h"

namespace trovik::iso {

std::string NarrowText(const uint8_t* field, size_t length) {
  size_t n = 0;
  while (n < length && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field), n);
}

std::string WideText(const uint8_t* field, size_t chars) {
  std::vector<char> text(chars + 1);
  Ucs2BeToAscii(text.data(), field, static_cast<int>(chars));
  return std::string(text.data());
}

}  // namespace trovik::iso
