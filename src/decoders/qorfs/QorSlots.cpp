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

constexpr const char* kTruncated = " <-- (truncated)";
constexpr const char* kContinuation = "\n                        ";

void Check(Report& report, bool fails, const char* annotation) {
  if (fails) report.Flag(annotation);
}

void AddSigLine(Report& report, const uint8_t* slot) {
  report.Printf("                   sig: 0x%08X  ('%c%c%c%c') \n", Le32(slot + kSig), PrintableChar(slot[3]),
                PrintableChar(slot[2]), PrintableChar(slot[1]), PrintableChar(slot[0]));
}

// The CRC byte holds the low 8 bits of the CRC-32 of the slot taken with
// the CRC byte itself as zero.
void AddCrcLine(Report& report, const uint8_t* slot) {
  report.Printf("                   CRC: 0x%02X\n", slot[kCrc]);
  uint8_t copy[kBytes];
  std::memcpy(copy, slot, kBytes);
  copy[kCrc] = 0;
  const uint8_t computed = static_cast<uint8_t>(Crc32(copy, kBytes));
  if (computed != slot[kCrc]) report.FlagHex(" <-- Should be", computed, 2);
}

void AddScratchLine(Report& report, const uint8_t* slot) {
  report.Printf("               scratch: 0x%02X\n", slot[kScratch]);
}

bool AnyNonZero(const uint8_t* bytes, int count) {
  return std::any_of(bytes, bytes + count, [](uint8_t b) { return b != 0; });
}

// How many whole items of itemBytes fit between offset and the slot's end.
int ItemsInSlot(int offset, int itemBytes) { return offset >= kBytes ? 0 : (kBytes - offset) / itemBytes; }

// The FAT entries of file and sub-directory slots, seven to a line; every
// entry, the last one too, is followed by a comma.
void AddFatList(Report& report, const uint8_t* entries, int count) {
  report.Add("                  fats: ");
  for (int i = 0; i < count; ++i) {
    report.Printf("0x%08X, ", Le32(entries + 4 * i));
    if ((i + 1) % 7 == 0) report.Add(kContinuation);
  }
}

// Ends a listing line; a list cut at the slot's end says so in red.
void EndList(Report& report, bool cut) {
  report.Add("\n");
  if (cut) report.Flag(kTruncated);
}

void AddFileSlot(Report& report, const uint8_t* slot) {
  AddSigLine(report, slot);
  Check(report, Le32(slot + kSig) != kSlotSig, " <-- Should be 0x534C4F54.");

  const uint32_t attribute = Le32(slot + kAttribute);
  report.Printf("             Attribute: 0x%08X %s%s%s%s%s%s\n", attribute, (attribute & 0x01) ? " Archive" : "",
                (attribute & 0x02) ? " Subdirectory" : "", (attribute & 0x04) ? " Volume Label" : "",
                (attribute & 0x08) ? " System" : "", (attribute & 0x10) ? " Hidden" : "",
                (attribute & 0x20) ? " Read Only" : "");
  Check(report, (attribute & ~0x3Fu) != 0, " <-- Bits 31 - 6 should be zeros.");

  const uint8_t* resv = slot + kResv;
  report.Printf("                  resv: %02X %02X %02X %02X %02X\n", resv[0], resv[1], resv[2], resv[3], resv[4]);
  Check(report, AnyNonZero(resv, 5), " <-- Should be zeros.");
  const int fatEntries = slot[kFatEntries];
  report.Printf("           Fat Entries: %i\n", fatEntries);
  Check(report, fatEntries > kMaxFatEntries, " <-- Must be 0 to 19.");
  AddCrcLine(report, slot);
  AddScratchLine(report, slot);
  Check(report, slot[kScratch] != 0, " <-- Should be zero when written to disk.");

  report.Printf("               Created: 0x%08X\n", Le32(slot + kCreated));
  report.Printf("         Last accessed: 0x%08X\n", Le32(slot + kLastAccessed));
  report.Printf("             File Size: %" PRId64 "\n", SignedLe64(slot + kFileSize));
  report.Printf("          Fat Continue: %i\n", SignedLe32(slot + kFatContinue));
  report.Printf("         Name Continue: %i\n", SignedLe32(slot + kNameContinue));
  const uint16_t flags = Le16(slot + kFlags);
  report.Printf("                 Flags: 0x%04X\n", flags);
  Check(report, flags != 0, " <-- Should be zero.");
  const int nameLength = slot[kNameLength];
  report.Printf("           Name Length: %i\n", nameLength);
  Check(report, nameLength > kMaxNameLength, " <-- Should be no more than 80.");
  const uint8_t* resv1 = slot + kResv1;
  report.Printf("                 resv1: %02X %02X %02X %02X %02X\n", resv1[0], resv1[1], resv1[2], resv1[3],
                resv1[4]);
  Check(report, AnyNonZero(resv1, 5), " <-- Should be zeros.");

  // Name and FAT entries share the slot's last 80 bytes; neither is taken
  // from beyond the slot.
  if (nameLength != 0) {
    const int shown = std::min(nameLength, kBytes - kName);
    report.Add("                  name: ");
    for (int i = 0; i < shown; ++i) report.AddChar(slot[kName + i]);
    EndList(report, shown < nameLength);
  }
  if (fatEntries != 0) {
    const int fatOffset = (kName + nameLength + 3) & ~3;
    const int shown = std::min(fatEntries, ItemsInSlot(fatOffset, 4));
    AddFatList(report, slot + std::min(fatOffset, kBytes), shown);
    EndList(report, shown < fatEntries);
  }
  report.Add("\n");
}

