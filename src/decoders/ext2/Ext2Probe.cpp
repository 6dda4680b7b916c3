// The map's recogniser of ext2/3/4 volumes: the superblock, the group
// descriptor table, the root inode, the root directory's first block and
// the journal superblock.
#include <algorithm>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

// Superblock fields the map needs (byte offsets in the 1024-byte block).
constexpr uint64_t kSuperOffset = 1024;
constexpr int kBlocksCount = 0x04;
constexpr int kFirstDataBlock = 0x14;
constexpr int kLogBlockSize = 0x18;
constexpr int kBlocksPerGroup = 0x20;
constexpr int kInodesPerGroup = 0x28;
constexpr int kMagic = 0x38;
constexpr int kRevLevel = 0x4C;
constexpr int kInodeSize = 0x58;
constexpr int kFeatureCompat = 0x5C;
constexpr int kFeatureIncompat = 0x60;
constexpr int kVolumeName = 0x78;
constexpr int kJournalInode = 0xE0;
constexpr int kDescSize = 0xFE;
constexpr int kBlocksCountHi = 0x150;

constexpr uint32_t kCompatJournal = 0x0004;
constexpr uint32_t kIncompatExtents = 0x0040;
constexpr uint32_t kIncompat64Bit = 0x0080;
constexpr uint32_t kIncompatFlexBg = 0x0200;

// Inode fields.
constexpr int kInodeFlags = 0x20;
constexpr int kInodeBlock = 0x28;
constexpr uint32_t kExtentsFlag = 0x00080000;

struct Volume {
  uint64_t start;
  uint64_t blockSize;
  uint32_t inodesPerGroup;
  uint32_t inodeSize;
  bool wide;
  uint64_t gdt;
};

// The offset of an inode, or 0 when its group's descriptor cannot be read.
uint64_t InodeOffset(ProbeContext& ctx, const ProbeTarget& target, const Volume& v, uint32_t inode) {
  if (inode == 0 || v.inodesPerGroup == 0) return 0;
  const uint32_t group = (inode - 1) / v.inodesPerGroup;
  const uint32_t index = (inode - 1) % v.inodesPerGroup;
  uint8_t gd[64];
  const uint64_t descSize = v.wide ? 64 : 32;
  if (!target.Holds(v.gdt + group * descSize, descSize) || !ctx.Read(v.gdt + group * descSize, gd, descSize))
    return 0;
  const uint64_t table = Le32(gd + 8) | (v.wide ? uint64_t{Le32(gd + 0x28)} << 32 : 0);
  if (table == 0 || table > (target.Size() / v.blockSize)) return 0;
  const uint64_t offset = v.start + table * v.blockSize + uint64_t{index} * v.inodeSize;
  return target.Holds(offset, v.inodeSize) ? offset : 0;
}

// The first data block of an inode (direct block or first extent of a leaf),
// or 0.
uint64_t FirstBlock(const uint8_t* inode) {
  const uint8_t* b = inode + kInodeBlock;
  if ((Le32(inode + kInodeFlags) & kExtentsFlag) == 0) return Le32(b);
  // Extent header: magic, entries, max, depth; the first extent follows.
  if (Le16(b) != 0xF30A || Le16(b + 2) == 0 || Le16(b + 6) != 0) return 0;
  const uint8_t* e = b + 12;
  return (uint64_t{Le16(e + 6)} << 32) | Le32(e + 8);
}

int CountDirEntries(ProbeContext& ctx, uint64_t offset, uint64_t blockSize) {
  std::vector<uint8_t> block(static_cast<size_t>(blockSize));
  if (!ctx.Read(offset, block.data(), block.size())) return 1;
  int n = 0;
  for (uint64_t at = 0; at + 8 <= blockSize && n < 1024; ++n) {
    const uint16_t recLen = Le16(block.data() + at + 4);
    if (recLen < 8) {
      ++n;
      break;
    }
    at += recLen;
  }
  return std::max(n, 1);
}

}  // namespace

