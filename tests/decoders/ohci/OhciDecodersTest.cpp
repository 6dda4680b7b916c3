// OHCI decoders over a memory capture built here: an HCCA at the capture's
// start, a chain of three endpoint descriptors and a chain of transfer
// descriptors, all linked by the physical addresses they would have with
// the capture taken at 0x00100000.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "decoders/ohci/OhciDecoders.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunDecoder;
using test::ScriptedHost;

constexpr uint32_t kCaptureBase = 0x00100000;
constexpr uint32_t kEdOffset = 0x100;
constexpr uint32_t kTdOffset = 0x200;

std::vector<uint8_t> MakeCapture() {
  std::vector<uint8_t> bytes(0x300, 0);
  auto put = [&](uint32_t offset, uint32_t value) { PutLe32(bytes.data() + offset, value); };
  // HCCA: every interrupt slot but the last leads to the interrupt endpoint.
  for (uint32_t k = 0; k < 31; ++k) put(4 * k, kCaptureBase + 0x120);
  PutLe16(bytes.data() + 128, 0x1234);
  put(132, kCaptureBase + 0x210 + 1);
  // Control endpoint 0, bulk IN endpoint 1 of device 3, interrupt endpoint 2
  // of a low-speed device 5 that is skipped and halted.
  put(0x100, 0x00080000);
  put(0x104, kCaptureBase + 0x240);
  put(0x108, kCaptureBase + 0x200 + 2);
  put(0x10C, kCaptureBase + 0x110);
  put(0x110, 0x00401083);
  put(0x114, kCaptureBase + 0x260);
  put(0x118, kCaptureBase + 0x260);
  put(0x11C, kCaptureBase + 0x120);
  put(0x120, 0x00087105);
  put(0x124, kCaptureBase + 0x280);
  put(0x128, kCaptureBase + 0x280 + 1);
  // Control transfer: SETUP, IN data with rounding, OUT status.
  put(0x200, 0xF2E00000);
  put(0x204, kCaptureBase + 0x300);
  put(0x208, kCaptureBase + 0x210);
  put(0x20C, kCaptureBase + 0x307);
  put(0x210, 0xF3F40000);
  put(0x214, kCaptureBase + 0x308);
  put(0x218, kCaptureBase + 0x220);
  put(0x21C, kCaptureBase + 0x319);
  put(0x220, 0xF3092345);
  put(0x228, kCaptureBase + 0x230);
  return bytes;
}

test::DumpResult Dump(Decoder decoder, DumpType type, uint32_t offset, int count, std::vector<uint8_t> bytes,
                     ScriptedHost* host = nullptr) {
  char start[16];
  std::snprintf(start, sizeof start, "0x%X", offset);
  return RunDecoder(decoder, MakeRequest(type, start, "0", count), std::move(bytes), host);
}

// With the display address the capture's bytes had in memory.
test::DumpResult RunAt(Decoder decoder, DumpType type, uint32_t offset, int count) {
  ScriptedHost host;
  host.startOffset = kCaptureBase + offset;
  char start[16];
  std::snprintf(start, sizeof start, "0x%X", offset);
  DumpRequest request = MakeRequest(type, start, "0", count);
  request.askOffset = true;
  return RunDecoder(decoder, request, MakeCapture(), &host);
}

struct OhciType {
  Decoder decoder;
  DumpType type;
  const char* title;
};
constexpr OhciType kTypes[] = {
    {DumpOhciHcca, DumpType::OhciHcca, "Host Controller Communications Area"},
    {DumpOhciEd, DumpType::OhciEd, "Endpoint Descriptor"},
    {DumpOhciTd, DumpType::OhciTd, "Transfer Descriptor"},
    {DumpOhciItd, DumpType::OhciItd, "Isochronous Transfer Descriptor"},
};

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
  std::vector<uint8_t> bytes(4 * words.size());
  size_t i = 0;
  for (uint32_t w : words) PutLe32(bytes.data() + 4 * i++, w);
  return bytes;
}

