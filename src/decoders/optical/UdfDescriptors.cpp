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
    if (i != tag::kChecksum.offset) sum = static_cast<uint8_t>(sum + t[i]);
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

// An entity identifier under its label line.
void AddEntityId(Report& r, const char* label, const uint8_t* e) {
  r.Add(label);
  r.Printf("                        Flags: %i \n", Get(e, entity::kFlags));
  if (Get(e, entity::kFlags) != 0) r.Flag(" <-- Should be 0.");
  auto add = [&r](const uint8_t* text, size_t size) {
    for (size_t i = 0; i < size; ++i) r.AddChar((text[i] >= 0x20 && text[i] <= 0x7E) ? text[i] : '.');
  };
  r.Add("                   Identifier: ");
  add(At(e, entity::kIdentifier), entity::kIdentifier.size);
  r.Add("\n                       Suffix: ");
  add(At(e, entity::kSuffix), entity::kSuffix.size);
  r.Add("\n");
}

void AddTimestamp(Report& r, const uint8_t* t) {
  using namespace timestamp;
  r.Printf("              Data and Time:  (0x%04X) %4i/%02i/%02i %02i:%02i:%02i.%i.%i.%i \n", Get(t, kTypeAndZone),
           Get(t, kYear), Get(t, kMonth), Get(t, kDay), Get(t, kHour), Get(t, kMinute), Get(t, kSecond),
           Get(t, kCentiseconds), Get(t, kHundredsOfMicroseconds), Get(t, kMicroseconds));
}

// A run of bytes, or its first `shown` bytes.
void AddHex(Report& r, const char* label, const uint8_t* d, Bytes field, bool collapse, size_t shown = SIZE_MAX) {
  r.Add(label);
  r.HexDumpBlock(0, At(d, field), static_cast<int32_t>(std::min(shown, field.size)), collapse);
}

void AddIdentifier(Report& r, const char* format, const uint8_t* d, Bytes field) {
  r.Printf(format, IdentifierText(At(d, field), field.size).c_str());
}

// An extent's location line, then its length line.
void AddExtent(Report& r, const char* label, const uint8_t* e) {
  r.Printf("%s: %i \n", label, Get(e, extent::kLocation));
  r.Printf("                     Length: %i \n", Get(e, extent::kLength));
}

// A long allocation descriptor's block and partition, then its length.
void AddLongAd(Report& r, const char* label, const uint8_t* ad) {
  r.Printf("%s: lba = %i, part ref = %i \n", label, Get(ad, longad::kLocation), Get(ad, longad::kPartition));
  r.Printf("                     Length: %i\n", Get(ad, longad::kLength));
}

void PrimaryVolumeBody(Report& r, const uint8_t* d) {
  using namespace pvd;
  r.Printf("    Descriptor Sequence Num: %i \n", Get(d, kSequenceNumber));
  r.Printf("             Descriptor Num: %i \n", Get(d, kNumber));
  AddIdentifier(r, "          Volume Identifier: '%s'\n", d, kVolumeId);
  r.Printf("        Volume Sequence Num: %i \n", Get(d, kVolumeSequence));
  r.Printf("    Max Volume Sequence Num: %i \n", Get(d, kMaxVolumeSequence));
  r.Printf("          Interchange Level: %i \n", Get(d, kInterchangeLevel));
  r.Printf("      Max Interchange Level: %i \n", Get(d, kMaxInterchangeLevel));
  r.Printf("         Character Set List: %i \n", Get(d, kCharacterSetList));
  r.Printf("     Max Character Set List: %i \n", Get(d, kMaxCharacterSetList));
  AddIdentifier(r, "      Volume Set Identifier: %s\n", d, kVolumeSetId);
  r.Printf("    Desc Character Set Type: %i \n", Get(d, kDescCharSetType));
  r.Printf("    Expl Character Set Type: %i \n", Get(d, kExplCharSetType));
  AddExtent(r, "        Volume Abstract Loc", At(d, kVolumeAbstract));
  AddExtent(r, "       Copyright Notice Loc", At(d, kCopyrightNotice));
  AddEntityId(r, "     Application Identifier: \n", At(d, kApplicationId));
  AddTimestamp(r, At(d, kRecordingTime));
  AddEntityId(r, "  Implementation Identifier: \n", At(d, kImplementationId));
  AddHex(r, "         Implementation Use: \n", d, pvd::kImplementationUse, true);
  r.Printf("                   Location:  %i \n", Get(d, kPredecessorLocation));
  r.Printf("                      Flags:  %i \n", Get(d, kFlags));
}

