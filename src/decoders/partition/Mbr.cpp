// The MBR partition entry listing and its system ID names.

#include <array>

#include "decoders/partition/MbrLayout.h"
#include "decoders/partition/PartitionDecoders.h"

namespace trovik {

namespace {

struct NamedId {
  uint8_t id;
  const char* name;
};

// The names are part of the report format: shortened and misspelled ones
// stay exactly as users know them.
constexpr NamedId kNamedIds[] = {
    {0x00, "Empty"},
    {0x01, "FAT12"},
    {0x02, "XENIX root"},
    {0x03, "XENIX usr"},
    {0x04, "FAT16 < 32M"},
    {0x05, "Extended"},
    {0x06, "FAT16"},
    {0x07, "HPFS/NTFS"},
    {0x08, "ATX"},
    {0x09, "ATX Bootable"},
    {0x0A, "OS/2 Boot Manage"},
    {0x0B, "W95 FAT32"},
    {0x0C, "W95 FAT32 (LBA)"},
    {0x0E, "W95 FAT16 (LBA)"},
    {0x0F, "W95 Ext'd (LBA)"},
    {0x10, "OPUS"},
    {0x11, "Hidden FAT12"},
    {0x12, "Compaq diagnostic"},
    {0x14, "Hidden FAT16 < 32meg"},
    {0x16, "Hidden FAT16"},
    {0x17, "Hidded HPFS/NTFS"},
    {0x18, "AST SmartSleep"},
    {0x1B, "Hidded W95 FAT32"},
    {0x1C, "Hidded W95 FAT32"},
    {0x1E, "Hidded W95 FAT36"},
    {0x24, "NEC DOS"},
    {0x39, "Plan 9"},
    {0x3C, "PartitionMagic"},
    {0x40, "Venix 80286"},
    {0x41, "PPC PRep Boot"},
    {0x42, "SFS"},
    {0x4D, "QNX4.x"},
    {0x4E, "QNX4.x 2nd part"},
    {0x4F, "QNX4.x 3rd part"},
    {0x50, "OnTrack DM"},
    {0x51, "OnTrack DM6 Aux"},
    {0x52, "CP/M"},
    {0x53, "OnTrack DM6 Aux"},
    {0x54, "OnTrackDM6"},
    {0x55, "EZ-DRIVE"},
    {0x56, "Golden Bow"},
    {0x5C, "Priam Edisk"},
    {0x61, "SpeedStor"},
    {0x63, "GNU HURD or Sys"},
    {0x64, "Novell Netware"},
    {0x65, "Novell Netware"},
    {0x70, "DiskSecure Mult"},
    {0x75, "PC/IX"},
    {0x80, "Old Minix"},
    {0x81, "Minux / old Linux"},
    {0x82, "Linux swap"},
    {0x83, "Linux"},
    {0x84, "OS/2 Hidden C:"},
    {0x85, "Linux extended"},
    {0x86, "NTFS volume set"},
    {0x87, "NTFS volume set"},
    {0x8E, "Linux LVM"},
    {0x93, "Amoeba"},
    {0x94, "Amoeba BBT"},
    {0x9F, "BSD/OS"},
    {0xA0, "IBM Thinkpad hi"},
    {0xA5, "FreeBSD"},
    {0xA6, "OpenBSD"},
    {0xA7, "NeXTSTEP"},
    {0xA8, "Darwin UFS"},
    {0xA9, "NetBSD"},
    {0xAB, "Darwin boot"},
    {0xB7, "BSDI fs"},
    {0xB8, "BSDI swap"},
    {0xBB, "Boot Wizard hidden"},
    {0xBE, "Solaris boot"},
    {0xC1, "DRDOS/sec (FAT-"},
    {0xC4, "DRDOS/sec (FAT-"},
    {0xC6, "DRDOS/sec (FAT-"},
    {0xC7, "Syrinx"},
    {0xDA, "Non-FS data"},
    {0xDD, "CP/M / CTOS / "},
    {0xDE, "Dell Utility"},
    {0xDF, "BootIt"},
    {0xE1, "DOS access"},
    {0xE3, "DOS R/O"},
    {0xE4, "SpeedStor"},
    {0xEB, "BeOS fs"},
    {0xEE, "EFI GPT"},
    {0xEF, "EFI (FAT-12/16/"},
    {0xF0, "Linux/PA-RISC b"},
    {0xF1, "SpeedStor"},
    {0xF2, "DOS secondary"},
    {0xF4, "SpeedStor"},
    {0xFD, "Linux raid auto"},
    {0xFE, "LANstep"},
    {0xFF, "BBT"},
};

constexpr std::array<const char*, 256> BuildSystemIdNames() {
  std::array<const char*, 256> names{};
  for (auto& name : names) name = "*unknown*";
  for (const auto& named : kNamedIds) names[named.id] = named.name;
  return names;
}

}  // namespace

const std::array<const char*, 256> MbrSystemIdNames = BuildSystemIdNames();

MbrEntry MbrEntry::Parse(const uint8_t* b) {
  namespace en = mbr::entry;
  return {Get(b, en::kBootId),   Get(b, en::kStartHead),   Get(b, en::kStartSector), Get(b, en::kStartCylinder),
          Get(b, en::kSystemId), Get(b, en::kEndHead),     Get(b, en::kEndSector),   Get(b, en::kEndCylinder),
          Get(b, en::kStartLba), Get(b, en::kSectorCount)};
}

void MbrEntry::Store(uint8_t* b) const {
  namespace en = mbr::entry;
  Put(b, en::kBootId, bootId);
  Put(b, en::kStartHead, startHead);
  Put(b, en::kStartSector, startSector);
  Put(b, en::kStartCylinder, startCylinder);
  Put(b, en::kSystemId, systemId);
  Put(b, en::kEndHead, endHead);
  Put(b, en::kEndSector, endSector);
  Put(b, en::kEndCylinder, endCylinder);
  Put(b, en::kStartLba, startLba);
  Put(b, en::kSectorCount, size);
}

ChsValues LbaToChs(int32_t lba) {
  // Signed division truncating toward zero, as the generators compute it;
  // the results are shown unsigned.
  const int32_t track = lba / mbr::kSectorsPerTrack;
  ChsValues chs;
  chs.sector = static_cast<uint32_t>(lba % mbr::kSectorsPerTrack + 1);
  chs.head = static_cast<uint32_t>(track % mbr::kHeads);
  chs.cylinder = static_cast<uint32_t>(track / mbr::kHeads);
  return chs;
}

uint32_t ChsCylinder(uint8_t sectorByte, uint8_t cylinderByte) {
  return cylinderByte | ((sectorByte & 0xC0u) << 2);
}

DumpEnd DumpMbr(DumpContext& ctx) {
  return WalkItems(
      ctx, mbr::entry::kSize,
      [](Report& r, const WalkItem& item) { r.Printf("Boot:  Master Boot Record (0x%08X)\n", item.shown); },
      [](Report& r, const WalkItem& item) {
        const MbrEntry e = MbrEntry::Parse(item.bytes);
        r.Printf("            Boot ID: 0x%02X\n", e.bootId);
        if (!IsUsualBootId(e.bootId)) r.Flag(" <--- usually 0x00 or 0x80.");
        r.Printf("        Start: Head: 0x%02X\n", e.startHead);
        r.Printf("             Sector: 0x%02X\n", e.startSector);
        if (!IsUsualStartSector(e.startSector)) r.Flag(" <--- usually 1.");
        r.Printf("           Cylinder: 0x%02X\n", e.startCylinder);
        r.Printf("          System ID: 0x%02X  = %s\n", e.systemId, MbrSystemIdNames[e.systemId]);
        r.Printf("          End: Head: 0x%02X\n", e.endHead);
        r.Printf("             Sector: 0x%02X\n", e.endSector);
        r.Printf("           Cylinder: 0x%02X\n", e.endCylinder);
        r.Printf("          Start LBA: 0x%08X (%i)\n", e.startLba, static_cast<int32_t>(e.startLba));
        r.Printf("               Size: 0x%08X (%i)\n", e.size, static_cast<int32_t>(e.size));
        r.Add("\n");
      });
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows MbrRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Mbr, .name = "mbr", .caption = "Master Boot Rec", .group = kBootGroup, .countEnabled = true,
     .defaultCount = 4, .defaultStart = mbr::sector::kTable.offset,
     .help = "Dump the specified offset of data as a Master Boot Record's Partition Table.\nHint:\n"
             "  Use 0x1BE as the starting offset and place 4 in the Count field",
     .decoder = DumpMbr, .edit = {.itemSize = mbr::entry::kSize, .perItem = true, .dumpAfterCancel = true}},
  };
  return kRows;
}

}  // namespace trovik
