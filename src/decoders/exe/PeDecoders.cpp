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
  std::array<uint8_t, pe::kSize> h{};
  ctx.Read(h.data(), h.size());
  const uint8_t* p = h.data();
  const uint32_t timeStamp = Get(p, pe::kTimeStamp);

  Report& r = ctx.report;
  r.Printf("PE EXE:  PE Header (0x%08X)\n", ctx.start);
  ctx.CheckExtent(h.size());
  r.Printf("              Signature: 0x%08X\n", Get(p, pe::kSignature));
  r.Printf("                Machine: 0x%04X\n", Get(p, pe::kMachine));
  r.Printf("     Number of Sections: %i\n", Get(p, pe::kNumberOfSections));
  r.Printf("             Time Stamp: 0x%08X  (%s)\n", timeStamp, FormatTimestampSeconds(timeStamp).c_str());
  r.Printf("Pointer to Symbol Table: 0x%08X\n", Get(p, pe::kSymbolTable));
  r.Printf("      Number of Symbols: %i\n", static_cast<int32_t>(Get(p, pe::kNumberOfSymbols)));
  r.Printf("Size of Optional Header: %i\n", Get(p, pe::kOptionalHeaderSize));
  r.Printf("        Characteristics: 0x%04X\n", Get(p, pe::kCharacteristics));
  r.AppendPending();
  return DumpEnd::Normal;
}

