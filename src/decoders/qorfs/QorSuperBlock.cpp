// The QOR file system superblock: geometry, the data block and bitmaps,
// volume flags, its CRC-32, GUID, label and the unused tail.
#include <cinttypes>
#include <cstring>
#include <string>

#include "decoders/common/FieldText.h"
#include "decoders/common/Checksums.h"
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

// The tail in the byte listing of the hex dump format: lines on 16-byte
// steps from the tail's own file offset. Returns whether any byte is set.
bool AddFiller(Report& report, const uint8_t* filler, uint64_t address) {
  bool nonZero = false;
  std::string line;
  std::string chars;
  for (int i = 0; i < kFillerBytes; ++i) {
    const int column = i % 16;
    if (column == 0) {
      line = Format("\n%08llX ", static_cast<unsigned long long>(address));
      address += 16;
      chars.clear();
    }
    const uint8_t byte = filler[i];
    nonZero |= byte != 0;
    AppendFormat(line, column == 8 ? "-%02X" : " %02X", byte);
    chars += (byte >= 0x21 && byte <= 0x7F) ? static_cast<char>(byte) : '.';
    if (column == 15 || i + 1 == kFillerBytes) {
      line += "     ";
      line.append(3 * static_cast<size_t>(15 - column), ' ');
      line += chars;
      report.AppendText(line);
    }
  }
  return nonZero;
}

}  // namespace

DumpEnd DumpQorSuper(DumpContext& ctx) {
  uint8_t block[kBytes];
  ctx.Read(block, sizeof block);
  Report& report = ctx.report;

  report.Printf("QORFS Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sizeof block);

  AddSignatureLine(report, "                sig[0]: ", block + kSig0);
  Check(report, Le32(block + kSig0) != kSig0Value, " <-- Should be 0x514F5246.");
  AddSignatureLine(report, "                sig[1]: ", block + kSig1);
  Check(report, Le32(block + kSig1) != kSig1Value, " <-- Should be 0x53555052.");

  // The version is written in hexadecimal digits: 0x0150 is 1.50.
  report.Printf("               Version: %i.%X\n", block[kVersion + 1], block[kVersion]);
  Check(report, Le16(block + kVersion) < kMinVersion, " <-- Should be at least 1.50.");

  const uint16_t sectorsPerCluster = Le16(block + kSectorsPerCluster);
  report.Printf("   Sectors per Cluster: %i\n", sectorsPerCluster);
  Check(report, !IsPowerOfTwo(sectorsPerCluster), " <-- Should be a power of 2.");
  report.Printf("       Encryption Type: %i\n", block[kEncryption]);
  Check(report, block[kEncryption] > 1, " <-- Should be a 0 or 1.");
  report.Printf("     Number of Bitmaps: %i\n", block[kBitmapCount]);
  Check(report, block[kBitmapCount] < 1 || block[kBitmapCount] > 2, " <-- Should be 1 or 2.");
  const uint16_t bitmapFlag = Le16(block + kBitmapFlag);
  report.Printf("           Bitmap Flag: 0x%08X\n", bitmapFlag);
  Check(report, (bitmapFlag & ~3u) != 0, " <-- Bits 30 - 2 should be zero.");
  const uint32_t rootEntries = Le32(block + kRootEntries);
  report.Printf("          Root Entries: %i\n", static_cast<int32_t>(rootEntries));
  Check(report, (rootEntries & 3) != 0, " <-- Should be divisiable by 4.");

  const uint64_t rootLsn = Le64(block + kRootLsn);
  const uint64_t dataLsn = Le64(block + kDataLsn);
  const uint64_t dataSectors = Le64(block + kDataSectors);
  const uint64_t volumeSectors = Le64(block + kVolumeSectors);
  report.Printf("              Base LBA: %" PRId64 "\n", SignedLe64(block + kBaseLba));
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
  const uint64_t firstBitmap = Le64(block + kFirstBitmap);
  const uint64_t secondBitmap = Le64(block + kSecondBitmap);
  report.Printf("      First Bitmap LSN: %" PRId64 "\n", static_cast<int64_t>(firstBitmap));
  Check(report, firstBitmap >= volumeSectors, " <-- Out of range.");
  report.Printf("     Second Bitmap LSN: %" PRId64 "\n", static_cast<int64_t>(secondBitmap));
  Check(report, secondBitmap >= volumeSectors, " <-- Out of range.");

  report.Printf(" Seconds since ChkDisk: %i\n", SignedLe32(block + kSinceChkDisk));
  report.Printf(" Seconds since LostOpt: %i\n", SignedLe32(block + kSinceLostOpt));
  const uint32_t volumeFlags = Le32(block + kVolumeFlags);
  report.Printf("          Volume Flags: 0x%08X  (%s Case Sensitive) (%s Copy)\n", volumeFlags,
                (volumeFlags & kVolumeCaseSensitive) ? "" : "Not", (volumeFlags & kVolumeHasCopy) ? "Has" : "No");
  Check(report, (volumeFlags & ~3u) != 0, " <-- Bits 31 - 2 should be zero.");

  // The CRC covers the whole block with its own field taken as zero.
  const uint32_t storedCrc = Le32(block + kCrc);
  report.Printf("                   CRC: 0x%08X\n", storedCrc);
  std::memset(block + kCrc, 0, 4);
  const uint32_t computedCrc = Crc32(block, sizeof block);
  if (computedCrc != storedCrc)
    report.Flag(Format(" <-- Should be 0x%08X", computedCrc));
  else
    report.Note(" (correct)");

  const uint8_t* guid = block + kGuid;
  report.Printf("                  guid: %08X-%04X-%04X-%04X-%02X%02X%02X%02X%02X%02X\n", Le32(guid), Le16(guid + 4),
                Le16(guid + 6), Le16(guid + 8), guid[10], guid[11], guid[12], guid[13], guid[14], guid[15]);

  report.Add("                 Label: ");
  for (int i = 0; i < kLabelBytes; ++i) report.AddChar(PrintableChar(block[kLabel + i]));
  report.Add("\n");

  report.Add("                Filler:");
  report.AppendPending();
  const bool fillerSet = AddFiller(report, block + kFiller, ctx.ItemOffset() + kFiller);

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
