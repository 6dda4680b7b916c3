// Edit mode over the logging fake file: what each editor is given, the one write OK makes, the listing that follows.
#include <gtest/gtest.h>

#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

using Bytes = std::vector<uint8_t>;

struct Editable {
  DumpType type;
  size_t size;
};
constexpr Editable kEditable[] = {
    {DumpType::FatBpb, 62}, {DumpType::Mbr, 16}, {DumpType::GptHeader, 512}, {DumpType::GptEntry, 128}};

Bytes Distinct(size_t n) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return bytes;
}

DumpResult RunEdit(DumpType type, const char* start, int count, FakeFile& file, ScriptedHost& host, int offsetType = 0,
                   bool iso = false) {
  DumpRequest request = MakeRequest(type, start, "0", count);
  request.result = kResultEdit;
  request.offsetType = static_cast<OffsetType>(offsetType);
  request.isIso = iso;
  return RunOnFile(request, file, &host);
}

// Every editor inverts the structure's bytes and answers OK for the items `ok` accepts.
void Inverting(ScriptedHost& host, size_t size, std::function<bool(int)> ok, std::vector<Bytes>* given = nullptr) {
  host.editor = [=](uint8_t* data, int index) {
    if (given) given->emplace_back(data, data + size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(~data[i]);
    return ok(index);
  };
}

TEST(EditMode, OkWritesExactlyTheStructureAtItsOffsetAndCancelWritesNothing) {
  const Bytes disk = Distinct(0x3000);
  struct Unit {
    const char* start;
    int offsetType;
    bool iso;
    uint64_t offset;
  };
  for (const auto& [type, size] : kEditable) {
    for (const Unit& u : {Unit{"0x1C3", 0, false, 0x1C3}, Unit{"3", 1, false, 0x600}, Unit{"2", 1, true, 0x1000}}) {
      for (const bool ok : {true, false}) {
        const std::string what =
            std::to_string(int(type)) + " at " + u.start + (u.iso ? " iso" : "") + (ok ? " OK" : " Cancel");
        FakeFile file(disk);
        ScriptedHost host;
        std::vector<Bytes> given;
        Inverting(
            host, size, [&](int) { return ok; }, &given);
        const DumpResult result = RunEdit(type, u.start, 1, file, host, u.offsetType, u.iso);
        EXPECT_EQ(result.status, RunStatus::Done) << what;
        const Bytes original(disk.begin() + u.offset, disk.begin() + u.offset + size);
        EXPECT_EQ(given, std::vector<Bytes>{original}) << what;
        Bytes inverted = original;
        for (uint8_t& b : inverted) b = static_cast<uint8_t>(~b);
        const auto writes = file.Writes();
        if (ok) {
          ASSERT_EQ(writes.size(), 1u) << what;
          EXPECT_EQ(writes[0].offset, u.offset) << what;
          EXPECT_EQ(writes[0].length, size) << what;
          EXPECT_EQ(file.Get(u.offset, size), inverted) << what;
        } else {
          EXPECT_TRUE(writes.empty()) << what;
        }
        // A cancelled parameter block is not listed; the other structures are.
        EXPECT_EQ(result.text.empty(), !ok && type == DumpType::FatBpb) << what;
      }
    }
  }
}

TEST(EditMode, EachCountItemHasItsEditorAndOnlyConfirmedItemsAreWritten) {
  for (const auto& [type, size] : {kEditable[1], kEditable[3]}) {
    FakeFile file(Distinct(0x1000));
    ScriptedHost host;
    Inverting(host, size, [](int index) { return index % 2 == 1; });
    RunEdit(type, "0x400", 4, file, host);
    EXPECT_EQ(host.editorCalls, (std::vector<int>{0, 1, 2, 3}));
    const auto writes = file.Writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].offset, 0x400 + size);
    EXPECT_EQ(writes[1].offset, 0x400 + 3 * size);
  }
  // The listing shows the entries as the file now holds them.
  FakeFile mbr(ReadTestFile("partition/mbr.bin"));
  ScriptedHost host;
  Inverting(host, 16, [](int index) { return index == 3; });
  EXPECT_NE(RunEdit(DumpType::Mbr, "0x1BE", 4, mbr, host).text.find("(0x000001EE)\n            Boot ID: 0xFF"),
            std::string::npos);
}

// The one editing entry of the front end: what the GUI's dialogs get besides the bytes (the GPT header's dialog reads the
// entry array from the file, relative to the header's offset).
class RecordingHost : public ScriptedHost {
 public:
  std::vector<std::string> calls;
  const FileAccess* file = nullptr;
  bool EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset, FileAccess& f) override {
    calls.push_back(std::to_string(static_cast<int>(type)) + " " + std::to_string(bytes.size()) + " #" +
                    std::to_string(index) + " at " + std::to_string(offset));
    file = &f;
    return ScriptedHost::EditStructure(type, bytes, index, offset, f);
  }
};

TEST(EditMode, TheFrontEndGetsTheTypeTheItemAndItsOffsetInTheFile) {
  struct Case {
    DumpType type;
    const char* start;
    int count;
    int offsetType;
    std::vector<std::string> calls;
  };
  for (const Case& c : {Case{DumpType::Mbr, "0x1BE", 3, 0, {"1038 16 #0 at 446", "1038 16 #1 at 462", "1038 16 #2 at 478"}},
                        Case{DumpType::GptEntry, "2", 2, 1, {"1024 128 #0 at 1024", "1024 128 #1 at 1152"}},
                        Case{DumpType::GptHeader, "1", 3, 1, {"1023 512 #0 at 512"}},
                        Case{DumpType::FatBpb, "0x10", 2, 0, {"1019 62 #0 at 16"}}}) {
    FakeFile file(Distinct(0x1000));
    RecordingHost host;
    RunEdit(c.type, c.start, c.count, file, host, c.offsetType);
    EXPECT_EQ(host.calls, c.calls);
    EXPECT_EQ(host.file, &file);
  }
}

TEST(EditMode, StructuresPastTheEndOfTheFileAreListedNotEdited) {
  // The second item lies past the end of a sector, or past the 4 GiB a run addresses (never wrapped to offset 0).
  for (const auto& [type, size, size_of_file, start, past] :
       {std::tuple{DumpType::Mbr, size_t{16}, uint64_t{512}, "0x1F0", "0x00000200"},
        {DumpType::GptEntry, size_t{128}, uint64_t{5} << 30, "0xFFFFFF80", "0x100000000"}}) {
    FakeFile disk(size_of_file);
    ScriptedHost host;
    Inverting(host, size, [](int) { return true; });
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
  ScriptedHost bpbHost;
  Inverting(bpbHost, 62, [](int) { return true; });
  const DumpResult result = RunEdit(DumpType::FatBpb, "0", 1, cut, bpbHost);
  EXPECT_TRUE(bpbHost.editorCalls.empty());
  EXPECT_TRUE(cut.Writes().empty());
  EXPECT_EQ(result.messages.size(), 1u);
  EXPECT_NE(result.text.find("Fat12/16 BIOS Parameter Block (0x00000000)"), std::string::npos);
}

}  // namespace
}  // namespace trovik::test
