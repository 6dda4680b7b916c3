// UDF descriptors: every descriptor's tag is printed and checked
// (identifier, version, tag checksum, descriptor CRC), then the body of the
// descriptors whose layout is known. Lengths taken from a descriptor never
// reach past the bytes read: a cut length is flagged on its own line.
#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <string>

#include "decoders/optical/OpticalDecoders.h"
#include "decoders/optical/UdfLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace udf {

uint16_t ComputeTagCrc(const uint8_t* bytes, size_t length) {
  uint16_t crc = 0;
  for (size_t i = 0; i < length; ++i) {
    crc = static_cast<uint16_t>(crc ^ (bytes[i] << 8));
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

uint8_t TagChecksum(const uint8_t* t) {
  uint8_t sum = 0;
  for (size_t i = 0; i < tag::kSize; ++i)
    if (i != tag::kChecksum) sum = static_cast<uint8_t>(sum + t[i]);
  return sum;
}

std::string IdentifierText(const uint8_t* field, size_t size) {
  if (size < 2) return {};
  // The length byte counts the compression ID too; it cannot claim the
  // length byte itself or anything past the field.
  const size_t used = std::min<size_t>(field[size - 1], size - 1);
  std::string text;
  if (field[0] == 8) {
    for (size_t i = 1; i < used && field[i] != 0; ++i) text += static_cast<char>(field[i]);
  } else if (field[0] == 16) {
    for (size_t i = 1; i + 1 < used && field[i + 1] != 0; i += 2) text += static_cast<char>(field[i + 1]);
  }
  return text;
}

}  // namespace udf

namespace {

using namespace udf;

constexpr size_t kBufferSize = kDescriptorRead;
constexpr const char* kTruncated = " <-- (truncated)";

const char* TagName(uint16_t id) {
  switch (id) {
    case 1: return "(Primary Volume Descriptor)\n";
    case 2: return "(Anchor Volume Descriptor)\n";
    case 3: return "(Volume Descriptor Pointer)\n";
    case 4: return "(Implementation Use Volume Descriptor)\n";
    case 5: return "(Partition Descriptor)\n";
    case 6: return "(Logical Volume Descriptor)\n";
    case 7: return "(Unallocated Space Descriptor)\n";
    case 8: return "(Terminating Descriptor)\n";
    case 9: return "(Logical Volume Integrity Descriptor)\n";
    case 256: return "(File Set Descriptor)\n";
    case 257: return "(File Identification Descriptor)\n";
    case 258: return "(Allocation Extent Descriptor)\n";
    case 259: return "(Indirect Entry)\n";
    case 260: return "(Terminal Entry)\n";
    case 261: return "(File Entry)\n";
    case 262: return "(Extended Attribute Header Descriptor)\n";
    case 263: return "(Unallocated Space Entry)\n";
    case 264: return "(Space Bitmap Descriptor)\n";
    case 265: return "(Parititon Integrity Entry)\n";
    case 266: return "(Extended File Entry)\n";
    default: return nullptr;
  }
}

const char* FileTypeName(uint8_t type) {
  static const char* const kNames[] = {"not specified",     "Unallocated Space", "Partition Integrity",
                                       "Indirect Entry",    "Directory",         "Sequence of bytes",
                                       "block special",     "character special", "recording EA's",
                                       "FIFO file",         "C_ISSOCK",          "Terminal Entry",
                                       "symbolic link",     "Stream Directory"};
  return type < sizeof kNames / sizeof kNames[0] ? kNames[type] : "unknown";
}

const char* AccessTypeName(uint32_t type) {
  switch (type) {
    case 0: return "pseudo-overwritable\n";
    case 1: return "Read-only\n";
    case 2: return "Write-once\n";
    case 3: return "Re-writable\n";
    case 4: return "Over-writable\n";
    default: return "*Unknown Access Type*\n";
  }
}

// Bytes available in the buffer from offset on, at most `wanted`.
size_t Available(size_t offset, uint64_t wanted) {
  const size_t room = offset < kBufferSize ? kBufferSize - offset : 0;
  return static_cast<size_t>(std::min<uint64_t>(wanted, room));
}

void AddEntityId(Report& r, const uint8_t* e) {
  r.Printf("                        Flags: %i \n", e[0]);
  if (e[0] != 0) r.Flag(" <-- Should be 0.");
  auto shown = [](uint8_t c) { return (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : '.'; };
  r.Add("                   Identifier: ");
  for (int i = 1; i < 24; ++i) r.AddChar(static_cast<uint8_t>(shown(e[i])));
  r.Add("\n                       Suffix: ");
  for (int i = 24; i < 32; ++i) r.AddChar(static_cast<uint8_t>(shown(e[i])));
  r.Add("\n");
}

void AddTimestamp(Report& r, const uint8_t* t) {
  r.Printf("              Data and Time:  (0x%04X) %4i/%02i/%02i %02i:%02i:%02i.%i.%i.%i \n", Le16(t),
           SignedLe16(t + 2), t[4], t[5], t[6], t[7], t[8], t[9], t[10], t[11]);
}

void AddHex(Report& r, const char* label, const uint8_t* bytes, size_t length, bool collapse, uint64_t base = 0) {
  r.Add(label);
  r.HexDumpBlock(base, bytes, static_cast<int32_t>(length), collapse);
}

void AddIdentifier(Report& r, const char* format, const uint8_t* field, size_t size) {
  r.Printf(format, IdentifierText(field, size).c_str());
}

void PrimaryVolumeBody(Report& r, const uint8_t* d) {
  r.Printf("    Descriptor Sequence Num: %i \n", SignedLe32(d + 16));
  r.Printf("             Descriptor Num: %i \n", SignedLe32(d + 20));
  AddIdentifier(r, "          Volume Identifier: '%s'\n", d + 24, 32);
  r.Printf("        Volume Sequence Num: %i \n", Le16(d + 56));
  r.Printf("    Max Volume Sequence Num: %i \n", Le16(d + 58));
  r.Printf("          Interchange Level: %i \n", Le16(d + 60));
  r.Printf("      Max Interchange Level: %i \n", Le16(d + 62));
  r.Printf("         Character Set List: %i \n", SignedLe32(d + 64));
  r.Printf("     Max Character Set List: %i \n", SignedLe32(d + 68));
  AddIdentifier(r, "      Volume Set Identifier: %s\n", d + 72, 128);
  r.Printf("    Desc Character Set Type: %i \n", d[200]);
  r.Printf("    Expl Character Set Type: %i \n", d[264]);
  r.Printf("        Volume Abstract Loc: %i \n", SignedLe32(d + 332));
  r.Printf("                     Length: %i \n", SignedLe32(d + 328));
  r.Printf("       Copyright Notice Loc: %i \n", SignedLe32(d + 340));
  r.Printf("                     Length: %i \n", SignedLe32(d + 336));
  r.Add("     Application Identifier: \n");
  AddEntityId(r, d + 344);
  AddTimestamp(r, d + 376);
  r.Add("  Implementation Identifier: \n");
  AddEntityId(r, d + 388);
  AddHex(r, "         Implementation Use: \n", d + 420, 64, true);
  r.Printf("                   Location:  %i \n", SignedLe32(d + 484));
  r.Printf("                      Flags:  %i \n", Le16(d + 488));
}

void AnchorBody(Report& r, const uint8_t* d, uint32_t sectorSize) {
  // Only sector 256 is tested; the other two places an anchor may stand
  // (N - 256 and N) depend on the medium's size, which a dump does not know.
  if (Le32(d + tag::kLocation) != kAnchorLocation) {
    r.Flag(" Tag Location isn't 256 for Anchor Descriptor... (must be 256, N-256, or N)");
  }
  r.Printf("          Main Sequence Loc: %i \n", SignedLe32(d + 20));
  r.Printf("                     Length: %i \n", SignedLe32(d + 16));
  r.Printf("      Reserved Sequence Loc: %i \n", SignedLe32(d + 28));
  r.Printf("                     Length: %i (%i sectors) \n", SignedLe32(d + 24),
           static_cast<int>(Le32(d + 24) / sectorSize));
}

void ImplementationUseBody(Report& r, const uint8_t* d) {
  r.Printf("    Descriptor Sequence Num: %i \n", SignedLe32(d + 16));
  r.Add("  Implementation Identifier: \n");
  AddEntityId(r, d + 20);
  AddHex(r, "         Implementation Use: \n", d + 52, 460, true);
}

void PartitionBody(Report& r, const uint8_t* d, uint32_t sectorSize) {
  r.Printf("    Descriptor Sequence Num: %i \n", SignedLe32(d + 16));
  const uint16_t flags = Le16(d + 20);
  r.Printf("                      Flags: %04X (%s) \n", flags, (flags & 1) ? "allocated" : "not allocated");
  r.Printf("              Partition Num: %i \n", Le16(d + 22));
  r.Add("         Partition Contents: \n");
  AddEntityId(r, d + 24);
  AddHex(r, "     Partition Contents Use: \n", d + 56, 128, true);
  const uint32_t access = Le32(d + 184);
  r.Printf("                Access Type: %i: ", static_cast<int32_t>(access));
  r.Add(AccessTypeName(access));
  r.Printf("        Partition Start Loc: %i\n", SignedLe32(d + 188));
  // In 64 bits: partitions of 4 GiB and more are common.
  const uint32_t sectors = Le32(d + 192);
  const uint64_t bytes = static_cast<uint64_t>(sectors) * sectorSize;
  r.Printf("           Partition Lenght: %i (%4.2f Meg)\n", static_cast<int32_t>(sectors),
           static_cast<double>(bytes) * (1.0 / 1048576));
  r.Add("  Implementation Identifier: \n");
  AddEntityId(r, d + 196);
  AddHex(r, "         Implementation Use: \n", d + 228, 128, true);
  AddHex(r, "                   Reserved: \n", d + 356, 128, true);
}

void PartitionMaps(Report& r, const uint8_t* d) {
  const uint32_t mapTableLength = Le32(d + 264);
  const uint32_t mapCount = Le32(d + 268);
  size_t map = 440;
  int32_t total = 0;
  for (uint32_t m = 0; m < mapCount; ++m) {
    // A map needs its type and length bytes, and the fields of its type.
    const uint8_t type = map + 2 <= kBufferSize ? d[map] : 0;
    const size_t needed = type == 1 ? 6 : type == 2 ? 64 : 2;
    if (map + needed > kBufferSize) {
      r.Printf("                  Partition Map #%i\n", static_cast<int>(m));
      r.Flag(kTruncated);
      break;
    }
    const uint8_t length = d[map + 1];
    total += length;
    r.Printf("                  Partition Map #%i\n", static_cast<int>(m));
    r.Printf("                           Type: %i\n", type);
    r.Printf("                         Length: %i\n", length);
    if (type == 1) {
      r.Printf("         Volume Sequence Number: %i\n", Le16(d + map + 2));
      r.Printf("        Volume Partition Number: %i\n", Le16(d + map + 4));
    } else if (type == 2) {
      AddHex(r, "                   Reserved: \n", d + map + 2, 2, false);
      r.Add("  Partition Type Identifier: \n");
      AddEntityId(r, d + map + 4);
      r.Printf("         Volume Sequence Number: %i\n", Le16(d + map + 36));
      r.Printf("        Volume Partition Number: %i\n", Le16(d + map + 38));
      AddHex(r, "                   Reserved: \n", d + map + 40, 24, false);
    } else {
      r.Printf("   Found unknown Partition Map Type: %i\n", type);
    }
    if (length == 0) break;
    map += length;
  }
  if (static_cast<uint32_t>(total) != mapTableLength)
    r.Printf(" Partition MapTableLength member (%i) != calculated len (%i)\n", static_cast<int32_t>(mapTableLength),
             total);
}

void LogicalVolumeBody(Report& r, const uint8_t* d) {
  r.Printf("    Descriptor Sequence Num: %i \n", SignedLe32(d + 16));
  r.Printf("    Desc Character Set Type: %i \n", d[20]);
  AddIdentifier(r, "      Log Volume Identifier: '%s'\n", d + 84, 128);
  r.Printf("         Logical Block Size: %i \n", SignedLe32(d + 212));
  r.Add("          Domain Identifier: \n");
  AddEntityId(r, d + 216);
  AddHex(r, "    Log Volume Contents Use: \n", d + 248, 16, true);
  r.Printf("           Map Table Length: %i \n", SignedLe32(d + 264));
  r.Printf("   Number of Partition Maps: %i \n", SignedLe32(d + 268));
  r.Add("  Implementation Identifier: \n");
  AddEntityId(r, d + 272);
  AddHex(r, "         Implementation Use: \n", d + 304, 128, true);
  r.Printf("     Integrity Sequence Loc: %i \n", SignedLe32(d + 436));
  r.Printf("                     Length: %i \n", SignedLe32(d + 432));
  PartitionMaps(r, d);
}

void UnallocatedSpaceBody(Report& r, const uint8_t* d) {
  r.Printf("    Descriptor Sequence Num: %i \n", SignedLe32(d + 16));
  const uint32_t count = Le32(d + 20);
  r.Printf("  Num Allocated Descriptors: %i \n", static_cast<int32_t>(count));
  const uint64_t wanted = 8ULL * count;
  const size_t shown = Available(24, wanted);
  if (shown < wanted) r.Flag(kTruncated);
  AddHex(r, "      Allocated Descriptors: \n", d + 24, shown, true);
}

void FileSetBody(Report& r, const uint8_t* d) {
  AddTimestamp(r, d + 16);
  r.Printf("          Interchange Level: %i\n", Le16(d + 28));
  r.Printf("      Max Interchange Level: %i\n", Le16(d + 30));
  r.Printf("         Character Set List: %i\n", SignedLe32(d + 32));
  r.Printf("     Max Character Set List: %i\n", SignedLe32(d + 36));
  r.Printf("            File Set Number: %i\n", SignedLe32(d + 40));
  r.Printf(" File Set Descriptor Number: %i\n", SignedLe32(d + 44));
  r.Printf("      Log Volume Identifier: %i \n", d[48]);
  AddIdentifier(r, "      Log Volume Identifier: '%s'\n", d + 112, 128);
  r.Printf("     File Set Character Set: %i \n", d[240]);
  AddIdentifier(r, "        File Set Identifier: '%s'\n", d + 304, 32);
  AddIdentifier(r, "  Copyright File Identifier: '%s'\n", d + 336, 32);
  AddIdentifier(r, "   Abstract File Identifier: '%s'\n", d + 368, 32);
  r.Printf("    Root Directory Location: lba = %i, part ref = %i \n", SignedLe32(d + 404), Le16(d + 408));
  r.Printf("                     Length: %i\n", SignedLe32(d + 400));
  r.Add("          Domain Identifier: \n");
  AddEntityId(r, d + 416);
  r.Printf("       Next Extent Location: lba = %i, part ref = %i \n", SignedLe32(d + 452), Le16(d + 456));
  r.Printf("                     Length: %i\n", SignedLe32(d + 448));
  r.Printf(" System Stream Dir Location: lba = %i, part ref = %i \n", SignedLe32(d + 468), Le16(d + 472));
  r.Printf("                     Length: %i\n", SignedLe32(d + 464));
}

void FileIdentifierBody(Report& r, const uint8_t* d, uint64_t offset) {
  r.Printf("        File Version Number: %i\n", Le16(d + 16));
  r.Printf("       File Characteristics: %i\n", d[18]);
  r.Printf("        File Identifier Len: %i\n", d[19]);
  r.Printf("               ICB Location: %i\n", SignedLe32(d + 24));
  const uint16_t useLength = Le16(d + 36);
  r.Printf("      Implementaion Use Len: %i\n", useLength);
  const size_t shown = Available(38, useLength);
  if (shown < useLength) r.Flag(kTruncated);
  r.HexDumpBlock(offset + 38, d + 38, static_cast<int32_t>(shown), false);
}

void ExtendedFileEntryBody(Report& r, const uint8_t* d, uint64_t offset) {
  r.Add("                        ICB TAG:\n");
  r.Printf(" Prior Rec'd num of Entries: %i\n", SignedLe32(d + 16));
  r.Printf("              Strategy Type: %i\n", Le16(d + 20));
  r.Printf("             Strategy Param: %i\n", Le16(d + 22));
  r.Printf("                Max Entries: %i\n", Le16(d + 24));
  r.Printf("                   Reserved: %i\n", d[26]);
  r.Printf("                  File Type: %i (", d[27]);
  r.Add(FileTypeName(d[27]));
  r.Add(")\n");
  r.Printf("            Parent Location: %i\n", SignedLe32(d + 28));
  r.Printf("               part ref num: %i\n", Le16(d + 32));
  r.Printf("                      Flags: %i\n", Le16(d + 34));
  r.Printf("                        uid: %08X\n", Le32(d + 36));
  r.Printf("                        gid: %08X\n", Le32(d + 40));
  r.Printf("                Permissions: %08X\n", Le32(d + 44));
  r.Printf("                 Link Count: %i\n", Le16(d + 48));
  r.Printf("              Record Format: %i\n", d[50]);
  r.Printf("     Record Display Attribs: %i\n", d[51]);
  r.Printf("              Record length: %i\n", SignedLe32(d + 52));
  r.Printf("                Info Length: %" PRId64 "\n", SignedLe64(d + 56));
  r.Printf("                Object Size: %" PRId64 "\n", SignedLe64(d + 64));
  r.Printf("    Logical Blocks Recorded: %" PRId64 "\n", SignedLe64(d + 72));
  r.Printf("                Check Point: %i\n", SignedLe32(d + 128));
  r.Printf("                   Reserved: %i\n", SignedLe32(d + 132));
  r.Printf("                EA Location: %i\n", SignedLe32(d + 140));
  r.Printf("        Stream Dir Location: %i\n", SignedLe32(d + 156));
  r.Add("  Implementation Identifier: \n");
  AddEntityId(r, d + 168);
  r.Printf("  Logical Blocks Recorded: %016" PRIX64 "\n", Le64(d + 200));
  const uint32_t eaLength = Le32(d + 208);
  const uint32_t adLength = Le32(d + 212);
  r.Printf("              EA's length: %i\n", static_cast<int32_t>(eaLength));
  r.Printf(" Allocation Desc's length: %i\n", static_cast<int32_t>(adLength));
  // The allocation descriptors follow the extended attributes.
  const uint64_t adStart = 216ULL + eaLength;
  const size_t start = static_cast<size_t>(std::min<uint64_t>(adStart, kBufferSize));
  const size_t shown = Available(start, adLength);
  if (shown < adLength) r.Flag(kTruncated);
  r.HexDumpBlock(offset + adStart, d + start, static_cast<int32_t>(shown), false);
}

void DumpUdfDescriptor(DumpContext& ctx, const uint8_t* d, uint32_t sectorSize) {
  Report& r = ctx.report;
  const uint64_t offset = ctx.ItemOffset();
  r.Printf("\nUDF Tag Identifier (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sectorSize);
  const uint16_t id = Le16(d + tag::kIdentifier);
  r.Printf("                     Type: %i  ", id);
  if (const char* name = TagName(id))
    r.Add(name);
  else
    r.Flag(" <-- Must be 1 -> 9 or 256 -> 266.");

  const uint16_t version = Le16(d + tag::kVersion);
  r.Printf("                  Version: %i \n", version);
  if (version < 2 || version > 3) r.Flag(" <-- Must be 2 or 3.");
  r.Printf("                Check Sum: %02X \n", d[tag::kChecksum]);
  if (TagChecksum(d) != d[tag::kChecksum]) r.Flag(" <-- Checksum does not match!");
  r.Printf("                 reserved: %i \n", d[tag::kReserved]);
  if (d[tag::kReserved] != 0) r.Flag(" <-- Should be zero!");
  r.Printf("           Tag Serial Num: %i \n", Le16(d + tag::kSerial));

  const uint16_t storedCrc = Le16(d + tag::kCrc);
  const uint16_t crcLength = Le16(d + tag::kCrcLength);
  const size_t covered = Available(tag::kSize, crcLength);
  const uint16_t crc = ComputeTagCrc(d + tag::kSize, covered);
  r.Printf("           Descriptor CRC: 0x%04X \n", storedCrc);
  if (crc != storedCrc) r.FlagHex(" <-- Checksum does not match", crc, 4);
  r.Printf("       Descriptor CRC Len: %i \n", crcLength);
  if (covered < crcLength) r.Flag(kTruncated);
  r.Printf("             Tag Location: %i \n", SignedLe32(d + tag::kLocation));
  r.AppendPending();
  r.Add("\n");

  switch (id) {
    case kPrimaryVolume: PrimaryVolumeBody(r, d); break;
    case kAnchor: AnchorBody(r, d, sectorSize); break;
    case kImplementationUse: ImplementationUseBody(r, d); break;
    case kPartition: PartitionBody(r, d, sectorSize); break;
    case kLogicalVolume: LogicalVolumeBody(r, d); break;
    case kUnallocatedSpace: UnallocatedSpaceBody(r, d); break;
    case kFileSet: FileSetBody(r, d); break;
    case kFileIdentifier: FileIdentifierBody(r, d, offset); break;
    case kExtendedFileEntry: ExtendedFileEntryBody(r, d, offset); break;
    default: break;
  }
  r.AppendPending();
}

}  // namespace

DumpEnd DumpUdf(DumpContext& ctx) {
  const uint32_t sectorSize = ctx.isIso ? 2048 : 512;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t d[kBufferSize];
    // Each descriptor is read at the offset its title shows.
    ctx.ReadAt(ctx.ItemOffset(), d, sizeof d);
    DumpUdfDescriptor(ctx, d, sectorSize);
    ctx.Advance(sectorSize);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows UdfRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Udf, .name = "udf", .caption = "Volume Descriptor", .group = kUdfGroup, .countEnabled = true,
     .defaultCount = 1, .help = "Dump the specified offset of data as the PE Stub.", .decoder = DumpUdf},
  };
  return kRows;
}

}  // namespace trovik
