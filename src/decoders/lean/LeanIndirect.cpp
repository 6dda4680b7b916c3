// LEAN indirect blocks: the extents of a file that do not fit in its inode,
// chained block to block.
#include <cinttypes>

#include "decoders/common/Checksums.h"
#include "decoders/lean/LeanDecoders.h"
#include "decoders/lean/LeanLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace lean::indirect;

void AddBlockNumber(Report& report, const char* format, const uint8_t* field) {
  const uint64_t value = Le64(field);
  report.Printf(format, value, value);
}

void AddIndirectBlock(DumpContext& ctx, const uint8_t* block) {
  Report& report = ctx.report;
  const uint32_t computed = RotateAddChecksum(block, lean::kBlockBytes);

  report.Printf("LEAN FS Indirect (0x%08X)\n", ctx.start);
  ctx.CheckExtent(lean::kBlockBytes);
  const uint32_t checksum = Le32(block + kChecksum);
  report.Printf("               Checksum: 0x%08X\n", checksum);
  if (checksum != computed) report.FlagHex(" <-- Should be:", computed, 8);

  report.Printf("                  Magic: 0x%08X  (", Le32(block + kMagic));
  for (int i = 0; i < 4; ++i) report.AddChar(block[kMagic + i]);
  report.Add(")\n");
  if (Le32(block + kMagic) != kMagicValue) report.Flag(" <-- Should be: 0x58444E49");

  report.Printf("            Block Count: %" PRIu64 "\n", Le64(block + kBlockCount));
  AddBlockNumber(report, "                  Inode: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kInode);
  AddBlockNumber(report, "            This Block: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kThisBlock);
  AddBlockNumber(report, "      Previous Indirect: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kPrevious);
  AddBlockNumber(report, "          Next Indirect: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kNext);

  const uint16_t extents = Le16(block + kExtentCount);
  report.Printf("      Number of Extents: %i\n", extents);
  if (extents > kExtents)
    report.Flag(" <-- Should be <= 38.");
  else if (extents == 0)
    report.Flag(
                        " <-- Should be > 0.  Why else would you have an indirect block if no extents were included?");

  report.Printf("               Reserved0: %02X %02X\n", block[kReserved0], block[kReserved0 + 1]);
  if (block[kReserved0] || block[kReserved0 + 1]) report.Flag(" <-- Should be 0's.");
  const uint32_t reserved1 = Le32(block + kReserved1);
  report.Printf("               Reserved1: 0x%04X\n", reserved1);
  if (reserved1) report.Flag(" <-- Should be 0.");

  // All 38 extent slots are shown, used or not.
  for (int n = 0; n < kExtents; ++n) {
    const uint64_t start = Le64(block + kExtentStarts + 8 * n);
    const uint32_t size = Le32(block + kExtentSizes + 4 * n);
    report.Printf("               Extent %i:  start 0x%016" PRIX64 "  (%" PRIu64 "), size 0x%08X (%i)\n", n, start,
                  start, size, static_cast<int32_t>(size));
  }
  report.Add("\n");
  report.AppendPending();
}

}  // namespace

DumpEnd DumpLeanIndirect(DumpContext& ctx) {
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t block[lean::kBlockBytes];
    ctx.Read(block, sizeof block);
    AddIndirectBlock(ctx, block);
    ctx.Advance(lean::kBlockBytes);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows LeanIndirectRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::LeanIndirect, .name = "lean-indirect", .caption = "Indirect", .group = kLeanGroup,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data for the LEAN FS Indirect Structure.", .decoder = DumpLeanIndirect},
  };
  return kRows;
}

}  // namespace trovik
