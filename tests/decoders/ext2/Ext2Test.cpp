// ext2/3/4 superblock, group descriptors, inodes, directory entries and journal superblock: the sample
// images' listings as golden files checked against dumpe2fs and debugfs, odd values, and every rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

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

TEST(Ext2Samples, ListingsAgreeWithDumpe2fsAndDebugfs) {
  const std::map<std::string, std::string> featureNames = {
      {"has_journal", "<HAS_JOURNAL>"}, {"ext_attr", "<EXT_ATTR>"},   {"resize_inode", "<RESIZE_INO>"},
      {"dir_index", "<DIR_INDEX>"},     {"filetype", "<FILETYPE>"},   {"extent", "<EXTENTS>"},
      {"64bit", "<64BIT>"},             {"flex_bg", "<FLEX_BG>"},     {"sparse_super", "<SPARSE_SUPER>"},
      {"large_file", "<LARGE_FILE>"},   {"huge_file", "<HUGE_FILE>"}, {"dir_nlink", "<DIR_NLINK>"},
      {"extra_isize", "<EXTRA_ISIZE>"}, {"metadata_csum", "<Unknown flag set>"}};
  for (const std::string fs : {"ext2", "ext3", "ext4"}) {
    SCOPED_TRACE(fs);
    const std::string ref = ToolText(fs, "dumpe2fs.txt"), layout = ToolText(fs, "layout.txt");
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
    EXPECT_EQ(NumberAfter(group.text, "Inode Table"), NumberAfter(layout, "inode table:"));

    // The root directory, walked by record length to the zero length past its block.
    const DumpResult root = Dump(DumpType::Ext2Dir, Sample(fs, "root"), 20);
    ExpectReport(root, "ext2/" + fs + "-root");
    std::string inodes;
    for (const std::string path : {"/hello.txt", "/big.txt", "/sub", "/short-link", "/long-link"}) {
      SCOPED_TRACE(path);
      const size_t name = root.text.find("Name: " + path.substr(1) + "\n");
      ASSERT_NE(name, std::string::npos);
      const long long number = NumberAfter(layout, "inode " + path + ":");
      EXPECT_EQ(NumberAfter(root.text, "Inode", root.text.rfind("Inode:", name)), number);
      // The inode's listing, found through the layout notes, and debugfs's stat of it.
      const std::string inode = Dump(DumpType::Ext2Inode, Sample(fs, "inodes"), 1,
                                     static_cast<uint32_t>((number - 1) * NumberAfter(layout, "inode size:"))).marked;
      const std::string all = ToolText(fs, "stat.txt");
      const size_t from = all.find("== " + path + "\n");
      const std::string stat = all.substr(from, all.find("\n== ", from + 1) - from);
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

TEST(Ext2, RulesAndOddStructures) {
  // The ext2 sample with the bytes it lists raw (from 0xD0, as it has no journal) cleared.
  ExpectRules(MakeRequest(DumpType::Ext2Super), Patched(Sample("ext2", "super"), {{0xD0, std::vector<uint8_t>(0x330)}}),
              {{"block size 2", {Le32(0x18, 2)}, {}},
               {"block size 3", {Le32(0x18, 3)}, {"Block Size: 3  (8192)[[ <-- Should be 0, 1, or 2.\\n]]"}},
               {"magic", {Le16(0x38, 0x53EF)}, {"Magic Sig: 0x53EF[[ <-- Should be 0xEF53.\\n]]"}},
               {"state 2", {Le16(0x3A, 2)}, {"State: 0x0002 (EXT2_ERROR_FS)[[ <-- Should be 1 (EXT2_VALID_FS).\\n]]"}},
               {"errors 2", {Le16(0x3C, 2)},
                {"Errors: 2  (EXT2_ERRORS_RO)[[ <-- Should be 1 (EXT2_ERRORS_CONTINUE).\\n]]"}},
               {"creator 6", {Le32(0x48, 6)}, {}},
               {"creator 7", {Le32(0x48, 7)}, {"OS Creator: 0x00000007  (Unknown)[[ <-- Should be 1 -> 6.\\n]]"}},
               {"creator in the high word", {Le32(0x48, 0x10000)},
                {"OS Creator: 0x00010000  (Unknown)[[ <-- Should be 1 -> 6.\\n]]"}},
               {"last line", {U8(0x3F8, 0x7F), U8(0x3FF, 0x20)},
                {"000003F0  00 00 00 00 00 00 00 00-7F 00 00 00 00 00 00 20     ........\x7F.......[[",
                 "One or more of the values above was not zero.\\n]]"}}});
  // Extent nodes (a bad magic shows on the odd inodes' listing): more entries than the inode holds.
  const std::vector<uint8_t> inodes = Sample("ext4", "inodes");
  const auto big = inodes.begin() + (NumberAfter(ToolText("ext4", "layout.txt"), "inode /big.txt:") - 1) * 256;
  ExpectRules(MakeRequest(DumpType::Ext2Inode), {big, big + 128},
              {{"4 entries", {Le16(0x2A, 4)}, {}},
               {"5 entries", {Le16(0x2A, 5)}, {"Entries:  5[[ <-- Should be 4 or less.\\n]]"}}});
  ExpectRules(MakeRequest(DumpType::Ext3Journal), Sample("ext3", "journal"),
              {{"magic", {U8(3, 0x99)}, {"Magic: 0xC03B3999[[ <-- Should be 0xC03B3998.\\n]]"}}});

  // Odd values over a sample or over zeros, each listing kept whole.
  std::vector<Patch> inode = {Le16(0x00, 0xCFFF), Le32(0x10, 0xF0000000), Le32(0x1C, 5), Le32(0x20, 0x801C0001),
                              Le16(0x28, 0xF30A), Le16(0x2A, 0xFFFF), Le16(0x2C, 4), Le32(0x30, 0x12345678),
                              Le16(0x74, 1)};
  for (int n = 0; n < 4; ++n)
    inode.insert(inode.end(), {Le32(0x34 + 12 * n, 8 * n), Le16(0x38 + 12 * n, 8), Le16(0x3A + 12 * n, n),
                               Le32(0x3C + 12 * n, 0x1234 + n)});
  // A fast link that fills its 60 bytes, then an extent node with a bad magic.
  inode.insert(inode.end(), {Le16(0x80, 0xA1FF), Le32(0x84, 60), Text(0xA8, std::string(60, 'x')), Text(0xE4, "AAAA"),
                             Le16(0x100, 0x41ED), Le32(0x120, 0x00080000), Le16(0x128, 0x0AF3), Le16(0x12A, 1)});
  const auto zeros = [](size_t size, const std::vector<Patch>& patches) {
    return Patched(std::vector<uint8_t>(size), patches);
  };
  const std::tuple<const char*, DumpType, int, uint32_t, std::vector<uint8_t>> cases[] = {
      // Revision 2 is judged and decoded like revision 0: the raw listing starts at 0x54, shown under its file
      // offset (the superblock's usual place, 0x400).
      {"super-revision-2", DumpType::Ext2Super, 1, 0x400,
       zeros(0x400, {{0x400, Patched(Sample("ext2", "super"), {Le32(0x4C, 2)})}})},
      // Sizes whose shift passes 31 bits, no blocks per group, an unknown state and error behaviour, times past
      // 2038, every feature name, an unnamed feature bit, and names that fill their fields.
      {"super-odd", DumpType::Ext2Super, 1, 0,
       Patched(Sample("ext2", "super"),
               {Le32(0x18, 0xFFFFFFFF), Le32(0x1C, 0x80000000), Le32(0x20, 0), Le32(0x2C, 0xFFFFFFFF),
                Le16(0x3A, 7), Le16(0x3C, 9), Le32(0x44, 180 * 86400 + 3661), Le32(0x5C, 0xFF), Le32(0x60, 0x3FF), Le32(0x64, 0x7F),
                Text(0x78, std::string(16, 'v') + std::string(64, 'm'))})},
      // Every byte of the journal, hash and 64-bit fields (0xD0..0x1FF) distinct and non-zero, so a field read at
      // another offset or width shows.
      {"super-ext4-pattern", DumpType::Ext2Super, 1, 0, [] {
         std::vector<uint8_t> super = Sample("ext4", "super");
         for (size_t i = 0xD0; i < 0x200; ++i) super[i] = static_cast<uint8_t>(0x80 | (i * 7));
         return super;
       }()},
      // Flags and high halves.
      {"group-odd", DumpType::Ext4Group, 1, 0,
       zeros(64, {Le32(0x00, 0x80000000), Le16(0x0C, 0xFFFF), Le16(0x12, 7), Le32(0x14, 0x11111111),
                  Le32(0x18, 0x22222222), Le32(0x20, 1), Le16(0x2C, 1), Le32(0x34, 0x33333333),
                  Le32(0x38, 0x44444444), Le32(0x3C, 0xDEADBEEF)})},
      {"inodes-odd", DumpType::Ext2Inode, 3, 0, zeros(384, inode)},
      {"inode-long", DumpType::Ext2InodeLong, 2, 0, zeros(256, {})},
      // A zero byte in a name adds nothing and does not end it, the longest name is read whole, and a zero record
      // length ends the walk.
      {"dir-odd", DumpType::Ext2Dir, 5, 0,
       zeros(1024, {Le32(0, 7), Le16(4, 12), U8(6, 3), U8(7, 9), Text(8, std::string("a\0b", 3)), Le32(12, 0x80000001),
                    Le16(16, 264), U8(18, 255), U8(19, 7), Text(20, std::string(255, 'n')), Le32(276, 5), U8(282, 1),
                    U8(283, 8)})},
      // Entry 0 (rec_len 16) claims a 20-byte name: the bytes after its 8-byte name are entry 1 and must not show
      // as part of the name. Entry 2's rec_len of 4 is too short for any name.
      {"dir-name-past-record", DumpType::Ext2Dir, 3, 0,
       zeros(64, {Le32(0, 11), Le16(4, 16), U8(6, 20), U8(7, 1), Text(8, "ABCDEFGH"), Le32(16, 12), Le16(20, 20),
                  U8(22, 5), U8(23, 2), Text(24, "inner"), Le32(36, 13), Le16(40, 4), U8(42, 3), U8(43, 1),
                  Text(44, "xyz")})},
      // Numbers are big-endian: an unknown block type, a negative length, every feature name and unknown bits.
      {"journal-odd", DumpType::Ext3Journal, 1, 0,
       Patched(Sample("ext3", "journal"), {{0x04, {0, 0, 0, 9}}, {0x10, {0x80, 0, 0, 0}}, {0x24, {0, 0, 0, 3}},
                                           {0x28, {0, 0, 0, 0x7F}}, {0x2C, {0, 0, 0, 1}}})}};
  for (const auto& [golden, type, count, start, bytes] : cases)
    ExpectReport(Dump(type, bytes, count, start), std::string("ext2/") + golden);
}

}  // namespace
}  // namespace trovik::test
