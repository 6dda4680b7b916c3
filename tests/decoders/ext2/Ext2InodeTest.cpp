#include <gtest/gtest.h>

#include <regex>

#include "Ext2TestSupport.h"

namespace trovik::test {
namespace {

DumpResult DumpInode(const std::vector<uint8_t>& bytes, uint32_t start = 0, int count = 1) {
  return RunExt2(DumpExt2Inode, DumpType::Ext2Inode, bytes, start, count);
}

// debugfs's stat of one sample path.
std::string StatOf(const std::string& fs, const std::string& path) {
  const std::string all = SampleText(fs + "-stat.txt");
  const size_t from = all.find("== " + path + "\n");
  const size_t to = all.find("\n== ", from + 1);
  return all.substr(from, to == std::string::npos ? std::string::npos : to - from);
}

std::string StatValue(const std::string& stat, const std::string& pattern) {
  std::smatch m;
  return std::regex_search(stat, m, std::regex(pattern)) ? m[1].str() : "";
}

// The decoded 128 bytes of a sample inode, found through the layout notes.
std::string DecodedInode(const std::string& fs, const std::string& path) {
  const std::string layout = fs + "-layout.txt";
  const long size = ReferenceNumber(layout, "inode size");
  const long number = ReferenceNumber(layout, "inode " + path);
  return DumpInode(ReadTestFile("ext2/" + fs + "-inodes.bin"), static_cast<uint32_t>((number - 1) * size)).text;
}

std::vector<uint8_t> Inode(uint16_t mode, uint32_t size, uint32_t flags = 0) {
  std::vector<uint8_t> in(128);
  PutLe16(&in[0x00], mode);
  PutLe32(&in[0x04], size);
  PutLe32(&in[0x20], flags);
  return in;
}

TEST(Ext2Inode, Ext2SampleFileWithIndirectBlock) {
  EXPECT_EQ(DecodedInode("ext2", "/big.txt"),
            "EXT2 Inode (0x00000580) (assuming 128 byte inode size)\n"
            "                  Mode: 0x81A4  <reg file>    user access: <read><write>  group access: <read>"
            "  other access: <read>\n"
            "                   uid: 0000\n"
            "                  Size: 58500 in bytes\n"
            "         Last Accessed: 0x5F5E1064  (Sunday  13 September 2020   12:28:20)\n"
            "               Created: 0x5F5E10C8  (Sunday  13 September 2020   12:30:00)\n"
            "              Modified: 0x5F5E1000  (Sunday  13 September 2020   12:26:40)\n"
            "               Deleted: 0x00000000  (not deleted)\n"
            "                   gid: 0000\n"
            "           links count: 1\n"
            "      512 byte sectors: 118\n"
            "                 flags: 0x00000000 \n"
            "        OS Dependant 1: 0x00000000\n"
            "                 block: 162, 163, 164, 165, 166, 167, 168, 169, 170, 171, 172, 173\n"
            "        Indirect Block: 174\n"
            " Double Indirect Block: 0\n"
            " Triple Indirect Block: 0\n"
            "            generation: 0x00000000\n"
            "              file ac1: 0\n"
            "               dir ac1: 0\n"
            "                 faddr: 0x00000000\n"
            "             blocks hi: 0x0000\n"
            "           file acl hi: 0x0000\n"
            "                uid hi: 0x0000\n"
            "                gid hi: 0x0000\n"
            "             reserved2: 0x0000\n"
            "\n");
  const std::string stat = StatOf("ext2", "/big.txt");
  EXPECT_NE(stat.find("(0-11):162-173, (IND):174, (12-57):175-220"), std::string::npos);
}

// Every sample inode against debugfs: size, links, sector count, first
// block or extent, and the link text of a fast symbolic link.
TEST(Ext2Inode, SamplesAgreeWithDebugfs) {
  for (const std::string fs : {"ext2", "ext3", "ext4"}) {
    for (const std::string path : {"/hello.txt", "/big.txt", "/sub", "/short-link", "/long-link"}) {
      SCOPED_TRACE(fs + path);
      const std::string stat = StatOf(fs, path);
      const std::string t = DecodedInode(fs, path);
      EXPECT_EQ(ReportLine(t, "Size"), "                  Size: " + StatValue(stat, "Size: (\\d+)") + " in bytes");
      EXPECT_EQ(ReportLine(t, "links count"), "           links count: " + StatValue(stat, "Links: (\\d+)"));
      const std::string sectors = StatValue(stat, "Blockcount: (\\d+)");
      EXPECT_TRUE(ReportLine(t, "512 byte sectors") == "      512 byte sectors: " + sectors ||
                  ReportLine(t, "blocks") == "                blocks: " + sectors + "  (" + sectors + ")");
      const std::string fast = StatValue(stat, "Fast link dest: \"([^\"]*)\"");
      if (!fast.empty()) {
        EXPECT_EQ(ReportLine(t, "Symbolic Link"), "         Symbolic Link: " + fast);
        continue;
      }
      const std::string first = StatValue(stat, "\\(0(?:-\\d+)?\\):(\\d+)");
      if (stat.find("EXTENTS:") != std::string::npos)
        EXPECT_EQ(ReportLine(t, "Physical Block"), "          Physical Block:  " + first);
      else
        EXPECT_TRUE(ReportLine(t, "block").find(": " + std::string(path == "/long-link" ? "Symbolic Link Pointer-> " : "") +
                                                first + ", ") != std::string::npos);
    }
  }
}

TEST(Ext2Inode, SymbolicLinks) {
  std::vector<uint8_t> in = Inode(0xA1FF, 20);
  const std::string target = "abcdefghijklmnopqrst";
  std::copy(target.begin(), target.end(), in.begin() + 0x28);
  std::string t = DumpInode(in).text;
  EXPECT_NE(t.find("         Symbolic Link: abcdefghijklmnopqrst\n"), std::string::npos);
  EXPECT_EQ(t.find("block:"), std::string::npos);
  // A 60-byte target fills the area without a NUL and stops at its end.
  std::fill(in.begin() + 0x28, in.begin() + 0x64, 'x');
  PutLe32(&in[0x04], 60);
  EXPECT_NE(DumpInode(in).text.find("Symbolic Link: " + std::string(60, 'x') + "\n"), std::string::npos);
  PutLe32(&in[0x04], 100);
  t = DumpInode(in).text;
  EXPECT_NE(t.find("                 block: Symbolic Link Pointer-> 2021161080, "), std::string::npos);
}

std::vector<uint8_t> ExtentInode(uint16_t magic, uint16_t entries) {
  std::vector<uint8_t> in = Inode(0x81A4, 4096, 0x00080000);
  PutLe16(&in[0x28], magic);
  PutLe16(&in[0x2A], entries);
  PutLe16(&in[0x2C], 4);
  for (int n = 0; n < 4; ++n) {
    uint8_t* e = &in[0x34 + 12 * n];
    PutLe32(e, static_cast<uint32_t>(n * 8));
    PutLe16(e + 4, 8);
    PutLe16(e + 6, n == 0 ? 0 : 1);
    PutLe32(e + 8, 0x1234 + static_cast<uint32_t>(n));
  }
  return in;
}

// Entries of the in-inode node; a bad magic skips them; more entries than
// the node holds lists the four that fit, flagged, and reads nothing past.
TEST(Ext2Inode, ExtentNodeEntries) {
  std::string t = DumpInode(ExtentInode(0xF30A, 1)).text;
  EXPECT_NE(t.find(" 00)       Logical Block:  0\n                  Length:  8\n          Physical Block:  4660\n"
                   "       Remaining Bytes: 08 00 00 00 08 00 01 00 35 12 00 00"),
            std::string::npos);
  EXPECT_EQ(ReportLine(t, "Remaining Bytes").size(), std::string("       Remaining Bytes:").size() + 36 * 3);
  // The high half of the physical block counts.
  t = DumpInode(ExtentInode(0xF30A, 4)).text;
  EXPECT_NE(t.find(" 03)       Logical Block:  24\n                  Length:  8\n          Physical Block:  4294971959\n"
                   "       Remaining Bytes:\n"),
            std::string::npos);
  std::string m = DumpInode(ExtentInode(0x0AF3, 1)).marked;
  EXPECT_NE(m.find("                 Magic:  0AF3[[ <-- Should be F30A.\n]]               Entries:  1\n"),
            std::string::npos);
  EXPECT_NE(m.find("            Generation:  0x00000000\n       Skipping entries.\n            generation:"),
            std::string::npos);
  m = DumpInode(ExtentInode(0xF30A, 0xFFFF)).marked;
  EXPECT_NE(m.find("               Entries:  65535[[ <-- Should be 4 or less.\n]]"), std::string::npos);
  EXPECT_NE(m.find(" 03)       Logical Block:  24\n"), std::string::npos);
  EXPECT_EQ(m.find(" 04)"), std::string::npos);
}

TEST(Ext2Inode, TimesFlagsAndHugeBlockCount) {
  std::vector<uint8_t> in = Inode(0x81A4, 0, 0x80040001 | 0x00100000);
  PutLe32(&in[0x10], 0xF0000000);
  PutLe32(&in[0x1C], 5);
  PutLe16(&in[0x74], 1);
  const std::string t = DumpInode(in).text;
  EXPECT_NE(t.find("              Modified: 0xF0000000  (Monday  5 August 2097   9:04:00)\n"), std::string::npos);
  EXPECT_NE(t.find("                blocks: 5  (4294967301)\n"), std::string::npos);
  // Unnamed bits are left out.
  EXPECT_NE(t.find("                 flags: 0x80140001  <Secure Deletion> <Huge File> <Reserved flag>\n"),
            std::string::npos);
}

TEST(Ext2Inode, LongInodeIsAPlaceholder) {
  const std::vector<uint8_t> bytes(256);
  EXPECT_EQ(RunExt2(DumpExt2InodeLong, DumpType::Ext2InodeLong, bytes, 0, 2).text,
            "000) EXT4 Inode (0x00000000) (Long Inode)\n\nNot yet implemented.\n\n\n"
            "001) EXT4 Inode (0x00000080) (Long Inode)\n\nNot yet implemented.\n\n\n");
}

}  // namespace
}  // namespace trovik::test
