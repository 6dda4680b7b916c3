// DOS EXE (MZ) header listing, followed by the bytes where a PE file keeps
// its DOS stub, in the DOS Debug line format.
#include <array>
#include <cstdint>
#include <string>

#include "decoders/exe/ExeDecoders.h"
#include "decoders/exe/ExeLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace mz = exe::mz;

DumpEnd DumpMz(DumpContext& ctx) {
  std::array<uint8_t, mz::kSize> h{};
  ctx.Read(h.data(), h.size());
  const uint8_t* p = h.data();
  // Word i of a run of words that starts at `field`.
  auto w = [p](U16 field, size_t i = 0) { return static_cast<unsigned>(Get(p, Element(field, i))); };

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
  const U16 q1 = mz::kReserved1, q2 = mz::kReserved2;
  r.Printf("              Reserved: 0x%04X 0x%04X 0x%04X 0x%04X\n", w(q1), w(q1, 1), w(q1, 2), w(q1, 3));
  r.Printf("        OEM Identifier: 0x%04X\n", w(mz::kOemId));
  r.Printf("       OEM Information: 0x%04X\n", w(mz::kOemInfo));
  r.Printf(
      "              Reserved: 0x%04X 0x%04X 0x%04X 0x%04X 0x%04X\n"
      "                        0x%04X 0x%04X 0x%04X 0x%04X 0x%04X\n",
      w(q2), w(q2, 1), w(q2, 2), w(q2, 3), w(q2, 4), w(q2, 5), w(q2, 6), w(q2, 7), w(q2, 8), w(q2, 9));
  r.Printf("File Address of new EXE header: 0x%08X\n", Get(p, mz::kNewHeaderOffset));
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
