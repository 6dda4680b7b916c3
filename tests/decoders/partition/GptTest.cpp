#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "decoders/partition/Crc32.h"
#include "decoders/partition/GptLayout.h"
#include "decoders/partition/PartitionDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::RunDecoder;

constexpr uint8_t kEspType[16] = {0x28, 0x73, 0x2A, 0xC1, 0x1F, 0xF8, 0xD2, 0x11,
                                  0xBA, 0x4B, 0x00, 0xA0, 0xC9, 0x3E, 0xC9, 0x3B};

// A valid header sector; Seal stores its CRC.
std::vector<uint8_t> Header() {
  std::vector<uint8_t> h(512, 0);
  std::memcpy(h.data(), "EFI PART", 8);
  PutLe32(&h[gpt::kRevision], 0x00010000);
  PutLe32(&h[gpt::kHeaderSize], 92);
  PutLe64(&h[gpt::kPrimaryLba], 1);
  PutLe64(&h[gpt::kBackupLba], 131071);
  PutLe64(&h[gpt::kFirstUsableLba], 34);
  PutLe64(&h[gpt::kLastUsableLba], 131038);
  std::memcpy(&h[gpt::kDiskGuid], kEspType, 16);
  PutLe64(&h[gpt::kEntryArrayLba], 2);
  PutLe32(&h[gpt::kEntryCount], 128);
  PutLe32(&h[gpt::kEntrySizeField], 128);
  PutLe32(&h[gpt::kEntryArrayCrc], 0xDEADBEEF);
  return h;
}

void Seal(std::vector<uint8_t>& h) { PutLe32(&h[gpt::kHeaderCrc], GptHeaderCrc(h.data())); }

std::string DumpHeader(const std::vector<uint8_t>& h) {
  return RunDecoder(DumpGptHeader, MakeRequest(DumpType::GptHeader, "0"), h).marked;
}

// The 27 lines of an all-zero reserved area at offset 0x5C.
std::string ZeroReservedListing() {
  std::string lines;
  for (uint32_t offset = 0x5C; offset < 0x1FC; offset += 16)
    lines += Format("\n%08X  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................", offset);
  return lines + "\n000001FC  00 00 00 00                                         ....";
}

TEST(Crc32, KnownValuesAndGuidText) {
  const Crc32 crc;
  EXPECT_EQ(crc.Compute("123456789", 9), 0xCBF43926u);
  EXPECT_EQ(crc.Compute("", 0), 0u);
  EXPECT_EQ(GuidText(kEspType), "C12A7328-F81F-11D2-BA4B-00A0C93EC93B");
}

TEST(GptHeader, ValidHeaderListing) {
  auto h = Header();
  Seal(h);
  const std::string stored = Format("0x%08X", Le32(&h[gpt::kHeaderCrc]));
  EXPECT_EQ(DumpHeader(h), std::string("GUID Partition Header (0x00000000)\n"
                                       "                   sig: 45 46 49 20 50 41 52 54  'EFI PART'\n"
                                       "               Version: 1.00\n"
                                       "           Header Size: 92\n"
                                       "          Header crc32: ") +
                               stored +
                               " (correct)\n"
                               "              reserved: 00000000\n"
                               "           Primary LBA: 1\n"
                               "            Backup LBA: 131071\n"
                               "      First Usable LBA: 34\n"
                               "       Last Usable LBA: 131038\n"
                               "                  guid: C12A7328-F81F-11D2-BA4B-00A0C93EC93B\n"
                               "          Entry Offset: 2\n"
                               "                Entrys: 128\n"
                               "            Entry size: 128\n"
                               "           Entry crc32: DEADBEEF\n" +
                               ZeroReservedListing() + "\n");
}

