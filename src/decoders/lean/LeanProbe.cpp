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
}  // namespace

bool ProbeLean(ProbeContext& ctx, const ProbeTarget& target) {
  using namespace lean;
  uint8_t s[kBlockBytes];
  uint64_t super = target.start;
  bool found = false;
  for (uint64_t i = 0; i < super::kPrimarySuperLimit && !found; ++i) {
    super = target.start + i * kBlockBytes;
    if (!target.Holds(super, kBlockBytes) || !ctx.Read(super, s, sizeof s)) return false;
    found = Get(s, super::kMagic) == super::kMagicValue;
  }
  if (!found) return false;
  const std::string label = ImageText(At(s, super::kLabel), super::kLabel.size);
  ctx.AddRow(target, super, DumpType::LeanSuper, 1, "LEAN superblock" + (label.empty() ? "" : ", volume '" + label + "'"));
  const uint32_t log = Get(s, super::kBlockSizeLog);
  const uint64_t rootBlock = Get(s, super::kRootStart);
  if (log < 9 || log > 16) {
    ctx.AddProblem(target, super, "LEAN root directory", Format("a block size of 2^%u is not followed", log));
    return super == target.start;
  }
  const uint64_t blockSize = uint64_t{1} << log;
  const uint64_t inode = target.start + rootBlock * blockSize;
  uint8_t n[kBlockBytes];
  if (rootBlock >= target.Size() / blockSize || !ctx.Read(inode, n, sizeof n) ||
      Get(n, inode::kMagic) != inode::kMagicValue) {
    ctx.AddProblem(target, inode, "LEAN root directory", "no inode where the superblock says");
    return super == target.start;
  }
  ctx.AddRow(target, inode, DumpType::LeanInode, 1, "LEAN root directory inode");
  // The directory's data follows the inode, or starts in the next block when
  // extended attributes fill the rest of the inode's block.
  const bool attributes = Get(n, inode::kAttributes) & inode::kAttrExtendedAttributes;
  const uint64_t data = inode + (attributes ? blockSize : inode::kAttributeArea.offset);
  const uint64_t blockEnd = inode + (attributes ? 2 : 1) * blockSize;
  std::vector<uint8_t> block(static_cast<size_t>(blockEnd - data));
  if (!ctx.Read(data, block.data(), block.size())) return super == target.start;
  int entries = 0;
  const auto units = [&](size_t at) { return size_t{Get(block.data() + at, dir::kRecordLen)}; };
  for (size_t at = 0; at + dir::kRecordUnit <= block.size() && entries < kMaxEntries && units(at) != 0; ++entries)
    at += units(at) * dir::kRecordUnit;
  if (entries > 0)
    ctx.AddRow(target, data, DumpType::LeanDir, entries, Format("LEAN root directory, %d entries", entries));
  return super == target.start;
}

}  // namespace trovik
