// The map's recogniser of ext2/3/4 volumes: the superblock, the group
// descriptor table, the root inode, the root directory's first block and
// the journal superblock.
#include <algorithm>
#include <vector>

#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/ext2/Ext2Layout.h"
#include "engine/Probe.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

using namespace ext2;

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
  const uint32_t groupIndex = (inode - 1) / v.inodesPerGroup;
  const uint32_t index = (inode - 1) % v.inodesPerGroup;
  uint8_t gd[group::kWideSize];
  const uint64_t descSize = v.wide ? group::kWideSize : group::kSize;
  const uint64_t at = v.gdt + groupIndex * descSize;
  if (!target.Holds(at, descSize) || !ctx.Read(at, gd, descSize)) return 0;
  const uint64_t table = Get(gd, group::kInodeTable) | (v.wide ? uint64_t{Get(gd, group::kInodeTableHi)} << 32 : 0);
  if (table == 0 || table > (target.Size() / v.blockSize)) return 0;
  const uint64_t offset = v.start + table * v.blockSize + uint64_t{index} * v.inodeSize;
  return target.Holds(offset, v.inodeSize) ? offset : 0;
}

// The first data block of an inode (direct block or first extent of a leaf),
// or 0.
uint64_t FirstBlock(const uint8_t* in) {
  if ((Get(in, inode::kFlags) & inode::kFlagExtents) == 0) return Get(in, inode::kDirectBlock);
  // Only a leaf node (depth 0) with at least one entry names a data block.
  const uint8_t* node = At(in, inode::kBlockArea);
  if (Get(node, extent_header::kMagic) != extent_header::kMagicValue || Get(node, extent_header::kEntries) == 0 ||
      Get(node, extent_header::kDepth) != 0)
    return 0;
  const uint8_t* e = node + extent_header::kSize;
  return (uint64_t{Get(e, extent::kStartHi)} << 32) | Get(e, extent::kStartLo);
}

int CountDirEntries(ProbeContext& ctx, uint64_t offset, uint64_t blockSize) {
  std::vector<uint8_t> block(static_cast<size_t>(blockSize));
  if (!ctx.Read(offset, block.data(), block.size())) return 1;
  int n = 0;
  for (uint64_t at = 0; at + dirent::kHeadSize <= blockSize && n < 1024; ++n) {
    const uint16_t recLen = Get(block.data() + at, dirent::kRecLen);
    if (recLen < dirent::kHeadSize) {
      ++n;
      break;
    }
    at += recLen;
  }
  return std::max(n, 1);
}

}  // namespace

bool ProbeExt2(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t sb[super::kSize];
  const uint64_t superOffset = target.start + super::kVolumeOffset;
  if (!target.Holds(superOffset, sizeof sb) || !ctx.Read(superOffset, sb, sizeof sb) ||
      Get(sb, super::kMagic) != super::kMagicValue)
    return false;
  const uint32_t log = Get(sb, super::kLogBlockSize);
  const uint32_t compat = Get(sb, super::kFeatureCompat);
  const uint32_t incompat = Get(sb, super::kFeatureIncompat);
  const bool has64Bit = incompat & super::kIncompat64Bit;
  const uint32_t ext4Features = super::kIncompatExtents | super::kIncompat64Bit | super::kIncompatFlexBg;
  const char* kind = (incompat & ext4Features) ? "ext4" : (compat & super::kCompatHasJournal) ? "ext3" : "ext2";
  const std::string name = ImageText(At(sb, super::kVolumeName), super::kVolumeName.size);
  ctx.AddRow(target, superOffset, DumpType::Ext2Super, 1,
             std::string(kind) + " superblock" + (name.empty() ? "" : ", volume '" + name + "'"));
  if (log > 6) {
    ctx.AddProblem(target, superOffset, "ext2 group descriptors", Format("block size 1024 << %u is not used", log));
    return false;
  }
  Volume v{};
  v.start = target.start;
  v.blockSize = uint64_t{1024} << log;
  v.inodesPerGroup = Get(sb, super::kInodesPerGroup);
  v.inodeSize = Get(sb, super::kRevLevel) == 0 ? inode::kSize : Get(sb, super::kInodeSize);
  v.wide = has64Bit && Get(sb, super::kDescSize) >= group::kWideSize;
  if (v.inodeSize < inode::kSize || v.inodeSize > v.blockSize || (v.inodeSize & (v.inodeSize - 1))) {
    ctx.AddProblem(target, superOffset, "ext2 inodes", Format("an inode size of %u is not used", v.inodeSize));
    v.inodeSize = 0;
  }
  const uint64_t blocks = Get(sb, super::kBlockCount) | (has64Bit ? uint64_t{Get(sb, super::kBlockCountHi)} << 32 : 0);
  const uint32_t firstData = Get(sb, super::kFirstDataBlock);
  const uint32_t perGroup = Get(sb, super::kBlocksPerGroup);
  v.gdt = target.start + (uint64_t{firstData} + 1) * v.blockSize;
  if (perGroup == 0 || blocks <= firstData) {
    ctx.AddProblem(target, v.gdt, "ext2 group descriptors", "the superblock gives no groups");
    return false;
  }
  const uint64_t groups = (blocks - firstData + perGroup - 1) / perGroup;
  const uint64_t descSize = v.wide ? group::kWideSize : group::kSize;
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

  const DumpType inodeType = v.inodeSize == inode::kSize ? DumpType::Ext2Inode : DumpType::Ext2InodeLong;
  const uint64_t root = InodeOffset(ctx, target, v, 2);
  uint8_t rootInode[inode::kSize] = {};
  if (root == 0 || !ctx.Read(root, rootInode, sizeof rootInode)) {
    ctx.AddProblem(target, v.gdt, "ext2 root inode", "group 0's inode table lies outside the volume");
  } else {
    ctx.AddRow(target, root, inodeType, 1, "ext2 root inode (inode 2)");
    const uint64_t block = FirstBlock(rootInode);
    const uint64_t dir = target.start + block * v.blockSize;
    if (block == 0 || block >= target.Size() / v.blockSize) {
      ctx.AddProblem(target, root, "ext2 root directory", "its first block lies outside the volume");
    } else {
      const int entries = CountDirEntries(ctx, dir, v.blockSize);
      ctx.AddRow(target, dir, DumpType::Ext2Dir, entries, Format("ext2 root directory, %d entries", entries));
    }
  }
  if (compat & super::kCompatHasJournal) {
    const uint32_t journalInode = Get(sb, super::kJournalInode);
    const uint64_t at = InodeOffset(ctx, target, v, journalInode);
    uint8_t j[inode::kSize];
    uint64_t block = 0;
    if (at != 0 && ctx.Read(at, j, sizeof j)) block = FirstBlock(j);
    const uint64_t journalAt = target.start + block * v.blockSize;
    uint8_t head[journal::kMagic.End()];
    if (block == 0 || block >= target.Size() / v.blockSize || !ctx.Read(journalAt, head, sizeof head) ||
        Get(head, journal::kMagic) != journal::kMagicValue)
      ctx.AddProblem(target, at ? at : superOffset, Format("ext3 journal (inode %u)", journalInode),
                     "no journal superblock found");
    else
      ctx.AddRow(target, journalAt, DumpType::Ext3Journal, 1,
                 Format("ext3 journal superblock (inode %u)", journalInode));
  }
  return false;
}

}  // namespace trovik
