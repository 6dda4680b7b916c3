// The report writer (annotations, hex blocks, debug lines) and the text helpers beside it.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/CodePage.h"
#include "engine/Report.h"
#include "engine/TextFormat.h"
#include "support/Golden.h"
#include "support/RuleTable.h"

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

// Each case is a report of its own; the listing holds them one after the
// other, separated by "----" lines.
TEST(Report, AnnotationsHexBlocksAndDebugLines) {
  const std::vector<uint8_t> letters{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P', 'Q', 'R'};
  const std::vector<uint8_t> odd{1, 2, 0x20, 0x7E, 0x7F, 0x80};
  const std::vector<uint8_t> debug = test::Built(20, {test::U8(0, 'A'), test::U8(17, 0x20)});
  const std::vector<uint8_t> zeros(64);
  const std::vector<std::function<void(Report&)>> cases = {
      // An annotation takes the place of the last character (a line break or a blank).
      [](Report& r) { r.Add("  Boot ID: 0x12\n"), r.Flag(" <-- Invalid"), r.Add("next\n"); },
      // A confirmation stays black; a second annotation stacks on the same line.
      [](Report& r) { r.Add("CRC: 0x1\n"), r.Note(" (correct)"), r.Flag(" <-- second"); },
      [](Report& r) { r.Add("Type: 1  "), r.Flag(" <-- x"); },
      [](Report& r) { r.Flag(" <-- x"); },
      [](Report& r) {
        r.Add("CRC: 0x12\n"), r.FlagHex(" <-- Should be", 0x3F, 2);
        r.Add("a:\n"), r.FlagHex(" x:", 0x1234567890ULL, 4);
      },
      // Zero characters never reach the report.
      [](Report& r) { r.Printf("Sig: '%c%c%c'\n", 'A', 0, 'B'), r.AddChar(0), r.AddChar('C'); },
      [&](Report& r) { r.HexDumpBlock(0, zeros.data(), 64, true); },
      [&](Report& r) { r.HexDumpBlock(0, zeros.data(), 0, true); },
      [&](Report& r) { r.HexDumpBlock(0, zeros.data(), 0, false); },
      [&](Report& r) { r.HexDumpBlock(0, zeros.data(), 16, false); },
      [&](Report& r) { r.HexDumpBlock(0, letters.data(), static_cast<int32_t>(letters.size()), false); },
      [&](Report& r) { r.HexDumpBlock(4, odd.data(), static_cast<int32_t>(odd.size()), false); },
      [&](Report& r) { EXPECT_TRUE(r.AppendDebugLines(0x1F0, debug.data(), debug.size())); },
      [&](Report& r) { EXPECT_FALSE(r.AppendDebugLines(0, zeros.data(), 16)); },
  };
  std::string listing;
  for (const auto& write : cases) listing += Marked(write) + "\n----\n";
  test::ExpectReport(listing, "engine/report-writer");
  EXPECT_EQ(Format("%s|%d", std::string(1000, 'x').c_str(), 7), std::string(1000, 'x') + "|7");

  test::ScriptedHost host;
  host.abortAfterPolls = 1;
  const std::vector<uint8_t> ones(64, 1);
  bool aborted = false;
  const std::string stopped = Marked([&](Report& r) { aborted = r.HexDumpBlock(0, ones.data(), 64, false); }, &host);
  EXPECT_TRUE(aborted);
  EXPECT_EQ(std::count(stopped.begin(), stopped.end(), '\n'), 2);
}

TEST(TextHelpers, CodePage) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<uint8_t>(b))), b) << b;
  EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
  EXPECT_EQ(UnicodeToCp1252(u'\u2603'), '?');
}

}  // namespace
}  // namespace trovik