void AnchorBody(Report& r, const uint8_t* d, uint32_t sectorSize) {
  // Only sector 256 is tested; the other two places an anchor may stand
  // (N - 256 and N) depend on the medium's size, which a dump does not know.
  if (Get(d, tag::kLocation) != kAnchorLocation) {
    r.Flag(" Tag Location isn't 256 for Anchor Descriptor... (must be 256, N-256, or N)");
  }
  AddExtent(r, "          Main Sequence Loc", At(d, anchor::kMainSequence));
  const uint8_t* reserve = At(d, anchor::kReserveSequence);
  r.Printf("      Reserved Sequence Loc: %i \n", Get(reserve, extent::kLocation));
  const int32_t length = Get(reserve, extent::kLength);
  r.Printf("                     Length: %i (%i sectors) \n", length,
           static_cast<int>(static_cast<uint32_t>(length) / sectorSize));
}

void ImplementationUseBody(Report& r, const uint8_t* d) {
  r.Printf("    Descriptor Sequence Num: %i \n", Get(d, iuvd::kSequenceNumber));
  AddEntityId(r, "  Implementation Identifier: \n", At(d, iuvd::kImplementationId));
  AddHex(r, "         Implementation Use: \n", d, iuvd::kImplementationUse, true);
}

void PartitionBody(Report& r, const uint8_t* d, uint32_t sectorSize) {
  using namespace partition;
  r.Printf("    Descriptor Sequence Num: %i \n", Get(d, kSequenceNumber));
  const uint16_t flags = Get(d, kFlags);
  r.Printf("                      Flags: %04X (%s) \n", flags, (flags & kAllocatedBit) ? "allocated" : "not allocated");
  r.Printf("              Partition Num: %i \n", Get(d, kNumber));
  AddEntityId(r, "         Partition Contents: \n", At(d, kContents));
  AddHex(r, "     Partition Contents Use: \n", d, kContentsUse, true);
  const uint32_t access = Get(d, kAccessType);
  r.Printf("                Access Type: %i: ", static_cast<int32_t>(access));
  r.Add(AccessTypeName(access));
  r.Printf("        Partition Start Loc: %i\n", Get(d, kStart));
  // In 64 bits: partitions of 4 GiB and more are common.
  const uint32_t sectors = Get(d, kLength);
  const uint64_t bytes = static_cast<uint64_t>(sectors) * sectorSize;
  r.Printf("           Partition Lenght: %i (%4.2f Meg)\n", static_cast<int32_t>(sectors),
           static_cast<double>(bytes) * (1.0 / 1048576));
  AddEntityId(r, "  Implementation Identifier: \n", At(d, kImplementationId));
  AddHex(r, "         Implementation Use: \n", d, partition::kImplementationUse, true);
  AddHex(r, "                   Reserved: \n", d, kReserved, true, kReservedShown);
}

