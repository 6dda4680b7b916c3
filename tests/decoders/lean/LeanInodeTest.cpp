#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "LeanVolume.h"
#include "decoders/lean/LeanDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/Report.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {


DumpResult DumpInode(const std::vector<uint8_t>& bytes) {
  return RunDecoder(DumpLeanInode, MakeRequest(DumpType::LeanInode, "0"), bytes);
}

std::string EmptyExtents(int from, int to, const char* gap) {
  std::string lines;
  for (int n = from; n < to; ++n)
    lines += Format("               Extent %i:  start 0x0000000000000000%s(0), size 0x00000000 (0)\n", n, gap);
  return lines;
}

TEST(LeanInode, RootDirectoryInodeWithInlineAttributesIsListedInFull) {
  const DumpResult r = RunDecoder(DumpLeanInode, MakeRequest(DumpType::LeanInode, "0x600"), lean::MakeVolume());
  EXPECT_EQ(r.marked,
            "LEAN FS Inode (0x00000600)\n"
            "               Checksum: 0x24920B4D\n"
            "                  Magic: 0x45444F4E  (NODE)\n"
            "               Reserved: 00 00 00\n"
            "         Indirect Count: 0\n"
            "            Links Count: 2\n"
            "                    UID: 0x000003E8 (1000)\n"
            "                    GID: 0x00000064 (100)\n"
            "             Attributes: 0x400801ED\n"
            "                + Owner: read permission\n"
            "                + Owner: write permission\n"
            "                + Owner: execute permission\n"
            "                + Group: read permission\n"
            "                + Group: execute permission\n"
            "                + Other: read permission\n"
            "                + Other: execute permission\n"
            "                + Extended Attributes exist after INODE\n"
            "                + File type: directory\n"
            "              File Size: 0x0000000000000200  (512)\n"
            "            Block Count: 0x0000000000000002  (2)\n"
            "            Last Access: 0x0005F6D8D3FD1260  (Tuesday 14 March 2023  09:26:53)\n"
            "     Status Change Time: 0x0005F6D8D3FD1260  (Tuesday 14 March 2023  09:26:53)\n"
            "      Last Modification: 0x0005F6D8D3FD1260  (Tuesday 14 March 2023  09:26:53)\n"
            "          File Creation: 0x0003945F12D6C140  (Wednesday 05 December 2001  14:03:09)\n"
            "  First Indirect Block: 0x0000000000000000 (0)\n"
            "   Last Indirect Block: 0x0000000000000000 (0)\n"
            "                   Fork: 0x0000000000000000 (0)\n"
            "      Number of Extents: 1\n"
            "               Extent 0:  start 0x0000000000000004 (4), size 0x00000001 (1)\n" +
                EmptyExtents(1, 8, " ") +
                "Extended Attributes:\n"
                "   0: name_len = 9  data_len = 15\n"
                "        name: user.mime\n"
                "        data: inode/directory\n"
                "   1: name_len = 7  data_len = 23\n"
                "        name: comment\n"
                "        data: root of the test volume\n"
                "   2: name_len = 0  data_len = 0\n"
                "\n");
}

TEST(LeanInode, RulesAndChecksumSpan) {
  const std::vector<uint8_t> volume = lean::MakeVolume();
  std::vector<uint8_t> inode = lean::BlockOf(volume, lean::kBigInode);
  const std::string text = DumpInode(inode).marked;
  EXPECT_NE(text.find("0x20000180\n                + Owner: read permission\n                + Owner: write "
                      "permission\n                + File type: regular file\n              File Size:"),
            std::string::npos);
  EXPECT_TRUE(RedTexts(text).empty());
  // Bytes after the 200-byte inode are not part of its checksum.
  inode[0xC8] = 0x55;
  EXPECT_TRUE(RedTexts(DumpInode(inode).marked).empty());

  inode[4] = 0;
  inode[0x0A] = 1;
  PutLe32(inode.data() + 0x10, 0);
  const uint32_t computed = RotateAddChecksum(inode.data(), 200);
  const DumpResult r = DumpInode(inode);
  EXPECT_EQ(RedTexts(r.marked), (std::vector<std::string>{Format(" <-- Should be:: 0x%08X\n", computed),
                                                            " <-- Should be 0x45444F4E\n", " <-- Should be zero.\n",
                                                            " <-- Should not be zero.\n"}));
  EXPECT_NE(r.marked.find("Magic: 0x45444F00  (ODE)[["), std::string::npos);
}

// An inode block whose attribute area holds the given bytes.
std::vector<uint8_t> InodeWithArea(const std::vector<uint8_t>& area) {
  std::vector<uint8_t> block(512, 0);
  std::memcpy(block.data() + 4, "NODE", 4);
  PutLe32(block.data() + 0x10, 1);
  PutLe32(block.data() + 0x1C, 0x20080000);
  std::memcpy(block.data() + 0xC8, area.data(), std::min<size_t>(area.size(), 312));
  lean::SealInode(block.data());
  return block;
}

std::string AttributeListing(const std::vector<uint8_t>& block) {
  const std::string text = DumpInode(block).marked;
  return text.substr(text.find("Extended Attributes:\n") + 21);
}

