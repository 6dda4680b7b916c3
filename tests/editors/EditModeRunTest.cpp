// Edit mode of the dump run with a scripted front end: which editors open,
// what is written back where, and the listing that follows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::ReadTestFile;
using Bytes = std::vector<uint8_t>;

struct EditRun {
  std::string text;
  Bytes file;
  std::vector<int> calls;
  std::vector<std::string> messages;
  bool textBeforeAnEditor = false;
};

EditRun RunEdit(DumpType type, const std::string& start, int count, Bytes bytes,
                std::function<bool(uint8_t*, int)> editor) {
  DumpRequest request = test::MakeRequest(type, start, "0", count);
  request.result = kResultEdit;
  MemoryFile file(std::move(bytes));
  test::CaptureSink sink;
  test::ScriptedHost host;
  EditRun run;
  host.editor = [&](uint8_t* data, int index) {
    run.textBeforeAnEditor |= !sink.Text().empty();
    return editor(data, index);
  };
  EXPECT_EQ(RunDump(request, file, sink, host), RunStatus::Done);
  run.text = sink.Text();
  run.file = file.Bytes();
  run.calls = host.editorCalls;
  run.messages = host.messages;
  return run;
}

// An editor that fills the whole structure with one byte, to see its
// bounds in the file, and answers OK for the given items.
std::function<bool(uint8_t*, int)> Fill(size_t size, std::function<bool(int)> ok) {
  return [=](uint8_t* data, int index) {
    std::memset(data, 0xA0 + index, size);
    return ok(index);
  };
}

TEST(EditMode, MbrOpensOneEditorPerEntryAndWritesOnlyConfirmedOnes) {
  const Bytes disk = ReadTestFile("partition/mbr.bin");
  const EditRun run = RunEdit(DumpType::Mbr, "0x1BE", 4, disk, Fill(16, [](int i) { return i % 2 == 1; }));
  EXPECT_EQ(run.calls, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_FALSE(run.textBeforeAnEditor);
  Bytes expected = disk;
  std::memset(expected.data() + 0x1CE, 0xA1, 16);
  std::memset(expected.data() + 0x1EE, 0xA3, 16);
  EXPECT_EQ(run.file, expected);
  // The listing shows all four entries as the file now holds them.
  EXPECT_NE(run.text.find("Boot:  Master Boot Record (0x000001BE)\n            Boot ID: 0x80"), std::string::npos);
  EXPECT_NE(run.text.find("Boot:  Master Boot Record (0x000001EE)\n            Boot ID: 0xA3"), std::string::npos);
}

TEST(EditMode, BpbIsWrittenAtItsOwnOffsetOnOkAndNothingIsReportedOnCancel) {
  // The boot sector of a volume that starts at byte 0x200 of the file.
  const Bytes volume = ReadTestFile("fat/fat12.img");
  Bytes file(0x200 + 4096, 0x55);
  std::copy_n(volume.begin(), 4096, file.begin() + 0x200);
  EditRun run = RunEdit(DumpType::FatBpb, "0x200", 1, file, Fill(62, [](int) { return true; }));
  Bytes expected = file;
  std::memset(expected.data() + 0x200, 0xA0, 62);
  EXPECT_EQ(run.file, expected);
  EXPECT_NE(run.text.find("Fat12/16 BIOS Parameter Block (0x00000200)\n                  Jump: A0 A0 A0\n"),
            std::string::npos);

  run = RunEdit(DumpType::FatBpb, "0x200", 1, file, Fill(62, [](int) { return false; }));
  EXPECT_EQ(run.file, file);
  EXPECT_EQ(run.text, "");
}

TEST(EditMode, GptHeaderAndEntries) {
  const Bytes disk = ReadTestFile("partition/gpt.bin");
  // Cancel writes nothing, and the listing reads the header from the file.
  EditRun run = RunEdit(DumpType::GptHeader, "0x200", 1, disk, Fill(512, [](int) { return false; }));
  EXPECT_EQ(run.file, disk);
  EXPECT_NE(run.text.find("GUID Partition Header (0x00000200)\n                   sig: 45 46 49"), std::string::npos);

  run = RunEdit(DumpType::GptEntry, "0x400", 3, disk, Fill(128, [](int i) { return i != 1; }));
  EXPECT_EQ(run.calls, (std::vector<int>{0, 1, 2}));
  Bytes expected = disk;
  std::memset(expected.data() + 0x400, 0xA0, 128);
  std::memset(expected.data() + 0x500, 0xA2, 128);
  EXPECT_EQ(run.file, expected);
  EXPECT_NE(run.text.find("GUID Partition Entry (0x00000500)"), std::string::npos);
}

TEST(EditMode, StructuresPastTheEndOfTheFileAreNotEdited) {
  // Entries at 0x1F0 (whole) and 0x200 (past the end of a 512-byte file).
  const Bytes disk = ReadTestFile("partition/mbr.bin");
  EditRun run = RunEdit(DumpType::Mbr, "0x1F0", 2, disk, Fill(16, [](int) { return true; }));
  EXPECT_EQ(run.calls, (std::vector<int>{0}));
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_NE(run.messages[0].find("0x00000200 lies past the end of the file"), std::string::npos) << run.messages[0];
  Bytes expected = disk;
  std::memset(expected.data() + 0x1F0, 0xA0, 16);
  EXPECT_EQ(run.file, expected);
  EXPECT_NE(run.text.find("(0x00000200)"), std::string::npos);  // the listing still runs

  // A parameter block cut short by the end of the file: listed, not edited.
  const Bytes volume = ReadTestFile("fat/fat12.img");
  const Bytes cut(volume.begin(), volume.begin() + 40);
  run = RunEdit(DumpType::FatBpb, "0", 1, cut, Fill(62, [](int) { return true; }));
  EXPECT_TRUE(run.calls.empty());
  EXPECT_EQ(run.file, cut);
  EXPECT_EQ(run.messages.size(), 1u);
  EXPECT_NE(run.text.find("Fat12/16 BIOS Parameter Block (0x00000000)"), std::string::npos);
}

}  // namespace
}  // namespace trovik
