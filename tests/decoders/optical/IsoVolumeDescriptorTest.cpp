// ISO 9660 volume descriptors: a real image made by xorriso (values checked
// against isoinfo -d) and constructed descriptors for the rules.
#include <gtest/gtest.h>

#include <cstring>

#include "OpticalTestSupport.h"

namespace trovik::test {
namespace {

constexpr uint32_t kPvdOffset = 16 * 2048;
constexpr uint32_t kSvdOffset = 17 * 2048;

std::vector<uint8_t> Image() { return ReadTestFile("optical/iso-joliet.iso"); }

std::string Line(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  if (at == std::string::npos) return {};
  return text.substr(at, text.find('\n', at) - at);
}

TEST(IsoVolumeDescriptor, RealPrimaryAgreesWithIsoinfo) {
  const DumpResult r = DumpAt(DumpIsoVolumeDescriptor, DumpType::IsoPvd, kPvdOffset, 1, Image());
  EXPECT_EQ(r.text.rfind("CDROM Primary Volume Descriptor (0x00008000)\n                  Type: 1  (Primary)\n", 0), 0u);
  EXPECT_EQ(Line(r.text, "     Volume Identifier"), "     Volume Identifier: 'TROVIK_ISO" + std::string(22, ' ') + "'");
  EXPECT_EQ(Line(r.text, "                 LBA's"), "                 LBA's: 39 (0x27000000)");
  EXPECT_EQ(Line(r.text, "              LBA Size"), "              LBA Size: 2048 (0x0008)");
  EXPECT_EQ(Line(r.text, "       Path Table Size"), "       Path Table Size: 64 (0x40000000)");
  EXPECT_EQ(Line(r.text, "      L. Path Location"), "      L. Path Location: 25");
  EXPECT_EQ(Line(r.text, "       Extent Location"), "       Extent Location: 19 (0x13000000)");
  EXPECT_EQ(Line(r.text, "  Publisher Identifier"), "  Publisher Identifier: TROVIK TESTS" + std::string(116, ' '));
  // The reserved area: 41 lines from start + 1395, the last one short, no
  // notice.
  EXPECT_EQ(CountOf(r.text, "  00 00 00 00 00 00 00 00-00"), 41u);
  EXPECT_NE(r.text.find("...not printed here...\n\n00008573  00 00"), std::string::npos);
  const std::string last = "\n000087F3  00 00 00 00 00 00 00 00-00 00 00 00 00" + std::string(5 + 9, ' ') +
                           std::string(13, '.') + "\n";
  EXPECT_EQ(r.text.substr(r.text.size() - last.size()), last);
  EXPECT_EQ(r.marked.find("[["), std::string::npos);
}

TEST(IsoVolumeDescriptor, RealJolietDescriptor) {
  const DumpResult r = DumpAt(DumpIsoVolumeDescriptor, DumpType::IsoSvd, kSvdOffset, 1, Image());
  EXPECT_EQ(r.text.rfind("CDROM Supplementary Volume Descriptor (0x00008800)\n                  Type: 2  (Supplementary)\n",
                         0),
            0u);
  EXPECT_EQ(Line(r.text, "     Volume Identifier"), "     Volume Identifier: 'TROVIK_ISO      '");
  EXPECT_EQ(Line(r.text, "      Escape Sequences"), "      Escape Sequences: 25 2F 45 00 00 00 00 00");
  EXPECT_EQ(Line(r.text, "      L. Path Location"), "      L. Path Location: 32");
  EXPECT_EQ(Line(r.text, "       Extent Location"), "       Extent Location: 27 (0x1B000000)");
  // 128-byte fields hold 64 characters.
  EXPECT_EQ(Line(r.text, "   Preparer Identifier"),
            "   Preparer Identifier: XORRISO-1.5.4 2021.01.30.150001, LIBISOBURN-1.5.4, LIBISOFS-1.5.");
}

TEST(IsoVolumeDescriptor, ConstructedSupplementaryListing) {
  std::vector<uint8_t> d(2048, 0);
  d[0] = 2;
  std::memcpy(&d[1], "CD001", 5);
  d[6] = 1;
  d[7] = 0x01;
  const uint8_t volume[] = {0, 'A', 0, 'B', 0, 'C'};
  std::memcpy(&d[40], volume, sizeof volume);
  for (size_t i = 46; i < 72; i += 2) d[i + 1] = ' ';
  d[80] = 0x34, d[81] = 0x12, d[86] = 0x12, d[87] = 0x34;
  d[120] = 1, d[123] = 1;
  d[156] = 34, d[158] = 20, d[165] = 20;
  d[174] = 124, d[175] = 12, d[176] = 31, d[177] = 23, d[178] = 59, d[179] = 58, d[180] = 0xF8;
  std::memcpy(&d[813], "2024123123595999", 16);
  d[829] = 4;
  d[830] = 0x01;  // unprintable digit
  d[881] = 1;
  const DumpResult r = DumpAt(DumpIsoVolumeDescriptor, DumpType::IsoSvd, 0, 1, d);
  const std::string head =
      "CDROM Supplementary Volume Descriptor (0x00000000)\n"
      "                  Type: 2  (Supplementary)\n"
      "            Identifier: CD001\n"
      "               Version: 1\n"
      "                 Flags: 01\n"
      "     System Identifier: \n"
      "     Volume Identifier: 'ABC             '\n"
      "              Reserved: 00 00 00 00 00 00 00 00\n"
      "                 LBA's: 4660 (0x34120000)\n"
      "      Escape Sequences: 00 00 00 00 00 00 00 00\n"
      "                        00 00 00 00 00 00 00 00\n"
      "                        00 00 00 00 00 00 00 00\n"
      "                        00 00 00 00 00 00 00 00\n"
      "              Set Size: 1 (0x0100)\n"
      "       Sequence Number: 0 (0x0000)\n"
      "              LBA Size: 0 (0x0000)\n"
      "       Path Table Size: 0 (0x00000000)\n"
      "      L. Path Location: 0\n"
      "  L Opt. Path Location: 0\n"
      "      M. Path Location: 0x00000000\n"
      "  M Opt. Path Location: 0x00000000\n"
      "         Root:  Length: 34\n"
      "             Attribute: 0x00\n"
      "       Extent Location: 20 (0x14000000)\n"
      "           Data Length: 0 (0x00000000)\n"
      "                  Date: 2024/12/31  23:59:58  gmt offset: -8\n"
      "                 Flags: 0x00\n"
      "             Unit Size: 0\n"
      "              Gap Size: 0\n"
      "       Sequence Number: 0 (0x0000)\n"
      "                Length: 0\n"
      "            Identifier: 00\n"
      "        Set Identifier: \n"
      "  Publisher Identifier: \n"
      "   Preparer Identifier: \n"
      "Application Identifier: \n"
      "  Copyright Identifier: \n"
      "   Abscract Identifier: \n"
      "   Bibliog. Identifier: \n"
      "         Creation Date: 2024/12/31  23:59:59.99  gmt offset: 4\n"
      "     Modification Date: \xB7\xB7\xB7\xB7/\xB7\xB7/\xB7\xB7  \xB7\xB7:\xB7\xB7:\xB7\xB7.\xB7\xB7  gmt offset: 0\n"
      "       Expiration Date: \xB7\xB7\xB7\xB7/\xB7\xB7/\xB7\xB7  \xB7\xB7:\xB7\xB7:\xB7\xB7.\xB7\xB7  gmt offset: 0\n"
      "        Effective Date: \xB7\xB7\xB7\xB7/\xB7\xB7/\xB7\xB7  \xB7\xB7:\xB7\xB7:\xB7\xB7.\xB7\xB7  gmt offset: 0\n"
      "File Structure Version: 1\n"
      "              Reserved: 00\n"
      "       Application Use: ...not printed here...\n"
      "\n00000573  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................\n";
  EXPECT_EQ(r.text.substr(0, head.size()), head);
}

TEST(IsoVolumeDescriptor, RuleViolationsAreRed) {
  std::vector<uint8_t> d(2048, 0);
  d[0] = 4;
  std::memcpy(&d[1], "C\0D\0" "1", 5);
  d[2047] = 'A';
  const DumpResult r = DumpAt(DumpIsoVolumeDescriptor, DumpType::IsoPvd, 0, 1, d);
  EXPECT_NE(r.marked.find("                  Type: 4 [[ <-- Must be 0, 1, 2, 3, or 255.\n]]"
                          "            Identifier: CD1\n"),
            std::string::npos);
  const std::string tail = "\n000007F3  00 00 00 00 00 00 00 00-00 00 00 00 41" + std::string(5 + 9, ' ') +
                           "............A[[\nOne or more of the values above was not zero.\n]]";
  ASSERT_GE(r.marked.size(), tail.size());
  EXPECT_EQ(r.marked.substr(r.marked.size() - tail.size()), tail);
}

}  // namespace
}  // namespace trovik::test
