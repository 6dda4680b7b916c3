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

// A FAT16 boot sector that keeps every rule.
std::vector<uint8_t> Fat16Sector() {
  std::vector<uint8_t> b(512, 0);
  b[0] = 0xEB;
  b[1] = 0x3C;
  b[2] = 0x90;
  std::memcpy(&b[fat::kOemName], "MSWIN4.1", 8);
  PutLe16(&b[fat::kBytesPerSector], 512);
  b[fat::kSectorsPerCluster] = 4;
  PutLe16(&b[fat::kReservedSectors], 1);
  b[fat::kFatCount] = 2;
  PutLe16(&b[fat::kRootEntries], 512);
  PutLe16(&b[fat::kTotalSectors16], 0);
  b[fat::kMediaDescriptor] = 0xF8;
  PutLe16(&b[fat::kSectorsPerFat16], 200);
  PutLe16(&b[fat::kSectorsPerTrack], 63);
  PutLe16(&b[fat::kHeads], 255);
  PutLe32(&b[fat::kHiddenSectors], 0x80000000);
  PutLe32(&b[fat::kTotalSectors32], 204800);
  b[fat::kBootSignature] = 0x29;
  PutLe32(&b[fat::kSerial], 0x1234ABCD);
  std::memcpy(&b[fat::kLabel], "NO NAME    ", 11);
  std::memcpy(&b[fat::kFsType], "FAT16   ", 8);
  return b;
}

// A FAT32 boot sector that keeps every rule.
std::vector<uint8_t> Fat32Sector() {
  std::vector<uint8_t> b(512, 0);
  b[0] = 0xEB;
  b[1] = 0x58;
  b[2] = 0x90;
  std::memcpy(&b[fat::kOemName], "MSWIN4.1", 8);
  PutLe16(&b[fat::kBytesPerSector], 4096);
  b[fat::kSectorsPerCluster] = 8;
  PutLe16(&b[fat::kReservedSectors], 32);
  b[fat::kFatCount] = 1;
  b[fat::kMediaDescriptor] = 0xF0;
  PutLe32(&b[fat::kTotalSectors32], 0xFFFFFFFF);
  PutLe32(&b[fat::kSectorsPerFat32], 1000);
  PutLe16(&b[fat::kExtendedFlags], 0x0081);
  PutLe32(&b[fat::kRootCluster], 2);
  PutLe16(&b[fat::kInfoSector], 1);
  PutLe16(&b[fat::kBackupBootSector], 6);
  b[fat::kDriveNumber32] = 0x80;
  b[fat::kBootSignature32] = 0x28;  // only the FAT12/16 listing checks it
  PutLe32(&b[fat::kSerial32], 0xCAFE0001);
  std::memcpy(&b[fat::kLabel32], "DATA       ", 11);
  std::memcpy(&b[fat::kFsType32], "FAT32   ", 8);
  return b;
}

std::string Bpb(const std::vector<uint8_t>& b) {
  return RunDecoder(DumpFatBpb, MakeRequest(DumpType::FatBpb, "0"), b).marked;
}
std::string Bpb32(const std::vector<uint8_t>& b) {
  return RunDecoder(DumpFat32Bpb, MakeRequest(DumpType::Fat32Bpb, "0"), b).marked;
}

TEST(FatBpb, ListingWithViolations) {
  auto b = Fat16Sector();
  b[fat::kOemName + 2] = 0x01;  // control bytes show as the placeholder
  b[fat::kOemName + 7] = 0x00;
  b[fat::kSectorsPerCluster] = 3;
  PutLe16(&b[fat::kReservedSectors], 4);
  b[fat::kFatCount] = 3;
  PutLe16(&b[fat::kRootEntries], 513);
  PutLe16(&b[fat::kTotalSectors16], 60000);
  b[fat::kDriveNumber] = 0x80;
  b[fat::kReserved1] = 1;
  b[fat::kBootSignature] = 0x28;
  std::memcpy(&b[fat::kFsType], "fat16   ", 8);
  EXPECT_EQ(Bpb(b),
            "Fat12/16 BIOS Parameter Block (0x00000000)\n"
            "                  Jump: EB 3C 90\n"
            "              OEM Name: MS\xB7IN4.\xB7\n"
            "      Bytes per Sector: 512\n"
            "   Sectors per Cluster: 3[[ <-- Must be a power of 2, from 1 to 128, and ((n * bytes_per_sect) < 32k).\n]]"
            "      Sectors reserved: 4[[ <-- Usually is 1.\n]]"
            "                  Fats: 3[[ <-- Should be 1 or 2.\n]]"
            "          Root Entries: 513[[ <-- Should be from 1 to 512.\n]]"
            "               Sectors: 60000[[ <-- Should be zero if Sectors Extended is not zero.\n]]"
            "            Descriptor: 0xF8\n"
            "       Sectors per FAT: 200\n"
            "     Sectors per Track: 63\n"
            "                 Heads: 255\n"
            "        Hidden Sectors: -2147483648\n"
            "      Sectors Extended: 204800[[ <-- Should be zero if Sectors above is not zero.\n]]"
            "             Drive Num: 128[[ <-- Usually is zero, but is OS specific.\n]]"
            "              reserved: 01[[ <-- Should be zero.\n]]"
            "                   Sig: 28[[ <-- Should be 0x29.\n]]"
            "                Serial: 1234ABCD\n"
            "                 Label: NO NAME    \n"
            "              sys type: fat16   [[ <-- Should be 'FAT12   ' or 'FAT16   '.\n]]");
}

