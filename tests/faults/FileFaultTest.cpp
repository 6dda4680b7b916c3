// Real files that fail to open, read or take a written structure: each run ends with the cause and leaves no
// descriptor.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "support/FakeFile.h"
#include "support/Program.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

using Strings = std::vector<std::string>;

std::string OpenMessage(const std::string& path, OpenMode mode) {
  try {
    PosixFile::Open(path, mode);
  } catch (const FileError& e) {
    return e.what();
  }
  return "(opened)";
}

int OpenDescriptors() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Runs `child` in a forked process: its exit status, or 128 + SIGALRM when it did not finish within 10 seconds.
int InChild(const std::function<int()>& child) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(10);
    ::_exit(child());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Every editor sets the first `bytes` bytes of its structure to 0xA0 + index and confirms.
void Confirming(ScriptedHost& host, size_t bytes = 16) {
  host.editor = [bytes](uint8_t* data, int index) {
    std::memset(data, 0xA0 + index, bytes);
    return true;
  };
}

TEST(OpenFaults, DirectoriesFifosDeniedWritesAndReadOnlyFileSystemsAreRefusedWithTheirCause) {
  ScratchDir dir;
  const int before = OpenDescriptors();
  // Read-write fails in open() itself, read-only only in the type check.
  for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite})
    EXPECT_EQ(OpenMessage(dir.Path(), mode), "Error opening file: Is a directory");
  EXPECT_EQ(OpenDescriptors(), before);

  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // No writer: a plain read-only open would wait for one for ever.
  for (OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWrite})
    EXPECT_EQ(InChild([&] { return OpenMessage(fifo, mode) == kNotSeekableText ? 0 : 1; }), 0)
        << "142: the open blocked";
  // A writer present: the open would succeed, and reads at an offset fail.
  const int writer = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(writer, 0);
  const int withWriter = OpenDescriptors();
  EXPECT_EQ(OpenMessage(fifo, OpenMode::ReadOnly), kNotSeekableText);
  EXPECT_EQ(OpenDescriptors(), withWriter);
  ::close(writer);

  // trovik-dump ends at once with exit status 1 and the message.
  for (const std::string& target : {fifo, dir.Path()}) {
    const ProgramOutcome outcome = RunProgram({"/usr/bin/timeout", "20", TROVIK_DUMP_PATH, "-t", "mbr", target});
    EXPECT_EQ(outcome.status, 1) << target;
    EXPECT_EQ(outcome.err,
              std::string(target == fifo ? kNotSeekableText : "Error opening file: Is a directory") + "\n");
  }

  // The desktop application opens every file for writing; the command line reads only, so it can still dump it.
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  const std::string path = dir.Write("image.bin", std::vector<uint8_t>(1024, 7));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  const int status = InChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 3;  // root ignores permissions
    if (OpenMessage(path, OpenMode::ReadWrite) != "Error opening file: Access Denied") return 1;
    return OpenMessage(path, OpenMode::ReadOnly) == "(opened)" ? 0 : 2;
  });
  EXPECT_EQ(status, 0);
  // A read-only file system refuses writing as well, and still lets the file be read.
  ScratchDir readOnly;
  readOnly.MountTmpfs(64 * 1024);
  const std::string onTmpfs = readOnly.Write("image.bin", std::vector<uint8_t>(4096, 7));
  readOnly.RemountReadOnly();
  EXPECT_EQ(OpenMessage(onTmpfs, OpenMode::ReadWrite), "Error opening file: Access Denied");
  EXPECT_EQ(OpenMessage(onTmpfs, OpenMode::ReadOnly), "(opened)");
}

// A real file that another program truncates right after the run asked for its size.
struct ShrinksAfterSizeQuery : FileAccess {
  std::string path;
  off_t newSize;
  std::unique_ptr<PosixFile> file = PosixFile::Open(path, OpenMode::ReadOnly);
  ShrinksAfterSizeQuery(std::string p, off_t n) : path(std::move(p)), newSize(n) {}
  uint64_t Size() override {
    const uint64_t size = file->Size();
    if (::truncate(path.c_str(), newSize) != 0) throw std::runtime_error("truncate");
    return size;
  }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override { return file->ReadAt(offset, buffer, len); }
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override { file->WriteAt(offset, buffer, len); }
};

TEST(ReadFaults, AFileThatShrinksDuringTheDumpShowsOnlyWhatWasRead) {
  ScratchDir dir;
  for (DumpType type : {DumpType::DosDebug, DumpType::C, DumpType::AsciiText}) {
    ShrinksAfterSizeQuery file(dir.Write("image.bin", std::vector<uint8_t>(600 * 1024, 'A')), 300 * 1024 + 5);
    const DumpResult result = RunOnFile(MakeRequest(type, "0", "-1"), file);
    EXPECT_EQ(result.status, RunStatus::FileFailed);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0],
              "Error reading file: the file was made shorter during the dump; it is now 307205 (0x0004B005) bytes "
              "long, too short for the range");
    // Only bytes that were read are shown: the report of a file that held no more.
    EXPECT_EQ(result.text, RunOnBytes(MakeRequest(type, "0", "-1"), std::vector<uint8_t>(300 * 1024 + 5, 'A')).text);
  }
  // A structure cut off by the shrink reads as zeros: the same report as a file that holds zeros there.
  std::vector<uint8_t> disk(4096, 0);
  std::fill_n(disk.begin() + 0x1BE, 64, 0x80);
  ShrinksAfterSizeQuery file(dir.Write("disk.img", disk), 0x1BE + 16);
  disk.resize(0x1BE + 64);
  std::fill_n(disk.begin() + 0x1BE + 16, 48, 0);
  const DumpResult cut = RunOnFile(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), file);
  EXPECT_EQ(cut.status, RunStatus::Done);
  EXPECT_EQ(cut.marked, RunOnBytes(MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), disk).marked);

  // A file removed after it was opened is still dumped whole.
  const std::string path = dir.Write("gone.bin", std::vector<uint8_t>(1000, 'x'));
  auto gone = PosixFile::Open(path, OpenMode::ReadWrite);
  ASSERT_EQ(::unlink(path.c_str()), 0);
  const DumpResult whole = RunOnFile(MakeRequest(DumpType::AsciiText, "0", "-1"), *gone);
  EXPECT_EQ(whole.status, RunStatus::Done);
  EXPECT_EQ(whole.text, std::string(1000, 'x'));
}

