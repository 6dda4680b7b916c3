// After a confirmed GPT edit the other copy of the table follows when the
// user agrees: checked with sgdisk on a disk it partitioned, and refused
// (with the reason, nothing written) when the other copy cannot be trusted.
#include <gtest/gtest.h>

#include <cstring>

#include "editors/GptEditors.h"
#include "engine/ByteOrder.h"
#include "support/FakeFile.h"
#include "support/Program.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint64_t kLastLba = (4 << 20) / 512 - 1;
constexpr uint64_t kBackupArray = (kLastLba - 32) * 512;
constexpr size_t kArrayBytes = 128 * 128;

Bytes Slice(const Bytes& from, uint64_t offset, size_t length) {
  return Bytes(from.begin() + static_cast<ptrdiff_t>(offset), from.begin() + static_cast<ptrdiff_t>(offset + length));
}

// Edit mode of one GPT structure; the editor confirms after `change`.
RunStatus EditGpt(FileAccess& file, DumpType type, uint64_t start, test::ScriptedHost& host,
                  std::function<void(uint8_t*)> change = {}) {
  host.editor = [&](uint8_t* data, int) {
    if (change) change(data);
    return true;
  };
  DumpRequest request = test::MakeRequest(type, std::to_string(start), "0", 1);
  request.result = kResultEdit;
  test::CaptureSink sink;
  return RunDump(request, file, sink, host);
}

void Rename(uint8_t* entry) {
  GptEntryForm form = LoadGptEntryForm(entry, 0);
  form.name = u"Renamed";
  StoreGptEntryForm(form, entry);
}

class GptMirror : public testing::Test {
 protected:
  void SetUp() override {
    image = scratch.File("disk.img");
    const auto made = test::RunShell("truncate -s 4M " + image + " && sgdisk --clear --new=1:2048:+1M " +
                                     "--change-name=1:'Old name' --new=2:0:0 " + image);
    ASSERT_EQ(made.status, 0) << "sgdisk (package gdisk) is needed: " << made.out;
  }
  std::string Verify() { return test::RunShell("sgdisk -v " + image).out; }

  test::ScratchDir scratch;
  std::string image;
};

TEST_F(GptMirror, ConfirmedEditsReachTheBackupAndSgdiskFindsNoProblem) {
  auto file = PosixFile::Open(image, OpenMode::ReadWrite);
  const Bytes before = test::ReadFile(image);

  // Answered no: the backup stays as it was.
  test::ScriptedHost no;
  EXPECT_EQ(EditGpt(*file, DumpType::GptEntry, 1024, no, Rename), RunStatus::Done);
  ASSERT_EQ(no.questions.size(), 1u);
  EXPECT_NE(no.questions[0].find("backup copy of the GPT too?"), std::string::npos) << no.questions[0];
  EXPECT_NE(no.questions[0].find("LBA 8191"), std::string::npos) << no.questions[0];
  EXPECT_EQ(Slice(test::ReadFile(image), kBackupArray, 33 * 512),
            Slice(before, kBackupArray, 33 * 512));

  // Answered yes, for the entries and then for the header's new CRCs.
  test::ScriptedHost yes;
  yes.confirm = true;
  EditGpt(*file, DumpType::GptEntry, 1024, yes, Rename);
  EXPECT_EQ(Slice(test::ReadFile(image), kBackupArray, kArrayBytes), Slice(test::ReadFile(image), 1024, kArrayBytes));
  EditGpt(*file, DumpType::GptHeader, 512, yes, [&](uint8_t* header) {
    EXPECT_TRUE(RecalculateGptCrcs(header, 512, *file).ok);
  });
  EXPECT_EQ(yes.questions.size(), 2u);
  EXPECT_TRUE(yes.messages.empty()) << yes.messages[0];
  file.reset();
  const std::string verify = Verify();
  EXPECT_NE(verify.find("No problems found"), std::string::npos) << verify;
  // With the primary copy wiped, sgdisk reads the backup alone.
  const auto fromBackup =
      test::RunShell("dd if=/dev/zero of=" + image + " bs=512 seek=1 count=33 conv=notrunc 2>/dev/null; sgdisk -i 1 " + image);
  EXPECT_NE(fromBackup.out.find("Partition name: 'Renamed'"), std::string::npos) << fromBackup.out;
}

TEST_F(GptMirror, AnUntrustworthyOtherCopyIsLeftAloneWithTheReason) {
  const Bytes disk = test::ReadFile(image);
  const Bytes primaryOnly = test::ReadTestFile("partition/gpt.bin");  // the first 34 sectors of a 64 MiB disk
  Bytes noBackup = disk;
  std::memset(noBackup.data() + kLastLba * 512, 0, 512);
  Bytes otherCount = disk;
  PutLe32(otherCount.data() + kLastLba * 512 + 80, 64);
  // A "backup" at LBA 40 whose entries would overwrite the primary's.
  Bytes overlapping = disk;
  std::memcpy(overlapping.data() + 40 * 512, disk.data() + 512, 512);
  PutLe64(overlapping.data() + 512 + 32, 40);
  PutLe64(overlapping.data() + 40 * 512 + 72, 3);

  struct Case {
    const char* what;
    const Bytes& bytes;
    DumpType type;
    uint64_t start;
    const char* reason;
  };
  for (const Case& c : {
           Case{"outside", primaryOnly, DumpType::GptHeader, 512, "The backup GPT header (LBA 131071) lies outside the file."},
           Case{"missing", noBackup, DumpType::GptEntry, 1024 + 128, "There is no backup GPT header at LBA 8191."},
           Case{"count", otherCount, DumpType::GptHeader, 512,
                "The backup GPT header (LBA 8191) describes 64 entries of 128 bytes, the edited one 128 of 128."},
           Case{"overlap", overlapping, DumpType::GptHeader, 512, "The backup copy (LBA 40, entries at LBA 3) overlaps"},
           Case{"no header", disk, DumpType::GptEntry, 0x1000 + 128 * 128, "belong to no GPT header"},
       }) {
    test::FakeFile file(c.bytes);
    test::ScriptedHost host;
    host.confirm = true;
    EXPECT_EQ(EditGpt(file, c.type, c.start, host), RunStatus::Done) << c.what;
    EXPECT_TRUE(host.questions.empty()) << c.what;
    ASSERT_EQ(host.messages.size(), 1u) << c.what;
    EXPECT_NE(host.messages[0].find(c.reason), std::string::npos) << c.what << ": " << host.messages[0];
    EXPECT_NE(host.messages[0].find("not updated"), std::string::npos) << c.what;
    ASSERT_EQ(file.Writes().size(), 1u) << c.what << ": only the edited structure";
    EXPECT_EQ(file.Writes()[0].offset, c.start) << c.what;
  }
}

}  // namespace
}  // namespace trovik
