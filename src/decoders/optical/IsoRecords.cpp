// ISO 9660 directory records and path table entries, Count of them in a row.
// Each record carries its own length; a zero length ends the walk (the zero
// fill at the end of a directory sector does just that).
#include <algorithm>
#include <cstdint>
#include <string>

#include "decoders/optical/IsoLayout.h"
#include "decoders/optical/IsoListing.h"
#include "decoders/optical/OpticalDecoders.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

// The name line. Names of one byte (the "." and ".." entries 0x00 and 0x01)
// show that byte; longer names show as text, the wide (Joliet) ones as
// `bytes` / 2 big-endian 16-bit characters.
void AddNameLine(Report& r, const uint8_t* name, size_t nameLength, bool wide) {
  if (nameLength < 2) {
    r.Printf("             File Name: 0x%02X\n", name[0]);
    return;
  }
  const std::string text = wide ? iso::WideText(name, nameLength / 2) : iso::NarrowText(name, nameLength);
  r.Printf("             File Name: %s\n", text.c_str());
}

void AddTitle(DumpContext& ctx, int index, const char* what) {
  const bool wide = ctx.type == DumpType::IsoDirWide || ctx.type == DumpType::IsoPathWide;
  const char* suffix = wide ? "(wide)" : "";
  if (ctx.count > 1)
    ctx.report.Printf("%03i) CD-ROM %s %s (0x%08X)\n", index, what, suffix, ctx.start);
  else
    ctx.report.Printf("CD-ROM %s %s (0x%08X)\n", what, suffix, ctx.start);
}

}  // namespace

DumpEnd DumpIsoDirRecord(DumpContext& ctx) {
  using namespace iso::dir;
  const bool wide = ctx.type == DumpType::IsoDirWide;
  Report& r = ctx.report;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t rec[256];
    ctx.ReadAt(ctx.ItemOffset(), rec, kFixedRead);
    const uint8_t length = Get(rec, kLength);
    if (length == 0) {
      r.AppendText("Record Len field is zero. Aborting...");
      return DumpEnd::Normal;
    }
    if (length > kFixedRead) ctx.Read(rec + kFixedRead, length - kFixedRead);

    AddTitle(ctx, i, "Root Dir");
    ctx.CheckExtent(length);
    r.Printf("                Length: %i\n", length);
    r.Printf("         Extended Attr: 0x%02X\n", Get(rec, kExtAttrLength));
    r.Printf("       Extent Location: %i (0x%08X)\n", Get(rec, kExtent), iso::AsStored(Get(rec, kExtentBe)));
    r.Printf("           Data Length: %i (0x%08X)\n", Get(rec, kDataLength), iso::AsStored(Get(rec, kDataLengthBe)));
    iso::AddDirDate(r, "                  Date: %04i/%02i/%02i %02i:%02i:%02i gmt offset: %i\n", At(rec, kDate));
    r.Printf("                 Flags: %i\n", Get(rec, kFlags));
    r.Printf("             Unit Size: %i\n", Get(rec, kUnitSize));
    r.Printf("              Gap Size: %i\n", Get(rec, kGapSize));
    r.Printf("          Sequence Num: %i (%04X)\n", Get(rec, kSequence), iso::AsStored(Get(rec, kSequenceBe)));
    const size_t nameLength = Get(rec, kNameLength);
    r.Printf("      File Name Length: %i\n", static_cast<int>(nameLength));
    // The name, its pad byte and the system use area are bounded by the
    // record: a name length that claims more shows only the bytes inside.
    const uint8_t* name = rec + kSize;
    const size_t room = length > kSize ? length - kSize : 0;
    if (room > 0) AddNameLine(r, name, std::min(nameLength, room), wide);
    const bool padded = nameLength % 2 == 0;
    if (padded && kSize + nameLength < length) r.Printf("              Pad Byte: 0x%02X\n", name[nameLength]);
    r.AppendPending();

    const size_t systemUseStart = kSize + (nameLength | 1);
    if (systemUseStart < length) {
      const size_t size = length - systemUseStart;
      r.Printf("     There is %i bytes of System Use space:\n", static_cast<int>(size));
      r.AppendPending();
      r.AppendDebugLines(ctx.ItemOffset() + systemUseStart, rec + systemUseStart, size);
      r.AppendText("\n\n");
    }

    if (length < kFixedRead) {
      // The record cannot hold its own fixed fields: the next record's offset
      // is unknowable, so the walk stops here.
      r.AppendText("Record Len field is too small. Aborting...");
      return DumpEnd::Normal;
    }
    ctx.Advance(length);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

DumpEnd DumpIsoPathTable(DumpContext& ctx) {
  using namespace iso::path;
  const bool wide = ctx.type == DumpType::IsoPathWide;
  Report& r = ctx.report;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t entry[264];
    ctx.ReadAt(ctx.ItemOffset(), entry, kFixedRead);
    const size_t nameLength = Get(entry, kNameLength);
    if (nameLength == 0) {
      r.AppendText("Ident Len field is zero. Aborting...");
      return DumpEnd::Normal;
    }
    // An odd-length name is followed by a pad byte so entries stay even.
    const size_t size = kSize + nameLength + (nameLength & 1);
    if (size > kFixedRead) ctx.Read(entry + kFixedRead, size - kFixedRead);

    AddTitle(ctx, i, "Path Table Entry");
    ctx.CheckExtent(size);
    r.Printf("          Ident Length: %i\n", static_cast<int>(nameLength));
    r.Printf("     Extended Attr Len: 0x%02X\n", Get(entry, kExtAttrLength));
    r.Printf("       Extent Location: %i\n", Get(entry, kExtent));
    r.Printf("         Parent Number: %i\n", Get(entry, kParent));
    const uint8_t* name = entry + kSize;
    AddNameLine(r, name, nameLength, wide);
    if (nameLength & 1) r.Printf("              Pad Byte: 0x%02X\n", name[nameLength]);
    r.AppendPending();

    ctx.Advance(size);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows IsoRecordsRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::IsoDir, .name = "iso-dir", .caption = "Root Entry", .group = kIsoGroup, .countEnabled = true,
     .defaultCount = 5, .decoder = DumpIsoDirRecord},
    {.id = DumpType::IsoDirWide, .name = "iso-dir-wide", .caption = "Root Entry (wide)", .group = kIsoGroup,
     .countEnabled = true, .defaultCount = 5, .decoder = DumpIsoDirRecord},
    {.id = DumpType::IsoPath, .name = "iso-path", .caption = "Path Table Entry", .group = kIsoGroup,
     .countEnabled = true, .defaultCount = 5, .decoder = DumpIsoPathTable},
    {.id = DumpType::IsoPathWide, .name = "iso-path-wide", .caption = "P Tab Entry (wide)", .group = kIsoGroup,
     .countEnabled = true, .defaultCount = 5, .decoder = DumpIsoPathTable},
  };
  return kRows;
}

}  // namespace trovik
