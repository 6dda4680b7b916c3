#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "LeanVolume.h"
#include "decoders/lean/LeanDecoders.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

DumpResult DumpDir(const std::vector<uint8_t>& bytes, int count, ScriptedHost* host = nullptr) {
  return RunDecoder(DumpLeanDir, MakeRequest(DumpType::LeanDir, "0", "0", count), bytes, host);
}

// A record head: inode, type, record length in 16-byte units, name length.
void PutHead(uint8_t* p, uint64_t inode, uint8_t type, uint8_t units, uint16_t nameLen) {
  PutLe64(p, inode);
  p[8] = type;
  p[9] = units;
  PutLe16(p + 10, nameLen);
}

TEST(LeanDirectory, RootDirectoryBlockIsWalkedByRecordLength) {
  const DumpResult r = RunDecoder(DumpLeanDir, MakeRequest(DumpType::LeanDir, "0x800", "0", 4), lean::MakeVolume());
  EXPECT_EQ(r.marked,
            "LEAN FS Directory Entry (0x00000800)\n"
            "                  Inode: 0x0000000000000003  (3)\n"
            "                   Type: 0x02: Directory\n"
            "             Record Len: 0x01: (16 bytes)\n"
            "               Name Len: 0x01: (1)\n"
            "                       Name: . (2E)\n"
            "            00 00 00 \n"
            "            \n"
            "LEAN FS Directory Entry (0x00000810)\n"
            "                  Inode: 0x0000000000000003  (3)\n"
            "                   Type: 0x02: Directory\n"
            "             Record Len: 0x01: (16 bytes)\n"
            "               Name Len: 0x02: (2)\n"
            "                       Name: . (2E). (2E)\n"
            "            00 00 \n"
            "            \n"
            "LEAN FS Directory Entry (0x00000820)\n"
            "                  Inode: 0x0000000000000005  (5)\n"
            "                   Type: 0x01: Regular\n"
            "             Record Len: 0x02: (32 bytes)\n"
            "               Name Len: 0x09: (9)\n"
            "                       Name: h (68)e (65)l (6C)l (6C)o (6F). (2E)t (74)x (78)t (74)\n"
            "            00 00 00 00 00 00 00 00 00 00 00 \n"
            "            \n"
            "LEAN FS Directory Entry (0x00000840)\n"
            "                  Inode: 0x0000000000000007  (7)\n"
            "                   Type: 0x01: Regular\n"
            "             Record Len: 0x02: (32 bytes)\n"
            "               Name Len: 0x07: (7)\n"
            "                       Name: b (62)i (69)g (67). (2E)b (62)i (69)n (6E)\n"
            "            00 00 00 00 00 00 00 00 00 00 00 00 00 \n"
            "            \n");

  // The fifth record fills the rest of the block: 404 padding bytes, 32 a line.
  const DumpResult all = RunDecoder(DumpLeanDir, MakeRequest(DumpType::LeanDir, "0x800", "0", 5), lean::MakeVolume());
  const std::string empty = all.text.substr(all.text.find("(0x00000860)"));
  EXPECT_NE(empty.find("Record Len: 0x1A: (416 bytes)\n"), std::string::npos);
  EXPECT_EQ(std::count(empty.begin(), empty.end(), '\n'), 20);
}

