#include <gtest/gtest.h>

#include <vector>

#include "engine/Report.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::CaptureSink;
using test::ScriptedHost;

TEST(Report, AnnotationReplacesTheLineBreakAndIsRed) {
  CaptureSink sink;
  Report report(sink);
  report.Add("  Boot ID: 0x12\n");
  report.AnnotateLine(true, " <-- Invalid");
  report.Add("next\n");
  report.AppendPending();
  report.Finish();
  EXPECT_EQ(sink.Marked(), "  Boot ID: 0x12[[ <-- Invalid\n]]next\n");
}

TEST(Report, ConfirmationKeepsNormalColourAndAnnotationsStackOnOneLine) {
  CaptureSink sink;
  Report report(sink);
  report.Add("CRC: 0x1\n");
  report.AnnotateLine(false, " (correct)");
  report.AnnotateLine(true, " <-- second");
  report.Finish();
  EXPECT_EQ(sink.Marked(), "CRC: 0x1 (correct)[[ <-- second\n]]");
}

TEST(Report, AnnotationAfterTrailingBlankReplacesTheBlank) {
  CaptureSink sink;
  Report report(sink);
  report.Add("Type: 1  ");
  report.AnnotateLine(true, " <-- x");
  report.Finish();
  EXPECT_EQ(sink.Text(), "Type: 1  <-- x\n");
}

TEST(Report, AnnotationAtTheVeryStartOnlyInserts) {
  CaptureSink sink;
  Report report(sink);
  report.AnnotateLine(true, " <-- x");
  report.Finish();
  EXPECT_EQ(sink.Marked(), "[[ <-- x\n]]");
}

TEST(Report, FormatHexFieldEndsTheLineWithLabelAndDigits) {
  CaptureSink sink;
  Report report(sink);
  report.Add("CRC: 0x12\n");
  report.FormatHexField(true, " <-- Should be", 0x3F, 2);
  report.Add("a:\n");
  report.FormatHexField(false, " x:", 0x1234567890ULL, 4);
  report.Finish();
  EXPECT_EQ(sink.Marked(), "CRC: 0x12[[ <-- Should be: 0x3F\n]]a: x:: 0x34567890\n");
}

TEST(Report, PrintfDropsZeroCharacters) {
  CaptureSink sink;
  Report report(sink);
  report.Printf("Sig: '%c%c%c'\n", 'A', 0, 'B');
  report.AddChar(0);
  report.AddChar('C');
  report.AppendPending();
  report.Finish();
  EXPECT_EQ(sink.Text(), "Sig: 'AB'\nC");
}

std::string HexBlock(uint32_t base, const std::vector<uint8_t>& bytes, bool collapse, int32_t length = -1) {
  CaptureSink sink;
  Report report(sink);
  report.HexDumpBlock(base, bytes.data(), length < 0 ? static_cast<int32_t>(bytes.size()) : length, collapse);
  report.AppendPending();
  report.Finish();
  return sink.Text();
}

TEST(HexDumpBlock, CollapsesZerosOnlyWhenAsked) {
  std::vector<uint8_t> zeros(64, 0);
  EXPECT_EQ(HexBlock(0, zeros, true), "                           All Zeros...\n");
  const std::string line =
      "   0x00000000  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     "
      "\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\xB7\n";
  std::string four = HexBlock(0, zeros, false);
  EXPECT_EQ(four.substr(0, line.size()), line);
  EXPECT_EQ(four.size(), 4 * line.size());
  EXPECT_EQ(HexBlock(0, {}, false), "");
  EXPECT_EQ(HexBlock(0, {}, true), "                           All Zeros...\n");
}

TEST(HexDumpBlock, PartialLinesKeepColumns) {
  std::vector<uint8_t> bytes(20);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>('A' + i);
  EXPECT_EQ(HexBlock(0, bytes, false),
            "   0x00000000  41 42 43 44 45 46 47 48-49 4A 4B 4C 4D 4E 4F 50     ABCDEFGHIJKLMNOP\n"
            "   0x00000010  51 52 53 54                                         QRST\n");
  EXPECT_EQ(HexBlock(4, {1, 2, 0x20, 0x7F, 0x80}, false),
            "   0x00000004              01 02 20 7F-80 " + std::string(21 + 4 + 4, ' ') +
                "\xB7\xB7 \xB7\xB7\n");
}