// Lowers this process's file size limit while it lives: a write that reaches it is cut short and the next fails with
// EFBIG, as on a disk that fills up mid-write.
struct FileSizeLimit {
  sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limit{bytes, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved), ::signal(SIGXFSZ, handler); }
};

TEST(WriteBackFaults, AWriteCutShortSaysTheStructureIsHalfWrittenAndListsNothing) {
  ScratchDir dir;
  const std::string path = dir.Write("disk.img", std::vector<uint8_t>(1024, 0x11));
  const int descriptors = OpenDescriptors();
  ScriptedHost host;
  Confirming(host);
  DumpResult result;
  {
    auto file = PosixFile::Open(path, OpenMode::ReadWrite);
    FileSizeLimit limit(0x1BE + 16 + 5);  // entry 0 fits, entry 1 gets 5 bytes
    result = RunOnFile(MakeEditRequest(DumpType::Mbr, "0x1BE", 4), *file, &host);
  }
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  EXPECT_EQ(result.messages, Strings{"Error writing file: File too large (the structure was written only in part)"});
  EXPECT_EQ(host.editorCalls, (std::vector<int>{0, 1}));
  EXPECT_EQ(result.text, "");
  std::vector<uint8_t> expected(1024, 0x11);
  std::fill_n(expected.begin() + 0x1BE, 16, 0xA0);
  std::fill_n(expected.begin() + 0x1CE, 5, 0xA1);
  EXPECT_EQ(ReadFile(path), expected);

  // A file system that fills up: the image holds its first page, the rest is a hole, and a second file takes the last
  // free page, so a GPT entry that straddles the end of the first page finds no room for its second half.
  ScratchDir small;
  small.MountTmpfs(2 * 4096);
  const std::string image = small.Write("disk.img", std::vector<uint8_t>(4096, 0x22));
  ASSERT_EQ(::truncate(image.c_str(), 65536), 0);
  small.Write("filler", std::vector<uint8_t>(4096, 0));
  ScriptedHost gpt;
  Confirming(gpt, 128);
  result = RunOnFile(MakeEditRequest(DumpType::GptEntry, "0xFC0", 1), *PosixFile::Open(image, OpenMode::ReadWrite), &gpt);
  EXPECT_EQ(result.status, RunStatus::FileFailed);
  EXPECT_EQ(result.messages,
            Strings{"Error writing file: No space left on device (the structure was written only in part)"});
  EXPECT_EQ(result.text, "");
  const std::vector<uint8_t> bytes = ReadFile(image);
  ASSERT_EQ(bytes.size(), 65536u);
  expected.assign(0x80, 0);
  std::fill_n(expected.begin(), 0x40, 0xA0);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 0xFC0, bytes.begin() + 0x1040), expected);
}

// The read of every structure type fails with EIO; every editor's write is refused with ENOSPC, as on a full device.
TEST(FakeFileFaults, AFailingReadOrWriteEndsEveryStructureTypeWithItsCause) {
  int editors = 0;
  for (const auto& row : DumpTypeTable()) {
    if (IsGeneralFormat(row.id)) continue;
    FakeFile file(0x10000);
    file.failReadAt = 0x100;
    DumpResult result = RunOnFile(MakeRequest(row.id, "0x100", "0", row.countEnabled ? 3 : 1), file);
    EXPECT_EQ(result.status, RunStatus::FileFailed) << row.name;
    EXPECT_EQ(result.messages, Strings{"Error reading file: Input/output error"}) << row.name;
    EXPECT_EQ(result.text, "") << row.name;
    if (!row.editEnabled) continue;
    file.failReadAt = UINT64_MAX;
    file.failWrites = true;
    ScriptedHost host;
    Confirming(host);
    result = RunOnFile(MakeEditRequest(row.id, "0", row.countEnabled ? 3 : 1), file, &host);
    EXPECT_EQ(result.status, RunStatus::FileFailed) << row.name;
    EXPECT_EQ(result.messages, Strings{"Error writing file: No space left on device"}) << row.name;
    EXPECT_EQ(host.editorCalls, std::vector<int>{0}) << row.name;  // the first failure ends the run
    EXPECT_EQ(result.text, "") << row.name;
    ++editors;
  }
  EXPECT_EQ(editors, 4);
}

}  // namespace
}  // namespace trovik::test
