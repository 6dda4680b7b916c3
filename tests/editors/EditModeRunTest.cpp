// Edit mode over the logging fake file: what each editor is given, the one write OK makes, the listing that follows.
#include <gtest/gtest.h>

#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Distinct(size_t n) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return bytes;
}

// A front end whose editors record what they are given ("type size #item at offset"), invert the structure's bytes
// and answer OK for the items `ok` accepts.
class InvertingHost : public ScriptedHost {
 public:
  std::function<bool(int)> ok = [](int) { return true; };
  std::vector<std::string> calls;
  std::vector<Bytes> given;
  const FileAccess* file = nullptr;
  bool EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset, FileAccess& f) override {
    calls.push_back(std::to_string(static_cast<int>(type)) + " " + std::to_string(bytes.size()) + " #" +
                    std::to_string(index) + " at " + std::to_string(offset));
    given.emplace_back(bytes.begin(), bytes.end());
    file = &f;
    editorCalls.push_back(index);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(~b);
    return ok(index);
  }
};

DumpResult RunEdit(DumpType type, const char* start, int count, FakeFile& file, InvertingHost& host,
                   int offsetType = 0, bool iso = false) {
  DumpRequest request = MakeRequest(type, start, "0", count);
  request.result = kResultEdit;
  request.offsetType = static_cast<OffsetType>(offsetType);
  request.isIso = iso;
  return RunOnFile(request, file, &host);
}

TEST(EditMode, OkWritesExactlyTheStructureAtItsOffsetAndCancelWritesNothing) {
  const Bytes disk = Distinct(0x3000);
  struct Unit {
    const char* start;
    int offsetType;
    bool iso;
    uint64_t offset;
  };
  for (const auto& [type, size] : {std::pair{DumpType::FatBpb, 62}, {DumpType::Mbr, 16}, {DumpType::GptHeader, 512},
                                   {DumpType::GptEntry, 128}}) {
    for (const Unit& u : {Unit{"0x1C3", 0, false, 0x1C3}, Unit{"3", 1, false, 0x600}, Unit{"2", 1, true, 0x1000}}) {
      for (const bool ok : {true, false}) {
        SCOPED_TRACE(std::to_string(int(type)) + " at " + u.start + (u.iso ? " iso" : "") + (ok ? " OK" : " Cancel"));
        FakeFile file(disk);
        InvertingHost host;
        host.ok = [ok](int) { return ok; };
        const DumpResult result = RunEdit(type, u.start, 1, file, host, u.offsetType, u.iso);
        EXPECT_EQ(result.status, RunStatus::Done);
        const Bytes original(disk.begin() + u.offset, disk.begin() + u.offset + size);
        EXPECT_EQ(host.given, std::vector<Bytes>{original});
        EXPECT_EQ(host.calls, std::vector<std::string>{std::to_string(int(type)) + " " + std::to_string(size) +
                                                       " #0 at " + std::to_string(u.offset)});
        EXPECT_EQ(host.file, &file);
        const auto writes = file.Writes();
        if (ok) {
          ASSERT_EQ(writes.size(), 1u);
          EXPECT_EQ(writes[0].offset, u.offset);
          EXPECT_EQ(writes[0].length, size_t(size));
          for (size_t i = 0; i < size_t(size); ++i) EXPECT_EQ(file.Get(u.offset + i, 1)[0], uint8_t(~original[i])) << i;
        } else {
          EXPECT_TRUE(writes.empty());
        }
        // A cancelled parameter block is not listed; the other structures are.
        EXPECT_EQ(result.text.empty(), !ok && type == DumpType::FatBpb);
      }
    }
  }
}

// Every item of a Count walk has its editor, at its own offset (the GPT header and the parameter block are edited
// once); only confirmed items are written.
TEST(EditMode, EachCountItemHasItsEditorAndOnlyConfirmedItemsAreWritten) {
  struct Case {
    DumpType type;
    const char* start;
    int count, offsetType;
    std::vector<std::string> calls;
    std::vector<uint64_t> writes;
  };
  for (const Case& c :
       {Case{DumpType::Mbr, "0x400", 4, 0, {"1038 16 #0 at 1024", "1038 16 #1 at 1040", "1038 16 #2 at 1056",
                                             "1038 16 #3 at 1072"}, {1040, 1072}},
        Case{DumpType::GptEntry, "2", 4, 1, {"1024 128 #0 at 1024", "1024 128 #1 at 1152", "1024 128 #2 at 1280",
                                              "1024 128 #3 at 1408"}, {1152, 1408}},
        Case{DumpType::GptHeader, "1", 3, 1, {"1023 512 #0 at 512"}, {}},
        Case{DumpType::FatBpb, "0x10", 2, 0, {"1019 62 #0 at 16"}, {}}}) {
    FakeFile file(Distinct(0x1000));
    InvertingHost host;
    host.ok = [](int index) { return index % 2 == 1; };
    RunEdit(c.type, c.start, c.count, file, host, c.offsetType);
    EXPECT_EQ(host.calls, c.calls);
    std::vector<uint64_t> writes;
    for (const auto& w : file.Writes()) writes.push_back(w.offset);
    EXPECT_EQ(writes, c.writes) << c.calls[0];
  }
  // The listing shows the entries as the file now holds them.
  FakeFile mbr(ReadTestFile("partition/mbr.bin"));
  InvertingHost host;
  host.ok = [](int index) { return index == 3; };
  EXPECT_NE(RunEdit(DumpType::Mbr, "0x1BE", 4, mbr, host).text.find("(0x000001EE)\n            Boot ID: 0xFF"),
            std::string::npos);
}

TEST(EditMode, StructuresPastTheEndOfTheFileAreListedNotEdited) {
  // The second item lies past the end of a sector, or past the 4 GiB a run addresses (never wrapped to offset 0).
  for (const auto& [type, size_of_file, start, past] :
       {std::tuple{DumpType::Mbr, uint64_t{512}, "0x1F0", "0x00000200"},
        {DumpType::GptEntry, uint64_t{5} << 30, "0xFFFFFF80", "0x100000000"}}) {
    FakeFile disk(size_of_file);
    InvertingHost host;
    const DumpResult result = RunEdit(type, start, 2, disk, host);
    EXPECT_EQ(host.editorCalls, std::vector<int>{0});
    // (A GPT edit then says why the other copy was not brought in step.)
    ASSERT_FALSE(result.messages.empty());
    EXPECT_EQ(result.messages[0], std::string("The structure at ") + past + " lies past the end of the file; it is not edited.");
    ASSERT_EQ(disk.Writes().size(), 1u);
    EXPECT_EQ(disk.Writes()[0].offset, ParseOffsetText(start));
    EXPECT_FALSE(result.text.empty());  // the listing still runs
  }

  const Bytes volume = ReadTestFile("fat/fat12.img");
  FakeFile cut(Bytes(volume.begin(), volume.begin() + 40));
  InvertingHost host;
  const DumpResult result = RunEdit(DumpType::FatBpb, "0", 1, cut, host);
  EXPECT_TRUE(host.editorCalls.empty());
  EXPECT_TRUE(cut.Writes().empty());
  EXPECT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.text.find("Fat12/16 BIOS Parameter Block (0x00000000)"), std::string::npos);
}

}  // namespace
}  // namespace trovik::test
