// The end of the file, over every structure type and in the run: structures
// the file does not hold are marked, not passed off as real; the default
// range covers a last partial sector; a file made shorter during a run is
// reported with its new size and is never grown again by edit mode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/DumpRun.h"
#include "engine/DumpType.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

const std::string kPastEnd = " <-- (past the end of the file)\n";

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// On an empty file every structure lies wholly past the end: its title says
// so, and a Count walk shows that one item and stops. The ISO records end
// their walk at a zero record length before any title, as on real discs.
TEST(FileEnd, EveryStructureOnAnEmptyFileIsMarkedAndAWalkStopsAfterOneItem) {
  int checked = 0;
  for (const auto& type : DumpTypeTable()) {
    if (IsGeneralFormat(type.id) || !FindDecoder(type.id)) continue;
    if (type.id == DumpType::IsoDir || type.id == DumpType::IsoDirWide || type.id == DumpType::IsoPath ||
        type.id == DumpType::IsoPathWide)
      continue;
    SCOPED_TRACE(std::string(type.name));
    const auto result = RunOnBytes(MakeRequest(type.id, "0", "0", type.countEnabled ? 3 : 1), {});
    EXPECT_EQ(result.status, RunStatus::Done);
    const auto red = RedTexts(result.marked);
    ASSERT_FALSE(red.empty());
    EXPECT_EQ(red.front(), kPastEnd) << "the first red text belongs on the title line";
    EXPECT_EQ(Count(result.marked, kPastEnd), 1) << result.marked;
    ++checked;
  }
  EXPECT_EQ(checked, 34);
}

// A table the file holds only in part: the entry the end cuts is marked,
// the first one wholly past it is marked and ends the walk.
TEST(FileEnd, AWalkThatRunsOffTheEndStopsAfterTheFirstItemWhollyPastIt) {
  std::vector<uint8_t> bytes(0x1C6, 0);
  bytes[0x1BE] = 0x80;
  const auto result = RunOnBytes(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), bytes);
  EXPECT_EQ(Count(result.text, "Boot:  Master Boot Record"), 2);
  EXPECT_NE(result.marked.find("Boot:  Master Boot Record (0x000001BE)[[" + kPastEnd + "]]"), std::string::npos);
  EXPECT_NE(result.marked.find("Boot:  Master Boot Record (0x000001CE)[[" + kPastEnd + "]]"), std::string::npos);

  // A table the file wholly holds earns no mark.
  bytes.resize(0x200);
  EXPECT_EQ(RunOnBytes(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), bytes).marked.find("past the end"),
            std::string::npos);
}

TEST(FileEnd, TheSectorModePresetCoversALastPartialSector) {
  EXPECT_EQ(PresetRange(300, OffsetType::Sectors, false).end, "1");
  EXPECT_EQ(PresetRange(1000, OffsetType::Sectors, false).end, "2");
  EXPECT_EQ(PresetRange(1024, OffsetType::Sectors, false).end, "2");
  EXPECT_EQ(PresetRange(1025, OffsetType::Sectors, false).end, "3");
  EXPECT_EQ(PresetRange(2049, OffsetType::Sectors, true).end, "2");
  EXPECT_EQ(PresetRange(0, OffsetType::Sectors, false).end, "0");
  EXPECT_EQ(PresetRange(5ULL << 30, OffsetType::Sectors, false).end, "8388608");
  EXPECT_EQ(PresetRange(1000, OffsetType::Bytes, false).end, "0x000003E7");

  // The preset as the request's end: the whole 1000-byte file.
  DumpRequest request = MakeRequest(DumpType::DosDebug, "0", PresetRange(1000, OffsetType::Sectors, false).end);
  request.offsetType = OffsetType::Sectors;
  const auto result = RunOnBytes(request, std::vector<uint8_t>(1000, 0x41));
  EXPECT_NE(result.text.find("000003E0  41 41 41 41 41 41 41 41"), std::string::npos) << result.text;
}

// A file whose end moves in while it is read (another program truncates it).
class ShrinkingFile : public MemoryFile {
 public:
  ShrinkingFile(size_t size, uint64_t shrinkAt, size_t newSize)
      : MemoryFile(std::vector<uint8_t>(size, 0x41)), shrinkAt_(shrinkAt), newSize_(newSize) {}
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override {
    if (offset >= shrinkAt_) Bytes().resize(std::min(Bytes().size(), newSize_));
    return MemoryFile::ReadAt(offset, buffer, len);
  }

 private:
  uint64_t shrinkAt_;
  size_t newSize_;
};

TEST(FileEnd, AFileMadeShorterDuringADumpIsReportedWithItsNewSize) {
  ShrinkingFile file(1 << 20, 256 * 1024, 100);
  CaptureSink sink;
  ScriptedHost host;
  const auto status = RunDump(MakeRequest(DumpType::DosDebug, "0", "0x000FFFFF"), file, sink, host);
  EXPECT_EQ(status, RunStatus::FileFailed);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            "Error reading file: the file was made shorter during the dump; it is now 100 (0x00000064) bytes long, "
            "too short for the range");
}

// While an editor is open the file is made shorter: the confirmed write
// would grow it again with the structure's bytes, so it is refused.
TEST(FileEnd, AnEditIsNotWrittenToAFileThatShrankWhileTheEditorWasOpen) {
  MemoryFile file(std::vector<uint8_t>(512, 0));
  ScriptedHost host;
  host.editor = [&](uint8_t* data, int index) {
    data[0] = 0x80;
    if (index == 1) file.Bytes().resize(0x1C0);
    return true;
  };
  DumpRequest request = MakeRequest(DumpType::Mbr, "0x1BE", "0", 2);
  request.result = kResultEdit;
  CaptureSink sink;
  RunDump(request, file, sink, host);
  EXPECT_EQ(file.Bytes().size(), 0x1C0u) << "the write grew the file again";
  EXPECT_EQ(file.Bytes()[0x1BE], 0x80) << "the first entry, written before the file shrank";
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0],
            "The file is now 448 bytes long, too short for the structure at 0x000001CE; nothing was written.");
}

}  // namespace
}  // namespace trovik::test
