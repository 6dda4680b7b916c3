// FAT on-disk layouts: the BIOS parameter blocks of FAT12/16 and FAT32 (with
// the field checks that the listings and the BPB editor share), the short
// and long-name directory entries and the FAT32 FS information sector.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace trovik {

namespace fat {
// Common to both parameter blocks.
inline constexpr size_t kJump = 0;
inline constexpr size_t kOemName = 3;  // 8 chars
inline constexpr size_t kBytesPerSector = 11;
inline constexpr size_t kSectorsPerCluster = 13;
inline constexpr size_t kReservedSectors = 14;
inline constexpr size_t kFatCount = 16;
inline constexpr size_t kRootEntries = 17;
inline constexpr size_t kTotalSectors16 = 19;
inline constexpr size_t kMediaDescriptor = 21;
inline constexpr size_t kSectorsPerFat16 = 22;
inline constexpr size_t kSectorsPerTrack = 24;
inline constexpr size_t kHeads = 26;
inline constexpr size_t kHiddenSectors = 28;
inline constexpr size_t kTotalSectors32 = 32;

// FAT12/16 extended block.
inline constexpr size_t kBpbSize = 62;
inline constexpr size_t kDriveNumber = 36;
inline constexpr size_t kReserved1 = 37;
inline constexpr size_t kBootSignature = 38;
inline constexpr size_t kSerial = 39;
inline constexpr size_t kLabel = 43;    // 11 chars
inline constexpr size_t kFsType = 54;   // 8 chars

// FAT32 extended block.
inline constexpr size_t kBpb32Size = 90;
inline constexpr size_t kSectorsPerFat32 = 36;
inline constexpr size_t kExtendedFlags = 40;
inline constexpr size_t kFsVersion = 42;
inline constexpr size_t kRootCluster = 44;
inline constexpr size_t kInfoSector = 48;
inline constexpr size_t kBackupBootSector = 50;
inline constexpr size_t kReserved32 = 52;  // 12 bytes
inline constexpr size_t kDriveNumber32 = 64;
inline constexpr size_t kReserved1_32 = 65;
inline constexpr size_t kBootSignature32 = 66;
inline constexpr size_t kSerial32 = 67;
inline constexpr size_t kLabel32 = 71;    // 11 chars
inline constexpr size_t kFsType32 = 82;   // 8 chars

inline constexpr size_t kOemNameLength = 8;
inline constexpr size_t kLabelLength = 11;
inline constexpr size_t kFsTypeLength = 8;

inline constexpr uint8_t kExtendedBootSignature = 0x29;
// Extended flags: bits 0-3 active FAT, bit 7 mirroring off; the rest is
// reserved.
inline constexpr uint16_t kExtendedFlagsReserved = 0xFF70;

// Short directory entry.
inline constexpr size_t kDirEntrySize = 32;
inline constexpr size_t kDirName = 0;       // 8 chars
inline constexpr size_t kDirExtension = 8;  // 3 chars
inline constexpr size_t kDirAttribute = 11;
inline constexpr size_t kDirReserved = 12;  // 10 bytes in the FAT12/16 reading
inline constexpr size_t kDirCreationTenths = 13;
inline constexpr size_t kDirCreationTime = 14;
inline constexpr size_t kDirCreationDate = 16;
inline constexpr size_t kDirAccessDate = 18;
inline constexpr size_t kDirClusterHigh = 20;
inline constexpr size_t kDirTime = 22;
inline constexpr size_t kDirDate = 24;
inline constexpr size_t kDirClusterLow = 26;
inline constexpr size_t kDirFileSize = 28;

// Long-name entry.
inline constexpr size_t kLfnSequence = 0;
inline constexpr size_t kLfnName1 = 1;   // 5 units
inline constexpr size_t kLfnAttribute = 11;
inline constexpr size_t kLfnReserved = 12;
inline constexpr size_t kLfnChecksum = 13;
inline constexpr size_t kLfnName2 = 14;  // 6 units
inline constexpr size_t kLfnZero = 26;
inline constexpr size_t kLfnName3 = 28;  // 2 units
inline constexpr uint8_t kLfnAttributeValue = 0x0F;

// FS information sector.
inline constexpr size_t kInfoSize = 512;
inline constexpr size_t kInfoLeadSig = 0;
inline constexpr size_t kInfoReserved = 4;
inline constexpr size_t kInfoReservedLength = 480;
inline constexpr size_t kInfoStructSig = 484;
inline constexpr size_t kInfoFreeCount = 488;
inline constexpr size_t kInfoNextFree = 492;
inline constexpr size_t kInfoReserved2 = 496;  // 12 bytes
inline constexpr size_t kInfoTrailSig = 508;
inline constexpr uint32_t kInfoLeadSigValue = 0x41615252;
inline constexpr uint32_t kInfoStructSigValue = 0x61417272;
inline constexpr uint32_t kInfoTrailSigValue = 0xAA550000;
}  // namespace fat

// The fields of a FAT12/16 BIOS parameter block (62 bytes), as stored.
struct Fat12Bpb {
  std::array<uint8_t, 3> jump{};
  std::array<uint8_t, fat::kOemNameLength> oemName{};
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
  std::array<uint8_t, fat::kLabelLength> label{};
  std::array<uint8_t, fat::kFsTypeLength> fsType{};

  static Fat12Bpb Parse(const uint8_t* bytes);
  void Store(uint8_t* bytes) const;
};

// Checks on the parameter block fields, shared by both listings.
bool IsValidBytesPerSector(uint16_t bytesPerSector);
// A power of two from 1 to 128 whose cluster is at most 32 KiB.
bool IsValidSectorsPerCluster(uint8_t sectorsPerCluster, uint16_t bytesPerSector);
// All eight stored bytes against an 8-character literal, blanks included.
bool FsTypeIs(const uint8_t* field, const char* literal);

}  // namespace trovik
