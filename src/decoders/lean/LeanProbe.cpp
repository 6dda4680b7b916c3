// The map's recogniser of LEAN volumes: the superblock (in one of the first
// 33 sectors), the root directory's inode and its first entries.
#include <vector>

#include "decoders/lean/LeanLayout.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/lean/LeanDecoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {
constexpr int kMaxEntries = 256;
constexpr int kDirRecordLen = 0x09;  // in 16-byte units
}  // namespace

bool ProbeLean(ProbeContext& ctx, const ProbeTarget& target) {
  using namespace lean;
  uint8_t s[kBlockBytes];
  uint64_t super = target.start;
  bool found = false;
  for (uint64_t i = 0; i < super::kPrimarySuperLimit && !found; ++i) {
    super = target.start + i * kBlockBytes;
    if (!target.Holds(super, kBlockBytes) || !ctx.Read(super, s, sizeof s)) return false;
    found = Le32(s + super::kMagic) == super::kMagicValue;
  }
  if (!found) return false;
  const std::string label = ImageText(s + super::kLabel, super::kLabelBytes);
  ctx.AddRow(target, super, DumpType::LeanSuper, 1, "LEAN superblock" + (label.empty() ? "" : ", volume '" + label + "'"));
  const uint32_t log = s[super::kBlockSizeLog];
  const uint64_t rootBlock = Le64(s + super::kRootStart);
  if (log < 9 || log > 16) {
    ctx.AddProblem(target, super, "LEAN root directory", Format("a block size of 2^%u is not followed", log));
    return super == target.start;
  }
  const uint64_t blockSize = uint64_t{1} << log;
  const uint64_t inode = target.start + rootBlock * blockSize;
  uint8_t n[kBlockBytes];
  if (rootBlock >= target.Size() / blockSize || !ctx.Read(inode, n, sizeof n) ||
      Le32(n + inode::kMagic) != inode::kMagicValue) {
    ctx.AddProblem(target, inode, "LEAN root directory", "no inode where the superblock says");
    return super == target.start;
  }
  ctx.AddRow(target, inode, DumpType::LeanInode, 1, "LEAN root directory inode");
  // The directory's data follows the inode, or starts in the next block when
  // extended attributes fill the rest of the inode's block.
  const bool attributes = Le32(n + inode::kAttributes) & inode::kAttrExtendedAttributes;
  const uint64_t data = inode + (attributes ? blockSize : inode::kAttributeArea);
  const uint64_t blockEnd = inode + (attributes ? 2 : 1) * blockSize;
  std::vector<uint8_t> block(static_cast<size_t>(blockEnd - data));
  if (!ctx.Read(data, block.data(), block.size())) return super == target.start;
  int entries = 0;
  for (size_t at = 0; at + 16 <= block.size() && entries < kMaxEntries && block[at + kDirRecordLen] != 0; ++entries)
    at += size_t{block[at + kDirRecordLen]} * 16;
  if (entries > 0)
    ctx.AddRow(target, data, DumpType::LeanDir, entries, Format("LEAN root directory, %d entries", entries));
  return super == target.start;
}

}  // namespace trovik
