// The general formats, offset parsing and range fixing, how a run ends on unknown types, read errors and 4 GiB, and
// the size estimate that warns before a large report: never below what a general format writes, not far above it.
#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/Catalog.h"
#include "engine/ReportSize.h"
#include "support/FakeFile.h"
#include "support/Golden.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunOnBytes;

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), uint8_t{0});  // 0, 1, ... 255, 0, 1, ...
  return bytes;
}

std::string Text(DumpType type, std::string start, std::string end, std::vector<uint8_t> bytes) {
  return RunOnBytes(MakeRequest(type, std::move(start), std::move(end)), std::move(bytes)).text;
}

TEST(GeneralFormats, Listings) {
  // golden name, type, start, end, file size, polls before an abort (-1: none), sector offsets
  for (const auto& [golden, type, start, end, size, abortAfterPolls, sectors] :
       std::vector<std::tuple<const char*, DumpType, const char*, const char*, size_t, int, bool>>{
           {"debug-partial-lines", DumpType::DosDebug, "0x05", "0xFC", 256, -1, false},
           {"debug-start-after-end", DumpType::DosDebug, "0x105", "0x100", 4096, -1, false},
           {"debug-abort", DumpType::DosDebug, "0", "0x3F", 64, 0, false},
           {"debug-sectors-past-the-end", DumpType::DosDebug, "0", "1", 20, -1, true},
           {"assembly", DumpType::Assembly, "0xEE", "0xFF", 256, -1, false},
           {"c", DumpType::C, "0", "16", 17, -1, false},
           {"c-abort", DumpType::C, "0", "31", 32, 0, false},
           {"basic", DumpType::Basic, "0x90", "0xB1", 256, -1, false}}) {
    test::ScriptedHost host;
    host.abortAfterPolls = abortAfterPolls;
    DumpRequest request = MakeRequest(type, start, end);
    request.offsetType = sectors ? OffsetType::Sectors : OffsetType::Bytes;
    const auto result = RunOnBytes(request, Counting(size), &host);
    EXPECT_EQ(result.status, abortAfterPolls < 0 ? RunStatus::Done : RunStatus::Aborted) << golden;
    test::ExpectReport(result, std::string("engine/") + golden);
  }
  EXPECT_EQ(Text(DumpType::DosDebug, "0", "0", {}), "");
  EXPECT_EQ(Text(DumpType::Pascal, "0", "15", Counting(16)), "");

  // Long ranges cross the run's read blocks without losing a byte or a line.
  const size_t size = 600 * 1024 + 7;
  const std::string debug = Text(DumpType::DosDebug, "3", "-1", Counting(size));
  EXPECT_EQ(static_cast<size_t>(std::count(debug.begin(), debug.end(), '\n')), (size + 15) / 16);
  EXPECT_NE(debug.find("\n00090000  00 01 02 03 04 05 06 07-08 09 0A 0B 0C 0D 0E 0F     ................"),
            std::string::npos);
  EXPECT_EQ(Text(DumpType::C, "0", "-1", Counting(size)).size(), size * 6 + ((size + 15) / 16) * 3);
}

TEST(GeneralFormats, TextShowsChunksOf512UpToTheirFirstZero) {
  std::string all(1000, ' ');
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<char>('a' + i % 26);
  std::vector<uint8_t> bytes(all.begin(), all.end());
  EXPECT_EQ(Text(DumpType::AsciiText, "0", "999", bytes), all);
  bytes[10] = 0;
  EXPECT_EQ(Text(DumpType::AsciiText, "0", "999", bytes), all.substr(0, 10) + all.substr(512));
  EXPECT_EQ(Text(DumpType::AsciiText, "5", "999", bytes), all.substr(5, 5) + all.substr(517));  // chunks from the start
  const std::string lines = "one\r\ntwo\nthree";
  EXPECT_EQ(Text(DumpType::AsciiText, "0", "-1", {lines.begin(), lines.end()}), lines);
}