TEST(OhciHcca, ListsTheWholeArea) {
  const auto result = RunAt(DumpOhciHcca, DumpType::OhciHcca, 0, 1);
  EXPECT_EQ(result.text,
            "OHCI Host Controller Communications Area (0x00100000)\n"
            "Interrupt Table:\n"
            "  00: 0x00100120\n"
            "  01: 0x00100120\n"
            "  02: 0x00100120\n"
            "  03: 0x00100120\n"
            "  04: 0x00100120\n"
            "  05: 0x00100120\n"
            "  06: 0x00100120\n"
            "  07: 0x00100120\n"
            "  08: 0x00100120\n"
            "  09: 0x00100120\n"
            "  10: 0x00100120\n"
            "  11: 0x00100120\n"
            "  12: 0x00100120\n"
            "  13: 0x00100120\n"
            "  14: 0x00100120\n"
            "  15: 0x00100120\n"
            "  16: 0x00100120\n"
            "  17: 0x00100120\n"
            "  18: 0x00100120\n"
            "  19: 0x00100120\n"
            "  20: 0x00100120\n"
            "  21: 0x00100120\n"
            "  22: 0x00100120\n"
            "  23: 0x00100120\n"
            "  24: 0x00100120\n"
            "  25: 0x00100120\n"
            "  26: 0x00100120\n"
            "  27: 0x00100120\n"
            "  28: 0x00100120\n"
            "  29: 0x00100120\n"
            "  30: 0x00100120\n"
            "  31: 0x00000000\n"
            "  Frame Number: 4660\n"
            "     Pad1 word: 0x0000\n"
            "     Done Head: 0x00100211\n"
            "\n");
  EXPECT_EQ(result.marked, result.text);
}

TEST(OhciHcca, IgnoresCountAndShowsTheFileOffsetWithoutAPrompt) {
  ScriptedHost host;
  host.startOffset = 0x12345678;  // not asked for: the request has no flag
  const auto result = Dump(DumpOhciHcca, DumpType::OhciHcca, 0x10, 3, MakeCapture(), &host);
  EXPECT_EQ(result.text.rfind("OHCI Host Controller Communications Area (0x00000010)\n", 0), 0u);
  EXPECT_EQ(result.text.find("Communications Area", 60), std::string::npos);
}

TEST(OhciEd, ListsTheEndpointChainUnderItsPhysicalAddresses) {
  const auto result = RunAt(DumpOhciEd, DumpType::OhciEd, kEdOffset, 3);
  EXPECT_EQ(result.text,
            "OHCI Endpoint Descriptor (0x00100100)\n"
            "      Function Address: 00\n"
            "       EndPoint Number: 0\n"
            "             Direction: 00b  (Get direction from TD)\n"
            "                 Speed: full speed\n"
            "                  sKip: 0 (Don't skip TD)\n"
            "                Format: 0 Control, Bulk, or Interrupt Endpoint\n"
            "   Maximum Packet Size: 8\n"
            " TD Queue Tail Pointer: 00100240\n"
            "                Halted: 0 \n"
            "          Toggle Carry: 1\n"
            "                  Zero: 0\n"
            " TD Queue Head Pointer: 00100200\n"
            "               Next ED: 00100110\n"
            "\n"
            "OHCI Endpoint Descriptor (0x00100110)\n"
            "      Function Address: 03\n"
            "       EndPoint Number: 1\n"
            "             Direction: 10b  (IN)\n"
            "                 Speed: full speed\n"
            "                  sKip: 0 (Don't skip TD)\n"
            "                Format: 0 Control, Bulk, or Interrupt Endpoint\n"
            "   Maximum Packet Size: 64\n"
            " TD Queue Tail Pointer: 00100260\n"
            "                Halted: 0 \n"
            "          Toggle Carry: 0\n"
            "                  Zero: 0\n"
            " TD Queue Head Pointer: 00100260\n"
            "               Next ED: 00100120\n"
            "\n"
            "OHCI Endpoint Descriptor (0x00100120)\n"
            "      Function Address: 05\n"
            "       EndPoint Number: 2\n"
            "             Direction: 10b  (IN)\n"
            "                 Speed: low speed\n"
            "                  sKip: 1 (Skip TD)\n"
            "                Format: 0 Control, Bulk, or Interrupt Endpoint\n"
            "   Maximum Packet Size: 8\n"
            " TD Queue Tail Pointer: 00100280\n"
            "                Halted: 1 (Halted)\n"
            "          Toggle Carry: 0\n"
            "                  Zero: 0\n"
            " TD Queue Head Pointer: 00100280\n"
            "               Next ED: 00000000\n"
            "\n");
  EXPECT_EQ(result.marked, result.text);
}

TEST(OhciEd, DecodesEveryControlField) {
  // All bits set: the fields end where their neighbours begin.
  auto text = Dump(DumpOhciEd, DumpType::OhciEd, 0, 1, Words({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFF3, 0xFFFFFFFF})).text;
  EXPECT_NE(text.find("      Function Address: 7F\n       EndPoint Number: 15\n"
                      "             Direction: 11b  (Get direction from TD)\n"
                      "                 Speed: low speed\n                  sKip: 1 (Skip TD)\n"
                      "                Format: 1 Isochronous TD\n   Maximum Packet Size: 2047\n"
                      " TD Queue Tail Pointer: FFFFFFF0\n                Halted: 1 (Halted)\n"
                      "          Toggle Carry: 1\n"),
            std::string::npos);
  EXPECT_NE(text.find("               Next ED: FFFFFFF0\n"), std::string::npos);
  text = Dump(DumpOhciEd, DumpType::OhciEd, 0, 1, Words({1u << 11, 0, 0, 0})).text;
  EXPECT_NE(text.find("Direction: 01b  (OUT)\n"), std::string::npos);
}

