#include "engine/ReportSize.h"

#include <algorithm>

#include "engine/DumpType.h"

namespace trovik {

namespace {

// Characters a format writes for one line of sixteen bytes, its line head
// and break included.
uint64_t CharsPerSixteenBytes(DumpType type) {
  switch (type) {
    case DumpType::DosDebug:
      return 79;  // break, address, 16 hex pairs, 5 blanks, 16 characters
    case DumpType::Assembly:
      return 7 + 16 * 6;
    case DumpType::C:
      return 3 + 16 * 6;
    case DumpType::Basic:
      return 6 + 15 * 6 + 4;  // the last item of a line has no ", "
    case DumpType::AsciiText:
      return 16;
    default:
      return 0;
  }
}

}  // namespace

uint64_t EstimateReportChars(const DumpRequest& request, uint64_t fileSize) {
  const DumpType type = static_cast<DumpType>(request.dumpType);
  const uint64_t perLine = CharsPerSixteenBytes(type);
  const uint64_t size = EffectiveSize(fileSize);
  if (perLine == 0 || size == 0) return 0;
  const ByteRange range = FixRange(request, fileSize);
  const uint64_t last = std::min<uint64_t>(range.end, size - 1);
  // DOS Debug lines follow the addresses, so a range that starts or ends
  // mid-row still opens a whole line (one that starts after its end, one
  // blank line); the other formats count sixteen bytes from the start.
  uint64_t lines;
  if (type == DumpType::DosDebug)
    lines = range.start > last ? 1 : (last >> 4) - (range.start >> 4) + 1;
  else
    lines = range.start > last ? 0 : (last - range.start + 16) / 16;
  return lines * perLine;
}

}  // namespace trovik
