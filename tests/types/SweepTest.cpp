// Every type of the table over hostile files: random bytes, 0xFF and zero
// fills, a file cut short, the largest Count, the bytes around 4 GiB and an
// empty file. Each run ends normally or with the abort ending, writes no NUL
// into the report, touches no byte outside the file and writes nothing. A
// Count walk that reaches 0xFFFFFFFF stops there and says so, and no offset
// wraps to the start of the file.
#include <gtest/gtest.h>

#include <random>

#include "engine/DumpType.h"
#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

constexpr uint64_t k4GiB = 0x100000000ULL;
constexpr uint64_t kWalkStart = 0xFFFFF000;
const std::string kStopLine = "The rest lies past 0xFFFFFFFF, beyond the 4 GiB this run addresses.\n";
const std::string kPastEnd = " <-- (past the end of the file)\n";

int Count(const std::vector<std::string>& texts, const std::string& what) {
  return static_cast<int>(std::count(texts.begin(), texts.end(), what));
}

struct Input {
  const char* what;
  uint64_t fileSize;
  uint64_t at;  // where the bytes lie
  std::vector<uint8_t> bytes;
  std::string start;
  int count;
};

std::vector<Input> Inputs() {
  std::mt19937 rng(7);
  auto random = [&](size_t n) {
    std::vector<uint8_t> b(n);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    return b;
  };
  return {
      {"random bytes", 0, 0, random(9000), "0", 5},
      {"random bytes, odd start", 0, 0, random(3000), "0x123", 3},
      {"0xFF fill", 0, 0, std::vector<uint8_t>(6000, 0xFF), "0", 7},
      {"zero fill", 0, 0, std::vector<uint8_t>(6000, 0), "0", 7},
      {"cut short", 0, 0, random(37), "0", 2},
      {"Count 16384", 0, 0, random(4096), "0", 16384},
      {"last bytes below 4 GiB", k4GiB, k4GiB - 4096, random(4096), "0xFFFFF800", 8},
      {"file past 4 GiB", k4GiB + 8192, k4GiB - 2048, random(8192), "0xFFFFFF00", 40},
  };
}

// A file whose first bytes are a marker and whose last 4 KiB below 4 GiB
// (and more past it, when it is larger) hold 0x22: a record length, name
// length or rec_len that keeps every variable walk going.
FakeFile WalkFile(uint64_t size) {
  FakeFile file(size);
  file.Put(0, std::vector<uint8_t>(4096, 0x5A));
  file.Put(kWalkStart, std::vector<uint8_t>(std::min(size, k4GiB + 0x2000) - kWalkStart, 0x22));
  return file;
}

// Title lines stand at the left margin (field labels are indented); one
// that shows an offset in the first 64 KiB came from a wrapped offset.
std::string WrappedTitle(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find('\n', at), text.size());
    const std::string line = text.substr(at, end - at);
    if (!line.empty() && line[0] != ' ' && line.find("(0x0000") != std::string::npos) return line;
    at = end + 1;
  }
  return "";
}

class Sweep : public testing::TestWithParam<DumpTypeInfo> {};

TEST_P(Sweep, HostileFilesEndCleanly) {
  const DumpTypeInfo& row = GetParam();
  for (const Input& in : Inputs()) {
    SCOPED_TRACE(in.what);
    FakeFile file(in.bytes, in.at);
    if (in.fileSize > file.RealSize()) file.Put(in.fileSize - 1, {0});
    ScriptedHost host;
    host.startOffset = 0x1000;  // the OHCI types ask for a display address
    const DumpResult result = RunOnFile(MakeRequest(row.id, in.start, "0x00000000", in.count), file, &host);
    EXPECT_TRUE(result.status == RunStatus::Done || result.status == RunStatus::Aborted);
    EXPECT_EQ(result.text.find('\0'), std::string::npos);
    EXPECT_EQ(file.OutOfBounds(), "");
    EXPECT_TRUE(file.Writes().empty());
  }
}

// On an empty file every structure lies wholly past the end: its title says
// so, and a Count walk shows that one item and stops. The ISO records end
// their walk at a zero record length before any title, as on real discs.
TEST_P(Sweep, OnAnEmptyFileTheStructureIsMarkedPastTheEnd) {
  const DumpTypeInfo& row = GetParam();
  const auto result = RunOnBytes(MakeRequest(row.id, "0", "0", row.countEnabled ? 3 : 1), {});
  EXPECT_EQ(result.status, RunStatus::Done);
  const auto red = RedTexts(result.marked);
  const bool isoRecords = row.id == DumpType::IsoDir || row.id == DumpType::IsoDirWide ||
                          row.id == DumpType::IsoPath || row.id == DumpType::IsoPathWide;
  if (IsGeneralFormat(row.id) || isoRecords) {
    EXPECT_EQ(red, std::vector<std::string>{});
    return;
  }
  ASSERT_FALSE(red.empty());
  EXPECT_EQ(red.front(), kPastEnd) << "the first red text belongs on the title line";
  EXPECT_EQ(Count(red, kPastEnd), 1) << result.marked;
}

// From 0xFFFFF000 on a file of 5 GiB and on one a byte short of 4 GiB: the
// walk stops at 4 GiB with the line, reads nothing below its start or past
// 4 GiB, and shows no title with a wrapped offset. On the short file the
// item the end cuts is marked (an ext2 entry's rec_len of 0x2222 jumps from
// the first entry past 4 GiB instead).
TEST_P(Sweep, CountWalksStopAtFourGiB) {
  const DumpTypeInfo& row = GetParam();
  if (!row.countEnabled) return;
  for (const uint64_t size : {5 * (k4GiB / 4), k4GiB - 1}) {
    SCOPED_TRACE(size);
    FakeFile file = WalkFile(size);
    const DumpResult result = RunOnFile(MakeRequest(row.id, "0xFFFFF000", "0", kMaxCount), file);
    EXPECT_EQ(result.status, RunStatus::Done);
    for (const auto& access : file.log) {
      EXPECT_GE(access.offset, kWalkStart) << "a read wrapped to the start of the file";
      EXPECT_LE(access.offset + access.length, k4GiB) << "a read past the 4 GiB the run addresses";
    }
    EXPECT_EQ(WrappedTitle(result.text), "");
    const auto red = RedTexts(result.marked);
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(red.back(), kStopLine);
    EXPECT_TRUE(result.marked.ends_with(kStopLine + "]]")) << "text after the line that ends the walk";
    EXPECT_EQ(Count(red, kPastEnd), size > k4GiB || row.id == DumpType::Ext2Dir ? 0 : 1);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryType, Sweep, testing::ValuesIn(DumpTypeTable().begin(), DumpTypeTable().end()),
                         [](const auto& info) {
                           std::string name(info.param.name);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

}  // namespace
}  // namespace trovik::test