TEST(GptHeader, FieldRules) {
  auto h = Header();
  PutLe32(&h[gpt::kRevision], 0x00010001);
  PutLe64(&h[gpt::kPrimaryLba], 0x100000000ULL + 1);  // only the 64-bit value counts
  PutLe64(&h[gpt::kEntryArrayLba], static_cast<uint64_t>(-2));
  PutLe32(&h[gpt::kEntrySizeField], 132);
  Seal(h);
  const std::string text = DumpHeader(h);
  EXPECT_NE(text.find("Version: 1.01[[ <-- Should be 1.00.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Primary LBA: 4294967297[[ <-- Should be 1.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Entry Offset: -2[[ <-- Should be 2.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Entry size: 132[[ <-- Should be a multiple of 8.\n]]"), std::string::npos);
  EXPECT_FALSE(text.ends_with("]]"));

  h[511] = 0x41;
  h[101] = 0x7F;
  Seal(h);
  const std::string other = DumpHeader(h);
  EXPECT_NE(other.find("\n0000005C  00 00 00 00 00 00 00 00-00 7F 00 00 00 00 00 00     .........\x7F......\n"),
            std::string::npos);
  EXPECT_TRUE(other.ends_with("\n000001FC  00 00 00 41                                         ...A"
                              "[[\nOne or more of the values above was not zero.\n]]"));
}

TEST(GptHeader, CrcCheck) {
  auto h = Header();
  Seal(h);
  const uint32_t good = Le32(&h[gpt::kHeaderCrc]);
  PutLe32(&h[gpt::kHeaderCrc], good ^ 1);
  char expected[80];
  std::snprintf(expected, sizeof expected, "Header crc32: 0x%08X[[ <-- Should be 0x%08X\n]]", good ^ 1, good);
  EXPECT_NE(DumpHeader(h).find(expected), std::string::npos);

  // A size field of 0 covers nothing: the computed CRC is 0.
  PutLe32(&h[gpt::kHeaderSize], 0);
  PutLe32(&h[gpt::kHeaderCrc], 0);
  EXPECT_NE(DumpHeader(h).find("Header crc32: 0x00000000 (correct)\n"), std::string::npos);

  // A size field with the top bit set is clamped to the sector (never a
  // negative length); so is one just above it.
  for (uint32_t size : {0x80000000u, 0xFFFFFFFFu, 513u}) {
    PutLe32(&h[gpt::kHeaderSize], size);
    PutLe32(&h[gpt::kHeaderCrc], 0);
    EXPECT_EQ(GptHeaderCrc(h.data()), Crc32().Compute(h.data(), 512)) << size;
    PutLe32(&h[gpt::kHeaderCrc], GptHeaderCrc(h.data()));
    const std::string text = DumpHeader(h);
    EXPECT_NE(text.find(" (correct)\n"), std::string::npos) << size;
    EXPECT_NE(text.find("[[ <-- Should be 92.\n]]"), std::string::npos) << size;
  }
}

TEST(GptHeader, ZeroSignatureBytesAndHeaderAtTheEndOfTheFile) {
  auto h = Header();
  h[3] = 0;
  h[7] = 0;
  EXPECT_NE(DumpHeader(h).find("sig: 45 46 49 00 50 41 52 00  'EFIPAR'\n               Version"), std::string::npos);

  std::vector<uint8_t> bytes(600, 0xFF);
  const std::string text = RunDecoder(DumpGptHeader, MakeRequest(DumpType::GptHeader, "590"), bytes).marked;
  EXPECT_NE(text.find("GUID Partition Header (0x0000024E)[[ <-- (past the end of the file)\n]]"
                      "                   sig: FF FF FF FF FF FF FF FF  '\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF'\n"),
            std::string::npos);
  // Only two bytes of the revision were in the file; the size field reads 0.
  EXPECT_NE(text.find("Version: 0.65535[[ <-- Should be 1.00.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Header Size: 0[[ <-- Should be 92.\n]]"), std::string::npos);
  EXPECT_NE(text.find("\n000002AA  00 00"), std::string::npos);
}

