// The general formats, offset parsing and range fixing, and how a run ends on unknown types, read errors and 4 GiB.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalog/Catalog.h"
#include "support/FakeFile.h"
#include "support/Golden.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunOnBytes;

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i);
  return bytes;
}

std::string Text(DumpType type, std::string start, std::string end, std::vector<uint8_t> bytes) {
  return RunOnBytes(MakeRequest(type, std::move(start), std::move(end)), std::move(bytes)).text;
}

TEST(GeneralFormats, Listings) {
  struct Case {
    const char* golden;
    DumpType type;
    const char *start, *end;
    size_t size;
    int abortAfterPolls = -1;
    int offsetType = 0;
  };
  for (const Case& c : {
           Case{"debug-partial-lines", DumpType::DosDebug, "0x05", "0xFC", 256},
           Case{"debug-start-after-end", DumpType::DosDebug, "0x105", "0x100", 4096},
           Case{"debug-abort", DumpType::DosDebug, "0", "0x3F", 64, 0},
           Case{"debug-sectors-past-the-end", DumpType::DosDebug, "0", "1", 20, -1, 1},
           Case{"assembly", DumpType::Assembly, "0xEE", "0xFF", 256},
           Case{"c", DumpType::C, "0", "16", 17},
           Case{"c-abort", DumpType::C, "0", "31", 32, 0},
           Case{"basic", DumpType::Basic, "0x90", "0xB1", 256},
       }) {
    test::ScriptedHost host;
    host.abortAfterPolls = c.abortAfterPolls;
    DumpRequest request = MakeRequest(c.type, c.start, c.end);
    request.offsetType = static_cast<OffsetType>(c.offsetType);
    const auto result = RunOnBytes(request, Counting(c.size), &host);
    EXPECT_EQ(result.status, c.abortAfterPolls < 0 ? RunStatus::Done : RunStatus::Aborted) << c.golden;
    test::ExpectReport(result, std::string("engine/") + c.golden);
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

TEST(Range, OffsetTextsAndTheirClamping) {
  // Texts above 32 bits name the last addressable byte, never one near the start.
  for (const auto& [text, value] : std::vector<std::pair<const char*, uint32_t>>{
           {"0x1BE", 0x1BE}, {"0X1be", 0x1BE}, {"446", 446}, {" 0x10", 0}, {"-1", 0xFFFFFFFF},
           {"-16", 0xFFFFFFF0}, {"0x-1", 0xFFFFFFFF}, {"12abc", 12}, {"0x1fz", 0x1F}, {"4294967296", 0xFFFFFFFF},
           {"0x100000010", 0xFFFFFFFF}, {"99999999999999999999999", 0xFFFFFFFF}, {"", 0}, {"abc", 0}, {"0x", 0},
           {"0xg", 0}})
    EXPECT_EQ(ParseOffsetText(text), value) << text;

  struct Case {
    const char *start, *end;
    int offsetType;
    bool iso;
    uint64_t size;
    uint32_t first, last;
  };
  const uint64_t fiveGiB = 5ULL << 30;
  for (const Case& c :
       {Case{"0x1BE", "0x1FD", 0, false, 4096, 0x1BE, 0x1FD}, Case{"0", "-1", 0, false, 1000, 0, 999},
        Case{"5000", "6000", 0, false, 1000, 999, 999}, Case{"0x10", "0x20", 0, false, 0, 0x10, 0x20},
        Case{"2", "3", 1, false, 1 << 20, 1024, 1535}, Case{"2", "3", 1, true, 1 << 20, 4096, 6143},
        Case{"0", "0", 1, false, 1 << 20, 0, 0},
        // Sector numbers are clamped against the byte size, so the range may run past the file.
        Case{"100", "200", 1, false, 1000, 51200, 102399},
        Case{"0x00800000", "0x00800001", 1, false, fiveGiB, 0xFFFFFFFF, 0xFFFFFFFF},
        Case{"0", "0x00800000", 1, false, fiveGiB, 0, 0xFFFFFFFF}, Case{"0", "-1", 0, false, fiveGiB, 0, 0xFFFFFFFF},
        Case{"0x100000000", "0x100000010", 0, false, fiveGiB, 0xFFFFFFFF, 0xFFFFFFFF},
        Case{"0x100000000", "0x100000010", 0, false, 1000, 999, 999}}) {
    DumpRequest request = MakeRequest(DumpType::DosDebug, c.start, c.end);
    request.offsetType = static_cast<OffsetType>(c.offsetType);
    request.isIso = c.iso;
    const ByteRange r = FixRange(request, c.size);
    EXPECT_EQ(r.start, c.first) << c.start << ".." << c.end;
    EXPECT_EQ(r.end, c.last) << c.start << ".." << c.end;
  }

  // The preset end; in sector mode it covers a last partial sector.
  EXPECT_EQ(PresetRange(4096, OffsetType::Bytes, false).start, "0x00000000");
  for (const auto& [size, offsetType, iso, end] : std::vector<std::tuple<uint64_t, OffsetType, bool, const char*>>{
           {0, OffsetType::Bytes, false, "0x00000000"}, {0, OffsetType::Sectors, false, "0"}, {1000, OffsetType::Bytes, false, "0x000003E7"}, {4096, OffsetType::Bytes, false, "0x00000FFF"},
           {fiveGiB, OffsetType::Bytes, false, "0xFFFFFFFF"}, {300, OffsetType::Sectors, false, "1"}, {1000, OffsetType::Sectors, false, "2"}, {1024, OffsetType::Sectors, false, "2"},
           {1025, OffsetType::Sectors, false, "3"}, {4096, OffsetType::Sectors, false, "8"}, {4096, OffsetType::Sectors, true, "2"}, {2049, OffsetType::Sectors, true, "2"},
           {fiveGiB, OffsetType::Sectors, false, "8388608"}})
    EXPECT_EQ(PresetRange(size, offsetType, iso).end, end) << size << " " << static_cast<int>(offsetType) << iso;
  EXPECT_TRUE(ExceedsAddressableSize(1ULL << 32));
  EXPECT_FALSE(ExceedsAddressableSize((1ULL << 32) - 1));
}

TEST(DumpRun, UnknownTypesAndReadErrorsEndTheRunWithTheirMessage) {
  for (const auto& row : DumpTypeTable()) EXPECT_NE(FindDecoder(row.id), nullptr) << row.name;
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

TEST(DumpRun, StructureReadsPastTheEndGiveZeros) {
  // A byte-mode start past the file is clamped to the last byte; a read from
  // there sees that byte and then zeros, never old buffer bytes.
  MemoryFile file(std::vector<uint8_t>{1, 2, 3});
  test::CaptureSink sink;
  test::ScriptedHost host;
  Report report(sink, &host);
  const DumpRequest request = MakeRequest(DumpType::FatDir, "0x100", "0");
  DumpContext ctx(file, report, host, request, FixRange(request, file.Size()), file.Size());
  std::vector<uint8_t> buffer(8, 0xEE);
  EXPECT_EQ(ctx.Read(buffer.data(), buffer.size()), 1u);
  EXPECT_EQ(buffer, (std::vector<uint8_t>{3, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ctx.Position(), 10u);
}

}  // namespace
}  // namespace trovik
