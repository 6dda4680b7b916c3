// The FAT12/16 and FAT32 BIOS parameter block listings and their checks.
#include <algorithm>
#include <array>
#include <cstring>

#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace bpb = fat::bpb;
namespace bpb32 = fat::bpb32;

Fat12Bpb Fat12Bpb::Parse(const uint8_t* b) {
  Fat12Bpb out;
  std::memcpy(out.jump.data(), At(b, bpb::kJump), out.jump.size());
  std::memcpy(out.oemName.data(), At(b, bpb::kOemName), out.oemName.size());
  out.bytesPerSector = Get(b, bpb::kBytesPerSector);
  out.sectorsPerCluster = Get(b, bpb::kSectorsPerCluster);
  out.reservedSectors = Get(b, bpb::kReservedSectors);
  out.fatCount = Get(b, bpb::kFatCount);
  out.rootEntries = Get(b, bpb::kRootEntries);
  out.totalSectors16 = Get(b, bpb::kTotalSectors16);
  out.mediaDescriptor = Get(b, bpb::kMediaDescriptor);
  out.sectorsPerFat = Get(b, bpb::kSectorsPerFat16);
  out.sectorsPerTrack = Get(b, bpb::kSectorsPerTrack);
  out.heads = Get(b, bpb::kHeads);
  out.hiddenSectors = Get(b, bpb::kHiddenSectors);
  out.totalSectors32 = Get(b, bpb::kTotalSectors32);
  out.driveNumber = Get(b, bpb::kDriveNumber);
  out.reserved = Get(b, bpb::kReserved);
  out.bootSignature = Get(b, bpb::kBootSignature);
  out.serial = Get(b, bpb::kSerial);
  std::memcpy(out.label.data(), At(b, bpb::kLabel), out.label.size());
  std::memcpy(out.fsType.data(), At(b, bpb::kFsType), out.fsType.size());
  return out;
}

void Fat12Bpb::Store(uint8_t* b) const {
  std::memcpy(At(b, bpb::kJump), jump.data(), jump.size());
  std::memcpy(At(b, bpb::kOemName), oemName.data(), oemName.size());
  Put(b, bpb::kBytesPerSector, bytesPerSector);
  Put(b, bpb::kSectorsPerCluster, sectorsPerCluster);
  Put(b, bpb::kReservedSectors, reservedSectors);
  Put(b, bpb::kFatCount, fatCount);
  Put(b, bpb::kRootEntries, rootEntries);
  Put(b, bpb::kTotalSectors16, totalSectors16);
  Put(b, bpb::kMediaDescriptor, mediaDescriptor);
  Put(b, bpb::kSectorsPerFat16, sectorsPerFat);
  Put(b, bpb::kSectorsPerTrack, sectorsPerTrack);
  Put(b, bpb::kHeads, heads);
  Put(b, bpb::kHiddenSectors, hiddenSectors);
  Put(b, bpb::kTotalSectors32, totalSectors32);
  Put(b, bpb::kDriveNumber, driveNumber);
  Put(b, bpb::kReserved, reserved);
  Put(b, bpb::kBootSignature, bootSignature);
  Put(b, bpb::kSerial, serial);
  std::memcpy(At(b, bpb::kLabel), label.data(), label.size());
  std::memcpy(At(b, bpb::kFsType), fsType.data(), fsType.size());
}

namespace {

bool IsValidBytesPerSector(uint16_t bps) { return bps == 512 || bps == 1024 || bps == 2048 || bps == 4096; }

// A power of two from 1 to 128 whose cluster is at most 32 KiB (exactly
// 32 KiB is allowed).
bool IsValidSectorsPerCluster(uint8_t n, uint16_t bps) {
  return n >= 1 && n <= 128 && IsPowerOfTwo(n) && uint32_t{bps} * n <= 32768;
}

// All eight stored bytes against an 8-character literal, blanks included.
bool FsTypeIs(const uint8_t* b, Bytes field, const char* literal) {
  return std::memcmp(At(b, field), literal, field.size) == 0;
}

void ListTextField(Report& report, const char* label, const uint8_t* b, Bytes field) {
  report.Add(label);
  report.AddPrintable(At(b, field), field.size);
  report.Add("\n");
}

// Lines 2 to 5, the same in both blocks apart from the cluster rule's text.
void ListBootSectorStart(Report& report, const uint8_t* b, const char* clusterRuleText) {
  const uint8_t* jump = At(b, bpb::kJump);
  report.Printf("                  Jump: %02X %02X %02X\n", jump[0], jump[1], jump[2]);
  ListTextField(report, "              OEM Name: ", b, bpb::kOemName);
  const uint16_t bps = Get(b, bpb::kBytesPerSector);
  report.Printf("      Bytes per Sector: %i\n", bps);
  if (!IsValidBytesPerSector(bps)) report.Flag(" <-- Must be 512, 1024, 2048, or 4096.");
  const uint8_t n = Get(b, bpb::kSectorsPerCluster);
  report.Printf("   Sectors per Cluster: %i\n", n);
  if (!IsValidSectorsPerCluster(n, bps)) report.Flag(clusterRuleText);
}

}  // namespace

