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

void AddBlockNumber(Report& report, const char* format, const uint8_t* block, U64 field) {
  report.Printf(format, Get(block, field), Get(block, field));
}

void AddIndirectBlock(Report& report, const uint8_t* block) {
  const uint32_t checksum = Get(block, kChecksum);
  const uint32_t computed = RotateAddChecksum(block, kSize);
  report.Printf("               Checksum: 0x%08X\n", checksum);
  if (checksum != computed) report.FlagHex(" <-- Should be:", computed, 8);

  report.Printf("                  Magic: 0x%08X  (", Get(block, kMagic));
  for (int i = 0; i < 4; ++i) report.AddChar(static_cast<uint8_t>(Get(block, kMagic) >> (8 * i)));
  report.Add(")\n");
  if (Get(block, kMagic) != kMagicValue) report.Flag(" <-- Should be: 0x58444E49");

  report.Printf("            Block Count: %" PRIu64 "\n", Get(block, kBlockCount));
  AddBlockNumber(report, "                  Inode: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kInode);
  AddBlockNumber(report, "            This Block: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kThisBlock);
  AddBlockNumber(report, "      Previous Indirect: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kPrevious);
  AddBlockNumber(report, "          Next Indirect: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kNext);

  const uint16_t extents = Get(block, kExtentCount);
  report.Printf("      Number of Extents: %i\n", extents);
  if (extents > kExtents)
    report.Flag(" <-- Should be <= 38.");
  else if (extents == 0)
    report.Flag(" <-- Should be > 0.  Why else would you have an indirect block if no extents were included?");

  const uint8_t* reserved0 = At(block, kReserved0);
  report.Printf("               Reserved0: %02X %02X\n", reserved0[0], reserved0[1]);
  if (reserved0[0] || reserved0[1]) report.Flag(" <-- Should be 0's.");
  const uint32_t reserved1 = Get(block, kReserved1);
  report.Printf("               Reserved1: 0x%04X\n", reserved1);
  if (reserved1) report.Flag(" <-- Should be 0.");

  // All 38 extent slots are shown, used or not.
  for (int n = 0; n < kExtents; ++n) {
    const uint64_t start = Get(block, Element(kExtentStarts, n));
    const uint32_t size = Get(block, Element(kExtentSizes, n));
    report.Printf("               Extent %i:  start 0x%016" PRIX64 "  (%" PRIu64 "), size 0x%08X (%i)\n", n, start,
                  start, size, static_cast<int32_t>(size));
  }
  report.Add("\n");
}

}  // namespace

DumpEnd DumpLeanIndirect(DumpContext& ctx) {
  return WalkItems(
      ctx, kSize, [](Report& r, const WalkItem& item) { r.Printf("LEAN FS Indirect (0x%08X)\n", item.shown); },
      [](Report& r, const WalkItem& item) { AddIndirectBlock(r, item.bytes); });
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
