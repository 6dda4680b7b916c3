// trovik-dump as a user or a script meets it: exit statuses, messages, the
// type list, output to a file, colour, the character set of the report and
// the display address of the OHCI types.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ByteOrder.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TrovikDump : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "trovik-cli-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (const auto& path : created_) ::unlink(path.c_str());
    ::rmdir(dir_.c_str());
  }

  std::string Path(const std::string& name) {
    created_.push_back(dir_ + "/" + name);
    return created_.back();
  }

  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  // Runs trovik-dump with the arguments; standard output and error go to
  // files so that neither can block the other.
  Outcome Run(std::vector<std::string> args) {
    const std::string outPath = Path("stdout"), errPath = Path("stderr");
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, STDOUT_FILENO);
      ::dup2(err, STDERR_FILENO);
      std::vector<char*> argv{const_cast<char*>(TROVIK_DUMP_PATH)};
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(TROVIK_DUMP_PATH, argv.data());
      ::_exit(127);
    }
    Outcome outcome;
    int wstatus = 0;
    if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) outcome.status = WEXITSTATUS(wstatus);
    outcome.out = ReadFile(outPath);
    outcome.err = ReadFile(errPath);
    return outcome;
  }

  std::string dir_;
  std::vector<std::string> created_;
};

// Two transfer descriptors; the second has a low bit set in its next-TD
// pointer, which earns a red annotation.
std::vector<uint8_t> TransferDescriptors() {
  std::vector<uint8_t> bytes(0x40, 0);
  trovik::PutLe32(bytes.data() + 0x20, 0xF2E00000);
  trovik::PutLe32(bytes.data() + 0x28, 0x00100010);
  trovik::PutLe32(bytes.data() + 0x30, 0xF3F40000);
  trovik::PutLe32(bytes.data() + 0x38, 0x00100021);
  return bytes;
}

TEST_F(TrovikDump, UsageErrorsExitWithTwo) {
  const std::string file = WriteFile("data.bin", {1, 2, 3});
  Outcome outcome = Run({file});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("--type is required"), std::string::npos) << outcome.err;

  outcome = Run({"-t", "no-such-type", file});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("unknown dump type 'no-such-type'"), std::string::npos) << outcome.err;
  EXPECT_EQ(Run({"-t", "1001", file}).status, 2);

  for (const char* count : {"0", "20000", "-1"}) {
    outcome = Run({"-t", "ohci-ed", "-n", count, file});
    EXPECT_EQ(outcome.status, 2) << count;
    EXPECT_EQ(outcome.out, "") << count;
  }
  EXPECT_EQ(Run({"-t", "debug"}).status, 2);
  EXPECT_EQ(Run({"-t", "debug", "--color", "sometimes", file}).status, 2);
}

TEST_F(TrovikDump, MissingFileExitsWithOneAndTheCause) {
  const Outcome outcome = Run({"-t", "debug", dir_ + "/absent.bin"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err, "Error opening file: No such file or directory\n");
  EXPECT_EQ(outcome.out, "");
}

TEST_F(TrovikDump, FilesPast4GiBWarnAndEndAtTheLastAddressableByte) {
  // A sparse 5 GiB file: no disk space, but every offset is there.
  const std::string file = Path("sparse.img");
  std::ofstream(file, std::ios::binary).put('\0');
  ASSERT_EQ(::truncate(file.c_str(), 5LL << 30), 0);
  const Outcome outcome = Run({"-t", "debug", "-s", "0xFFFFFFF8", file});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "The file is larger than 32-bit file size.\nOnly use the first 4gig of the file...\n");
  // The first byte stands in column 8, so the '-' comes before it.
  EXPECT_EQ(outcome.out, "\nFFFFFFF0 " + std::string(24, ' ') + "-00 00 00 00 00 00 00 00     " + std::string(8, ' ') +
                             "........");
}

