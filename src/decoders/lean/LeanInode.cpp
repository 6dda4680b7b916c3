// The LEAN inode: counts, owner, attribute bits, sizes, time stamps, the
// extents held in the inode and the inline extended attributes that may
// follow it in the same block.
#include <algorithm>
#include <cinttypes>

#include "decoders/common/Checksums.h"
#include "decoders/lean/LeanDecoders.h"
#include "decoders/lean/LeanLayout.h"
#include "decoders/common/FieldText.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace lean::inode;

struct AttributeLine {
  uint32_t bit;
  const char* text;
};

// Permission bits first, in the order of a Unix mode string.
constexpr AttributeLine kAttributeLines[] = {
    {0x00000100, "                + Owner: read permission\n"},
    {0x00000080, "                + Owner: write permission\n"},
    {0x00000040, "                + Owner: execute permission\n"},
    {0x00000020, "                + Group: read permission\n"},
    {0x00000010, "                + Group: write permission\n"},
    {0x00000008, "                + Group: execute permission\n"},
    {0x00000004, "                + Other: read permission\n"},
    {0x00000002, "                + Other: write permission\n"},
    {0x00000001, "                + Other: execute permission\n"},
    {0x00000400, "                + Other: execute as user id\n"},
    {0x00000800, "                + Other: execute as group id\n"},
    {0x00001000, "                + Hidden\n"},
    {0x00002000, "                + System\n"},
    {0x00004000, "                + Archive\n"},
    {0x00008000, "                + Synchronous updates\n"},
    {0x00010000, "                + Don't update last access time\n"},
    {0x00020000, "                + Don't move file blocks\n"},
    {0x00040000, "                + Don't truncate file on close\n"},
    {0x00080000, "                + Extended Attributes exist after INODE\n"},
    {0x00100000, "                + File Data starts after INODE\n"},
};

void AddAttributes(Report& report, uint32_t attributes) {
  for (const AttributeLine& line : kAttributeLines)
    if (attributes & line.bit) report.Add(line.text);
  switch (attributes & kFileTypeMask) {
    case kTypeRegular: report.Add("                + File type: regular file\n"); break;
    case kTypeDirectory: report.Add("                + File type: directory\n"); break;
    case kTypeSymlink: report.Add("                + File type: symbolic link\n"); break;
    case kTypeFork: report.Add("                + File type: fork\n"); break;
    default: break;
  }
}

void AddTime(Report& report, const char* format, const uint8_t* block, U64 field) {
  const uint64_t microseconds = Get(block, field);
  report.Printf(format, microseconds, FormatTimestamp(microseconds).c_str());
}

// Name and data are shown as text that ends at their first NUL byte.
void AddAttributeText(Report& report, const char* label, const uint8_t* bytes, int length) {
  report.Add(label);
  for (int i = 0; i < length && bytes[i] != 0; ++i) report.AddChar(bytes[i]);
  report.Add("\n");
}

// Walks the attribute entries of the 312-byte area after the inode. Every
// byte shown comes from inside the area, whatever the lengths claim.
void AddInlineAttributes(Report& report, const uint8_t* area) {
  constexpr int kAreaBytes = static_cast<int>(kAttributeArea.size);
  constexpr int kHeadBytes = static_cast<int>(kAttributeHead.End());
  report.Add("Extended Attributes:\n");
  int position = 0;
  for (int index = 0; index < kMaxAttributes; ++index) {
    const uint32_t head = Get(area + position, kAttributeHead);
    const int nameLen = static_cast<int>(head >> 24);
    const int dataLen = static_cast<int>(head & 0x00FFFFFF);
    report.Printf(" % 3i: name_len = %i  data_len = %i\n", index, nameLen, dataLen);
    const int room = kAreaBytes - position - kHeadBytes;
    if (nameLen + dataLen > room) report.Flag(" <-- name and/or data past block boundary for inode.");

    const uint8_t* name = area + position + kHeadBytes;
    if (nameLen > 0) AddAttributeText(report, "        name: ", name, std::min(nameLen, room));
    int shownData = dataLen;
    if (shownData > kMaxAttributeData) {
      report.Add("        Truncating data_len to 255\n");
      shownData = kMaxAttributeData;
    }
    if (shownData > 0) {
      const int dataRoom = std::max(0, room - nameLen);
      AddAttributeText(report, "        data: ", name + std::min(nameLen, room), std::min(shownData, dataRoom));
    }

    if (nameLen + dataLen == 0) break;
    position += kHeadBytes + ((nameLen + dataLen + 3) & ~3);
    if (position >= kAreaBytes) break;
  }
}

}  // namespace