TEST(OhciEd, ZeroBitsEarnTheirAnnotation) {
  for (uint32_t bits : {1u, 2u, 3u}) {
    const auto result = Dump(DumpOhciEd, DumpType::OhciEd, 0, 1, Words({0, 0, 0x00100200 | (bits << 2), 0}));
    const std::string expected = "                  Zero: " + std::to_string(bits) +
                                 "[[ <--- should be zero.\n]] TD Queue Head Pointer: 00100200\n";
    EXPECT_NE(result.marked.find(expected), std::string::npos) << result.marked;
    EXPECT_EQ(result.marked.find("[["), result.marked.rfind("[[")) << "exactly one annotation";
  }
}

TEST(OhciTd, ListsTheTransferChain) {
  const auto result = RunAt(DumpOhciTd, DumpType::OhciTd, kTdOffset, 3);
  EXPECT_EQ(result.text,
            "OHCI Transfer Descriptor (0x00100200)\n"
            "              Reserved: 00000\n"
            "              Rounding: 0\n"
            "         Direction/PID: 00b (SETUP)\n"
            "       Delay Interrupt: 7 no interrupt\n"
            "           Data Toggle: 10b from LSb\n"
            "           Error Count: 0\n"
            "        Condition Code: 15\n"
            "Current Buffer Pointer: 0x00100300\n"
            "               Next TD: 0x00100210\n"
            "                  Zero: 0\n"
            "            Buffer End: 0x00100307\n"
            "\n"
            "OHCI Transfer Descriptor (0x00100210)\n"
            "              Reserved: 00000\n"
            "              Rounding: 1\n"
            "         Direction/PID: 10b (IN)\n"
            "       Delay Interrupt: 7 no interrupt\n"
            "           Data Toggle: 11b from LSb\n"
            "           Error Count: 0\n"
            "        Condition Code: 15\n"
            "Current Buffer Pointer: 0x00100308\n"
            "               Next TD: 0x00100220\n"
            "                  Zero: 0\n"
            "            Buffer End: 0x00100319\n"
            "\n"
            "OHCI Transfer Descriptor (0x00100220)\n"
            "              Reserved: 12345\n"
            "              Rounding: 0\n"
            "         Direction/PID: 01b (OUT)\n"
            "       Delay Interrupt: 0 \n"
            "           Data Toggle: 11b from LSb\n"
            "           Error Count: 0\n"
            "        Condition Code: 15\n"
            "Current Buffer Pointer: 0x00000000\n"
            "               Next TD: 0x00100230\n"
            "                  Zero: 0\n"
            "            Buffer End: 0x00000000\n"
            "\n");
  EXPECT_EQ(result.marked, result.text);
}

TEST(OhciTd, DecodesControlFields) {
  auto text = Dump(DumpOhciTd, DumpType::OhciTd, 0, 1, Words({0xF0000000, 0, 0, 0})).text;
  EXPECT_NE(text.find("         Direction/PID: 00b (SETUP)\n       Delay Interrupt: 0 \n"
                      "           Data Toggle: 00b from toggle carry\n           Error Count: 0\n"
                      "        Condition Code: 15\n"),
            std::string::npos);
  text = Dump(DumpOhciTd, DumpType::OhciTd, 0, 1, Words({0x0D180000 | 0x3FFFF, 0, 0, 0})).text;
  EXPECT_NE(text.find("              Reserved: 3FFFF\n              Rounding: 0\n"
                      "         Direction/PID: 11b (Reserved)\n"),
            std::string::npos);
  EXPECT_NE(text.find("           Data Toggle: 01b from toggle carry\n           Error Count: 3\n"),
            std::string::npos);
}

TEST(OhciTd, LowBitsOfTheNextPointerEarnTheirAnnotation) {
  const auto result = Dump(DumpOhciTd, DumpType::OhciTd, 0, 1, Words({0, 0, 0x00100231, 0x0010023F}));
  EXPECT_NE(result.marked.find("               Next TD: 0x00100230\n"
                               "                  Zero: 1[[ <--- should be zero.\n]]"
                               "            Buffer End: 0x0010023F\n\n"),
            std::string::npos)
      << result.marked;
  const auto all = Dump(DumpOhciTd, DumpType::OhciTd, 0, 1, Words({0, 0, 0x0000000F, 0}));
  EXPECT_NE(all.marked.find("Zero: 15[[ <--- should be zero.\n]]"), std::string::npos);
}

TEST(OhciItd, ListsOnlyTitles32BytesApart) {
  const auto result = Dump(DumpOhciItd, DumpType::OhciItd, 0x20, 2, std::vector<uint8_t>(0x80, 0xFF));
  EXPECT_EQ(result.text,
            "OHCI Isochronous Transfer Descriptor (0x00000020)\n\n"
            "OHCI Isochronous Transfer Descriptor (0x00000040)\n\n");
}

