// The GUID partition table: header sector and partition entry layouts,
// and the header CRC that the listing checks and the header editor
// recalculates.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trovik {

namespace gpt {
inline constexpr size_t kHeaderSectorSize = 512;
inline constexpr size_t kSignature = 0;
inline constexpr size_t kRevision = 8;
inline constexpr size_t kHeaderSize = 12;
inline constexpr size_t kHeaderCrc = 16;
inline constexpr size_t kReserved = 20;
inline constexpr size_t kPrimaryLba = 24;
inline constexpr size_t kBackupLba = 32;
inline constexpr size_t kFirstUsableLba = 40;
inline constexpr size_t kLastUsableLba = 48;
inline constexpr size_t kDiskGuid = 56;
inline constexpr size_t kEntryArrayLba = 72;
inline constexpr size_t kEntryCount = 80;
inline constexpr size_t kEntrySizeField = 84;
inline constexpr size_t kEntryArrayCrc = 88;
inline constexpr size_t kReservedTail = 92;  // to the end of the sector

inline constexpr uint32_t kRevision1_0 = 0x00010000;
inline constexpr uint32_t kUsualHeaderSize = 92;

inline constexpr size_t kEntrySize = 128;
inline constexpr size_t kTypeGuid = 0;
inline constexpr size_t kUniqueGuid = 16;
inline constexpr size_t kFirstLba = 32;
inline constexpr size_t kLastLba = 40;
inline constexpr size_t kAttributes = 48;
inline constexpr size_t kName = 56;
inline constexpr size_t kNameUnits = 36;

inline constexpr int kAttrReadOnly = 60;
inline constexpr int kAttrHidden = 62;
inline constexpr int kAttrNoAutomount = 63;
}  // namespace gpt

// The CRC of a 512-byte header sector as it should be stored: the CRC field
// counts as zero and the header-size field gives the length covered. The
// size is taken unsigned and clamped to the sector, so no stored value can
// make the sum run outside it.
uint32_t GptHeaderCrc(const uint8_t* headerSector);

}  // namespace trovik