TEST(FatBpb, ValidBlocksEarnNoRedLine) {
  EXPECT_EQ(Bpb(Fat16Sector()).find("[["), std::string::npos);
  auto b = Fat16Sector();
  std::memcpy(&b[fat::kFsType], "FAT12   ", 8);
  PutLe16(&b[fat::kTotalSectors16], 2880);
  PutLe32(&b[fat::kTotalSectors32], 0);  // either total alone is fine
  EXPECT_EQ(Bpb(b).find("[["), std::string::npos);
  EXPECT_EQ(Bpb32(Fat32Sector()).find("[["), std::string::npos);
}

TEST(FatBpb, SectorSizeAndClusterRules) {
  struct Case {
    uint16_t bps;
    uint8_t n;
    bool bpsOk;
    bool clusterOk;
  };
  const Case cases[] = {
      {512, 64, true, true},   {512, 128, true, false}, {512, 0, true, false},   {512, 3, true, false},
      {512, 255, true, false}, {4096, 8, true, true},   {4096, 16, true, false}, {1024, 32, true, true},
      {256, 1, false, true},   {0, 1, false, true},     {2048, 16, true, true},  {8192, 1, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidBytesPerSector(c.bps), c.bpsOk) << c.bps;
    EXPECT_EQ(IsValidSectorsPerCluster(c.n, c.bps), c.clusterOk) << c.bps << " x " << int(c.n);
    auto b = Fat16Sector();
    PutLe16(&b[fat::kBytesPerSector], c.bps);
    b[fat::kSectorsPerCluster] = c.n;
    const std::string text = Bpb(b);
    EXPECT_EQ(text.find(" <-- Must be 512, 1024, 2048, or 4096.") == std::string::npos, c.bpsOk) << c.bps;
    EXPECT_EQ(text.find(" <-- Must be a power of 2, from 1 to 128") == std::string::npos, c.clusterOk)
        << c.bps << " x " << int(c.n);
    auto b32 = Fat32Sector();
    PutLe16(&b32[fat::kBytesPerSector], c.bps);
    b32[fat::kSectorsPerCluster] = c.n;
    EXPECT_EQ(Bpb32(b32).find(" <-- Must be a power of 2, between 1 and 128, and ((n * bytes_per_sect) < 32k).\n") ==
                  std::string::npos,
              c.clusterOk);
  }
}

TEST(FatBpb, TotalSectorFieldsAndTypeText) {
  auto b = Fat16Sector();
  PutLe16(&b[fat::kTotalSectors16], 1);
  PutLe32(&b[fat::kTotalSectors32], 0);
  EXPECT_EQ(Bpb(b).find("[["), std::string::npos);
  PutLe16(&b[fat::kTotalSectors16], 0);
  EXPECT_EQ(Bpb(b).find("[["), std::string::npos);

  // The type text is compared byte for byte: zero padding fails.
  std::memcpy(&b[fat::kFsType], "FAT12\0\0\0", 8);
  EXPECT_NE(Bpb(b).find("sys type: FAT12\xB7\xB7\xB7[[ <-- Should be 'FAT12   ' or 'FAT16   '.\n]]"),
            std::string::npos);
  EXPECT_TRUE(FsTypeIs(reinterpret_cast<const uint8_t*>("FAT32   "), "FAT32   "));
  EXPECT_FALSE(FsTypeIs(reinterpret_cast<const uint8_t*>("FAT32  x"), "FAT32   "));
}

