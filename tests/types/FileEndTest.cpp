// The ends of what a run may touch: a table the end of the file cuts, an
// item across 4 GiB, and an edit to a file made shorter while the editor
// was open.
#include <gtest/gtest.h>

#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

const std::string kPastEnd = " <-- (past the end of the file)\n";

// The entry the end cuts is marked, the first one wholly past it is marked
// and ends the walk; a table the file wholly holds earns no mark.
TEST(FileEnd, AWalkThatRunsOffTheEndStopsAfterTheFirstItemWhollyPastIt) {
  std::vector<uint8_t> bytes(0x1C6, 0);
  bytes[0x1BE] = 0x80;
  const std::string marked = RunOnBytes(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), bytes).marked;
  EXPECT_NE(marked.find("Boot:  Master Boot Record (0x000001BE)[[" + kPastEnd + "]]"), std::string::npos);
  EXPECT_NE(marked.find("Boot:  Master Boot Record (0x000001CE)[[" + kPastEnd + "]]"), std::string::npos);
  EXPECT_EQ(marked.find("(0x000001DE)"), std::string::npos);
  bytes.resize(0x200);
  EXPECT_EQ(RunOnBytes(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), bytes).marked.find(kPastEnd), std::string::npos);
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
                                      "The rest lies past 0xFFFFFFFF, beyond the 4 GiB this run addresses.\n"}));
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
  DumpRequest request = MakeRequest(DumpType::Mbr, "0x1BE", "0", 2);
  request.result = kResultEdit;
  const DumpResult result = RunOnFile(request, file, &host);
  EXPECT_EQ(file.Bytes().size(), 0x1C0u) << "the write grew the file again";
  EXPECT_EQ(file.Bytes()[0x1BE], 0x80) << "the first entry, written before the file shrank";
  EXPECT_EQ(result.messages, std::vector<std::string>{
                                 "The file is now 448 bytes long, too short for the structure at 0x000001CE; "
                                 "nothing was written."});
}

}  // namespace
}  // namespace trovik::test
