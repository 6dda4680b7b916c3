// The report writer (annotations, hex blocks, debug lines) and the text helpers beside it.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/CodePage.h"
#include "engine/Report.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

std::string Marked(const std::function<void(Report&)>& write, RunHost* host = nullptr) {
  test::CaptureSink sink;
  Report report(sink, host);
  write(report);
  report.AppendPending();
  report.Finish();
  return sink.Marked();
}

TEST(Report, AnnotationsTakeThePlaceOfTheLastCharacter) {
  EXPECT_EQ(Marked([](Report& r) {
              r.Add("  Boot ID: 0x12\n");
              r.AnnotateLine(true, " <-- Invalid");
              r.Add("next\n");
            }),
            "  Boot ID: 0x12[[ <-- Invalid\n]]next\n");
  // A confirmation stays black; a second annotation stacks on the same line.
  EXPECT_EQ(Marked([](Report& r) {
              r.Add("CRC: 0x1\n");
              r.AnnotateLine(false, " (correct)");
              r.AnnotateLine(true, " <-- second");
            }),
            "CRC: 0x1 (correct)[[ <-- second\n]]");
  EXPECT_EQ(Marked([](Report& r) {
              r.Add("Type: 1  ");
              r.AnnotateLine(true, " <-- x");
            }),
            "Type: 1 [[ <-- x\n]]");
  EXPECT_EQ(Marked([](Report& r) { r.AnnotateLine(true, " <-- x"); }), "[[ <-- x\n]]");
  EXPECT_EQ(Marked([](Report& r) {
              r.Add("CRC: 0x12\n");
              r.FormatHexField(true, " <-- Should be", 0x3F, 2);
              r.Add("a:\n");
              r.FormatHexField(false, " x:", 0x1234567890ULL, 4);
            }),
            "CRC: 0x12[[ <-- Should be: 0x3F\n]]a: x:: 0x34567890\n");
  // Zero characters never reach the report.
  EXPECT_EQ(Marked([](Report& r) {
              r.Printf("Sig: '%c%c%c'\n", 'A', 0, 'B');
              r.AddChar(0);
              r.AddChar('C');
            }),
            "Sig: 'AB'\nC");
  EXPECT_EQ(Format("%s|%d", std::string(1000, 'x').c_str(), 7), std::string(1000, 'x') + "|7");
}

TEST(Report, HexBlocksAndDebugLinesKeepTheirColumns) {
  auto hex = [](uint32_t base, std::vector<uint8_t> bytes, bool collapse) {
    return Marked([&](Report& r) { r.HexDumpBlock(base, bytes.data(), static_cast<int32_t>(bytes.size()), collapse); });
  };
  const std::string allZeros = "                           All Zeros...\n";
  EXPECT_EQ(hex(0, std::vector<uint8_t>(64), true), allZeros);
  EXPECT_EQ(hex(0, {}, true), allZeros);
  EXPECT_EQ(hex(0, {}, false), "");
  const std::string zeroLine =
      "   0x00000000  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     " + std::string(16, '\xB7') + "\n";
  EXPECT_EQ(hex(0, std::vector<uint8_t>(16), false), zeroLine);
  EXPECT_EQ(hex(0, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R'}, false),
            "   0x00000000  41 42 43 44 45 46 47 48-49 4A 4B 4C 4D 4E 4F 50     ABCDEFGHIJKLMNOP\n"
            "   0x00000010  51 52" +
                std::string(47, ' ') + "QR\n");
  EXPECT_EQ(
      hex(4, {1, 2, 0x20, 0x7E, 0x7F, 0x80}, false),
      "   0x00000004" + std::string(14, ' ') + "01 02 20 7E-7F 80" + std::string(27, ' ') + "\xB7\xB7 ~\xB7\xB7\n");

  test::ScriptedHost host;
  host.abortAfterPolls = 1;
  std::vector<uint8_t> ones(64, 1);
  bool aborted = false;
  const std::string stopped = Marked([&](Report& r) { aborted = r.HexDumpBlock(0, ones.data(), 64, false); }, &host);
  EXPECT_TRUE(aborted);
  EXPECT_EQ(std::count(stopped.begin(), stopped.end(), '\n'), 2);

  std::vector<uint8_t> bytes(20, 0);
  bytes[0] = 'A';
  bytes[17] = 0x20;
  bool anySet = false;
  EXPECT_EQ(Marked([&](Report& r) { anySet = r.AppendDebugLines(0x1F0, bytes.data(), bytes.size()); }),
            "\n000001F0  41 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     A..............."
            "\n00000200  00 20 00 00" +
                std::string(41, ' ') + "....");
  EXPECT_TRUE(anySet);
  Marked([&](Report& r) { anySet = r.AppendDebugLines(0, std::vector<uint8_t>(16).data(), 16); });
  EXPECT_FALSE(anySet);
}

TEST(TextHelpers, ChecksumTimestampsAndCodePage) {
  // Words after the first, the sum rotated right by one before each add:
  // 1 -> ror(0)+1 = 1; ror(1) = 0x80000000, + 2 = 0x80000002. A cut word counts nothing.
  const uint8_t words[16] = {0xAA, 0xBB, 0xCC, 0xDD, 1, 0, 0, 0, 2, 0, 0, 0, 9, 9, 9, 9};
  EXPECT_EQ(RotateAddChecksum(words, 7), 0u);
  EXPECT_EQ(RotateAddChecksum(words, 12), 0x80000002u);
  EXPECT_EQ(RotateAddChecksum(words, 15), 0x80000002u);

  // Tests run with TZ=UTC.
  EXPECT_EQ(FormatTimestamp(1007560989ULL * 1000000ULL + 999999), "Wednesday 05 December 2001  14:03:09");
  EXPECT_EQ(FormatTimestamp(6307200000000000ULL), "Monday 13 November 2169  00:00:00");
  EXPECT_EQ(FormatTimestamp(6307201000000000ULL), "time_val exceeds limit");
  EXPECT_EQ(FormatTimestampSeconds(0x80000000u), "Tuesday 19 January 2038  03:14:08");
  EXPECT_EQ(FormatTimestampSeconds(0xFFFFFFFFu), "Sunday 07 February 2106  06:28:15");

  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<uint8_t>(b))), b) << b;
  EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x81), u'\u0081');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0xE9), u'\u00E9');
  EXPECT_EQ(UnicodeToCp1252(u'\u2603'), '?');
}

}  // namespace
}  // namespace trovik
