// ext2/3/4 superblock, group descriptors, inodes, directory entries and journal superblock: the sample
// images' listings as golden files checked against dumpe2fs and debugfs, odd values, and every rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "support/Golden.h"
#include "support/ReportCapture.h"
#include "support/RuleTable.h"
#include "support/Scratch.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

const char* const kSystems[] = {"ext2", "ext3", "ext4"};

DumpResult Dump(DumpType type, const std::vector<uint8_t>& bytes, int count = 1, uint32_t start = 0) {
  return RunOnBytes(MakeRequest(type, std::to_string(start), "0x00000000", count), bytes);
}

std::vector<uint8_t> Sample(const std::string& fs, const std::string& part) {
  return ReadTestFile("ext2/" + fs + "-" + part + ".bin");
}

std::string ToolText(const std::string& fs, const std::string& part) { return ReadTestText("ext2/" + fs + "-" + part); }

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, const std::vector<Patch>& patches) {
  Apply(bytes, patches);
  return bytes;
}

// The listing of one sample inode, found through the layout notes, and debugfs's stat of it.
std::string SampleInode(const std::string& fs, const std::string& path) {
  const std::string layout = ToolText(fs, "layout.txt");
  const long long offset = (NumberAfter(layout, "inode " + path + ":") - 1) * NumberAfter(layout, "inode size:");
  return Dump(DumpType::Ext2Inode, Sample(fs, "inodes"), 1, static_cast<uint32_t>(offset)).marked;
}

std::string Stat(const std::string& fs, const std::string& path) {
  const std::string all = ToolText(fs, "stat.txt");
  const size_t from = all.find("== " + path + "\n");
  return all.substr(from, all.find("\n== ", from + 1) - from);
}

const char* const kPaths[] = {"/hello.txt", "/big.txt", "/sub", "/short-link", "/long-link"};

