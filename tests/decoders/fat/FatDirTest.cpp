#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunDecoder;

std::vector<uint8_t> ShortEntry(uint8_t attribute, uint16_t clusterHigh, uint16_t clusterLow) {
  std::vector<uint8_t> e(32, 0);
  std::memcpy(&e[fat::kDirName], "KERNEL  SYS", 11);
  e[fat::kDirAttribute] = attribute;
  e[fat::kDirCreationTenths] = 0x64;
  PutLe16(&e[fat::kDirCreationTime], 0x6A3D);
  PutLe16(&e[fat::kDirCreationDate], 0x5822);
  PutLe16(&e[fat::kDirAccessDate], 0x5865);
  PutLe16(&e[fat::kDirClusterHigh], clusterHigh);
  PutLe16(&e[fat::kDirTime], (13 << 11) | (17 << 5) | 31);
  PutLe16(&e[fat::kDirDate], (45 << 9) | (1 << 5) | 1);
  PutLe16(&e[fat::kDirClusterLow], clusterLow);
  PutLe32(&e[fat::kDirFileSize], 0x80000001);
  return e;
}

std::string Dir(const std::vector<uint8_t>& bytes, int count = 1) {
  return RunDecoder(DumpFatDir, MakeRequest(DumpType::FatDir, "0", "0", count), bytes).marked;
}
std::string Lfn(const std::vector<uint8_t>& bytes, int count = 1) {
  return RunDecoder(DumpFatLfn, MakeRequest(DumpType::FatLfn, "0", "0", count), bytes).marked;
}

TEST(FatDir, ShortEntryListing) {
  EXPECT_EQ(Dir(ShortEntry(0x30, 0x0012, 0x3456)),
            "FAT Root Entry (non LFN) (0x00000000)\n"
            "                  Name: KERNEL  \n"
            "             Extension: SYS\n"
            "             Attribute: 0x30  Archive Subdirectory\n"
            "        FAT12:reserved: 00 64 3D 6A 22 58 65 58 12 00\n"
            "        FAT32:reserved: 00\n"
            "   FAT32:creation 10th: 0x64\n"
            "   FAT32:creation time: 0x6A3D\n"
            "   FAT32:creation date: 0x5822\n"
            "   FAT32:last accessed: 0x5865\n"
            "FAT32:hi word start cluster: 0x0012\n"
            "                  Time: 0x6A3F  (13:17:62) (hms) \n"
            "                  Date: 0x5A21  (2025/01/01) (ymd) \n"
            "      Starting Cluster: 0x3456 (0x00123456)\n"
            "             File Size: -2147483647\n"
            "\n");
}

TEST(FatDir, AttributeNamesAndReservedBits) {
  EXPECT_NE(Dir(ShortEntry(0x0F, 0, 2)).find("Attribute: 0x0F  Volume Label System Hidden Read Only\n"),
            std::string::npos);
  EXPECT_NE(Dir(ShortEntry(0x00, 0, 2)).find("Attribute: 0x00 \n"), std::string::npos);
  EXPECT_NE(Dir(ShortEntry(0x40, 0, 2)).find("Attribute: 0x40 [[ <--- Bits 7 and 6 are not zero.\n]]"),
            std::string::npos);
  EXPECT_NE(
      Dir(ShortEntry(0xA1, 0, 2)).find("Attribute: 0xA1  Archive Read Only[[ <--- Bits 7 and 6 are not zero.\n]]"),
      std::string::npos);
  EXPECT_EQ(Dir(ShortEntry(0x3F, 0, 2)).find("[["), std::string::npos);
}

TEST(FatDir, StartClusterRule) {
  const char* const note = "[[ <--- should be 0x0002 or higher.\n]]";
  EXPECT_NE(Dir(ShortEntry(0x10, 0, 0)).find(std::string("(0x00000000)") + note), std::string::npos);
  EXPECT_NE(Dir(ShortEntry(0x10, 0, 1)).find(note), std::string::npos);
  // A high word makes the cluster number large enough...
  EXPECT_EQ(Dir(ShortEntry(0x10, 0x0001, 0)).find(note), std::string::npos);
  // ...unless it makes it negative as a signed number.
  EXPECT_NE(Dir(ShortEntry(0x10, 0x8000, 1)).find(note), std::string::npos);
  EXPECT_EQ(Dir(ShortEntry(0x10, 0, 2)).find(note), std::string::npos);
}

