#include <gtest/gtest.h>

#include "Ext2TestSupport.h"

namespace trovik::test {
namespace {

DumpResult DumpDir(const std::vector<uint8_t>& bytes, int count, uint32_t start = 0, ScriptedHost* host = nullptr) {
  return RunExt2(DumpExt2Dir, DumpType::Ext2Dir, bytes, start, count, host);
}

void PutEntry(std::vector<uint8_t>& block, size_t at, uint32_t inode, uint16_t recLen, const std::string& name,
              uint8_t type) {
  PutLe32(&block[at], inode);
  PutLe16(&block[at + 4], recLen);
  block[at + 6] = static_cast<uint8_t>(name.size());
  block[at + 7] = type;
  std::copy(name.begin(), name.end(), block.begin() + static_cast<long>(at) + 8);
}

// The root directory of the ext4 sample, entry by entry: its "." entry in
// full, the names and inode numbers the layout notes took from debugfs,
// then the zero record length past the block's end.
TEST(Ext2Dir, Ext4SampleRootWalk) {
  const std::string t = DumpDir(ReadTestFile("ext2/ext4-root.bin"), 20).text;
  EXPECT_TRUE(t.starts_with("000) EXT2 Directory Entry (0x00000000)\n"
                            "                 Inode: 2 (1 zero based)\n"
                            "         Record Length: 12\n"
                            "           Name Length: 1\n"
                            "             File Type: 0x02  (directory)\n"
                            "                  Name: .\n"
                            "\n"
                            "001) EXT2 Directory Entry (0x0000000C)\n"));
  size_t at = 0;
  for (const std::string path : {"big.txt", "hello.txt", "long-link", "short-link", "sub"}) {
    const long inode = ReferenceNumber("ext4-layout.txt", "inode /" + path);
    const std::string expected = "                 Inode: " + std::to_string(inode) + " (" + std::to_string(inode - 1) +
                                 " zero based)\n";
    at = t.find(expected, at);
    ASSERT_NE(at, std::string::npos) << path;
    at = t.find("                  Name: " + path + "\n", at);
    ASSERT_NE(at, std::string::npos) << path;
  }
  EXPECT_TRUE(t.ends_with("009) EXT2 Directory Entry (0x00000400) <-- (past the end of the file)\n"
                          "                 Inode: 0\n"
                          "         Record Length: 0\n"
                          "           Name Length: 0\n"
                          "             File Type: 0x00  (Unknown)\n"
                          "                  Name: \n\n"));
}

// A zero byte in a name adds nothing and does not end it; the longest name
// is read within the window; a zero record length ends the walk; an abort
// stops after the entry being printed.
TEST(Ext2Dir, NamesEndOfWalkAndAbort) {
  std::vector<uint8_t> block(300);
  PutEntry(block, 0, 7, 300, std::string("a\0b", 3), 9);
  const std::string t = DumpDir(block, 1).text;
  EXPECT_TRUE(t.starts_with("EXT2 Directory Entry (0x00000000)\n"));
  EXPECT_NE(t.find("             File Type: 0x09  (Unknown)\n                  Name: ab\n\n"), std::string::npos);
  PutEntry(block, 0, 7, 300, std::string(255, 'n'), 1);
  EXPECT_NE(DumpDir(block, 1).text.find("Name: " + std::string(255, 'n') + "\n"), std::string::npos);
  PutEntry(block, 0, 5, 0, "x", 8);
  EXPECT_EQ(DumpDir(block, 5).text.find("001)"), std::string::npos);

  block.assign(1024, 0);
  for (size_t at = 0; at < 1024; at += 16) PutEntry(block, at, 1, 16, "f", 1);
  ScriptedHost host;
  host.abortAfterPolls = 0;
  const DumpResult r = DumpDir(block, 64, 0, &host);
  EXPECT_EQ(r.text.find("001)"), std::string::npos);
  EXPECT_TRUE(r.text.ends_with("Name: f\n\n\nUser Abort..."));
}

}  // namespace
}  // namespace trovik::test
