#include <gtest/gtest.h>

#include "Ext2TestSupport.h"

namespace trovik::test {
namespace {

TEST(Ext2Group, Ext4SampleDescriptor) {
  const DumpResult r = RunExt2(DumpExt4Group, DumpType::Ext4Group, ReadTestFile("ext2/ext4-gdt.bin"));
  EXPECT_EQ(r.marked,
            "EXT4 Group Descriptor (0x00000000)\n"
            "          Block Bitmap: 34\n"
            "          Inode Bitmap: 50\n"
            "           Inode Table: 66\n"
            "      Free Block Count: 2704\n"
            "      Free Inode Count: 1007\n"
            "        Used Dir Count: 3\n"
            "                 Flags: 0x0000 \n"
            "              reserved: 00000000 1B689E65\n"
            "    Unused Inode Count: 1007\n"
            "                   CRC: 0x167C\n"
            "     Block Bitmap (hi): 0x00000000 34\n"
            "     Inode Bitmap (hi): 0x00000000 50\n"
            "      Inode Table (hi): 0x00000000 66\n"
            " Free Block Count (hi): 0x00000000 2704\n"
            " Free Inode Count (hi): 0x00000000 1007\n"
            "   Used Dir Count (hi): 0x00000000 3\n"
            "                   Pad: 0x0000\n"
            "              reserved: 00000000 7B240882\n"
            "\n");
  // The one group holds all free blocks and inodes of the file system.
  EXPECT_EQ(2704, ReferenceNumber("ext4-dumpe2fs.txt", "Free blocks"));
  EXPECT_EQ(1007, ReferenceNumber("ext4-dumpe2fs.txt", "Free inodes"));
}

TEST(Ext2Group, Ext3SampleDescriptor) {
  const std::string t = RunExt2(DumpExt2Group, DumpType::Ext2Group, ReadTestFile("ext2/ext3-gdt.bin")).text;
  EXPECT_TRUE(t.starts_with("EXT2 Group Descriptor (0x00000000)\n"));
  EXPECT_EQ(ReportLine(t, "Inode Table"),
            "           Inode Table: " + std::to_string(ReferenceNumber("ext3-layout.txt", "inode table")));
  EXPECT_EQ(ReportLine(t, "Free Inode Count"),
            "      Free Inode Count: " + std::to_string(ReferenceNumber("ext3-dumpe2fs.txt", "Free inodes")));
  EXPECT_EQ(ReportLine(t, "Free Block Count"),
            "      Free Block Count: " + std::to_string(ReferenceNumber("ext3-dumpe2fs.txt", "Free blocks")));
}

TEST(Ext2Group, CountAdvancesByItemSizeAndAbortStopsAfterTheItem) {
  const std::vector<uint8_t> bytes(0x800 + 3 * 64);
  const std::string narrow = RunExt2(DumpExt2Group, DumpType::Ext2Group, bytes, 0x800, 3).text;
  EXPECT_NE(narrow.find("002) EXT2 Group Descriptor (0x00000840)\n"), std::string::npos);
  EXPECT_EQ(narrow.find("(hi)"), std::string::npos);
  const std::string wide = RunExt2(DumpExt4Group, DumpType::Ext4Group, bytes, 0x800, 3).text;
  EXPECT_NE(wide.find("002) EXT4 Group Descriptor (0x00000880)\n"), std::string::npos);
  ScriptedHost host;
  host.abortAfterPolls = 1;
  const DumpResult r = RunExt2(DumpExt2Group, DumpType::Ext2Group, bytes, 0, 10, &host);
  EXPECT_NE(r.text.find("001) EXT2 Group Descriptor"), std::string::npos);
  EXPECT_EQ(r.text.find("002) EXT2 Group Descriptor"), std::string::npos);
  EXPECT_TRUE(r.text.ends_with("\n\nUser Abort..."));
}

TEST(Ext2Group, FlagsAndHighHalves) {
  std::vector<uint8_t> gd(64);
  PutLe16(&gd[0x12], 0x0005);
  PutLe32(&gd[0x20], 1);       // block bitmap hi, low word 0
  PutLe16(&gd[0x2C], 1);       // free blocks hi, low half 0
  PutLe32(&gd[0x08], 0xFFFFFFFF);
  PutLe32(&gd[0x28], 0xFFFFFFFF);
  const std::string t = RunExt2(DumpExt4Group, DumpType::Ext4Group, gd).text;
  EXPECT_NE(t.find("                 Flags: 0x0005  <EXT2_BG_INODE_UNINIT> <EXT2_BG_INODE_ZEROED>\n"),
            std::string::npos);
  EXPECT_NE(t.find("     Block Bitmap (hi): 0x00000001 4294967296\n"), std::string::npos);
  EXPECT_NE(t.find(" Free Block Count (hi): 0x00000001 65536\n"), std::string::npos);
  EXPECT_NE(t.find("           Inode Table: -1\n"), std::string::npos);
  EXPECT_NE(t.find("      Inode Table (hi): 0xFFFFFFFF -1\n"), std::string::npos);
}

}  // namespace
}  // namespace trovik::test
