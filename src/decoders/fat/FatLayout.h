// FAT on-disk layouts: the BIOS parameter blocks of FAT12/16 and FAT32, the
// short and long-name directory entries and the FAT32 FS information sector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/ByteOrder.h"

namespace trovik {

// The fields both parameter blocks share (up to byte 36), then the FAT12/16
// extended block.
namespace fat::bpb {
inline constexpr size_t kSize = 62;
inline constexpr Bytes kJump{0, 3};
inline constexpr Bytes kOemName{3, 8};
inline constexpr U16 kBytesPerSector{11};
inline constexpr U8 kSectorsPerCluster{13};
inline constexpr U16 kReservedSectors{14};
inline constexpr U8 kFatCount{16};
inline constexpr U16 kRootEntries{17};
inline constexpr U16 kTotalSectors16{19};
inline constexpr U8 kMediaDescriptor{21};
inline constexpr U16 kSectorsPerFat16{22};
inline constexpr U16 kSectorsPerTrack{24};
inline constexpr U16 kHeads{26};
inline constexpr U32 kHiddenSectors{28};
inline constexpr U32 kTotalSectors32{32};
inline constexpr U8 kDriveNumber{36};
inline constexpr U8 kReserved{37};
inline constexpr U8 kBootSignature{38};
inline constexpr U32 kSerial{39};
inline constexpr Bytes kLabel{43, 11};
inline constexpr Bytes kFsType{54, 8};
inline constexpr size_t kBootSectorSize = 512;  // the sector that holds either block
inline constexpr uint8_t kExtendedBootSignature = 0x29;
}  // namespace fat::bpb

// The FAT32 extended block, after the shared fields of fat::bpb; its 32-bit
// counts replace the 16-bit ones there.
namespace fat::bpb32 {
inline constexpr size_t kSize = 90;
inline constexpr U32 kSectorsPerFat{36};
inline constexpr U16 kExtendedFlags{40};
inline constexpr U16 kFsVersion{42};
inline constexpr U32 kRootCluster{44};
inline constexpr U16 kInfoSector{48};
inline constexpr U16 kBackupBootSector{50};
inline constexpr Bytes kReserved{52, 12};
inline constexpr U8 kDriveNumber{64};
inline constexpr U8 kReserved1{65};
inline constexpr U8 kBootSignature{66};
inline constexpr U32 kSerial{67};
inline constexpr Bytes kLabel{71, 11};
inline constexpr Bytes kFsType{82, 8};

// Extended flags: bits 0-3 active FAT, bit 7 mirroring off; the rest is
// reserved.
inline constexpr uint16_t kExtendedFlagsReserved = 0xFF70;
}  // namespace fat::bpb32

// Short (8.3) directory entry.
namespace fat::dir {
inline constexpr size_t kSize = 32;
inline constexpr Bytes kName{0, 8};
inline constexpr Bytes kExtension{8, 3};
inline constexpr Bytes kShortName{0, 11};  // name and extension as stored
inline constexpr U8 kAttribute{11};
inline constexpr Bytes kReserved12{12, 10};  // the FAT12/16 reading
inline constexpr U8 kReserved32{12};
inline constexpr U8 kCreationTenths{13};
inline constexpr U16 kCreationTime{14};
inline constexpr U16 kCreationDate{16};
inline constexpr U16 kAccessDate{18};
inline constexpr U16 kClusterHigh{20};
inline constexpr U16 kTime{22};
inline constexpr U16 kDate{24};
inline constexpr U16 kClusterLow{26};
inline constexpr U32 kFileSize{28};
}  // namespace fat::dir

// Long-name entry: 13 UTF-16 units in three runs.
namespace fat::lfn {
inline constexpr size_t kSize = 32;
inline constexpr U8 kSequence{0};
inline constexpr Bytes kName1{1, 10};
inline constexpr U8 kAttribute{11};
inline constexpr U8 kReserved{12};
inline constexpr U8 kChecksum{13};
inline constexpr Bytes kName2{14, 12};
inline constexpr U16 kZero{26};
inline constexpr Bytes kName3{28, 4};
inline constexpr uint8_t kAttributeValue = 0x0F;
}  // namespace fat::lfn

// FS information sector.
namespace fat::info {
inline constexpr size_t kSize = 512;
inline constexpr U32 kLeadSig{0};
inline constexpr Bytes kReserved{4, 480};
inline constexpr U32 kStructSig{484};
inline constexpr U32 kFreeCount{488};
inline constexpr U32 kNextFree{492};
inline constexpr Bytes kReserved2{496, 12};
inline constexpr U32 kTrailSig{508};
inline constexpr uint32_t kLeadSigValue = 0x41615252;
inline constexpr uint32_t kStructSigValue = 0x61417272;
inline constexpr uint32_t kTrailSigValue = 0xAA550000;
}  // namespace fat::info

// The fields of a FAT12/16 BIOS parameter block, as stored.
struct Fat12Bpb {
  std::array<uint8_t, fat::bpb::kJump.size> jump{};
  std::array<uint8_t, fat::bpb::kOemName.size> oemName{};
  uint16_t bytesPerSector = 0;
  uint8_t sectorsPerCluster = 0;
  uint16_t reservedSectors = 0;
  uint8_t fatCount = 0;
  uint16_t rootEntries = 0;
  uint16_t totalSectors16 = 0;
  uint8_t mediaDescriptor = 0;
  uint16_t sectorsPerFat = 0;
  uint16_t sectorsPerTrack = 0;
  uint16_t heads = 0;
  uint32_t hiddenSectors = 0;
  uint32_t totalSectors32 = 0;
  uint8_t driveNumber = 0;
  uint8_t reserved = 0;
  uint8_t bootSignature = 0;
  uint32_t serial = 0;
  std::array<uint8_t, fat::bpb::kLabel.size> label{};
  std::array<uint8_t, fat::bpb::kFsType.size> fsType{};

  static Fat12Bpb Parse(const uint8_t* bytes);
  void Store(uint8_t* bytes) const;
};

}  // namespace trovik
