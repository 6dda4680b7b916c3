// Edit mode on images that sfdisk, sgdisk and mkfs.fat make at test time: only the edited structure's bytes change, and
// the tools accept the result when the edit was valid. A missing tool fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "editors/BpbEditor.h"
#include "editors/GptEditors.h"
#include "editors/MbrEditor.h"
#include "support/Program.h"
#include "support/ReportCapture.h"
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
  std::string recalculationMessage;

  bool EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset, FileAccess& file) override {
    uint8_t* data = bytes.data();
    switch (type) {
      case DumpType::FatBpb:
        return Through(bpb, LoadBpbForm(data), StoreBpbForm, data);
      case DumpType::Mbr:
        return Through(mbr, LoadMbrForm(data, index), StoreMbrForm, data);
      case DumpType::GptEntry:
        return Through(gptEntry, LoadGptEntryForm(data, index), StoreGptEntryForm, data);
      case DumpType::GptHeader: {
        if (!recalculate) return false;
        const CrcRecalculation r = RecalculateGptCrcs(data, static_cast<uint32_t>(offset), file);
        recalculationMessage = r.message;
        return r.ok;
      }
      default:
        return false;
    }
  }

 private:
  template <typename Form>
  static bool Through(const std::function<void(Form&)>& edit, Form form, void (*store)(const Form&, uint8_t*),
                      uint8_t* data) {
    if (!edit) return false;
    edit(form);
    store(form, data);
    return true;
  }
};

std::string Tool(const std::string& command) { return "PATH=$PATH:/usr/sbin:/sbin " + command; }

// Runs edit mode on the image and checks that bytes changed, all inside [offset, offset + length).
void EditAndCompare(const std::string& image, DumpType type, uint32_t offset, size_t length, ModelHost& host) {
  const std::vector<uint8_t> before = ReadFile(image);
  DumpRequest request = MakeRequest(type, std::to_string(offset), "0", 1);
  request.result = kResultEdit;
  EXPECT_EQ(RunOnFile(request, *PosixFile::Open(image, OpenMode::ReadWrite), &host).status, RunStatus::Done);
  const std::vector<uint8_t> after = ReadFile(image);
  ASSERT_EQ(after.size(), before.size());
  const size_t first = std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin();
  const size_t end = before.rend() - std::mismatch(before.rbegin(), before.rend(), after.rbegin()).first;
  ASSERT_LT(first, before.size()) << "nothing was written";
  EXPECT_GE(first, offset);
  EXPECT_LE(end, offset + length);
}

TEST(WriteBack, GptEntryNamesThenHeaderCrcsSatisfySgdisk) {
  ScratchDir dir;
  const std::string image = dir.File("gpt.img");
  ASSERT_EQ(RunShell("truncate -s 4M " + image).status, 0);
  const ProgramOutcome made =
      RunShell(Tool("sgdisk --clear --new=1:2048:+1M --change-name=1:'Old name' --new=2:0:0 " + image));
  ASSERT_EQ(made.status, 0) << made.out;
  const uint32_t lastLba = (4 << 20) / 512 - 1;

  // Rename partition 1 in both entry arrays: the CRCs no longer match.
  ModelHost rename;
  rename.gptEntry = [](GptEntryForm& f) { f.name = u"Renamed \u00E9"; };
  EditAndCompare(image, DumpType::GptEntry, 1024, 128, rename);
  EditAndCompare(image, DumpType::GptEntry, (lastLba - 32) * 512, 128, rename);
  EXPECT_EQ(RunShell(Tool("sgdisk -v " + image)).out.find("No problems found"), std::string::npos);

  // "Recalculate CRC" in the primary header, then in the backup header, whose array lies before it.
  ModelHost recalc;
  recalc.recalculate = true;
  EditAndCompare(image, DumpType::GptHeader, 512, 512, recalc);
  EXPECT_EQ(recalc.recalculationMessage, "");
  EditAndCompare(image, DumpType::GptHeader, lastLba * 512, 512, recalc);
  EXPECT_EQ(recalc.recalculationMessage, "");
  const std::string verify = RunShell(Tool("sgdisk -v " + image)).out;
  EXPECT_NE(verify.find("No problems found"), std::string::npos) << verify;
  EXPECT_EQ(FieldAfter(RunShell(Tool("sgdisk -i 1 " + image)).out, "Partition name:"), "'Renamed \xC3\xA9'");
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
