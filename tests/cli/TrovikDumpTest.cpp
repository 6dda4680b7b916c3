// trovik-dump as a user or a script meets it: exit statuses, messages,
// ranges, output to a file or lost, colour, UTF-8, OHCI addresses, bytes of
// a hostile file reaching a terminal, signals while the reader has stalled,
// files that are not files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/Golden.h"
#include "support/Program.h"
#include "support/RuleTable.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

class TrovikDump : public testing::Test {
 protected:
  static ProgramOutcome Shell(const std::string& command) { return RunProgram({"/bin/sh", "-c", command}); }
  // Runs trovik-dump with each line of options in the scratch folder (file names relative to it) and lists what
  // each run wrote to its standard output and error and its exit status, for a golden file under tests/golden/cli.
  std::string Runs(const std::vector<std::string>& options) const {
    std::string all;
    for (const std::string& o : options) {
      const ProgramOutcome r = Shell("cd " + dir.Path() + " && " + kDump + " " + o);
      all += "==== " + o + "\n" + r.out + (r.err.empty() ? "" : "\n---- stderr\n" + r.err) + "\n---- status " +
             std::to_string(r.status) + "\n";
    }
    return all;
  }
  const std::string kDump = TROVIK_DUMP_PATH;
  ScratchDir dir;
};