TEST_F(TrovikDump, ListsAllTypesAndItsVersion) {
  Outcome outcome = Run({"--list-types"});
  EXPECT_EQ(outcome.status, 0);
  std::istringstream lines(outcome.out);
  std::string line;
  int types = 0;
  while (std::getline(lines, line))
    if (!line.empty() && line[0] >= '1' && line[0] <= '9') ++types;
  EXPECT_EQ(types, 44);
  for (const char* name : {"ohci-hcca", "ohci-ed", "ohci-td", "ohci-itd", "debug", "lean-super", "qor-cont"})
    EXPECT_NE(outcome.out.find(name), std::string::npos) << name;
  EXPECT_NE(outcome.out.find("1034  ohci-hcca "), std::string::npos);

  outcome = Run({"--version"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, std::string("trovik-dump ") + TROVIK_VERSION + "\n");
}

TEST_F(TrovikDump, WritesTheReportToStandardOutputOrAFile) {
  std::vector<uint8_t> bytes;
  for (char c : std::string("0123456789ABCDEF")) bytes.push_back(static_cast<uint8_t>(c));
  const std::string file = WriteFile("digits.bin", bytes);
  const std::string expected = "\n00000000  30 31 32 33 34 35 36 37-38 39 41 42 43 44 45 46     0123456789ABCDEF";

  Outcome outcome = Run({"-t", "debug", file});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, expected);
  EXPECT_EQ(Run({"-t", "1002", file}).out, expected);

  const std::string report = Path("report.txt");
  outcome = Run({"-t", "debug", "-o", report, file});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(ReadFile(report), expected);

  outcome = Run({"-t", "debug", "-o", dir_ + "/no-such-dir/report.txt", file});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.err.rfind("Error opening output file: ", 0), 0u) << outcome.err;

  // The file being dumped is never truncated by naming it as the output.
  outcome = Run({"-t", "debug", "-o", file, file});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(ReadFile(file), "0123456789ABCDEF");
}

TEST_F(TrovikDump, ColoursAnnotationsOnlyWhenAsked) {
  const std::string file = WriteFile("tds.bin", TransferDescriptors());
  const std::string annotated = "                  Zero: 1\x1b[31m <--- should be zero.\x1b[0m\n";

  Outcome outcome = Run({"-t", "ohci-td", "-s", "0x20", "-n", "2", "--color", "always", file});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find(annotated), std::string::npos) << outcome.out;
  EXPECT_EQ(outcome.out.find("\x1b[31m"), outcome.out.rfind("\x1b[31m")) << "one red range";

  for (const char* color : {"never", "auto"}) {
    outcome = Run({"-t", "ohci-td", "-s", "0x20", "-n", "2", "--color", color, file});
    EXPECT_EQ(outcome.out.find('\x1b'), std::string::npos) << color;
    EXPECT_NE(outcome.out.find("Zero: 1 <--- should be zero.\n"), std::string::npos) << color;
  }
  const std::string report = Path("colour.txt");
  Run({"-t", "ohci-td", "-s", "0x20", "-n", "2", "-o", report, file});
  EXPECT_EQ(ReadFile(report).find('\x1b'), std::string::npos);
}

TEST_F(TrovikDump, WritesUtf8UnlessRaw) {
  const std::string file = WriteFile("dot.txt", {'A', 0xB7, 'B', 0x80});
  Outcome outcome = Run({"-t", "text", file});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, "A\xC2\xB7" "B\xE2\x82\xAC");
  outcome = Run({"-t", "text", "--raw", file});
  EXPECT_EQ(outcome.out, "A\xB7" "B\x80");
}

TEST_F(TrovikDump, ShowsTheOhciDisplayAddress) {
  const std::string file = WriteFile("tds.bin", TransferDescriptors());
  Outcome outcome = Run({"-t", "ohci-td", "-s", "0x20", "-n", "2", "--address", "0x00100000", file});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("OHCI Transfer Descriptor (0x00100000)\n              Reserved: 00000\n", 0), 0u)
      << outcome.out;
  EXPECT_NE(outcome.out.find("\n\nOHCI Transfer Descriptor (0x00100010)\n              Reserved: 00000\n"
                             "              Rounding: 1\n"),
            std::string::npos);

  outcome = Run({"-t", "ohci-td", "-s", "0x20", "-n", "2", file});
  EXPECT_EQ(outcome.out.rfind("OHCI Transfer Descriptor (0x00000020)\n", 0), 0u) << outcome.out;
  EXPECT_NE(outcome.out.find("OHCI Transfer Descriptor (0x00000030)\n"), std::string::npos);

  const std::vector<std::pair<std::string, std::string>> titles = {
      {"ohci-hcca", "OHCI Host Controller Communications Area (0xFEED0000)"},
      {"ohci-ed", "OHCI Endpoint Descriptor (0xFEED0000)"},
      {"ohci-td", "OHCI Transfer Descriptor (0xFEED0000)"},
      {"ohci-itd", "OHCI Isochronous Transfer Descriptor (0xFEED0000)"},
  };
  for (const auto& [type, title] : titles) {
    outcome = Run({"-t", type, "--address", "0xfeed0000", file});
    EXPECT_EQ(outcome.status, 0) << type << ": " << outcome.err;
    EXPECT_EQ(outcome.out.rfind(title, 0), 0u) << type << ": " << outcome.out;
  }
}

}  // namespace
