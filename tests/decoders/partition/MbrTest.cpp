#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoders/partition/MbrLayout.h"
#include "engine/ByteOrder.h"
#include "decoders/partition/PartitionDecoders.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunDecoder;

std::vector<uint8_t> Entry(uint8_t bootId, uint8_t startSector, uint8_t systemId, uint32_t lba, uint32_t size) {
  std::vector<uint8_t> e = {bootId, 0x20, startSector, 0x00, systemId, 0xFE, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0};
  PutLe32(&e[8], lba);
  PutLe32(&e[12], size);
  return e;
}

std::string DumpEntries(const std::vector<uint8_t>& bytes, int count, const std::string& start = "0") {
  return RunDecoder(DumpMbr, MakeRequest(DumpType::Mbr, start, "0", count), bytes).marked;
}

TEST(Mbr, EntryListing) {
  std::vector<uint8_t> disk(0x1BE, 0);
  auto first = Entry(0x80, 0x21, 0x0C, 2048, 0xFFFFFFFF);
  disk.insert(disk.end(), first.begin(), first.end());
  EXPECT_EQ(DumpEntries(disk, 1, "0x1BE"),
            "Boot:  Master Boot Record (0x000001BE)\n"
            "            Boot ID: 0x80\n"
            "        Start: Head: 0x20\n"
            "             Sector: 0x21[[ <--- usually 1.\n]]"
            "           Cylinder: 0x00\n"
            "          System ID: 0x0C  = W95 FAT32 (LBA)\n"
            "          End: Head: 0xFE\n"
            "             Sector: 0xFF\n"
            "           Cylinder: 0xFF\n"
            "          Start LBA: 0x00000800 (2048)\n"
            "               Size: 0xFFFFFFFF (-1)\n"
            "\n");
}

TEST(Mbr, BootIdAndStartSectorRules) {
  for (uint8_t id : {0x00, 0x80}) EXPECT_EQ(DumpEntries(Entry(id, 1, 0x83, 1, 1), 1).find("[["), std::string::npos);
  for (uint8_t id : {0x01, 0x81})
    EXPECT_NE(DumpEntries(Entry(id, 1, 0x83, 1, 1), 1).find("[[ <--- usually 0x00 or 0x80.\n]]"), std::string::npos);
  // The whole stored byte is compared: sector 1 with a cylinder bit fails.
  EXPECT_NE(DumpEntries(Entry(0, 0x41, 0x83, 1, 1), 1).find("Sector: 0x41[[ <--- usually 1.\n]]"), std::string::npos);
}

TEST(Mbr, EntryCutByTheEndOfTheFile) {
  // An entry that starts 3 bytes before the end of the file decodes zeros
  // for the rest.
  const std::vector<uint8_t> tail = {0, 0, 0, 0, 0, 0x80, 0x01, 0x83};
  const std::string text = RunDecoder(DumpMbr, MakeRequest(DumpType::Mbr, "5", "0", 2), tail).text;
  EXPECT_NE(text.find("(0x00000005) <-- (past the end of the file)\n            Boot ID: 0x80\n"), std::string::npos);
  EXPECT_NE(text.find("System ID: 0x00  = Empty\n"), std::string::npos);
  EXPECT_NE(text.find("(0x00000015)"), std::string::npos);
}

TEST(Mbr, ChsHelpers) {
  const struct {
    int32_t lba;
    uint32_t c, h, s;
  } cases[] = {{0, 0, 0, 1}, {63, 0, 1, 1}, {1070, 1, 0, 63}, {1032191, 1023, 15, 63}};
  for (const auto& k : cases) {
    const ChsValues chs = LbaToChs(k.lba);
    EXPECT_EQ(chs.cylinder, k.c) << k.lba;
    EXPECT_EQ(chs.head, k.h) << k.lba;
    EXPECT_EQ(chs.sector, k.s) << k.lba;
  }
  EXPECT_EQ(ChsCylinder(0xC1, 0xFF), 1023u);
  EXPECT_EQ(ChsSector(0xC1), 1u);
}

}  // namespace
}  // namespace trovik
