// Edit mode on images that sfdisk, sgdisk and mkfs.fat make at test time: only the edited structure's bytes change, the
// tools accept the result when the edit was valid, and after a GPT edit the other copy follows when the user agrees.
// A missing tool fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "editors/BpbEditor.h"
#include "editors/GptEditors.h"
#include "editors/MbrEditor.h"
#include "support/FakeFile.h"
#include "support/Golden.h"
#include "support/Program.h"
#include "support/ReportCapture.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

// A front end whose editors change a structure through the editor models, as a person would in the dialogs.
class ModelHost : public ScriptedHost {
 public:
  std::function<void(BpbForm&)> bpb;
  std::function<void(MbrForm&)> mbr;
  std::function<void(GptEntryForm&)> gptEntry;
  bool recalculate = false;

  bool EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset, FileAccess& file) override {
    uint8_t* d = bytes.data();
    if (type == DumpType::FatBpb && bpb) return Store(LoadBpbForm(d), bpb, StoreBpbForm, d);
    if (type == DumpType::Mbr && mbr) return Store(LoadMbrForm(d, index), mbr, StoreMbrForm, d);
    if (type == DumpType::GptEntry && gptEntry) return Store(LoadGptEntryForm(d, index), gptEntry, StoreGptEntryForm, d);
    // A refused recalculation writes nothing, which EditAndCompare reports.
    return type == DumpType::GptHeader && recalculate && RecalculateGptCrcs(d, static_cast<uint32_t>(offset), file).ok;
  }
  template <typename Form>
  static bool Store(Form form, const std::function<void(Form&)>& edit, void (*store)(const Form&, uint8_t*), uint8_t* d) {
    edit(form);
    store(form, d);
    return true;
  }
};

std::string Tool(const std::string& command) { return "PATH=$PATH:/usr/sbin:/sbin " + command; }

RunStatus Edit(FileAccess& file, DumpType type, uint64_t offset, ScriptedHost& host) {
  return RunOnFile(MakeEditRequest(type, std::to_string(offset)), file, &host).status;
}

// Runs edit mode on the image and checks that bytes changed, all inside [offset, offset + length).
void EditAndCompare(const std::string& image, DumpType type, uint64_t offset, size_t length, ModelHost& host) {
  const std::vector<uint8_t> before = ReadFile(image);
  EXPECT_EQ(Edit(*PosixFile::Open(image, OpenMode::ReadWrite), type, offset, host), RunStatus::Done);
  const std::vector<uint8_t> after = ReadFile(image);
  ASSERT_EQ(after.size(), before.size());
  const size_t first = std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin();
  const size_t end = before.rend() - std::mismatch(before.rbegin(), before.rend(), after.rbegin()).first;
  ASSERT_LT(first, before.size()) << "nothing was written";
  EXPECT_GE(first, offset);
  EXPECT_LE(end, offset + length);
}

// A 4 MiB disk that sgdisk partitions: its backup array starts at LBA 8159.
constexpr uint64_t kLastLba = (4 << 20) / 512 - 1;
constexpr uint64_t kBackupArray = (kLastLba - 32) * 512;

std::string SgdiskDisk(const ScratchDir& dir) {
  const std::string image = dir.File("gpt.img");
  const ProgramOutcome made = RunShell("truncate -s 4M " + image + " && " +
                                       Tool("sgdisk --clear --new=1:2048:+1M --change-name=1:'Old name' --new=2:0:0 " + image));
  EXPECT_EQ(made.status, 0) << "sgdisk (package gdisk) is needed: " << made.out;
  return image;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& from, uint64_t offset, size_t length) {
  return {from.begin() + static_cast<ptrdiff_t>(offset), from.begin() + static_cast<ptrdiff_t>(offset + length)};
}

TEST(WriteBack, GptEntryNamesThenHeaderCrcsSatisfySgdisk) {
  ScratchDir dir;
  const std::string image = SgdiskDisk(dir);

  // Rename partition 1 in both entry arrays, answering no to bringing the
  // other copy in step: the CRCs no longer match.
  ModelHost rename;
  rename.gptEntry = [](GptEntryForm& f) { f.name = u"Renamed \u00E9"; };
  EditAndCompare(image, DumpType::GptEntry, 1024, 128, rename);
  EditAndCompare(image, DumpType::GptEntry, kBackupArray, 128, rename);
  ASSERT_EQ(rename.questions.size(), 2u);
  EXPECT_NE(rename.questions[0].find("LBA 8191"), std::string::npos) << rename.questions[0];  // where the backup lies
  EXPECT_EQ(RunShell(Tool("sgdisk -v " + image)).out.find("No problems found"), std::string::npos);

  // "Recalculate CRC" in the primary header, then in the backup header, whose array lies before it.
  ModelHost recalc;
  recalc.recalculate = true;
  EditAndCompare(image, DumpType::GptHeader, 512, 512, recalc);
  EditAndCompare(image, DumpType::GptHeader, kLastLba * 512, 512, recalc);
  const std::string verify = RunShell(Tool("sgdisk -v " + image)).out;
  EXPECT_NE(verify.find("No problems found"), std::string::npos) << verify;
  EXPECT_EQ(FieldAfter(RunShell(Tool("sgdisk -i 1 " + image)).out, "Partition name:"), "'Renamed \xC3\xA9'");
}

