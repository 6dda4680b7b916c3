// Listings and rules of the OHCI structures.
#include "decoders/ohci/OhciDecoders.h"

#include <array>
#include <cstdint>

#include "decoders/ohci/OhciLayout.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using ohci::Bits;

constexpr const char* kShouldBeZero = " <--- should be zero.";

// The address shown in the first title: the one the user gives when the
// request asks for it, else the file offset. A cancelled prompt keeps the
// file offset.
uint32_t DisplayBase(DumpContext& ctx) {
  if (ctx.askOffset) {
    if (const auto address = ctx.host.AskStartOffset()) return *address;
  }
  return ctx.start;
}

// The descriptor types' Count walk: items are listed under their display
// address, which follows the start offset the user may have given.
DumpEnd WalkDescriptors(DumpContext& ctx, size_t size, const char* name, void (*list)(Report&, const uint8_t*)) {
  const uint32_t base = DisplayBase(ctx);
  return WalkItems(
      ctx, size,
      [&](Report& r, const WalkItem& item) {
        r.Printf("%s (0x%08X)\n", name, base + static_cast<uint32_t>(item.index * size));
      },
      [&](Report& r, const WalkItem& item) { list(r, item.bytes); });
}

const char* EdDirectionName(uint32_t direction) {
  switch (direction) {
    case 1:
      return "OUT";
    case 2:
      return "IN";
    default:
      return "Get direction from TD";
  }
}

const char* TdPidName(uint32_t pid) {
  static constexpr const char* kNames[4] = {"SETUP", "OUT", "IN", "Reserved"};
  return kNames[pid & 3];
}

void ListEd(Report& report, const uint8_t* bytes) {
  namespace ed = ohci::ed;
  const uint32_t control = Get(bytes, ed::kControl);
  const uint32_t tail = Get(bytes, ed::kTailPointer);
  const uint32_t head = Get(bytes, ed::kHeadPointer);
  const uint32_t next = Get(bytes, ed::kNextEd);
  const uint32_t direction = Bits(control, ed::kDirectionShift, ed::kDirectionWidth);
  const uint32_t zero = Bits(head, ed::kZeroShift, ed::kZeroWidth);

  report.Printf("      Function Address: %02X\n",
                Bits(control, ed::kFunctionAddressShift, ed::kFunctionAddressWidth));
  report.Printf("       EndPoint Number: %i\n",
                static_cast<int>(Bits(control, ed::kEndpointShift, ed::kEndpointWidth)));
  report.Printf("             Direction: %i%ib  (%s)\n", static_cast<int>(direction >> 1),
                static_cast<int>(direction & 1), EdDirectionName(direction));
  report.Printf("                 Speed: %s speed\n", Bits(control, ed::kSpeedBit, 1) ? "low" : "full");
  const bool skip = Bits(control, ed::kSkipBit, 1) != 0;
  report.Printf("                  sKip: %i (%s)\n", skip ? 1 : 0, skip ? "Skip TD" : "Don't skip TD");
  const bool iso = Bits(control, ed::kFormatBit, 1) != 0;
  report.Printf("                Format: %i %s\n", iso ? 1 : 0,
                iso ? "Isochronous TD" : "Control, Bulk, or Interrupt Endpoint");
  report.Printf("   Maximum Packet Size: %i\n",
                static_cast<int>(Bits(control, ed::kMaxPacketShift, ed::kMaxPacketWidth)));
  report.Printf(" TD Queue Tail Pointer: %08X\n", tail & ohci::kPointerMask);
  const bool halted = Bits(head, ed::kHaltedBit, 1) != 0;
  report.Printf("                Halted: %i %s\n", halted ? 1 : 0, halted ? "(Halted)" : "");
  report.Printf("          Toggle Carry: %i\n", static_cast<int>(Bits(head, ed::kToggleCarryBit, 1)));
  report.Printf("                  Zero: %01X\n", zero);
  if (zero != 0) report.Flag(kShouldBeZero);
  report.Printf(" TD Queue Head Pointer: %08X\n", head & ohci::kPointerMask);
  report.Printf("               Next ED: %08X\n", next & ohci::kPointerMask);
  report.Add("\n");
}