// The table of texts, ranges and preset ends lies in tests/data/engine/ranges.txt.
TEST(Range, OffsetTextsRangesAndPresetEnds) {
  std::istringstream table(test::ReadTestText("engine/ranges.txt"));
  int rows = 0;
  for (std::string line; std::getline(table, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::string kind, start, end, unit, size, first, last;
    in >> kind;
    ++rows;
    const auto number = [](const std::string& text) { return std::stoull(text, nullptr, 0); };
    if (kind == "offset" && in >> std::quoted(start) >> first) {
      EXPECT_EQ(ParseOffsetText(start), number(first)) << line;
    } else if (kind == "range" && in >> start >> end >> unit >> size >> first >> last) {
      DumpRequest request = MakeRequest(DumpType::DosDebug, start, end);
      request.offsetType = unit == "bytes" ? OffsetType::Bytes : OffsetType::Sectors;
      request.isIso = unit == "iso";
      const ByteRange r = FixRange(request, number(size));
      EXPECT_EQ(std::to_string(r.start) + " " + std::to_string(r.end), std::to_string(number(first)) + " " + std::to_string(number(last))) << line;
    } else if (kind == "preset" && in >> unit >> size >> end) {
      EXPECT_EQ(PresetRange(number(size), unit == "bytes" ? OffsetType::Bytes : OffsetType::Sectors, unit == "iso").end, end) << line;
    } else {
      ADD_FAILURE() << "unreadable row: " << line;
    }
  }
  EXPECT_EQ(rows, 42);
  EXPECT_EQ(PresetRange(4096, OffsetType::Bytes, false).start, "0x00000000");
  EXPECT_TRUE(ExceedsAddressableSize(1ULL << 32));
  EXPECT_FALSE(ExceedsAddressableSize((1ULL << 32) - 1));
}

TEST(DumpRun, UnknownTypesAndReadErrorsEndTheRunWithTheirMessage) {
  for (int type : {0, 1004, 9999}) {
    DumpRequest request = MakeRequest(DumpType::DosDebug, "0", "15");
    request.dumpType = static_cast<DumpType>(type);
    const auto result = RunOnBytes(request, std::vector<uint8_t>(16));
    EXPECT_EQ(result.status, RunStatus::Done);
    EXPECT_EQ(result.text, "");
    EXPECT_EQ(result.messages, std::vector<std::string>{"An Unknown type was specified"});
  }

  // A read that fails after a megabyte keeps what was listed before it.
  test::FakeFile file(4 << 20);
  file.failReadAt = 1 << 20;
  const auto result = test::RunOnFile(MakeRequest(DumpType::DosDebug, "0", "-1"), file);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  EXPECT_EQ(result.messages, std::vector<std::string>{"Error reading file: Input/output error"});
  EXPECT_EQ(result.text.substr(0, 10), "\n00000000 ");
  EXPECT_GT(result.text.size(), 100000u);
}

TEST(DumpRun, FilesOf4GiBAndMoreEndAtTheLastAddressableByte) {
  test::FakeFile file(5ULL << 30);
  file.Put(0, std::vector<uint8_t>(16, 'S'));  // must never show up as a byte past 4 GiB
  file.Put(0xFFFFFFF0ULL, {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'});
  file.Put(0x100000000ULL, std::vector<uint8_t>(16, 'X'));
  auto result = test::RunOnFile(MakeRequest(DumpType::DosDebug, "0xFFFFFFF0", "0xFFFFFFFF"), file);
  EXPECT_EQ(result.status, RunStatus::Done);
  EXPECT_EQ(result.text, "\nFFFFFFF0  30 31 32 33 34 35 36 37-38 39 61 62 63 64 65 66     0123456789abcdef");

  EXPECT_EQ(test::RunOnFile(MakeRequest(DumpType::AsciiText, "0xFFFFFFF0", "-1"), file).text, "0123456789abcdef");
  DumpRequest sectors = MakeRequest(DumpType::Basic, "8388607", "8388609");  // the last sector and beyond
  sectors.offsetType = OffsetType::Sectors;
  const std::string basic = test::RunOnFile(sectors, file).text;
  EXPECT_EQ(std::count(basic.begin(), basic.end(), '&'), 512);
  EXPECT_EQ(basic.substr(basic.size() - 10), "&h65, &h66");
  for (const auto& access : file.log) EXPECT_LE(access.offset + access.length, 1ULL << 32) << access.offset;
}

TEST(ReportSize, GeneralFormatsAreEstimatedFromAboveStructuresAndEmptyFilesAreNotLarge) {
  std::vector<uint8_t> bytes(5000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i % 255 + 1);  // no zero bytes
  for (DumpType type : {DumpType::DosDebug, DumpType::Assembly, DumpType::C, DumpType::Basic, DumpType::AsciiText}) {
    for (const auto& [start, end] : std::initializer_list<std::pair<const char*, const char*>>{
             {"0", "0xFFFFFFFF"}, {"0x1BE", "0x1FD"}, {"3", "4"}, {"0x105", "0x100"}, {"0x1000", "99999"}}) {
      const DumpRequest request = test::MakeRequest(type, start, end);
      const uint64_t written = test::RunOnBytes(request, bytes).text.size();
      const uint64_t estimate = EstimateReportChars(request, bytes.size());
      SCOPED_TRACE(testing::Message() << static_cast<int>(type) << " " << start << ".." << end);
      EXPECT_GE(estimate, written);
      EXPECT_LE(estimate, written + 103);  // at most a partial line's padding
    }
  }
  // Structures and empty files are not large.
  EXPECT_EQ(EstimateReportChars(test::MakeRequest(DumpType::Ext2Inode, "0", "0", 16384), 1ull << 32), 0u);
  EXPECT_EQ(EstimateReportChars(test::MakeRequest(DumpType::DosDebug, "0", "0xFFFFFFFF"), 0), 0u);
  // A 5 GiB file is dumped as its first 4 GiB: 2^28 lines of 79 characters.
  EXPECT_EQ(EstimateReportChars(test::MakeRequest(DumpType::DosDebug, "0", "0xFFFFFFFF"), 5ull << 30), 79ull << 28);
}

}  // namespace
}  // namespace trovik
