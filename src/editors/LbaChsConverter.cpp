#include "editors/LbaChsConverter.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "editors/Chs.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

// A number at the start of the text (after blanks and an optional sign), or
// nothing when no digit follows. Values beyond 64 bits saturate, which every
// caller then refuses as out of range.
std::optional<int64_t> LeadingNumber(const std::string& text, int base) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(begin, &end, base);
  if (end == begin) return std::nullopt;
  return value;
}

void SetResults(LbaChsBoxes& b, const ChsValues& chs, uint8_t sectorBits) {
  b.binaryCylinder = FormatBinaryDigits(chs.cylinder, 10);
  b.binaryHead = FormatBinaryDigits(chs.head, 8);
  b.binarySector = FormatBinaryDigits(chs.sector, 6);
  const ChsBytes bytes = PackChs({chs.cylinder, chs.head, sectorBits});
  b.entryCylinder = Format("0x%02X", bytes.cylinder);
  b.entryHead = Format("0x%02X", bytes.head);
  b.entrySector = Format("0x%02X", bytes.sector);
}

void ClearResults(LbaChsBoxes& b) {
  b.binaryCylinder.clear();
  b.binaryHead.clear();
  b.binarySector.clear();
  b.entryCylinder.clear();
  b.entryHead.clear();
  b.entrySector.clear();
}

}  // namespace

std::string FormatBinaryDigits(uint32_t v, int n) {
  std::string digits;
  for (int k = n - 1; k >= 0; --k) digits += (k < 32 && ((v >> k) & 1u)) ? '1' : '0';
  return digits;
}

std::optional<std::string> ConvertLbaToChs(LbaChsBoxes& b) {
  if (b.lba.empty()) return std::nullopt;
  const bool hex = b.lba.size() >= 2 && b.lba[0] == '0' && std::tolower(static_cast<unsigned char>(b.lba[1])) == 'x';
  const auto value = hex ? LeadingNumber(b.lba.substr(2), 16) : LeadingNumber(b.lba, 10);
  if (!value) return std::string(kLbaNotANumberText);
  // Negative numbers would read as huge unsigned LBAs: refused alike.
  if (*value < 0 || *value > int64_t{kMaxChsLba}) return std::string(kLbaTooLargeText);
  const ChsValues chs = LbaToChs(static_cast<int32_t>(*value));
  b.cylinder = Format("%u", chs.cylinder);
  b.head = Format("%u", chs.head);
  b.sector = Format("%u", chs.sector);
  SetResults(b, chs, static_cast<uint8_t>(chs.sector));
  return std::nullopt;
}

std::optional<std::string> ConvertChsToLba(LbaChsBoxes& b) {
  if (b.cylinder.empty() && b.head.empty() && b.sector.empty()) return std::nullopt;
  const std::string cylinderText = b.cylinder.empty() ? "0" : b.cylinder;
  const std::string headText = b.head.empty() ? "0" : b.head;
  const std::string sectorText = b.sector.empty() ? "1" : b.sector;
  const auto cylinder = LeadingNumber(cylinderText, 10);
  const auto head = LeadingNumber(headText, 10);
  const auto sector = LeadingNumber(sectorText, 10);
  if (!cylinder || !head || !sector || *sector < 1 || *sector > 63 || *head < 0 || *head > 255 || *cylinder < 0 ||
      *cylinder >= int64_t{kChsCylinders})
    return std::string(kChsErrorText);
  // A head of 16 to 255 is accepted and enters the formula as it is.
  const ChsValues chs{static_cast<uint32_t>(*cylinder), static_cast<uint32_t>(*head), static_cast<uint32_t>(*sector)};
  const uint32_t lba = ((chs.cylinder * mbr::kHeads) + chs.head) * mbr::kSectorsPerTrack + chs.sector - 1;
  b.cylinder = cylinderText;
  b.head = headText;
  b.sector = sectorText;
  b.lba = Format("%u", lba);
  SetResults(b, chs, static_cast<uint8_t>(chs.sector & 0x3Fu));
  return std::nullopt;
}

void LbaBoxEdited(LbaChsBoxes& b) {
  b.cylinder.clear();
  b.head.clear();
  b.sector.clear();
  ClearResults(b);
}

void ChsBoxEdited(LbaChsBoxes& b) {
  b.lba.clear();
  ClearResults(b);
}

}  // namespace trovik