void ListTd(Report& report, const uint8_t* bytes) {
  namespace td = ohci::td;
  const uint32_t control = Get(bytes, td::kControl);
  const uint32_t buffer = Get(bytes, td::kCurrentBuffer);
  const uint32_t next = Get(bytes, td::kNextTd);
  const uint32_t bufferEnd = Get(bytes, td::kBufferEnd);
  const uint32_t pid = Bits(control, td::kPidShift, td::kPidWidth);
  const uint32_t delay = Bits(control, td::kDelayShift, td::kDelayWidth);
  const bool toggleFromTd = Bits(control, td::kToggleFromTdBit, 1) != 0;
  const uint32_t zero = Bits(next, td::kZeroShift, td::kZeroWidth);

  report.Printf("              Reserved: %05X\n", Bits(control, td::kReservedShift, td::kReservedWidth));
  report.Printf("              Rounding: %i\n", static_cast<int>(Bits(control, td::kRoundingBit, 1)));
  report.Printf("         Direction/PID: %i%ib (%s)\n", static_cast<int>(pid >> 1), static_cast<int>(pid & 1),
                TdPidName(pid));
  report.Printf("       Delay Interrupt: %i %s\n", static_cast<int>(delay),
                delay == td::kNoInterrupt ? "no interrupt" : "");
  report.Printf("           Data Toggle: %i%ib %s\n", toggleFromTd ? 1 : 0,
                static_cast<int>(Bits(control, td::kToggleLowBit, 1)),
                toggleFromTd ? "from LSb" : "from toggle carry");
  report.Printf("           Error Count: %i\n",
                static_cast<int>(Bits(control, td::kErrorCountShift, td::kErrorCountWidth)));
  report.Printf("        Condition Code: %i\n",
                static_cast<int>(Bits(control, td::kConditionShift, td::kConditionWidth)));
  report.Printf("Current Buffer Pointer: 0x%08X\n", buffer);
  report.Printf("               Next TD: 0x%08X\n", next & ohci::kPointerMask);
  report.Printf("                  Zero: %i\n", static_cast<int>(zero));
  if (zero != 0) report.Flag(kShouldBeZero);
  report.Printf("            Buffer End: 0x%08X\n", bufferEnd);
  report.Add("\n");
}

void ListItd(Report& report, const uint8_t*) {
  report.Add("\n");
}

}  // namespace

DumpEnd DumpOhciHcca(DumpContext& ctx) {
  namespace hcca = ohci::hcca;
  const uint32_t address = DisplayBase(ctx);
  std::array<uint8_t, hcca::kReadSize> area{};
  ctx.Read(area.data(), area.size());

  Report& report = ctx.report;
  report.Printf("OHCI Host Controller Communications Area (0x%08X)\n", address);
  ctx.CheckExtent(area.size());
  report.Add("Interrupt Table:\n");
  for (int k = 0; k < hcca::kInterruptEntries; ++k)
    report.Printf("  %02i: 0x%08X\n", k, Get(area.data(), Element(hcca::kInterruptTable, k)));
  report.Printf("  Frame Number: %i\n", static_cast<int>(Get(area.data(), hcca::kFrameNumber)));
  report.Printf("     Pad1 word: 0x%04X\n", static_cast<unsigned>(Get(area.data(), hcca::kPad1)));
  report.Printf("     Done Head: 0x%08X\n", Get(area.data(), hcca::kDoneHead));
  report.Add("\n");
  report.AppendPending();
  return DumpEnd::Normal;
}

DumpEnd DumpOhciEd(DumpContext& ctx) {
  return WalkDescriptors(ctx, ohci::ed::kSize, "OHCI Endpoint Descriptor", ListEd);
}

DumpEnd DumpOhciTd(DumpContext& ctx) {
  return WalkDescriptors(ctx, ohci::td::kSize, "OHCI Transfer Descriptor", ListTd);
}

DumpEnd DumpOhciItd(DumpContext& ctx) {
  return WalkDescriptors(ctx, ohci::itd::kSize, "OHCI Isochronous Transfer Descriptor", ListItd);
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows OhciRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::OhciHcca, .name = "ohci-hcca", .caption = "HCCA", .group = kOhciGroup, .endEnabled = true,
     .help = "Dump the specified offset of data as the OHCI HCCA.", .decoder = DumpOhciHcca},
    {.id = DumpType::OhciEd, .name = "ohci-ed", .caption = "Endpoint Desc.", .group = kOhciGroup,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data as the OHCI Endpoint Descriptor.", .decoder = DumpOhciEd},
    {.id = DumpType::OhciTd, .name = "ohci-td", .caption = "Transfer Desc.", .group = kOhciGroup,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data as the OHCI Transfer Descriptor.", .decoder = DumpOhciTd},
    {.id = DumpType::OhciItd, .name = "ohci-itd", .caption = "Iso. Transfer Desc.", .group = kOhciGroup,
     .countEnabled = true, .defaultCount = 1, .buttonEnabled = false,
     .help = "Dump the specified offset of data as the OHCI ISO Transfer Descriptor.", .decoder = DumpOhciItd},
  };
  return kRows;
}

}  // namespace trovik