DumpEnd DumpLeanInode(DumpContext& ctx) {
  uint8_t block[lean::kBlockBytes];
  ctx.Read(block, sizeof block);
  const uint32_t computed = RotateAddChecksum(block, kSize);
  Report& report = ctx.report;

  report.Printf("LEAN FS Inode (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sizeof block);

  const uint32_t checksum = Get(block, kChecksum);
  report.Printf("               Checksum: 0x%08X\n", checksum);
  if (checksum != computed) report.FlagHex(" <-- Should be:", computed, 8);

  report.Printf("                  Magic: 0x%08X  (", Get(block, kMagic));
  for (int i = 0; i < 4; ++i) report.AddChar(static_cast<uint8_t>(Get(block, kMagic) >> (8 * i)));
  report.Add(")\n");
  if (Get(block, kMagic) != kMagicValue) report.Flag(" <-- Should be 0x45444F4E");

  const uint8_t* reserved = At(block, kReserved);
  report.Printf("               Reserved: %02X %02X %02X\n", reserved[0], reserved[1], reserved[2]);
  if (reserved[0] || reserved[1] || reserved[2]) report.Flag(" <-- Should be zero.");

  report.Printf("         Indirect Count: %i\n", Get(block, kIndirectCount));
  const uint32_t links = Get(block, kLinksCount);
  report.Printf("            Links Count: %i\n", static_cast<int32_t>(links));
  if (links == 0) report.Flag(" <-- Should not be zero.");
  const uint32_t uid = Get(block, kUid);
  const uint32_t gid = Get(block, kGid);
  report.Printf("                    UID: 0x%08X (%i)\n", uid, static_cast<int32_t>(uid));
  report.Printf("                    GID: 0x%08X (%i)\n", gid, static_cast<int32_t>(gid));

  const uint32_t attributes = Get(block, kAttributes);
  report.Printf("             Attributes: 0x%08X\n", attributes);
  AddAttributes(report, attributes);

  const uint64_t fileSize = Get(block, kFileSize);
  const uint64_t blockCount = Get(block, kBlockCount);
  report.Printf("              File Size: 0x%016" PRIX64 "  (%" PRIu64 ")\n", fileSize, fileSize);
  report.Printf("            Block Count: 0x%016" PRIX64 "  (%" PRIu64 ")\n", blockCount, blockCount);
  AddTime(report, "            Last Access: 0x%016" PRIX64 "  (%s)\n", block, kLastAccess);
  AddTime(report, "     Status Change Time: 0x%016" PRIX64 "  (%s)\n", block, kStatusChange);
  AddTime(report, "      Last Modification: 0x%016" PRIX64 "  (%s)\n", block, kLastModification);
  AddTime(report, "          File Creation: 0x%016" PRIX64 "  (%s)\n", block, kCreation);

  const uint64_t firstIndirect = Get(block, kFirstIndirect);
  const uint64_t lastIndirect = Get(block, kLastIndirect);
  const uint64_t fork = Get(block, kFork);
  report.Printf("  First Indirect Block: 0x%016" PRIX64 " (%" PRIu64 ")\n", firstIndirect, firstIndirect);
  report.Printf("   Last Indirect Block: 0x%016" PRIX64 " (%" PRIu64 ")\n", lastIndirect, lastIndirect);
  report.Printf("                   Fork: 0x%016" PRIX64 " (%" PRIu64 ")\n", fork, fork);

  // All eight extent slots are shown, used or not.
  report.Printf("      Number of Extents: %i\n", Get(block, kExtentCount));
  for (int n = 0; n < kExtents; ++n) {
    const uint64_t start = Get(block, Element(kExtentStarts, n));
    const uint32_t size = Get(block, Element(kExtentSizes, n));
    report.Printf("               Extent %i:  start 0x%016" PRIX64 " (%" PRIu64 "), size 0x%08X (%i)\n", n, start,
                  start, size, static_cast<int32_t>(size));
  }

  if (attributes & kAttrExtendedAttributes) AddInlineAttributes(report, At(block, kAttributeArea));

  report.Add("\n");
  report.AppendPending();
  return ctx.AbortRequested() ? DumpEnd::Abort : DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows LeanInodeRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::LeanInode, .name = "lean-inode", .caption = "Inode", .group = kLeanGroup,
     .help = "Dump the specified offset of data for the LEAN FS Inode.", .decoder = DumpLeanInode},
  };
  return kRows;
}

}  // namespace trovik
