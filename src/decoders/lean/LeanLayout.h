// On-disk layout of the LEAN structures: every field the decoders show, its
// offset bound to its width. All multi-byte fields are little-endian.
#pragma once

#include <cstdint>

#include "engine/ByteOrder.h"

namespace trovik::lean {

// Checksums skip their own word and run over 32-bit words; superblock,
// inode block and indirect block are all one 512-byte sector.
inline constexpr uint32_t kBlockBytes = 512;

namespace super {
inline constexpr size_t kSize = kBlockBytes;
inline constexpr uint32_t kMagicValue = 0x4E41454C;  // "LEAN"
inline constexpr uint16_t kVersionValue = 0x0100;
inline constexpr U32 kChecksum{0x00};
inline constexpr U32 kMagic{0x04};
inline constexpr U16 kVersion{0x08};
inline constexpr U8 kPreAllocate{0x0A};
inline constexpr U8 kBandLog{0x0B};
inline constexpr U32 kState{0x0C};
inline constexpr Bytes kGuid{0x10, 16};
inline constexpr Bytes kLabel{0x20, 64};
inline constexpr U64 kTotalBlocks{0x60};
inline constexpr U64 kFreeBlocks{0x68};
inline constexpr U64 kNextFree{0x70};
inline constexpr U64 kPrimarySuper{0x78};
inline constexpr U64 kBackupSuper{0x80};
inline constexpr U64 kBitmapStart{0x88};
inline constexpr U32 kBitmapChecksum{0x90};
inline constexpr U64 kRootStart{0x98};
inline constexpr U64 kBadStart{0xA0};
inline constexpr U64 kJournalStart{0xA8};
inline constexpr U32 kCapabilities{0xB0};
inline constexpr U8 kBlockSizeLog{0xB4};
inline constexpr Bytes kReserved{0xB8, kSize - 0xB8};
// Bits 0 (clean unmount), 1 (errors) and 2 are defined.
inline constexpr uint32_t kStateUndefinedBits = 0xFFFFFFF8;
// The primary superblock lives in one of the first 33 blocks.
inline constexpr uint64_t kPrimarySuperLimit = 33;
}  // namespace super

namespace inode {
inline constexpr uint32_t kMagicValue = 0x45444F4E;  // "NODE"
// The inode proper, which its checksum covers; inline extended attributes
// fill the rest of its block.
inline constexpr size_t kSize = 200;
inline constexpr U32 kChecksum{0x00};
inline constexpr U32 kMagic{0x04};
inline constexpr U8 kExtentCount{0x08};
inline constexpr Bytes kReserved{0x09, 3};
inline constexpr S32 kIndirectCount{0x0C};
inline constexpr U32 kLinksCount{0x10};
inline constexpr U32 kUid{0x14};
inline constexpr U32 kGid{0x18};
inline constexpr U32 kAttributes{0x1C};
inline constexpr U64 kFileSize{0x20};
inline constexpr U64 kBlockCount{0x28};
inline constexpr U64 kLastAccess{0x30};
inline constexpr U64 kStatusChange{0x38};
inline constexpr U64 kLastModification{0x40};
inline constexpr U64 kCreation{0x48};
inline constexpr U64 kFirstIndirect{0x50};
inline constexpr U64 kLastIndirect{0x58};
inline constexpr U64 kFork{0x60};
inline constexpr int kExtents = 8;  // starts, then sizes
inline constexpr U64 kExtentStarts{0x68};
inline constexpr U32 kExtentSizes{0xA8};
static_assert(Element(kExtentSizes, kExtents).offset == kSize);
inline constexpr Bytes kAttributeArea{kSize, kBlockBytes - kSize};
// An inline attribute: this head (name length, 24-bit data length), name, data.
inline constexpr U32 kAttributeHead{0};
inline constexpr int kMaxAttributes = 11;
inline constexpr int kMaxAttributeData = 255;

inline constexpr uint32_t kAttrExtendedAttributes = 0x00080000;
inline constexpr uint32_t kFileTypeMask = 0xE0000000;
inline constexpr uint32_t kTypeRegular = 0x20000000;
inline constexpr uint32_t kTypeDirectory = 0x40000000;
inline constexpr uint32_t kTypeSymlink = 0x60000000;
inline constexpr uint32_t kTypeFork = 0x80000000;
}  // namespace inode

namespace indirect {
inline constexpr size_t kSize = kBlockBytes;
inline constexpr uint32_t kMagicValue = 0x58444E49;  // "INDX"
inline constexpr U32 kChecksum{0x00};
inline constexpr U32 kMagic{0x04};
inline constexpr U64 kBlockCount{0x08};
inline constexpr U64 kInode{0x10};
inline constexpr U64 kThisBlock{0x18};
inline constexpr U64 kPrevious{0x20};
inline constexpr U64 kNext{0x28};
inline constexpr U16 kExtentCount{0x30};
inline constexpr Bytes kReserved0{0x32, 2};
inline constexpr U32 kReserved1{0x34};
inline constexpr int kExtents = 38;  // starts, then sizes
inline constexpr U64 kExtentStarts{0x38};
inline constexpr U32 kExtentSizes{0x168};
static_assert(Element(kExtentSizes, kExtents).offset == kSize);
}  // namespace indirect

namespace dir {
inline constexpr U64 kInode{0x00};
inline constexpr U8 kType{0x08};
inline constexpr U8 kRecordLen{0x09};  // in 16-byte units
inline constexpr U16 kNameLen{0x0A};
inline constexpr int kHeadBytes = 12;  // the name follows
inline constexpr int kRecordUnit = 16;
inline constexpr int kMaxRecordLen = 0x20;
inline constexpr int kTypeCount = 5;  // 0..4 are legal
// One read of a record takes at most a sector: the head and 500 bytes.
inline constexpr int kMaxRestBytes = 500;
inline constexpr int kNameBytesPerLine = 64;
inline constexpr int kPadBytesPerLine = 32;
inline constexpr int kMaxListLines = 16;
}  // namespace dir

}  // namespace trovik::lean
