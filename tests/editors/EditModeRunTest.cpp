// Edit mode over the logging fake file: what each editor is given, the one write OK makes, the listing that follows.
#include <gtest/gtest.h>

#include "support/FakeFile.h"
#include "support/Golden.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Distinct(size_t n) {
  Bytes bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  return bytes;
}

// A front end whose editors check they were given the file's bytes at the offset they name, record the call
// ("type size #item at offset"), invert the structure's bytes and answer OK for the items `ok` accepts.
class InvertingHost : public ScriptedHost {
 public:
  std::function<bool(int)> ok = [](int) { return true; };
  std::string calls;
  bool EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset, FileAccess& f) override {
    calls += std::to_string(static_cast<int>(type)) + " " + std::to_string(bytes.size()) + " #" +
             std::to_string(index) + " at " + std::to_string(offset) + (ok(index) ? " OK" : " Cancel") + "\n";
    const auto* file = dynamic_cast<FakeFile*>(&f);
    EXPECT_TRUE(file && file->Get(offset, bytes.size()) == Bytes(bytes.begin(), bytes.end())) << calls;
    editorCalls.push_back(index);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(~b);
    return ok(index);
  }
};

DumpResult RunEdit(DumpType type, const char* start, int count, FakeFile& file, InvertingHost& host,
                   int offsetType = 0, bool iso = false) {
  DumpRequest request = MakeEditRequest(type, start, count);
  request.offsetType = static_cast<OffsetType>(offsetType);
  request.isIso = iso;
  return RunOnFile(request, file, &host);
}

// Each editor call and the writes that followed (tests/golden/editors/edit-mode.txt): OK writes exactly the
// structure at its offset (bytes, sectors, ISO sectors), Cancel nothing; every item of a Count walk has its editor
// at its own offset (the GPT header and the parameter block are edited once) and only confirmed items are written.
TEST(EditMode, OkWritesExactlyTheStructureAtItsOffsetAndCancelWritesNothing) {
  const Bytes disk = Distinct(0x3000);
  std::string listing;
  const auto run = [&](DumpType type, const char* start, int count, int offsetType, bool iso, std::function<bool(int)> ok) {
    FakeFile file(disk);
    InvertingHost host;
    host.ok = ok;
    const DumpResult result = RunEdit(type, start, count, file, host, offsetType, iso);
    EXPECT_EQ(result.status, RunStatus::Done);
    listing += host.calls;
    for (const auto& w : file.Writes()) {
      listing += "  wrote " + std::to_string(w.length) + " at " + std::to_string(w.offset) + "\n";
      for (size_t i = 0; i < w.length; ++i) EXPECT_EQ(file.Get(w.offset + i, 1)[0], uint8_t(~disk[w.offset + i])) << i;
    }
    if (result.text.empty()) listing += "  nothing listed\n";
  };
  for (DumpType type : {DumpType::FatBpb, DumpType::Mbr, DumpType::GptHeader, DumpType::GptEntry})
    for (const auto& [start, offsetType, iso] : {std::tuple{"0x1C3", 0, false}, {"3", 1, false}, {"2", 1, true}})
      for (const bool ok : {true, false}) run(type, start, 1, offsetType, iso, [ok](int) { return ok; });
  const auto odd = [](int index) { return index % 2 == 1; };
  run(DumpType::Mbr, "0x400", 4, 0, false, odd);
  run(DumpType::GptEntry, "2", 4, 1, false, odd);
  run(DumpType::GptHeader, "1", 3, 1, false, odd);
  run(DumpType::FatBpb, "0x10", 2, 0, false, odd);
  ExpectGolden(listing, "editors/edit-mode");

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
