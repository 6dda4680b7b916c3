// The LBA/CHS converter's model: its boxes and the two conversions for the
// fixed geometry of 63 sectors per track and 16 heads, with the results in
// binary and as the three CHS bytes of a partition entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace trovik {

struct LbaChsBoxes {
  std::string lba;
  std::string cylinder, head, sector;
  std::string binaryCylinder, binaryHead, binarySector;  // 10, 8 and 6 digits
  std::string entryCylinder, entryHead, entrySector;     // partition entry bytes, "0x%02X"
};

inline constexpr const char* kLbaTooLargeText = "LBA is larger than what will fit in CHS values. (max = 1032191)";
inline constexpr const char* kLbaNotANumberText = "Enter a number for the LBA: decimal, or hexadecimal with 0x.";
inline constexpr const char* kChsErrorText = "Error with CHS values...";

// v as n binary digits, most significant first; n below 1 gives "".
std::string FormatBinaryDigits(uint32_t v, int n);

// "LBA 2 CHS". Returns the message to show when the LBA box holds no number
// (text without leading digits) or one beyond the geometry; the boxes are
// then unchanged. An empty box
// does nothing.
std::optional<std::string> ConvertLbaToChs(LbaChsBoxes& boxes);
// "CHS 2 LBA". Empty boxes default to cylinder 0, head 0, sector 1 (and show
// it) when at least one box holds text. Returns the message to show when a
// box holds no number or a value out of range; the boxes are then unchanged.
std::optional<std::string> ConvertChsToLba(LbaChsBoxes& boxes);

// What typing into a box clears: the LBA box clears the CHS boxes and both
// result rows; a CHS box clears the LBA box and both result rows.
void LbaBoxEdited(LbaChsBoxes& boxes);
void ChsBoxEdited(LbaChsBoxes& boxes);

}  // namespace trovik
