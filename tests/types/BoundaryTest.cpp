// The 4 GiB a run addresses, over every type with a Count: a walk that
// reaches 0xFFFFFFFF stops there and says so, no offset wraps to the start
// of the file, and offsets inside an item that crosses the line keep their
// true value. Files of 5 GiB and of 4 GiB - 1 cost nothing here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DumpRun.h"
#include "engine/DumpType.h"
#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

constexpr uint64_t k4GiB = 0x100000000ULL;
constexpr uint64_t kWalkStart = 0xFFFFF000;
const std::string kStopLine = "The rest lies past 0xFFFFFFFF, beyond the 4 GiB this run addresses.\n";

struct Logged {
  DumpResult result;
  std::vector<FakeFile::Access> log;
};

Logged Dump(FakeFile& file, const DumpRequest& request) {
  ScriptedHost host;
  CaptureSink sink;
  const RunStatus status = RunDump(request, file, sink, host);
  return {{status, sink.Text(), sink.Marked(), host.messages}, file.log};
}

// A file whose first bytes are a marker and whose last 4 KiB below 4 GiB
// (and more past it, when it is larger) hold 0x22: a record length, name
// length or rec_len that keeps every variable walk going.
FakeFile WalkFile(uint64_t size) {
  FakeFile file(size);
  file.Put(0, std::vector<uint8_t>(4096, 0x5A));
  const uint64_t end = std::min(size, k4GiB + 0x2000);
  file.Put(kWalkStart, std::vector<uint8_t>(end - kWalkStart, 0x22));
  return file;
}

std::vector<const DumpTypeInfo*> CountTypes() {
  std::vector<const DumpTypeInfo*> types;
  for (const auto& row : DumpTypeTable())
    if (row.countEnabled && FindDecoder(row.id)) types.push_back(&row);
  return types;
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

void ExpectNoWrappedRead(const Logged& run) {
  for (const auto& access : run.log) {
    EXPECT_GE(access.offset, kWalkStart) << "a read at " << access.offset << " wrapped to the start of the file";
    EXPECT_LE(access.offset + access.length, k4GiB) << "a read past the 4 GiB the run addresses";
  }
}

TEST(FourGiB, EveryCountWalkStopsBeforeItWouldPassFourGiB) {
  const auto types = CountTypes();
  ASSERT_EQ(types.size(), 23u);
  for (const DumpTypeInfo* type : types) {
    SCOPED_TRACE(std::string(type->name));
    FakeFile file = WalkFile(5 * (k4GiB / 4));
    const Logged run = Dump(file, MakeRequest(type->id, "0xFFFFF000", "0", kMaxCount));
    EXPECT_EQ(run.result.status, RunStatus::Done);
    ExpectNoWrappedRead(run);
    // Titles show no offset that wrapped, and the walk ends with the line.
    EXPECT_EQ(WrappedTitle(run.result.text), "");
    const auto red = RedTexts(run.result.marked);
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(red.back(), kStopLine);
    EXPECT_EQ(run.result.marked.size() - run.result.marked.rfind(kStopLine), kStopLine.size() + 2)
        << "text after the line that ends the walk";
  }
}

// One byte short of 4 GiB: the last item is cut by the end of the file,
// and the walk still stops at 4 GiB instead of wrapping.
TEST(FourGiB, OnAFileOneByteShortTheLastItemIsMarkedAndTheWalkStops) {
  for (const DumpTypeInfo* type : CountTypes()) {
    SCOPED_TRACE(std::string(type->name));
    FakeFile file = WalkFile(k4GiB - 1);
    const Logged run = Dump(file, MakeRequest(type->id, "0xFFFFF000", "0", kMaxCount));
    ExpectNoWrappedRead(run);
    EXPECT_EQ(WrappedTitle(run.result.text), "");
    const auto red = RedTexts(run.result.marked);
    int pastEnd = 0;
    for (const auto& text : red) pastEnd += text == " <-- (past the end of the file)\n";
    // An ext2 entry's rec_len of 0x2222 jumps from the first entry past
    // 4 GiB; every other walk has an item that the end of the file cuts.
    EXPECT_EQ(pastEnd, type->id == DumpType::Ext2Dir ? 0 : 1);
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(red.back(), kStopLine);
  }
}

TEST(FourGiB, AnItemAcrossFourGiBShowsItsOffsetsInNineDigits) {
  // A directory record of 0x40 bytes at 0xFFFFFFF0; its name length lies
  // past 4 GiB and reads as 0, so its system use area starts at 34.
  std::vector<uint8_t> record(0x10, 0);
  record[0] = 0x40;
  FakeFile file(5 * (k4GiB / 4));
  file.Put(0, std::vector<uint8_t>(4096, 0x5A));
  file.Put(0xFFFFFFF0, record);
  const Logged run = Dump(file, MakeRequest(DumpType::IsoDir, "0xFFFFFFF0", "0", 3));
  const std::string& text = run.result.text;
  EXPECT_NE(text.find("CD-ROM Root Dir  (0xFFFFFFF0)"), std::string::npos) << text;
  EXPECT_NE(text.find("\n100000012  00 00"), std::string::npos) << text;
  EXPECT_NE(text.find("\n100000022  00 00"), std::string::npos) << text;
  EXPECT_EQ(text.find("\n00000012 "), std::string::npos);
  const auto red = RedTexts(run.result.marked);
  ASSERT_EQ(red.size(), 2u) << run.result.marked;
  EXPECT_EQ(red[0], " <-- (past 0xFFFFFFFF, beyond the 4 GiB this run addresses)\n");
  EXPECT_EQ(red[1], kStopLine);
  ExpectNoWrappedRead(run);
}

// Start and end texts above 0xFFFFFFFF name the last addressable byte (and
// are then clamped to the file), never an offset near its start.
TEST(FourGiB, OffsetTextsAboveThirtyTwoBitsAreTheLargestOffset) {
  EXPECT_EQ(ParseOffsetText("0x100000000"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("0x100000010"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("4294967306"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("99999999999999999999999"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("0xFFFFFFFF"), 0xFFFFFFFFu);
  // Negative values keep their meaning: counted back from the end.
  EXPECT_EQ(ParseOffsetText("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("-16"), 0xFFFFFFF0u);

  DumpRequest request = MakeRequest(DumpType::DosDebug, "0x100000000", "0x100000010");
  const ByteRange big = FixRange(request, 5 * (k4GiB / 4));
  EXPECT_EQ(big.start, 0xFFFFFFFFu);
  EXPECT_EQ(big.end, 0xFFFFFFFFu);
  const ByteRange small = FixRange(request, 1000);
  EXPECT_EQ(small.start, 999u);
  EXPECT_EQ(small.end, 999u);

  // Through a whole run: the dump shows the last byte, not the first.
  FakeFile file(1000);
  file.Put(0, std::vector<uint8_t>(16, 0x5A));
  file.Put(999, {0x42});
  const Logged run = Dump(file, request);
  EXPECT_NE(run.result.text.find(" 42 "), std::string::npos) << run.result.text;
  EXPECT_EQ(run.result.text.find("5A"), std::string::npos) << run.result.text;
}

}  // namespace
}  // namespace trovik::test
