// QOR file system directory slots: the file or directory slot, the
// sub-directory slot and the continue slot, each 128 bytes with an 8-bit
// CRC.
#include <algorithm>
#include <cinttypes>
#include <cstring>

#include "decoders/common/Checksums.h"
#include "decoders/qorfs/QorDecoders.h"
#include "decoders/qorfs/QorLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using namespace qor::slot;
namespace sub = qor::sub;
namespace cont = qor::cont;

constexpr const char* kTruncated = " <-- (truncated)";
constexpr const char* kContinuation = "\n                        ";

void Check(Report& report, bool fails, const char* annotation) {
  if (fails) report.Flag(annotation);
}

// The signature's characters from its most significant byte down.
void AddSigLine(Report& report, uint32_t sig) {
  report.Printf("                   sig: 0x%08X  ('%c%c%c%c') \n", sig, PrintableChar(static_cast<uint8_t>(sig >> 24)),
                PrintableChar(static_cast<uint8_t>(sig >> 16)), PrintableChar(static_cast<uint8_t>(sig >> 8)),
                PrintableChar(static_cast<uint8_t>(sig)));
}

// The CRC byte holds the low 8 bits of the CRC-32 of the slot taken with
// the CRC byte itself as zero.
void AddCrcLine(Report& report, const uint8_t* slot) {
  const uint8_t stored = Get(slot, kCrc);
  report.Printf("                   CRC: 0x%02X\n", stored);
  uint8_t copy[kSize];
  std::memcpy(copy, slot, kSize);
  Put(copy, kCrc, 0);
  const uint8_t computed = static_cast<uint8_t>(Crc32(copy, kSize));
  if (computed != stored) report.FlagHex(" <-- Should be", computed, 2);
}

void AddScratchLine(Report& report, const uint8_t* slot) {
  report.Printf("               scratch: 0x%02X\n", Get(slot, kScratch));
}

bool AnyNonZero(const uint8_t* bytes, size_t count) {
  return std::any_of(bytes, bytes + count, [](uint8_t b) { return b != 0; });
}

// The five reserved bytes of file and sub-directory slots.
void AddReservedLine(Report& report, const char* label, const uint8_t* slot, Bytes field) {
  const uint8_t* r = At(slot, field);
  report.Printf("%s%02X %02X %02X %02X %02X\n", label, r[0], r[1], r[2], r[3], r[4]);
  Check(report, AnyNonZero(r, field.size), " <-- Should be zeros.");
}

// The FAT entries of file and sub-directory slots, seven to a line; every
// entry, the last one too, is followed by a comma.
void AddFatList(Report& report, const uint8_t* entries, int count) {
  report.Add("                  fats: ");
  for (int i = 0; i < count; ++i) {
    report.Printf("0x%08X, ", Get(entries, Element(kFatEntry, i)));
    if ((i + 1) % 7 == 0) report.Add(kContinuation);
  }
}

// Ends a listing line; a list cut at the slot's end says so in red.
void EndList(Report& report, bool cut) {
  report.Add("\n");
  if (cut) report.Flag(kTruncated);
}

