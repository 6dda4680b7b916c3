#include "decoders/optical/IsoListing.h"

#include <vector>

#include "decoders/common/FieldText.h"
#include "decoders/optical/IsoLayout.h"
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

void AddDirDate(Report& r, const char* format, const uint8_t* date) {
  using namespace dirdate;
  r.Printf(format, 1900 + Get(date, kYear), Get(date, kMonth), Get(date, kDay), Get(date, kHour), Get(date, kMinute),
           Get(date, kSecond), Get(date, kGmtOffset));
}

}  // namespace trovik::iso
