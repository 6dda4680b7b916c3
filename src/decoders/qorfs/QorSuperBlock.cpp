// The QOR file system superblock: geometry, the data block and bitmaps,
// volume flags, its CRC-32, GUID, label and the unused tail.
#include <cinttypes>
#include <string>

#include "decoders/common/Checksums.h"
#include "decoders/common/FieldText.h"
#include "decoders/qorfs/QorDecoders.h"
#include "decoders/qorfs/QorLayout.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

using namespace qor::super;

void Check(Report& report, bool fails, const char* annotation) {
  if (fails) report.Flag(annotation);
}

}  // namespace

DumpEnd DumpQorSuper(DumpContext& ctx) {
  uint8_t block[kSize];
  ctx.Read(block, sizeof block);
  Report& report = ctx.report;

  report.Printf("QORFS Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sizeof block);

  AddSignatureLine(report, "                sig[0]: ", block + kSig0.offset);
  Check(report, Get(block, kSig0) != kSig0Value, " <-- Should be 0x514F5246.");
  AddSignatureLine(report, "                sig[1]: ", block + kSig1.offset);
  Check(report, Get(block, kSig1) != kSig1Value, " <-- Should be 0x53555052.");

  // The version is written in hexadecimal digits: 0x0150 is 1.50.
  const uint16_t version = Get(block, kVersion);
  report.Printf("               Version: %i.%X\n", version >> 8, version & 0xFF);
  Check(report, version < kMinVersion, " <-- Should be at least 1.50.");

  const uint16_t sectorsPerCluster = Get(block, kSectorsPerCluster);
  report.Printf("   Sectors per Cluster: %i\n", sectorsPerCluster);
  Check(report, !IsPowerOfTwo(sectorsPerCluster), " <-- Should be a power of 2.");
  const uint8_t encryption = Get(block, kEncryption);
  report.Printf("       Encryption Type: %i\n", encryption);
  Check(report, encryption > 1, " <-- Should be a 0 or 1.");
  const uint8_t bitmaps = Get(block, kBitmapCount);
  report.Printf("     Number of Bitmaps: %i\n", bitmaps);
  Check(report, bitmaps < 1 || bitmaps > 2, " <-- Should be 1 or 2.");
  const uint16_t bitmapFlag = Get(block, kBitmapFlag);
  report.Printf("           Bitmap Flag: 0x%08X\n", bitmapFlag);
  Check(report, (bitmapFlag & ~3u) != 0, " <-- Bits 30 - 2 should be zero.");
  const uint32_t rootEntries = Get(block, kRootEntries);
  report.Printf("          Root Entries: %i\n", static_cast<int32_t>(rootEntries));
  Check(report, (rootEntries & 3) != 0, " <-- Should be divisiable by 4.");

  const uint64_t rootLsn = Get(block, kRootLsn);
  const uint64_t dataLsn = Get(block, kDataLsn);
  const uint64_t dataSectors = Get(block, kDataSectors);
  const uint64_t volumeSectors = Get(block, kVolumeSectors);
  report.Printf("              Base LBA: %" PRId64 "\n", Get(block, kBaseLba));
  report.Printf("              Root LSN: %" PRId64 "\n", static_cast<int64_t>(rootLsn));
  // The root may sit at the data block's end; the bound is tested without
  // forming Data LSN + Sectors in Data Block, which could wrap.
  Check(report, rootLsn < dataLsn || rootLsn - dataLsn > dataSectors, " <-- Must be within data block.");
  report.Printf("              Data LSN: %" PRId64 "\n", static_cast<int64_t>(dataLsn));
  report.Printf(" Sectors in Data Block: %" PRId64 "\n", static_cast<int64_t>(dataSectors));
  // A data block that starts past the volume's end cannot fit either.
  Check(report, dataLsn > volumeSectors || dataSectors > volumeSectors - dataLsn,
        " <-- There are more data_sectors than there are total sectors.");
  report.Printf("     Sectors in Volume: %" PRId64 "\n", static_cast<int64_t>(volumeSectors));
  const uint64_t firstBitmap = Get(block, kFirstBitmap);
  const uint64_t secondBitmap = Get(block, kSecondBitmap);
  report.Printf("      First Bitmap LSN: %" PRId64 "\n", static_cast<int64_t>(firstBitmap));
  Check(report, firstBitmap >= volumeSectors, " <-- Out of range.");
  report.Printf("     Second Bitmap LSN: %" PRId64 "\n", static_cast<int64_t>(secondBitmap));
  Check(report, secondBitmap >= volumeSectors, " <-- Out of range.");

  report.Printf(" Seconds since ChkDisk: %i\n", Get(block, kSinceChkDisk));
  report.Printf(" Seconds since LostOpt: %i\n", Get(block, kSinceLostOpt));
  const uint32_t volumeFlags = Get(block, kVolumeFlags);
  report.Printf("          Volume Flags: 0x%08X  (%s Case Sensitive) (%s Copy)\n", volumeFlags,
                (volumeFlags & kVolumeCaseSensitive) ? "" : "Not", (volumeFlags & kVolumeHasCopy) ? "Has" : "No");
  Check(report, (volumeFlags & ~3u) != 0, " <-- Bits 31 - 2 should be zero.");

  // The CRC covers the whole block with its own field taken as zero.
  const uint32_t storedCrc = Get(block, kCrc);
  report.Printf("                   CRC: 0x%08X\n", storedCrc);
  Put(block, kCrc, 0);
  const uint32_t computedCrc = Crc32(block, sizeof block);
  if (computedCrc != storedCrc)
    report.Flag(Format(" <-- Should be 0x%08X", computedCrc));
  else
    report.Note(" (correct)");

  report.Printf("                  guid: %s\n", LittleEndianGuidText(At(block, kGuid)).c_str());

  report.Add("                 Label: ");
  report.AddPrintable(At(block, kLabel), kLabel.size);
  report.Add("\n");

  // The tail in the hex dump format, on 16-byte steps from its own offset.
  report.Add("                Filler:");
  const bool fillerSet = report.AppendDebugLines(ctx.ItemOffset() + kFiller.offset, At(block, kFiller), kFiller.size);

  report.Add("\n");
  if (fillerSet) report.Flag("\nOne or more of the values above was not zero.");
  report.Add("\nFootnotes:\n 1.   32-bit litteral in PRAXO litteral format");
  report.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows QorSuperBlockRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::QorSuper, .name = "qor-super", .caption = "Super Block", .group = kQorGroup,
     .help = "Dump the specified offset of data for the QORFS Superblock.", .decoder = DumpQorSuper},
  };
  return kRows;
}

}  // namespace trovik
