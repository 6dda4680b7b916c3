#include <gtest/gtest.h>

#include <map>

#include "Ext2TestSupport.h"

namespace trovik::test {
namespace {

DumpResult DumpSuper(const std::vector<uint8_t>& bytes, uint32_t start = 0) {
  return RunExt2(DumpExt2Super, DumpType::Ext2Super, bytes, start);
}

// A clean revision-1 superblock without a journal: nothing is flagged and
// the listing from 0xD0 is all zeros.
std::vector<uint8_t> CleanSuper() {
  std::vector<uint8_t> sb(1024);
  PutLe32(&sb[0x04], 8192);
  PutLe32(&sb[0x20], 8192);
  PutLe16(&sb[0x38], 0xEF53);
  PutLe16(&sb[0x3A], 1);
  PutLe16(&sb[0x3C], 1);
  PutLe32(&sb[0x4C], 1);
  return sb;
}

TEST(Ext2Super, Ext4SampleDecodesEveryGroup) {
  const DumpResult r = DumpSuper(ReadTestFile("ext2/ext4-super.bin"));
  const std::string head = r.text.substr(0, r.text.find("              reserved:"));
  EXPECT_EQ(head,
            "EXT2 Super Block (0x00000000)\n"
            "           Inode Count: 1024\n"
            "           Block Count: 4096\n"
            "     Resv. Block Count: 204\n"
            "      Free Block Count: 2704\n"
            "      Free Inode Count: 1007\n"
            "      First Data Block: 1\n"
            "            Block Size: 0  (1024)\n"
            "         Fragment Size: 0  (1024)\n"
            "      Blocks per Group: 8192   (groups: 0)\n"
            "   Fragments per Group: 8192\n"
            "      Inodes per Group: 1024\n"
            "            Mount Time: 0x00000000\n"
            "            Write Time: 0x6553F100  (Tuesday  14 November 2023   22:13:20)\n"
            "           Mount Count: 0\n"
            "       Max Mount Count: -1\n"
            "             Magic Sig: 0xEF53\n"
            "                 State: 0x0001 (EXT2_VALID_FS)\n"
            "                Errors: 1  (EXT2_ERRORS_CONTINUE)\n"
            "      Minor Rev. Level: 0\n"
            "            Last Check: 0x6553F100  (Tuesday  14 November 2023   22:13:20)\n"
            "        Check Interval: 0x00000000 (0 days  0 hours  0 minutes  0 seconds)\n"
            "            OS Creator: 0x00000000  (Linux)\n"
            "            Rev. Level: 1 (V2 format with dynamic inode sizes)\n"
            "           Default UID: 0x0000\n"
            "           Default GID: 0x0000\n"
            "           First Inode: 11\n"
            "            Inode Size: 256\n"
            "     Super Block Grp #: 0\n"
            "    Compatible Ftr Set: 0x0000003C   <HAS_JOURNAL> <EXT_ATTR> <RESIZE_INO> <DIR_INDEX>\n"
            "  Incompatible Ftr Set: 0x000002C2   <FILETYPE> <EXTENTS> <64BIT> <FLEX_BG>\n"
            " RO Compatible Ftr Set: 0x0000046B   <SPARSE_SUPER> <LARGE_FILE> <HUGE_FILE> <DIR_NLINK> <EXTRA_ISIZE>"
            " <Unknown flag set>\n"
            "                  uuid: 3D2C1B0A-5F4E-7160-9382-A4B5C6D7E8F9\n"
            "           Volume Name: ext4-vol\n"
            "      Last Mounted Dir: \n"
            " Algorith Usage Bitmap: 0x00000000\n"
            " Blocks to Preallocate: 0\n"
            "   Dirs to Preallocate: 0\n"
            "   Reserved gdt blocks: 31\n"
            "          Journal uuid: 00000000-0000-0000-0000-000000000000\n"
            "  Journal inode number: 8\n"
            " Dev # of journal file: 0\n"
            "           Last orphan: 0\n"
            "             Hash seed: 0x22221111  0x44443333  0x66665555  0x88887777\n"
            "  Default Hash version: 1\n"
            "   Journal backup type: 01\n"
            "       Group Desc Size: 64\n"
            "    Default Mount opts: 0000000C\n"
            "    First meta blk grp: 0\n"
            "            Write Time: 0x6553F100  (Tuesday  14 November 2023   22:13:20)\n"
            "       Backup of jrnl inode blocks: 258826, 4, 0, 0, 2, 48, 2, 15, 51, 17, 1007, 323, \n"
            "     Backup of jrnl inode indirect: 0\n"
            " Backup of jrnl inode dbl indirect: 0\n"
            "Backup of jrnl inode trpl indirect: 0\n"
            "          Backup of jrnl inode[15]: 0x00000000  (not used ?)\n"
            "     Backup of jrnl inode (i_size): 1048576\n"
            "    Hi 32 blocks count: 0x00000000  (4096)\n"
            "   Hi 32 rblocks count: 0x00000000  (204)\n"
            " Hi 32 free blks count: 0x00000000  (2704)\n"
            "    Min size of inodes: 32\n"
            "   New inode resv size: 32\n"
            "            Misc flags: 0x00000001\n"
            "           RAID stride: 0x0000\n"
            "     MMP checking wait: 0 (in seconds)\n"
            "             MMP block: 0\n"
            "     RAID stride width: 0\n"
            "    FLEX_BG group size: 4\n"
            "     Reserved char pad: 01\n"
            "          Reserved pad: 0000\n");
  // The tail from 0x178 holds the checksum, so the listing ends with the
  // red sentence on a line of its own; its last line has 8 bytes.
  EXPECT_TRUE(r.marked.ends_with("\n000003F8  00 00 00 00 B1 9E B0 32                             .......2"
                                 "[[\nOne or more of the values above was not zero.\n]]"));
}

// Dumpe2fs's reading of the same superblocks, field by field.
TEST(Ext2Super, SamplesAgreeWithDumpe2fs) {
  const std::map<std::string, std::string> featureNames = {
      {"has_journal", "<HAS_JOURNAL>"}, {"ext_attr", "<EXT_ATTR>"},       {"resize_inode", "<RESIZE_INO>"},
      {"dir_index", "<DIR_INDEX>"},     {"filetype", "<FILETYPE>"},       {"extent", "<EXTENTS>"},
      {"64bit", "<64BIT>"},             {"flex_bg", "<FLEX_BG>"},         {"sparse_super", "<SPARSE_SUPER>"},
      {"large_file", "<LARGE_FILE>"},   {"huge_file", "<HUGE_FILE>"},     {"dir_nlink", "<DIR_NLINK>"},
      {"extra_isize", "<EXTRA_ISIZE>"}, {"metadata_csum", "<Unknown flag set>"}};
  for (const std::string fs : {"ext2", "ext3", "ext4"}) {
    SCOPED_TRACE(fs);
    const std::string ref = fs + "-dumpe2fs.txt";
    const std::string text = DumpSuper(ReadTestFile("ext2/" + fs + "-super.bin")).text;
    auto field = [&](const char* label) { return ReportLine(text, label); };
    auto number = [&](const char* key) { return std::to_string(ReferenceNumber(ref, key)); };
    EXPECT_EQ(field("Inode Count"), "           Inode Count: " + number("Inode count"));
    EXPECT_EQ(field("Block Count"), "           Block Count: " + number("Block count"));
    EXPECT_EQ(field("Free Block Count"), "      Free Block Count: " + number("Free blocks"));
    EXPECT_EQ(field("Free Inode Count"), "      Free Inode Count: " + number("Free inodes"));
    EXPECT_TRUE(field("Block Size").ends_with("(" + number("Block size") + ")"));
    EXPECT_TRUE(field("Blocks per Group").starts_with("      Blocks per Group: " + number("Blocks per group") + " "));
    EXPECT_EQ(field("Inode Size"), "            Inode Size: " + number("Inode size"));
    EXPECT_EQ(field("Volume Name"), "           Volume Name: " + ReferenceField(ref, "Filesystem volume name"));
    EXPECT_EQ(field("uuid"), "                  uuid: 3D2C1B0A-5F4E-7160-9382-A4B5C6D7E8F9");

    // Every feature dumpe2fs names is named on one of the three lines.
    const std::string features = field("Compatible Ftr Set") + field("Incompatible Ftr Set") +
                                 field("RO Compatible Ftr Set");
    std::istringstream names(ReferenceField(ref, "Filesystem features"));
    for (std::string name; names >> name;) {
      ASSERT_TRUE(featureNames.count(name)) << name;
      EXPECT_NE(features.find(featureNames.at(name)), std::string::npos) << name;
    }
    const bool journal = ReferenceField(ref, "Journal inode") != "";
    EXPECT_EQ(field("Journal inode number") != "", journal);
    if (journal) {
      EXPECT_EQ(field("Journal inode number"), "  Journal inode number: " + number("Journal inode"));
    }
  }
  const std::string ext4 = DumpSuper(ReadTestFile("ext2/ext4-super.bin")).text;
  EXPECT_EQ(ReportLine(ext4, "Group Desc Size"),
            "       Group Desc Size: " + std::to_string(ReferenceNumber("ext4-dumpe2fs.txt", "Group descriptor size")));
  // Without a journal the ext3 lines do not appear and the listing starts at 0xD0.
  const std::string ext2 = DumpSuper(ReadTestFile("ext2/ext2-super.bin")).text;
  EXPECT_NE(ext2.find("   Reserved gdt blocks: 15\n              reserved:\n000000D0 "), std::string::npos);
  // With a journal but none of the 64-bit features it starts at 0x150.
  const std::string ext3 = DumpSuper(ReadTestFile("ext2/ext3-super.bin")).text;
  EXPECT_NE(ext3.find("\n              Padding1: 0000\n"), std::string::npos);
  EXPECT_NE(ext3.find("(i_size): 1048576\n              reserved:\n00000150 "), std::string::npos);
}

// Rule violations, and values past the name tables or shift widths, which
// stay defined: past the table is "Unknown", shift counts wrap at 32.
TEST(Ext2Super, RuleViolationsAndOutOfRangeValues) {
  std::vector<uint8_t> sb = CleanSuper();
  EXPECT_EQ(DumpSuper(sb).marked.find("[["), std::string::npos);
  PutLe32(&sb[0x18], 3);
  PutLe32(&sb[0x1C], 0xFFFFFFFF);  // -1
  PutLe16(&sb[0x38], 0x53EF);
  PutLe16(&sb[0x3A], 0);
  PutLe16(&sb[0x3C], 2);
  PutLe32(&sb[0x48], 7);
  std::string m = DumpSuper(sb).marked;
  EXPECT_NE(m.find("            Block Size: 3  (8192)[[ <-- Should be 0, 1, or 2.\n]]"), std::string::npos);
  EXPECT_NE(m.find("         Fragment Size: -1  (512)\n"), std::string::npos);
  EXPECT_NE(m.find("             Magic Sig: 0x53EF[[ <-- Should be 0xEF53.\n]]"), std::string::npos);
  EXPECT_NE(m.find("                 State: 0x0000 (Unknown)[[ <-- Should be 1 (EXT2_VALID_FS).\n]]"),
            std::string::npos);
  EXPECT_NE(m.find("                Errors: 2  (EXT2_ERRORS_RO)[[ <-- Should be 1 (EXT2_ERRORS_CONTINUE).\n]]"),
            std::string::npos);
  EXPECT_NE(m.find("            OS Creator: 0x00000007  (Unknown)[[ <-- Should be 1 -> 6.\n]]"), std::string::npos);

  sb = CleanSuper();
  PutLe32(&sb[0x18], 0xFFFFFFFF);
  PutLe32(&sb[0x1C], 0x80000000);
  PutLe32(&sb[0x48], 0x80000000);
  PutLe32(&sb[0x4C], 0xFFFFFFFF);
  PutLe32(&sb[0x20], 0);
  const DumpResult r = DumpSuper(sb);
  EXPECT_NE(r.marked.find("            Block Size: -1  (0)[[ <-- Should be 0, 1, or 2.\n]]"), std::string::npos);
  EXPECT_NE(r.marked.find("         Fragment Size: -2147483648  (1024)\n"), std::string::npos);
  EXPECT_NE(r.marked.find("      Blocks per Group: 0   (groups: 0)\n"), std::string::npos);
  EXPECT_NE(r.marked.find("            OS Creator: 0x80000000  (Unknown)[[ <-- Should be 1 -> 6.\n]]"),
            std::string::npos);
  // A revision past 1 is decoded like revision 0: base group, listing from 0x54.
  EXPECT_NE(r.marked.find("            Rev. Level: -1 (Unknown)[[ <-- Should be 0 or 1.\n]]"), std::string::npos);
  EXPECT_NE(r.text.find("           Default GID: 0x0000\n              reserved:\n00000054 "), std::string::npos);
  EXPECT_EQ(r.text.find("First Inode"), std::string::npos);
}

// Times past 2038 are shown as stored; unknown feature bits are named as
// such; text fields stop at their width.
TEST(Ext2Super, TimesFeaturesAndBoundedTexts) {
  std::vector<uint8_t> sb = CleanSuper();
  PutLe32(&sb[0x2C], 0xFFFFFFFF);
  PutLe32(&sb[0x44], 180 * 86400);
  PutLe32(&sb[0x5C], 0x80);
  PutLe32(&sb[0x60], 0x20);
  for (int i = 0; i < 16 + 64; ++i) sb[0x78 + i] = static_cast<uint8_t>('A' + i % 26);
  const std::string t = DumpSuper(sb).text;
  EXPECT_NE(t.find("            Mount Time: 0xFFFFFFFF  (Sunday  7 February 2106   6:28:15)\n"), std::string::npos);
  EXPECT_NE(t.find("        Check Interval: 0x00ED4E00 (180 days  0 hours  0 minutes  0 seconds)\n"),
            std::string::npos);
  EXPECT_NE(t.find("    Compatible Ftr Set: 0x00000080   <Unknown flag set>\n"), std::string::npos);
  // Bit 0x20 has no name and is not unknown.
  EXPECT_NE(t.find("  Incompatible Ftr Set: 0x00000020  \n"), std::string::npos);
  EXPECT_NE(t.find("           Volume Name: ABCDEFGHIJKLMNOP\n"), std::string::npos);
  EXPECT_NE(t.find("      Last Mounted Dir: QRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZAB\n"),
            std::string::npos);
}

TEST(Ext2Super, ListingCarriesFileOffsetsAndFlagsNonZeroBytes) {
  std::vector<uint8_t> image(0x400);
  std::vector<uint8_t> sb = CleanSuper();
  sb[0x3FF] = ' ';
  sb[0x3F8] = 0x7F;
  image.insert(image.end(), sb.begin(), sb.end());
  const DumpResult r = DumpSuper(image, 0x400);
  EXPECT_TRUE(r.text.starts_with("EXT2 Super Block (0x00000400)\n"));
  EXPECT_NE(r.text.find("   Reserved gdt blocks: 0\n              reserved:\n000004D0  00 00"), std::string::npos);
  // The ninth byte takes the dash; the blank is shown as a dot like any byte
  // below 0x21.
  EXPECT_TRUE(r.marked.ends_with("\n000007F0  00 00 00 00 00 00 00 00-7F 00 00 00 00 00 00 20     ........\x7F......."
                                 "[[\nOne or more of the values above was not zero.\n]]"));
}

}  // namespace
}  // namespace trovik::test
