// Faults of opening and reading a real file: each ends the run with a clear
// message and leaves no descriptor open.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/DumpType.h"
#include "engine/FileAccess.h"
#include "faults/FaultSupport.h"

namespace trovik {
namespace {

using faults::OpenDescriptorCount;
using faults::RunOn;
using faults::ScratchDir;
using test::MakeRequest;
using test::ScriptedHost;

std::string OpenMessage(const std::string& path, OpenMode mode) {
  try {
    PosixFile::Open(path, mode);
  } catch (const FileError& e) {
    return e.what();
  }
  return "(opened)";
}

std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 13 + 1);
  return bytes;
}

// Runs `child` in a forked process and gives its exit status; -1 when it
// did not finish within the time (it is then killed).
int InChild(const std::function<int()>& child, std::chrono::seconds limit = std::chrono::seconds(10)) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(child());
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(OpenFaults, ADirectoryIsRefusedWithItsCause) {
  ScratchDir dir;
  const int before = OpenDescriptorCount();
  for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
    // Read-write fails in open() itself, read-only only in the type check.
    EXPECT_EQ(OpenMessage(dir.Path(), mode), "Error opening file: Is a directory");
  }
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(OpenFaults, AFifoIsRefusedAtOnceWithOrWithoutAWriter) {
  ScratchDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // No writer: a plain read-only open would wait for one for ever.
  for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite}) {
    const int status = InChild([&] { return OpenMessage(fifo, mode) == kNotSeekableText ? 0 : 1; });
    EXPECT_EQ(status, 0) << (status == -1 ? "the open of a FIFO blocked" : "wrong message");
  }
  // A writer present: the open would succeed, and reads at an offset fail.
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  const int before = OpenDescriptorCount();
  EXPECT_EQ(OpenMessage(fifo, OpenMode::ReadOnly), kNotSeekableText);
  EXPECT_EQ(OpenDescriptorCount(), before);
  ::close(writer);
}

TEST(OpenFaults, WritingDeniedToTheUserIsAccessDenied) {
  ScratchDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const std::string path = dir.File("image.bin");
  faults::WriteFile(path, Pattern(1024));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  auto check = [&] {
    // The desktop application opens every file for writing; the command
    // line reads only, so it can still dump the file.
    if (OpenMessage(path, OpenMode::ReadWrite) != "Error opening file: Access Denied") return 1;
    if (OpenMessage(path, OpenMode::ReadOnly) != "(opened)") return 2;
    return 0;
  };
  if (::geteuid() != 0) {
    EXPECT_EQ(check(), 0);
    return;
  }
  // Root ignores permissions: ask as an unprivileged user.
  const int status = InChild([&] {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 3;
    return check();
  });
  EXPECT_EQ(status, 0);
}

TEST(OpenFaults, AReadOnlyFileSystemIsAccessDenied) {
  ScratchDir dir;
  std::string why;
  if (!dir.MountTmpfs(64 * 1024, why)) GTEST_FAIL() << why;
  const std::string path = dir.File("image.bin");
  faults::WriteFile(path, Pattern(4096));
  if (!dir.RemountReadOnly(why)) GTEST_FAIL() << why;
  EXPECT_EQ(OpenMessage(path, OpenMode::ReadWrite), "Error opening file: Access Denied");
  EXPECT_EQ(OpenMessage(path, OpenMode::ReadOnly), "(opened)");
}

// A real file that another program truncates right after the run asked for
// its size.
class ShrinksAfterSizeQuery : public FileAccess {
 public:
  ShrinksAfterSizeQuery(std::string path, uint64_t newSize)
      : path_(std::move(path)), file_(PosixFile::Open(path_, OpenMode::ReadOnly)), newSize_(newSize) {}
  uint64_t Size() override {
    const uint64_t size = file_->Size();
    if (::truncate(path_.c_str(), static_cast<off_t>(newSize_)) != 0) throw std::runtime_error("truncate");
    return size;
  }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override { return file_->ReadAt(offset, buffer, len); }
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override { file_->WriteAt(offset, buffer, len); }

 private:
  std::string path_;
  std::unique_ptr<PosixFile> file_;
  uint64_t newSize_;
};

