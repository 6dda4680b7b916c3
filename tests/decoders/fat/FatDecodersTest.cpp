#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decoders/fat/FatDecoders.h"
#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
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

TEST(FatBpb, RuleAnnotations) {
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
  const std::string text = Bpb(b);
  const char* const annotated[] = {
      "OEM Name: MS\xB7IN4.\xB7\n      Bytes per Sector: 512\n",
      "Sectors per Cluster: 3[[ <-- Must be a power of 2, from 1 to 128, and ((n * bytes_per_sect) < 32k).\n]]",
      "Sectors reserved: 4[[ <-- Usually is 1.\n]]",
      "Fats: 3[[ <-- Should be 1 or 2.\n]]",
      "Root Entries: 513[[ <-- Should be from 1 to 512.\n]]",
      "Sectors: 60000[[ <-- Should be zero if Sectors Extended is not zero.\n]]",
      "Sectors Extended: 204800[[ <-- Should be zero if Sectors above is not zero.\n]]",
      "Drive Num: 128[[ <-- Usually is zero, but is OS specific.\n]]",
      "reserved: 01[[ <-- Should be zero.\n]]",
      "Sig: 28[[ <-- Should be 0x29.\n]]",
      "sys type: fat16   [[ <-- Should be 'FAT12   ' or 'FAT16   '.\n]]",
  };
  for (const char* line : annotated) EXPECT_NE(text.find(line), std::string::npos) << line;

  // Valid blocks earn no red line; either total alone is fine; the type text
  // is compared byte for byte, so zero padding fails.
  EXPECT_EQ(Bpb(Fat16Sector()).find("[["), std::string::npos);
  EXPECT_EQ(Bpb32(Fat32Sector()).find("[["), std::string::npos);
  b = Fat16Sector();
  std::memcpy(&b[fat::kFsType], "FAT12   ", 8);
  PutLe16(&b[fat::kTotalSectors16], 2880);
  PutLe32(&b[fat::kTotalSectors32], 0);
  EXPECT_EQ(Bpb(b).find("[["), std::string::npos);
  std::memcpy(&b[fat::kFsType], "FAT12\0\0\0", 8);
  EXPECT_NE(Bpb(b).find("sys type: FAT12\xB7\xB7\xB7[[ <-- Should be 'FAT12   ' or 'FAT16   '.\n]]"),
            std::string::npos);
}

