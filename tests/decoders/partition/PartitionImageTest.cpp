// Partition tables written by sfdisk and sgdisk (tests/data/partition),
// decoded and compared with what those tools report about them.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/partition/PartitionDecoders.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::ReadTestFile;
using test::RunDecoder;

std::vector<std::string> Lines(const std::string& name) {
  const auto bytes = ReadTestFile(name);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The rest of the first line at or after `from` that starts with prefix.
std::string After(const std::vector<std::string>& lines, const std::string& prefix, size_t from = 0) {
  for (size_t i = from; i < lines.size(); ++i)
    if (lines[i].starts_with(prefix)) return lines[i].substr(prefix.size());
  ADD_FAILURE() << "no line starts with " << prefix;
  return {};
}

TEST(PartitionImage, MbrMatchesSfdisk) {
  const auto disk = ReadTestFile("partition/mbr.bin");
  const auto result = RunDecoder(DumpMbr, MakeRequest(DumpType::Mbr, "0x1BE", "0", 4), disk);
  // Every entry made by sfdisk starts on a sector boundary, so the only red
  // lines are the start-sector notes of entries whose CHS sector is not 1.
  int partitions = 0;
  for (const auto& line : Lines("partition/mbr.sfdisk.txt")) {
    unsigned start = 0, size = 0, type = 0;
    if (std::sscanf(line.c_str(), "mbr.img%*d : start=%u, size=%u, type=%x", &start, &size, &type) != 3) continue;
    const bool bootable = line.find("bootable") != std::string::npos;
    char expected[200];
    std::snprintf(expected, sizeof expected, "Boot:  Master Boot Record (0x%08X)\n            Boot ID: 0x%02X\n",
                  0x1BE + 16 * partitions, bootable ? 0x80 : 0x00);
    EXPECT_NE(result.text.find(expected), std::string::npos) << expected;
    std::snprintf(expected, sizeof expected, "          System ID: 0x%02X  = %s\n", type, MbrSystemIdNames[type]);
    EXPECT_NE(result.text.find(expected), std::string::npos) << expected;
    std::snprintf(expected, sizeof expected, "          Start LBA: 0x%08X (%u)\n               Size: 0x%08X (%u)\n\n",
                  start, start, size, size);
    EXPECT_NE(result.text.find(expected), std::string::npos) << expected;
    ++partitions;
  }
  EXPECT_EQ(partitions, 4);
  EXPECT_NE(result.text.find("0x0C  = W95 FAT32 (LBA)\n"), std::string::npos);
  EXPECT_NE(result.text.find("0x83  = Linux\n"), std::string::npos);
  EXPECT_NE(result.text.find("0x82  = Linux swap\n"), std::string::npos);
  EXPECT_NE(result.text.find("0x05  = Extended\n"), std::string::npos);
  EXPECT_EQ(result.marked.find("usually 0x00 or 0x80"), std::string::npos);
}

TEST(PartitionImage, GptHeaderMatchesSgdisk) {
  const auto disk = ReadTestFile("partition/gpt.bin");
  const auto tool = Lines("partition/gpt.sgdisk.txt");
  const auto result = RunDecoder(DumpGptHeader, MakeRequest(DumpType::GptHeader, "0x200"), disk);
  // A header written by the tool breaks no rule: its only annotation is the
  // confirmation of its CRC, in the normal colour.
  EXPECT_EQ(result.marked.find("[["), std::string::npos);
  EXPECT_NE(result.text.find(" (correct)\n"), std::string::npos);
  EXPECT_NE(result.text.find("guid: " + After(tool, "Disk identifier (GUID): ") + "\n"), std::string::npos);

  unsigned first = 0, last = 0, entries = 0, tableStart = 0;
  ASSERT_EQ(std::sscanf(After(tool, "First usable sector is ").c_str(), "%u, last usable sector is %u", &first, &last),
            2);
  ASSERT_EQ(std::sscanf(After(tool, "Partition table holds up to ").c_str(), "%u", &entries), 1);
  ASSERT_EQ(std::sscanf(After(tool, "Main partition table begins at sector ").c_str(), "%u", &tableStart), 1);
  char expected[300];
  std::snprintf(expected, sizeof expected, "      First Usable LBA: %u\n       Last Usable LBA: %u\n", first, last);
  EXPECT_NE(result.text.find(expected), std::string::npos) << expected;
  std::snprintf(expected, sizeof expected,
                "          Entry Offset: %u\n                Entrys: %u\n            Entry size: 128\n", tableStart,
                entries);
  EXPECT_NE(result.text.find(expected), std::string::npos) << expected;
}

TEST(PartitionImage, GptEntriesMatchSgdisk) {
  const auto disk = ReadTestFile("partition/gpt.bin");
  const auto tool = Lines("partition/gpt.sgdisk.txt");
  const std::string text = RunDecoder(DumpGptEntry, MakeRequest(DumpType::GptEntry, "0x400", "0", 4), disk).text;
  size_t at = 0;
  for (int n = 1; n <= 3; ++n) {
    size_t section = 0;
    while (section < tool.size() && tool[section] != "== partition " + std::to_string(n)) ++section;
    ASSERT_LT(section, tool.size());
    const std::string typeGuid = After(tool, "Partition GUID code: ", section).substr(0, 36);
    const std::string name = After(tool, "Partition name: ", section);
    const uint64_t attributes = std::stoull(After(tool, "Attribute flags: ", section), nullptr, 16);
    char block[600];
    std::snprintf(
        block, sizeof block,
        "GUID Partition Entry (0x%08X)\n"
        "             guid type: %s\n"
        "                  guid: %s\n"
        "             First LBA: %s\n"
        "              Last LBA: %s\n"
        "             Attribute: 0x%016" PRIX64 "\n",
        0x400 + 128 * (n - 1), typeGuid.c_str(), After(tool, "Partition unique GUID: ", section).c_str(),
        After(tool, "First sector: ", section).substr(0, After(tool, "First sector: ", section).find(' ')).c_str(),
        After(tool, "Last sector: ", section).substr(0, After(tool, "Last sector: ", section).find(' ')).c_str(),
        attributes);
    const size_t found = text.find(block, at);
    ASSERT_NE(found, std::string::npos) << block;
    at = found + 1;
    EXPECT_NE(text.find("                  Name: " + name.substr(1, name.size() - 2) + "\n", at), std::string::npos);
  }
}

}  // namespace
}  // namespace trovik