TEST(HexDumpBlock, StopsAfterTheLineWhenAborted) {
  std::vector<uint8_t> bytes(64, 1);
  CaptureSink sink;
  ScriptedHost host;
  host.abortAfterPolls = 1;
  Report report(sink, &host);
  EXPECT_TRUE(report.HexDumpBlock(0, bytes.data(), 64, false));
  report.AppendPending();
  report.Finish();
  EXPECT_EQ(std::count(sink.Text().begin(), sink.Text().end(), '\n'), 2);
}

TEST(AppendDebugLines, LinesPadTheLastAndTellWhetherAnyByteIsSet) {
  CaptureSink sink;
  Report report(sink);
  std::vector<uint8_t> bytes(20, 0);
  bytes[0] = 'A';
  bytes[17] = 0x20;
  EXPECT_TRUE(report.AppendDebugLines(0x1F0, bytes.data(), bytes.size()));
  report.Finish();
  EXPECT_EQ(sink.Text(),
            "\n000001F0  41 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     A..............."
            "\n00000200  00 20 00 00" + std::string(5 + 36, ' ') + "....");
  std::vector<uint8_t> zeros(16, 0);
  EXPECT_FALSE(report.AppendDebugLines(0, zeros.data(), zeros.size()));
}

TEST(ReportHelpers, PrintablePowerOfTwoAndChecksum) {
  EXPECT_EQ(PrintableChar(0x20), 0x20);
  EXPECT_EQ(PrintableChar(0x7E), 0x7E);
  EXPECT_EQ(PrintableChar(0x7F), 0xB7);
  EXPECT_EQ(PrintableChar(0x80), 0xB7);
  EXPECT_EQ(PrintableChar(0x00), 0xB7);
  EXPECT_TRUE(IsPowerOfTwo(0x80000000u));
  EXPECT_TRUE(IsPowerOfTwo(1));
  EXPECT_FALSE(IsPowerOfTwo(0));
  EXPECT_FALSE(IsPowerOfTwo(3));

  const uint8_t words[16] = {0xAA, 0xBB, 0xCC, 0xDD, 1, 0, 0, 0, 2, 0, 0, 0, 9, 9, 9, 9};
  EXPECT_EQ(RotateAddChecksum(words, 4), 0u);
  EXPECT_EQ(RotateAddChecksum(words, 7), 0u);
  EXPECT_EQ(RotateAddChecksum(words, 12), 0x80000002u);
  EXPECT_EQ(RotateAddChecksum(words, 15), 0x80000002u);  // a partial word is ignored
}

TEST(ReportHelpers, Ucs2BeKeepsLowBytes) {
  const uint8_t wide[] = {0, 'C', 0, 'D', 0x30, 'X'};
  char out[4];
  Ucs2BeToAscii(out, wide, 3);
  EXPECT_STREQ(out, "CDX");
  Ucs2BeToAscii(out, wide, 0);
  EXPECT_STREQ(out, "");
}

// Tests run with TZ=UTC.
TEST(FormatTimestamp, MicrosecondsWithLimit) {
  EXPECT_EQ(FormatTimestamp(0), "Thursday 01 January 1970  00:00:00");
  EXPECT_EQ(FormatTimestamp(1007560989ULL * 1000000ULL + 999999), "Wednesday 05 December 2001  14:03:09");
  EXPECT_EQ(FormatTimestamp(6307201000000000ULL), "time_val exceeds limit");
  EXPECT_EQ(FormatTimestamp(6307200000000000ULL), "Monday 13 November 2169  00:00:00");
}

TEST(FormatTimestamp, SecondsAreShownAsStoredWithoutShift) {
  EXPECT_EQ(FormatTimestampSeconds(1007560989), "Wednesday 05 December 2001  14:03:09");
  // Values past 2038 need a 64-bit conversion.
  EXPECT_EQ(FormatTimestampSeconds(0xFFFFFFFFu), "Sunday 07 February 2106  06:28:15");
  EXPECT_EQ(FormatTimestampSeconds(0x80000000u), "Tuesday 19 January 2038  03:14:08");
}

TEST(TextFormat, LongResultsAreComplete) {
  std::string long_text(1000, 'x');
  EXPECT_EQ(Format("%s|%d", long_text.c_str(), 7), long_text + "|7");
}

}  // namespace
}  // namespace trovik
