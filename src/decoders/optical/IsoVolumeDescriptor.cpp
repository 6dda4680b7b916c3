// ISO 9660 primary and supplementary volume descriptors. Both-endian numbers
// show the little-endian copy in decimal and the big-endian copy read as a
// little-endian number in hex, so a sound descriptor shows the second value
// byte-reversed; the two copies are not compared.
#include <cstdint>
#include <string>

#include "decoders/optical/IsoLayout.h"
#include "decoders/optical/IsoListing.h"
#include "decoders/optical/OpticalDecoders.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace iso::vd;

const char* VolumeDescriptorTypeName(uint8_t type) {
  switch (type) {
    case 0: return "(Boot)\n";
    case 1: return "(Primary)\n";
    case 2: return "(Supplementary)\n";
    case 3: return "(Partition)\n";
    case 255: return "(Set Terminator)\n";
    default: return nullptr;
  }
}

// Text fields: 8-bit in the primary descriptor; big-endian 16-bit (Joliet)
// in the supplementary one, where an odd last byte is not used.
std::string TextField(const uint8_t* d, size_t offset, size_t length, bool wide) {
  return wide ? iso::WideText(d + offset, length / 2) : iso::NarrowText(d + offset, length);
}

void AddDateLine(Report& r, const char* label, const uint8_t* p) {
  uint8_t c[16];
  for (int i = 0; i < 16; ++i) c[i] = PrintableChar(p[i]);
  r.Printf("%s: %c%c%c%c/%c%c/%c%c  %c%c:%c%c:%c%c.%c%c  gmt offset: %i\n", label, c[0], c[1], c[2], c[3], c[4],
           c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12], c[13], c[14], c[15], static_cast<int8_t>(p[16]));
}

void AddEightBytes(Report& r, const char* head, const uint8_t* p) {
  r.Printf("%s%02X %02X %02X %02X %02X %02X %02X %02X\n", head, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
}

}  // namespace

