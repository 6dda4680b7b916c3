// The LEAN superblock: geometry, counts and the addresses of the other
// metadata, with its rotate-and-add checksum.
#include <cinttypes>

#include "decoders/common/Checksums.h"
#include "decoders/common/FieldText.h"
#include "decoders/lean/LeanDecoders.h"
#include "decoders/lean/LeanLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace lean::super;

void AddBlockNumber(Report& report, const char* format, const uint8_t* block, U64 field) {
  report.Printf(format, Get(block, field), Get(block, field));
}

}  // namespace

DumpEnd DumpLeanSuper(DumpContext& ctx) {
  uint8_t block[kSize];
  ctx.Read(block, sizeof block);
  const uint32_t computed = RotateAddChecksum(block, sizeof block);
  Report& report = ctx.report;

  report.Printf("LEAN FS Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sizeof block);

  const uint32_t checksum = Get(block, kChecksum);
  report.Printf("               Checksum: 0x%08X\n", checksum);
  if (checksum != computed) report.FlagHex(" <-- Should be:", computed, 8);

  // The signature bytes are shown as they stand; a zero byte adds nothing.
  report.Printf("                  Magic: 0x%08X  (", Get(block, kMagic));
  for (int i = 0; i < 4; ++i) report.AddChar(static_cast<uint8_t>(Get(block, kMagic) >> (8 * i)));
  report.Add(")\n");
  if (Get(block, kMagic) != kMagicValue) report.Flag(" <-- Should be: 0x4E41454C");

  const uint16_t version = Get(block, kVersion);
  report.Printf("                Version:     0x%04X  (%i.%02i)\n", version, version >> 8, version & 0xFF);
  if (version != kVersionValue) report.Flag(" <-- Should be: 0x0100");

  report.Printf("     Pre Allocate Count: %i\n", Get(block, kPreAllocate));
  const uint8_t bandLog = Get(block, kBandLog);
  report.Printf("  Blocks per Band (log): %i (%i)\n", static_cast<int>(1u << (bandLog & 31)), bandLog);

  const uint32_t state = Get(block, kState);
  report.Printf("                  State: 0x%08X (errors = %i) (clean unmount = %i)\n", state, (state >> 1) & 1,
                state & 1);
  if (state & kStateUndefinedBits) report.Flag(" <-- Bits 15:3 must be zero.");

  report.Printf("                   GUID: %s\n", LittleEndianGuidText(At(block, kGuid)).c_str());

  // The label is NUL-padded, but a full 64-byte label has no NUL at all.
  const uint8_t* label = At(block, kLabel);
  report.Add("                  Label: ");
  for (size_t i = 0; i < kLabel.size && label[i] != 0; ++i) report.AddChar(label[i]);
  // Then all its bytes, half of them to a line.
  for (size_t i = 0; i < kLabel.size; ++i)
    report.Printf(i % (kLabel.size / 2) == 0 ? "\n            %02X " : "%02X ", label[i]);
  report.Add("\n");

  AddBlockNumber(report, "           Total blocks: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kTotalBlocks);
  AddBlockNumber(report, "            Free blocks: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kFreeBlocks);
  AddBlockNumber(report, "              Next Free: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kNextFree);
  if (Get(block, kFreeBlocks) >= Get(block, kTotalBlocks)) report.Flag(" <-- Free blocks > Total blocks.");
  AddBlockNumber(report, "      Primary Super LBA: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kPrimarySuper);
  if (Get(block, kPrimarySuper) >= kPrimarySuperLimit)
    report.Flag(" <-- Primary Super is not within the first 33 blocks.");
  AddBlockNumber(report, "       Backup Super LBA: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kBackupSuper);
  AddBlockNumber(report, "       Bitmap Start LBA: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kBitmapStart);
  report.Printf("        Bitmap Checksum: 0x%08X\n", Get(block, kBitmapChecksum));
  AddBlockNumber(report, "             Root Start: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kRootStart);
  AddBlockNumber(report, "              Bad Start: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kBadStart);
  AddBlockNumber(report, "          Journal Start: 0x%016" PRIX64 "  (%" PRIu64 ")\n", block, kJournalStart);
  report.Printf("           Capabilities: 0x%08X\n", Get(block, kCapabilities));
  const uint8_t sizeLog = Get(block, kBlockSizeLog);
  report.Printf("       Block size (log): %i (%i)\n", static_cast<int>(1u << (sizeLog & 31)), sizeLog);

  report.Add("              Reserved:\n");
  const bool aborted = report.HexDumpBlock(0, At(block, kReserved), static_cast<int32_t>(kReserved.size), false);
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
