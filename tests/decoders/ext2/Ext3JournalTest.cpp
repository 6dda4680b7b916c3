#include <gtest/gtest.h>

#include "Ext2TestSupport.h"

namespace trovik::test {
namespace {

DumpResult DumpJournal(const std::vector<uint8_t>& bytes) {
  return RunExt2(DumpExt3Journal, DumpType::Ext3Journal, bytes);
}

void PutBe32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

std::string ZeroUserLines(int lines) {
  std::string out;
  for (int i = 0; i < lines; ++i) {
    for (int k = 0; k < 16; ++k) out += k < 15 ? "0x00, " : "0x00\n";
  }
  return out;
}

TEST(Ext3Journal, Ext3SampleSuperblock) {
  const DumpResult r = DumpJournal(ReadTestFile("ext2/ext3-journal.bin"));
  std::string padding;
  for (int i = 0; i < 44; ++i) padding += (i + 1) % 8 == 0 ? "0x00000000\n" : "0x00000000, ";
  EXPECT_EQ(r.marked,
            "Ext3 Journal Super Block (0x00000000)\n"
            "                 Magic: 0xC03B3998\n"
            "            Block Type: 4  <JFS_SUPERBLOCK_V2>\n"
            "              Sequence: 0x00000000\n"
            "            Block size: 1024\n"
            "          Total Blocks: 1024\n"
            "           First Block: 1\n"
            "              Sequence: 0x00000001\n"
            "                 Start: 0\n"
            "          Error Number: 0x00000000\n"
            "    Compatible Ftr Set: 0x00000000  \n"
            "  Incompatible Ftr Set: 0x00000000  \n"
            " RO Compatible Ftr Set: 0x00000000  \n"
            "          Journal uuid: 3D2C1B0A-5F4E-7160-9382-A4B5C6D7E8F9\n"
            "                 Users: 1\n"
            "    Dynamic Super Copy: 0\n"
            " Jrnl Blocks per Trans: 0\n"
            " Data Blocks per Trans: 0\n"
            "               Padding:\n" +
                padding +
                "\n                 Users:\n" + ZeroUserLines(48) + "\n");
}

TEST(Ext3Journal, SamplesAgreeWithDumpe2fs) {
  for (const std::string fs : {"ext3", "ext4"}) {
    SCOPED_TRACE(fs);
    const std::string ref = fs + "-dumpe2fs.txt";
    const std::string t = DumpJournal(ReadTestFile("ext2/" + fs + "-journal.bin")).text;
    EXPECT_EQ(ReportLine(t, "Total Blocks"),
              "          Total Blocks: " + std::to_string(ReferenceNumber(ref, "Total journal blocks")));
    EXPECT_EQ(ReportLine(t, "Block size"), "            Block size: " + std::to_string(ReferenceNumber(ref, "Block size")));
    EXPECT_EQ(ReportLine(t, "Start"), "                 Start: " + std::to_string(ReferenceNumber(ref, "Journal start")));
    // The second "Sequence" line is the log's first expected commit.
    EXPECT_NE(t.find("              Sequence: " + ReferenceField(ref, "Journal sequence") + "\n                 Start:"),
              std::string::npos);
  }
}

TEST(Ext3Journal, MagicAndBlockType) {
  std::vector<uint8_t> js(1024);
  const uint8_t reversed[] = {0x98, 0x39, 0x3B, 0xC0};
  std::copy(std::begin(reversed), std::end(reversed), js.begin());
  PutBe32(js, 0x04, 9);
  PutBe32(js, 0x0C, 4096);
  PutBe32(js, 0x10, 0x80000000);
  DumpResult r = DumpJournal(js);
  EXPECT_TRUE(r.marked.starts_with("Ext3 Journal Super Block (0x00000000)\n"
                                   "                 Magic: 0x98393BC0[[ <-- Should be 0xC03B3998.\n]]"
                                   "            Block Type: 9  <Unknown>\n"));
  EXPECT_NE(r.text.find("            Block size: 4096\n          Total Blocks: -2147483648\n"), std::string::npos);
  PutBe32(js, 0x04, 0);
  EXPECT_NE(DumpJournal(js).text.find("            Block Type: 0  <Unknown>\n"), std::string::npos);
}

// The journal's feature bits have names of their own.
TEST(Ext3Journal, FeatureNames) {
  std::vector<uint8_t> js(1024);
  PutBe32(js, 0x24, 0x3);
  PutBe32(js, 0x28, 0x7F);
  PutBe32(js, 0x2C, 0x1);
  std::string t = DumpJournal(js).text;
  EXPECT_NE(t.find("    Compatible Ftr Set: 0x00000003   <CHECKSUM> <Unknown flag set>\n"), std::string::npos);
  EXPECT_NE(t.find("  Incompatible Ftr Set: 0x0000007F   <REVOKE> <64BIT> <ASYNC_COMMIT> <CSUM_V2> <CSUM_V3>"
                   " <FAST_COMMIT> <Unknown flag set>\n"),
            std::string::npos);
  EXPECT_NE(t.find(" RO Compatible Ftr Set: 0x00000001   <Unknown flag set>\n"), std::string::npos);
  PutBe32(js, 0x28, 0x2);
  EXPECT_NE(DumpJournal(js).text.find("  Incompatible Ftr Set: 0x00000002   <64BIT>\n"), std::string::npos);
}

}  // namespace
}  // namespace trovik::test
