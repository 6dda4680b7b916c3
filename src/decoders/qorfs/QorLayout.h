// On-disk layout of the QOR file system structures: every field the
// decoders show, its offset bound to its width. All numbers are
// little-endian; 64-bit fields are not aligned.
#pragma once

#include <cstdint>

#include "engine/ByteOrder.h"

namespace trovik::qor {

namespace super {
inline constexpr size_t kSize = 512;
inline constexpr uint32_t kSig0Value = 0x514F5246;  // 'QORF'
inline constexpr uint32_t kSig1Value = 0x53555052;  // 'SUPR'
inline constexpr uint16_t kMinVersion = 0x0150;
inline constexpr U32 kSig0{0};
inline constexpr U32 kSig1{4};
inline constexpr U16 kVersion{8};  // minor in the low byte, major in the high
inline constexpr U16 kSectorsPerCluster{10};
inline constexpr U8 kEncryption{12};
inline constexpr U8 kBitmapCount{13};
inline constexpr U16 kBitmapFlag{14};
inline constexpr U32 kRootEntries{16};
inline constexpr S64 kBaseLba{20};
inline constexpr U64 kRootLsn{28};
inline constexpr U64 kDataLsn{36};
inline constexpr U64 kDataSectors{44};
inline constexpr U64 kVolumeSectors{52};
inline constexpr U64 kFirstBitmap{60};
inline constexpr U64 kSecondBitmap{68};
inline constexpr S32 kSinceChkDisk{76};
inline constexpr S32 kSinceLostOpt{80};
inline constexpr U32 kVolumeFlags{84};
inline constexpr U32 kCrc{88};
inline constexpr Bytes kGuid{92, 16};
inline constexpr Bytes kLabel{108, 64};
inline constexpr Bytes kFiller{172, 340};
static_assert(kFiller.End() == kSize);
inline constexpr uint32_t kVolumeCaseSensitive = 1;
inline constexpr uint32_t kVolumeHasCopy = 2;
}  // namespace super

// File or directory slot. The sig, Fat Entries, CRC and scratch fields are
// where every kind of slot has them.
namespace slot {
inline constexpr size_t kSize = 128;
inline constexpr uint32_t kSlotSig = 0x534C4F54;  // 'SLOT'
inline constexpr U32 kSig{0};
inline constexpr U32 kAttribute{4};
inline constexpr Bytes kResv{8, 5};
inline constexpr U8 kFatEntries{13};
inline constexpr U8 kCrc{14};
inline constexpr U8 kScratch{15};
inline constexpr U32 kCreated{16};
inline constexpr U32 kLastAccessed{20};
inline constexpr S64 kFileSize{24};
inline constexpr S32 kFatContinue{32};
inline constexpr S32 kNameContinue{36};
inline constexpr U16 kFlags{40};
inline constexpr U8 kNameLength{42};
inline constexpr Bytes kResv1{43, 5};
// The name, then 32-bit FAT entries from the next 4-byte boundary.
inline constexpr Bytes kNameAndFats{48, kSize - 48};
static_assert(kNameAndFats.offset % 4 == 0, "FAT entries are aligned within the area as within the slot");
// The first of a list of FAT entries (64-bit ones in wide continue slots),
// counted from the list's first byte.
inline constexpr U32 kFatEntry{0};
inline constexpr U64 kWideFatEntry{0};
inline constexpr int kMaxFatEntries = 19;
inline constexpr int kMaxNameLength = 80;
}  // namespace slot

// Sub-directory slot. Fat Entries, Created, File Size, Fat Continue and
// Name Length are where the file slot has them.
namespace sub {
inline constexpr uint32_t kSubSig = 0x53554220;  // 'SUB '
inline constexpr U8 kReserved{4};
inline constexpr U64 kParent{5};
inline constexpr U32 kReserved2{20};
inline constexpr S32 kSlot{36};
inline constexpr U16 kReserved3{40};
inline constexpr Bytes kReserved4{43, 5};
inline constexpr Bytes kFats{48, slot::kSize - 48};  // 20 x 32 bits
inline constexpr int kMaxFatEntries = 20;
}  // namespace sub

// Continue slot: more of a file slot's name or FAT entries.
namespace cont {
inline constexpr uint32_t kNameSig = 0x4E414D45;  // 'NAME'
inline constexpr uint32_t kFatSig = 0x46415420;   // 'FAT '
inline constexpr S32 kPrevious{4};
inline constexpr S32 kNext{8};
inline constexpr U8 kEntries{12};
inline constexpr U8 kFlags{13};
inline constexpr Bytes kBody{16, slot::kSize - 16};
inline constexpr uint8_t kWideFats = 1;
}  // namespace cont

}  // namespace trovik::qor
