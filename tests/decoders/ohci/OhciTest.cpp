// OHCI communications area, endpoint and transfer descriptors: golden listings of a memory capture
// shown under the addresses it had, the display address prompt, and the must-be-zero bits.
#include <gtest/gtest.h>

#include <optional>

#include "support/Golden.h"
#include "support/RuleTable.h"

namespace trovik::test {
namespace {

// A capture taken at physical address 0x00100000, built at the offsets of the controller's
// published layout: the communications area at 0, three endpoint descriptors at 0x120, four
// transfer descriptors at 0x210.
std::vector<uint8_t> Capture() {
  std::vector<Patch> patches = {
      Le16(128, 0x1234), Le16(130, 0xABCD), Le32(132, 0x00100211),
      // Interrupt endpoint 2 of low-speed device 5, skipped and halted; then every bit set, which
      // also sets the head pointer's must-be-zero bits; then an OUT endpoint at full speed.
      Le32(0x120, 0x00087105), Le32(0x124, 0x00100280), Le32(0x128, 0x00100281), Le32(0x12C, 0x00100130),
      Le32(0x130, 0xFFFFFFFF), Le32(0x134, 0xFFFFFFFF), Le32(0x138, 0xFFFFFFFF), Le32(0x13C, 0xFFFFFFFF),
      Le32(0x140, 0x03FF0800), Le32(0x144, 0x00100290), Le32(0x148, 0x00100292),
      // The IN data stage of a control transfer with rounding, its OUT status stage, a descriptor whose
      // next pointer has a must-be-zero bit set, and a SETUP stage.
      Le32(0x210, 0xF3F40000), Le32(0x214, 0x00100308), Le32(0x218, 0x00100220), Le32(0x21C, 0x00100319),
      Le32(0x220, 0xF3092345), Le32(0x228, 0x00100230), Le32(0x230, 0x0D1BFFFF), Le32(0x234, 0x12345678),
      Le32(0x238, 0x00100241), Le32(0x23C, 0x9ABCDEF0), Le32(0x240, 0xF0000000)};
  for (int k = 0; k < 31; ++k) patches.push_back(Le32(4 * k, 0x00100120 + 0x10000 * k));
  std::vector<uint8_t> bytes(0x300, 0);
  Apply(bytes, patches);
  return bytes;
}

// A run that asks for the display address (unless `ask` is false) and is given `address` (none: the prompt is
// cancelled).
DumpResult Shown(DumpType type, const std::string& start, int count, std::optional<uint32_t> address, bool ask = true) {
  ScriptedHost host;
  host.startOffset = address;
  DumpRequest request = MakeRequest(type, start, "0x00000000", count);
  request.askOffset = ask;
  return RunOnBytes(request, Capture(), &host);
}

TEST(Ohci, CaptureListingsDisplayAddressAndZeroBits) {
  ExpectReport(Shown(DumpType::OhciHcca, "0", 3, 0x00100000), "ohci/hcca");
  ExpectReport(Shown(DumpType::OhciEd, "0x120", 3, 0x00100120), "ohci/ed");
  ExpectReport(Shown(DumpType::OhciTd, "0x210", 4, 0x00100210), "ohci/td");
  // Isochronous descriptors are listed by title only, 32 bytes apart; the address wraps at 4 GiB.
  ExpectReport(Shown(DumpType::OhciItd, "0", 3, 0xFFFFFFC0), "ohci/itd");
  // Must-be-zero bits: all of an endpoint's and bit 0 of a transfer's next pointer show on the listings above.
  ExpectRules(MakeRequest(DumpType::OhciEd, "0x120"), Capture(),
              {{"bit 2", {Le32(0x128, 0x00100285)}, {"Zero: 1[[ <--- should be zero.\\n]]"}}});
  ExpectRules(MakeRequest(DumpType::OhciTd, "0x210"), Capture(),
              {{"bit 3", {Le32(0x218, 0x00100228)}, {"Zero: 8[[ <--- should be zero.\\n]]"}}});
  // A cancelled prompt, or none, leaves the file offset.
  for (const DumpType type : {DumpType::OhciHcca, DumpType::OhciEd, DumpType::OhciTd, DumpType::OhciItd}) {
    EXPECT_NE(Shown(type, "0x10", 1, std::nullopt).text.find(" (0x00000010)\n"), std::string::npos);
    EXPECT_NE(Shown(type, "0x10", 1, 0x12345678, false).text.find(" (0x00000010)\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace trovik::test
