// Whatever the bytes, the decoders read only what they own: short files
// decode zeros for the missing bytes, random bytes decode without a fault
// (the sanitizer build turns any stray read into a failure).
#include <gtest/gtest.h>

#include <random>

#include "Ext2TestSupport.h"

namespace trovik::test {
namespace {

struct Ext2Type {
  Decoder decoder;
  DumpType type;
};

const Ext2Type kTypes[] = {{DumpExt2Super, DumpType::Ext2Super},         {DumpExt2Group, DumpType::Ext2Group},
                           {DumpExt4Group, DumpType::Ext4Group},         {DumpExt2Inode, DumpType::Ext2Inode},
                           {DumpExt2InodeLong, DumpType::Ext2InodeLong}, {DumpExt2Dir, DumpType::Ext2Dir},
                           {DumpExt3Journal, DumpType::Ext3Journal}};

TEST(Ext2Robustness, TruncatedInputDecodesZeros) {
  const std::vector<uint8_t> sample = ReadTestFile("ext2/ext4-super.bin");
  for (size_t size : {size_t{0}, size_t{1}, size_t{7}, size_t{100}, size_t{1023}}) {
    const std::vector<uint8_t> bytes(sample.begin(), sample.begin() + static_cast<long>(size));
    for (const Ext2Type& t : kTypes) {
      const DumpResult r = RunExt2(t.decoder, t.type, bytes, 0, 3);
      EXPECT_FALSE(r.text.empty());
    }
  }
  // The part of the superblock that the file does not hold reads as zeros.
  const std::vector<uint8_t> head(sample.begin(), sample.begin() + 0x3C);
  const std::string t = RunExt2(DumpExt2Super, DumpType::Ext2Super, head).text;
  EXPECT_NE(t.find("                Errors: 0  (Unknown)"), std::string::npos);
}

TEST(Ext2Robustness, RandomBytesNeverFault) {
  std::mt19937 rng(20240601);
  for (int round = 0; round < 40; ++round) {
    std::vector<uint8_t> bytes(1 + rng() % 3000);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
    // Extent magic and fast-link modes now and then, so those paths run too.
    if (round % 2 && bytes.size() > 0x30) PutLe16(&bytes[0x28], 0xF30A);
    if (round % 3 == 0 && bytes.size() > 2) PutLe16(&bytes[0], 0xA1FF);
    for (const Ext2Type& t : kTypes) {
      SCOPED_TRACE(round);
      const DumpResult r = RunExt2(t.decoder, t.type, bytes, 0, 8);
      EXPECT_EQ(r.status, RunStatus::Done);
    }
  }
}

}  // namespace
}  // namespace trovik::test
