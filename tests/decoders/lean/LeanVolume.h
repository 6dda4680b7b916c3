// A small LEAN volume written from the file system's layout, for the
// decoder tests: 64 blocks of 512 bytes.
//
//   block 0     boot block (empty)
//   block 1     primary superblock
//   block 2     allocation bitmap
//   block 3     root directory inode, with two inline extended attributes
//   block 4     root directory entries: ".", "..", "hello.txt", "big.bin"
//   block 5, 6  inode and data of hello.txt
//   block 7     inode of big.bin, one extent in the inode ...
//   block 8     ... and two in its indirect block
//   blocks 9, 11, 13  data of big.bin
//   block 63    backup superblock
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovik::test::lean {

inline constexpr uint32_t kBlock = 512;
inline constexpr uint32_t kSuperBlock = 1;
inline constexpr uint32_t kRootInode = 3;
inline constexpr uint32_t kRootDir = 4;
inline constexpr uint32_t kHelloInode = 5;
inline constexpr uint32_t kBigInode = 7;
inline constexpr uint32_t kBigIndirect = 8;

// 2001-12-05 14:03:09 UTC, in microseconds.
inline constexpr uint64_t kCreated = 1007560989ULL * 1000000;
// 2023-03-14 09:26:53.5 UTC.
inline constexpr uint64_t kModified = 1678786013ULL * 1000000 + 500000;

std::vector<uint8_t> MakeVolume();

// The 512 bytes of one block of a volume.
std::vector<uint8_t> BlockOf(const std::vector<uint8_t>& volume, uint32_t block);

// Checksum writers for structures a test has changed.
void SealSuperBlock(uint8_t* block);
void SealInode(uint8_t* block);
void SealIndirect(uint8_t* block);

}  // namespace trovik::test::lean
