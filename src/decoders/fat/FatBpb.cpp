// The FAT12/16 and FAT32 BIOS parameter block listings and their checks.
#include <array>
#include <cstring>

#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

Fat12Bpb Fat12Bpb::Parse(const uint8_t* b) {
  Fat12Bpb bpb;
  std::memcpy(bpb.jump.data(), b + fat::kJump, bpb.jump.size());
  std::memcpy(bpb.oemName.data(), b + fat::kOemName, bpb.oemName.size());
  bpb.bytesPerSector = Le16(b + fat::kBytesPerSector);
  bpb.sectorsPerCluster = b[fat::kSectorsPerCluster];
  bpb.reservedSectors = Le16(b + fat::kReservedSectors);
  bpb.fatCount = b[fat::kFatCount];
  bpb.rootEntries = Le16(b + fat::kRootEntries);
  bpb.totalSectors16 = Le16(b + fat::kTotalSectors16);
  bpb.mediaDescriptor = b[fat::kMediaDescriptor];
  bpb.sectorsPerFat = Le16(b + fat::kSectorsPerFat16);
  bpb.sectorsPerTrack = Le16(b + fat::kSectorsPerTrack);
  bpb.heads = Le16(b + fat::kHeads);
  bpb.hiddenSectors = Le32(b + fat::kHiddenSectors);
  bpb.totalSectors32 = Le32(b + fat::kTotalSectors32);
  bpb.driveNumber = b[fat::kDriveNumber];
  bpb.reserved = b[fat::kReserved1];
  bpb.bootSignature = b[fat::kBootSignature];
  bpb.serial = Le32(b + fat::kSerial);
  std::memcpy(bpb.label.data(), b + fat::kLabel, bpb.label.size());
  std::memcpy(bpb.fsType.data(), b + fat::kFsType, bpb.fsType.size());
  return bpb;
}

void Fat12Bpb::Store(uint8_t* b) const {
  std::memcpy(b + fat::kJump, jump.data(), jump.size());
  std::memcpy(b + fat::kOemName, oemName.data(), oemName.size());
  PutLe16(b + fat::kBytesPerSector, bytesPerSector);
  b[fat::kSectorsPerCluster] = sectorsPerCluster;
  PutLe16(b + fat::kReservedSectors, reservedSectors);
  b[fat::kFatCount] = fatCount;
  PutLe16(b + fat::kRootEntries, rootEntries);
  PutLe16(b + fat::kTotalSectors16, totalSectors16);
  b[fat::kMediaDescriptor] = mediaDescriptor;
  PutLe16(b + fat::kSectorsPerFat16, sectorsPerFat);
  PutLe16(b + fat::kSectorsPerTrack, sectorsPerTrack);
  PutLe16(b + fat::kHeads, heads);
  PutLe32(b + fat::kHiddenSectors, hiddenSectors);
  PutLe32(b + fat::kTotalSectors32, totalSectors32);
  b[fat::kDriveNumber] = driveNumber;
  b[fat::kReserved1] = reserved;
  b[fat::kBootSignature] = bootSignature;
  PutLe32(b + fat::kSerial, serial);
  std::memcpy(b + fat::kLabel, label.data(), label.size());
  std::memcpy(b + fat::kFsType, fsType.data(), fsType.size());
}

bool IsValidBytesPerSector(uint16_t bps) { return bps == 512 || bps == 1024 || bps == 2048 || bps == 4096; }

bool IsValidSectorsPerCluster(uint8_t n, uint16_t bps) {
  // A cluster of exactly 32 KiB is allowed.
  return n >= 1 && n <= 128 && IsPowerOfTwo(n) && uint32_t{bps} * n <= 32768;
}

bool FsTypeIs(const uint8_t* field, const char* literal) {
  return std::memcmp(field, literal, fat::kFsTypeLength) == 0;
}

namespace {

// Lines 2 to 5, the same in both blocks apart from the cluster rule's text.
void ListBootSectorStart(Report& report, const uint8_t* b, const char* clusterRuleText) {
  report.Printf("                  Jump: %02X %02X %02X\n", b[0], b[1], b[2]);
  report.Add("              OEM Name: ");
  report.AddPrintable(b + fat::kOemName, fat::kOemNameLength);
  report.Add("\n");
  const uint16_t bps = Le16(b + fat::kBytesPerSector);
  report.Printf("      Bytes per Sector: %i\n", bps);
  if (!IsValidBytesPerSector(bps)) report.Flag(" <-- Must be 512, 1024, 2048, or 4096.");
  const uint8_t n = b[fat::kSectorsPerCluster];
  report.Printf("   Sectors per Cluster: %i\n", n);
  if (!IsValidSectorsPerCluster(n, bps)) report.Flag(clusterRuleText);
}

void ListTextField(Report& report, const char* label, const uint8_t* bytes, size_t length) {
  report.Add(label);
  report.AddPrintable(bytes, length);
  report.Add("\n");
}

}  // namespace

