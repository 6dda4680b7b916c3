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
std::string TextField(const uint8_t* d, Bytes field, bool wide) {
  return wide ? iso::WideText(At(d, field), field.size / 2) : iso::NarrowText(At(d, field), field.size);
}

void AddDateLine(Report& r, const char* label, const uint8_t* date) {
  uint8_t c[iso::voldate::kDigits.size];
  for (size_t i = 0; i < sizeof c; ++i) c[i] = PrintableChar(At(date, iso::voldate::kDigits)[i]);
  r.Printf("%s: %c%c%c%c/%c%c/%c%c  %c%c:%c%c:%c%c.%c%c  gmt offset: %i\n", label, c[0], c[1], c[2], c[3], c[4],
           c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12], c[13], c[14], c[15], Get(date, iso::voldate::kGmtOffset));
}

void AddEightBytes(Report& r, const char* head, const uint8_t* p) {
  r.Printf("%s%02X %02X %02X %02X %02X %02X %02X %02X\n", head, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
}

}  // namespace

DumpEnd DumpIsoVolumeDescriptor(DumpContext& ctx) {
  uint8_t d[kSize];
  ctx.ReadAt(ctx.ItemOffset(), d, sizeof d);
  const bool supplementary = ctx.type == DumpType::IsoSvd;
  Report& r = ctx.report;

  r.Printf(supplementary ? "CDROM Supplementary Volume Descriptor (0x%08X)\n"
                         : "CDROM Primary Volume Descriptor (0x%08X)\n",
           ctx.start);
  ctx.CheckExtent(sizeof d);
  r.Printf("                  Type: %i  ", Get(d, kType));
  // The name follows the stored type, whichever dump type was chosen.
  if (const char* name = VolumeDescriptorTypeName(Get(d, kType)))
    r.Add(name);
  else
    r.Flag(" <-- Must be 0, 1, 2, 3, or 255.");

  const uint8_t* id = At(d, kStandardId);
  r.Printf("            Identifier: %c%c%c%c%c\n", id[0], id[1], id[2], id[3], id[4]);
  r.Printf("               Version: %i\n", Get(d, kVersion));
  r.Printf(supplementary ? "                 Flags: %02X\n" : "              Reserved: %02X\n", Get(d, kFlags));
  r.Printf("     System Identifier: %s\n", TextField(d, kSystemId, supplementary).c_str());
  r.Printf("     Volume Identifier: '%s'\n", TextField(d, kVolumeId, supplementary).c_str());
  AddEightBytes(r, "              Reserved: ", At(d, kReserved72));
  r.Printf("                 LBA's: %i (0x%08X)\n", Get(d, kVolumeSpaceSize),
           iso::AsStored(Get(d, kVolumeSpaceSizeBe)));
  const uint8_t* escapes = At(d, kEscapeSequences);
  AddEightBytes(r, supplementary ? "      Escape Sequences: " : "              Reserved: ", escapes);
  for (size_t row = 1; row < 4; ++row) AddEightBytes(r, "                        ", escapes + 8 * row);
  r.Printf("              Set Size: %i (0x%04X)\n", Get(d, kVolumeSetSize), iso::AsStored(Get(d, kVolumeSetSizeBe)));
  r.Printf("       Sequence Number: %i (0x%04X)\n", Get(d, kVolumeSequence), iso::AsStored(Get(d, kVolumeSequenceBe)));
  r.Printf("              LBA Size: %i (0x%04X)\n", Get(d, kLogicalBlockSize),
           iso::AsStored(Get(d, kLogicalBlockSizeBe)));
  r.Printf("       Path Table Size: %i (0x%08X)\n", Get(d, kPathTableSize), iso::AsStored(Get(d, kPathTableSizeBe)));
  r.Printf("      L. Path Location: %i\n", Get(d, kLPathTable));
  r.Printf("  L Opt. Path Location: %i\n", Get(d, kLOptPathTable));
  r.Printf("      M. Path Location: 0x%08X\n", iso::AsStored(Get(d, kMPathTable)));
  r.Printf("  M Opt. Path Location: 0x%08X\n", iso::AsStored(Get(d, kMOptPathTable)));

  namespace dir = iso::dir;
  const uint8_t* root = At(d, kRootRecord);
  r.Printf("         Root:  Length: %i\n", Get(root, dir::kLength));
  r.Printf("             Attribute: 0x%02X\n", Get(root, dir::kExtAttrLength));
  r.Printf("       Extent Location: %i (0x%08X)\n", Get(root, dir::kExtent), iso::AsStored(Get(root, dir::kExtentBe)));
  r.Printf("           Data Length: %i (0x%08X)\n", Get(root, dir::kDataLength),
           iso::AsStored(Get(root, dir::kDataLengthBe)));
  iso::AddDirDate(r, "                  Date: %04i/%02i/%02i  %02i:%02i:%02i  gmt offset: %i\n", At(root, dir::kDate));
  r.Printf("                 Flags: 0x%02X\n", Get(root, dir::kFlags));
  r.Printf("             Unit Size: %i\n", Get(root, dir::kUnitSize));
  r.Printf("              Gap Size: %i\n", Get(root, dir::kGapSize));
  r.Printf("       Sequence Number: %i (0x%04X)\n", Get(root, dir::kSequence),
           iso::AsStored(Get(root, dir::kSequenceBe)));
  r.Printf("                Length: %i\n", Get(root, dir::kNameLength));
  r.Printf("            Identifier: %02X\n", Get(root, dir::kNameFirstByte));

  r.Printf("        Set Identifier: %s\n", TextField(d, kVolumeSetId, supplementary).c_str());
  r.Printf("  Publisher Identifier: %s\n", TextField(d, kPublisherId, supplementary).c_str());
  r.Printf("   Preparer Identifier: %s\n", TextField(d, kPreparerId, supplementary).c_str());
  r.Printf("Application Identifier: %s\n", TextField(d, kApplicationId, supplementary).c_str());
  r.Printf("  Copyright Identifier: %s\n", TextField(d, kCopyrightFile, supplementary).c_str());
  r.Printf("   Abscract Identifier: %s\n", TextField(d, kAbstractFile, supplementary).c_str());
  r.Printf("   Bibliog. Identifier: %s\n", TextField(d, kBibliographicFile, supplementary).c_str());
  AddDateLine(r, "         Creation Date", At(d, kCreationDate));
  AddDateLine(r, "     Modification Date", At(d, kModificationDate));
  AddDateLine(r, "       Expiration Date", At(d, kExpirationDate));
  AddDateLine(r, "        Effective Date", At(d, kEffectiveDate));
  r.Printf("File Structure Version: %i\n", Get(d, kFileStructureVersion));
  r.Printf("              Reserved: %02X\n", Get(d, kReserved882));
  r.Printf("       Application Use: %s\n", "...not printed here...");
  r.AppendPending();

  const bool nonZero =
      r.AppendDebugLines(ctx.ItemOffset() + kReservedArea.offset, At(d, kReservedArea), kReservedArea.size);
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