void PartitionMaps(Report& r, const uint8_t* d) {
  const uint32_t mapTableLength = Get(d, lvd::kMapTableLength);
  const uint32_t mapCount = Get(d, lvd::kMapCount);
  size_t map = lvd::kPartitionMaps.offset;
  int32_t total = 0;
  for (uint32_t m = 0; m < mapCount; ++m) {
    // A map needs its type and length bytes, and the fields of its type.
    const uint8_t type = map + pmap::kHeaderSize <= kBufferSize ? Get(d + map, pmap::kType) : 0;
    const size_t needed = type == 1 ? pmap::type1::kSize : type == 2 ? pmap::type2::kSize : pmap::kHeaderSize;
    if (map + needed > kBufferSize) {
      r.Printf("                  Partition Map #%i\n", static_cast<int>(m));
      r.Flag(kTruncated);
      break;
    }
    const uint8_t* p = d + map;
    const uint8_t length = Get(p, pmap::kLength);
    total += length;
    r.Printf("                  Partition Map #%i\n", static_cast<int>(m));
    r.Printf("                           Type: %i\n", type);
    r.Printf("                         Length: %i\n", length);
    if (type == 1) {
      r.Printf("         Volume Sequence Number: %i\n", Get(p, pmap::type1::kVolumeSequence));
      r.Printf("        Volume Partition Number: %i\n", Get(p, pmap::type1::kPartition));
    } else if (type == 2) {
      AddHex(r, "                   Reserved: \n", p, pmap::type2::kReserved, false);
      AddEntityId(r, "  Partition Type Identifier: \n", At(p, pmap::type2::kTypeId));
      r.Printf("         Volume Sequence Number: %i\n", Get(p, pmap::type2::kVolumeSequence));
      r.Printf("        Volume Partition Number: %i\n", Get(p, pmap::type2::kPartition));
      AddHex(r, "                   Reserved: \n", p, pmap::type2::kReservedEnd, false);
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
  using namespace lvd;
  r.Printf("    Descriptor Sequence Num: %i \n", Get(d, kSequenceNumber));
  r.Printf("    Desc Character Set Type: %i \n", Get(d, kDescCharSetType));
  AddIdentifier(r, "      Log Volume Identifier: '%s'\n", d, kVolumeId);
  r.Printf("         Logical Block Size: %i \n", Get(d, kLogicalBlockSize));
  AddEntityId(r, "          Domain Identifier: \n", At(d, kDomainId));
  AddHex(r, "    Log Volume Contents Use: \n", d, kContentsUse, true);
  r.Printf("           Map Table Length: %i \n", Get(d, kMapTableLength));
  r.Printf("   Number of Partition Maps: %i \n", Get(d, kMapCount));
  AddEntityId(r, "  Implementation Identifier: \n", At(d, kImplementationId));
  AddHex(r, "         Implementation Use: \n", d, lvd::kImplementationUse, true);
  AddExtent(r, "     Integrity Sequence Loc", At(d, kIntegritySequence));
  PartitionMaps(r, d);
}

void UnallocatedSpaceBody(Report& r, const uint8_t* d) {
  r.Printf("    Descriptor Sequence Num: %i \n", Get(d, usd::kSequenceNumber));
  const uint32_t count = Get(d, usd::kDescriptorCount);
  r.Printf("  Num Allocated Descriptors: %i \n", static_cast<int32_t>(count));
  const uint64_t wanted = uint64_t{extent::kSize} * count;
  const size_t shown = Available(usd::kDescriptors.offset, wanted);
  if (shown < wanted) r.Flag(kTruncated);
  AddHex(r, "      Allocated Descriptors: \n", d, usd::kDescriptors, true, shown);
}

void FileSetBody(Report& r, const uint8_t* d) {
  using namespace fsd;
  AddTimestamp(r, At(d, kRecordingTime));
  r.Printf("          Interchange Level: %i\n", Get(d, kInterchangeLevel));
  r.Printf("      Max Interchange Level: %i\n", Get(d, kMaxInterchangeLevel));
  r.Printf("         Character Set List: %i\n", Get(d, kCharacterSetList));
  r.Printf("     Max Character Set List: %i\n", Get(d, kMaxCharacterSetList));
  r.Printf("            File Set Number: %i\n", Get(d, kFileSetNumber));
  r.Printf(" File Set Descriptor Number: %i\n", Get(d, kFileSetDescriptorNumber));
  r.Printf("      Log Volume Identifier: %i \n", Get(d, kVolumeIdCharSetType));
  AddIdentifier(r, "      Log Volume Identifier: '%s'\n", d, kVolumeId);
  r.Printf("     File Set Character Set: %i \n", Get(d, kFileSetCharSetType));
  AddIdentifier(r, "        File Set Identifier: '%s'\n", d, kFileSetId);
  AddIdentifier(r, "  Copyright File Identifier: '%s'\n", d, kCopyrightFileId);
  AddIdentifier(r, "   Abstract File Identifier: '%s'\n", d, kAbstractFileId);
  AddLongAd(r, "    Root Directory Location", At(d, kRootDirectory));
  AddEntityId(r, "          Domain Identifier: \n", At(d, kDomainId));
  AddLongAd(r, "       Next Extent Location", At(d, kNextExtent));
  AddLongAd(r, " System Stream Dir Location", At(d, kStreamDirectory));
}

void FileIdentifierBody(Report& r, const uint8_t* d, uint64_t offset) {
  using namespace fid;
  using fid::kImplementationUse;
  r.Printf("        File Version Number: %i\n", Get(d, kVersion));
  r.Printf("       File Characteristics: %i\n", Get(d, kCharacteristics));
  r.Printf("        File Identifier Len: %i\n", Get(d, kIdentifierLength));
  r.Printf("               ICB Location: %i\n", Get(At(d, kIcb), longad::kLocation));
  const uint16_t useLength = Get(d, kImplementationUseLength);
  r.Printf("      Implementaion Use Len: %i\n", useLength);
  const size_t shown = Available(kImplementationUse.offset, useLength);
  if (shown < useLength) r.Flag(kTruncated);
  r.HexDumpBlock(offset + kImplementationUse.offset, At(d, kImplementationUse), static_cast<int32_t>(shown), false);
}

void ExtendedFileEntryBody(Report& r, const uint8_t* d, uint64_t offset) {
  using namespace efe;
  const uint8_t* icb = At(d, kIcbTag);
  r.Add("                        ICB TAG:\n");
  r.Printf(" Prior Rec'd num of Entries: %i\n", Get(icb, icbtag::kPriorEntries));
  r.Printf("              Strategy Type: %i\n", Get(icb, icbtag::kStrategyType));
  r.Printf("             Strategy Param: %i\n", Get(icb, icbtag::kStrategyParameter));
  r.Printf("                Max Entries: %i\n", Get(icb, icbtag::kMaxEntries));
  r.Printf("                   Reserved: %i\n", Get(icb, icbtag::kReserved));
  r.Printf("                  File Type: %i (", Get(icb, icbtag::kFileType));
  r.Add(FileTypeName(Get(icb, icbtag::kFileType)));
  r.Add(")\n");
  r.Printf("            Parent Location: %i\n", Get(icb, icbtag::kParentLocation));
  r.Printf("               part ref num: %i\n", Get(icb, icbtag::kParentPartition));
  r.Printf("                      Flags: %i\n", Get(icb, icbtag::kFlags));
  r.Printf("                        uid: %08X\n", Get(d, kUid));
  r.Printf("                        gid: %08X\n", Get(d, kGid));
  r.Printf("                Permissions: %08X\n", Get(d, kPermissions));
  r.Printf("                 Link Count: %i\n", Get(d, kLinkCount));
  r.Printf("              Record Format: %i\n", Get(d, kRecordFormat));
  r.Printf("     Record Display Attribs: %i\n", Get(d, kRecordDisplayAttributes));
  r.Printf("              Record length: %i\n", Get(d, kRecordLength));
  r.Printf("                Info Length: %" PRId64 "\n", Get(d, kInformationLength));
  r.Printf("                Object Size: %" PRId64 "\n", Get(d, kObjectSize));
  r.Printf("    Logical Blocks Recorded: %" PRId64 "\n", Get(d, kLogicalBlocksRecorded));
  r.Printf("                Check Point: %i\n", Get(d, kCheckpoint));
  r.Printf("                   Reserved: %i\n", Get(d, kReserved));
  r.Printf("                EA Location: %i\n", Get(At(d, kExtendedAttributeIcb), longad::kLocation));
  r.Printf("        Stream Dir Location: %i\n", Get(At(d, kStreamDirectoryIcb), longad::kLocation));
  AddEntityId(r, "  Implementation Identifier: \n", At(d, kImplementationId));
  r.Printf("  Logical Blocks Recorded: %016" PRIX64 "\n", Get(d, kUniqueId));
  const uint32_t eaLength = Get(d, kExtendedAttributesLength);
  const uint32_t adLength = Get(d, kAllocationDescriptorsLength);
  r.Printf("              EA's length: %i\n", static_cast<int32_t>(eaLength));
  r.Printf(" Allocation Desc's length: %i\n", static_cast<int32_t>(adLength));
  // The allocation descriptors follow the extended attributes.
  const uint64_t adStart = uint64_t{kExtendedAttributes.offset} + eaLength;
  const size_t start = static_cast<size_t>(std::min<uint64_t>(adStart, kBufferSize));
  const size_t shown = Available(start, adLength);
  if (shown < adLength) r.Flag(kTruncated);
  r.HexDumpBlock(offset + adStart, d + start, static_cast<int32_t>(shown), false);
}

// The tag every descriptor starts with, then the body of the types whose
// layout is known.
void ListDescriptor(Report& r, const uint8_t* d, uint64_t offset, uint32_t sectorSize) {
  const uint16_t id = Get(d, tag::kIdentifier);
  r.Printf("                     Type: %i  ", id);
  if (const char* name = TagName(id))
    r.Add(name);
  else
    r.Flag(" <-- Must be 1 -> 9 or 256 -> 266.");

  const uint16_t version = Get(d, tag::kVersion);
  r.Printf("                  Version: %i \n", version);
  if (version < 2 || version > 3) r.Flag(" <-- Must be 2 or 3.");
  r.Printf("                Check Sum: %02X \n", Get(d, tag::kChecksum));
  if (TagChecksum(d) != Get(d, tag::kChecksum)) r.Flag(" <-- Checksum does not match!");
  r.Printf("                 reserved: %i \n", Get(d, tag::kReserved));
  if (Get(d, tag::kReserved) != 0) r.Flag(" <-- Should be zero!");
  r.Printf("           Tag Serial Num: %i \n", Get(d, tag::kSerial));

  const uint16_t storedCrc = Get(d, tag::kCrc);
  const uint16_t crcLength = Get(d, tag::kCrcLength);
  const size_t covered = Available(tag::kSize, crcLength);
  const uint16_t crc = ComputeTagCrc(d + tag::kSize, covered);
  r.Printf("           Descriptor CRC: 0x%04X \n", storedCrc);
  if (crc != storedCrc) r.FlagHex(" <-- Checksum does not match", crc, 4);
  r.Printf("       Descriptor CRC Len: %i \n", crcLength);
  if (covered < crcLength) r.Flag(kTruncated);
  r.Printf("             Tag Location: %i \n", Get(d, tag::kLocation));
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
}

}  // namespace

// One descriptor per sector, each read as 2,048 bytes at the offset its
// title shows.
DumpEnd DumpUdf(DumpContext& ctx) {
  const uint32_t sectorSize = ctx.isIso ? 2048 : 512;
  return WalkItems(
      ctx, sectorSize,
      [](Report& r, const WalkItem& item) { r.Printf("\nUDF Tag Identifier (0x%08X)\n", item.shown); },
      [sectorSize](Report& r, const WalkItem& item) { ListDescriptor(r, item.bytes, item.offset, sectorSize); },
      kDescriptorRead);
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