void PutAttribute(std::vector<uint8_t>& area, int at, int nameLen, int dataLen, char fill) {
  PutLe32(area.data() + at, static_cast<uint32_t>(nameLen) << 24 | static_cast<uint32_t>(dataLen));
  std::fill(area.begin() + at + 4, area.begin() + std::min(at + 4 + nameLen + dataLen, 312), fill);
}

// Attributes are walked by their padded lengths; data is cut to 255 bytes;
// an entry past the 312-byte area is annotated and cut there (the bytes
// that follow the inode block are never shown); at most eleven are listed.
TEST(LeanInode, InlineAttributesAreWalkedAndBoundedByTheirArea) {
  std::vector<uint8_t> area(312, 0);
  PutAttribute(area, 0, 4, 5, 'a');
  PutAttribute(area, 16, 1, 300, 'c');
  EXPECT_EQ(AttributeListing(InodeWithArea(area)),
            "   0: name_len = 4  data_len = 5\n        name: aaaa\n        data: aaaaa\n"
            "   1: name_len = 1  data_len = 300[[ <-- name and/or data past block boundary for inode.\n]]"
            "        name: c\n        Truncating data_len to 255\n        data: " +
                std::string(255, 'c') + "\n\n");

  area.assign(312, 0);
  PutAttribute(area, 0, 0, 300, 'f');  // ends at 304: inside
  PutAttribute(area, 304, 2, 4, 'g');  // ends at 314: past the area
  std::vector<uint8_t> file = InodeWithArea(area);
  file.resize(1024, 'Z');
  EXPECT_TRUE(AttributeListing(file).ends_with(
      "\n   1: name_len = 2  data_len = 4[[ <-- name and/or data past block boundary for inode.\n]]"
      "        name: gg\n        data: gg\n\n"));

  area.assign(312, 0);
  for (int at = 0; at < 12 * 8; at += 8) PutAttribute(area, at, 1, 3, 'e');
  const std::string eleven = AttributeListing(InodeWithArea(area));
  EXPECT_NE(eleven.find("  10: name_len = 1"), std::string::npos);
  EXPECT_EQ(eleven.find("  11:"), std::string::npos);
}

TEST(LeanIndirect, VolumeIndirectBlockAndCountWalk) {
  const std::vector<uint8_t> volume = lean::MakeVolume();
  const DumpResult r = RunDecoder(DumpLeanIndirect, MakeRequest(DumpType::LeanIndirect, "0x1000"), volume);
  EXPECT_EQ(r.marked,
            "LEAN FS Indirect (0x00001000)\n"
            "               Checksum: 0x7930FE15\n"
            "                  Magic: 0x58444E49  (INDX)\n"
            "            Block Count: 2\n"
            "                  Inode: 0x0000000000000007  (7)\n"
            "            This Block: 0x0000000000000008  (8)\n"
            "      Previous Indirect: 0x0000000000000000  (0)\n"
            "          Next Indirect: 0x0000000000000000  (0)\n"
            "      Number of Extents: 2\n"
            "               Reserved0: 00 00\n"
            "               Reserved1: 0x0000\n"
            "               Extent 0:  start 0x000000000000000B  (11), size 0x00000001 (1)\n"
            "               Extent 1:  start 0x000000000000000D  (13), size 0x00000001 (1)\n" +
                EmptyExtents(2, 38, "  ") + "\n");

  // Count 3 walks consecutive blocks; the following two are not indirect
  // blocks and say so. Zero extents and reserved bytes earn their notes.
  std::vector<uint8_t> blocks = lean::BlockOf(volume, lean::kBigIndirect);
  blocks.resize(1536, 0);
  PutLe16(blocks.data() + 512 + 0x30, 39);
  blocks[1024 + 0x33] = 1;
  PutLe32(blocks.data() + 1024 + 0x34, 0x10000);
  const DumpResult three = RunDecoder(DumpLeanIndirect, MakeRequest(DumpType::LeanIndirect, "0", "0", 3), blocks);
  for (const char* title : {"LEAN FS Indirect (0x00000000)", "(0x00000200)", "(0x00000400)"})
    EXPECT_NE(three.text.find(title), std::string::npos);
  EXPECT_EQ(std::count(three.text.begin(), three.text.end(), '\n'), 3 * 50);
  const std::vector<std::string> red = RedTexts(three.marked);
  ASSERT_EQ(red.size(), 8u);
  EXPECT_EQ(red[2], " <-- Should be <= 38.\n");
  EXPECT_EQ(red[5],
            " <-- Should be > 0.  Why else would you have an indirect block if no extents were included?\n");
  EXPECT_EQ(red[6], " <-- Should be 0's.\n");
  EXPECT_NE(three.marked.find("Reserved1: 0x10000[[ <-- Should be 0.\n]]"), std::string::npos);

  ScriptedHost host;
  host.abortAfterPolls = 0;
  const DumpResult aborted =
      RunDecoder(DumpLeanIndirect, MakeRequest(DumpType::LeanIndirect, "0", "0", 3), blocks, &host);
  EXPECT_EQ(aborted.status, RunStatus::Aborted);
  EXPECT_EQ(aborted.text.find("(0x00000200)"), std::string::npos);
  EXPECT_TRUE(aborted.text.ends_with("(0), size 0x00000000 (0)\n\n\nUser Abort..."));
}

}  // namespace
}  // namespace trovik::test
