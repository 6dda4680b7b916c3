// On-disk layout of the LEAN structures: byte offsets of every field the
// decoders show. All multi-byte fields are little-endian.
#pragma once

#include <cstdint>

namespace trovik::lean {

// Checksums skip their own word and run over 32-bit words; superblock,
// inode block and indirect block are all one 512-byte sector.
inline constexpr uint32_t kBlockBytes = 512;

namespace super {
inline constexpr uint32_t kMagicValue = 0x4E41454C;  // "LEAN"
inline constexpr uint16_t kVersionValue = 0x0100;
inline constexpr int kChecksum = 0x00;
inline constexpr int kMagic = 0x04;
inline constexpr int kVersion = 0x08;
inline constexpr int kPreAllocate = 0x0A;
inline constexpr int kBandLog = 0x0B;
inline constexpr int kState = 0x0C;
inline constexpr int kGuid = 0x10;
inline constexpr int kLabel = 0x20;
inline constexpr int kLabelBytes = 64;
inline constexpr int kTotalBlocks = 0x60;
inline constexpr int kFreeBlocks = 0x68;
inline constexpr int kNextFree = 0x70;
inline constexpr int kPrimarySuper = 0x78;
inline constexpr int kBackupSuper = 0x80;
inline constexpr int kBitmapStart = 0x88;
inline constexpr int kBitmapChecksum = 0x90;
inline constexpr int kRootStart = 0x98;
inline constexpr int kBadStart = 0xA0;
inline constexpr int kJournalStart = 0xA8;
inline constexpr int kCapabilities = 0xB0;
inline constexpr int kBlockSizeLog = 0xB4;
inline constexpr int kReserved = 0xB8;
inline constexpr int kReservedBytes = 512 - kReserved;
// Bits 0 (clean unmount), 1 (errors) and 2 are defined.
inline constexpr uint32_t kStateUndefinedBits = 0xFFFFFFF8;
// The primary superblock lives in one of the first 33 blocks.
inline constexpr uint64_t kPrimarySuperLimit = 33;
}  // namespace super

namespace inode {
inline constexpr uint32_t kMagicValue = 0x45444F4E;  // "NODE"
inline constexpr uint32_t kChecksummedBytes = 200;
inline constexpr int kChecksum = 0x00;
inline constexpr int kMagic = 0x04;
inline constexpr int kExtentCount = 0x08;
inline constexpr int kReserved = 0x09;  // 3 bytes
inline constexpr int kIndirectCount = 0x0C;
inline constexpr int kLinksCount = 0x10;
inline constexpr int kUid = 0x14;
inline constexpr int kGid = 0x18;
inline constexpr int kAttributes = 0x1C;
inline constexpr int kFileSize = 0x20;
inline constexpr int kBlockCount = 0x28;
inline constexpr int kLastAccess = 0x30;
inline constexpr int kStatusChange = 0x38;
inline constexpr int kLastModification = 0x40;
inline constexpr int kCreation = 0x48;
inline constexpr int kFirstIndirect = 0x50;
inline constexpr int kLastIndirect = 0x58;
inline constexpr int kFork = 0x60;
inline constexpr int kExtentStarts = 0x68;  // 8 x 8 bytes
inline constexpr int kExtentSizes = 0xA8;   // 8 x 4 bytes
inline constexpr int kExtents = 8;
// Inline extended attributes fill the rest of the block after the inode.
inline constexpr int kAttributeArea = 0xC8;
inline constexpr int kAttributeAreaBytes = 312;
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
inline constexpr uint32_t kMagicValue = 0x58444E49;  // "INDX"
inline constexpr int kChecksum = 0x00;
inline constexpr int kMagic = 0x04;
inline constexpr int kBlockCount = 0x08;
inline constexpr int kInode = 0x10;
inline constexpr int kThisBlock = 0x18;
inline constexpr int kPrevious = 0x20;
inline constexpr int kNext = 0x28;
inline constexpr int kExtentCount = 0x30;
inline constexpr int kReserved0 = 0x32;  // 2 bytes
inline constexpr int kReserved1 = 0x34;  // 4 bytes
inline constexpr int kExtentStarts = 0x38;   // 38 x 8 bytes
inline constexpr int kExtentSizes = 0x168;   // 38 x 4 bytes
inline constexpr int kExtents = 38;
}  // namespace indirect

namespace dir {
inline constexpr int kInode = 0x00;
inline constexpr int kType = 0x08;
inline constexpr int kRecordLen = 0x09;  // in 16-byte units
inline constexpr int kNameLen = 0x0A;
inline constexpr int kHeadBytes = 12;
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
