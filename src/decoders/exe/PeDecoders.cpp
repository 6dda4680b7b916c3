// PE signature and file header, optional header (PE32 and PE32+) and
// section table listings.
#include <array>
#include <cinttypes>
#include <cstdint>

#include "decoders/exe/ExeDecoders.h"
#include "decoders/exe/ExeLayout.h"
#include "decoders/common/FieldText.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace pe = exe::pe;
namespace opt = exe::opt;
namespace section = exe::section;

DumpEnd DumpPeHeader(DumpContext& ctx) {
  std::array<uint8_t, pe::kHeaderSize> h{};
  ctx.Read(h.data(), h.size());
  const uint8_t* p = h.data();
  const uint32_t timeStamp = Le32(p + pe::kTimeStamp);

  Report& r = ctx.report;
  r.Printf("PE EXE:  PE Header (0x%08X)\n", ctx.start);
  ctx.CheckExtent(h.size());
  r.Printf("              Signature: 0x%08X\n", Le32(p + pe::kSignature));
  r.Printf("                Machine: 0x%04X\n", Le16(p + pe::kMachine));
  r.Printf("     Number of Sections: %i\n", Le16(p + pe::kNumberOfSections));
  r.Printf("             Time Stamp: 0x%08X  (%s)\n", timeStamp, FormatTimestampSeconds(timeStamp).c_str());
  r.Printf("Pointer to Symbol Table: 0x%08X\n", Le32(p + pe::kSymbolTable));
  r.Printf("      Number of Symbols: %i\n", SignedLe32(p + pe::kNumberOfSymbols));
  r.Printf("Size of Optional Header: %i\n", Le16(p + pe::kOptionalHeaderSize));
  r.Printf("        Characteristics: 0x%04X\n", Le16(p + pe::kCharacteristics));
  r.AppendPending();
  return DumpEnd::Normal;
}

DumpEnd DumpPeOptional(DumpContext& ctx) {
  // Read the PE32 size first; a PE32+ header is 16 bytes longer.
  std::array<uint8_t, opt::kMaxSize> h{};
  ctx.Read(h.data(), opt::kPe32.size);
  const uint8_t* p = h.data();
  const uint16_t magic = Le16(p + opt::kMagic);
  const opt::Layout& l = magic == opt::kMagicPe32Plus ? opt::kPe32Plus : opt::kPe32;
  if (l.size > opt::kPe32.size) ctx.Read(h.data() + opt::kPe32.size, l.size - opt::kPe32.size);

  Report& r = ctx.report;
  r.Printf("PE EXE:  PE Optional Header (0x%08X)\n", ctx.start);
  ctx.CheckExtent(l.size);
  r.Printf("                  Magic: 0x%04X\n", magic);
  r.Printf("   Major Linker Version: %i\n", p[opt::kMajorLinker]);
  r.Printf("   Minor Linker Version: %i\n", p[opt::kMinorLinker]);
  r.Printf("           Size of Code: 0x%08X\n", Le32(p + opt::kSizeOfCode));
  r.Printf("  Initialized Data Size: 0x%08X\n", Le32(p + opt::kInitializedData));
  r.Printf("Uninitialized Data Size: 0x%08X\n", Le32(p + opt::kUninitializedData));
  r.Printf(" Address of Entry Point: 0x%08X\n", Le32(p + opt::kEntryPoint));
  r.Printf("           Base of Code: 0x%08X\n", Le32(p + opt::kBaseOfCode));
  if (l.wide) {
    r.Printf("             Image Base: 0x%016" PRIX64 "\n", Le64(p + l.imageBase));
  } else {
    r.Printf("           Base of Data: 0x%08X\n", Le32(p + l.baseOfData));
    r.Printf("             Image Base: 0x%08X\n", Le32(p + l.imageBase));
  }
  r.Printf("      Section Alignment: 0x%08X\n", Le32(p + opt::kSectionAlignment));
  r.Printf("         File Alignment: 0x%08X\n", Le32(p + opt::kFileAlignment));
  r.Printf("    Major Image Version: %i\n", Le16(p + opt::kMajorImageVersion));
  r.Printf("    Minor Image Version: %i\n", Le16(p + opt::kMinorImageVersion));
  r.Printf("Major Subsystem Version: %i\n", Le16(p + opt::kMajorSubsystemVersion));
  r.Printf("Minor Subsystem Version: %i\n", Le16(p + opt::kMinorSubsystemVersion));
  r.Printf("               Reserved: 0x%08X\n", Le32(p + opt::kWin32Version));
  r.Printf("          Size of Image: 0x%08X\n", Le32(p + opt::kSizeOfImage));
  r.Printf("        Size of Headers: 0x%08X\n", Le32(p + opt::kSizeOfHeaders));
  r.Printf("               Checksum: 0x%08X\n", Le32(p + opt::kChecksum));
  r.Printf("              Subsystem: 0x%04X\n", Le16(p + opt::kSubsystem));
  r.Printf("    DLL Characteristics: 0x%04X\n", Le16(p + opt::kDllCharacteristics));
  if (l.wide) {
    r.Printf("  Size of Stack Reserve: 0x%016" PRIX64 "\n", Le64(p + l.stackReserve));
    r.Printf("   Size of Stack Commit: 0x%016" PRIX64 "\n", Le64(p + l.stackCommit));
    r.Printf("   Size of Heap Reserve: 0x%016" PRIX64 "\n", Le64(p + l.heapReserve));
    r.Printf("    Size of Heap Commit: 0x%016" PRIX64 "\n", Le64(p + l.heapCommit));
  } else {
    r.Printf("  Size of Stack Reserve: 0x%08X\n", Le32(p + l.stackReserve));
    r.Printf("   Size of Stack Commit: 0x%08X\n", Le32(p + l.stackCommit));
    r.Printf("   Size of Heap Reserve: 0x%08X\n", Le32(p + l.heapReserve));
    r.Printf("    Size of Heap Commit: 0x%08X\n", Le32(p + l.heapCommit));
  }
  r.Printf("           Loader Flags: 0x%08X\n", Le32(p + l.loaderFlags));
  r.Printf("Number of RVA and Sizes: 0x%08X\n", Le32(p + l.numberOfRvaAndSizes));
  // All sixteen slots lie inside the header that was read, whatever count
  // the header itself gives.
  for (size_t k = 0; k < opt::kDataDirectories; ++k) {
    const uint8_t* d = p + l.dataDirectories + 8 * k;
    r.Printf("       Data Directory %02i: Virtual Address = 0x%08X, Size = 0x%08X\n", static_cast<int>(k), Le32(d),
             Le32(d + 4));
  }
  r.AppendPending();
  return DumpEnd::Normal;
}

