#include "decoders/common/FieldText.h"

#include <ctime>

#include "engine/ByteOrder.h"
#include "engine/Report.h"
#include "engine/TextFormat.h"

namespace trovik {

std::string GuidText(const uint8_t* g) {
  return Format("%08X-%04X-%04X-%04X-%02X%02X%02X%02X%02X%02X", Le32(g), Le16(g + 4), Le16(g + 6), Be16(g + 8), g[10],
                g[11], g[12], g[13], g[14], g[15]);
}

std::string LittleEndianGuidText(const uint8_t* g) {
  return Format("%08X-%04X-%04X-%04X-%02X%02X%02X%02X%02X%02X", Le32(g), Le16(g + 4), Le16(g + 6), Le16(g + 8), g[10],
                g[11], g[12], g[13], g[14], g[15]);
}

void Ucs2BeToAscii(char* dest, const uint8_t* source, int n) {
  int i = 0;
  for (; i < n; ++i) dest[i] = static_cast<char>(source[2 * i + 1]);
  dest[i > 0 ? i : 0] = 0;
}

const char* const MonthNames[13] = {"",       "January", "February", "March",     "April",   "May",      "June",
                                    "July",   "August",  "September", "October", "November", "December"};
const char* const DayNames[8] = {"", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

namespace {

std::string FormatLocalTime(int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return "time_val exceeds limit";
  return Format("%s %02i %s %04i  %02i:%02i:%02i", DayNames[local.tm_wday + 1], local.tm_mday,
                MonthNames[local.tm_mon + 1], local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace

std::string FormatTimestamp(uint64_t microseconds) {
  const uint64_t seconds = microseconds / 1000000;
  if (seconds > 6307200000ULL) return "time_val exceeds limit";
  return FormatLocalTime(static_cast<int64_t>(seconds));
}

std::string FormatTimestampSeconds(uint32_t seconds) { return FormatLocalTime(seconds); }

void AddSignatureLine(Report& report, const char* label, const uint8_t* field) {
  report.Printf("%s0x%08X  ('%c%c%c%c') [1]\n", label, Le32(field), PrintableChar(field[3]), PrintableChar(field[2]),
                PrintableChar(field[1]), PrintableChar(field[0]));
}

}  // namespace trovik
