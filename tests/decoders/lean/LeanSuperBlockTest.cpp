#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "LeanVolume.h"
#include "decoders/lean/LeanDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/Report.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {


DumpResult DumpSuper(const std::vector<uint8_t>& block, ScriptedHost* host = nullptr) {
  return RunDecoder(DumpLeanSuper, MakeRequest(DumpType::LeanSuper, "0"), block, host);
}

std::vector<uint8_t> VolumeSuper() { return lean::BlockOf(lean::MakeVolume(), lean::kSuperBlock); }

TEST(LeanSuperBlock, VolumeSuperBlockIsListedInFullWithoutAnnotation) {
  std::string reserved;
  const std::string dots(16, '\xB7');
  for (uint32_t a = 0; a < 0x140; a += 16)
    reserved += Format("   0x%08X  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     %s\n", a, dots.c_str());
  reserved += "   0x00000140  00 00 00 00 00 00 00 00                             " + dots.substr(0, 8) + "\n";
  const DumpResult r = RunDecoder(DumpLeanSuper, MakeRequest(DumpType::LeanSuper, "0x200"), lean::MakeVolume());
  EXPECT_EQ(r.marked,
            "LEAN FS Super Block (0x00000200)\n"
            "               Checksum: 0xE8335D71\n"
            "                  Magic: 0x4E41454C  (LEAN)\n"
            "                Version:     0x0100  (1.00)\n"
            "     Pre Allocate Count: 2\n"
            "  Blocks per Band (log): 4096 (12)\n"
            "                  State: 0x00000001 (errors = 0) (clean unmount = 1)\n"
            "                   GUID: 12345678-9ABC-DEF0-2301-456789ABCDEF\n"
            "                  Label: Trovik test\n"
            "            54 72 6F 76 69 6B 20 74 65 73 74 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "00 00 \n"
            "            00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "00 00 \n"
            "           Total blocks: 0x0000000000000040  (64)\n"
            "            Free blocks: 0x0000000000000033  (51)\n"
            "              Next Free: 0x000000000000000A  (10)\n"
            "      Primary Super LBA: 0x0000000000000001  (1)\n"
            "       Backup Super LBA: 0x000000000000003F  (63)\n"
            "       Bitmap Start LBA: 0x0000000000000002  (2)\n"
            "        Bitmap Checksum: 0x00000000\n"
            "             Root Start: 0x0000000000000003  (3)\n"
            "              Bad Start: 0x0000000000000000  (0)\n"
            "          Journal Start: 0x0000000000000000  (0)\n"
            "           Capabilities: 0x00000000\n"
            "       Block size (log): 512 (9)\n"
            "              Reserved:\n" +
                reserved);
}

TEST(LeanSuperBlock, EachRuleViolationEarnsExactlyItsAnnotation) {
  struct Case {
    std::function<void(uint8_t*)> change;
    const char* line;  // the annotated line, or nullptr when the value passes
  };
  const Case cases[] = {
      {[](uint8_t* b) { b[7] = 'X'; }, "                  Magic: 0x5841454C  (LEAX)[[ <-- Should be: 0x4E41454C\n]]"},
      {[](uint8_t* b) { PutLe16(b + 8, 0x0102); }, "     0x0102  (1.02)[[ <-- Should be: 0x0100\n]]"},
      {[](uint8_t* b) { PutLe32(b + 0x0C, 4); }, nullptr},
      {[](uint8_t* b) { PutLe32(b + 0x0C, 8); }, "(clean unmount = 0)[[ <-- Bits 15:3 must be zero.\n]]"},
      {[](uint8_t* b) { PutLe64(b + 0x68, 64); },
       "Next Free: 0x000000000000000A  (10)[[ <-- Free blocks > Total blocks.\n]]"},
      {[](uint8_t* b) { PutLe64(b + 0x78, 33); }, "(33)[[ <-- Primary Super is not within the first 33 blocks.\n]]"},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> block = VolumeSuper();
    c.change(block.data());
    lean::SealSuperBlock(block.data());
    const DumpResult r = DumpSuper(block);
    if (c.line) {
      EXPECT_EQ(RedTexts(r.marked).size(), 1u) << c.line;
      EXPECT_NE(r.marked.find(c.line), std::string::npos) << r.marked;
    } else {
      EXPECT_TRUE(RedTexts(r.marked).empty()) << r.marked;
    }
  }
}

TEST(LeanSuperBlock, ChecksumCoversEveryWordButItsOwn) {
  std::vector<uint8_t> block = VolumeSuper();
  const uint32_t good = Le32(block.data());
  PutLe32(block.data(), 0x12345678);
  EXPECT_EQ(RedTexts(DumpSuper(block).marked), std::vector<std::string>{Format(" <-- Should be:: 0x%08X\n", good)});

  block = VolumeSuper();
  block[0x1FF] = 1;
  const DumpResult r = DumpSuper(block);
  EXPECT_NE(r.marked.find(Format("Checksum: 0x%08X[[ <-- Should be:: 0x%08X\n]]", good,
                                 RotateAddChecksum(block.data(), 512))),
            std::string::npos);
}

TEST(LeanSuperBlock, ZeroSignatureBytesStillCompleteTheLineAndLabelStopsAtItsField) {
  std::vector<uint8_t> block = VolumeSuper();
  PutLe32(block.data() + 4, 0);
  std::fill(block.begin() + 0x20, block.begin() + 0x60, 'x');  // no NUL before Total blocks (0x40 '@')
  lean::SealSuperBlock(block.data());
  const DumpResult r = DumpSuper(block);
  EXPECT_NE(r.marked.find("Magic: 0x00000000  ()[[ <-- Should be: 0x4E41454C\n]]                Version:"),
            std::string::npos);
  EXPECT_NE(r.text.find("Label: " + std::string(64, 'x') + "\n            78 78"), std::string::npos);
}

TEST(LeanSuperBlock, AbortInsideTheReservedListingEndsWithTheAbortText) {
  ScriptedHost host;
  host.abortAfterPolls = 0;
  const DumpResult r = DumpSuper(VolumeSuper(), &host);
  const std::string tail = r.text.substr(r.text.find("Reserved:\n"));
  EXPECT_EQ(tail.substr(tail.size() - 15), "\n\nUser Abort...");
  EXPECT_EQ(std::count(tail.begin(), tail.end(), '\n'), 3);  // the title line and one listing line
}

}  // namespace
}  // namespace trovik::test