TEST(Fat32Bpb, ListingWithViolations) {
  auto b = Fat32Sector();
  PutLe16(&b[fat::kReservedSectors], 6);
  b[fat::kFatCount] = 0;
  PutLe16(&b[fat::kRootEntries], 512);
  PutLe16(&b[fat::kTotalSectors16], 100);
  PutLe16(&b[fat::kSectorsPerFat16], 9);
  PutLe16(&b[fat::kExtendedFlags], 0x0010);
  PutLe16(&b[fat::kFsVersion], 0x0100);
  PutLe32(&b[fat::kRootCluster], 0x10);
  PutLe16(&b[fat::kInfoSector], 2);
  PutLe16(&b[fat::kBackupBootSector], 0);
  b[fat::kReserved32 + 11] = 0x5A;
  b[fat::kReserved1_32] = 0xFF;
  std::memcpy(&b[fat::kFsType32], "FAT     ", 8);
  EXPECT_EQ(Bpb32(b),
            "FAT32 BIOS Parameter Block (0x00000000)\n"
            "                  Jump: EB 58 90\n"
            "              OEM Name: MSWIN4.1\n"
            "      Bytes per Sector: 4096\n"
            "   Sectors per Cluster: 8\n"
            "      Sectors reserved: 6[[ <-- Usually is 32.\n]]"
            "                  Fats: 0[[ <-- Should be 1 or 2.\n]]"
            "          Root Entries: 512[[ <-- Should be 0.\n]]"
            "               Sectors: 100[[ <-- Should be 0.\n]]"
            "            Descriptor: 0xF0\n"
            "       Sectors per FAT: 9[[ <-- Should be 0.\n]]"
            "     Sectors per Track: 0\n"
            "                 Heads: 0\n"
            "        Hidden Sectors: 0\n"
            "      Sectors Extended: -1\n"
            "    Sectors per FAT 32: 1000\n"
            "        Extended Flags: 0x0010[[ <-- Bits 15-8 and 6-4 should be zero.\n]]"
            "            FS Version: 0x0100[[ <-- Should be zero. (0.0)\n]]"
            "   Root Cluster Number: 0x00000010[[ <-- Usually is 2.\n]]"
            "    Info Sector Number: 2[[ <-- Usually is 1.\n]]"
            "    Backup boot Sector: 0[[ <-- Usually is 6.\n]]"
            "                  resv: 00 00 00 00 00 00 00 00 00 00 00 5A[[ <-- Should be zeros.\n]]"
            "             Drive Num: 128\n"
            "              reserved: FF[[ <-- Should be zero.\n]]"
            "                   Sig: 28\n"
            "                Serial: CAFE0001\n"
            "                 Label: DATA       \n"
            "              sys type: FAT     [[ <-- Should be 'FAT32   '.\n]]");
}

TEST(Fat32Bpb, ExtendedFlagsMask) {
  for (uint16_t flags : {0x0000, 0x0080, 0x008F, 0x0010, 0x0040, 0x0100, 0x8000}) {
    auto b = Fat32Sector();
    PutLe16(&b[fat::kExtendedFlags], flags);
    EXPECT_EQ(Bpb32(b).find("Bits 15-8") == std::string::npos, (flags & 0xFF70) == 0) << flags;
  }
}

TEST(FatBpb, ShortAndRandomInput) {
  // A block cut by the end of the file decodes zeros for the rest.
  std::vector<uint8_t> tail = {0xEB, 0x3C, 0x90, 'A', 'B'};
  const std::string text = RunDecoder(DumpFatBpb, MakeRequest(DumpType::FatBpb, "0"), tail).text;
  EXPECT_NE(text.find("OEM Name: AB\xB7\xB7\xB7\xB7\xB7\xB7\n"), std::string::npos);
  EXPECT_NE(text.find("Serial: 00000000\n"), std::string::npos);

  uint32_t seed = 12345;
  for (int round = 0; round < 200; ++round) {
    std::vector<uint8_t> bytes(1 + round % 97);
    for (auto& byte : bytes) {
      seed = seed * 1103515245 + 12345;
      byte = static_cast<uint8_t>(seed >> 16);
    }
    const std::string start = std::to_string(round % bytes.size());
    for (Decoder d : {DumpFatBpb, DumpFat32Bpb, DumpFatDir, DumpFatLfn, DumpFat32Info}) {
      const auto result = RunDecoder(d, MakeRequest(DumpType::FatBpb, start, "0", 3), bytes);
      EXPECT_FALSE(result.text.empty());
      EXPECT_EQ(result.text.find('\0'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace trovik