TEST(FatDir, CountWalkOverASector) {
  std::vector<uint8_t> sector;
  for (int i = 0; i < 16; ++i) {
    auto e = ShortEntry(0x20, 0, static_cast<uint16_t>(2 + i));
    sector.insert(sector.end(), e.begin(), e.end());
  }
  const std::string text = Dir(sector, 16);
  size_t at = 0;
  for (int i = 0; i < 16; ++i) {
    char title[64];
    std::snprintf(title, sizeof title, "FAT Root Entry (non LFN) (0x%08X)\n", 32 * i);
    const size_t found = text.find(title, at);
    ASSERT_NE(found, std::string::npos) << title;
    EXPECT_TRUE(i == 0 || text.compare(found - 2, 2, "\n\n") == 0) << i;
    at = found + 1;
  }
  EXPECT_TRUE(text.ends_with("File Size: -2147483647\n\n"));

  test::ScriptedHost host;
  host.abortAfterPolls = 2;
  auto aborted = RunDecoder(DumpFatDir, MakeRequest(DumpType::FatDir, "0", "0", 16), sector, &host);
  EXPECT_EQ(aborted.status, RunStatus::Aborted);
  EXPECT_NE(aborted.text.find("(0x00000040)"), std::string::npos);
  EXPECT_EQ(aborted.text.find("(0x00000060)"), std::string::npos);
  EXPECT_TRUE(aborted.text.ends_with("\n\n\nUser Abort..."));
}

std::vector<uint8_t> LfnEntry(uint8_t sequence, const char16_t* name13) {
  std::vector<uint8_t> e(32, 0);
  e[fat::kLfnSequence] = sequence;
  e[fat::kLfnAttribute] = 0x0F;
  e[fat::kLfnChecksum] = 0xDE;
  const size_t slots[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  for (int i = 0; i < 13; ++i) PutLe16(&e[slots[i]], static_cast<uint16_t>(name13[i]));
  return e;
}

TEST(FatLfn, EntryListing) {
  auto bytes = LfnEntry(0x41, u"Quarterly r\u0000\uFFFF");
  auto second = LfnEntry(0xE5, u"ABCDEFGHIJKLM");
  second[fat::kLfnAttribute] = 0x0E;
  second[fat::kLfnReserved] = 0x7A;
  PutLe16(&second[fat::kLfnZero], 0x0100);
  bytes.insert(bytes.end(), second.begin(), second.end());
  EXPECT_EQ(Lfn(bytes, 2),
            "FAT Root Entry (LFN) (0x00000000)\n"
            "            Sequ_flags: 41  (deleted = N last = Y number = 1) \n"
            "                  Name: Quart\n"
            "             Attribute: 0x0F\n"
            "              Reserved: 00\n"
            "                   crc: 0xDE\n"
            "                  Name: erly r\n"
            "                  Zero: 0x0000\n"
            "                  Name: \xB7\xB7\n"
            "\n"
            "FAT Root Entry (LFN) (0x00000020)\n"
            "            Sequ_flags: E5  (deleted = Y last = Y number = 37) \n"
            "                  Name: ABCDE\n"
            "             Attribute: 0x0E[[ <--- should be 0x0F.\n]]"
            "              Reserved: 7A\n"
            "                   crc: 0xDE\n"
            "                  Name: FGHIJK\n"
            "                  Zero: 0x0100[[ <--- should be 0x0000.\n]]"
            "                  Name: LM\n"
            "\n");
}

TEST(FatLfn, SequenceByteFlags) {
  const struct {
    uint8_t byte;
    const char* text;
  } cases[] = {
      {0x00, "00  (deleted = N last = N number = 0) "},
      {0x3F, "3F  (deleted = N last = N number = 63) "},
      {0x80, "80  (deleted = Y last = N number = 0) "},
      {0x02, "02  (deleted = N last = N number = 2) "},
  };
  for (const auto& c : cases)
    EXPECT_NE(Lfn(LfnEntry(c.byte, u"abcdefghijklm")).find(c.text), std::string::npos) << c.text;
}

}  // namespace
}  // namespace trovik
