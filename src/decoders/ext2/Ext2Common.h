// Pieces the ext2 family's listings share: time lines, UUIDs, flag-name
// runs and bounded name tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ByteOrder.h"
#include "engine/Report.h"

namespace trovik::ext2 {

// A count split over a high and a low field of the same width, as one
// signed 64-bit number.
template <typename T>
int64_t Joined(const uint8_t* p, Field<T> hi, Field<T> lo) {
  return static_cast<int64_t>((static_cast<uint64_t>(Get(p, hi)) << (8 * sizeof(T))) | Get(p, lo));
}

// A 32-bit field printed with "%i": the stored bits as a signed value.
inline int32_t Signed(uint32_t value) { return static_cast<int32_t>(value); }

// A time line: "<label>: 0x%08X" followed by the local date of the stored
// seconds, or, for 0, by zeroSuffix alone. The stored value is always shown
// as it is, whatever its size.
void AddTimeLine(Report& report, const char* label, uint32_t seconds, const char* zeroSuffix = "");

// The title line of Count item `index`, numbered ("007) ") when the run
// lists more than one: "<name> (0x<shown>)<suffix>".
void AddItemTitle(Report& report, int count, int index, uint32_t shown, const char* name, const char* suffix = "");

// "<label>: " and a 16-byte UUID as 32-bit, three 16-bit little-endian
// groups and six single bytes.
void AddUuidLine(Report& report, const char* label, const uint8_t* uuid);

struct FlagName {
  uint32_t bit;
  const char* name;  // with its leading blank
};

// The names of the set bits in table order, run together, then
// " <Unknown flag set>" when a bit outside knownMask is on.
template <size_t N>
std::string FlagNames(uint32_t value, const FlagName (&names)[N], uint32_t knownMask) {
  std::string out;
  for (const FlagName& flag : names)
    if (value & flag.bit) out += flag.name;
  if (value & ~knownMask) out += " <Unknown flag set>";
  return out;
}

// table[index], or unknown when the index lies past the table.
template <size_t N>
const char* TableName(uint32_t index, const char* const (&table)[N], const char* unknown) {
  return index < N ? table[index] : unknown;
}

// Text of a NUL-padded field: up to its first NUL, at most width bytes.
std::string FieldText(const uint8_t* field, size_t width);

}  // namespace trovik::ext2
