#include <gtest/gtest.h>

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

std::string ZeroLines(uint32_t first) {
  std::string lines;
  for (int i = 0; i < 30; ++i) {
    char line[96];
    std::snprintf(line, sizeof line,
                  "\n%08X  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................", first + 16 * i);
    lines += line;
  }
  return lines;
}

TEST(Fat32Info, ValidSectorListing) {
  std::vector<uint8_t> disk(512, 0);
  const auto info = InfoSector();
  disk.insert(disk.end(), info.begin(), info.end());
  EXPECT_EQ(Info(disk, "0x200"),
            "FAT32 Info Block (0x00000200)\n"
            "                   sig: 0x41615252  ('AaRR') [1]\n"
            "              reserved:" +
                ZeroLines(0x204) +
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

TEST(Fat32Info, SectorCutByTheEndOfTheFile) {
  std::vector<uint8_t> bytes(20, 0);
  PutLe32(&bytes[16], fat::kInfoLeadSigValue);
  const std::string text = Info(bytes, "16");
  EXPECT_NE(text.find("sig: 0x41615252  ('AaRR') [1]\n"), std::string::npos);
  EXPECT_NE(text.find("Trailing sig: 0x00000000[[ <--- should be 0xAA550000.\n]]"), std::string::npos);
  EXPECT_NE(text.find("Free Cluster Count: 0  \n"), std::string::npos);
}

}  // namespace
}  // namespace trovik
