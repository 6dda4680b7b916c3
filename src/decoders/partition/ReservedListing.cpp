#include "decoders/partition/ReservedListing.h"

#include <string>

#include "engine/TextFormat.h"

namespace trovik {

bool WriteReservedListing(Report& report, uint32_t firstOffset, const uint8_t* bytes, size_t length) {
  bool anyNonZero = false;
  for (size_t lineStart = 0; lineStart < length; lineStart += 16) {
    std::string& line = report.Pending();
    line = Format("\n%08X ", static_cast<uint32_t>(firstOffset + lineStart));
    std::string chars;
    size_t k = 0;
    for (; k < 16 && lineStart + k < length; ++k) {
      const uint8_t b = bytes[lineStart + k];
      anyNonZero |= b != 0;
      AppendFormat(line, k == 8 ? "-%02X" : " %02X", b);
      chars += (b >= 0x21 && b <= 0x7F) ? static_cast<char>(b) : '.';
    }
    line += "     ";
    line.append(3 * (16 - k), ' ');
    line += chars;
    report.AppendPending();
  }
  return anyNonZero;
}

}  // namespace trovik