// Answered yes, the backup copy follows the entry and then the header's new
// CRCs: sgdisk finds no problem, and reads the name from the backup alone.
TEST(WriteBack, ConfirmedGptEditsReachTheBackup) {
  ScratchDir dir;
  const std::string image = SgdiskDisk(dir);
  ModelHost yes;
  yes.confirm = true;
  yes.gptEntry = [](GptEntryForm& f) { f.name = u"Renamed"; };
  yes.recalculate = true;
  {
    auto file = PosixFile::Open(image, OpenMode::ReadWrite);
    Edit(*file, DumpType::GptEntry, 1024, yes);
    const auto disk = ReadFile(image);
    EXPECT_EQ(Slice(disk, kBackupArray, 128 * 128), Slice(disk, 1024, 128 * 128));
    Edit(*file, DumpType::GptHeader, 512, yes);
  }
  EXPECT_EQ(yes.questions.size(), 2u);
  EXPECT_EQ(yes.messages, std::vector<std::string>{});
  const std::string verify = RunShell(Tool("sgdisk -v " + image)).out;
  EXPECT_NE(verify.find("No problems found"), std::string::npos) << verify;
  const auto fromBackup = RunShell("dd if=/dev/zero of=" + image + " bs=512 seek=1 count=33 conv=notrunc 2>/dev/null; " +
                                   Tool("sgdisk -i 1 " + image));
  EXPECT_NE(fromBackup.out.find("Partition name: 'Renamed'"), std::string::npos) << fromBackup.out;
}

// When the other copy cannot be trusted it is left alone with the reason,
// and only the edited structure is written.
TEST(WriteBack, AnUntrustworthyBackupIsLeftAloneWithTheReason) {
  ScratchDir dir;
  const std::vector<uint8_t> disk = ReadFile(SgdiskDisk(dir));
  const std::vector<uint8_t> primaryOnly = ReadTestFile("partition/gpt.bin");  // the first 34 sectors of a 64 MiB disk
  std::vector<uint8_t> noBackup = disk, otherCount = disk, overlapping = disk;
  Apply(noBackup, {{kLastLba * 512, std::vector<uint8_t>(512)}});
  Apply(otherCount, {Le32(kLastLba * 512 + 80, 64)});
  // A "backup" at LBA 40 whose entries would overwrite the primary's.
  Apply(overlapping, {{40 * 512, Slice(disk, 512, 512)}, Le64(512 + 32, 40), Le64(40 * 512 + 72, 3)});
  // The other copy: outside the file, absent, of another entry count, overlapping the primary; an edit of entries
  // that no header describes. The reasons are in tests/golden/editors/gpt-backup-left-alone.txt.
  std::string reasons;
  for (const auto& [bytes, type, start] : std::vector<std::tuple<std::vector<uint8_t>, DumpType, uint64_t>>{
           {primaryOnly, DumpType::GptHeader, 512}, {noBackup, DumpType::GptEntry, 1024 + 128},
           {otherCount, DumpType::GptHeader, 512}, {overlapping, DumpType::GptHeader, 512},
           {disk, DumpType::GptEntry, 0x1000 + 128 * 128}}) {
    FakeFile file(bytes);
    ScriptedHost host;
    host.confirm = true;
    host.editor = [](uint8_t*, int) { return true; };
    EXPECT_EQ(Edit(file, type, start, host), RunStatus::Done);
    EXPECT_TRUE(host.questions.empty()) << start;
    ASSERT_EQ(file.Writes().size(), 1u) << "only the edited structure";
    EXPECT_EQ(file.Writes()[0].offset, start);
    for (const std::string& m : host.messages) reasons += std::to_string(start) + ": " + m + "\n";
  }
  ExpectGolden(reasons, "editors/gpt-backup-left-alone");
}

TEST(WriteBack, MbrEntryChangesOnlyItsSixteenBytes) {
  ScratchDir dir;
  const std::string image = dir.File("mbr.img");
  const ProgramOutcome made = RunShell("truncate -s 4M " + image +
                                       " && printf 'label: dos\\nstart=2048, size=4096, type=83\\n"
                                       "start=6144, size=1024, type=83\\n' | " +
                                       Tool("sfdisk --quiet " + image));
  ASSERT_EQ(made.status, 0) << made.out;
  // The second entry becomes an LVM partition one sector later, its CHS triples made with "Gen".
  ModelHost host;
  host.mbr = [](MbrForm& f) {
    f.systemId = "8E";
    f.startLba = "6145";
    f.sectorCount = "1023";
    GenerateStartChs(f);
    GenerateEndChs(f);
  };
  EditAndCompare(image, DumpType::Mbr, 0x1CE, 16, host);
  const std::string dump = RunShell("cd " + dir.Path() + " && " + Tool("sfdisk --dump mbr.img")).out;
  EXPECT_EQ(FieldAfter(dump, "mbr.img2 :"), "start=        6145, size=        1023, type=8e") << dump;
  EXPECT_EQ(FieldAfter(dump, "mbr.img1 :"), "start=        2048, size=        4096, type=83") << dump;
}

TEST(WriteBack, BpbEditsPassFsckWhenValid) {
  ScratchDir dir;
  const std::string image = dir.File("fat.img");
  ASSERT_EQ(RunShell(Tool("mkfs.fat -C " + image + " 1440")).status, 0);
  ModelHost host;
  host.bpb = [](BpbForm& f) {
    f.oemName = u"TROVIK";
    f.serial = GenerateSerialText();
  };
  EditAndCompare(image, DumpType::FatBpb, 0, 62, host);
  const ProgramOutcome check = RunShell(Tool("fsck.fat -n " + image));
  EXPECT_EQ(check.status, 0) << check.out;
  // A sector size the file system cannot have is written all the same, and the checker then refuses the volume.
  host.bpb = [](BpbForm& f) { f.bytesPerSector = "768"; };
  EditAndCompare(image, DumpType::FatBpb, 0, 62, host);
  EXPECT_NE(RunShell(Tool("fsck.fat -n " + image)).status, 0);
}

}  // namespace
}  // namespace trovik::test