TEST_F(TrovikDump, RangeOptionsSelectExactlyTheirBytes) {
  // Every 4-byte word holds its own offset, so a byte shown from elsewhere differs.
  std::vector<uint8_t> bytes(0x2000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>((i & ~size_t{3}) >> (8 * (i & 3)));
  dir.Write("counted.bin", bytes);
  ExpectGolden(Runs({"-t 1002 -s 0x1234 -e 0x1255 counted.bin", "-t 1002 --sectors -s 2 -e 4 counted.bin",
                     "-t 1002 --sectors -s 13 counted.bin", "-t 1002 --iso -s 0x10 -e 0x1F counted.bin",
                     "-t 1002 --sectors --iso -s 1 -e 3 counted.bin"}),
               "cli/ranges");
}

// Usage errors end with status 2, files that cannot be opened with 1, with the message on standard error alone.
// Naming the dumped file as the output never truncates it.
TEST_F(TrovikDump, UsageAndFileErrors) {
  dir.Write("data.bin", {1, 2, 3});
  ExpectGolden(Runs({"data.bin", "-t no-such-type data.bin", "-t 1001 data.bin", "-t ohci-ed -n 0 data.bin",
                     "-t ohci-ed -n 20000 data.bin", "-t ohci-ed -n -1 data.bin", "-t debug",
                     "-t debug --color sometimes data.bin", "-t debug absent.bin",
                     "-t debug -o no-such-dir/report.txt data.bin", "-t debug -o data.bin data.bin"}),
               "cli/usage-errors");
  EXPECT_EQ(ReadFile(dir.File("data.bin")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(RunProgram({kDump, "--version"}).out, std::string("trovik-dump ") + TROVIK_VERSION + "\n");
}

TEST_F(TrovikDump, FilesPast4GiBWarnAndEndAtTheLastAddressableByte) {
  ASSERT_EQ(::truncate(dir.Write("sparse.img", {0}).c_str(), 5LL << 30), 0);  // a hole: no disk space, every offset there
  ExpectGolden(Runs({"-t debug -s 0xFFFFFFF8 sparse.img"}), "cli/past-4-gib");
}

// Reports are UTF-8 on standard output or in the -o file, and red only when asked. Two OHCI transfer descriptors
// at 0x20, the second's next-TD pointer with a low bit set (one red range); the display address replaces the file
// offset in the title lines and advances per item.
TEST_F(TrovikDump, OutputGoesToStandardOutputOrAFileInUtf8ColouredOnlyWhenAsked) {
  dir.Write("dot.txt", {'A', 0xB7, 'B', 0x80});
  std::vector<uint8_t> tds(0x40, 0);
  Apply(tds, {Le32(0x20, 0xF2E00000), Le32(0x28, 0x00100010), Le32(0x30, 0xF3F40000), Le32(0x38, 0x00100021)});
  dir.Write("tds.bin", tds);
  ExpectGolden(Runs({"-t text dot.txt", "-t text -o report.txt dot.txt && cat report.txt",
                     "-t ohci-td -s 0x20 -n 2 --color always tds.bin", "-t ohci-td -s 0x20 -n 2 --color never tds.bin",
                     "-t ohci-td -s 0x20 -n 2 --color auto tds.bin", "-t ohci-td -s 0x20 -n 2 --address 0x00100000 tds.bin",
                     "-t ohci-hcca --address 0xfeed0000 tds.bin", "-t ohci-ed --address 0xfeed0000 tds.bin",
                     "-t ohci-itd --address 0xfeed0000 tds.bin"}),
               "cli/output-colour-address");
}

// Output that cannot be written (a full device, a closed descriptor) fails with status 1, even for the options that
// only print.
TEST_F(TrovikDump, OutputThatCannotBeWrittenFailsEvenForTheOptionsThatOnlyPrint) {
  std::vector<std::string> runs;
  for (const std::string option : {"--list-types", "--help", "--version"})
    for (const std::string redirect : {" >/dev/null", " >/dev/full", " >&-"}) runs.push_back(option + redirect);
  ExpectGolden(Runs(runs), "cli/output-lost");
}

// A file's bytes must never drive the user's terminal: escape sequences,
// bells, DEL and carriage returns that would overwrite a line are shown as
// the middle dot (or as the line break the report view shows), also inside
// a decoded field (a GPT entry's name); --raw writes them unchanged. A CR LF
// split between two 512-byte chunks of the text format is one line break.
TEST_F(TrovikDump, ControlBytesOfTheFileReachTheTerminalOnlyWithRaw) {
  const std::string text = "A\x1b]0;owned\x07" "B\rC\r\nD\x7f\x01\tE\x9d\n";
  dir.Write("text.bin", std::vector<uint8_t>(text.begin(), text.end()));
  std::vector<uint8_t> entry(128, 0);
  const std::string name = "\x1b[2J\x1b[31mX";
  for (size_t i = 0; i < name.size(); ++i) entry[56 + 2 * i] = static_cast<uint8_t>(name[i]);
  dir.Write("entry.bin", entry);
  std::vector<uint8_t> split(1024, 'x');
  split[511] = '\r', split[512] = '\n';
  dir.Write("split.txt", split);
  const std::string shown = Runs({"-t text text.bin", "-t gpt-entry entry.bin", "-t text split.txt"});
  EXPECT_EQ(shown.find('\x1b'), std::string::npos);
  ExpectGolden(shown, "cli/control-bytes");
  EXPECT_EQ(RunProgram({kDump, "-t", "text", "--raw", dir.File("text.bin")}).out, text);
}

// The dump's output goes to a pipe nobody reads (sleep), so it blocks in a
// write; the signal comes a second later and must end the run by itself
// (timeout kills it two seconds after that: status 137).
TEST_F(TrovikDump, InterruptOrTerminateWhileTheReaderHasStalledEndsTheRun) {
  const std::string file = dir.File("big.img");
  ASSERT_EQ(Shell("truncate -s 64M " + file).status, 0);
  for (const std::string signal : {"TERM", "INT"}) {
    Shell("{ timeout --preserve-status -k 2 -s " + signal + " 1 " + kDump + " -t debug " + file + " 2>" +
          dir.File("err") + "; echo $? >" + dir.File("status") + "; } | sleep 4");
    EXPECT_EQ(ReadText(dir.File("status")), "130\n") << signal;
    EXPECT_NE(ReadText(dir.File("err")).find("User Abort..."), std::string::npos) << signal;
  }
}

// Files that are not files; in sector mode the default end covers a last
// partial sector, so the default run shows the whole file as in byte mode.
TEST_F(TrovikDump, CharacterDevicesAreRefusedAndSectorModeDumpsTheWholeFile) {
  for (const int size : {300, 1000, 1024}) {
    std::vector<uint8_t> bytes(size, 0x41);
    bytes.back() = 0x5A;
    dir.Write("f" + std::to_string(size) + ".bin", bytes);
  }
  ExpectGolden(Runs({"-t debug /dev/zero", "-t debug /dev/null", "-t debug --sectors f300.bin",
                     "-t debug --sectors f1000.bin", "-t debug --sectors f1024.bin"}),
               "cli/not-files-and-sector-mode");
}

}  // namespace
}  // namespace trovik::test
