// UDF descriptors: real images made by mkudffs and genisoimage (checked
// against udfinfo), and constructed descriptors for the tag rules, the
// lengths a descriptor claims and the walk.
#include <gtest/gtest.h>

#include <cstring>

#include "OpticalTestSupport.h"
#include "decoders/optical/UdfLayout.h"
#include "engine/ByteOrder.h"

namespace trovik::test {
namespace {

constexpr uint32_t kBlock = 512;  // block size of udf-512.img

std::vector<uint8_t> Udf512() { return ReadTestFile("optical/udf-512.img"); }

// Sets the tag of a 2,048-byte descriptor so that its checksum and CRC hold.
void SealTag(std::vector<uint8_t>& d, uint16_t id, uint16_t crcLength, uint32_t location = 0) {
  PutLe16(&d[0], id);
  PutLe16(&d[2], 3);
  PutLe16(&d[10], crcLength);
  PutLe32(&d[12], location);
  PutLe16(&d[8], udf::ComputeTagCrc(&d[16], std::min<size_t>(crcLength, 2032)));
  d[4] = udf::TagChecksum(d.data());
}

std::vector<uint8_t> Descriptor(uint16_t id, uint16_t crcLength = 496) {
  std::vector<uint8_t> d(2048, 0);
  SealTag(d, id, crcLength);
  return d;
}

TEST(UdfTag, CrcAndIdentifierTexts) {
  const char check[] = "123456789";
  EXPECT_EQ(udf::ComputeTagCrc(reinterpret_cast<const uint8_t*>(check), 9), 0x31C3);
  EXPECT_EQ(udf::ComputeTagCrc(nullptr, 0), 0);

  auto text = [](std::vector<uint8_t> field) { return udf::IdentifierText(field.data(), field.size()); };
  EXPECT_EQ(text({8, 'L', 'i', 'n', 'u', 'x', 0, 0, 6}), "Linux");
  EXPECT_EQ(text({16, 0, 'A', 0, 'B', 0, 'C', 0, 7}), "ABC");
  EXPECT_EQ(text({8, 'A', 'B', 0, 'C', 0, 0, 0, 5}), "AB");       // ends at the first zero
  EXPECT_EQ(text({8, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 255}), "ABCDEFG");  // length capped by the field
  EXPECT_EQ(text({8, 'A', 'B', 'C', 0, 0, 0, 0, 3}), "AB");       // only the bytes used
  EXPECT_EQ(text({254, 'A', 'B', 'C', 0, 0, 0, 0, 4}), "");       // unknown compression
}

TEST(UdfDescriptor, RealVolumeDescriptorsAgreeWithUdfinfo) {
  const auto image = Udf512();
  const DumpResult r = DumpAt(DumpUdf, DumpType::Udf, 77 * kBlock, 6, image);
  EXPECT_EQ(r.marked.find("[["), std::string::npos) << r.marked;
  EXPECT_EQ(r.text.rfind("\nUDF Tag Identifier (0x00009A00)\n                     Type: 1  (Primary Volume Descriptor)\n",
                         0),
            0u);
  EXPECT_NE(r.text.find("          Volume Identifier: 'TROVIKUDF'\n"), std::string::npos);
  EXPECT_NE(r.text.find("      Volume Set Identifier: 0123456789abcdefLinuxUDF\n"), std::string::npos);
  EXPECT_NE(r.text.find("              Data and Time:  (0x1000) 2023/04/05 06:07:08.0.0.0 \n"), std::string::npos);
  EXPECT_NE(r.text.find("      Log Volume Identifier: 'TROVIKUDF'\n         Logical Block Size: 512 \n"),
            std::string::npos);
  EXPECT_NE(r.text.find("                  Partition Map #0\n"
                        "                           Type: 1\n"
                        "                         Length: 6\n"
                        "         Volume Sequence Number: 1\n"
                        "        Volume Partition Number: 0\n"),
            std::string::npos);
  // udfinfo: partition space starts at block 93 and spans 160 blocks.
  EXPECT_NE(r.text.find("                Access Type: 4: Over-writable\n"
                        "        Partition Start Loc: 93\n"
                        "           Partition Lenght: 160 (0.08 Meg)\n"),
            std::string::npos);
  EXPECT_NE(r.text.find("(Terminating Descriptor)\n"), std::string::npos);
}

TEST(UdfDescriptor, RealAnchorAndFileSetAgreeWithUdfinfo) {
  const auto image = Udf512();
  const DumpResult anchor = DumpAt(DumpUdf, DumpType::Udf, 256 * kBlock, 1, image);
  const std::string expected =
      "\nUDF Tag Identifier (0x00020000)\n"
      "                     Type: 2  (Anchor Volume Descriptor)\n"
      "                  Version: 3 \n"
      "                Check Sum: 82 \n"
      "                 reserved: 0 \n"
      "           Tag Serial Num: 1 \n"
      "           Descriptor CRC: 0x6B1F \n"
      "       Descriptor CRC Len: 496 \n"
      "             Tag Location: 256 \n"
      "\n"
      "          Main Sequence Loc: 77 \n"
      "                     Length: 8192 \n"
      "      Reserved Sequence Loc: 383 \n"
      "                     Length: 8192 (16 sectors) \n";
  EXPECT_EQ(anchor.text, expected);

  // Space bitmap, file set, stream directory entry, root directory entry
  // and the root directory's identifier, one block each.
  const DumpResult files = DumpAt(DumpUdf, DumpType::Udf, 93 * kBlock, 5, image);
  EXPECT_EQ(files.marked.find("[["), std::string::npos) << files.marked;
  EXPECT_NE(files.text.find("        File Set Identifier: 'LinuxUDF'\n"), std::string::npos);
  EXPECT_NE(files.text.find("    Root Directory Location: lba = 4, part ref = 0 \n"), std::string::npos);
  EXPECT_NE(files.text.find("                  File Type: 4 (Directory)\n"), std::string::npos);
  EXPECT_NE(files.text.find("(File Identification Descriptor)\n"), std::string::npos);
}

TEST(UdfDescriptor, RealImageWithFiles) {
  // Anchor, file set, file entries and directory identifiers of an image
  // with files, 2,048-byte blocks.
  const DumpResult r = DumpAt(DumpUdf, DumpType::Udf, 0, 17, ReadTestFile("optical/udf-files.bin"), true);
  EXPECT_EQ(r.marked.find("[["), std::string::npos) << r.marked;
  EXPECT_NE(r.text.find("        File Set Identifier: 'TROVIKFILES'\n"), std::string::npos);
  EXPECT_EQ(CountOf(r.text, "(File Entry)\n"), 9u);
  EXPECT_EQ(CountOf(r.text, "(File Identification Descriptor)\n"), 5u);
}

TEST(UdfDescriptor, TagChecksAreRed) {
  const std::string zero = DumpAt(DumpUdf, DumpType::Udf, 0, 1, std::vector<uint8_t>(2048, 0)).marked;
  EXPECT_NE(zero.find("                     Type: 0 [[ <-- Must be 1 -> 9 or 256 -> 266.\n]]"
                      "                  Version: 0 [[ <-- Must be 2 or 3.\n]]"),
            std::string::npos);
  EXPECT_EQ(CountOf(zero, "[["), 2u);

  auto image = Udf512();
  std::vector<uint8_t> d(image.begin() + 77 * kBlock, image.begin() + 77 * kBlock + 2048);
  d[100] ^= 1;  // inside the CRC-covered body
  d[5] = 1;     // reserved, which also breaks the checksum
  const DumpResult r = DumpAt(DumpUdf, DumpType::Udf, 0, 1, d);
  EXPECT_NE(r.marked.find("                Check Sum: F8 [[ <-- Checksum does not match!\n]]"
                          "                 reserved: 1 [[ <-- Should be zero!\n]]"),
            std::string::npos);
  const std::string crc = Format("           Descriptor CRC: 0x4075 [[ <-- Checksum does not match: 0x%04X\n]]",
                                 udf::ComputeTagCrc(&d[16], 496));
  EXPECT_NE(r.marked.find(crc), std::string::npos) << r.marked;
}

TEST(UdfDescriptor, PartitionSizeInSixtyFourBits) {
  std::vector<uint8_t> d(2048, 0);
  PutLe32(&d[192], 0x200000);
  SealTag(d, udf::kPartition, 496);
  EXPECT_NE(DumpAt(DumpUdf, DumpType::Udf, 0, 1, d, true).text.find("Partition Lenght: 2097152 (4096.00 Meg)\n"),
            std::string::npos);
}

TEST(UdfDescriptor, PartitionMapTableLength) {
  std::vector<uint8_t> d(2048, 0);
  PutLe32(&d[268], 1);
  d[440] = 1, d[441] = 6;
  PutLe32(&d[264], 6);
  SealTag(d, udf::kLogicalVolume, 430);
  EXPECT_EQ(DumpAt(DumpUdf, DumpType::Udf, 0, 1, d).text.find("MapTableLength"), std::string::npos);
  PutLe32(&d[264], 0);
  SealTag(d, udf::kLogicalVolume, 430);
  EXPECT_NE(DumpAt(DumpUdf, DumpType::Udf, 0, 1, d).text.find(" Partition MapTableLength member (0) != calculated len (6)\n"),
            std::string::npos);
}

TEST(UdfDescriptor, ClaimedLengthsAreCutToTheDescriptor) {
  // A CRC length past the bytes read.
  std::vector<uint8_t> d = Descriptor(8, 3000);
  DumpResult r = DumpAt(DumpUdf, DumpType::Udf, 0, 1, d);
  EXPECT_NE(r.marked.find("       Descriptor CRC Len: 3000 [[ <-- (truncated)\n]]"), std::string::npos);
  EXPECT_EQ(CountOf(r.marked, "[["), 1u);  // the CRC over the bytes present holds

  // Unallocated space descriptors: 8 bytes each from offset 24.
  d = std::vector<uint8_t>(2048, 0);
  PutLe32(&d[20], 1000);
  d[2047] = 0x5A;
  SealTag(d, udf::kUnallocatedSpace, 24);
  r = DumpAt(DumpUdf, DumpType::Udf, 0, 1, d);
  EXPECT_NE(r.marked.find("  Num Allocated Descriptors: 1000 [[ <-- (truncated)\n]]      Allocated Descriptors: \n"),
            std::string::npos);
  EXPECT_NE(r.text.find("   0x000007E0  00 00 00 00 00 00 00 5A  "), std::string::npos);

  // A file identifier's implementation use area.
  d = std::vector<uint8_t>(2048, 0);
  PutLe16(&d[36], 3000);
  SealTag(d, udf::kFileIdentifier, 24);
  d.insert(d.begin(), 0x1000, 0);
  r = DumpAt(DumpUdf, DumpType::Udf, 0x1000, 1, d);
  EXPECT_NE(r.marked.find("      Implementaion Use Len: 3000[[ <-- (truncated)\n]]   0x00001026  " + std::string(18, ' ') + "00 00"), std::string::npos);
}

TEST(UdfDescriptor, ExtendedFileEntryAllocationFollowsItsAttributes) {
  std::vector<uint8_t> d(2048, 0);
  PutLe32(&d[208], 100);
  PutLe32(&d[212], 8);
  for (int i = 0; i < 8; ++i) d[316 + i] = static_cast<uint8_t>(0xA0 + i);
  SealTag(d, udf::kExtendedFileEntry, 2032);
  DumpResult r = DumpAt(DumpUdf, DumpType::Udf, 0, 1, d);
  EXPECT_TRUE(EndsWith(r.text, "              EA's length: 100\n"
                               " Allocation Desc's length: 8\n"
                               "   0x0000013C" + std::string(38, ' ') + "A0 A1 A2 A3" + std::string(17, ' ') +
                               "\xB7\xB7\xB7\xB7\n"
                               "   0x00000140  A4 A5 A6 A7" + std::string(41, ' ') + "\xB7\xB7\xB7\xB7\n"))
      << r.text;

  PutLe32(&d[208], 0xFFFFFF00);
  PutLe32(&d[212], 16);
  SealTag(d, udf::kExtendedFileEntry, 2032);
  r = DumpAt(DumpUdf, DumpType::Udf, 0, 1, d);
  EXPECT_TRUE(EndsWith(r.marked, " Allocation Desc's length: 16[[ <-- (truncated)\n]]")) << r.marked;
}

TEST(UdfWalk, ItemsAreReadWhereTheirTitlesPoint) {
  // Two descriptors 512 bytes apart, walked with 512-byte sectors.
  std::vector<uint8_t> bytes(4096, 0);
  auto first = Descriptor(8);
  auto second = Descriptor(7, 24);
  std::copy(first.begin(), first.begin() + 512, bytes.begin());
  std::copy(second.begin(), second.end(), bytes.begin() + 512);
  DumpResult r = DumpAt(DumpUdf, DumpType::Udf, 0, 2, bytes);
  EXPECT_NE(r.text.find("(0x00000200)\n                     Type: 7  (Unallocated Space Descriptor)\n"),
            std::string::npos);
  EXPECT_EQ(r.marked.find("[["), std::string::npos);

  ScriptedHost host;
  host.abortAfterPolls = 0;
  r = DumpAt(DumpUdf, DumpType::Udf, 0, 2, bytes, false, &host);
  EXPECT_EQ(CountOf(r.text, "UDF Tag Identifier"), 1u);
  EXPECT_TRUE(EndsWith(r.text, "\nUser Abort..."));
}

TEST(UdfWalk, AnchorLocation) {
  std::vector<uint8_t> bytes(257 * 2048, 0);
  std::vector<uint8_t> anchor(2048, 0);
  PutLe32(&anchor[24], 32768);
  SealTag(anchor, udf::kAnchor, 496, 256);
  std::copy(anchor.begin(), anchor.end(), bytes.begin() + 256 * 2048);
  // Sector mode with 2,048-byte sectors: the second item of a walk from
  // sector 255 is the anchor at 0x80000.
  DumpRequest request = MakeRequest(DumpType::Udf, "255", "0", 2);
  request.isIso = true;
  request.offsetType = OffsetType::Sectors;
  DumpResult r = RunDecoder(DumpUdf, request, bytes);
  EXPECT_NE(r.text.find("\nUDF Tag Identifier (0x00080000)\n                     Type: 2  (Anchor"), std::string::npos);
  EXPECT_NE(r.text.find("Length: 32768 (16 sectors) \n"), std::string::npos);

  // With 512-byte sectors the same length is 64 sectors; an anchor that
  // does not claim block 256 is flagged in place of the blank line.
  SealTag(anchor, udf::kAnchor, 496, 255);
  r = DumpAt(DumpUdf, DumpType::Udf, 0, 1, anchor);
  EXPECT_NE(r.marked.find("             Tag Location: 255 \n[[ Tag Location isn't 256 for Anchor Descriptor... "
                          "(must be 256, N-256, or N)\n]]          Main Sequence Loc: 0 \n"),
            std::string::npos);
  EXPECT_NE(r.text.find("Length: 32768 (64 sectors) \n"), std::string::npos);
}

}  // namespace
}  // namespace trovik::test
