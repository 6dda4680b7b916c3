// trovik-dump as a user or a script meets it: exit statuses, messages,
// ranges, output to a file or lost, colour, UTF-8, OHCI addresses, bytes of
// a hostile file reaching a terminal, signals while the reader has stalled,
// files that are not files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "support/Program.h"
#include "support/RuleTable.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

class TrovikDump : public testing::Test {
 protected:
  static ProgramOutcome Dump(std::vector<std::string> args) {
    args.insert(args.begin(), TROVIK_DUMP_PATH);
    return RunProgram(args);
  }
  static ProgramOutcome Shell(const std::string& command) { return RunProgram({"/bin/sh", "-c", command}); }
  const std::string kDump = TROVIK_DUMP_PATH;
  ScratchDir dir;
};

// The bytes of a debug listing, read back from its hex columns by address.
std::map<uint64_t, uint8_t> ListedBytes(const std::string& listing) {
  std::map<uint64_t, uint8_t> bytes;
  for (size_t at = listing.find('\n'); at != std::string::npos; at = listing.find('\n', at + 1)) {
    const uint64_t address = std::stoull(listing.substr(at + 1, 8), nullptr, 16);
    for (int i = 0; i < 16; ++i) {
      const std::string hex = listing.substr(at + 11 + 3 * i, 2);
      if (hex != "  ") bytes[address + i] = static_cast<uint8_t>(std::stoul(hex, nullptr, 16));
    }
  }
  return bytes;
}

TEST_F(TrovikDump, RangeOptionsSelectExactlyTheirBytes) {
  // Every 4-byte word holds its own offset, so a byte shown from elsewhere differs.
  std::vector<uint8_t> bytes(0x2000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>((i & ~size_t{3}) >> (8 * (i & 3)));
  const std::string file = dir.Write("counted.bin", bytes);
  struct Case {
    std::vector<std::string> options;
    uint64_t first, last;
  };
  for (const Case& c :
       {Case{{"-s", "0x1234", "-e", "0x1255"}, 0x1234, 0x1255}, Case{{"--sectors", "-s", "2", "-e", "4"}, 0x400, 0x7FF},
        Case{{"--sectors", "-s", "13"}, 0x1A00, 0x1FFF}, Case{{"--iso", "-s", "0x10", "-e", "0x1F"}, 0x10, 0x1F},
        Case{{"--sectors", "--iso", "-s", "1", "-e", "3"}, 0x800, 0x17FF}}) {
    std::vector<std::string> args{"-t", "1002", file};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const ProgramOutcome outcome = Dump(args);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto listed = ListedBytes(outcome.out);
    ASSERT_FALSE(listed.empty()) << c.options[1];
    EXPECT_EQ(listed.begin()->first, c.first) << c.options[1];
    EXPECT_EQ(listed.rbegin()->first, c.last) << c.options[1];
    EXPECT_EQ(listed.size(), c.last - c.first + 1) << c.options[1];
    for (const auto& [offset, value] : listed) ASSERT_EQ(value, bytes.at(offset)) << std::hex << offset;
  }
}

TEST_F(TrovikDump, UsageAndFileErrors) {
  const std::string file = dir.Write("data.bin", {1, 2, 3});
  // Usage errors end with status 2, files that cannot be opened with 1; a message ending in a line break is all of
  // standard error.
  for (const auto& [args, status, says] : std::vector<std::tuple<std::vector<std::string>, int, std::string>>{
           {{file}, 2, "--type is required"},
           {{"-t", "no-such-type", file}, 2, "unknown dump type 'no-such-type'"},
           {{"-t", "1001", file}, 2, ""},
           {{"-t", "ohci-ed", "-n", "0", file}, 2, ""},
           {{"-t", "ohci-ed", "-n", "20000", file}, 2, ""},
           {{"-t", "ohci-ed", "-n", "-1", file}, 2, ""},
           {{"-t", "debug"}, 2, ""},
           {{"-t", "debug", "--color", "sometimes", file}, 2, ""},
           {{"-t", "debug", dir.File("absent.bin")}, 1, "Error opening file: No such file or directory\n"},
           {{"-t", "debug", "-o", dir.File("no-such-dir/report.txt"), file}, 1, "Error opening output file: "},
           {{"-t", "debug", "-o", file, file}, 2, ""}}) {
    const ProgramOutcome outcome = Dump(args);
    EXPECT_EQ(outcome.status, status) << args[0] << " " << args.back();
    EXPECT_EQ(outcome.out, "") << args.back();
    if (says.ends_with('\n')) {
      EXPECT_EQ(outcome.err, says);
    }
    EXPECT_NE(outcome.err.find(says), std::string::npos) << outcome.err;
  }
  // Naming the dumped file as the output never truncates it.
  EXPECT_EQ(ReadFile(file), (std::vector<uint8_t>{1, 2, 3}));

  EXPECT_NE(Dump({"--list-types"}).out.find("\n1034  ohci-hcca "), std::string::npos);
  EXPECT_EQ(Dump({"--version"}).out, std::string("trovik-dump ") + TROVIK_VERSION + "\n");
}

TEST_F(TrovikDump, FilesPast4GiBWarnAndEndAtTheLastAddressableByte) {
  const std::string file = dir.Write("sparse.img", {0});
  ASSERT_EQ(::truncate(file.c_str(), 5LL << 30), 0);  // a hole: no disk space, every offset there
  const ProgramOutcome outcome = Dump({"-t", "debug", "-s", "0xFFFFFFF8", file});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.err, "The file is larger than 32-bit file size.\nOnly use the first 4gig of the file...\n");
  EXPECT_EQ(outcome.out,
            "\nFFFFFFF0 " + std::string(24, ' ') + "-00 00 00 00 00 00 00 00     " + std::string(8, ' ') + "........");
}