namespace {

// The optional header of one variant (opt::Pe32 or opt::Pe32Plus).
template <typename Variant>
DumpEnd ListOptional(DumpContext& ctx, const uint8_t* p) {
  Report& r = ctx.report;
  // The image base and the stack and heap sizes show as many digits as the
  // variant stores.
  auto sized = [&r, p](const char* label, auto field) {
    r.Printf("%s: 0x%0*" PRIX64 "\n", label, static_cast<int>(2 * field.kSize), static_cast<uint64_t>(Get(p, field)));
  };
  r.Printf("PE EXE:  PE Optional Header (0x%08X)\n", ctx.start);
  ctx.CheckExtent(Variant::kSize);
  r.Printf("                  Magic: 0x%04X\n", Get(p, opt::kMagic));
  r.Printf("   Major Linker Version: %i\n", Get(p, opt::kMajorLinker));
  r.Printf("   Minor Linker Version: %i\n", Get(p, opt::kMinorLinker));
  r.Printf("           Size of Code: 0x%08X\n", Get(p, opt::kSizeOfCode));
  r.Printf("  Initialized Data Size: 0x%08X\n", Get(p, opt::kInitializedData));
  r.Printf("Uninitialized Data Size: 0x%08X\n", Get(p, opt::kUninitializedData));
  r.Printf(" Address of Entry Point: 0x%08X\n", Get(p, opt::kEntryPoint));
  r.Printf("           Base of Code: 0x%08X\n", Get(p, opt::kBaseOfCode));
  if constexpr (requires { Variant::kBaseOfData; })
    r.Printf("           Base of Data: 0x%08X\n", Get(p, Variant::kBaseOfData));
  sized("             Image Base", Variant::kImageBase);
  r.Printf("      Section Alignment: 0x%08X\n", Get(p, opt::kSectionAlignment));
  r.Printf("         File Alignment: 0x%08X\n", Get(p, opt::kFileAlignment));
  r.Printf("    Major Image Version: %i\n", Get(p, opt::kMajorImageVersion));
  r.Printf("    Minor Image Version: %i\n", Get(p, opt::kMinorImageVersion));
  r.Printf("Major Subsystem Version: %i\n", Get(p, opt::kMajorSubsystemVersion));
  r.Printf("Minor Subsystem Version: %i\n", Get(p, opt::kMinorSubsystemVersion));
  r.Printf("               Reserved: 0x%08X\n", Get(p, opt::kWin32Version));
  r.Printf("          Size of Image: 0x%08X\n", Get(p, opt::kSizeOfImage));
  r.Printf("        Size of Headers: 0x%08X\n", Get(p, opt::kSizeOfHeaders));
  r.Printf("               Checksum: 0x%08X\n", Get(p, opt::kChecksum));
  r.Printf("              Subsystem: 0x%04X\n", Get(p, opt::kSubsystem));
  r.Printf("    DLL Characteristics: 0x%04X\n", Get(p, opt::kDllCharacteristics));
  sized("  Size of Stack Reserve", Variant::kStackReserve);
  sized("   Size of Stack Commit", Variant::kStackCommit);
  sized("   Size of Heap Reserve", Variant::kHeapReserve);
  sized("    Size of Heap Commit", Variant::kHeapCommit);
  r.Printf("           Loader Flags: 0x%08X\n", Get(p, Variant::kLoaderFlags));
  r.Printf("Number of RVA and Sizes: 0x%08X\n", Get(p, Variant::kNumberOfRvaAndSizes));
  // All sixteen slots lie inside the header that was read, whatever count
  // the header itself gives.
  for (size_t k = 0; k < opt::kDataDirectoryCount; ++k) {
    const uint8_t* d = At(p, Variant::kDataDirectories) + opt::directory::kSize * k;
    r.Printf("       Data Directory %02i: Virtual Address = 0x%08X, Size = 0x%08X\n", static_cast<int>(k),
             Get(d, opt::directory::kVirtualAddress), Get(d, opt::directory::kLength));
  }
  r.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace

DumpEnd DumpPeOptional(DumpContext& ctx) {
  // Read the PE32 size first; a PE32+ header is 16 bytes longer.
  std::array<uint8_t, opt::Pe32Plus::kSize> h{};
  ctx.Read(h.data(), opt::Pe32::kSize);
  if (Get(h.data(), opt::kMagic) != opt::kMagicPe32Plus) return ListOptional<opt::Pe32>(ctx, h.data());
  ctx.Read(h.data() + opt::Pe32::kSize, opt::Pe32Plus::kSize - opt::Pe32::kSize);
  return ListOptional<opt::Pe32Plus>(ctx, h.data());
}

DumpEnd DumpPeSection(DumpContext& ctx) {
  return WalkItems(
      ctx, section::kSize,
      [](Report& r, const WalkItem& item) { r.Printf("PE EXE:  PE Section Header (0x%08X)\n", item.shown); },
      [](Report& r, const WalkItem& item) {
        const uint8_t* p = item.bytes;
        const uint8_t* name = At(p, section::kName);
        r.Add("                   Name: ");
        for (size_t i = 0; i < section::kName.size; ++i) r.Printf(" %02X", name[i]);
        r.Add("     [");
        // Zero padding and other unprintable bytes show as blanks so the
        // brackets keep their columns.
        for (size_t i = 0; i < section::kName.size; ++i) r.AddChar(name[i] >= 0x21 && name[i] <= 0x7F ? name[i] : ' ');
        r.Add("]\n");
        r.Printf("Physical Address/Virtual Size: 0x%08X\n", Get(p, section::kVirtualSize));
        r.Printf("        Virtual Address: 0x%08X\n", Get(p, section::kVirtualAddress));
        r.Printf("       Size of Raw Data: 0x%08X\n", Get(p, section::kSizeOfRawData));
        r.Printf("    Pointer to Raw Data: 0x%08X\n", Get(p, section::kPointerToRawData));
        r.Printf(" Pointer to Relocations: 0x%08X\n", Get(p, section::kPointerToRelocations));
        r.Printf("Pointer to Line Numbers: 0x%08X\n", Get(p, section::kPointerToLineNumbers));
        r.Printf("  Number of Relocations: %i\n", Get(p, section::kNumberOfRelocations));
        r.Printf(" Number of Line Numbers: %i\n", Get(p, section::kNumberOfLineNumbers));
        r.Printf("        Characteristics: 0x%08X\n", Get(p, section::kCharacteristics));
        r.Add("\n");
      });
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
