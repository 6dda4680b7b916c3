#include "engine/DumpRequest.h"

#include <algorithm>
#include <cctype>

#include "engine/TextFormat.h"

namespace trovik {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

// Reads an optionally signed number the way the C library's scanners do:
// leading white space skipped, then digits until the first that does not fit.
uint32_t ScanNumber(std::string_view text, int base) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  // A hexadecimal scan accepts its own optional "0x" prefix as well.
  if (base == 16 && i + 1 < text.size() && text[i] == '0' && text[i + 1] == 'x' && i + 2 < text.size() &&
      DigitValue(text[i + 2]) < 16)
    i += 2;
  uint32_t value = 0;  // modulo 2^32 by construction
  bool above32Bits = false;
  for (; i < text.size(); ++i) {
    int d = DigitValue(text[i]);
    if (d >= base) break;
    const uint64_t next = uint64_t{value} * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
    above32Bits |= next > kLastAddressable;
    value = static_cast<uint32_t>(next);
  }
  if (negative) return 0u - value;
  // A wrapped value would name an offset near the start of the file; the
  // largest offset is clamped to the end of the file like any other.
  return above32Bits ? kLastAddressable : value;
}

}  // namespace

uint32_t ParseOffsetText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.size() >= 2 && lower[0] == '0' && lower[1] == 'x') return ScanNumber(std::string_view(lower).substr(2), 16);
  return ScanNumber(lower, 10);
}

int SectorShift(bool isIso) { return isIso ? 11 : 9; }

uint64_t EffectiveSize(uint64_t fileSize) { return std::min(fileSize, kAddressableSize); }

bool ExceedsAddressableSize(uint64_t fileSize) { return fileSize > kLastAddressable; }

RangeTexts PresetRange(uint64_t fileSize, OffsetType offsetType, bool isIso) {
  const bool sectors = offsetType == OffsetType::Sectors;
  RangeTexts texts{sectors ? "0" : "0x00000000", sectors ? "0" : "0x00000000"};
  const uint64_t size = EffectiveSize(fileSize);
  if (size != 0) {
    // A last partial sector counts, so the preset covers the whole file.
    const int shift = SectorShift(isIso);
    if (sectors)
      texts.end = Format("%i", static_cast<int>((size + (uint64_t{1} << shift) - 1) >> shift));
    else
      texts.end = Format("0x%08X", static_cast<uint32_t>(size - 1));
  }
  return texts;
}

ByteRange FixRange(const DumpRequest& request, uint64_t fileSize) {
  // For an empty file this is 0xFFFFFFFF, so nothing is clamped.
  const uint32_t last = static_cast<uint32_t>(EffectiveSize(fileSize) - 1);
  uint64_t start = std::min(ParseOffsetText(request.start), last);
  uint64_t end = std::min(ParseOffsetText(request.end), last);
  if (request.offsetType == OffsetType::Sectors) {
    const int shift = SectorShift(request.isIso);
    start <<= shift;
    end <<= shift;
    if (end != 0) --end;  // the end sector is the first one not dumped
    start = std::min<uint64_t>(start, kLastAddressable);
    end = std::min<uint64_t>(end, kLastAddressable);
  }
  return {static_cast<uint32_t>(start), static_cast<uint32_t>(end)};
}

}  // namespace trovik
