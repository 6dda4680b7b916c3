// A small QOR file system volume written from the file system's layout,
// for the decoder tests: 64 sectors of 512 bytes, one sector per cluster.
//
//   LSN 0       superblock
//   LSN 1, 2    the two allocation bitmaps
//   LSN 3-6     root directory, 16 slots:
//                 0  file "readme.txt", two FAT entries
//                 1  directory "docs", its sub-directory at LSN 9
//                 2  file with a long name, the rest in slot 3
//                 3  NAME continue slot
//                 4  file "log", 19 FAT entries in the slot, more in slot 5
//                 5  FAT continue slot
//                 6  FAT continue slot with 64-bit entries
//                 7-15 unused
//   LSN 9       sub-directory "docs": its sub-directory slot, then a file
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovik::test::qor {

inline constexpr uint32_t kSector = 512;
inline constexpr uint32_t kSlot = 128;
inline constexpr uint32_t kRootLsn = 3;
inline constexpr uint32_t kSubDirLsn = 9;

// File offset of a slot of the root directory or of the sub-directory.
inline constexpr uint32_t RootSlot(int index) { return kRootLsn * kSector + kSlot * index; }
inline constexpr uint32_t SubDirSlot(int index) { return kSubDirLsn * kSector + kSlot * index; }

std::vector<uint8_t> MakeVolume();

// The bytes of one slot or of the superblock.
std::vector<uint8_t> BytesAt(const std::vector<uint8_t>& volume, uint32_t offset, uint32_t length);

// CRC writers for structures a test has changed.
void SealSuperBlock(uint8_t* block);
void SealSlot(uint8_t* slot);

}  // namespace trovik::test::qor