std::vector<uint8_t> GptEntry(const char* name, uint64_t attributes) {
  std::vector<uint8_t> e(128, 0);
  std::memcpy(e.data(), kEspType, 16);
  for (int i = 0; i < 16; ++i) e[16 + i] = static_cast<uint8_t>(0x10 + i);
  PutLe64(&e[gpt::kFirstLba], 2048);
  PutLe64(&e[gpt::kLastLba], 0xFFFFFFFFFFFFFFFFULL);
  PutLe64(&e[gpt::kAttributes], attributes);
  for (size_t i = 0; name[i] && i < gpt::kNameUnits; ++i) e[gpt::kName + 2 * i] = static_cast<uint8_t>(name[i]);
  return e;
}

TEST(GptEntry, Listing) {
  auto bytes = GptEntry("EFI", 0xD000000000000005ULL);
  EXPECT_EQ(RunDecoder(DumpGptEntry, MakeRequest(DumpType::GptEntry, "0"), bytes).marked,
            "GUID Partition Entry (0x00000000)\n"
            "             guid type: C12A7328-F81F-11D2-BA4B-00A0C93EC93B\n"
            "                  guid: 13121110-1514-1716-1819-1A1B1C1D1E1F\n"
            "             First LBA: 2048\n"
            "              Last LBA: -1\n"
            "             Attribute: 0xD000000000000005\n"
            "                         Read Only (Microsoft)\n"
            "                         Hidden (Microsoft)\n"
            "                         No Automount (Microsoft)\n"
            "                  Name: EFI\n");
  // A zero unit inside the name adds nothing; the rest still follows, and
  // the high bytes of the units are not shown.
  bytes[gpt::kName] = 'A';
  bytes[gpt::kName + 1] = 0x04;
  bytes[gpt::kName + 2] = 0;
  bytes[gpt::kName + 4] = 'B';
  bytes[gpt::kName + 70] = 'Z';
  EXPECT_TRUE(RunDecoder(DumpGptEntry, MakeRequest(DumpType::GptEntry, "0"), bytes).text.ends_with("Name: ABZ\n"));
}

TEST(PartitionDecoders, CountWalkAndAbort) {
  for (const auto& [decoder, size] : {std::pair<Decoder, uint32_t>{DumpMbr, 16}, {DumpGptEntry, 128}}) {
    const std::vector<uint8_t> bytes(size * 4, 0);
    const std::string text = RunDecoder(decoder, MakeRequest(DumpType::Mbr, "0", "0", 4), bytes).text;
    EXPECT_NE(text.find(Format("(0x%08X)", 3 * size)), std::string::npos) << size;
    for (int count : {0, -3}) EXPECT_EQ(RunDecoder(decoder, MakeRequest(DumpType::Mbr, "0", "0", count), bytes).text, "");

    test::ScriptedHost host;
    host.abortAfterPolls = 1;
    auto aborted = RunDecoder(decoder, MakeRequest(DumpType::Mbr, "0", "0", 4), bytes, &host);
    EXPECT_EQ(aborted.status, RunStatus::Aborted);
    EXPECT_NE(aborted.text.find(Format("(0x%08X)", size)), std::string::npos) << size;
    EXPECT_EQ(aborted.text.find(Format("(0x%08X)", 2 * size)), std::string::npos) << size;
    EXPECT_TRUE(aborted.text.ends_with("\n\nUser Abort...")) << size;
  }
}

TEST(PartitionDecoders, ShortAndRandomInput) {
  uint32_t seed = 777;
  for (int round = 0; round < 150; ++round) {
    std::vector<uint8_t> bytes(1 + (round * 37) % 700);
    for (auto& byte : bytes) {
      seed = seed * 1103515245 + 12345;
      byte = static_cast<uint8_t>(seed >> 16);
    }
    const std::string start = std::to_string((round * 13) % bytes.size());
    for (Decoder d : {DumpMbr, DumpGptHeader, DumpGptEntry}) {
      const auto result = RunDecoder(d, MakeRequest(DumpType::Mbr, start, "0", 3), bytes);
      EXPECT_FALSE(result.text.empty());
      EXPECT_EQ(result.text.find('\0'), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace trovik