DumpEnd DumpPeSection(DumpContext& ctx) {
  for (int item = 0; item < ctx.count && ctx.NextItem(); ++item) {
    std::array<uint8_t, section::kSize> s{};
    ctx.Read(s.data(), s.size());
    const uint8_t* p = s.data();

    Report& r = ctx.report;
    r.Printf("PE EXE:  PE Section Header (0x%08X)\n", ctx.start);
    ctx.CheckExtent(s.size());
    r.Add("                   Name: ");
    for (size_t i = 0; i < section::kNameLength; ++i) r.Printf(" %02X", p[section::kName + i]);
    r.Add("     [");
    // Zero padding and other unprintable bytes show as blanks so the
    // brackets keep their columns.
    for (size_t i = 0; i < section::kNameLength; ++i) {
      const uint8_t c = p[section::kName + i];
      r.AddChar(c >= 0x21 && c <= 0x7F ? c : ' ');
    }
    r.Add("]\n");
    r.Printf("Physical Address/Virtual Size: 0x%08X\n", Le32(p + section::kVirtualSize));
    r.Printf("        Virtual Address: 0x%08X\n", Le32(p + section::kVirtualAddress));
    r.Printf("       Size of Raw Data: 0x%08X\n", Le32(p + section::kSizeOfRawData));
    r.Printf("    Pointer to Raw Data: 0x%08X\n", Le32(p + section::kPointerToRawData));
    r.Printf(" Pointer to Relocations: 0x%08X\n", Le32(p + section::kPointerToRelocations));
    r.Printf("Pointer to Line Numbers: 0x%08X\n", Le32(p + section::kPointerToLineNumbers));
    r.Printf("  Number of Relocations: %i\n", Le16(p + section::kNumberOfRelocations));
    r.Printf(" Number of Line Numbers: %i\n", Le16(p + section::kNumberOfLineNumbers));
    r.Printf("        Characteristics: 0x%08X\n", Le32(p + section::kCharacteristics));
    r.Add("\n");
    r.AppendPending();
    ctx.Advance(section::kSize);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows PeRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::PeHeader, .name = "pe-header", .caption = "PE Header", .group = kExeGroup,
     .help = "Dump the specified offset of data as the PE EXE Header.", .decoder = DumpPeHeader},
    {.id = DumpType::PeOptional, .name = "pe-optional", .caption = "PE Optional Header", .group = kExeGroup,
     .help = "Dump the specified offset of data as the PE EXE Optional Header.", .decoder = DumpPeOptional},
    {.id = DumpType::PeSection, .name = "pe-section", .caption = "PE Section Header", .group = kExeGroup,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data as the PE EXE Section Header.", .decoder = DumpPeSection},
  };
  return kRows;
}

}  // namespace trovik
