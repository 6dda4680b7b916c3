#include "decoders/optical/IsoListing.h"

#include <vector>

#include "engine/TextFormat.h"

namespace trovik::iso {

bool AppendDebugLines(Report& report, uint32_t address, const uint8_t* bytes, size_t length) {
  bool nonZero = false;
  std::string chars;
  std::string& line = report.Pending();
  size_t column = 0;
  for (size_t i = 0; i < length; ++i) {
    if (column == 0) {
      line = Format("\n%08X ", address);
      address += 16;
      chars.clear();
    }
    const uint8_t b = bytes[i];
    nonZero |= b != 0;
    AppendFormat(line, column == 8 ? "-%02X" : " %02X", b);
    chars += (b >= 0x21 && b <= 0x7F) ? static_cast<char>(b) : '.';
    if (++column == 16) {
      line += "     ";
      line += chars;
      report.AppendPending();
      column = 0;
    }
  }
  if (column != 0) {
    line += "     ";
    line.append(3 * (16 - column), ' ');
    line += chars;
    report.AppendPending();
  }
  return nonZero;
}

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