TEST(Ext2Samples, ListingsAgreeWithDumpe2fsAndDebugfs) {
  const std::map<std::string, std::string> featureNames = {
      {"has_journal", "<HAS_JOURNAL>"}, {"ext_attr", "<EXT_ATTR>"},   {"resize_inode", "<RESIZE_INO>"},
      {"dir_index", "<DIR_INDEX>"},     {"filetype", "<FILETYPE>"},   {"extent", "<EXTENTS>"},
      {"64bit", "<64BIT>"},             {"flex_bg", "<FLEX_BG>"},     {"sparse_super", "<SPARSE_SUPER>"},
      {"large_file", "<LARGE_FILE>"},   {"huge_file", "<HUGE_FILE>"}, {"dir_nlink", "<DIR_NLINK>"},
      {"extra_isize", "<EXTRA_ISIZE>"}, {"metadata_csum", "<Unknown flag set>"}};
  for (const std::string fs : kSystems) {
    SCOPED_TRACE(fs);
    const std::string ref = ToolText(fs, "dumpe2fs.txt");
    const DumpResult super = Dump(DumpType::Ext2Super, Sample(fs, "super"));
    ExpectReport(super, "ext2/" + fs + "-super");
    const std::string& t = super.text;
    for (const auto& [mine, theirs] : std::map<std::string, std::string>{
             {"Inode Count", "Inode count"}, {"Block Count", "Block count"},
             {"Resv. Block Count", "Reserved block count"}, {"Free Block Count", "Free blocks"},
             {"Free Inode Count", "Free inodes"}, {"First Data Block", "First block"},
             {"Blocks per Group", "Blocks per group"}, {"Fragments per Group", "Fragments per group"},
             {"Inodes per Group", "Inodes per group"}, {"Mount Count", "Mount count"},
             {"Max Mount Count", "Maximum mount count"}, {"First Inode", "First inode"}, {"Inode Size", "Inode size"},
             {"Reserved gdt blocks", "Reserved GDT blocks"}, {"Journal inode number", "Journal inode"},
             {"Group Desc Size", "Group descriptor size"}})
      EXPECT_EQ(NumberAfter(t, mine), NumberAfter(ref, theirs)) << mine;
    EXPECT_EQ(FieldAfter(t, "Block Size"), "0  (" + FieldAfter(ref, "Block size") + ")");
    EXPECT_EQ(FieldAfter(t, "Volume Name"), FieldAfter(ref, "Filesystem volume name"));
    const std::string features = FieldAfter(t, "Compatible Ftr Set") + FieldAfter(t, "Incompatible Ftr Set") +
                                 FieldAfter(t, "RO Compatible Ftr Set");
    std::istringstream names(FieldAfter(ref, "Filesystem features"));
    for (std::string name; names >> name;) EXPECT_NE(features.find(featureNames.at(name)), std::string::npos) << name;

    // The file system has one group: its descriptor holds all free blocks and inodes.
    const DumpResult group = Dump(fs == "ext4" ? DumpType::Ext4Group : DumpType::Ext2Group, Sample(fs, "gdt"));
    ExpectReport(group, "ext2/" + fs + "-group");
    EXPECT_EQ(NumberAfter(group.text, "Free Block Count"), NumberAfter(ref, "Free blocks"));
    EXPECT_EQ(NumberAfter(group.text, "Free Inode Count"), NumberAfter(ref, "Free inodes"));
    EXPECT_EQ(NumberAfter(group.text, "Inode Table"), NumberAfter(ToolText(fs, "layout.txt"), "inode table:"));

    // The root directory, walked by record length to the zero length past its block.
    const DumpResult root = Dump(DumpType::Ext2Dir, Sample(fs, "root"), 20);
    ExpectReport(root, "ext2/" + fs + "-root");
    std::string inodes;
    for (const std::string path : kPaths) {
      SCOPED_TRACE(path);
      const size_t name = root.text.find("Name: " + path.substr(1) + "\n");
      ASSERT_NE(name, std::string::npos);
      EXPECT_EQ(NumberAfter(root.text, "Inode", root.text.rfind("Inode:", name)),
                NumberAfter(ToolText(fs, "layout.txt"), "inode " + path + ":"));

      const std::string stat = Stat(fs, path), inode = SampleInode(fs, path);
      inodes += inode;
      EXPECT_EQ(NumberAfter(inode, "Size"), NumberAfter(stat, "Size:"));
      EXPECT_EQ(NumberAfter(inode, "links count"), NumberAfter(stat, "Links:"));
      EXPECT_EQ(NumberAfter(inode, inode.find("blocks:") != std::string::npos ? "blocks:" : "512 byte sectors"),
                NumberAfter(stat, "Blockcount:"));
      const std::string fast = FieldAfter(stat, "Fast link dest:");
      if (!fast.empty()) {
        EXPECT_EQ("\"" + FieldAfter(inode, "Symbolic Link") + "\"", fast);
        continue;
      }
      // The first block of debugfs's list, "(0):221" or "(0-11):162-173, ...".
      const long long first = std::strtoll(stat.c_str() + stat.find("):") + 2, nullptr, 10);
      const bool extents = stat.find("EXTENTS:") != std::string::npos;
      const std::string mine = FieldAfter(inode, extents ? "Physical Block" : "block");
      EXPECT_EQ(std::strtoll(mine.c_str() + mine.find_first_of("0123456789"), nullptr, 10), first) << mine;
    }
    ExpectReport(inodes, "ext2/" + fs + "-inodes");
    if (fs == "ext2") continue;

    const DumpResult journal = Dump(DumpType::Ext3Journal, Sample(fs, "journal"));
    ExpectReport(journal, "ext2/" + fs + "-journal");
    EXPECT_EQ(NumberAfter(journal.text, "Total Blocks"), NumberAfter(ref, "Total journal blocks"));
    EXPECT_EQ(NumberAfter(journal.text, "Block size"), NumberAfter(ref, "Block size"));
    EXPECT_EQ(NumberAfter(journal.text, "Start"), NumberAfter(ref, "Journal start"));
    // The second "Sequence" is the log's first expected commit.
    EXPECT_EQ(FieldAfter(journal.text, "Sequence", journal.text.find("First Block")),
              FieldAfter(ref, "Journal sequence"));
  }
}

