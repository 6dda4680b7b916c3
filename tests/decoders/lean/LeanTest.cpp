// LEAN superblock, inode, indirect block and directory records: whole listings as golden files, every rule as a patch.
#include <gtest/gtest.h>

#include "support/Golden.h"
#include "support/RuleTable.h"

namespace trovik::test {
namespace {

// Structures are built at the offsets of the LEAN documentation's tables. Every checksum literal here
// was worked out apart from the product, by a few lines of Python that sum the 32-bit words after the
// first one (rotate the sum right by one bit, add the word), as the documentation describes.
std::vector<uint8_t> Records(const std::vector<std::vector<Patch>>& records, size_t size) {
  std::vector<uint8_t> bytes(size, 0);
  for (const auto& record : records) Apply(bytes, record);
  return bytes;
}

std::vector<uint8_t> Block(const std::vector<Patch>& patches) { return Records({patches}, 512); }

DumpResult Dump(DumpType type, const std::vector<uint8_t>& bytes, int count = 1) {
  return RunOnBytes(MakeRequest(type, "0", "0x00000000", count), bytes);
}

TEST(LeanSuperBlock, ListingAndRules) {
  const std::vector<uint8_t> super = Block(
      {Le32(0x00, 0xE3966E61), Text(0x04, "LEAN"), Le16(0x08, 0x0100), U8(0x0A, 2), U8(0x0B, 12), Le32(0x0C, 1),
       {0x10, {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
       Text(0x20, "Trovik test volume: a label that fills all 64 bytes of its field"), Le64(0x60, 0x100000040),
       Le64(0x68, 0x100000033), Le64(0x70, 0x20000000A), Le64(0x78, 1), Le64(0x80, 0x10000003F), Le64(0x88, 2),
       Le32(0x90, 0x1BADB002), Le32(0x94, 0xDEADBEEF), Le64(0x98, 3), Le64(0xA0, 0x3E), Le64(0xA8, 0x3D),
       Le32(0xB0, 5), U8(0xB4, 9), U8(0xB8, 0x11), U8(0x1FF, 0x22)});
  ExpectReport(Dump(DumpType::LeanSuper, super), "lean/super");
  ExpectRules(MakeRequest(DumpType::LeanSuper), super, {
      {"checksum field", {Le32(0, 0x12345678)}, {"Checksum: 0x12345678[[ <-- Should be:: 0xE3966E61\\n]]"}},
      {"last byte summed", {U8(0x1FF, 0x23)}, {"Checksum: 0xE3966E61[[ <-- Should be:: 0xE4966E61\\n]]"}},
      {"magic", {U8(0x07, 'X'), Le32(0, 0x0B966E61)}, {"Magic: 0x5841454C  (LEAX)[[ <-- Should be: 0x4E41454C\\n]]"}},
      {"version", {Le16(0x08, 0x0102), Le32(0, 0xE3966EB1)},
       {"Version:     0x0102  (1.02)[[ <-- Should be: 0x0100\\n]]"}},
      {"state bit 2 allowed", {Le32(0x0C, 4), Le32(0, 0xE3966E51)}, {}},
      {"state bit 3", {Le32(0x0C, 8), Le32(0, 0xE392ED11)},
       {"State: 0x00000008 (errors = 0) (clean unmount = 0)[[ <-- Bits 15:3 must be zero.\\n]]"}},
      {"free one below total", {Le64(0x68, 0x10000003F), Le32(0, 0x43966E62)}, {}},
      {"free equal to total", {Le64(0x68, 0x100000040), Le32(0, 0x4B966E62)},
       {"Next Free: 0x000000020000000A  (8589934602)[[ <-- Free blocks > Total blocks.\\n]]"}},
      {"free above total in the high word", {Le64(0x68, 0x200000033), Le32(0, 0xF3966E61)},
       {"Next Free: 0x000000020000000A  (8589934602)[[ <-- Free blocks > Total blocks.\\n]]"}},
      {"primary super 32", {Le64(0x78, 32), Le32(0, 0x63966E71)}, {}},
      {"primary super 33", {Le64(0x78, 33), Le32(0, 0xE3966E71)},
       {"Primary Super LBA: 0x0000000000000021  (33)[[ <-- Primary Super is not within the first 33 blocks.\\n]]"}},
      {"primary super in the high word", {Le64(0x78, 0x100000001), Le32(0, 0xE3966E62)},
       {"Primary Super LBA: 0x0000000100000001  (4294967297)[[ <-- Primary Super is not within the first 33 "
        "blocks.\\n]]"}},
  });
}

// Root directory inode: every attribute bit that names something, two inline attributes, then the end
// entry.
TEST(LeanInodeAndIndirect, ListingsAndRules) {
  const std::vector<uint8_t> root = Block(
      {Le32(0x00, 0x5B57FD61), Text(0x04, "NODE"), U8(0x08, 2), Le32(0x0C, 1), Le32(0x10, 2), Le32(0x14, 1000),
       Le32(0x18, 0xFFFFFFFE), Le32(0x1C, 0x401FFDFF), Le64(0x20, 0x100000200), Le64(0x28, 0x200000003),
       Le64(0x30, 1678786013500000), Le64(0x38, 1678786000000000), Le64(0x40, 1678700000000000),
       Le64(0x48, 1007560989000000), Le64(0x50, 8), Le64(0x58, 0x100000009), Le64(0x60, 0x20000000B), Le64(0x68, 4),
       Le64(0x70, 0x100000010), Le64(0xA0, 0x77), Le32(0xA8, 1), Le32(0xAC, 0xFFFFFFFF), Le32(0xC4, 7),
       Le32(0xC8, 0x0900000F), Text(0xCC, "user.mimeinode/directory"), Le32(0xE4, 0x07000017),
       Text(0xE8, "commentroot of the test volume")});
  ExpectReport(Dump(DumpType::LeanInode, root), "lean/inode-directory");

  // A fork whose inline attributes fill the 312 bytes after the inode exactly: data cut to 255 bytes
  // on the listing, and no entry past the area's end.
  const std::vector<uint8_t> fork =
      Block({Le32(0x00, 0x4F764744), Text(0x04, "NODE"), Le32(0x10, 1), Le32(0x1C, 0x80080000), Le32(0xC8, 300),
             Text(0xCC, std::string(300, 'f')), Le32(0x1F8, 0x02000002), Text(0x1FC, "gghh")});
  ExpectReport(Dump(DumpType::LeanInode, fork), "lean/inode-fork");
  ExpectRules(MakeRequest(DumpType::LeanInode), fork, {
      {"last byte summed", {U8(0xC7, 1)}, {"Checksum: 0x4F764744[[ <-- Should be:: 0x50764744\\n]]"}},
      {"attributes not summed", {Text(0xCC, "F")}, {}},
      {"magic", {U8(0x04, 0), Le32(0, 0x4F284744)}, {"Magic: 0x45444F00  (ODE)[[ <-- Should be 0x45444F4E\\n]]"}},
      {"reserved", {U8(0x0B, 1), Le32(0, 0x4F764944)}, {"Reserved: 00 00 01[[ <-- Should be zero.\\n]]"}},
      {"links", {Le32(0x10, 0), Le32(0, 0x4F6E4744)}, {"Links Count: 0[[ <-- Should not be zero.\\n]]"}},
      {"attribute one byte past the area", {Le32(0x1F8, 0x02000003)},
       {"1: name_len = 2  data_len = 3[[ <-- name and/or data past block boundary for inode.\\n]]"}},
  });
  // Name and data are shown only from inside the area, whatever the lengths claim.
  std::vector<uint8_t> cut = fork;
  Apply(cut, {Le32(0x1F8, 0x03000200)});
  ExpectReport(Dump(DumpType::LeanInode, cut), "lean/inode-attribute-cut");

  // A regular file with twelve small attributes: eleven are listed.
  std::vector<Patch> patches = {Le32(0x00, 0x4F5E4744), Text(0x04, "NODE"), Le32(0x10, 1), Le32(0x1C, 0x20080000)};
  for (int i = 0; i < 12; ++i)
    patches.insert(patches.end(),
                   {Le32(0xC8 + 8 * i, 0x01000003), Text(0xCC + 8 * i, std::string(1, 'a' + i) + "xyz")});
  std::vector<uint8_t> regular = Block(patches);
  ExpectReport(Dump(DumpType::LeanInode, regular), "lean/inode-regular");
  regular[0x1F] = 0x60;
  EXPECT_NE(Dump(DumpType::LeanInode, regular).text.find("    + File type: symbolic link\n"), std::string::npos);
  regular[0x1F] = 0xA0;
  EXPECT_EQ(Dump(DumpType::LeanInode, regular).text.find("File type"), std::string::npos);

  const std::vector<uint8_t> indirect =
      Block({Le32(0x00, 0x57315C25), Text(0x04, "INDX"), Le64(0x08, 0x100000002), Le64(0x10, 7), Le64(0x18, 8),
             Le64(0x20, 0x100000005), Le64(0x28, 0x200000006), Le16(0x30, 2), Le64(0x38, 11), Le64(0x40, 13),
             Le64(0x160, 0x100000025), Le32(0x168, 1), Le32(0x16C, 2), Le32(0x1FC, 0x80000000)});
  ExpectReport(Dump(DumpType::LeanIndirect, indirect), "lean/indirect");
  ExpectRules(MakeRequest(DumpType::LeanIndirect), indirect, {
      {"last byte summed", {U8(0x1FF, 0x7F)}, {"Checksum: 0x57315C25[[ <-- Should be:: 0x56315C25\\n]]"}},
      {"magic", {U8(0x07, 'Y'), Le32(0, 0x5B315C25)}, {"Magic: 0x59444E49  (INDY)[[ <-- Should be: 0x58444E49\\n]]"}},
      {"38 extents", {Le16(0x30, 38), Le32(0, 0x5735DC25)}, {}},
      {"39 extents", {Le16(0x30, 39), Le32(0, 0x5735FC25)}, {"Number of Extents: 39[[ <-- Should be <= 38.\\n]]"}},
      {"no extent", {Le16(0x30, 0), Le32(0, 0x57311C25)},
       {"Number of Extents: 0[[ <-- Should be > 0.  Why else would you have an indirect block if no extents were "
        "included?\\n]]"}},
      {"reserved0", {U8(0x33, 1), Le32(0, 0x57315C45)}, {"Reserved0: 00 01[[ <-- Should be 0's.\\n]]"}},
      {"reserved1", {Le32(0x34, 0x10000), Le32(0, 0x97315C26)}, {"Reserved1: 0x10000[[ <-- Should be 0.\\n]]"}},
  });
}

// A directory record: inode, type, length in 16-byte units, name length, then the name.
std::vector<Patch> Record(uint64_t at, uint64_t inode, uint8_t type, uint8_t units, uint16_t nameLen,
                          const std::string& name) {
  return {Le64(at, inode), U8(at + 8, type), U8(at + 9, units), Le16(at + 10, nameLen), Text(at + 12, name)};
}

// Each record is found from the previous one's length, never from a fixed size.
TEST(LeanDirectory, RecordsAreWalkedByTheirLength) {
  const std::vector<uint8_t> block = Records(
      {Record(0x00, 3, 2, 1, 1, "."), Record(0x10, 0x200000001, 2, 1, 2, ".."), Record(0x20, 5, 1, 2, 9, "hello.txt"),
       Record(0x40, 7, 3, 6, 70, std::string(35, 'o') + std::string(35, 'p')), Record(0xA0, 0, 0, 22, 0, ""),
       {U8(0x1FF, 0xAB)}},
      512);
  ExpectReport(Dump(DumpType::LeanDir, block, 5), "lean/directory");

  // A fork record whose name fills it; a bad type and a 258-byte name in a record longer than one read
  // (the bytes past the read are not listed); a name one byte longer than its record; then a zero length
  // ends the walk.
  std::vector<uint8_t> odd = Records({Record(0x00, 9, 4, 2, 20, std::string("n\0", 2) + std::string(18, 'n')),
                                      Record(0x20, 0x0102030405060708, 5, 0x30, 0x102, std::string(258, 'L')),
                                      {{0x220, std::vector<uint8_t>(256, 0xEE)}},
                                      Record(0x320, 2, 1, 2, 21, "name-cut-at-20-bytes")},
                                     1024);
  ExpectReport(Dump(DumpType::LeanDir, odd, 10), "lean/directory-odd");
}

}  // namespace
}  // namespace trovik::test