TEST(FatBpb, SectorSizeClusterAndFlagRules) {
  struct Case {
    uint16_t bps;
    uint8_t n;
    bool bpsOk;
    bool clusterOk;
  };
  const Case cases[] = {
      {512, 64, true, true},   {512, 128, true, false}, {512, 0, true, false},   {512, 3, true, false},
      {4096, 8, true, true},   {4096, 16, true, false}, {256, 1, false, true},   {8192, 1, false, true},
  };
  for (const Case& c : cases) {
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
  for (uint16_t flags : {0x008F, 0x0010, 0x0040, 0x0100, 0x8000}) {
    auto b = Fat32Sector();
    PutLe16(&b[fat::kExtendedFlags], flags);
    EXPECT_EQ(Bpb32(b).find("Bits 15-8") == std::string::npos, flags == 0x008F) << flags;
  }
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

std::vector<uint8_t> InfoSector() {
  std::vector<uint8_t> s(512, 0);
  PutLe32(&s[fat::kInfoLeadSig], fat::kInfoLeadSigValue);
  PutLe32(&s[fat::kInfoStructSig], fat::kInfoStructSigValue);
  PutLe32(&s[fat::kInfoFreeCount], 0xFFFFFFFF);
  PutLe32(&s[fat::kInfoNextFree], 0x00000003);
  PutLe32(&s[fat::kInfoTrailSig], fat::kInfoTrailSigValue);
  return s;
}

std::string Info(const std::vector<uint8_t>& bytes, const std::string& start = "0") {
  return RunDecoder(DumpFat32Info, MakeRequest(DumpType::Fat32Info, start), bytes).marked;
}

TEST(Fat32Info, ValidSectorListing) {
  std::string zeroLines;
  for (uint32_t at = 4; at < 4 + 480; at += 16)
    zeroLines += Format("\n%08X  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................", at);
  EXPECT_EQ(Info(InfoSector()),
            "FAT32 Info Block (0x00000000)\n"
            "                   sig: 0x41615252  ('AaRR') [1]\n"
            "              reserved:" +
                zeroLines +
                "\n"
                "            struct sig: 0x61417272  ('aArr') [1]\n"
                "    Free Cluster Count: -1  (Unknown)\n"
                "     Next Free Cluster: 0x00000003\n"
                "              reserved: 00 00 00 00 00 00 00 00 00 00 00 00\n"
                "          Trailing sig: 0xAA550000\n"
                "\n"
                "Footnotes:\n"
                " 1.   32-bit litteral in PRAXO litteral format");
}

TEST(Fat32Info, BrokenSignaturesAndReservedBytes) {
  auto s = InfoSector();
  PutLe32(&s[fat::kInfoLeadSig], 0x41615200);  // a zero byte shows as the placeholder
  PutLe32(&s[fat::kInfoStructSig], 0);
  PutLe32(&s[fat::kInfoFreeCount], 1000);
  PutLe32(&s[fat::kInfoTrailSig], 0x55AA0000);
  s[fat::kInfoReserved + 479] = 'Z';
  s[fat::kInfoReserved2] = 0x01;  // the second reserved area is shown, not judged
  const std::string text = Info(s);
  EXPECT_NE(text.find("sig: 0x41615200  ('AaR\xB7') [1][[ <--- should be 0x41615252.\n]]"), std::string::npos);
  EXPECT_NE(text.find("\n000001D4  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 5A     ...............Z"
                      "[[\nOne or more of the values above was not zero.\n\n]]"
                      "            struct sig: 0x00000000  ('\xB7\xB7\xB7\xB7') [1][[ <--- should be 0x61417272.\n]]"
                      "    Free Cluster Count: 1000  \n"),
            std::string::npos);
  EXPECT_NE(text.find("reserved: 01 00 00 00 00 00 00 00 00 00 00 00\n"), std::string::npos);
  EXPECT_NE(text.find("Trailing sig: 0x55AA0000[[ <--- should be 0xAA550000.\n]]\nFootnotes:"), std::string::npos);
}

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

TEST(FatDir, AttributeAndStartClusterRules) {
  EXPECT_NE(Dir(ShortEntry(0x0F, 0, 2)).find("Attribute: 0x0F  Volume Label System Hidden Read Only\n"),
            std::string::npos);
  EXPECT_NE(
      Dir(ShortEntry(0xA1, 0, 2)).find("Attribute: 0xA1  Archive Read Only[[ <--- Bits 7 and 6 are not zero.\n]]"),
      std::string::npos);
  EXPECT_NE(Dir(ShortEntry(0x40, 0, 2)).find("Attribute: 0x40 [[ <--- Bits 7 and 6 are not zero.\n]]"),
            std::string::npos);
  EXPECT_EQ(Dir(ShortEntry(0x3F, 0, 2)).find("[["), std::string::npos);

  // A high word makes the cluster number large enough, unless it makes it
  // negative as a signed number.
  const char* const note = "[[ <--- should be 0x0002 or higher.\n]]";
  EXPECT_NE(Dir(ShortEntry(0x10, 0, 0)).find(std::string("(0x00000000)") + note), std::string::npos);
  EXPECT_NE(Dir(ShortEntry(0x10, 0, 1)).find(note), std::string::npos);
  EXPECT_EQ(Dir(ShortEntry(0x10, 0x0001, 0)).find(note), std::string::npos);
  EXPECT_NE(Dir(ShortEntry(0x10, 0x8000, 1)).find(note), std::string::npos);
}

TEST(FatDir, CountWalkAndAbort) {
  std::vector<uint8_t> sector;
  for (int i = 0; i < 16; ++i) {
    auto e = ShortEntry(0x20, 0, static_cast<uint16_t>(2 + i));
    sector.insert(sector.end(), e.begin(), e.end());
  }
  const std::string text = Dir(sector, 16);
  EXPECT_NE(text.find("\n\nFAT Root Entry (non LFN) (0x000001E0)\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("File Size: -2147483647\n\n"));
  EXPECT_EQ(Dir(sector, 0), "");

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

TEST(FatLfn, EntryListingAndAnnotations) {
  EXPECT_EQ(Lfn(LfnEntry(0x41, u"Quarterly r\u0000\uFFFF")),
            "FAT Root Entry (LFN) (0x00000000)\n"
            "            Sequ_flags: 41  (deleted = N last = Y number = 1) \n"
            "                  Name: Quart\n"
            "             Attribute: 0x0F\n"
            "              Reserved: 00\n"
            "                   crc: 0xDE\n"
            "                  Name: erly r\n"
            "                  Zero: 0x0000\n"
            "                  Name: \xB7\xB7\n"
            "\n");
  auto odd = LfnEntry(0xE5, u"ABCDEFGHIJKLM");
  odd[fat::kLfnAttribute] = 0x0E;
  PutLe16(&odd[fat::kLfnZero], 0x0100);
  const std::string text = Lfn(odd);
  EXPECT_NE(text.find("Sequ_flags: E5  (deleted = Y last = Y number = 37) \n"), std::string::npos);
  EXPECT_NE(text.find("Attribute: 0x0E[[ <--- should be 0x0F.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Zero: 0x0100[[ <--- should be 0x0000.\n]]"), std::string::npos);
  EXPECT_NE(Lfn(LfnEntry(0x80, u"abcdefghijklm")).find("80  (deleted = Y last = N number = 0) "), std::string::npos);
}

TEST(Fat32Info, SectorCutByTheEndOfTheFile) {
  std::vector<uint8_t> bytes(20, 0);
  PutLe32(&bytes[16], fat::kInfoLeadSigValue);
  const std::string text = Info(bytes, "16");
  EXPECT_NE(text.find("sig: 0x41615252  ('AaRR') [1]\n"), std::string::npos);
  EXPECT_NE(text.find("Trailing sig: 0x00000000[[ <--- should be 0xAA550000.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Free Cluster Count: 0  \n"), std::string::npos);
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
