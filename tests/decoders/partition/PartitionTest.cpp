// MBR and GPT listings (sfdisk/sgdisk samples checked against those tools, filled sectors) and their rules.
#include <gtest/gtest.h>

#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

const DumpRequest kMbr = MakeRequest(DumpType::Mbr, "0x1BE", "0", 4);
const DumpRequest kGptHeader = MakeRequest(DumpType::GptHeader, "0x200");
const DumpRequest kGptEntries = MakeRequest(DumpType::GptEntry, "0x400", "0", 4);

// Each byte differs from its neighbours and has its top bit set: a field
// read one byte off or with the wrong width, or a lost sign, shows.
std::vector<uint8_t> Pattern() {
  std::vector<uint8_t> bytes(512);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0x80 | i);
  return bytes;
}

TEST(Partition, Listings) {
  const auto mbr = ReadTestFile("partition/mbr.bin"), gpt = ReadTestFile("partition/gpt.bin");
  ExpectReport(RunOnBytes(kMbr, mbr), "partition/mbr-sfdisk");
  ExpectReport(RunOnBytes(kGptHeader, gpt), "partition/gpt-header-sgdisk");
  ExpectReport(RunOnBytes(kGptEntries, gpt), "partition/gpt-entries-sgdisk");
  for (const auto& [type, name] :
       {std::pair{DumpType::Mbr, "mbr"}, {DumpType::GptHeader, "gpt-header"}, {DumpType::GptEntry, "gpt-entry"}}) {
    ExpectReport(RunOnBytes(MakeRequest(type), Pattern()), std::string("partition/") + name + "-pattern");
    ExpectReport(RunOnBytes(MakeRequest(type), std::vector<uint8_t>(512, 0xFF)),
                 std::string("partition/") + name + "-ff");
  }
}

TEST(Partition, MbrAndGptAgreeWithSfdiskAndSgdisk) {
  const std::string text = RunOnBytes(kMbr, ReadTestFile("partition/mbr.bin")).text;
  std::string tool = ReadTestText("partition/mbr.sfdisk.txt");
  size_t entry = 0;
  for (int n = 1; n <= 4; ++n, ++entry) {
    entry = text.find("Master Boot Record", entry);
    const size_t line = tool.find("mbr.img" + std::to_string(n) + " :");
    ASSERT_TRUE(entry != std::string::npos && line != std::string::npos) << n;
    EXPECT_EQ(NumberAfter(text, "Start LBA", entry), NumberAfter(tool, "start=", line)) << n;
    EXPECT_EQ(NumberAfter(text, "Size", entry), NumberAfter(tool, "size=", line)) << n;
    EXPECT_EQ(NumberAfter(text, "System ID", entry), std::stoll(FieldAfter(tool, "type=", line), nullptr, 16)) << n;
    const bool bootable = FieldAfter(tool, "type=", line).ends_with("bootable");
    EXPECT_EQ(NumberAfter(text, "Boot ID", entry), bootable ? 0x80 : 0x00) << n;
  }

  const auto gpt = ReadTestFile("partition/gpt.bin");
  tool = ReadTestText("partition/gpt.sgdisk.txt");
  const std::string header = RunOnBytes(kGptHeader, gpt).text;
  EXPECT_EQ(FieldAfter(header, "guid"), FieldAfter(tool, "Disk identifier (GUID)"));
  EXPECT_EQ(NumberAfter(header, "Backup LBA") + 1, NumberAfter(tool, "Disk gpt.img:"));
  EXPECT_EQ(NumberAfter(header, "First Usable LBA"), NumberAfter(tool, "First usable sector is "));
  EXPECT_EQ(NumberAfter(header, "Last Usable LBA"), NumberAfter(tool, "last usable sector is "));
  EXPECT_EQ(NumberAfter(header, "Entry Offset"), NumberAfter(tool, "Main partition table begins at sector "));
  EXPECT_EQ(NumberAfter(header, "Entrys"), NumberAfter(tool, "Partition table holds up to "));

  const std::string entries = RunOnBytes(kGptEntries, gpt).text;
  entry = 0;
  for (int n = 1; n <= 3; ++n, ++entry) {
    entry = entries.find("GUID Partition Entry", entry);
    const size_t part = tool.find("== partition " + std::to_string(n));
    ASSERT_TRUE(entry != std::string::npos && part != std::string::npos) << n;
    EXPECT_EQ(FieldAfter(entries, "guid type", entry), FieldAfter(tool, "Partition GUID code", part).substr(0, 36));
    EXPECT_EQ(FieldAfter(entries, "guid", entry), FieldAfter(tool, "Partition unique GUID", part));
    EXPECT_EQ(NumberAfter(entries, "First LBA", entry), NumberAfter(tool, "First sector", part));
    EXPECT_EQ(NumberAfter(entries, "Last LBA", entry), NumberAfter(tool, "Last sector", part));
    EXPECT_EQ(FieldAfter(entries, "Attribute", entry), "0x" + FieldAfter(tool, "Attribute flags", part));
    EXPECT_EQ("'" + FieldAfter(entries, "Name", entry) + "'", FieldAfter(tool, "Partition name", part));
  }
}

