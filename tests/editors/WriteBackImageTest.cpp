// Edit mode on real disk images made by sfdisk, sgdisk and mkfs.fat at test
// time: only the edited structure's bytes change, and the tools accept the
// result when the edit was valid. A missing tool fails the test.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editors/BpbEditor.h"
#include "editors/GptEditors.h"
#include "editors/MbrEditor.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string FindTool(const std::string& name) {
  for (const char* dir : {"/usr/sbin/", "/sbin/", "/usr/bin/", "/bin/", "/usr/local/sbin/", "/usr/local/bin/"})
    if (::access((dir + name).c_str(), X_OK) == 0) return dir + name;
  return {};
}

struct Output {
  int status;
  std::string text;
};

Output Shell(const std::string& command) {
  Output out{-1, {}};
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.text.append(buffer, n);
  const int status = ::pclose(pipe);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

Bytes ReadFile(const fs::path& path) {
  Bytes bytes(fs::file_size(path));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// A front end whose editors change a structure through the editor models,
// as a person would in the dialogs.
class ModelHost : public test::ScriptedHost {
 public:
  std::function<void(BpbForm&)> bpb;
  std::function<void(MbrForm&, int)> mbr;
  std::function<void(GptEntryForm&, int)> gptEntry;
  bool recalculate = false;
  std::string recalculationMessage;

  bool EditBpb(uint8_t* data) override {
    if (!bpb) return false;
    BpbForm form = LoadBpbForm(data);
    bpb(form);
    StoreBpbForm(form, data);
    return true;
  }
  bool EditMbrEntry(uint8_t* data, int index) override {
    if (!mbr) return false;
    MbrForm form = LoadMbrForm(data, index);
    mbr(form, index);
    StoreMbrForm(form, data);
    return true;
  }
  bool EditGptEntry(uint8_t* data, int index) override {
    if (!gptEntry) return false;
    GptEntryForm form = LoadGptEntryForm(data, index);
    gptEntry(form, index);
    StoreGptEntryForm(form, data);
    return true;
  }
  bool EditGptHeader(uint8_t* data, uint32_t start, FileAccess& file) override {
    if (!recalculate) return false;
    const CrcRecalculation r = RecalculateGptCrcs(data, start, file);
    recalculationMessage = r.message;
    return r.ok;
  }
};

class WriteBack : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/trovik-editors-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs edit mode on the image and checks that no byte outside
  // [offset, offset + length) changed.
  void EditAndCompare(DumpType type, uint32_t offset, int count, size_t length, ModelHost& host) {
    const Bytes before = ReadFile(image_);
    auto file = PosixFile::Open(image_.string(), OpenMode::ReadWrite);
    DumpRequest request = test::MakeRequest(type, std::to_string(offset), "0", count);
    request.result = kResultEdit;
    test::CaptureSink sink;
    EXPECT_EQ(RunDump(request, *file, sink, host), RunStatus::Done);
    file.reset();
    const Bytes after = ReadFile(image_);
    ASSERT_EQ(after.size(), before.size());
    // Whole-file comparison: the first and the last changed byte.
    const auto first = std::mismatch(before.begin(), before.end(), after.begin());
    ASSERT_NE(first.first, before.end()) << "nothing was written";
    const auto last = std::mismatch(before.rbegin(), before.rend(), after.rbegin());
    const size_t from = static_cast<size_t>(first.first - before.begin());
    const size_t to = static_cast<size_t>(before.rend() - last.first);  // one past the last change
    EXPECT_GE(from, offset);
    EXPECT_LE(to, offset + length);
  }

  void MakeEmptyImage(uintmax_t size) {
    std::ofstream(image_, std::ios::binary).close();
    fs::resize_file(image_, size);
  }

  fs::path dir_;
  fs::path image_;
};

TEST_F(WriteBack, GptEntryNamesThenHeaderCrcsSatisfySgdisk) {
  const std::string sgdisk = FindTool("sgdisk");
  ASSERT_FALSE(sgdisk.empty()) << "sgdisk is not installed (package gdisk)";
  image_ = dir_ / "gpt.img";
  MakeEmptyImage(4 << 20);
  ASSERT_EQ(Shell(sgdisk + " --clear --new=1:2048:+1M --change-name=1:'Old name' --new=2:0:0 " + image_.string()).status,
            0);
  const uint32_t lastLba = (4 << 20) / 512 - 1;
  const uint32_t backupArray = (lastLba - 32) * 512;

  // Rename partition 1 in both entry arrays: the CRCs no longer match.
  ModelHost rename;
  rename.gptEntry = [](GptEntryForm& f, int) { f.name = u"Renamed \u00E9"; };
  EditAndCompare(DumpType::GptEntry, 1024, 1, 128, rename);
  EditAndCompare(DumpType::GptEntry, backupArray, 1, 128, rename);
  EXPECT_EQ(Shell(sgdisk + " -v " + image_.string()).text.find("No problems found"), std::string::npos);

  // "Recalculate CRC" in the primary header and then in the backup header,
  // whose array lies before it.
  ModelHost recalc;
  recalc.recalculate = true;
  EditAndCompare(DumpType::GptHeader, 512, 1, 512, recalc);
  EXPECT_EQ(recalc.recalculationMessage, "");
  EditAndCompare(DumpType::GptHeader, lastLba * 512, 1, 512, recalc);
  EXPECT_EQ(recalc.recalculationMessage, "");
  const Output verify = Shell(sgdisk + " -v " + image_.string());
  EXPECT_NE(verify.text.find("No problems found"), std::string::npos) << verify.text;
  const Output info = Shell(sgdisk + " -i 1 " + image_.string());
  EXPECT_NE(info.text.find("Partition name: 'Renamed \xC3\xA9'"), std::string::npos) << info.text;
}

TEST_F(WriteBack, MbrEntryChangesOnlyItsSixteenBytes) {
  const std::string sfdisk = FindTool("sfdisk");
  ASSERT_FALSE(sfdisk.empty()) << "sfdisk is not installed (package fdisk)";
  image_ = dir_ / "mbr.img";
  MakeEmptyImage(4 << 20);
  ASSERT_EQ(Shell("printf 'label: dos\\nstart=2048, size=4096, type=83\\nstart=6144, size=1024, type=83\\n' | " +
                sfdisk + " --quiet " + image_.string())
                .status,
            0);
  // The second entry becomes an LVM partition that starts one sector later,
  // its CHS triples made with "Gen".
  ModelHost host;
  host.mbr = [](MbrForm& f, int) {
    f.systemId = "8E";
    f.startLba = "6145";
    f.sectorCount = "1023";
    GenerateStartChs(f);
    GenerateEndChs(f);
  };
  EditAndCompare(DumpType::Mbr, 0x1CE, 1, 16, host);
  const Output dump = Shell(sfdisk + " --dump " + image_.string());
  EXPECT_NE(dump.text.find("start=        6145, size=        1023, type=8e"), std::string::npos) << dump.text;
  EXPECT_NE(dump.text.find("start=        2048, size=        4096, type=83"), std::string::npos) << dump.text;
}

TEST_F(WriteBack, BpbEditsPassFsckWhenValid) {
  const std::string mkfs = FindTool("mkfs.fat");
  const std::string fsck = FindTool("fsck.fat");
  ASSERT_FALSE(mkfs.empty() || fsck.empty()) << "mkfs.fat or fsck.fat is not installed (package dosfstools)";
  image_ = dir_ / "fat.img";
  ASSERT_EQ(Shell(mkfs + " -C " + image_.string() + " 1440").status, 0);
  ModelHost host;
  host.bpb = [](BpbForm& f) {
    f.oemName = u"TROVIK";
    f.serial = GenerateSerialText();
  };
  EditAndCompare(DumpType::FatBpb, 0, 1, 62, host);
  const Output check = Shell(fsck + " -n " + image_.string());
  EXPECT_EQ(check.status, 0) << check.text;

  // A sector size the file system cannot have is written all the same, and
  // the checker then refuses the volume.
  host.bpb = [](BpbForm& f) { f.bytesPerSector = "768"; };
  EditAndCompare(DumpType::FatBpb, 0, 1, 62, host);
  EXPECT_NE(Shell(fsck + " -n " + image_.string()).status, 0);
}

}  // namespace
}  // namespace trovik