void AddFileSlot(Report& report, const uint8_t* slot) {
  AddSigLine(report, Get(slot, kSig));
  Check(report, Get(slot, kSig) != kSlotSig, " <-- Should be 0x534C4F54.");

  const uint32_t attribute = Get(slot, kAttribute);
  report.Printf("             Attribute: 0x%08X %s%s%s%s%s%s\n", attribute, (attribute & 0x01) ? " Archive" : "",
                (attribute & 0x02) ? " Subdirectory" : "", (attribute & 0x04) ? " Volume Label" : "",
                (attribute & 0x08) ? " System" : "", (attribute & 0x10) ? " Hidden" : "",
                (attribute & 0x20) ? " Read Only" : "");
  Check(report, (attribute & ~0x3Fu) != 0, " <-- Bits 31 - 6 should be zeros.");

  AddReservedLine(report, "                  resv: ", slot, kResv);
  const int fatEntries = Get(slot, kFatEntries);
  report.Printf("           Fat Entries: %i\n", fatEntries);
  Check(report, fatEntries > kMaxFatEntries, " <-- Must be 0 to 19.");
  AddCrcLine(report, slot);
  AddScratchLine(report, slot);
  Check(report, Get(slot, kScratch) != 0, " <-- Should be zero when written to disk.");

  report.Printf("               Created: 0x%08X\n", Get(slot, kCreated));
  report.Printf("         Last accessed: 0x%08X\n", Get(slot, kLastAccessed));
  report.Printf("             File Size: %" PRId64 "\n", Get(slot, kFileSize));
  report.Printf("          Fat Continue: %i\n", Get(slot, kFatContinue));
  report.Printf("         Name Continue: %i\n", Get(slot, kNameContinue));
  const uint16_t flags = Get(slot, kFlags);
  report.Printf("                 Flags: 0x%04X\n", flags);
  Check(report, flags != 0, " <-- Should be zero.");
  const int nameLength = Get(slot, kNameLength);
  report.Printf("           Name Length: %i\n", nameLength);
  Check(report, nameLength > kMaxNameLength, " <-- Should be no more than 80.");
  AddReservedLine(report, "                 resv1: ", slot, kResv1);

  // Name and FAT entries share the slot's last 80 bytes; neither is taken
  // from beyond them.
  const uint8_t* area = At(slot, kNameAndFats);
  const int areaBytes = static_cast<int>(kNameAndFats.size);
  if (nameLength != 0) {
    const int shown = std::min(nameLength, areaBytes);
    report.Add("                  name: ");
    for (int i = 0; i < shown; ++i) report.AddChar(area[i]);
    EndList(report, shown < nameLength);
  }
  if (fatEntries != 0) {
    const int fatOffset = std::min((nameLength + 3) & ~3, areaBytes);
    const int shown = std::min(fatEntries, (areaBytes - fatOffset) / static_cast<int>(U32::kSize));
    AddFatList(report, area + fatOffset, shown);
    EndList(report, shown < fatEntries);
  }
  report.Add("\n");
}

void AddSubDirSlot(Report& report, const uint8_t* slot) {
  AddSigLine(report, Get(slot, kSig));
  Check(report, Get(slot, kSig) != sub::kSubSig, " <-- Should be 0x53554220.");
  report.Printf("              Reserved: 0x%02X\n", Get(slot, sub::kReserved));
  Check(report, Get(slot, sub::kReserved) != 0, " <-- Should be 0x00.");
  report.Printf("      Parent Directory: 0x%016" PRIX64 "\n", Get(slot, sub::kParent));
  const int fatEntries = Get(slot, kFatEntries);
  report.Printf("           Fat Entries: %i\n", fatEntries);
  Check(report, fatEntries == 0 || fatEntries > sub::kMaxFatEntries, " <-- Must be 1 to 20.");
  AddCrcLine(report, slot);
  AddScratchLine(report, slot);
  Check(report, Get(slot, kScratch) != 0, " <-- Should be zero when written to disk.");

  report.Printf("               Created: 0x%08X\n", Get(slot, kCreated));
  const uint32_t reserved2 = Get(slot, sub::kReserved2);
  report.Printf("              Reserved: 0x%08X\n", reserved2);
  Check(report, reserved2 != 0, " <-- Should be 0x00000000.");
  report.Printf("             File Size: %" PRId64 "\n", Get(slot, kFileSize));
  report.Printf("          Fat Continue: %i\n", Get(slot, kFatContinue));
  report.Printf("                  Slot: %i\n", Get(slot, sub::kSlot));
  const uint16_t reserved3 = Get(slot, sub::kReserved3);
  report.Printf("              Reserved: 0x%04X\n", reserved3);
  Check(report, reserved3 != 0, " <-- Should be 0x0000.");
  report.Printf("           Name Length: %i\n", Get(slot, kNameLength));
  Check(report, Get(slot, kNameLength) != 0, " <-- Should be zero.");
  AddReservedLine(report, "              Reserved: ", slot, sub::kReserved4);

  if (fatEntries != 0) {
    const int shown = std::min(fatEntries, sub::kMaxFatEntries);
    AddFatList(report, At(slot, sub::kFats), shown);
    EndList(report, shown < fatEntries);
  }
  report.Add("\n");
}