TEST(LeanDirectory, HeadLineVariantsAndZeroRecordLengthEndsTheWalk) {
  std::vector<uint8_t> bytes(512, 0);
  PutHead(&bytes[0], 9, 4, 2, 20);  // room for exactly 20 name bytes
  std::memset(&bytes[12], 'n', 20);
  PutHead(&bytes[32], 9, 5, 0x21, 0);
  const DumpResult r = DumpDir(bytes, 10);
  EXPECT_NE(r.text.find("Type: 0x04: Fork\n             Record Len: 0x02: (32 bytes)\n               Name Len: 0x14: "
                        "(20)\n                       Name: n (6E)"),
            std::string::npos);
  EXPECT_NE(r.text.find("Type: 0x05  *error* (0-4 only)\n             Record Len: 0x21: (528 bytes) *error* Must be "
                        "<= 0x20\n"),
            std::string::npos);
  EXPECT_TRUE(r.text.ends_with("LEAN FS Directory Entry (0x00000230) <-- (past the end of the file)\n"
                               "                  Inode: 0x0000000000000000  (0)\n"
                               "                   Type: 0x00: Empty\n"
                               "             Record Len: 0x00: (0 bytes)\n"
                               "               Name Len: 0x00: (0) *error* Must be <= ((Record Len * 16) - 12)\n"
                               "                       Name: *Empty*\n"
                               "            \n"
                               "            RecLen = 0.  Breaking out of loop...\n"));
  EXPECT_EQ(r.marked.find("[["), r.marked.find("[[ <-- (past the end of the file)\n]]"));

  // One name byte too many: the error variant, the record's 20 bytes as the
  // name, no padding; a zero byte in the name adds no character.
  PutLe16(&bytes[10], 21);
  bytes[13] = 0;
  const std::string first = DumpDir(bytes, 1).text;
  EXPECT_NE(first.find("Name Len: 0x15: (21) *error* Must be <= ((Record Len * 16) - 12)\n                       "
                       "Name: n (6E) (00)n (6E)"),
            std::string::npos);
  EXPECT_TRUE(first.ends_with("n (6E)\n            \n"));

  ScriptedHost host;
  host.abortAfterPolls = 0;
  const DumpResult aborted = DumpDir(bytes, 4, &host);
  EXPECT_EQ(aborted.status, RunStatus::Aborted);
  EXPECT_TRUE(aborted.text.ends_with("n (6E)\n            \n\nUser Abort..."));
}

TEST(LeanDirectory, RecordLongerThanASectorIsListedFromItsReadAndTheNextFollowsItsLength) {
  std::vector<uint8_t> bytes(1024, 0);
  PutHead(&bytes[0], 1, 1, 0x30, 10);  // 768 bytes, more than one read holds
  std::memset(&bytes[12], 'L', 10);
  std::memset(&bytes[512], 0xEE, 256);
  PutHead(&bytes[768], 2, 1, 1, 4);
  std::memcpy(&bytes[780], "next", 4);
  const DumpResult r = DumpDir(bytes, 2);
  EXPECT_NE(r.text.find("Record Len: 0x30: (768 bytes) *error* Must be <= 0x20\n"), std::string::npos);
  EXPECT_EQ(r.text.find("EE"), std::string::npos);
  // 490 padding bytes from the read: fifteen full lines and one of ten.
  const size_t padding = r.text.find("L (4C)\n") + 7;
  const std::string firstEntry = r.text.substr(padding, r.text.find("LEAN FS", padding) - padding);
  EXPECT_EQ(firstEntry.size(), 12 + 490 * 3 + 16 * 13 + 1);
  EXPECT_NE(r.text.find("LEAN FS Directory Entry (0x00000300)\n                  Inode: 0x0000000000000002  (2)"),
            std::string::npos);
  EXPECT_NE(r.text.find("Name: n (6E)e (65)x (78)t (74)\n"), std::string::npos);
}

// Whatever the bytes and however short the file, every decoder of the family
// finishes and stays inside its buffers (the sanitizers watch the reads).
TEST(LeanDecoders, RandomAndTruncatedInputIsDecodedSafely) {
  std::mt19937 random(20240229);
  const Decoder decoders[] = {DumpLeanSuper, DumpLeanInode, DumpLeanIndirect, DumpLeanDir};
  for (int round = 0; round < 100; ++round) {
    std::vector<uint8_t> bytes(random() % 1400);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (round % 2 && bytes.size() > 0x20) PutLe32(&bytes[0x1C], 0x00080000);  // inline attributes walked
    for (Decoder decoder : decoders) {
      const DumpResult r = RunDecoder(decoder, MakeRequest(DumpType::LeanDir, "0", "0", 3), bytes);
      EXPECT_EQ(r.status, RunStatus::Done);
      EXPECT_EQ(r.text.find('\0'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace trovik::test
