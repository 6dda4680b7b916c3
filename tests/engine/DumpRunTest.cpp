#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/DumpRun.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::CaptureSink;
using test::MakeRequest;
using test::RunOnBytes;
using test::ScriptedHost;

// A file whose bytes are computed, so sizes past 4 GiB cost no memory.
class SyntheticFile : public FileAccess {
 public:
  explicit SyntheticFile(uint64_t size) : size_(size) {}
  uint64_t reported = 0;      // size to report when not 0 (a file that shrinks after the query)
  uint64_t failAt = UINT64_MAX;  // reads reaching this offset fail
  uint64_t Size() override { return reported ? reported : size_; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override {
    if (offset + len > failAt) throw FileError("Error reading file: Input/output error");
    auto* out = static_cast<uint8_t*>(buffer);
    size_t n = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(len, size_ - offset));
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>((offset + i) * 7);
    std::memset(out + n, 0, len - n);
    return n;
  }
  void WriteAt(uint64_t, const void*, size_t) override { throw FileError("Error writing file: Read-only file system"); }

 private:
  uint64_t size_;
};

test::DumpResult RunOnFile(const DumpRequest& request, FileAccess& file) {
  ScriptedHost host;
  CaptureSink sink;
  RunStatus status = RunDump(request, file, sink, host);
  return {status, sink.Text(), sink.Marked(), host.messages};
}

TEST(DumpRun, UnknownTypeShowsItsMessageAndWritesNothing) {
  for (int type : {0, 1004, 9999}) {
    DumpRequest request = MakeRequest(DumpType::DosDebug, "0", "15");
    request.dumpType = type;
    auto result = RunOnBytes(request, std::vector<uint8_t>(16));
    EXPECT_EQ(result.status, RunStatus::Done);
    EXPECT_EQ(result.text, "");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0], "An Unknown type was specified");
  }
}

TEST(DumpRun, EveryTypeOfTheTableHasItsDecoder) {
  for (const auto& row : DumpTypeTable()) {
    EXPECT_NE(FindDecoder(row.id), nullptr) << row.name;
    auto result = RunOnBytes(MakeRequest(row.id, "0", "0x1FF", 2), std::vector<uint8_t>(4096, 0x41));
    EXPECT_EQ(result.status, RunStatus::Done) << row.name;
    EXPECT_TRUE(result.messages.empty()) << row.name;
    if (row.id != DumpType::Pascal) {
      EXPECT_FALSE(result.text.empty()) << row.name;
    }
  }
}

TEST(DumpRun, ReadErrorKeepsTheTextWrittenAndSaysWhy) {
  SyntheticFile file(4 << 20);
  file.failAt = 1 << 20;
  auto result = RunOnFile(MakeRequest(DumpType::DosDebug, "0", "-1"), file);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0], "Error reading file: Input/output error");
  EXPECT_EQ(result.text.substr(0, 10), "\n00000000 ");
  EXPECT_GT(result.text.size(), 100000u);
}

TEST(DumpRun, AFileThatShrinksShowsOnlyWhatWasRead) {
  SyntheticFile file(100);
  file.reported = 1000;
  auto result = RunOnFile(MakeRequest(DumpType::C, "0", "-1"), file);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  ASSERT_EQ(result.messages.size(), 1u);
  EXPECT_EQ(result.messages[0],
            "Error reading file: the file was made shorter during the dump; it is now 100 (0x00000064) bytes long, "
            "too short for the range");
  EXPECT_EQ(std::count(result.text.begin(), result.text.end(), ','), 100);
}

TEST(DumpRun, FilesOf4GiBAndMoreEndAtTheLastAddressableByte) {
  SyntheticFile file(5ULL << 30);
  auto result = RunOnFile(MakeRequest(DumpType::DosDebug, "0xFFFFFFF0", "0xFFFFFFFF"), file);
  EXPECT_EQ(result.status, RunStatus::Done);
  EXPECT_EQ(result.text.substr(0, 11), "\nFFFFFFF0  ");
  EXPECT_EQ(std::count(result.text.begin(), result.text.end(), '\n'), 1);

  auto text = RunOnFile(MakeRequest(DumpType::AsciiText, "0xFFFFFF00", "-1"), file);
  EXPECT_EQ(text.status, RunStatus::Done);
  EXPECT_LE(text.text.size(), 256u);

  DumpRequest sectors = MakeRequest(DumpType::Basic, "8388607", "8388609");  // the last sector and beyond
  sectors.offsetType = 1;
  auto basic = RunOnFile(sectors, file);
  EXPECT_EQ(std::count(basic.text.begin(), basic.text.end(), '&'), 512);
}

TEST(DumpRun, StructureReadsPastTheEndGiveZeros) {
  // A byte-mode start past the file is clamped to the last byte; a decoder
  // reading from there sees that byte and then zeros, never old buffer bytes.
  MemoryFile file(std::vector<uint8_t>{1, 2, 3});
  CaptureSink sink;
  ScriptedHost host;
  Report report(sink, &host);
  DumpRequest request = MakeRequest(DumpType::FatDir, "0x100", "0");
  DumpContext ctx(file, report, host, request, FixRange(request, file.Size()), file.Size());
  uint8_t buffer[8];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(ctx.Read(buffer, sizeof buffer), 1u);
  EXPECT_EQ(buffer[0], 3);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(buffer[i], 0) << i;
  EXPECT_EQ(ctx.Position(), 10u);
}

}  // namespace
}  // namespace trovik