// The display address: asked for only when the request says so; the bytes
// still come from the requested file offset.
TEST(OhciDisplayAddress, ReplacesTheFileOffsetInTitlesOnly) {
  ScriptedHost host;
  host.startOffset = 0x00100000;
  DumpRequest request = MakeRequest(DumpType::OhciTd, "0x210", "0", 2);
  request.askOffset = true;
  auto result = RunDecoder(DumpOhciTd, request, MakeCapture(), &host);
  EXPECT_NE(result.text.find("OHCI Transfer Descriptor (0x00100000)\n              Reserved: 00000\n"
                             "              Rounding: 1\n"),
            std::string::npos);
  EXPECT_NE(result.text.find("OHCI Transfer Descriptor (0x00100010)\n              Reserved: 12345\n"),
            std::string::npos);

  // A cancelled prompt keeps the file offset.
  ScriptedHost cancelled;
  result = RunDecoder(DumpOhciTd, request, MakeCapture(), &cancelled);
  EXPECT_NE(result.text.find("OHCI Transfer Descriptor (0x00000210)\n"), std::string::npos);
  EXPECT_NE(result.text.find("OHCI Transfer Descriptor (0x00000220)\n"), std::string::npos);

  // Without the flag the prompt's answer is not used.
  request.askOffset = false;
  result = RunDecoder(DumpOhciTd, request, MakeCapture(), &host);
  EXPECT_NE(result.text.find("OHCI Transfer Descriptor (0x00000210)\n"), std::string::npos);
}

TEST(OhciDisplayAddress, ServesEveryType) {
  for (const auto& [decoder, type, title] : kTypes) {
    ScriptedHost host;
    host.startOffset = 0xFFFFFFF0;
    DumpRequest request = MakeRequest(type, "0", "0", 2);
    request.askOffset = true;
    const auto text = RunDecoder(decoder, request, MakeCapture(), &host).text;
    EXPECT_EQ(text.rfind(std::string("OHCI ") + title + " (0xFFFFFFF0)\n", 0), 0u) << title;
  }
  // Addresses past 4 GiB wrap like the controller's 32-bit addresses.
  ScriptedHost host;
  host.startOffset = 0xFFFFFFF0;
  DumpRequest request = MakeRequest(DumpType::OhciEd, "0", "0", 2);
  request.askOffset = true;
  EXPECT_NE(RunDecoder(DumpOhciEd, request, MakeCapture(), &host).text.find("OHCI Endpoint Descriptor (0x00000000)\n"),
            std::string::npos);
}

TEST(OhciCount, ZeroWritesNothingAndAbortStopsAfterTheItem) {
  for (const auto& [decoder, type, title] : kTypes) {
    if (type == DumpType::OhciHcca) continue;  // one area, whatever the count
    EXPECT_EQ(Dump(decoder, type, 0, 0, MakeCapture()).text, "");
    ScriptedHost host;
    host.abortAfterPolls = 1;
    const auto result = Dump(decoder, type, 0, 5, MakeCapture(), &host);
    EXPECT_EQ(result.status, RunStatus::Aborted);
    size_t titles = 0;
    for (size_t at = result.text.find("OHCI "); at != std::string::npos; at = result.text.find("OHCI ", at + 1))
      ++titles;
    EXPECT_EQ(titles, 2u);
    EXPECT_TRUE(result.text.ends_with("\n\n\nUser Abort..."));
  }
}

// A capture that ends inside a structure reads zeros for the missing bytes;
// arbitrary bytes never lead the decoders outside their buffers.
TEST(OhciRobustness, TruncatedAndRandomInput) {
  auto text = Dump(DumpOhciEd, DumpType::OhciEd, 0, 2, Words({0x00081080, 0x00100240, 0x00100200, 0x00100110, 7})).text;
  EXPECT_NE(text.find("OHCI Endpoint Descriptor (0x00000010)\n      Function Address: 07\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("               Next ED: 00000000\n\n"));
  text = Dump(DumpOhciHcca, DumpType::OhciHcca, 0, 1, {0x01}).text;
  EXPECT_NE(text.find("  00: 0x00000001\n  01: 0x00000000\n"), std::string::npos);

  std::mt19937 random(1034);
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> bytes(random() % 300);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    const uint32_t start = bytes.empty() ? 0 : random() % bytes.size();
    const int count = 1 + static_cast<int>(random() % 20);
    for (const auto& [decoder, type, title] : kTypes) {
      const auto result = Dump(decoder, type, start, count, bytes);
      EXPECT_TRUE(result.text.ends_with("\n\n"));
    }
  }
}

}  // namespace
}  // namespace trovik