DumpEnd DumpIsoVolumeDescriptor(DumpContext& ctx) {
  uint8_t d[iso::kSectorSize];
  ctx.ReadAt(ctx.ItemOffset(), d, sizeof d);
  const bool supplementary = ctx.type == DumpType::IsoSvd;
  Report& r = ctx.report;

  r.Printf(supplementary ? "CDROM Supplementary Volume Descriptor (0x%08X)\n"
                         : "CDROM Primary Volume Descriptor (0x%08X)\n",
           ctx.start);
  ctx.CheckExtent(sizeof d);
  r.Printf("                  Type: %i  ", d[kType]);
  // The name follows the stored type, whichever dump type was chosen.
  if (const char* name = VolumeDescriptorTypeName(d[kType]))
    r.Add(name);
  else
    r.Flag(" <-- Must be 0, 1, 2, 3, or 255.");

  const uint8_t* id = d + kStandardId;
  r.Printf("            Identifier: %c%c%c%c%c\n", id[0], id[1], id[2], id[3], id[4]);
  r.Printf("               Version: %i\n", d[kVersion]);
  r.Printf(supplementary ? "                 Flags: %02X\n" : "              Reserved: %02X\n", d[kFlags]);
  r.Printf("     System Identifier: %s\n", TextField(d, kSystemId, 32, supplementary).c_str());
  r.Printf("     Volume Identifier: '%s'\n", TextField(d, kVolumeId, 32, supplementary).c_str());
  AddEightBytes(r, "              Reserved: ", d + kReserved72);
  r.Printf("                 LBA's: %i (0x%08X)\n", SignedLe32(d + kVolumeSpaceSize),
           Le32(d + kVolumeSpaceSize + 4));
  AddEightBytes(r, supplementary ? "      Escape Sequences: " : "              Reserved: ", d + kEscapeSequences);
  for (size_t row = 1; row < 4; ++row) AddEightBytes(r, "                        ", d + kEscapeSequences + 8 * row);
  r.Printf("              Set Size: %i (0x%04X)\n", Le16(d + kVolumeSetSize), Le16(d + kVolumeSetSize + 2));
  r.Printf("       Sequence Number: %i (0x%04X)\n", Le16(d + kVolumeSequence), Le16(d + kVolumeSequence + 2));
  r.Printf("              LBA Size: %i (0x%04X)\n", Le16(d + kLogicalBlockSize), Le16(d + kLogicalBlockSize + 2));
  r.Printf("       Path Table Size: %i (0x%08X)\n", SignedLe32(d + kPathTableSize),
           Le32(d + kPathTableSize + 4));
  r.Printf("      L. Path Location: %i\n", SignedLe32(d + kLPathTable));
  r.Printf("  L Opt. Path Location: %i\n", SignedLe32(d + kLOptPathTable));
  r.Printf("      M. Path Location: 0x%08X\n", Le32(d + kMPathTable));
  r.Printf("  M Opt. Path Location: 0x%08X\n", Le32(d + kMOptPathTable));

  const uint8_t* root = d + kRootRecord;
  r.Printf("         Root:  Length: %i\n", root[iso::dir::kLength]);
  r.Printf("             Attribute: 0x%02X\n", root[iso::dir::kExtAttrLength]);
  r.Printf("       Extent Location: %i (0x%08X)\n", SignedLe32(root + iso::dir::kExtent),
           Le32(root + iso::dir::kExtent + 4));
  r.Printf("           Data Length: %i (0x%08X)\n", SignedLe32(root + iso::dir::kDataLength),
           Le32(root + iso::dir::kDataLength + 4));
  const uint8_t* date = root + iso::dir::kDate;
  r.Printf("                  Date: %04i/%02i/%02i  %02i:%02i:%02i  gmt offset: %i\n", 1900 + date[0], date[1],
           date[2], date[3], date[4], date[5], static_cast<int8_t>(date[6]));
  r.Printf("                 Flags: 0x%02X\n", root[iso::dir::kFlags]);
  r.Printf("             Unit Size: %i\n", root[iso::dir::kUnitSize]);
  r.Printf("              Gap Size: %i\n", root[iso::dir::kGapSize]);
  r.Printf("       Sequence Number: %i (0x%04X)\n", Le16(root + iso::dir::kSequence),
           Le16(root + iso::dir::kSequence + 2));
  r.Printf("                Length: %i\n", root[iso::dir::kNameLength]);
  r.Printf("            Identifier: %02X\n", root[iso::dir::kNameOffset]);

  r.Printf("        Set Identifier: %s\n", TextField(d, kVolumeSetId, 128, supplementary).c_str());
  r.Printf("  Publisher Identifier: %s\n", TextField(d, kPublisherId, 128, supplementary).c_str());
  r.Printf("   Preparer Identifier: %s\n", TextField(d, kPreparerId, 128, supplementary).c_str());
  r.Printf("Application Identifier: %s\n", TextField(d, kApplicationId, 128, supplementary).c_str());
  r.Printf("  Copyright Identifier: %s\n", TextField(d, kCopyrightFile, 37, supplementary).c_str());
  r.Printf("   Abscract Identifier: %s\n", TextField(d, kAbstractFile, 37, supplementary).c_str());
  r.Printf("   Bibliog. Identifier: %s\n", TextField(d, kBibliographicFile, 37, supplementary).c_str());
  AddDateLine(r, "         Creation Date", d + kCreationDate);
  AddDateLine(r, "     Modification Date", d + kModificationDate);
  AddDateLine(r, "       Expiration Date", d + kExpirationDate);
  AddDateLine(r, "        Effective Date", d + kEffectiveDate);
  r.Printf("File Structure Version: %i\n", d[kFileStructureVersion]);
  r.Printf("              Reserved: %02X\n", d[kReserved882]);
  r.Printf("       Application Use: %s\n", "...not printed here...");
  r.AppendPending();

  const bool nonZero = r.AppendDebugLines(ctx.ItemOffset() + kReservedArea, d + kReservedArea,
                                             kReservedAreaSize);
  r.Add("\n");
  if (nonZero)
    r.Flag("\nOne or more of the values above was not zero.");
  else
    r.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows IsoVolumeDescriptorRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::IsoPvd, .name = "iso-pvd", .caption = "Primary Vol Desc", .group = kIsoGroup,
     .help = "Dump the specified offset of data for a PVD/SVD of a CDROM.", .decoder = DumpIsoVolumeDescriptor},
    {.id = DumpType::IsoSvd, .name = "iso-svd", .caption = "Sumplmnt Vol Desc", .group = kIsoGroup,
     .help = "Dump the specified offset of data for a PVD/SVD of a CDROM.", .decoder = DumpIsoVolumeDescriptor},
  };
  return kRows;
}

}  // namespace trovik