TEST(ReadFaults, AFileThatShrinksDuringTheDumpSaysWhereItEnds) {
  ScratchDir dir;
  const std::string path = dir.File("image.bin");
  for (DumpType type : {DumpType::DosDebug, DumpType::C, DumpType::AsciiText}) {
    faults::WriteFile(path, std::vector<uint8_t>(600 * 1024, 'A'));
    ShrinksAfterSizeQuery file(path, 300 * 1024 + 5);
    ScriptedHost host;
    auto result = RunOn(MakeRequest(type, "0", "-1"), file, host);
    EXPECT_EQ(result.status, RunStatus::FileFailed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0],
              "Error reading file: the file was made shorter during the dump; it is now 307205 (0x0004B005) bytes "
              "long, too short for the range");
    // Only bytes that were read are shown.
    if (type == DumpType::DosDebug) {
      const std::string last = result.text.substr(result.text.rfind('\n') + 1);
      EXPECT_EQ(last, "0004B000  41 41 41 41 41" + std::string(3 * 11 + 5, ' ') + "AAAAA");
    } else {
      const char mark = type == DumpType::C ? ',' : 'A';
      EXPECT_EQ(std::count(result.text.begin(), result.text.end(), mark), 300 * 1024 + 5) << int(type);
    }
  }
}

TEST(ReadFaults, AStructureCutOffByTheShrinkReadsAsZeros) {
  ScratchDir dir;
  const std::string path = dir.File("disk.img");
  std::vector<uint8_t> disk(4096, 0);
  for (int i = 0; i < 64; ++i) disk[0x1BE + i] = 0x80;
  faults::WriteFile(path, disk);
  ShrinksAfterSizeQuery file(path, 0x1BE + 16);  // the first entry stays
  ScriptedHost host;
  auto result = RunOn(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), file, host);
  EXPECT_EQ(result.status, RunStatus::Done);
  ScriptedHost zeroHost;
  std::vector<uint8_t> expected(0x1BE + 16 * 4, 0);
  std::fill(expected.begin() + 0x1BE, expected.begin() + 0x1BE + 16, 0x80);
  auto reference = test::RunOnBytes(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), expected, &zeroHost);
  EXPECT_EQ(result.marked, reference.marked);
}

TEST(ReadFaults, AFileRemovedAfterItWasOpenedIsStillDumpedWhole) {
  ScratchDir dir;
  const std::string path = dir.File("gone.bin");
  faults::WriteFile(path, std::vector<uint8_t>(1000, 'x'));
  auto file = PosixFile::Open(path, OpenMode::ReadWrite);
  ASSERT_EQ(::unlink(path.c_str()), 0);
  ScriptedHost host;
  auto result = RunOn(MakeRequest(DumpType::AsciiText, "0", "-1"), *file, host);
  EXPECT_EQ(result.status, RunStatus::Done);
  EXPECT_TRUE(result.messages.empty());
  EXPECT_EQ(result.text, std::string(1000, 'x'));
}

TEST(ReadFaults, AReadTheKernelFailsEndsEveryStructureTypeWithItsCause) {
  // Reading this process's memory at an address that is never mapped fails
  // with EIO: a real read error without special hardware.
  std::unique_ptr<PosixFile> mem;
  try {
    mem = PosixFile::Open("/proc/self/mem", OpenMode::ReadWrite);
  } catch (const FileError& e) {
    GTEST_FAIL() << e.what();
  }
  int checked = 0;
  for (const auto& row : DumpTypeTable()) {
    if (IsGeneralFormat(row.id) || !FindDecoder(row.id)) continue;
    ScriptedHost host;
    auto result = RunOn(MakeRequest(row.id, "0x100", "0", row.countEnabled ? 3 : 1), *mem, host);
    EXPECT_EQ(result.status, RunStatus::FileFailed) << row.name;
    EXPECT_EQ(result.messages, std::vector<std::string>{"Error reading file: Input/output error"}) << row.name;
    EXPECT_EQ(result.text, "") << row.name;
    ++checked;
  }
  EXPECT_GT(checked, 20);
}

// trovik-dump turns an open failure into its exit status 1 and the message.
TEST(OpenFaults, TheCommandLineEndsAtOnceOnAFifoOrADirectory) {
  ScratchDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& target : {fifo, dir.Path()}) {
    const std::string err = dir.File("stderr.txt");
    const std::string command = "timeout 20 " + std::string(TROVIK_DUMP_PATH) + " -t mbr '" + target + "' 2>'" + err + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << target;
    EXPECT_EQ(WEXITSTATUS(status), 1) << target;
    const auto bytes = faults::ReadFile(err);
    const std::string message(bytes.begin(), bytes.end());
    EXPECT_EQ(message, std::string(target == fifo ? kNotSeekableText : "Error opening file: Is a directory") + "\n");
  }
}

}  // namespace
}  // namespace trovik