DumpEnd DumpFatBpb(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, bpb::kSize> block;
  ctx.Read(block.data(), block.size());
  const uint8_t* b = block.data();
  const Fat12Bpb fields = Fat12Bpb::Parse(b);

  report.Printf("Fat12/16 BIOS Parameter Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(block.size());
  ListBootSectorStart(report, b,
                      " <-- Must be a power of 2, from 1 to 128, and ((n * bytes_per_sect) < 32k).");
  report.Printf("      Sectors reserved: %i\n", fields.reservedSectors);
  if (fields.reservedSectors != 1) report.Flag(" <-- Usually is 1.");
  report.Printf("                  Fats: %i\n", fields.fatCount);
  if (fields.fatCount == 0 || fields.fatCount > 2) report.Flag(" <-- Should be 1 or 2.");
  report.Printf("          Root Entries: %i\n", fields.rootEntries);
  if (fields.rootEntries == 0 || fields.rootEntries > 512) report.Flag(" <-- Should be from 1 to 512.");
  // Only one of the two total-sector fields may hold the count.
  const bool bothTotals = fields.totalSectors16 != 0 && fields.totalSectors32 != 0;
  report.Printf("               Sectors: %i\n", fields.totalSectors16);
  if (bothTotals) report.Flag(" <-- Should be zero if Sectors Extended is not zero.");
  report.Printf("            Descriptor: 0x%02X\n", fields.mediaDescriptor);
  report.Printf("       Sectors per FAT: %i\n", fields.sectorsPerFat);
  report.Printf("     Sectors per Track: %i\n", fields.sectorsPerTrack);
  report.Printf("                 Heads: %i\n", fields.heads);
  report.Printf("        Hidden Sectors: %i\n", static_cast<int32_t>(fields.hiddenSectors));
  report.Printf("      Sectors Extended: %i\n", static_cast<int32_t>(fields.totalSectors32));
  if (bothTotals) report.Flag(" <-- Should be zero if Sectors above is not zero.");
  report.Printf("             Drive Num: %i\n", fields.driveNumber);
  if (fields.driveNumber != 0) report.Flag(" <-- Usually is zero, but is OS specific.");
  report.Printf("              reserved: %02X\n", fields.reserved);
  if (fields.reserved != 0) report.Flag(" <-- Should be zero.");
  report.Printf("                   Sig: %02X\n", fields.bootSignature);
  if (fields.bootSignature != bpb::kExtendedBootSignature) report.Flag(" <-- Should be 0x29.");
  report.Printf("                Serial: %08X\n", fields.serial);
  ListTextField(report, "                 Label: ", b, bpb::kLabel);
  ListTextField(report, "              sys type: ", b, bpb::kFsType);
  if (!FsTypeIs(b, bpb::kFsType, "FAT12   ") && !FsTypeIs(b, bpb::kFsType, "FAT16   "))
    report.Flag(" <-- Should be 'FAT12   ' or 'FAT16   '.");
  report.AppendPending();
  return DumpEnd::Normal;
}

DumpEnd DumpFat32Bpb(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, bpb32::kSize> block;
  ctx.Read(block.data(), block.size());
  const uint8_t* b = block.data();

  report.Printf("FAT32 BIOS Parameter Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(block.size());
  ListBootSectorStart(report, b,
                      " <-- Must be a power of 2, between 1 and 128, and ((n * bytes_per_sect) < 32k).");
  const uint16_t reservedSectors = Get(b, bpb::kReservedSectors);
  report.Printf("      Sectors reserved: %i\n", reservedSectors);
  if (reservedSectors != 32) report.Flag(" <-- Usually is 32.");
  const uint8_t fatCount = Get(b, bpb::kFatCount);
  report.Printf("                  Fats: %i\n", fatCount);
  if (fatCount == 0 || fatCount > 2) report.Flag(" <-- Should be 1 or 2.");
  // The 16-bit counts are replaced by 32-bit ones on FAT32.
  const uint16_t rootEntries = Get(b, bpb::kRootEntries);
  report.Printf("          Root Entries: %i\n", rootEntries);
  if (rootEntries != 0) report.Flag(" <-- Should be 0.");
  const uint16_t totalSectors16 = Get(b, bpb::kTotalSectors16);
  report.Printf("               Sectors: %i\n", totalSectors16);
  if (totalSectors16 != 0) report.Flag(" <-- Should be 0.");
  report.Printf("            Descriptor: 0x%02X\n", Get(b, bpb::kMediaDescriptor));
  const uint16_t sectorsPerFat16 = Get(b, bpb::kSectorsPerFat16);
  report.Printf("       Sectors per FAT: %i\n", sectorsPerFat16);
  if (sectorsPerFat16 != 0) report.Flag(" <-- Should be 0.");
  report.Printf("     Sectors per Track: %i\n", Get(b, bpb::kSectorsPerTrack));
  report.Printf("                 Heads: %i\n", Get(b, bpb::kHeads));
  report.Printf("        Hidden Sectors: %i\n", static_cast<int32_t>(Get(b, bpb::kHiddenSectors)));
  report.Printf("      Sectors Extended: %i\n", static_cast<int32_t>(Get(b, bpb::kTotalSectors32)));
  report.Printf("    Sectors per FAT 32: %i\n", static_cast<int32_t>(Get(b, bpb32::kSectorsPerFat)));
  const uint16_t extendedFlags = Get(b, bpb32::kExtendedFlags);
  report.Printf("        Extended Flags: 0x%04X\n", extendedFlags);
  if (extendedFlags & bpb32::kExtendedFlagsReserved) report.Flag(" <-- Bits 15-8 and 6-4 should be zero.");
  const uint16_t version = Get(b, bpb32::kFsVersion);
  report.Printf("            FS Version: 0x%04X\n", version);
  if (version != 0) report.Flag(" <-- Should be zero. (0.0)");
  const uint32_t rootCluster = Get(b, bpb32::kRootCluster);
  report.Printf("   Root Cluster Number: 0x%08X\n", rootCluster);
  if (rootCluster != 2) report.Flag(" <-- Usually is 2.");
  const uint16_t infoSector = Get(b, bpb32::kInfoSector);
  report.Printf("    Info Sector Number: %i\n", infoSector);
  if (infoSector != 1) report.Flag(" <-- Usually is 1.");
  const uint16_t backupSector = Get(b, bpb32::kBackupBootSector);
  report.Printf("    Backup boot Sector: %i\n", backupSector);
  if (backupSector != 6) report.Flag(" <-- Usually is 6.");
  const uint8_t* r = At(b, bpb32::kReserved);
  report.Printf("                  resv: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n", r[0], r[1],
                r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11]);
  if (std::any_of(r, r + bpb32::kReserved.size, [](uint8_t v) { return v != 0; })) report.Flag(" <-- Should be zeros.");
  report.Printf("             Drive Num: %i\n", Get(b, bpb32::kDriveNumber));
  report.Printf("              reserved: %02X\n", Get(b, bpb32::kReserved1));
  if (Get(b, bpb32::kReserved1) != 0) report.Flag(" <-- Should be zero.");
  report.Printf("                   Sig: %02X\n", Get(b, bpb32::kBootSignature));
  report.Printf("                Serial: %08X\n", Get(b, bpb32::kSerial));
  ListTextField(report, "                 Label: ", b, bpb32::kLabel);
  ListTextField(report, "              sys type: ", b, bpb32::kFsType);
  if (!FsTypeIs(b, bpb32::kFsType, "FAT32   ")) report.Flag(" <-- Should be 'FAT32   '.");
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
     .edit = {.itemSize = bpb::kSize}},
    {.id = DumpType::Fat32Bpb, .name = "fat32-bpb", .caption = "BIOS Param Block (32)", .group = kFatGroup,
     .help = "Dump the specified offset of data for the FAT32 FS BIOS Parameter Block.", .decoder = DumpFat32Bpb},
  };
  return kRows;
}

}  // namespace trovik
