// LEAN directory entries: variable-length records, each found from the
// previous one's record length.
#include <algorithm>
#include <cinttypes>

#include "decoders/lean/LeanDecoders.h"
#include "decoders/lean/LeanLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace lean::dir;

// Type 4 has no name in the directory's own table; it is the fork, as in
// the inode's file-type field.
constexpr const char* kTypeNames[kTypeCount] = {"Empty", "Regular", "Directory", "Symbolic", "Fork"};

// Lists bytes a fixed number to a line, each line ended by a line break and
// the indent of the next; at most kMaxListLines lines.
template <typename AddByte>
void AddByteLines(Report& report, int count, int perLine, AddByte addByte) {
  count = std::min(count, perLine * kMaxListLines);
  for (int i = 0; i < count; ++i) {
    addByte(i);
    if ((i + 1) % perLine == 0 || i + 1 == count) report.Add("\n            ");
  }
}

}  // namespace

DumpEnd DumpLeanDir(DumpContext& ctx) {
  Report& report = ctx.report;
  uint64_t recordPosition = ctx.Position();
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t record[kHeadBytes + kMaxRestBytes];
    ctx.ReadAt(recordPosition, record, kHeadBytes);
    const uint64_t inode = Get(record, kInode);
    const int type = Get(record, kType);
    const int recordLen = Get(record, kRecordLen);
    const int nameLen = Get(record, kNameLen);
    const int size = recordLen * kRecordUnit;

    report.Printf("LEAN FS Directory Entry (0x%08X)\n", ctx.start);
    ctx.CheckExtent(static_cast<uint64_t>(kHeadBytes + std::clamp(size - kHeadBytes, 0, kMaxRestBytes)));
    report.Printf("                  Inode: 0x%016" PRIX64 "  (%" PRIu64 ")\n", inode, inode);
    if (type < kTypeCount)
      report.Printf("                   Type: 0x%02X: %s\n", type, kTypeNames[type]);
    else
      report.Printf("                   Type: 0x%02X  *error* (0-4 only)\n", type);
    if (recordLen <= kMaxRecordLen)
      report.Printf("             Record Len: 0x%02X: (%i bytes)\n", recordLen, size);
    else
      report.Printf("             Record Len: 0x%02X: (%i bytes) *error* Must be <= 0x20\n", recordLen, size);
    if (nameLen <= size - kHeadBytes)
      report.Printf("               Name Len: 0x%02X: (%i)\n", nameLen, nameLen);
    else
      report.Printf("               Name Len: 0x%02X: (%i) *error* Must be <= ((Record Len * 16) - 12)\n", nameLen,
                    nameLen);

    // A record longer than a sector is read only up to the sector's end;
    // the listings never go past the bytes read.
    const int restBytes = size > kHeadBytes ? std::min(size - kHeadBytes, kMaxRestBytes) : 0;
    if (restBytes > 0) ctx.ReadAt(recordPosition + kHeadBytes, record + kHeadBytes, static_cast<size_t>(restBytes));
    const uint8_t* rest = record + kHeadBytes;

    report.Add("                       Name: ");
    const int shownName = std::min(nameLen, restBytes);
    if (nameLen == 0) {
      report.Add("*Empty*\n            ");
    } else {
      AddByteLines(report, shownName, kNameBytesPerLine, [&](int k) {
        report.AddChar(rest[k]);
        report.Printf(" (%02X)", rest[k]);
      });
    }
    AddByteLines(report, restBytes - nameLen, kPadBytesPerLine,
                 [&](int k) { report.Printf("%02X ", rest[nameLen + k]); });
    report.Add("\n");
    report.AppendPending();

    if (recordLen == 0) {
      report.Add("            RecLen = 0.  Breaking out of loop...\n");
      report.AppendPending();
      return DumpEnd::Normal;
    }
    if (ctx.AbortRequested()) return DumpEnd::Abort;
    // The next record starts where this one's length says, which is also
    // the offset its title shows.
    recordPosition += static_cast<uint64_t>(size);
    ctx.Advance(static_cast<uint64_t>(size));
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows LeanDirectoryRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::LeanDir, .name = "lean-dir", .caption = "Directory Entry", .group = kLeanGroup,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data for the LEAN FS Directory Entry.", .decoder = DumpLeanDir},
  };
  return kRows;
}

}  // namespace trovik
