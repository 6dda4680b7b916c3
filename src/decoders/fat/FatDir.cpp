// Short (8.3) and long-name directory entry listings.
#include <array>
#include <cstring>

#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

// Attribute names from bit 5 down to bit 0, the order of the listing.
constexpr const char* kAttributeNames[6] = {" Archive", " Subdirectory", " Volume Label",
                                            " System",  " Hidden",       " Read Only"};

const char* AttributeName(uint8_t attribute, int bit) {
  return (attribute >> bit & 1) ? kAttributeNames[5 - bit] : "";
}

// The low bytes of count UTF-16 units.
void AddLfnChars(Report& report, const uint8_t* units, size_t count) {
  for (size_t i = 0; i < count; ++i) report.AddChar(PrintableChar(units[2 * i]));
}

// Entries that own no cluster: a volume label, and the ".." entry of a
// directory whose parent is the root (cluster 0 stands for the root).
bool ClusterZeroAllowed(const uint8_t* e) {
  const uint8_t attribute = e[fat::kDirAttribute];
  const bool isLongName = (attribute & 0x3F) == fat::kLfnAttributeValue;
  if ((attribute & 0x08) && !isLongName) return true;
  return std::memcmp(e + fat::kDirName, "..         ", 11) == 0;
}

}  // namespace

DumpEnd DumpFatDir(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, fat::kDirEntrySize> entry;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    ctx.Read(entry.data(), entry.size());
    const uint8_t* e = entry.data();
    report.Printf("FAT Root Entry (non LFN) (0x%08X)\n", ctx.start);
    ctx.CheckExtent(entry.size());
    report.Add("                  Name: ");
    report.AddPrintable(e + fat::kDirName, 8);
    report.Add("\n             Extension: ");
    report.AddPrintable(e + fat::kDirExtension, 3);
    report.Add("\n");
    const uint8_t attribute = e[fat::kDirAttribute];
    report.Printf("             Attribute: 0x%02X %s%s%s%s%s%s\n", attribute, AttributeName(attribute, 5),
                  AttributeName(attribute, 4), AttributeName(attribute, 3), AttributeName(attribute, 2),
                  AttributeName(attribute, 1), AttributeName(attribute, 0));
    if (attribute & 0xC0) report.Flag(" <--- Bits 7 and 6 are not zero.");
    const uint8_t* r = e + fat::kDirReserved;
    report.Printf("        FAT12:reserved: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n", r[0], r[1], r[2], r[3],
                  r[4], r[5], r[6], r[7], r[8], r[9]);
    report.Printf("        FAT32:reserved: %02X\n", e[fat::kDirReserved]);
    report.Printf("   FAT32:creation 10th: 0x%02X\n", e[fat::kDirCreationTenths]);
    report.Printf("   FAT32:creation time: 0x%04X\n", Le16(e + fat::kDirCreationTime));
    report.Printf("   FAT32:creation date: 0x%04X\n", Le16(e + fat::kDirCreationDate));
    report.Printf("   FAT32:last accessed: 0x%04X\n", Le16(e + fat::kDirAccessDate));
    const uint16_t clusterHigh = Le16(e + fat::kDirClusterHigh);
    report.Printf("FAT32:hi word start cluster: 0x%04X\n", clusterHigh);
    // Time and date are decoded as stored, without range checks.
    const uint16_t time = Le16(e + fat::kDirTime);
    report.Printf("                  Time: 0x%04X  (%02i:%02i:%02i) (hms) \n", time, time >> 11, (time >> 5) & 0x3F,
                  (time & 0x1F) * 2);
    const uint16_t date = Le16(e + fat::kDirDate);
    report.Printf("                  Date: 0x%04X  (%04i/%02i/%02i) (ymd) \n", date, 1980 + (date >> 9),
                  (date >> 5) & 0x0F, date & 0x1F);
    const uint16_t clusterLow = Le16(e + fat::kDirClusterLow);
    const uint32_t cluster = (uint32_t{clusterHigh} << 16) | clusterLow;
    report.Printf("      Starting Cluster: 0x%04X (0x%08X)\n", clusterLow, cluster);
    if (clusterLow < 2 && static_cast<int32_t>(cluster) < 2 && !ClusterZeroAllowed(e))
      report.Flag(" <--- should be 0x0002 or higher.");
    report.Printf("             File Size: %i\n", SignedLe32(e + fat::kDirFileSize));
    report.Add("\n");
    report.AppendPending();
    ctx.Advance(fat::kDirEntrySize);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

DumpEnd DumpFatLfn(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, fat::kDirEntrySize> entry;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    ctx.Read(entry.data(), entry.size());
    const uint8_t* e = entry.data();
    const uint8_t sequence = e[fat::kLfnSequence];
    report.Printf("FAT Root Entry (LFN) (0x%08X)\n", ctx.start);
    ctx.CheckExtent(entry.size());
    report.Printf("            Sequ_flags: %02X  (deleted = %c last = %c number = %i) \n", sequence,
                  (sequence & 0x80) ? 'Y' : 'N', (sequence & 0x40) ? 'Y' : 'N', sequence & 0x3F);
    report.Add("                  Name: ");
    AddLfnChars(report, e + fat::kLfnName1, 5);
    report.Add("\n");
    const uint8_t attribute = e[fat::kLfnAttribute];
    report.Printf("             Attribute: 0x%02X\n", attribute);
    if (attribute != fat::kLfnAttributeValue) report.Flag(" <--- should be 0x0F.");
    report.Printf("              Reserved: %02X\n", e[fat::kLfnReserved]);
    report.Printf("                   crc: 0x%02X\n", e[fat::kLfnChecksum]);
    report.Add("                  Name: ");
    AddLfnChars(report, e + fat::kLfnName2, 6);
    report.Add("\n");
    const uint16_t zero = Le16(e + fat::kLfnZero);
    report.Printf("                  Zero: 0x%04X\n", zero);
    if (zero != 0) report.Flag(" <--- should be 0x0000.");
    report.Add("                  Name: ");
    AddLfnChars(report, e + fat::kLfnName3, 2);
    report.Add("\n\n");
    report.AppendPending();
    ctx.Advance(fat::kDirEntrySize);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows FatDirRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::FatDir, .name = "fat-dir", .caption = "Root Entry", .group = kFatGroup, .countEnabled = true,
     .defaultCount = 5, .help = "Dump the specified offset of data for the FAT FS Root Entry.",
     .decoder = DumpFatDir},
    {.id = DumpType::FatLfn, .name = "fat-lfn", .caption = "Root Entry (LFN)", .group = kFatGroup,
     .countEnabled = true, .defaultCount = 5,
     .help = "Dump the specified offset of data for the FAT FS LFN Root Entry.", .decoder = DumpFatLfn},
  };
  return kRows;
}

}  // namespace trovik
