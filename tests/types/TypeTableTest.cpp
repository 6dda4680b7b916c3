// Tests over every type of the table. Hostile files: random bytes, 0xFF and zero
// fills, a file cut short, the largest Count, the bytes around 4 GiB and an
// empty file. Each run ends normally or with the abort ending, writes no NUL
// into the report, touches no byte outside the file and writes nothing. A
// Count walk that reaches 0xFFFFFFFF stops there and says so, and no offset
// wraps to the start of the file. Count walks of the fixed-size types: item
// k of a walk is what a run of one item at its offset shows, the walk stops
// where it should, and an abort after the first item ends the report there.
// Then an item across 4 GiB, and an edit to a file made shorter while the
// editor was open.
#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>

#include "engine/DumpType.h"
#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

constexpr uint64_t k4GiB = 0x100000000ULL;
constexpr uint64_t kWalkStart = 0xFFFFF000;
const std::string kStopLine = "The rest lies past 0xFFFFFFFF, beyond the 4 GiB this run addresses.\n";
const std::string kPastEnd = " <-- (past the end of the file)\n";

struct Input { const char* what; uint64_t fileSize, at; std::vector<uint8_t> bytes; std::string start; int count; };  // at: where the bytes lie

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

std::vector<Input> Inputs() {
  return {
      {"random bytes", 0, 0, RandomBytes(9000, 7), "0", 5},
      {"random bytes, odd start", 0, 0, RandomBytes(3000, 8), "0x123", 3},
      {"0xFF fill", 0, 0, std::vector<uint8_t>(6000, 0xFF), "0", 7},
      {"zero fill", 0, 0, std::vector<uint8_t>(6000, 0), "0", 7},
      {"cut short", 0, 0, RandomBytes(37, 9), "0", 2},
      {"Count 16384", 0, 0, RandomBytes(4096, 10), "0", 16384},
      {"last bytes below 4 GiB", k4GiB, k4GiB - 4096, RandomBytes(4096, 11), "0xFFFFF800", 8},
      {"file past 4 GiB", k4GiB + 8192, k4GiB - 2048, RandomBytes(8192, 12), "0xFFFFFF00", 40},
  };
}

// Title lines stand at the left margin (field labels are indented); one
// that shows an offset in the first 64 KiB came from a wrapped offset.
std::string WrappedTitle(const std::string& text) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != ' ' && line.find("(0x0000") != std::string::npos) return line;
  return "";
}

class Sweep : public testing::TestWithParam<DumpTypeInfo> {};

TEST_P(Sweep, HostileFilesEndCleanly) {
  const DumpTypeInfo& row = GetParam();
  for (const Input& in : Inputs()) {
    SCOPED_TRACE(in.what);
    FakeFile file(in.bytes, in.at);
    if (in.fileSize > file.Size()) file.Put(in.fileSize - 1, {0});
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
  EXPECT_EQ(std::count(red.begin(), red.end(), kPastEnd), 1) << result.marked;
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
    // A marker at the start; the last 4 KiB below 4 GiB (and more past it, when the file is larger) hold 0x22: a
    // record length, name length or rec_len that keeps every variable walk going.
    FakeFile file(size);
    file.Put(0, std::vector<uint8_t>(4096, 0x5A));
    file.Put(kWalkStart, std::vector<uint8_t>(std::min(size, k4GiB + 0x2000) - kWalkStart, 0x22));
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
    EXPECT_EQ(std::count(red.begin(), red.end(), kPastEnd), size > k4GiB || row.id == DumpType::Ext2Dir ? 0 : 1);
  }
}

// Item sizes from the formats' own documentation.
struct Walk { DumpType type; uint32_t size; };
constexpr Walk kWalks[] = {
    {DumpType::Mbr, 16},          {DumpType::GptEntry, 128},      {DumpType::FatDir, 32},
    {DumpType::FatLfn, 32},       {DumpType::OhciEd, 16},         {DumpType::OhciTd, 16},
    {DumpType::OhciItd, 32},      {DumpType::QorSlot, 128},       {DumpType::QorSubdir, 128},
    {DumpType::QorCont, 128},     {DumpType::Ext2Group, 32},      {DumpType::Ext4Group, 64},
    {DumpType::Ext2Inode, 128},   {DumpType::Ext2InodeLong, 128}, {DumpType::PeSection, 40},
    {DumpType::LeanIndirect, 512}, {DumpType::Udf, 512},
};

std::string Hex8(uint64_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(v));
  return text;
}

// The item number a walk of several items puts before a title (the long
// inode's numbered title also names ext4 where the single one says ext2).
std::string WithoutItemNumbers(const std::string& text) {
  const std::string plain = std::regex_replace(text, std::regex("(^|\n)[0-9]{3}\\) "), "$1");
  return std::regex_replace(plain, std::regex("EXT4 Inode (\\(0x[0-9A-F]{8}\\) \\(Long)"), "EXT2 Inode $1");
}

