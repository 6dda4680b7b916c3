#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decoders/partition/MbrLayout.h"
#include "decoders/partition/PartitionDecoders.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunDecoder;

std::vector<uint8_t> Entry(uint8_t bootId, uint8_t startSector, uint8_t systemId, uint32_t lba, uint32_t size) {
  std::vector<uint8_t> e(16, 0);
  e[0] = bootId;
  e[1] = 0x20;
  e[2] = startSector;
  e[3] = 0x00;
  e[4] = systemId;
  e[5] = 0xFE;
  e[6] = 0xFF;
  e[7] = 0xFF;
  for (int i = 0; i < 4; ++i) e[8 + i] = static_cast<uint8_t>(lba >> (8 * i));
  for (int i = 0; i < 4; ++i) e[12 + i] = static_cast<uint8_t>(size >> (8 * i));
  return e;
}

std::string DumpEntries(const std::vector<uint8_t>& bytes, int count, const std::string& start = "0") {
  return RunDecoder(DumpMbr, MakeRequest(DumpType::Mbr, start, "0", count), bytes).marked;
}

TEST(Mbr, ListsEntriesWithTheirOwnOffsetsAndAnnotations) {
  std::vector<uint8_t> disk(0x1BE, 0);
  auto first = Entry(0x80, 0x21, 0x0C, 2048, 0xFFFFFFFF);
  disk.insert(disk.end(), first.begin(), first.end());
  disk.insert(disk.end(), 16, 0);  // an empty entry
  EXPECT_EQ(DumpEntries(disk, 2, "0x1BE"),
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
            "\n"
            "Boot:  Master Boot Record (0x000001CE)\n"
            "            Boot ID: 0x00\n"
            "        Start: Head: 0x00\n"
            "             Sector: 0x00[[ <--- usually 1.\n]]"
            "           Cylinder: 0x00\n"
            "          System ID: 0x00  = Empty\n"
            "          End: Head: 0x00\n"
            "             Sector: 0x00\n"
            "           Cylinder: 0x00\n"
            "          Start LBA: 0x00000000 (0)\n"
            "               Size: 0x00000000 (0)\n"
            "\n");
}

TEST(Mbr, BootIdAndStartSectorRules) {
  for (uint8_t id : {0x00, 0x80}) EXPECT_EQ(DumpEntries(Entry(id, 1, 0x83, 1, 1), 1).find("[["), std::string::npos);
  EXPECT_NE(DumpEntries(Entry(0x01, 1, 0x83, 1, 1), 1).find("0x01[[ <--- usually 0x00 or 0x80.\n]]"),
            std::string::npos);
  EXPECT_NE(DumpEntries(Entry(0x81, 1, 0x83, 1, 1), 1).find("0x81[[ <--- usually 0x00 or 0x80.\n]]"),
            std::string::npos);
  // The whole stored byte is compared: sector 1 with a cylinder bit fails.
  EXPECT_NE(DumpEntries(Entry(0, 0x41, 0x83, 1, 1), 1).find("Sector: 0x41[[ <--- usually 1.\n]]"), std::string::npos);
}

TEST(Mbr, CountWalkAbortAndShortFile) {
  std::vector<uint8_t> table(64, 0);
  EXPECT_EQ(DumpEntries(table, 0), "");
  EXPECT_EQ(DumpEntries(table, -3), "");

  test::ScriptedHost host;
  host.abortAfterPolls = 1;
  auto result = RunDecoder(DumpMbr, MakeRequest(DumpType::Mbr, "0", "0", 4), table, &host);
  EXPECT_EQ(result.status, RunStatus::Aborted);
  EXPECT_NE(result.text.find("(0x00000010)"), std::string::npos);
  EXPECT_EQ(result.text.find("(0x00000020)"), std::string::npos);
  EXPECT_TRUE(result.text.ends_with("\n\nUser Abort..."));

  // An entry that starts 3 bytes before the end of the file decodes zeros
  // for the rest.
  std::vector<uint8_t> tail(8, 0);
  tail[5] = 0x80;
  tail[6] = 0x01;
  tail[7] = 0x83;
  const std::string text = RunDecoder(DumpMbr, MakeRequest(DumpType::Mbr, "5", "0", 2), tail).text;
  EXPECT_NE(text.find("(0x00000005)\n            Boot ID: 0x80\n"), std::string::npos);
  EXPECT_NE(text.find("System ID: 0x00  = Empty\n"), std::string::npos);
  EXPECT_NE(text.find("(0x00000015)"), std::string::npos);
}

TEST(Mbr, SystemIdNames) {
  int named = 0;
  for (const char* name : MbrSystemIdNames) named += std::strcmp(name, "*unknown*") != 0;
  EXPECT_EQ(named, 92);
  EXPECT_STREQ(MbrSystemIdNames[0x1E], "Hidded W95 FAT36");
  EXPECT_STREQ(MbrSystemIdNames[0x17], "Hidded HPFS/NTFS");
  EXPECT_STREQ(MbrSystemIdNames[0x0D], "*unknown*");
  EXPECT_STREQ(MbrSystemIdNames[0xDD], "CP/M / CTOS / ");
  EXPECT_STREQ(MbrSystemIdNames[0xEE], "EFI GPT");
  EXPECT_STREQ(MbrSystemIdNames[0xFF], "BBT");
  EXPECT_NE(DumpEntries(Entry(0, 1, 0xDD, 0, 0), 1).find("0xDD  = CP/M / CTOS / \n"), std::string::npos);
}

TEST(Mbr, ChsHelpers) {
  auto check = [](int32_t lba, uint32_t c, uint32_t h, uint32_t s) {
    const ChsValues chs = LbaToChs(lba);
    EXPECT_EQ(chs.cylinder, c) << lba;
    EXPECT_EQ(chs.head, h) << lba;
    EXPECT_EQ(chs.sector, s) << lba;
  };
  check(0, 0, 0, 1);
  check(63, 0, 1, 1);
  check(1070, 1, 0, 63);
  check(1032191, 1023, 15, 63);
  EXPECT_EQ(ChsCylinder(0xC1, 0xFF), 1023u);
  EXPECT_EQ(ChsSector(0xC1), 1u);
}

}  // namespace
}  // namespace trovik