TEST(Ext2Super, Rules) {
  // The ext2 sample with the bytes it lists raw (from 0xD0, as it has no journal) cleared.
  ExpectRules(MakeRequest(DumpType::Ext2Super), Patched(Sample("ext2", "super"), {{0xD0, std::vector<uint8_t>(0x330)}}),
              {{"block size 2", {Le32(0x18, 2)}, {}},
               {"block size 3", {Le32(0x18, 3)}, {"Block Size: 3  (8192)[[ <-- Should be 0, 1, or 2.\\n]]"}},
               {"magic", {Le16(0x38, 0x53EF)}, {"Magic Sig: 0x53EF[[ <-- Should be 0xEF53.\\n]]"}},
               {"state 0", {Le16(0x3A, 0)}, {"State: 0x0000 (Unknown)[[ <-- Should be 1 (EXT2_VALID_FS).\\n]]"}},
               {"state 2", {Le16(0x3A, 2)}, {"State: 0x0002 (EXT2_ERROR_FS)[[ <-- Should be 1 (EXT2_VALID_FS).\\n]]"}},
               {"errors 2", {Le16(0x3C, 2)},
                {"Errors: 2  (EXT2_ERRORS_RO)[[ <-- Should be 1 (EXT2_ERRORS_CONTINUE).\\n]]"}},
               {"errors 4", {Le16(0x3C, 4)}, {"Errors: 4  (Unknown)[[ <-- Should be 1 (EXT2_ERRORS_CONTINUE).\\n]]"}},
               {"creator 6", {Le32(0x48, 6)}, {}},
               {"creator 7", {Le32(0x48, 7)}, {"OS Creator: 0x00000007  (Unknown)[[ <-- Should be 1 -> 6.\\n]]"}},
               {"creator in the high word", {Le32(0x48, 0x10000)},
                {"OS Creator: 0x00010000  (Unknown)[[ <-- Should be 1 -> 6.\\n]]"}},
               {"last line", {U8(0x3F8, 0x7F), U8(0x3FF, 0x20)},
                {"000003F0  00 00 00 00 00 00 00 00-7F 00 00 00 00 00 00 20     ........\x7F.......[[",
                 "One or more of the values above was not zero.\\n]]"}}});
  // Revision 2 is judged and decoded like revision 0: the raw listing starts at 0x54, shown under
  // its file offset (the superblock's usual place, 0x400).
  std::vector<uint8_t> image(0x400, 0);
  const std::vector<uint8_t> super = Patched(Sample("ext2", "super"), {Le32(0x4C, 2)});
  image.insert(image.end(), super.begin(), super.end());
  ExpectReport(Dump(DumpType::Ext2Super, image, 1, 0x400), "ext2/super-revision-2");
  // Sizes whose shift passes 31 bits, no blocks per group, times past 2038, every feature name, an
  // unnamed feature bit, and names that fill their fields.
  ExpectReport(Dump(DumpType::Ext2Super,
                    Patched(Sample("ext2", "super"),
                            {Le32(0x18, 0xFFFFFFFF), Le32(0x1C, 0x80000000), Le32(0x20, 0), Le32(0x2C, 0xFFFFFFFF),
                             Le32(0x44, 180 * 86400 + 3661), Le32(0x5C, 0xFF), Le32(0x60, 0x3FF), Le32(0x64, 0x7F),
                             Text(0x78, std::string(16, 'v') + std::string(64, 'm'))})),
               "ext2/super-odd");
}

TEST(Ext2Group, FlagsAndHighHalves) {
  ExpectReport(Dump(DumpType::Ext4Group, Patched(std::vector<uint8_t>(64, 0),
                                                 {Le32(0x00, 0x80000000), Le16(0x0C, 0xFFFF), Le16(0x12, 7),
                                                  Le32(0x14, 0x11111111), Le32(0x18, 0x22222222), Le32(0x20, 1),
                                                  Le16(0x2C, 1), Le32(0x34, 0x33333333), Le32(0x38, 0x44444444),
                                                  Le32(0x3C, 0xDEADBEEF)})),
               "ext2/group-odd");
}

