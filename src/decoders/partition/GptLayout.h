// The GUID partition table: header sector and partition entry layouts,
// and the header CRC that the listing checks and the header editor
// recalculates.
#pragma once

#include <cstring>

#include "engine/ByteOrder.h"

namespace trovik {

namespace gpt {
namespace header {
inline constexpr size_t kSize = 512;  // the whole sector: the header and the reserved rest
inline constexpr Bytes kSignature{0, 8};
inline constexpr U32 kRevision{8};
inline constexpr U32 kHeaderSize{12};
inline constexpr U32 kHeaderCrc{16};
inline constexpr U32 kReserved{20};
inline constexpr U64 kPrimaryLba{24};
inline constexpr U64 kBackupLba{32};
inline constexpr U64 kFirstUsableLba{40};
inline constexpr U64 kLastUsableLba{48};
inline constexpr Bytes kDiskGuid{56, 16};
inline constexpr U64 kEntryArrayLba{72};
inline constexpr U32 kEntryCount{80};
inline constexpr U32 kEntrySize{84};
inline constexpr U32 kEntryArrayCrc{88};
inline constexpr Bytes kReservedTail{92, kSize - 92};
}  // namespace header

namespace entry {
inline constexpr size_t kSize = 128;
inline constexpr Bytes kTypeGuid{0, 16};
inline constexpr U32 kTypeGuidFirst{0};  // the type GUID's first field
inline constexpr Bytes kUniqueGuid{16, 16};
inline constexpr U64 kFirstLba{32};
inline constexpr U64 kLastLba{40};
inline constexpr U64 kAttributes{48};
inline constexpr size_t kNameUnits = 36;
inline constexpr Bytes kName{56, 2 * kNameUnits};  // UTF-16LE
constexpr U16 NameUnit(size_t i) { return Element(U16{kName.offset}, i); }
}  // namespace entry

inline bool HasSignature(const uint8_t* sector) {
  return std::memcmp(At(sector, header::kSignature), "EFI PART", header::kSignature.size) == 0;
}

inline constexpr uint32_t kRevision1_0 = 0x00010000;
inline constexpr uint32_t kUsualHeaderSize = 92;

inline constexpr int kAttrReadOnly = 60, kAttrHidden = 62, kAttrNoAutomount = 63;  // attribute bits
}  // namespace gpt

// The CRC of a 512-byte header sector as it should be stored: the CRC field
// counts as zero and the header-size field gives the length covered. The
// size is taken unsigned and clamped to the sector, so no stored value can
// make the sum run outside it.
uint32_t GptHeaderCrc(const uint8_t* headerSector);

}  // namespace trovik
