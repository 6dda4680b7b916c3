// ISO 9660 directory records and path table entries: the real image's
// directories and path tables (checked against isoinfo -l), and constructed
// records for lengths, names and the walk.
#include <gtest/gtest.h>

#include <cstring>

#include "OpticalTestSupport.h"

namespace trovik::test {
namespace {

std::vector<uint8_t> Image() { return ReadTestFile("optical/iso-joliet.iso"); }

// A directory record of `length` bytes with the given name bytes.
std::vector<uint8_t> Record(uint8_t length, const std::string& name, uint8_t nameLength) {
  std::vector<uint8_t> r(std::max<size_t>(length, 34), 0);
  r[0] = length;
  r[2] = 20, r[9] = 20;
  r[18] = 123, r[19] = 4, r[20] = 5, r[21] = 6, r[22] = 7, r[23] = 8;
  r[28] = 1, r[31] = 1;
  r[32] = nameLength;
  std::memcpy(&r[33], name.data(), std::min(name.size(), r.size() - 33));
  r.resize(length < 34 ? 34 : length);
  return r;
}

TEST(IsoDirRecord, RealRootDirectoryAgreesWithIsoinfo) {
  const DumpResult r = DumpAt(DumpIsoDirRecord, DumpType::IsoDir, 19 * 2048, 7, Image());
  const std::string first =
      "000) CD-ROM Root Dir  (0x00009800)\n"
      "                Length: 132\n"
      "         Extended Attr: 0x00\n"
      "       Extent Location: 19 (0x13000000)\n"
      "           Data Length: 2048 (0x00080000)\n"
      "                  Date: 2023/04/05 06:07:08 gmt offset: 0\n"
      "                 Flags: 2\n"
      "             Unit Size: 0\n"
      "              Gap Size: 0\n"
      "          Sequence Num: 1 (0100)\n"
      "      File Name Length: 1\n"
      "             File Name: 0x00\n"
      "     There is 98 bytes of System Use space:\n"
      "\n00009822  53 50 07 01 BE EF 00 50-58 24 01 ED 41 00 00 00     SP.....PX$..A...\n"
      "00009832  00 41 ED 01 00 00 00 00-00 00 01 00 00 00 00 00     .A..............\n"
      "00009842  00 00 00 00 00 00 00 00-00 00 00 54 46 1A 01 0E     ...........TF...\n"
      "00009852  7B 04 05 06 07 08 00 7B-04 05 06 07 08 00 7B 04     {......{......{.\n"
      "00009862  05 06 07 08 00 43 45 1C-01 14 00 00 00 00 00 00     .....CE.........\n"
      "00009872  14 00 00 00 00 00 00 00-00 ED 00 00 00 00 00 00     ................\n"
      "00009882  ED 00                                               ..\n"
      "\n"
      "001) CD-ROM Root Dir  (0x00009884)\n";
  EXPECT_EQ(r.text.substr(0, first.size()), first);
  // The entries isoinfo -l lists for /, in order, with their extents.
  EXPECT_NE(r.text.find("Extent Location: 21 (0x15000000)\n           Data Length: 2048 (0x00080000)"),
            std::string::npos);
  EXPECT_NE(r.text.find("      File Name Length: 4\n             File Name: DOCS\n              Pad Byte: 0x00\n"),
            std::string::npos);
  EXPECT_NE(r.text.find("Extent Location: 37 (0x25000000)\n           Data Length: 6 (0x06000000)"),
            std::string::npos);
  EXPECT_NE(r.text.find("File Name: README.TXT;1\n"), std::string::npos);
  // An odd-length name has no pad byte.
  EXPECT_NE(r.text.find("      File Name Length: 3\n             File Name: SRC\n     There is 70 bytes"),
            std::string::npos);
  // The zero fill after the last record ends the walk before the Count.
  EXPECT_TRUE(EndsWith(r.text, "...src\n\nRecord Len field is zero. Aborting..."));
  EXPECT_EQ(CountOf(r.text, "CD-ROM Root Dir"), 5u);
}

TEST(IsoDirRecord, RealJolietNames) {
  const auto image = Image();
  const DumpResult root = DumpAt(DumpIsoDirRecord, DumpType::IsoDirWide, 27 * 2048, 5, image);
  EXPECT_NE(root.text.find("003) CD-ROM Root Dir (wide) (0x0000D86E)\n"), std::string::npos);
  EXPECT_NE(root.text.find("      File Name Length: 20\n             File Name: readme.txt\n"), std::string::npos);
  // The Joliet /docs directory (extent 28) holds the long name.
  const DumpResult docs = DumpAt(DumpIsoDirRecord, DumpType::IsoDirWide, 28 * 2048, 4, image);
  EXPECT_NE(docs.text.find("      File Name Length: 76\n             File Name: A rather long file name for Joliet.txt\n"),
            std::string::npos);
}

TEST(IsoPathTable, RealTablesAgreeWithIsoinfo) {
  const auto image = Image();
  const DumpResult narrow = DumpAt(DumpIsoPathTable, DumpType::IsoPath, 25 * 2048, 6, image);
  EXPECT_EQ(narrow.text.rfind("000) CD-ROM Path Table Entry  (0x0000C800)\n"
                              "          Ident Length: 1\n"
                              "     Extended Attr Len: 0x00\n"
                              "       Extent Location: 19\n"
                              "         Parent Number: 1\n"
                              "             File Name: 0x00\n"
                              "              Pad Byte: 0x00\n"
                              "001) CD-ROM Path Table Entry  (0x0000C80A)\n",
                              0),
            0u);
  // Directory, extent and parent of every entry, as isoinfo -l shows them.
  for (const char* entry : {"21\n         Parent Number: 1\n             File Name: DOCS\n002)",
                            "24\n         Parent Number: 1\n             File Name: SRC\n              Pad Byte",
                            "22\n         Parent Number: 2\n             File Name: DEEPER\n004)",
                            "23\n         Parent Number: 4\n             File Name: DEEPEST\n              Pad Byte"})
    EXPECT_NE(narrow.text.find(entry), std::string::npos) << entry;
  EXPECT_TRUE(EndsWith(narrow.text, "0x00\nIdent Len field is zero. Aborting..."));
  const DumpResult wide = DumpAt(DumpIsoPathTable, DumpType::IsoPathWide, 32 * 2048, 5, image);
  EXPECT_NE(wide.text.find("003) CD-ROM Path Table Entry (wide) (0x00010028)\n          Ident Length: 12\n"),
            std::string::npos);
  EXPECT_NE(wide.text.find("File Name: deepest\n"), std::string::npos);
}

TEST(IsoDirRecord, NamesArePaddedAndBoundedByTheRecord) {
  // An 8-byte name has a pad byte, a 9-byte name none.
  std::vector<uint8_t> bytes = Record(42, "ABCDEFGH", 8);
  const auto nine = Record(42, "ABCDEFGHI", 9);
  bytes.insert(bytes.end(), nine.begin(), nine.end());
  DumpResult r = DumpAt(DumpIsoDirRecord, DumpType::IsoDir, 0, 2, bytes);
  EXPECT_NE(r.text.find("File Name: ABCDEFGH\n              Pad Byte: 0x00\n001) CD-ROM Root Dir  (0x0000002A)"),
            std::string::npos);
  EXPECT_NE(r.text.find("File Name: ABCDEFGHI\n"), std::string::npos);
  EXPECT_EQ(CountOf(r.text, "Pad Byte"), 1u);

  // A name length beyond the record shows only the name bytes inside it,
  // and no pad byte outside it.
  std::vector<uint8_t> cut = Record(36, "ABCDEFGH", 8);
  cut.resize(64, 'Z');
  r = DumpAt(DumpIsoDirRecord, DumpType::IsoDir, 0, 1, cut);
  EXPECT_NE(r.text.find("      File Name Length: 8\n             File Name: ABC\n"), std::string::npos);
  EXPECT_EQ(r.text.find("Pad Byte"), std::string::npos);
  EXPECT_EQ(r.text.find("Z"), std::string::npos);
}

TEST(IsoDirRecord, ShortOrZeroLengthEndsTheWalk) {
  std::vector<uint8_t> bytes = Record(20, "ABCD", 4);
  bytes.resize(200, 0);
  DumpResult r = DumpAt(DumpIsoDirRecord, DumpType::IsoDir, 0, 3, bytes);
  EXPECT_TRUE(EndsWith(r.text, "      File Name Length: 4\nRecord Len field is too small. Aborting..."));
  EXPECT_EQ(CountOf(r.text, "CD-ROM Root Dir"), 1u);

  r = DumpAt(DumpIsoDirRecord, DumpType::IsoDir, 0, 3, std::vector<uint8_t>(100, 0));
  EXPECT_EQ(r.text, "Record Len field is zero. Aborting...");
  EXPECT_EQ(DumpAt(DumpIsoDirRecord, DumpType::IsoDir, 0, 0, bytes).text, "");
}

// n = 3 takes 12 bytes with its pad byte; a 12-byte wide name is 6
// characters. An abort stops after the current record.
TEST(IsoPathTable, EntriesStayEvenWideNamesHalveAndAbortStops) {
  std::vector<uint8_t> bytes = {3, 0, 5, 0, 0, 0, 1, 0, 'A', 'B', 'C', 0};
  const std::vector<uint8_t> wide = {12, 0, 6, 0, 0, 0, 1, 0, 0, 'a', 0, 'b', 0, 'c', 0, 'd', 0, 'e', 0, 'f'};
  bytes.insert(bytes.end(), wide.begin(), wide.end());
  const DumpResult r = DumpAt(DumpIsoPathTable, DumpType::IsoPathWide, 0, 2, bytes);
  EXPECT_NE(r.text.find("001) CD-ROM Path Table Entry (wide) (0x0000000C)\n"), std::string::npos);
  EXPECT_NE(r.text.find("File Name: abcdef\n"), std::string::npos);

  ScriptedHost host;
  host.abortAfterPolls = 0;
  const DumpResult aborted = DumpAt(DumpIsoPathTable, DumpType::IsoPath, 25 * 2048, 5, Image(), false, &host);
  EXPECT_EQ(CountOf(aborted.text, "Path Table Entry"), 1u);
  EXPECT_TRUE(EndsWith(aborted.text, "Pad Byte: 0x00\n\nUser Abort..."));
}

}  // namespace
}  // namespace trovik::test
