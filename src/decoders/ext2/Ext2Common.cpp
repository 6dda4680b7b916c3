#include "decoders/ext2/Ext2Common.h"

#include <ctime>

#include "decoders/common/FieldText.h"
#include "decoders/ext2/Ext2Layout.h"

namespace trovik::ext2 {

void AddTimeLine(Report& report, const char* label, uint32_t seconds, const char* zeroSuffix) {
  // A 64-bit time_t converts every 32-bit value, so a date past 2038 (or
  // past the 2032 limit of older readers) is shown as it really is.
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (seconds == 0 || !localtime_r(&t, &local)) {
    report.Printf("%s: 0x%08X%s\n", label, seconds, seconds == 0 ? zeroSuffix : "");
    return;
  }
  report.Printf("%s: 0x%08X  (%s  %i %s %04i   %i:%02i:%02i)\n", label, seconds, DayNames[local.tm_wday + 1],
                local.tm_mday, MonthNames[local.tm_mon + 1], local.tm_year + 1900, local.tm_hour, local.tm_min,
                local.tm_sec);
}

void AddItemTitle(Report& report, int count, int index, uint32_t shown, const char* name, const char* suffix) {
  if (count > 1) report.Printf("%03i) ", index);
  report.Printf("%s (0x%08X)%s\n", name, shown, suffix);
}

void AddUuidLine(Report& report, const char* label, const uint8_t* id) {
  report.Printf("%s: %s\n", label, LittleEndianGuidText(id).c_str());
}

std::string FieldText(const uint8_t* field, size_t width) {
  size_t n = 0;
  while (n < width && field[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(field), n);
}

}  // namespace trovik::ext2