void AddContinueSlot(Report& report, const uint8_t* slot) {
  const uint32_t sig = Get(slot, kSig);
  AddSigLine(report, sig);
  Check(report, sig != cont::kNameSig && sig != cont::kFatSig, " <-- Should be 0x4E414D45 or 0x46415420.");
  report.Printf("              Previous: %i\n", Get(slot, cont::kPrevious));
  report.Printf("                  Next: %i\n", Get(slot, cont::kNext));

  const int entries = Get(slot, cont::kEntries);
  const uint8_t flags = Get(slot, cont::kFlags);
  const bool wide = (flags & cont::kWideFats) != 0;
  const int bodyBytes = static_cast<int>(cont::kBody.size);
  report.Printf("               Entries: %i\n", entries);
  if (sig == cont::kNameSig)
    Check(report, entries > bodyBytes, " <-- Should be less <= 112.");
  else if (sig == cont::kFatSig && wide)
    Check(report, entries == 0 || entries > 14, " <-- Should be at least 1 and less <= 14.");
  else if (sig == cont::kFatSig)
    Check(report, entries == 0 || entries > 28, " <-- Should be at least 1 and less <= 28.");
  report.Printf("                 Flags: 0x%04X  (Using %i-bit fats)\n", flags, wide ? 64 : 32);
  AddCrcLine(report, slot);
  AddScratchLine(report, slot);

  const uint8_t* body = At(slot, cont::kBody);
  if (sig == cont::kNameSig) {
    const int shown = std::min(entries, bodyBytes);
    report.Add("                  name: ");
    for (int i = 0; i < shown; ++i) report.AddChar(body[i]);
    EndList(report, shown < entries);
  } else if (sig == cont::kFatSig) {
    // Here a continuation line starts only when another entry follows.
    const int itemBytes = static_cast<int>(wide ? U64::kSize : U32::kSize);
    const int perLine = wide ? 4 : 7;
    const int shown = std::min(entries, bodyBytes / itemBytes);
    report.Add("                  fats: ");
    for (int i = 0; i < shown; ++i) {
      if (i > 0 && i % perLine == 0) report.Add(kContinuation);
      if (wide)
        report.Printf("0x%016" PRIX64 ", ", Get(body, Element(kWideFatEntry, i)));
      else
        report.Printf("0x%08X, ", Get(body, Element(kFatEntry, i)));
    }
    EndList(report, shown < entries);
  } else {
    report.Printf("Illegal value found in sig: 0x%08X", sig);
    report.Add("\n");
  }
}

DumpEnd WalkSlots(DumpContext& ctx, const char* title, void (*list)(Report&, const uint8_t*)) {
  return WalkItems(
      ctx, kSize, [title](Report& r, const WalkItem& item) { r.Printf(title, item.shown); },
      [list](Report& r, const WalkItem& item) { list(r, item.bytes); });
}

}  // namespace

DumpEnd DumpQorSlot(DumpContext& ctx) { return WalkSlots(ctx, "QORFS Slot (0x%08X)\n", AddFileSlot); }

DumpEnd DumpQorSubdir(DumpContext& ctx) { return WalkSlots(ctx, "QORFS Sub Slot (0x%08X)\n", AddSubDirSlot); }

DumpEnd DumpQorCont(DumpContext& ctx) { return WalkSlots(ctx, "QORFS Continue Slot (0x%08X)\n", AddContinueSlot); }

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows QorSlotsRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::QorSlot, .name = "qor-slot", .caption = "Slot", .group = kQorGroup, .countEnabled = true,
     .defaultCount = 5, .help = "Dump the specified offset of data for the QORFS Slot Context.",
     .decoder = DumpQorSlot},
    {.id = DumpType::QorSubdir, .name = "qor-subdir", .caption = "Sub-Dir Slot", .group = kQorGroup,
     .countEnabled = true, .defaultCount = 5,
     .help = "Dump the specified offset of data for the QORFS Sub Directory Slot Context.", .decoder = DumpQorSubdir},
    {.id = DumpType::QorCont, .name = "qor-cont", .caption = "Cont Slot", .group = kQorGroup, .countEnabled = true,
     .defaultCount = 5, .help = "Dump the specified offset of data for the QORFS Continue Slot Context.",
     .decoder = DumpQorCont},
  };
  return kRows;
}

}  // namespace trovik
