// trovik-dump where users meet its edges: output that is lost, bytes of a
// hostile file reaching a terminal, signals while the reader has stalled,
// files that are not files, and the default range in sector mode.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/Program.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

const std::string kDump = TROVIK_DUMP_PATH;

TEST(CliEdges, OutputThatCannotBeWrittenFailsEvenForTheOptionsThatOnlyPrint) {
  for (const std::string option : {"--list-types", "--help", "--version"}) {
    SCOPED_TRACE(option);
    const auto ok = RunProgram({"/bin/sh", "-c", kDump + " " + option + " >/dev/null"});
    EXPECT_EQ(ok.status, 0) << ok.out;
    for (const std::string redirect : {" >/dev/full", " >&-"}) {
      SCOPED_TRACE(redirect);
      const auto lost = RunProgram({"/bin/sh", "-c", kDump + " " + option + redirect});
      EXPECT_EQ(lost.status, 1);
      EXPECT_EQ(lost.err.rfind("Error writing output: ", 0), 0u) << lost.err;
    }
  }
}

// A file's bytes must never drive the user's terminal: escape sequences,
// bells, DEL and carriage returns that would overwrite a line are shown
// as the middle dot (or as the line break the report view shows); --raw
// writes them unchanged.
TEST(CliEdges, ControlBytesOfTheFileReachTheTerminalOnlyWithRaw) {
  ScratchDir dir;
  const std::string text = "A\x1b]0;owned\x07" "B\rC\r\nD\x7f\x01\tE\x9d\n";
  const std::string path = dir.Write("text.bin", std::vector<uint8_t>(text.begin(), text.end()));

  const auto shown = RunProgram({kDump, "-t", "text", path});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, "A\u00b7]0;owned\u00b7B\nC\nD\u00b7\u00b7\tE\u00b7\n");

  const auto raw = RunProgram({kDump, "-t", "text", "--raw", path});
  EXPECT_EQ(raw.out, text);

  // The same inside a decoded field: a GPT partition name.
  std::vector<uint8_t> entry(128, 0);
  const std::string name = "\x1b[2J\x1b[31mX";
  for (size_t i = 0; i < name.size(); ++i) entry[56 + 2 * i] = static_cast<uint8_t>(name[i]);
  const auto gpt = RunProgram({kDump, "-t", "gpt-entry", "--color", "never", dir.Write("entry.bin", entry)});
  EXPECT_EQ(gpt.status, 0) << gpt.err;
  EXPECT_EQ(gpt.out.find('\x1b'), std::string::npos);
  EXPECT_NE(gpt.out.find("Name: \u00b7[2J\u00b7[31mX\n"), std::string::npos) << gpt.out;
}

// A CR LF split between two pieces of report text is still one line break.
TEST(CliEdges, CarriageReturnLineFeedAcrossTheChunksOfALargeTextIsOneLineBreak) {
  ScratchDir dir;
  // The text format hands on 512-byte chunks: put the pair across a border.
  std::vector<uint8_t> bytes(1024, 'x');
  bytes[511] = '\r';
  bytes[512] = '\n';
  const auto out = RunProgram({kDump, "-t", "text", dir.Write("split.txt", bytes)}).out;
  ASSERT_EQ(out.size(), 1023u);
  EXPECT_EQ(out[511], '\n');
  EXPECT_EQ(out[512], 'x');
}

struct Stalled {
  pid_t pid;
  int readEnd;
  std::string errPath;
};

// Starts a long dump whose output is a pipe nobody reads, and waits until
// the pipe is full, so the program is blocked in a write.
Stalled StartStalledDump(const ScratchDir& dir, const std::string& file) {
  int fds[2];
  EXPECT_EQ(::pipe(fds), 0);
  Stalled s{-1, fds[0], dir.File("stderr")};
  s.pid = ::fork();
  if (s.pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    const int err = ::open(s.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(err, STDERR_FILENO);
    ::close(fds[0]);
    ::execl(kDump.c_str(), kDump.c_str(), "-t", "debug", file.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  const int pipeSize = ::fcntl(fds[0], F_GETPIPE_SZ);
  for (int i = 0; i < 500; ++i) {
    int queued = 0;
    ::ioctl(fds[0], FIONREAD, &queued);
    if (queued >= pipeSize) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return s;
}

TEST(CliEdges, InterruptOrTerminateWhileTheReaderHasStalledEndsTheRun) {
  ScratchDir dir;
  const std::string file = dir.File("big.img");
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);
  ::close(fd);

  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    const Stalled s = StartStalledDump(dir, file);
    ::kill(s.pid, signal);
    int status = 0;
    // The program must end by itself; give it a few seconds, then stop it
    // so the test reports the fault instead of hanging.
    pid_t done = 0;
    for (int i = 0; i < 300 && done == 0; ++i) {
      done = ::waitpid(s.pid, &status, WNOHANG);
      if (done == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (done == 0) {
      ::kill(s.pid, SIGKILL);
      ::waitpid(s.pid, &status, 0);
      ADD_FAILURE() << "still blocked three seconds after the signal";
    }
    ::close(s.readEnd);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(ReadText(s.errPath).find("User Abort..."), std::string::npos) << ReadText(s.errPath);
  }
}

TEST(CliEdges, CharacterDevicesAreRefusedWithAMessage) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/dev/zero", "Error opening file: Character devices cannot be dumped"},
      {"/dev/null", "Error opening file: Character devices cannot be dumped"},
  };
  for (const auto& [path, message] : cases) {
    SCOPED_TRACE(path);
    const auto outcome = RunProgram({kDump, "-t", "debug", path});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.rfind(message, 0), 0u) << outcome.err;
  }
}

// In sector mode the default end covers a last partial sector, so the
// default run shows the whole file as it does in byte mode.
TEST(CliEdges, SectorModeByDefaultDumpsTheWholeFile) {
  ScratchDir dir;
  for (size_t size : {300u, 1000u, 1024u}) {
    SCOPED_TRACE(size);
    std::vector<uint8_t> bytes(size, 0x41);
    bytes.back() = 0x5A;
    const std::string path = dir.Write("f.bin", bytes);
    const auto bytesMode = RunProgram({kDump, "-t", "debug", path});
    const auto sectorMode = RunProgram({kDump, "-t", "debug", "--sectors", path});
    EXPECT_EQ(sectorMode.status, 0) << sectorMode.err;
    EXPECT_EQ(sectorMode.out, bytesMode.out);
    EXPECT_NE(sectorMode.out.find('Z'), std::string::npos);
  }
}

}  // namespace
}  // namespace trovik::test
