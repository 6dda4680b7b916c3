// Layout of the ext2/ext3/ext4 structures: every field with its offset, width
// and byte order (little-endian, but for the journal superblock).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/ByteOrder.h"

namespace trovik::ext2 {

// The superblock, 1024 bytes into the volume. Its fields come in groups: base
// (every revision), dynamic (revision 1), journal (HAS_JOURNAL) and 64-bit.
namespace super {
inline constexpr size_t kSize = 1024;
inline constexpr uint64_t kVolumeOffset = 1024;
inline constexpr U32 kInodeCount{0x00};
inline constexpr U32 kBlockCount{0x04};
inline constexpr U32 kResvBlockCount{0x08};
inline constexpr U32 kFreeBlockCount{0x0C};
inline constexpr U32 kFreeInodeCount{0x10};
inline constexpr U32 kFirstDataBlock{0x14};
inline constexpr U32 kLogBlockSize{0x18};
inline constexpr S32 kLogFragSize{0x1C};  // negative: fragments smaller than 1024 bytes
inline constexpr U32 kBlocksPerGroup{0x20};
inline constexpr U32 kFragsPerGroup{0x24};
inline constexpr U32 kInodesPerGroup{0x28};
inline constexpr U32 kMountTime{0x2C};
inline constexpr U32 kWriteTime{0x30};
inline constexpr U16 kMountCount{0x34};
inline constexpr S16 kMaxMountCount{0x36};
inline constexpr U16 kMagic{0x38};
inline constexpr U16 kState{0x3A};
inline constexpr U16 kErrors{0x3C};
inline constexpr U16 kMinorRev{0x3E};
inline constexpr U32 kLastCheck{0x40};
inline constexpr U32 kCheckInterval{0x44};
inline constexpr U32 kCreatorOs{0x48};
inline constexpr U32 kRevLevel{0x4C};
inline constexpr U16 kDefaultUid{0x50};
inline constexpr U16 kDefaultGid{0x52};
inline constexpr U32 kFirstInode{0x54};
inline constexpr U16 kInodeSize{0x58};
inline constexpr U16 kBlockGroupNr{0x5A};
inline constexpr U32 kFeatureCompat{0x5C};
inline constexpr U32 kFeatureIncompat{0x60};
inline constexpr U32 kFeatureRoCompat{0x64};
inline constexpr Bytes kUuid{0x68, 16};
inline constexpr Bytes kVolumeName{0x78, 16};
inline constexpr Bytes kLastMounted{0x88, 64};
inline constexpr U32 kAlgorithmBitmap{0xC8};
inline constexpr U8 kPreallocBlocks{0xCC};
inline constexpr U8 kPreallocDirBlocks{0xCD};
inline constexpr U16 kReservedGdtBlocks{0xCE};
inline constexpr Bytes kJournalUuid{0xD0, 16};
inline constexpr U32 kJournalInode{0xE0};
inline constexpr U32 kJournalDev{0xE4};
inline constexpr U32 kLastOrphan{0xE8};
inline constexpr U32 kHashSeed{0xEC};  // four words
inline constexpr U8 kDefHashVersion{0xFC};
inline constexpr U8 kJournalBackupType{0xFD};
inline constexpr U16 kDescSize{0xFE};
inline constexpr U32 kDefaultMountOpts{0x100};
inline constexpr U32 kFirstMetaBg{0x104};
inline constexpr U32 kMkfsTime{0x108};
// The journal inode's block pointers and size, backed up.
inline constexpr U32 kJournalBlocks{0x10C};  // the twelve direct blocks
inline constexpr size_t kJournalDirectBlocks = 12;
inline constexpr U32 kJournalIndirect{0x13C};
inline constexpr U32 kJournalDoubleIndirect{0x140};
inline constexpr U32 kJournalTripleIndirect{0x144};
inline constexpr U32 kJournalUnused{0x148};
inline constexpr U32 kJournalSize{0x14C};
inline constexpr U32 kBlockCountHi{0x150};
inline constexpr U32 kResvBlockCountHi{0x154};
inline constexpr U32 kFreeBlockCountHi{0x158};
inline constexpr U16 kMinExtraIsize{0x15C};
inline constexpr U16 kWantExtraIsize{0x15E};
inline constexpr U32 kMiscFlags{0x160};
inline constexpr U16 kRaidStride{0x164};
inline constexpr U16 kMmpInterval{0x166};
inline constexpr U64 kMmpBlock{0x168};
inline constexpr U32 kRaidStripeWidth{0x170};
inline constexpr U8 kLogGroupsPerFlex{0x174};
inline constexpr U8 kReservedCharPad{0x175};
inline constexpr U16 kReservedPad{0x176};
inline constexpr Bytes kReserved{0x178, kSize - 0x178};
inline constexpr uint16_t kMagicValue = 0xEF53;
inline constexpr uint32_t kCompatHasJournal = 0x0004;
inline constexpr uint32_t kIncompatExtents = 0x0040;
inline constexpr uint32_t kIncompat64Bit = 0x0080;
inline constexpr uint32_t kIncompatFlexBg = 0x0200;
}  // namespace super

// A block group descriptor: 32 bytes, or 64 on file systems with 64BIT,
// whose second half holds the high halves of the first.
namespace group {
inline constexpr size_t kSize = 32;
inline constexpr U32 kBlockBitmap{0x00};
inline constexpr U32 kInodeBitmap{0x04};
inline constexpr U32 kInodeTable{0x08};
inline constexpr U16 kFreeBlocks{0x0C};
inline constexpr U16 kFreeInodes{0x0E};
inline constexpr U16 kUsedDirs{0x10};
inline constexpr U16 kFlags{0x12};
inline constexpr U32 kReserved{0x14};  // two words
inline constexpr U16 kUnusedInodes{0x1C};
inline constexpr U16 kChecksum{0x1E};
// The second half of the 64-byte form.
inline constexpr size_t kWideSize = 64;
inline constexpr U32 kBlockBitmapHi{0x20};
inline constexpr U32 kInodeBitmapHi{0x24};
inline constexpr U32 kInodeTableHi{0x28};
inline constexpr U16 kFreeBlocksHi{0x2C};
inline constexpr U16 kFreeInodesHi{0x2E};
inline constexpr U16 kUsedDirsHi{0x30};
inline constexpr U16 kPad{0x32};
inline constexpr U32 kReservedHi{0x34};  // two words; the word at 0x3C is not shown
}  // namespace group

// An inode's first 128 bytes (larger inodes add fields after them).
namespace inode {
inline constexpr size_t kSize = 128;
inline constexpr U16 kMode{0x00};
inline constexpr U16 kUid{0x02};
inline constexpr U32 kFileSize{0x04};
inline constexpr U32 kAccessTime{0x08};
inline constexpr U32 kChangeTime{0x0C};
inline constexpr U32 kModifyTime{0x10};
inline constexpr U32 kDeleteTime{0x14};
inline constexpr U16 kGid{0x18};
inline constexpr U16 kLinks{0x1A};
inline constexpr U32 kBlocks{0x1C};
inline constexpr U32 kFlags{0x20};
inline constexpr U32 kOsd1{0x24};
// The block area: a fast symbolic link's text, an extent tree node or
// these block pointers.
inline constexpr Bytes kBlockArea{0x28, 60};
inline constexpr U32 kDirectBlock{0x28};  // the first of twelve
inline constexpr size_t kDirectBlocks = 12;
inline constexpr U32 kIndirect{0x58};
inline constexpr U32 kDoubleIndirect{0x5C};
inline constexpr U32 kTripleIndirect{0x60};
inline constexpr U32 kGeneration{0x64};
inline constexpr U32 kFileAcl{0x68};
inline constexpr U32 kDirAcl{0x6C};
inline constexpr U32 kFragAddr{0x70};
inline constexpr U16 kBlocksHi{0x74};
inline constexpr U16 kFileAclHi{0x76};
inline constexpr U16 kUidHi{0x78};
inline constexpr U16 kGidHi{0x7A};
inline constexpr U32 kReserved2{0x7C};
inline constexpr uint16_t kTypeMask = 0xF000;
inline constexpr uint16_t kTypeSymlink = 0xA000;
inline constexpr uint32_t kFlagHugeFile = 0x00040000;
inline constexpr uint32_t kFlagExtents = 0x00080000;
}  // namespace inode

// An extent tree node starts with this header; its entries follow.
namespace extent_header {
inline constexpr size_t kSize = 12;
inline constexpr U16 kMagic{0x00};
inline constexpr U16 kEntries{0x02};
inline constexpr U16 kMax{0x04};
inline constexpr U16 kDepth{0x06};
inline constexpr U32 kGeneration{0x08};
inline constexpr uint16_t kMagicValue = 0xF30A;
}  // namespace extent_header

// A leaf entry of an extent tree node.
namespace extent {
inline constexpr size_t kSize = 12;
inline constexpr U32 kLogicalBlock{0x00};
inline constexpr U16 kLength{0x04};
inline constexpr U16 kStartHi{0x06};
inline constexpr U32 kStartLo{0x08};
}  // namespace extent

// A directory entry: an 8-byte head and the name; the record length leads
// to the next entry.
namespace dirent {
inline constexpr size_t kHeadSize = 8;
inline constexpr size_t kMaxSize = 264;  // the head and the longest name, in 4-byte steps
inline constexpr U32 kInode{0x00};
inline constexpr U16 kRecLen{0x04};
inline constexpr U8 kNameLen{0x06};
inline constexpr U8 kFileType{0x07};
inline constexpr Bytes kName{0x08, 255};
}  // namespace dirent

// The journal superblock, the first block of the journal.
namespace journal {
inline constexpr size_t kSize = 1024;
inline constexpr U32Be kMagic{0x00};
inline constexpr U32Be kBlockType{0x04};
inline constexpr U32Be kHeaderSequence{0x08};
inline constexpr U32Be kBlockSize{0x0C};
inline constexpr U32Be kMaxLen{0x10};
inline constexpr U32Be kFirst{0x14};
inline constexpr U32Be kSequence{0x18};
inline constexpr U32Be kStart{0x1C};
inline constexpr U32Be kErrno{0x20};
inline constexpr U32Be kFeatureCompat{0x24};
inline constexpr U32Be kFeatureIncompat{0x28};
inline constexpr U32Be kFeatureRoCompat{0x2C};
inline constexpr Bytes kUuid{0x30, 16};
inline constexpr U32Be kNrUsers{0x40};
inline constexpr U32Be kDynSuper{0x44};
inline constexpr U32Be kMaxTransaction{0x48};
inline constexpr U32Be kMaxTransData{0x4C};
inline constexpr U32 kPadding{0x50};  // shown as little-endian words, as stored
inline constexpr size_t kPaddingWords = 44;
inline constexpr Bytes kUsers{0x100, kSize - 0x100};
inline constexpr size_t kUserSize = 16;
inline constexpr uint32_t kMagicValue = 0xC03B3998;
}  // namespace journal

}  // namespace trovik::ext2