TEST_F(TrovikDump, OutputGoesToStandardOutputOrAFileInUtf8ColouredOnlyWhenAsked) {
  const std::string text = dir.Write("dot.txt", {'A', 0xB7, 'B', 0x80});
  EXPECT_EQ(Dump({"-t", "text", text}).out,
            "A\xC2\xB7"
            "B\xE2\x82\xAC");
  EXPECT_EQ(Dump({"-t", "text", "--raw", text}).out,
            "A\xB7"
            "B\x80");
  const ProgramOutcome toFile = Dump({"-t", "text", "-o", dir.File("report.txt"), text});
  EXPECT_EQ(toFile.status, 0);
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadText(dir.File("report.txt")),
            "A\xC2\xB7"
            "B\xE2\x82\xAC");

  // Two transfer descriptors at 0x20; the second's next-TD pointer has a low bit set.
  std::vector<uint8_t> tds(0x40, 0);
  Apply(tds, {Le32(0x20, 0xF2E00000), Le32(0x28, 0x00100010), Le32(0x30, 0xF3F40000), Le32(0x38, 0x00100021)});
  const std::string file = dir.Write("tds.bin", tds);
  const std::vector<std::string> run{"-t", "ohci-td", "-s", "0x20", "-n", "2", file};
  auto with = [&](std::vector<std::string> more) {
    more.insert(more.begin(), run.begin(), run.end());
    return Dump(more);
  };
  const std::string out = with({"--color", "always"}).out;
  EXPECT_NE(out.find("                  Zero: 1\x1b[31m <--- should be zero.\x1b[0m\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("\x1b[31m"), out.rfind("\x1b[31m")) << "one red range";
  for (const char* color : {"never", "auto"}) {
    const std::string plain = with({"--color", color}).out;
    EXPECT_EQ(plain.find('\x1b'), std::string::npos) << color;
    EXPECT_NE(plain.find("Zero: 1 <--- should be zero.\n"), std::string::npos) << color;
  }

  // The display address replaces the file offset in the title lines and advances per item.
  const std::string shown = with({"--address", "0x00100000"}).out;
  EXPECT_EQ(shown.rfind("OHCI Transfer Descriptor (0x00100000)\n", 0), 0u) << shown;
  EXPECT_NE(shown.find("\nOHCI Transfer Descriptor (0x00100010)\n"), std::string::npos) << shown;
  EXPECT_NE(with({}).out.find("\nOHCI Transfer Descriptor (0x00000030)\n"), std::string::npos);
  for (const char* type : {"ohci-hcca", "ohci-ed", "ohci-td", "ohci-itd"}) {
    const std::string title = Dump({"-t", type, "--address", "0xfeed0000", file}).out;
    EXPECT_EQ(title.substr(title.find('('), 12), "(0xFEED0000)") << type << ": " << title;
  }
}

TEST_F(TrovikDump, OutputThatCannotBeWrittenFailsEvenForTheOptionsThatOnlyPrint) {
  for (const std::string option : {"--list-types", "--help", "--version"}) {
    const auto ok = Shell(kDump + " " + option + " >/dev/null");
    EXPECT_EQ(ok.status, 0) << option << ok.out;
    for (const std::string redirect : {" >/dev/full", " >&-"}) {
      const auto lost = Shell(kDump + " " + option + redirect);
      EXPECT_EQ(lost.status, 1) << option << redirect;
      EXPECT_EQ(lost.err.rfind("Error writing output: ", 0), 0u) << option << redirect << lost.err;
    }
  }
}

// A file's bytes must never drive the user's terminal: escape sequences,
// bells, DEL and carriage returns that would overwrite a line are shown as
// the middle dot (or as the line break the report view shows), also inside
// a decoded field; --raw writes them unchanged. A CR LF split between two
// 512-byte chunks of the text format is still one line break.
TEST_F(TrovikDump, ControlBytesOfTheFileReachTheTerminalOnlyWithRaw) {
  const std::string text = "A\x1b]0;owned\x07" "B\rC\r\nD\x7f\x01\tE\x9d\n";
  const std::string path = dir.Write("text.bin", std::vector<uint8_t>(text.begin(), text.end()));
  const auto shown = Dump({"-t", "text", path});
  EXPECT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, "A\u00b7]0;owned\u00b7B\nC\nD\u00b7\u00b7\tE\u00b7\n");
  EXPECT_EQ(Dump({"-t", "text", "--raw", path}).out, text);

  std::vector<uint8_t> entry(128, 0);
  const std::string name = "\x1b[2J\x1b[31mX";
  for (size_t i = 0; i < name.size(); ++i) entry[56 + 2 * i] = static_cast<uint8_t>(name[i]);
  const auto gpt = Dump({"-t", "gpt-entry", "--color", "never", dir.Write("entry.bin", entry)});
  EXPECT_EQ(gpt.out.find('\x1b'), std::string::npos);
  EXPECT_NE(gpt.out.find("Name: \u00b7[2J\u00b7[31mX\n"), std::string::npos) << gpt.out;

  std::vector<uint8_t> bytes(1024, 'x');
  bytes[511] = '\r';
  bytes[512] = '\n';
  const auto out = Dump({"-t", "text", dir.Write("split.txt", bytes)}).out;
  EXPECT_EQ(out, std::string(511, 'x') + "\n" + std::string(511, 'x'));
}

// The dump's output goes to a pipe nobody reads (sleep), so it blocks in a
// write; the signal comes a second later and must end the run by itself
// (timeout kills it two seconds after that: status 137).
TEST_F(TrovikDump, InterruptOrTerminateWhileTheReaderHasStalledEndsTheRun) {
  const std::string file = dir.File("big.img");
  ASSERT_EQ(Shell("truncate -s 64M " + file).status, 0);
  for (const std::string signal : {"TERM", "INT"}) {
    const auto run = Shell("{ timeout --preserve-status -k 2 -s " + signal + " 1 " + kDump + " -t debug " + file +
                           " 2>" + dir.File("err") + "; echo $? >" + dir.File("status") + "; } | sleep 4");
    EXPECT_EQ(ReadText(dir.File("status")), "130\n") << signal;
    EXPECT_NE(ReadText(dir.File("err")).find("User Abort..."), std::string::npos) << signal;
  }
}

// Files that are not files; in sector mode the default end covers a last
// partial sector, so the default run shows the whole file as in byte mode.
TEST_F(TrovikDump, CharacterDevicesAreRefusedAndSectorModeDumpsTheWholeFile) {
  for (const char* device : {"/dev/zero", "/dev/null"}) {
    const auto outcome = Dump({"-t", "debug", device});
    EXPECT_EQ(outcome.status, 1) << device;
    EXPECT_EQ(outcome.out, "") << device;
    EXPECT_EQ(outcome.err, "Error opening file: Character devices cannot be dumped\n") << device;
  }
  for (size_t size : {300u, 1000u, 1024u}) {
    std::vector<uint8_t> bytes(size, 0x41);
    bytes.back() = 0x5A;
    const std::string path = dir.Write("f.bin", bytes);
    const auto sectorMode = Dump({"-t", "debug", "--sectors", path});
    EXPECT_EQ(sectorMode.status, 0) << sectorMode.err;
    EXPECT_EQ(sectorMode.out, Dump({"-t", "debug", path}).out) << size;
    EXPECT_NE(sectorMode.out.find('Z'), std::string::npos) << size;
  }
}

}  // namespace
}  // namespace trovik::test