DumpEnd DumpFatBpb(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, fat::kBpbSize> block;
  ctx.Read(block.data(), block.size());
  const uint8_t* b = block.data();
  const Fat12Bpb bpb = Fat12Bpb::Parse(b);

  report.Printf("Fat12/16 BIOS Parameter Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(block.size());
  ListBootSectorStart(report, b,
                      " <-- Must be a power of 2, from 1 to 128, and ((n * bytes_per_sect) < 32k).");
  report.Printf("      Sectors reserved: %i\n", bpb.reservedSectors);
  if (bpb.reservedSectors != 1) report.Flag(" <-- Usually is 1.");
  report.Printf("                  Fats: %i\n", bpb.fatCount);
  if (bpb.fatCount == 0 || bpb.fatCount > 2) report.Flag(" <-- Should be 1 or 2.");
  report.Printf("          Root Entries: %i\n", bpb.rootEntries);
  if (bpb.rootEntries == 0 || bpb.rootEntries > 512) report.Flag(" <-- Should be from 1 to 512.");
  // Only one of the two total-sector fields may hold the count.
  const bool bothTotals = bpb.totalSectors16 != 0 && bpb.totalSectors32 != 0;
  report.Printf("               Sectors: %i\n", bpb.totalSectors16);
  if (bothTotals) report.Flag(" <-- Should be zero if Sectors Extended is not zero.");
  report.Printf("            Descriptor: 0x%02X\n", bpb.mediaDescriptor);
  report.Printf("       Sectors per FAT: %i\n", bpb.sectorsPerFat);
  report.Printf("     Sectors per Track: %i\n", bpb.sectorsPerTrack);
  report.Printf("                 Heads: %i\n", bpb.heads);
  report.Printf("        Hidden Sectors: %i\n", static_cast<int32_t>(bpb.hiddenSectors));
  report.Printf("      Sectors Extended: %i\n", static_cast<int32_t>(bpb.totalSectors32));
  if (bothTotals) report.Flag(" <-- Should be zero if Sectors above is not zero.");
  report.Printf("             Drive Num: %i\n", bpb.driveNumber);
  if (bpb.driveNumber != 0) report.Flag(" <-- Usually is zero, but is OS specific.");
  report.Printf("              reserved: %02X\n", bpb.reserved);
  if (bpb.reserved != 0) report.Flag(" <-- Should be zero.");
  report.Printf("                   Sig: %02X\n", bpb.bootSignature);
  if (bpb.bootSignature != fat::kExtendedBootSignature) report.Flag(" <-- Should be 0x29.");
  report.Printf("                Serial: %08X\n", bpb.serial);
  ListTextField(report, "                 Label: ", b + fat::kLabel, fat::kLabelLength);
  ListTextField(report, "              sys type: ", b + fat::kFsType, fat::kFsTypeLength);
  if (!FsTypeIs(b + fat::kFsType, "FAT12   ") && !FsTypeIs(b + fat::kFsType, "FAT16   "))
    report.Flag(" <-- Should be 'FAT12   ' or 'FAT16   '.");
  report.AppendPending();
  return DumpEnd::Normal;
}

DumpEnd DumpFat32Bpb(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, fat::kBpb32Size> block;
  ctx.Read(block.data(), block.size());
  const uint8_t* b = block.data();

  report.Printf("FAT32 BIOS Parameter Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(block.size());
  ListBootSectorStart(report, b,
                      " <-- Must be a power of 2, between 1 and 128, and ((n * bytes_per_sect) < 32k).");
  const uint16_t reservedSectors = Le16(b + fat::kReservedSectors);
  report.Printf("      Sectors reserved: %i\n", reservedSectors);
  if (reservedSectors != 32) report.Flag(" <-- Usually is 32.");
  const uint8_t fatCount = b[fat::kFatCount];
  report.Printf("                  Fats: %i\n", fatCount);
  if (fatCount == 0 || fatCount > 2) report.Flag(" <-- Should be 1 or 2.");
  // The 16-bit counts are replaced by 32-bit ones on FAT32.
  const uint16_t rootEntries = Le16(b + fat::kRootEntries);
  report.Printf("          Root Entries: %i\n", rootEntries);
  if (rootEntries != 0) report.Flag(" <-- Should be 0.");
  const uint16_t totalSectors16 = Le16(b + fat::kTotalSectors16);
  report.Printf("               Sectors: %i\n", totalSectors16);
  if (totalSectors16 != 0) report.Flag(" <-- Should be 0.");
  report.Printf("            Descriptor: 0x%02X\n", b[fat::kMediaDescriptor]);
  const uint16_t sectorsPerFat16 = Le16(b + fat::kSectorsPerFat16);
  report.Printf("       Sectors per FAT: %i\n", sectorsPerFat16);
  if (sectorsPerFat16 != 0) report.Flag(" <-- Should be 0.");
  report.Printf("     Sectors per Track: %i\n", Le16(b + fat::kSectorsPerTrack));
  report.Printf("                 Heads: %i\n", Le16(b + fat::kHeads));
  report.Printf("        Hidden Sectors: %i\n", SignedLe32(b + fat::kHiddenSectors));
  report.Printf("      Sectors Extended: %i\n", SignedLe32(b + fat::kTotalSectors32));
  report.Printf("    Sectors per FAT 32: %i\n", SignedLe32(b + fat::kSectorsPerFat32));
  const uint16_t extendedFlags = Le16(b + fat::kExtendedFlags);
  report.Printf("        Extended Flags: 0x%04X\n", extendedFlags);
  if (extendedFlags & fat::kExtendedFlagsReserved) report.Flag(" <-- Bits 15-8 and 6-4 should be zero.");
  const uint16_t version = Le16(b + fat::kFsVersion);
  report.Printf("            FS Version: 0x%04X\n", version);
  if (version != 0) report.Flag(" <-- Should be zero. (0.0)");
  const uint32_t rootCluster = Le32(b + fat::kRootCluster);
  report.Printf("   Root Cluster Number: 0x%08X\n", rootCluster);
  if (rootCluster != 2) report.Flag(" <-- Usually is 2.");
  const uint16_t infoSector = Le16(b + fat::kInfoSector);
  report.Printf("    Info Sector Number: %i\n", infoSector);
  if (infoSector != 1) report.Flag(" <-- Usually is 1.");
  const uint16_t backupSector = Le16(b + fat::kBackupBootSector);
  report.Printf("    Backup boot Sector: %i\n", backupSector);
  if (backupSector != 6) report.Flag(" <-- Usually is 6.");
  const uint8_t* r = b + fat::kReserved32;
  report.Printf("                  resv: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n", r[0], r[1],
                r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11]);
  bool reservedZero = true;
  for (int i = 0; i < 12; ++i) reservedZero &= r[i] == 0;
  if (!reservedZero) report.Flag(" <-- Should be zeros.");
  report.Printf("             Drive Num: %i\n", b[fat::kDriveNumber32]);
  report.Printf("              reserved: %02X\n", b[fat::kReserved1_32]);
  if (b[fat::kReserved1_32] != 0) report.Flag(" <-- Should be zero.");
  report.Printf("                   Sig: %02X\n", b[fat::kBootSignature32]);
  report.Printf("                Serial: %08X\n", Le32(b + fat::kSerial32));
  ListTextField(report, "                 Label: ", b + fat::kLabel32, fat::kLabelLength);
  ListTextField(report, "              sys type: ", b + fat::kFsType32, fat::kFsTypeLength);
  if (!FsTypeIs(b + fat::kFsType32, "FAT32   ")) report.Flag(" <-- Should be 'FAT32   '.");
  report.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows FatBpbRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::FatBpb, .name = "fat-bpb", .caption = "BIOS Param Block (12/16)", .group = kFatGroup,
     .help = "Dump the specified offset of data for the FAT FS BIOS Parameter Block.", .decoder = DumpFatBpb,
     .edit = {.itemSize = fat::kBpbSize}},
    {.id = DumpType::Fat32Bpb, .name = "fat32-bpb", .caption = "BIOS Param Block (32)", .group = kFatGroup,
     .help = "Dump the specified offset of data for the FAT32 FS BIOS Parameter Block.", .decoder = DumpFat32Bpb},
  };
  return kRows;
}

}  // namespace trovik
