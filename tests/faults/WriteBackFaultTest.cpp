// Edit mode writing a structure back into a file that refuses part or all
// of it: the run stops with the cause, says when a structure was left half
// written, and does not list the structure as if it had been saved.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/DumpType.h"
#include "engine/FileAccess.h"
#include "faults/FaultSupport.h"

namespace trovik {
namespace {

using faults::RunOn;
using faults::ScratchDir;
using test::MakeRequest;
using test::ScriptedHost;

DumpRequest EditRequest(DumpType type, std::string start, int count) {
  DumpRequest request = MakeRequest(type, std::move(start), "0", count);
  request.result = kResultEdit;
  return request;
}

// Every editor confirms, after setting the first bytes of its structure to
// a value of its own (0xA0 + index).
void ConfirmingEditors(ScriptedHost& host) {
  host.editor = [](uint8_t* data, int index) {
    std::memset(data, 0xA0 + index, 16);
    return true;
  };
}

// Lowers this process's file size limit for the test's duration: a write
// that reaches it is cut short and the next one fails with EFBIG, as on a
// disk that fills up mid-write.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

TEST(WriteBackFaults, AWriteCutShortSaysTheStructureIsHalfWritten) {
  ScratchDir dir;
  const std::string path = dir.File("disk.img");
  std::vector<uint8_t> disk(1024, 0x11);
  faults::WriteFile(path, disk);
  const int descriptors = faults::OpenDescriptorCount();
  ScriptedHost host;
  ConfirmingEditors(host);
  test::DumpResult result;
  {
    auto file = PosixFile::Open(path, OpenMode::ReadWrite);
    FileSizeLimit limit(0x1BE + 16 + 5);  // entry 0 fits, entry 1 gets 5 bytes
    result = RunOn(EditRequest(DumpType::Mbr, "0x1BE", 4), *file, host);
  }
  EXPECT_EQ(faults::OpenDescriptorCount(), descriptors);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  EXPECT_EQ(result.messages,
            std::vector<std::string>{"Error writing file: File too large (the structure was written only in part)"});
  EXPECT_EQ(host.editorCalls, (std::vector<int>{0, 1}));
  EXPECT_EQ(result.text, "");  // no listing of entries that were not saved

  std::vector<uint8_t> expected = disk;
  std::memset(expected.data() + 0x1BE, 0xA0, 16);
  std::memset(expected.data() + 0x1CE, 0xA1, 5);
  EXPECT_EQ(faults::ReadFile(path), expected);
}

TEST(WriteBackFaults, AFileSystemThatFillsUpMidStructureSaysSo) {
  ScratchDir dir;
  std::string why;
  if (!dir.MountTmpfs(2 * 4096, why)) GTEST_FAIL() << why;
  // The image holds its first page; the rest is a hole. A second file takes
  // the last free page, so a write that reaches into the hole finds no room.
  const std::string path = dir.File("disk.img");
  faults::WriteFile(path, std::vector<uint8_t>(4096, 0x22));
  ASSERT_EQ(::truncate(path.c_str(), 65536), 0);
  faults::WriteFile(dir.File("filler"), std::vector<uint8_t>(4096, 0));

  // A GPT entry of 128 bytes that straddles the end of the first page.
  ScriptedHost host;
  host.editor = [](uint8_t* data, int) {
    std::memset(data, 0x5A, 128);
    return true;
  };
  auto file = PosixFile::Open(path, OpenMode::ReadWrite);
  auto result = RunOn(EditRequest(DumpType::GptEntry, "0xFC0", 1), *file, host);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  EXPECT_EQ(result.messages, std::vector<std::string>{
                                 "Error writing file: No space left on device (the structure was written only in part)"});
  EXPECT_EQ(result.text, "");
  const auto bytes = faults::ReadFile(path);
  ASSERT_EQ(bytes.size(), 65536u);
  for (size_t i = 0xFC0; i < 0x1000; ++i) EXPECT_EQ(bytes[i], 0x5A) << i;
  for (size_t i = 0x1000; i < 0x1040; ++i) EXPECT_EQ(bytes[i], 0) << i;
}

TEST(WriteBackFaults, EveryEditorsWriteToAFullDeviceEndsTheRun) {
  // /dev/full reads as zeros and refuses every write with ENOSPC; as a
  // character device it is now refused at open.
  std::unique_ptr<PosixFile> full;
  try {
    full = PosixFile::Open("/dev/full", OpenMode::ReadWrite);
  } catch (const FileError& e) {
    EXPECT_STREQ(e.what(), "Error opening file: Character devices cannot be dumped");
    return;
  }
  int checked = 0;
  for (const auto& row : DumpTypeTable()) {
    if (!row.editEnabled || !FindDecoder(row.id)) continue;
    ScriptedHost host;
    ConfirmingEditors(host);
    auto result = RunOn(EditRequest(row.id, "0", row.countEnabled ? 3 : 1), *full, host);
    EXPECT_EQ(result.status, RunStatus::FileFailed) << row.name;
    EXPECT_EQ(result.messages, std::vector<std::string>{"Error writing file: No space left on device"}) << row.name;
    EXPECT_EQ(host.editorCalls, std::vector<int>{0}) << row.name;  // the first failure ends the run
    EXPECT_EQ(result.text, "") << row.name;
    ++checked;
  }
  EXPECT_EQ(checked, 4);
}

}  // namespace
}  // namespace trovik