class Walks : public testing::TestWithParam<Walk> {};

TEST_P(Walks, ItemsAreSingleRunsAtTheirOffsets) {
  const Walk w = GetParam();
  const uint32_t start = w.size;  // a walk that does not begin at 0
  const auto bytes = RandomBytes(start + 3 * w.size, static_cast<unsigned>(w.type));
  const std::string startText = "0x" + Hex8(start);

  FakeFile file(bytes);
  const DumpResult walk = RunOnFile(MakeRequest(w.type, startText, "0", 3), file);
  EXPECT_EQ(walk.status, RunStatus::Done);
  EXPECT_EQ(file.OutOfBounds(), "") << "the last item ends at the end of the file";
  std::string singles;
  for (uint32_t k = 0; k < 3; ++k)
    singles += RunOnBytes(MakeRequest(w.type, "0x" + Hex8(start + k * w.size), "0", 1), bytes).marked;
  EXPECT_EQ(WithoutItemNumbers(walk.marked), singles);

  // Count 1 shows one item; an abort after the first item ends the report there.
  const std::string one = RunOnBytes(MakeRequest(w.type, startText, "0", 1), bytes).text;
  EXPECT_EQ(one.find(Hex8(start + w.size)), std::string::npos);
  ScriptedHost aborting;
  aborting.abortAfterPolls = 0;
  const DumpResult stopped = RunOnBytes(MakeRequest(w.type, startText, "0", 3), bytes, &aborting);
  EXPECT_EQ(stopped.status, RunStatus::Aborted);
  EXPECT_NE(stopped.text.find(Hex8(start)), std::string::npos);
  EXPECT_EQ(stopped.text.find(Hex8(start + w.size)), std::string::npos);
  EXPECT_TRUE(stopped.text.ends_with("\nUser Abort..."));
}

TEST(FileEnd, AnItemAcrossFourGiBShowsItsOffsetsInNineDigits) {
  // A directory record of 0x40 bytes at 0xFFFFFFF0; its name length lies
  // past 4 GiB and reads as 0, so its system use area starts at 34.
  FakeFile file(5ULL << 30);
  file.Put(0, std::vector<uint8_t>(4096, 0x5A));
  file.Put(0xFFFFFFF0, {0x40});
  const DumpResult run = RunOnFile(MakeRequest(DumpType::IsoDir, "0xFFFFFFF0", "0", 3), file);
  EXPECT_NE(run.text.find("CD-ROM Root Dir  (0xFFFFFFF0)"), std::string::npos) << run.text;
  EXPECT_NE(run.text.find("\n100000012  00 00"), std::string::npos) << run.text;
  EXPECT_NE(run.text.find("\n100000022  00 00"), std::string::npos) << run.text;
  EXPECT_EQ(RedTexts(run.marked),
            (std::vector<std::string>{" <-- (past 0xFFFFFFFF, beyond the 4 GiB this run addresses)\n",
                                      kStopLine}));
  for (const auto& access : file.log) EXPECT_GE(access.offset, 0xFFFFF000u) << "a read wrapped";
}

// The confirmed write would grow the file again with the structure's
// bytes, so it is refused.
TEST(FileEnd, AnEditIsNotWrittenToAFileThatShrankWhileTheEditorWasOpen) {
  MemoryFile file(std::vector<uint8_t>(512, 0));
  ScriptedHost host;
  host.editor = [&](uint8_t* data, int index) {
    data[0] = 0x80;
    if (index == 1) file.Bytes().resize(0x1C0);
    return true;
  };
  const DumpResult result = RunOnFile(MakeEditRequest(DumpType::Mbr, "0x1BE", 2), file, &host);
  EXPECT_EQ(file.Bytes().size(), 0x1C0u) << "the write grew the file again";
  EXPECT_EQ(file.Bytes()[0x1BE], 0x80) << "the first entry, written before the file shrank";
  EXPECT_EQ(result.messages, std::vector<std::string>{
                                 "The file is now 448 bytes long, too short for the structure at 0x000001CE; "
                                 "nothing was written."});
}

// Test names are the types' command-line names.
std::string TypeName(DumpType type) {
  std::string name(FindDumpType(static_cast<int>(type))->name);
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryType, Sweep, testing::ValuesIn(DumpTypeTable().begin(), DumpTypeTable().end()),
                         [](const auto& info) { return TypeName(info.param.id); });
INSTANTIATE_TEST_SUITE_P(FixedSize, Walks, testing::ValuesIn(kWalks),
                         [](const auto& info) { return TypeName(info.param.type); });

}  // namespace
}  // namespace trovik::test