TEST(Partition, Rules) {
  // sfdisk's entries (the first active) with their CHS start sector set to 1.
  auto disk = ReadTestFile("partition/mbr.bin");
  Apply(disk, {U8(0x1C0, 1), U8(0x1D0, 1), U8(0x1E0, 1), U8(0x1F0, 1)});
  ExpectRules(kMbr, disk,
              {{"boot id 1", {U8(0x1BE, 0x01)}, {"Boot ID: 0x01[[ <--- usually 0x00 or 0x80.\\n]]"}},
               {"boot id 0x81", {U8(0x1EE, 0x81)}, {"Boot ID: 0x81[[ <--- usually 0x00 or 0x80.\\n]]"}},
               {"start sector 0", {U8(0x1C0, 0)}, {"Sector: 0x00[[ <--- usually 1.\\n]]"}},
               // The whole stored byte counts: sector 1 with a cylinder bit fails.
               {"start sector 1 of cylinder 256", {U8(0x1D0, 0x41)}, {"Sector: 0x41[[ <--- usually 1.\\n]]"}}});

  // sgdisk's header at 0x200 keeps every rule and its CRC (0xA897E7CE) is
  // confirmed. A patch inside the 92 bytes covered breaks the CRC: the
  // "Should be" values were worked out with Python's zlib.crc32 over the
  // patched header with its CRC field zeroed.
  const auto crc = [](const char* should) {
    return "Header crc32: 0xA897E7CE[[ <-- Should be 0x" + std::string(should) + "\\n]]";
  };
  ExpectRules(kGptHeader, ReadTestFile("partition/gpt.bin"),
              {{"revision 1.1", {Le32(0x208, 0x10001)}, {"Version: 1.01[[ <-- Should be 1.00.\\n]]", crc("F2944701")}},
               // A size of 0 covers nothing, whose CRC is 0.
               {"header size 0", {Le32(0x20C, 0), Le32(0x210, 0)}, {"Header Size: 0[[ <-- Should be 92.\\n]]"}},
               // A size past the sector is cut to the sector (CRC over 512 bytes).
               {"header size -1", {Le32(0x20C, ~0u)}, {"Header Size: -1[[ <-- Should be 92.\\n]]", crc("FE87EFA2")}},
               {"primary lba past 32 bits", {Le64(0x218, 0x100000001)},
                {crc("27A2CA5B"), "Primary LBA: 4294967297[[ <-- Should be 1.\\n]]"}},
               {"entry array lba -2", {Le64(0x248, ~uint64_t{1})},
                {crc("E4507ADC"), "Entry Offset: -2[[ <-- Should be 2.\\n]]"}},
               {"entry size 132", {Le32(0x254, 132)},
                {crc("2CDDE934"), "Entry size: 132[[ <-- Should be a multiple of 8.\\n]]"}},
               // The reserved rest of the sector is not covered by the CRC.
               {"reserved rest", {U8(0x3FF, 0x41)},
                {"000003FC  00 00 00 41                                         ...A[[",
                 "One or more of the values above was not zero.\\n]]"}}});
}

}  // namespace
}  // namespace trovik::test