void AddSubDirSlot(Report& report, const uint8_t* slot) {
  AddSigLine(report, slot);
  Check(report, Le32(slot + kSig) != kSubSig, " <-- Should be 0x53554220.");
  report.Printf("              Reserved: 0x%02X\n", slot[kSubReserved]);
  Check(report, slot[kSubReserved] != 0, " <-- Should be 0x00.");
  report.Printf("      Parent Directory: 0x%016" PRIX64 "\n", Le64(slot + kSubParent));
  const int fatEntries = slot[kFatEntries];
  report.Printf("           Fat Entries: %i\n", fatEntries);
  Check(report, fatEntries == 0 || fatEntries > kSubMaxFatEntries, " <-- Must be 1 to 20.");
  AddCrcLine(report, slot);
  AddScratchLine(report, slot);
  Check(report, slot[kScratch] != 0, " <-- Should be zero when written to disk.");

  report.Printf("               Created: 0x%08X\n", Le32(slot + kCreated));
  const uint32_t reserved2 = Le32(slot + kSubReserved2);
  report.Printf("              Reserved: 0x%08X\n", reserved2);
  Check(report, reserved2 != 0, " <-- Should be 0x00000000.");
  report.Printf("             File Size: %" PRId64 "\n", SignedLe64(slot + kFileSize));
  report.Printf("          Fat Continue: %i\n", SignedLe32(slot + kFatContinue));
  report.Printf("                  Slot: %i\n", SignedLe32(slot + kSubSlot));
  const uint16_t reserved3 = Le16(slot + kSubReserved3);
  report.Printf("              Reserved: 0x%04X\n", reserved3);
  Check(report, reserved3 != 0, " <-- Should be 0x0000.");
  report.Printf("           Name Length: %i\n", slot[kNameLength]);
  Check(report, slot[kNameLength] != 0, " <-- Should be zero.");
  const uint8_t* reserved4 = slot + kSubReserved4;
  report.Printf("              Reserved: %02X %02X %02X %02X %02X\n", reserved4[0], reserved4[1], reserved4[2],
                reserved4[3], reserved4[4]);
  Check(report, AnyNonZero(reserved4, 5), " <-- Should be zeros.");

  if (fatEntries != 0) {
    const int shown = std::min(fatEntries, kSubMaxFatEntries);
    AddFatList(report, slot + kSubFats, shown);
    EndList(report, shown < fatEntries);
  }
  report.Add("\n");
}

void AddContinueSlot(Report& report, const uint8_t* slot) {
  const uint32_t sig = Le32(slot + kSig);
  AddSigLine(report, slot);
  Check(report, sig != kNameSig && sig != kFatSig, " <-- Should be 0x4E414D45 or 0x46415420.");
  report.Printf("              Previous: %i\n", SignedLe32(slot + kContPrevious));
  report.Printf("                  Next: %i\n", SignedLe32(slot + kContNext));

  const int entries = slot[kContEntries];
  const uint8_t flags = slot[kContFlags];
  const bool wide = (flags & kContWideFats) != 0;
  report.Printf("               Entries: %i\n", entries);
  if (sig == kNameSig)
    Check(report, entries > kContBodyBytes, " <-- Should be less <= 112.");
  else if (sig == kFatSig && wide)
    Check(report, entries == 0 || entries > 14, " <-- Should be at least 1 and less <= 14.");
  else if (sig == kFatSig)
    Check(report, entries == 0 || entries > 28, " <-- Should be at least 1 and less <= 28.");
  report.Printf("                 Flags: 0x%04X  (Using %i-bit fats)\n", flags, wide ? 64 : 32);
  AddCrcLine(report, slot);
  AddScratchLine(report, slot);

  const uint8_t* body = slot + kContBody;
  if (sig == kNameSig) {
    const int shown = std::min(entries, kContBodyBytes);
    report.Add("                  name: ");
    for (int i = 0; i < shown; ++i) report.AddChar(body[i]);
    EndList(report, shown < entries);
  } else if (sig == kFatSig) {
    // Here a continuation line starts only when another entry follows.
    const int itemBytes = wide ? 8 : 4;
    const int perLine = wide ? 4 : 7;
    const int shown = std::min(entries, kContBodyBytes / itemBytes);
    report.Add("                  fats: ");
    for (int i = 0; i < shown; ++i) {
      if (i > 0 && i % perLine == 0) report.Add(kContinuation);
      if (wide)
        report.Printf("0x%016" PRIX64 ", ", Le64(body + 8 * i));
      else
        report.Printf("0x%08X, ", Le32(body + 4 * i));
    }
    EndList(report, shown < entries);
  } else {
    report.Printf("Illegal value found in sig: 0x%08X", sig);
    report.Add("\n");
  }
}

using SlotLister = void (*)(Report&, const uint8_t*);

DumpEnd WalkSlots(DumpContext& ctx, const char* title, SlotLister list) {
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t slot[kBytes];
    ctx.Read(slot, sizeof slot);
    ctx.report.Printf(title, ctx.start);
    ctx.CheckExtent(kBytes);
    list(ctx.report, slot);
    ctx.report.AppendPending();
    ctx.Advance(kBytes);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
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
