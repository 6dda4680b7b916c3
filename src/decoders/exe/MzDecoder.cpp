// DOS EXE (MZ) header listing, followed by the bytes where a PE file keeps
// its DOS stub, in the DOS Debug line format.
#include <array>
#include <cstdint>
#include <string>

#include "decoders/exe/ExeDecoders.h"
#include "decoders/exe/ExeLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

namespace mz = exe::mz;

}  // namespace

DumpEnd DumpMz(DumpContext& ctx) {
  std::array<uint8_t, mz::kSize> h{};
  ctx.Read(h.data(), h.size());
  const uint8_t* p = h.data();
  auto w = [p](size_t offset) { return static_cast<unsigned>(Le16(p + offset)); };

  Report& r = ctx.report;
  r.Printf("PE EXE:  DOS EXE Header (0x%08X)\n", ctx.start);
  ctx.CheckExtent(h.size());
  r.Printf("                 Magic: 0x%04X\n", w(mz::kMagic));
  r.Printf("    Bytes on last page: 0x%04X\n", w(mz::kBytesOnLastPage));
  r.Printf("         Pages in file: 0x%04X\n", w(mz::kPagesInFile));
  r.Printf("           Relocations: 0x%04X\n", w(mz::kRelocations));
  r.Printf("        Size of header: 0x%04X (paragraphs)\n", w(mz::kHeaderParagraphs));
  r.Printf("Min Extra Paras needed: 0x%04X\n", w(mz::kMinExtraParagraphs));
  r.Printf("Max Extra Paras needed: 0x%04X\n", w(mz::kMaxExtraParagraphs));
  r.Printf("      Initial SS Value: 0x%04X\n", w(mz::kInitialSs));
  r.Printf("      Initial SP Value: 0x%04X\n", w(mz::kInitialSp));
  r.Printf("              Checksum: 0x%04X\n", w(mz::kChecksum));
  r.Printf("      Initial IP Value: 0x%04X\n", w(mz::kInitialIp));
  r.Printf("      Initial CS Value: 0x%04X\n", w(mz::kInitialCs));
  r.Printf("    Relocation address: 0x%04X\n", w(mz::kRelocationTable));
  r.Printf("        Overlay number: 0x%04X\n", w(mz::kOverlayNumber));
  r.Printf("              Reserved: 0x%04X 0x%04X 0x%04X 0x%04X\n", w(mz::kReserved1), w(mz::kReserved1 + 2),
           w(mz::kReserved1 + 4), w(mz::kReserved1 + 6));
  r.Printf("        OEM Identifier: 0x%04X\n", w(mz::kOemId));
  r.Printf("       OEM Information: 0x%04X\n", w(mz::kOemInfo));
  const size_t q = mz::kReserved2;
  r.Printf(
      "              Reserved: 0x%04X 0x%04X 0x%04X 0x%04X 0x%04X\n"
      "                        0x%04X 0x%04X 0x%04X 0x%04X 0x%04X\n",
      w(q), w(q + 2), w(q + 4), w(q + 6), w(q + 8), w(q + 10), w(q + 12), w(q + 14), w(q + 16), w(q + 18));
  r.Printf("File Address of new EXE header: 0x%08X\n", Le32(p + mz::kNewHeaderOffset));
  r.Add("              DOS Stub:\n            ");
  r.AppendPending();

  // The stub is always the bytes right after the header; the new-header
  // offset is not followed.
  std::array<uint8_t, mz::kStubSize> stub{};
  ctx.Read(stub.data(), stub.size());
  r.AppendDebugLines(ctx.ItemOffset() + mz::kSize, stub.data(), stub.size());
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows MzRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Mz, .name = "mz", .caption = "DOS EXE", .group = kExeGroup,
     .help = "Dump the specified offset of data as the DOS EXE Header.", .decoder = DumpMz},
  };
  return kRows;
}

}  // namespace trovik
