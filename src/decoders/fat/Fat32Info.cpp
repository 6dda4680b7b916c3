// The FAT32 FS information sector listing.
#include <array>

#include "decoders/common/FieldText.h"
#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

DumpEnd DumpFat32Info(DumpContext& ctx) {
  namespace info = fat::info;
  Report& report = ctx.report;
  std::array<uint8_t, info::kSize> sector;
  ctx.Read(sector.data(), sector.size());
  const uint8_t* s = sector.data();

  report.Printf("FAT32 Info Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(sector.size());
  AddSignatureLine(report, "                   sig: ", s + info::kLeadSig.offset);
  if (Get(s, info::kLeadSig) != info::kLeadSigValue) report.Flag(" <--- should be 0x41615252.");
  report.Add("              reserved:");
  report.AppendPending();

  const bool anyNonZero =
      report.AppendDebugLines(ctx.ItemOffset() + info::kReserved.offset, At(s, info::kReserved), info::kReserved.size);
  report.Add("\n");
  if (anyNonZero) report.Flag("\nOne or more of the values above was not zero.\n");

  AddSignatureLine(report, "            struct sig: ", s + info::kStructSig.offset);
  if (Get(s, info::kStructSig) != info::kStructSigValue) report.Flag(" <--- should be 0x61417272.");
  const uint32_t freeCount = Get(s, info::kFreeCount);
  report.Printf("    Free Cluster Count: %i  %s\n", static_cast<int32_t>(freeCount),
                freeCount == 0xFFFFFFFFu ? "(Unknown)" : "");
  report.Printf("     Next Free Cluster: 0x%08X\n", Get(s, info::kNextFree));
  const uint8_t* r = At(s, info::kReserved2);
  report.Printf("              reserved: %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X %02X\n", r[0], r[1],
                r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10], r[11]);
  report.Printf("          Trailing sig: 0x%08X\n", Get(s, info::kTrailSig));
  if (Get(s, info::kTrailSig) != info::kTrailSigValue) report.Flag(" <--- should be 0xAA550000.");
  report.Add("\nFootnotes:\n 1.   32-bit litteral in PRAXO litteral format");
  report.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows Fat32InfoRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Fat32Info, .name = "fat32-info", .caption = "FAT32 Info Block", .group = kFatGroup,
     .help = "Dump the specified offset of data for the FAT32 FS Info Structure.", .decoder = DumpFat32Info},
  };
  return kRows;
}

}  // namespace trovik
