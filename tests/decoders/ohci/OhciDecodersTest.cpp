// OHCI decoders over a memory capture built here: an HCCA at the capture's
// start, an endpoint descriptor and two transfer descriptors, linked by the
// physical addresses they would have with the capture taken at 0x00100000.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "decoders/ohci/OhciDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunDecoder;
using test::ScriptedHost;

constexpr uint32_t kCaptureBase = 0x00100000;

std::vector<uint8_t> MakeCapture() {
  std::vector<uint8_t> bytes(0x300, 0);
  auto put = [&](uint32_t offset, uint32_t value) { PutLe32(bytes.data() + offset, value); };
  // HCCA: every interrupt slot but the last leads to the interrupt endpoint.
  for (uint32_t k = 0; k < 31; ++k) put(4 * k, kCaptureBase + 0x120);
  PutLe16(bytes.data() + 128, 0x1234);
  put(132, kCaptureBase + 0x210 + 1);
  // Interrupt endpoint 2 of a low-speed device 5 that is skipped and halted.
  put(0x120, 0x00087105);
  put(0x124, kCaptureBase + 0x280);
  put(0x128, kCaptureBase + 0x280 + 1);
  // The IN data stage of a control transfer, with rounding, and its OUT status.
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
  std::string slots;
  for (int k = 0; k < 31; ++k) slots += Format("  %02d: 0x00100120\n", k);
  EXPECT_EQ(result.text,
            "OHCI Host Controller Communications Area (0x00100000)\n"
            "Interrupt Table:\n" +
                slots +
                "  31: 0x00000000\n"
            "  Frame Number: 4660\n"
            "     Pad1 word: 0x0000\n"
            "     Done Head: 0x00100211\n"
            "\n");
  EXPECT_EQ(result.marked, result.text);
}

TEST(OhciEd, ListsAnEndpointUnderItsPhysicalAddress) {
  const auto result = RunAt(DumpOhciEd, DumpType::OhciEd, 0x120, 1);
  EXPECT_EQ(result.text,
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

TEST(OhciTd, ListsADescriptorUnderItsPhysicalAddress) {
  const auto result = RunAt(DumpOhciTd, DumpType::OhciTd, 0x210, 1);
  EXPECT_EQ(result.text,
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

TEST(OhciZeroBits, EarnTheirAnnotation) {
  for (uint32_t bits : {1u, 3u}) {
    const auto result = Dump(DumpOhciEd, DumpType::OhciEd, 0, 1, Words({0, 0, 0x00100200 | (bits << 2), 0}));
    const std::string expected = "                  Zero: " + std::to_string(bits) +
                                 "[[ <--- should be zero.\n]] TD Queue Head Pointer: 00100200\n";
    EXPECT_NE(result.marked.find(expected), std::string::npos) << result.marked;
    EXPECT_EQ(result.marked.find("[["), result.marked.rfind("[[")) << "exactly one annotation";
  }
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

// The display address: asked for only when the request says so; it
// replaces the file offset in the titles, for every type, and wraps past
// 4 GiB like the controller's 32-bit addresses.
TEST(OhciDisplayAddress, ReplacesTheFileOffsetInTitlesOnly) {
  for (const auto& [decoder, type, title] : kTypes) {
    ScriptedHost host;
    host.startOffset = 0xFFFFFFF0;
    DumpRequest request = MakeRequest(type, "0x10", "0", 2);
    request.askOffset = true;
    const auto text = RunDecoder(decoder, request, MakeCapture(), &host).text;
    EXPECT_EQ(text.rfind(std::string("OHCI ") + title + " (0xFFFFFFF0)\n", 0), 0u) << title;
    if (type == DumpType::OhciEd || type == DumpType::OhciTd) {  // 16-byte items
      EXPECT_NE(text.find(std::string("OHCI ") + title + " (0x00000000)\n"), std::string::npos) << title;
    }
    // A cancelled prompt, or a request without the flag, keeps the file offset.
    const std::string fileOffsetTitle = std::string("OHCI ") + title + " (0x00000010)\n";
    ScriptedHost cancelled;
    EXPECT_EQ(RunDecoder(decoder, request, MakeCapture(), &cancelled).text.rfind(fileOffsetTitle, 0), 0u) << title;
    request.askOffset = false;
    EXPECT_EQ(RunDecoder(decoder, request, MakeCapture(), &host).text.rfind(fileOffsetTitle, 0), 0u) << title;
  }
  // The bytes still come from the requested file offset; the HCCA ignores Count.
  const auto td = RunAt(DumpOhciTd, DumpType::OhciTd, 0x220, 1).text;
  EXPECT_NE(td.find("(0x00100220)\n              Reserved: 12345\n"), std::string::npos);
  const auto hcca = Dump(DumpOhciHcca, DumpType::OhciHcca, 0x10, 3, MakeCapture()).text;
  EXPECT_EQ(hcca.find("Communications Area", 60), std::string::npos);
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
  EXPECT_NE(text.find("OHCI Endpoint Descriptor (0x00000010) <-- (past the end of the file)\n      Function Address: 07\n"), std::string::npos);
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
