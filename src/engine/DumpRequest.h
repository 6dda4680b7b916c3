// One dump request as the dialog or the command line collects it, and the
// rules that turn its texts into a byte range of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/DumpType.h"

namespace trovik {

// How the request dialog closed: "Dump It" or "Edit" (edit mode). The
// values are the dialog's own result codes, which it compares with.
enum RequestResult : int { kResultDump = 1, kResultEdit = 3 };

// What the start and end texts count. The stored setting "offset_type"
// keeps these values.
enum class OffsetType : int { Bytes = 0, Sectors = 1 };

inline constexpr int kMinCount = 1;
inline constexpr int kMaxCount = 16384;

// Offsets are 32-bit: a larger file is dumped as its first 4 GiB.
inline constexpr uint64_t kAddressableSize = 0x100000000ULL;
inline constexpr uint32_t kLastAddressable = 0xFFFFFFFFu;

struct DumpRequest {
  std::string start;       // as typed: decimal, or hexadecimal with "0x"
  std::string end;
  int count = 1;           // 1..16384
  bool askOffset = false;  // ask for a display address (OHCI)
  bool isIso = false;      // 2048-byte sectors
  DumpType dumpType = DumpType::None;  // None when none was chosen
  OffsetType offsetType = OffsetType::Bytes;
  RequestResult result = kResultDump;
  // The run sees the file from this byte on (0: the whole file); its report
  // then opens with a line that names the base.
  uint64_t base = 0;
};

// Lower-cases the text; "0x" starts hexadecimal, anything else is decimal.
// Reading stops at the first character that is not part of the number, a
// leading minus is accepted, a text without a number gives 0. A positive
// number above 0xFFFFFFFF gives 0xFFFFFFFF (it is then clamped to the end of
// the file); a negative one is taken modulo 2^32, so -1 is the last byte.
uint32_t ParseOffsetText(std::string_view text);

// 9 for 512-byte sectors, 11 for 2048-byte optical sectors.
int SectorShift(bool isIso);

// The file size as the run uses it: files of 4 GiB or more count as 4 GiB.
uint64_t EffectiveSize(uint64_t fileSize);
bool ExceedsAddressableSize(uint64_t fileSize);
inline constexpr const char* kLargeFileWarning =
    "The file is larger than 32-bit file size.\nOnly use the first 4gig of the file...";

// Start and end texts the dialog opens with for a file of this size.
struct RangeTexts {
  std::string start;
  std::string end;
};
RangeTexts PresetRange(uint64_t fileSize, OffsetType offsetType, bool isIso);

// Start and last byte (inclusive) of a request. Entered values are clamped
// to the last byte of the file, then sector numbers become byte offsets; a
// sector offset that would pass 4 GiB is held at the last addressable byte
// instead of wrapping.
struct ByteRange {
  uint32_t start = 0;
  uint32_t end = 0;
};
ByteRange FixRange(const DumpRequest& request, uint64_t fileSize);

}  // namespace trovik