bool ProbeExt2(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t sb[1024];
  const uint64_t superOffset = target.start + kSuperOffset;
  if (!target.Holds(superOffset, sizeof sb) || !ctx.Read(superOffset, sb, sizeof sb) || Le16(sb + kMagic) != 0xEF53)
    return false;
  const uint32_t log = Le32(sb + kLogBlockSize);
  const uint32_t compat = Le32(sb + kFeatureCompat);
  const uint32_t incompat = Le32(sb + kFeatureIncompat);
  const char* kind = (incompat & (kIncompatExtents | kIncompat64Bit | kIncompatFlexBg)) ? "ext4"
                     : (compat & kCompatJournal)                                           ? "ext3"
                                                                                           : "ext2";
  const std::string name = ImageText(sb + kVolumeName, 16);
  ctx.AddRow(target, superOffset, DumpType::Ext2Super, 1,
             std::string(kind) + " superblock" + (name.empty() ? "" : ", volume '" + name + "'"));
  if (log > 6) {
    ctx.AddProblem(target, superOffset, "ext2 group descriptors", Format("block size 1024 << %u is not used", log));
    return false;
  }
  Volume v{};
  v.start = target.start;
  v.blockSize = uint64_t{1024} << log;
  v.inodesPerGroup = Le32(sb + kInodesPerGroup);
  v.inodeSize = Le32(sb + kRevLevel) == 0 ? 128 : Le16(sb + kInodeSize);
  v.wide = (incompat & kIncompat64Bit) && Le16(sb + kDescSize) >= 64;
  if (v.inodeSize < 128 || v.inodeSize > v.blockSize || (v.inodeSize & (v.inodeSize - 1))) {
    ctx.AddProblem(target, superOffset, "ext2 inodes", Format("an inode size of %u is not used", v.inodeSize));
    v.inodeSize = 0;
  }
  const uint64_t blocks = Le32(sb + kBlocksCount) | ((incompat & kIncompat64Bit) ? uint64_t{Le32(sb + kBlocksCountHi)} << 32 : 0);
  const uint32_t firstData = Le32(sb + kFirstDataBlock);
  const uint32_t perGroup = Le32(sb + kBlocksPerGroup);
  v.gdt = target.start + (uint64_t{firstData} + 1) * v.blockSize;
  if (perGroup == 0 || blocks <= firstData) {
    ctx.AddProblem(target, v.gdt, "ext2 group descriptors", "the superblock gives no groups");
    return false;
  }
  const uint64_t groups = (blocks - firstData + perGroup - 1) / perGroup;
  const uint64_t descSize = v.wide ? 64 : 32;
  if (!target.Holds(v.gdt, descSize)) {
    ctx.AddProblem(target, v.gdt, "ext2 group descriptors", "they lie outside the volume");
    return false;
  }
  ctx.AddRow(target, v.gdt, v.wide ? DumpType::Ext4Group : DumpType::Ext2Group, static_cast<int>(std::min<uint64_t>(groups, kMaxCount)),
             Format("%s group descriptors, %llu group%s", kind, static_cast<unsigned long long>(groups),
                    groups == 1 ? "" : "s"));
  if (groups > kMaxCount)
    ctx.AddProblem(target, v.gdt + kMaxCount * descSize, "ext2 group descriptors",
                   Format("only the first %d of %llu are dumped", kMaxCount, static_cast<unsigned long long>(groups)));
  if (v.inodeSize == 0) return false;

  const DumpType inodeType = v.inodeSize == 128 ? DumpType::Ext2Inode : DumpType::Ext2InodeLong;
  const uint64_t root = InodeOffset(ctx, target, v, 2);
  uint8_t inode[256] = {};
  if (root == 0 || !ctx.Read(root, inode, 128)) {
    ctx.AddProblem(target, v.gdt, "ext2 root inode", "group 0's inode table lies outside the volume");
  } else {
    ctx.AddRow(target, root, inodeType, 1, "ext2 root inode (inode 2)");
    const uint64_t block = FirstBlock(inode);
    const uint64_t dir = target.start + block * v.blockSize;
    if (block == 0 || block >= target.Size() / v.blockSize) {
      ctx.AddProblem(target, root, "ext2 root directory", "its first block lies outside the volume");
    } else {
      const int entries = CountDirEntries(ctx, dir, v.blockSize);
      ctx.AddRow(target, dir, DumpType::Ext2Dir, entries, Format("ext2 root directory, %d entries", entries));
    }
  }
  if (compat & kCompatJournal) {
    const uint32_t journalInode = Le32(sb + kJournalInode);
    const uint64_t at = InodeOffset(ctx, target, v, journalInode);
    uint8_t j[128];
    uint64_t block = 0;
    if (at != 0 && ctx.Read(at, j, sizeof j)) block = FirstBlock(j);
    const uint64_t journal = target.start + block * v.blockSize;
    uint8_t magic[4];
    if (block == 0 || block >= target.Size() / v.blockSize || !ctx.Read(journal, magic, 4) ||
        Be32(magic) != 0xC03B3998)
      ctx.AddProblem(target, at ? at : superOffset, Format("ext3 journal (inode %u)", journalInode),
                     "no journal superblock found");
    else
      ctx.AddRow(target, journal, DumpType::Ext3Journal, 1, Format("ext3 journal superblock (inode %u)", journalInode));
  }
  return false;
}

}  // namespace trovik
