// On-disk layout of the QOR file system structures: byte offsets of every
// field the decoders show. All numbers are little-endian; 64-bit fields are
// not aligned.
#pragma once

#include <cstdint>

namespace trovik::qor {

namespace super {
inline constexpr uint32_t kBytes = 512;
inline constexpr uint32_t kSig0Value = 0x514F5246;  // 'QORF'
inline constexpr uint32_t kSig1Value = 0x53555052;  // 'SUPR'
inline constexpr uint16_t kMinVersion = 0x0150;
inline constexpr int kSig0 = 0;
inline constexpr int kSig1 = 4;
inline constexpr int kVersion = 8;  // minor in byte 8, major in byte 9
inline constexpr int kSectorsPerCluster = 10;
inline constexpr int kEncryption = 12;
inline constexpr int kBitmapCount = 13;
inline constexpr int kBitmapFlag = 14;
inline constexpr int kRootEntries = 16;
inline constexpr int kBaseLba = 20;
inline constexpr int kRootLsn = 28;
inline constexpr int kDataLsn = 36;
inline constexpr int kDataSectors = 44;
inline constexpr int kVolumeSectors = 52;
inline constexpr int kFirstBitmap = 60;
inline constexpr int kSecondBitmap = 68;
inline constexpr int kSinceChkDisk = 76;
inline constexpr int kSinceLostOpt = 80;
inline constexpr int kVolumeFlags = 84;
inline constexpr int kCrc = 88;
inline constexpr int kGuid = 92;
inline constexpr int kLabel = 108;
inline constexpr int kLabelBytes = 64;
inline constexpr int kFiller = 172;
inline constexpr int kFillerBytes = 340;
inline constexpr uint32_t kVolumeCaseSensitive = 1;
inline constexpr uint32_t kVolumeHasCopy = 2;
}  // namespace super

namespace slot {
inline constexpr int kBytes = 128;
inline constexpr int kCrc = 14;
inline constexpr int kScratch = 15;

// File or directory slot.
inline constexpr uint32_t kSlotSig = 0x534C4F54;  // 'SLOT'
inline constexpr int kSig = 0;
inline constexpr int kAttribute = 4;
inline constexpr int kResv = 8;  // 5 bytes
inline constexpr int kFatEntries = 13;
inline constexpr int kCreated = 16;
inline constexpr int kLastAccessed = 20;
inline constexpr int kFileSize = 24;
inline constexpr int kFatContinue = 32;
inline constexpr int kNameContinue = 36;
inline constexpr int kFlags = 40;
inline constexpr int kNameLength = 42;
inline constexpr int kResv1 = 43;  // 5 bytes
inline constexpr int kName = 48;   // name, then FAT entries from a 4-byte boundary
inline constexpr int kMaxFatEntries = 19;
inline constexpr int kMaxNameLength = 80;

// Sub-directory slot.
inline constexpr uint32_t kSubSig = 0x53554220;  // 'SUB '
inline constexpr int kSubReserved = 4;
inline constexpr int kSubParent = 5;
inline constexpr int kSubReserved2 = 20;
inline constexpr int kSubSlot = 36;
inline constexpr int kSubReserved3 = 40;
inline constexpr int kSubReserved4 = 43;  // 5 bytes
inline constexpr int kSubFats = 48;
inline constexpr int kSubMaxFatEntries = 20;

// Continue slot.
inline constexpr uint32_t kNameSig = 0x4E414D45;  // 'NAME'
inline constexpr uint32_t kFatSig = 0x46415420;   // 'FAT '
inline constexpr int kContPrevious = 4;
inline constexpr int kContNext = 8;
inline constexpr int kContEntries = 12;
inline constexpr int kContFlags = 13;
inline constexpr int kContBody = 16;
inline constexpr int kContBodyBytes = 112;
inline constexpr uint8_t kContWideFats = 1;
}  // namespace slot

}  // namespace trovik::qor
