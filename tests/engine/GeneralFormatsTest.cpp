#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunOnBytes;
using test::ScriptedHost;

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

std::string Dump(DumpType type, std::string start, std::string end, std::vector<uint8_t> bytes) {
  return RunOnBytes(MakeRequest(type, std::move(start), std::move(end)), std::move(bytes)).text;
}

TEST(DosDebug, PartialFirstAndLastLinesKeepTheirColumns) {
  EXPECT_EQ(Dump(DumpType::DosDebug, "0x1BE", "0x1FD", Counting(4096)),
            "\n000001B0                                            BE BF                   .."
            "\n000001C0  C0 C1 C2 C3 C4 C5 C6 C7-C8 C9 CA CB CC CD CE CF     ................"
            "\n000001D0  D0 D1 D2 D3 D4 D5 D6 D7-D8 D9 DA DB DC DD DE DF     ................"
            "\n000001E0  E0 E1 E2 E3 E4 E5 E6 E7-E8 E9 EA EB EC ED EE EF     ................"
            "\n000001F0  F0 F1 F2 F3 F4 F5 F6 F7-F8 F9 FA FB FC FD           ..............");
}

TEST(DosDebug, OneAlignedLineAndCharacterColumn) {
  std::vector<uint8_t> bytes(0x200, 0);
  const uint8_t line[16] = {0x20, 0x21, 0x7E, 0x7F, 0x80, 'H', 'i', 0, 0xFF, 'a', 'b', 'c', 'd', 'e', 'f', 'g'};
  std::copy(line, line + 16, bytes.begin() + 0x100);
  EXPECT_EQ(Dump(DumpType::DosDebug, "0x100", "0x10F", bytes),
            "\n00000100  20 21 7E 7F 80 48 69 00-FF 61 62 63 64 65 66 67     .!~\x7F.Hi..abcdefg");
}

TEST(DosDebug, StartAfterEndGivesOneBlankLine) {
  EXPECT_EQ(Dump(DumpType::DosDebug, "0x105", "0x100", Counting(4096)),
            "\n00000100 " + std::string(15, ' ') + std::string(5, ' ') + std::string(33, ' ') + std::string(5, ' '));
}

TEST(DosDebug, EmptyFileWritesNothing) { EXPECT_EQ(Dump(DumpType::DosDebug, "0", "0", {}), ""); }

TEST(DosDebug, AbortClosesTheCurrentLineThenWritesTheAbortText) {
  ScriptedHost host;
  host.abortAfterPolls = 0;
  auto result = RunOnBytes(MakeRequest(DumpType::DosDebug, "0", "0x3F"), Counting(64), &host);
  EXPECT_EQ(result.status, RunStatus::Aborted);
  EXPECT_EQ(result.text,
            "\n00000000  00 01 02 03 04 05 06 07-08 09 0A 0B 0C 0D 0E        ..............."
            "\nUser Abort...");
}

TEST(DosDebug, RangePastTheEndOfTheFileStopsAtTheLastByte) {
  // Sector mode may name sectors beyond the file: nothing unread is shown.
  DumpRequest request = MakeRequest(DumpType::DosDebug, "0", "1");
  request.offsetType = 1;
  EXPECT_EQ(RunOnBytes(request, Counting(20)).text,
            "\n00000000  00 01 02 03 04 05 06 07-08 09 0A 0B 0C 0D 0E 0F     ................"
            "\n00000010  10 11 12 13                                         ....");
}

TEST(Assembly, ItemsSeparatorsAndTheFinalComma) {
  std::vector<uint8_t> bytes = Counting(16);
  bytes.push_back(0x07);
  bytes.push_back(0xB8);
  EXPECT_EQ(Dump(DumpType::Assembly, "0", "0x11", bytes),
            "\n  db   00h,  01h,  02h,  03h,  04h,  05h,  06h,  07h,  08h,  09h,  0Ah,  0Bh,  0Ch,  0Dh,  0Eh,  0Fh  "
            "\n  db   07h, 0B8h, ");
}

TEST(CFormat, SeventeenBytesMakeTwoLines) {
  EXPECT_EQ(Dump(DumpType::C, "0", "16", Counting(17)),
            "\n  0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, "
            "\n  0x10, ");
}

TEST(Basic, SixteenBytesEndWithoutComma) {
  EXPECT_EQ(Dump(DumpType::Basic, "0", "15", Counting(16)),
            "\nDATA &h00, &h01, &h02, &h03, &h04, &h05, &h06, &h07, &h08, &h09, &h0A, &h0B, &h0C, &h0D, &h0E, &h0F");
  EXPECT_EQ(Dump(DumpType::Basic, "0xA0", "0xA1", Counting(256)), "\nDATA &hA0, &hA1, ");
}

TEST(SourceFormats, AbortStopsBeforeTheByteThatEndsALine) {
  ScriptedHost host;
  host.abortAfterPolls = 0;
  auto result = RunOnBytes(MakeRequest(DumpType::C, "0", "31"), Counting(32), &host);
  EXPECT_EQ(result.status, RunStatus::Aborted);
  EXPECT_EQ(result.text,
            "\n  0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, "
            "\nUser Abort...");
}

TEST(AsciiText, ChunksOf512AndZeroBytesEndAChunk) {
  std::vector<uint8_t> text(1000);
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<uint8_t>('a' + i % 26);
  std::string all(text.begin(), text.end());
  EXPECT_EQ(Dump(DumpType::AsciiText, "0", "999", text), all);

  text[10] = 0;  // the first chunk ends here; the second shows from its own start
  EXPECT_EQ(Dump(DumpType::AsciiText, "0", "999", text), all.substr(0, 10) + all.substr(512));
  // Chunks count from the start of the range.
  EXPECT_EQ(Dump(DumpType::AsciiText, "5", "999", text), all.substr(5, 5) + all.substr(517));
}

TEST(AsciiText, LineBreaksOfTheFileStay) {
  std::string file = "one\r\ntwo\nthree";
  EXPECT_EQ(Dump(DumpType::AsciiText, "0", "-1", std::vector<uint8_t>(file.begin(), file.end())), file);
}

TEST(Pascal, WritesNothing) {
  auto result = RunOnBytes(MakeRequest(DumpType::Pascal, "0", "15"), Counting(16));
  EXPECT_EQ(result.status, RunStatus::Done);
  EXPECT_EQ(result.text, "");
}

TEST(GeneralFormats, LargeRangesMatchTheBytewiseRules) {
  // Many blocks: every line of a long listing has the same shape and offset.
  const size_t size = 600 * 1024 + 7;
  auto text = Dump(DumpType::DosDebug, "3", "-1", Counting(size));
  size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
  EXPECT_EQ(lines, (size + 15) / 16);
  EXPECT_NE(text.find("\n00090000  00 01 02 03 04 05 06 07-08 09 0A 0B 0C 0D 0E 0F     ................"),
            std::string::npos);
  auto c = Dump(DumpType::C, "0", "-1", Counting(size));
  EXPECT_EQ(c.size(), size * 6 + ((size + 15) / 16) * 3);
}

}  // namespace
}  // namespace trovik
