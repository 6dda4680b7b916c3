// Short (8.3) and long-name directory entry listings.
#include <cstring>

#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

namespace dir = fat::dir;
namespace lfn = fat::lfn;

// Attribute names from bit 5 down to bit 0, the order of the listing.
constexpr const char* kAttributeNames[6] = {" Archive", " Subdirectory", " Volume Label",
                                            " System",  " Hidden",       " Read Only"};

const char* AttributeName(uint8_t attribute, int bit) {
  return (attribute >> bit & 1) ? kAttributeNames[5 - bit] : "";
}

// The low bytes of a run of UTF-16 units.
void AddLfnChars(Report& report, const uint8_t* e, Bytes units) {
  for (size_t i = 0; i < units.size; i += 2) report.AddChar(PrintableChar(At(e, units)[i]));
}

// Entries that own no cluster: a volume label, and the ".." entry of a
// directory whose parent is the root (cluster 0 stands for the root).
bool ClusterZeroAllowed(const uint8_t* e) {
  const uint8_t attribute = Get(e, dir::kAttribute);
  const bool isLongName = (attribute & 0x3F) == lfn::kAttributeValue;
  if ((attribute & 0x08) && !isLongName) return true;
  return std::memcmp(At(e, dir::kShortName), "..         ", dir::kShortName.size) == 0;
}

void ListDirEntry(Report& report, const WalkItem& item) {
  const uint8_t* e = item.bytes;
  report.Add("                  Name: ");
  report.AddPrintable(At(e, dir::kName), dir::kName.size);
  report.Add("\n             Extension: ");
  report.AddPrintable(At(e, dir::kExtension), dir::kExtension.size);
  report.Add("\n");
  const uint8_t attribute = Get(e, dir::kAttribute);
  report.Printf("             Attribute: 0x%02X %s%s%s%s%s%s\n", attribute, AttributeName(attribute, 5),
                AttributeName(attribute, 4), AttributeName(attribute, 3), AttributeName(attribute, 2),
                AttributeName(attribute, 1), AttributeName(attribute, 0));
  if (attribute & 0xC0) report.Flag(" <--- Bits 7 and 6 are not zero.");
  const uint8_t* r = At(e, dir::kReserved12);
  report.Printf("        FAT12:reserved: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n", r[0], r[1], r[2], r[3],
                r[4], r[5], r[6], r[7], r[8], r[9]);
  report.Printf("        FAT32:reserved: %02X\n", Get(e, dir::kReserved32));
  report.Printf("   FAT32:creation 10th: 0x%02X\n", Get(e, dir::kCreationTenths));
  report.Printf("   FAT32:creation time: 0x%04X\n", Get(e, dir::kCreationTime));
  report.Printf("   FAT32:creation date: 0x%04X\n", Get(e, dir::kCreationDate));
  report.Printf("   FAT32:last accessed: 0x%04X\n", Get(e, dir::kAccessDate));
  const uint16_t clusterHigh = Get(e, dir::kClusterHigh);
  report.Printf("FAT32:hi word start cluster: 0x%04X\n", clusterHigh);
  // Time and date are decoded as stored, without range checks.
  const uint16_t time = Get(e, dir::kTime);
  report.Printf("                  Time: 0x%04X  (%02i:%02i:%02i) (hms) \n", time, time >> 11, (time >> 5) & 0x3F,
                (time & 0x1F) * 2);
  const uint16_t date = Get(e, dir::kDate);
  report.Printf("                  Date: 0x%04X  (%04i/%02i/%02i) (ymd) \n", date, 1980 + (date >> 9),
                (date >> 5) & 0x0F, date & 0x1F);
  const uint16_t clusterLow = Get(e, dir::kClusterLow);
  const uint32_t cluster = (uint32_t{clusterHigh} << 16) | clusterLow;
  report.Printf("      Starting Cluster: 0x%04X (0x%08X)\n", clusterLow, cluster);
  if (clusterLow < 2 && static_cast<int32_t>(cluster) < 2 && !ClusterZeroAllowed(e))
    report.Flag(" <--- should be 0x0002 or higher.");
  report.Printf("             File Size: %i\n", static_cast<int32_t>(Get(e, dir::kFileSize)));
  report.Add("\n");
}

void ListLfnEntry(Report& report, const WalkItem& item) {
  const uint8_t* e = item.bytes;
  const uint8_t sequence = Get(e, lfn::kSequence);
  report.Printf("            Sequ_flags: %02X  (deleted = %c last = %c number = %i) \n", sequence,
                (sequence & 0x80) ? 'Y' : 'N', (sequence & 0x40) ? 'Y' : 'N', sequence & 0x3F);
  report.Add("                  Name: ");
  AddLfnChars(report, e, lfn::kName1);
  report.Add("\n");
  const uint8_t attribute = Get(e, lfn::kAttribute);
  report.Printf("             Attribute: 0x%02X\n", attribute);
  if (attribute != lfn::kAttributeValue) report.Flag(" <--- should be 0x0F.");
  report.Printf("              Reserved: %02X\n", Get(e, lfn::kReserved));
  report.Printf("                   crc: 0x%02X\n", Get(e, lfn::kChecksum));
  report.Add("                  Name: ");
  AddLfnChars(report, e, lfn::kName2);
  report.Add("\n");
  const uint16_t zero = Get(e, lfn::kZero);
  report.Printf("                  Zero: 0x%04X\n", zero);
  if (zero != 0) report.Flag(" <--- should be 0x0000.");
  report.Add("                  Name: ");
  AddLfnChars(report, e, lfn::kName3);
  report.Add("\n\n");
}

}  // namespace

DumpEnd DumpFatDir(DumpContext& ctx) {
  return WalkItems(
      ctx, dir::kSize,
      [](Report& r, const WalkItem& item) { r.Printf("FAT Root Entry (non LFN) (0x%08X)\n", item.shown); },
      ListDirEntry);
}

DumpEnd DumpFatLfn(DumpContext& ctx) {
  return WalkItems(
      ctx, lfn::kSize, [](Report& r, const WalkItem& item) { r.Printf("FAT Root Entry (LFN) (0x%08X)\n", item.shown); },
      ListLfnEntry);
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
