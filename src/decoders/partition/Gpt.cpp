// The GPT header listing with its checks and CRC, and the entry listing.
#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstring>

#include "decoders/common/Checksums.h"
#include "decoders/partition/GptMirror.h"
#include "decoders/partition/GptLayout.h"
#include "decoders/partition/PartitionDecoders.h"
#include "decoders/common/FieldText.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {
namespace hd = gpt::header;
namespace en = gpt::entry;
// The listing shows LBAs signed, as it always has.
int64_t Lba(const uint8_t* p, U64 field) { return static_cast<int64_t>(Get(p, field)); }
}  // namespace

uint32_t GptHeaderCrc(const uint8_t* headerSector) {
  std::array<uint8_t, hd::kSize> copy;
  std::memcpy(copy.data(), headerSector, copy.size());
  Put(copy.data(), hd::kHeaderCrc, 0);
  const uint32_t covered = std::min<uint32_t>(Get(copy.data(), hd::kHeaderSize), hd::kSize);
  return Crc32(copy.data(), covered);
}

DumpEnd DumpGptHeader(DumpContext& ctx) {
  Report& report = ctx.report;
  std::array<uint8_t, hd::kSize> sector;
  ctx.Read(sector.data(), sector.size());
  const uint8_t* h = sector.data();
  const uint8_t* sig = At(h, hd::kSignature);

  report.Printf("GUID Partition Header (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sector.size());
  // The characters are shown unfiltered; a zero byte adds nothing.
  report.Printf("                   sig: %02X %02X %02X %02X %02X %02X %02X %02X  '%c%c%c%c%c%c%c%c'\n", sig[0], sig[1],
                sig[2], sig[3], sig[4], sig[5], sig[6], sig[7], sig[0], sig[1], sig[2], sig[3], sig[4], sig[5], sig[6],
                sig[7]);
  const uint32_t revision = Get(h, hd::kRevision);
  report.Printf("               Version: %i.%02i\n", static_cast<int>(revision >> 16),
                static_cast<int>(revision & 0xFFFF));
  if (revision != gpt::kRevision1_0) report.Flag(" <-- Should be 1.00.");
  const uint32_t headerSize = Get(h, hd::kHeaderSize);
  report.Printf("           Header Size: %i\n", static_cast<int32_t>(headerSize));
  if (headerSize != gpt::kUsualHeaderSize) report.Flag(" <-- Should be 92.");
  const uint32_t storedCrc = Get(h, hd::kHeaderCrc);
  report.Printf("          Header crc32: 0x%08X\n", storedCrc);
  const uint32_t computedCrc = GptHeaderCrc(h);
  if (computedCrc == storedCrc)
    report.Note(" (correct)");
  else
    report.Flag(Format(" <-- Should be 0x%08X", computedCrc));
  report.Printf("              reserved: %08X\n", Get(h, hd::kReserved));
  const int64_t primaryLba = Lba(h, hd::kPrimaryLba);
  report.Printf("           Primary LBA: %" PRId64 "\n", primaryLba);
  if (primaryLba != 1) report.Flag(" <-- Should be 1.");
  report.Printf("            Backup LBA: %" PRId64 "\n", Lba(h, hd::kBackupLba));
  report.Printf("      First Usable LBA: %" PRId64 "\n", Lba(h, hd::kFirstUsableLba));
  report.Printf("       Last Usable LBA: %" PRId64 "\n", Lba(h, hd::kLastUsableLba));
  report.Printf("                  guid: %s\n", GuidText(At(h, hd::kDiskGuid)).c_str());
  const int64_t entryArrayLba = Lba(h, hd::kEntryArrayLba);
  report.Printf("          Entry Offset: %" PRId64 "\n", entryArrayLba);
  if (entryArrayLba != 2) report.Flag(" <-- Should be 2.");
  report.Printf("                Entrys: %i\n", static_cast<int32_t>(Get(h, hd::kEntryCount)));
  const uint32_t entrySize = Get(h, hd::kEntrySize);
  report.Printf("            Entry size: %i\n", static_cast<int32_t>(entrySize));
  if (entrySize % 8 != 0) report.Flag(" <-- Should be a multiple of 8.");
  report.Printf("           Entry crc32: %08X\n", Get(h, hd::kEntryArrayCrc));
  report.AppendPending();

  const bool anyNonZero = report.AppendDebugLines(ctx.ItemOffset() + hd::kReservedTail.offset,
                                                  At(h, hd::kReservedTail), hd::kReservedTail.size);
  report.Add("\n");
  if (anyNonZero) report.Flag("\nOne or more of the values above was not zero.");
  report.AppendPending();
  return DumpEnd::Normal;
}

DumpEnd DumpGptEntry(DumpContext& ctx) {
  return WalkItems(
      ctx, en::kSize, [](Report& r, const WalkItem& item) { r.Printf("GUID Partition Entry (0x%08X)\n", item.shown); },
      [](Report& r, const WalkItem& item) {
        const uint8_t* e = item.bytes;
        r.Printf("             guid type: %s\n", GuidText(At(e, en::kTypeGuid)).c_str());
        r.Printf("                  guid: %s\n", GuidText(At(e, en::kUniqueGuid)).c_str());
        r.Printf("             First LBA: %" PRId64 "\n", Lba(e, en::kFirstLba));
        r.Printf("              Last LBA: %" PRId64 "\n", Lba(e, en::kLastLba));
        const uint64_t attributes = Get(e, en::kAttributes);
        r.Printf("             Attribute: 0x%016" PRIX64 "\n", attributes);
        if (attributes >> gpt::kAttrReadOnly & 1) r.Add("                         Read Only (Microsoft)\n");
        if (attributes >> gpt::kAttrHidden & 1) r.Add("                         Hidden (Microsoft)\n");
        if (attributes >> gpt::kAttrNoAutomount & 1) r.Add("                         No Automount (Microsoft)\n");
        // The low byte of each UTF-16 unit, unfiltered; zero units add nothing
        // and the name goes on after them.
        r.Add("                  Name: ");
        for (size_t unit = 0; unit < en::kNameUnits; ++unit)
          r.AddChar(static_cast<uint8_t>(Get(e, en::NameUnit(unit))));
        r.Add("\n");
      });
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

namespace {
void MirrorHeader(uint64_t start, uint64_t length, FileAccess& file, RunHost& host) {
  OfferGptMirror(true, start, length, file, host);
}
void MirrorEntries(uint64_t start, uint64_t length, FileAccess& file, RunHost& host) {
  OfferGptMirror(false, start, length, file, host);
}
}  // namespace

DumpTypeRows GptRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::GptHeader, .name = "gpt-header", .caption = "Header", .group = kGptGroup,
     .help = "Dump the specified offset of data for a GUID Partition Table Header.", .decoder = DumpGptHeader,
     .edit = {.itemSize = gpt::header::kSize, .dumpAfterCancel = true, .afterWrite = MirrorHeader}},
    {.id = DumpType::GptEntry, .name = "gpt-entry", .caption = "Entry", .group = kGptGroup, .countEnabled = true,
     .defaultCount = 1, .help = "Dump the specified offset of data for a GUID Partition Table Entry.",
     .decoder = DumpGptEntry, .edit = {.itemSize = gpt::entry::kSize, .perItem = true, .dumpAfterCancel = true,
              .afterWrite = MirrorEntries}},
  };
  return kRows;
}

}  // namespace trovik
