#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "QorVolume.h"
#include "decoders/partition/Crc32.h"
#include "decoders/qorfs/QorDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {


DumpResult DumpSuper(const std::vector<uint8_t>& block) {
  return RunDecoder(DumpQorSuper, MakeRequest(DumpType::QorSuper, "0"), block);
}

std::vector<uint8_t> VolumeSuper() { return qor::BytesAt(qor::MakeVolume(), 0, 512); }

// The tail's listing for an all-zero tail at file offset `address`.
std::string ZeroFiller(uint32_t address) {
  std::string lines;
  for (int i = 0; i < 21; ++i, address += 16)
    lines += Format("\n%08X  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................", address);
  return lines + Format("\n%08X  00 00 00 00%41s....", address, "");
}

TEST(QorSuperBlock, VolumeSuperBlockIsListedInFull) {
  const DumpResult r = DumpSuper(VolumeSuper());
  EXPECT_EQ(r.marked,
            "QORFS Super Block (0x00000000)\n"
            "                sig[0]: 0x514F5246  ('QORF') [1]\n"
            "                sig[1]: 0x53555052  ('SUPR') [1]\n"
            "               Version: 1.50\n"
            "   Sectors per Cluster: 1\n"
            "       Encryption Type: 0\n"
            "     Number of Bitmaps: 2\n"
            "           Bitmap Flag: 0x00000001\n"
            "          Root Entries: 16\n"
            "              Base LBA: 2048\n"
            "              Root LSN: 3\n"
            "              Data LSN: 3\n"
            " Sectors in Data Block: 61\n"
            "     Sectors in Volume: 64\n"
            "      First Bitmap LSN: 1\n"
            "     Second Bitmap LSN: 2\n"
            " Seconds since ChkDisk: 3600\n"
            " Seconds since LostOpt: 86400\n"
            "          Volume Flags: 0x00000002  (Not Case Sensitive) (Has Copy)\n"
            "                   CRC: 0x1284E033 (correct)\n"
            "                  guid: 12345678-9ABC-DEF0-0123-456789ABCDEF\n"
            "                 Label: QOR test volume" +
                std::string(49, '\xB7') + "\n                Filler:" + ZeroFiller(172) +
                "\n\nFootnotes:\n 1.   32-bit litteral in PRAXO litteral format");
}

// Zero signature bytes still fill their four places; every rule that zero
// breaks is annotated.
TEST(QorSuperBlock, AllZeroBlock) {
  const DumpResult r = DumpSuper(std::vector<uint8_t>(512, 0));
  EXPECT_TRUE(r.marked.starts_with(
      "QORFS Super Block (0x00000000)\n"
      "                sig[0]: 0x00000000  ('\xB7\xB7\xB7\xB7') [1][[ <-- Should be 0x514F5246.\n]]"
      "                sig[1]: 0x00000000  ('\xB7\xB7\xB7\xB7') [1][[ <-- Should be 0x53555052.\n]]"));
  EXPECT_EQ(RedTexts(r.marked).size(), 8u);
  EXPECT_NE(r.marked.find(Format("                   CRC: 0x00000000[[ <-- Should be 0x%08X\n]]",
                                 Crc32().Compute(std::vector<uint8_t>(512).data(), 512))),
            std::string::npos);
}

TEST(QorSuperBlock, EachRuleViolationEarnsExactlyItsAnnotation) {
  struct Case {
    std::function<void(uint8_t*)> change;
    const char* line;  // the annotated line, or nullptr when the value passes
  };
  const Case cases[] = {
      {[](uint8_t* b) { PutLe16(b + 8, 0x0149); }, "Version: 1.49[[ <-- Should be at least 1.50.\n]]"},
      {[](uint8_t* b) { PutLe16(b + 8, 0x0105); }, "Version: 1.5[[ <-- Should be at least 1.50.\n]]"},
      {[](uint8_t* b) { PutLe16(b + 10, 3); }, "Cluster: 3[[ <-- Should be a power of 2.\n]]"},
      {[](uint8_t* b) { b[12] = 2; }, "Type: 2[[ <-- Should be a 0 or 1.\n]]"},
      {[](uint8_t* b) { b[13] = 3; }, "Bitmaps: 3[[ <-- Should be 1 or 2.\n]]"},
      {[](uint8_t* b) { PutLe16(b + 14, 4); }, "Flag: 0x00000004[[ <-- Bits 30 - 2 should be zero.\n]]"},
      {[](uint8_t* b) { PutLe32(b + 16, 18); }, "Entries: 18[[ <-- Should be divisiable by 4.\n]]"},
      {[](uint8_t* b) { PutLe64(b + 28, 64); }, nullptr},  // exactly at the data block's end
      {[](uint8_t* b) { PutLe64(b + 28, 65); }, "Root LSN: 65[[ <-- Must be within data block.\n]]"},
      {[](uint8_t* b) { PutLe64(b + 44, 62); },
       "Block: 62[[ <-- There are more data_sectors than there are total sectors.\n]]"},
      // A data block starting past the volume is flagged, not wrapped around.
      {[](uint8_t* b) { PutLe64(b + 36, 65); PutLe64(b + 28, 65); PutLe64(b + 44, 0); },
       "Block: 0[[ <-- There are more data_sectors than there are total sectors.\n]]"},
      {[](uint8_t* b) { PutLe64(b + 60, 64); }, "First Bitmap LSN: 64[[ <-- Out of range.\n]]"},
      {[](uint8_t* b) { PutLe32(b + 84, 3); }, nullptr},
      {[](uint8_t* b) { PutLe32(b + 84, 4); },
       "(Not Case Sensitive) (No Copy)[[ <-- Bits 31 - 2 should be zero.\n]]"},
      {[](uint8_t* b) { b[3] = 0x01; }, "sig[0]: 0x014F5246  ('\xB7ORF') [1][[ <-- Should be 0x514F5246.\n]]"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> block = VolumeSuper();
    c.change(block.data());
    qor::SealSuperBlock(block.data());
    const DumpResult r = DumpSuper(block);
    if (c.line) {
      EXPECT_EQ(RedTexts(r.marked).size(), 1u) << c.line;
      EXPECT_NE(r.marked.find(c.line), std::string::npos) << r.marked;
    } else {
      EXPECT_TRUE(RedTexts(r.marked).empty()) << r.marked;
    }
  }
  std::vector<uint8_t> block = VolumeSuper();
  PutLe32(block.data() + 84, 3);
  qor::SealSuperBlock(block.data());
  EXPECT_NE(DumpSuper(block).text.find("0x00000003  ( Case Sensitive) (Has Copy)\n"), std::string::npos);
}

TEST(QorSuperBlock, CrcMismatchAndFillerNotice) {
  std::vector<uint8_t> block = VolumeSuper();
  block[511] = 0x41;
  const uint32_t stored = Le32(block.data() + 88);
  const DumpResult r = DumpSuper(block);
  qor::SealSuperBlock(block.data());
  EXPECT_EQ(RedTexts(r.marked),
            (std::vector<std::string>{Format(" <-- Should be 0x%08X\n", Le32(block.data() + 88)),
                                      "\nOne or more of the values above was not zero.\n"}));
  EXPECT_NE(r.marked.find(Format("CRC: 0x%08X[[", stored)), std::string::npos);
  EXPECT_TRUE(r.marked.ends_with(
      Format("\n000001FC  00 00 00 41%41s...A", "") +
      "[[\nOne or more of the values above was not zero.\n]]"
      "\nFootnotes:\n 1.   32-bit litteral in PRAXO litteral format"));
}

}  // namespace
}  // namespace trovik::test
