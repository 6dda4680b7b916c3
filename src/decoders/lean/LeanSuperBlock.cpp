// The LEAN superblock: geometry, counts and the addresses of the other
// metadata, with its rotate-and-add checksum.
#include <cinttypes>

#include "decoders/common/Checksums.h"
#include "decoders/lean/LeanDecoders.h"
#include "decoders/lean/LeanLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace lean::super;

void AddBlockNumber(Report& report, const char* format, const uint8_t* field) {
  const uint64_t value = Le64(field);
  report.Printf(format, value, value);
}

}  // namespace

DumpEnd DumpLeanSuper(DumpContext& ctx) {
  uint8_t block[lean::kBlockBytes];
  ctx.Read(block, sizeof block);
  const uint32_t computed = RotateAddChecksum(block, sizeof block);
  Report& report = ctx.report;

  report.Printf("LEAN FS Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sizeof block);

  const uint32_t checksum = Le32(block + kChecksum);
  report.Printf("               Checksum: 0x%08X\n", checksum);
  if (checksum != computed) report.FlagHex(" <-- Should be:", computed, 8);

  // The signature bytes are shown as they stand; a zero byte adds nothing.
  report.Printf("                  Magic: 0x%08X  (", Le32(block + kMagic));
  for (int i = 0; i < 4; ++i) report.AddChar(block[kMagic + i]);
  report.Add(")\n");
  if (Le32(block + kMagic) != kMagicValue) report.Flag(" <-- Should be: 0x4E41454C");

  const uint16_t version = Le16(block + kVersion);
  report.Printf("                Version:     0x%04X  (%i.%02i)\n", version, version >> 8, version & 0xFF);
  if (version != kVersionValue) report.Flag(" <-- Should be: 0x0100");

  report.Printf("     Pre Allocate Count: %i\n", block[kPreAllocate]);
  report.Printf("  Blocks per Band (log): %i (%i)\n", static_cast<int>(1u << (block[kBandLog] & 31)),
                block[kBandLog]);

  const uint32_t state = Le32(block + kState);
  report.Printf("                  State: 0x%08X (errors = %i) (clean unmount = %i)\n", state, (state >> 1) & 1,
                state & 1);
  if (state & kStateUndefinedBits) report.Flag(" <-- Bits 15:3 must be zero.");

  const uint8_t* guid = block + kGuid;
  report.Printf("                   GUID: %08X-%04X-%04X-%04X-%02X%02X%02X%02X%02X%02X\n", Le32(guid), Le16(guid + 4),
                Le16(guid + 6), Le16(guid + 8), guid[10], guid[11], guid[12], guid[13], guid[14], guid[15]);

  // The label is NUL-padded, but a full 64-byte label has no NUL at all.
  report.Add("                  Label: ");
  for (int i = 0; i < kLabelBytes && block[kLabel + i] != 0; ++i) report.AddChar(block[kLabel + i]);
  report.Add("\n            ");
  for (int i = 0; i < kLabelBytes / 2; ++i) report.Printf("%02X ", block[kLabel + i]);
  report.Add("\n            ");
  for (int i = kLabelBytes / 2; i < kLabelBytes; ++i) report.Printf("%02X ", block[kLabel + i]);
  report.Add("\n");

  AddBlockNumber(report, "           Total blocks: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kTotalBlocks);
  AddBlockNumber(report, "            Free blocks: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kFreeBlocks);
  AddBlockNumber(report, "              Next Free: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kNextFree);
  if (Le64(block + kFreeBlocks) >= Le64(block + kTotalBlocks))
    report.Flag(" <-- Free blocks > Total blocks.");
  AddBlockNumber(report, "      Primary Super LBA: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kPrimarySuper);
  if (Le64(block + kPrimarySuper) >= kPrimarySuperLimit)
    report.Flag(" <-- Primary Super is not within the first 33 blocks.");
  AddBlockNumber(report, "       Backup Super LBA: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kBackupSuper);
  AddBlockNumber(report, "       Bitmap Start LBA: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kBitmapStart);
  report.Printf("        Bitmap Checksum: 0x%08X\n", Le32(block + kBitmapChecksum));
  AddBlockNumber(report, "             Root Start: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kRootStart);
  AddBlockNumber(report, "              Bad Start: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kBadStart);
  AddBlockNumber(report, "          Journal Start: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block + kJournalStart);
  report.Printf("           Capabilities: 0x%08X\n", Le32(block + kCapabilities));
  report.Printf("       Block size (log): %i (%i)\n", static_cast<int>(1u << (block[kBlockSizeLog] & 31)),
                block[kBlockSizeLog]);

  report.Add("              Reserved:\n");
  const bool aborted = report.HexDumpBlock(0, block + kReserved, kReservedBytes, false);
  report.AppendPending();
  // A listing cut short by the user must say so rather than look complete.
  return aborted ? DumpEnd::Abort : DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows LeanSuperBlockRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::LeanSuper, .name = "lean-super", .caption = "Super Block", .group = kLeanGroup,
     .help = "Dump the specified offset of data for the LEAN FS Superblock.", .decoder = DumpLeanSuper},
  };
  return kRows;
}

}  // namespace trovik