// Extent nodes: a node claiming more entries than the inode holds lists the four that fit.
TEST(Ext2Inode, RulesAndOddInodes) {
  const std::string layout = ToolText("ext4", "layout.txt");
  const std::vector<uint8_t> inodes = Sample("ext4", "inodes");
  const auto big = inodes.begin() + (NumberAfter(layout, "inode /big.txt:") - 1) * 256;
  ExpectRules(MakeRequest(DumpType::Ext2Inode), {big, big + 128},
              {{"magic", {Le16(0x28, 0x0AF3)}, {"Magic:  0AF3[[ <-- Should be F30A.\\n]]"}},
               {"4 entries", {Le16(0x2A, 4)}, {}},
               {"5 entries", {Le16(0x2A, 5)}, {"Entries:  5[[ <-- Should be 4 or less.\\n]]"}}});

  std::vector<Patch> odd = {Le16(0x00, 0xCFFF), Le32(0x10, 0xF0000000), Le32(0x1C, 5), Le32(0x20, 0x801C0001),
                            Le16(0x28, 0xF30A), Le16(0x2A, 0xFFFF), Le16(0x2C, 4), Le32(0x30, 0x12345678),
                            Le16(0x74, 1)};
  for (int n = 0; n < 4; ++n)
    odd.insert(odd.end(), {Le32(0x34 + 12 * n, 8 * n), Le16(0x38 + 12 * n, 8), Le16(0x3A + 12 * n, n),
                           Le32(0x3C + 12 * n, 0x1234 + n)});
  // A fast link that fills its 60 bytes, then an extent node with a bad magic.
  odd.insert(odd.end(), {Le16(0x80, 0xA1FF), Le32(0x84, 60), Text(0xA8, std::string(60, 'x')), Text(0xE4, "AAAA"),
                         Le16(0x100, 0x41ED), Le32(0x120, 0x00080000), Le16(0x128, 0x0AF3), Le16(0x12A, 1)});
  ExpectReport(Dump(DumpType::Ext2Inode, Patched(std::vector<uint8_t>(384, 0), odd), 3), "ext2/inodes-odd");
  ExpectReport(Dump(DumpType::Ext2InodeLong, std::vector<uint8_t>(256, 0), 2), "ext2/inode-long");
}

// A zero byte in a name adds nothing and does not end it, the longest name is read whole, and a zero
// record length ends the walk.
TEST(Ext2Dir, OddEntries) {
  const std::vector<uint8_t> block = Patched(
      std::vector<uint8_t>(1024, 0), {Le32(0, 7), Le16(4, 12), U8(6, 3), U8(7, 9), Text(8, std::string("a\0b", 3)),
                                      Le32(12, 0x80000001), Le16(16, 264), U8(18, 255), U8(19, 7),
                                      Text(20, std::string(255, 'n')), Le32(276, 5), U8(282, 1), U8(283, 8)});
  ExpectReport(Dump(DumpType::Ext2Dir, block, 5), "ext2/dir-odd");
}

TEST(Ext3Journal, RulesAndOddValues) {
  ExpectRules(MakeRequest(DumpType::Ext3Journal), Sample("ext3", "journal"),
              {{"magic", {U8(3, 0x99)}, {"Magic: 0xC03B3999[[ <-- Should be 0xC03B3998.\\n]]"}}});
  // Numbers are big-endian: an unknown block type, a negative length, every feature name and unknown bits.
  ExpectReport(Dump(DumpType::Ext3Journal, Patched(Sample("ext3", "journal"),
                                                   {{0x04, {0, 0, 0, 9}}, {0x10, {0x80, 0, 0, 0}},
                                                    {0x24, {0, 0, 0, 3}}, {0x28, {0, 0, 0, 0x7F}},
                                                    {0x2C, {0, 0, 0, 1}}})),
               "ext2/journal-odd");
}

}  // namespace
}  // namespace trovik::test
