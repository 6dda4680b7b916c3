// QOR file system superblock and directory slots: whole listings as golden files, every rule as a patch.
#include <gtest/gtest.h>

#include "support/Golden.h"
#include "support/RuleTable.h"

namespace trovik::test {
namespace {

// Structures are built at the offsets of the file system's published tables. Every CRC literal here
// is the standard CRC-32 (Python's zlib.crc32, which gives the published check value 0xCBF43926 for
// "123456789") of the structure with its CRC field zeroed; slots keep its low byte.
std::vector<uint8_t> Bytes(size_t size, const std::vector<Patch>& patches) {
  std::vector<uint8_t> bytes(size, 0);
  Apply(bytes, patches);
  return bytes;
}

DumpResult Dump(DumpType type, const std::vector<uint8_t>& bytes, int count = 1) {
  return RunOnBytes(MakeRequest(type, "0", "0x00000000", count), bytes);
}

TEST(QorSuperBlock, ListingAndRules) {
  const std::vector<uint8_t> super = Bytes(
      512, {Le32(0, 0x514F5246), Le32(4, 0x53555052), Le16(8, 0x0150), Le16(10, 8), U8(12, 1), U8(13, 2),
            Le16(14, 1), Le32(16, 16), Le64(20, 0x100000800), Le64(28, 5), Le64(36, 3), Le64(44, 0x10000003D),
            Le64(52, 0x100000040), Le64(60, 1), Le64(68, 0x100000002), Le32(76, 3600), Le32(80, 0xFFFFFFFF),
            Le32(84, 3), Le32(88, 0x79BE8728),
            {92, {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE, 0x23, 0x01, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
            Text(108, "QOR test volume")});
  ExpectReport(Dump(DumpType::QorSuper, super), "qorfs/super");
  ExpectReport(Dump(DumpType::QorSuper, std::vector<uint8_t>(512, 0)), "qorfs/super-zero");
  ExpectRules(MakeRequest(DumpType::QorSuper), super, {
      {"last byte, in the CRC and the filler", {U8(511, 0x41)},
       {"CRC: 0x79BE8728[[ <-- Should be 0x7865F62E\\n]]",
        "000001FC  00 00 00 41                                         ...A[[",
        "One or more of the values above was not zero.\\n]]"}},
      {"version 1.49", {Le16(8, 0x0149), Le32(88, 0xD7068B0D)}, {"Version: 1.49[[ <-- Should be at least 1.50.\\n]]"}},
      {"version 1.05", {Le16(8, 0x0105), Le32(88, 0x3C9DBC53)}, {"Version: 1.5[[ <-- Should be at least 1.50.\\n]]"}},
      {"version 2.00", {Le16(8, 0x0200), Le32(88, 0x502DF526)}, {}},
      {"256 sectors per cluster", {Le16(10, 0x100), Le32(88, 0x62FD788C)}, {}},
      {"encryption", {U8(12, 2), Le32(88, 0x8D43A72D)}, {"Encryption Type: 2[[ <-- Should be a 0 or 1.\\n]]"}},
      {"3 bitmaps", {U8(13, 3), Le32(88, 0xD7E2B6E5)}, {"Number of Bitmaps: 3[[ <-- Should be 1 or 2.\\n]]"}},
      {"bitmap flag", {Le16(14, 4), Le32(88, 0xAC1815A3)},
       {"Bitmap Flag: 0x00000004[[ <-- Bits 30 - 2 should be zero.\\n]]"}},
      {"root entries", {Le32(16, 18), Le32(88, 0x0AA2D8CC)},
       {"Root Entries: 18[[ <-- Should be divisiable by 4.\\n]]"}},
      {"root at the data block's end", {Le64(28, 0x100000040), Le32(88, 0x5C82A857)}, {}},
      {"root past the data block", {Le64(28, 0x100000041), Le32(88, 0x343270FE)},
       {"Root LSN: 4294967361[[ <-- Must be within data block.\\n]]"}},
      {"root before the data block", {Le64(28, 2), Le32(88, 0xB9DD8A36)},
       {"Root LSN: 2[[ <-- Must be within data block.\\n]]"}},
      {"data block past the volume's end", {Le64(44, 0x10000003E), Le64(28, 3), Le32(88, 0xECC98B39)},
       {"Sectors in Data Block: 4294967358[[ <-- There are more data_sectors than there are total sectors.\\n]]"}},
      {"data block starting past the volume, not wrapped",
       {Le64(36, 0x100000041), Le64(28, 0x100000041), Le64(44, 0), Le32(88, 0xCDB9A9CD)},
       {"Sectors in Data Block: 0[[ <-- There are more data_sectors than there are total sectors.\\n]]"}},
      {"first bitmap", {Le64(60, 0x100000040), Le32(88, 0xE2FB0AE3)},
       {"First Bitmap LSN: 4294967360[[ <-- Out of range.\\n]]"}},
      {"volume flags", {Le32(84, 4), Le32(88, 0xF9BC09C8)},
       {"Volume Flags: 0x00000004  (Not Case Sensitive) (No Copy)[[ <-- Bits 31 - 2 should be zero.\\n]]"}},
  });
}

// The patches with `count` 32-bit FAT entries from `at`, numbered from `first`.
std::vector<Patch> WithFats(std::vector<Patch> patches, int at, uint32_t first, int count) {
  for (int i = 0; i < count; ++i) patches.push_back(Le32(at + 4 * i, first + i));
  return patches;
}

TEST(QorSlots, FileSubdirAndContinueSlots) {
  // Eight FAT entries after a 10-byte name (from offset 60), then seven after a 5-byte name holding a
  // NUL (from offset 56), which leaves an empty continuation line.
  const std::vector<uint8_t> slot = Bytes(
      128, WithFats({Le32(0, 0x534C4F54), Le32(4, 0x3F), U8(13, 8), U8(14, 0x6D), Le32(16, 0x5C3A1F00),
                     Le32(20, 0x5C3A2E10), Le64(24, 0x100000123), Le32(32, 5), Le32(36, 0xFFFFFFFF), U8(42, 10),
                     Text(48, "readme.txt")},
                    60, 7, 8));
  std::vector<uint8_t> both = slot;
  Apply(both, {{128, Bytes(128, WithFats({Le32(0, 0x534C4F54), Le32(4, 0x21), U8(13, 7), U8(14, 0xE8), U8(42, 5),
                                          Text(48, std::string("ab\0de", 5))}, 56, 0xA0, 7))}});
  ExpectReport(Dump(DumpType::QorSlot, both, 2), "qorfs/slots");
  ExpectRules(MakeRequest(DumpType::QorSlot), slot, {
      {"last byte", {U8(127, 1)}, {"CRC: 0x6D[[ <-- Should be: 0xFB\\n]]"}},
      {"sig", {U8(0, 'X'), U8(14, 0x78)}, {"sig: 0x534C4F58  ('SLOX') [[ <-- Should be 0x534C4F54.\\n]]"}},
      {"attribute bit 31", {U8(7, 0x80), U8(14, 0x2D)},
       {"Attribute: 0x8000003F  Archive Subdirectory Volume Label System Hidden Read Only[[ <-- Bits 31 - 6 should "
        "be zeros.\\n]]"}},
      {"resv", {U8(12, 1), U8(14, 0x85)}, {"resv: 00 00 00 00 01[[ <-- Should be zeros.\\n]]"}},
      {"20 FAT entries, cut at the slot's end", {U8(13, 20), U8(14, 0x75)},
       {"Fat Entries: 20[[ <-- Must be 0 to 19.\\n]]", "0x00000000, 0x00000000, 0x00000000, [[ <-- (truncated)\\n]]"}},
      {"scratch", {U8(15, 1), U8(14, 0x60)}, {"scratch: 0x01[[ <-- Should be zero when written to disk.\\n]]"}},
      {"flags", {Le16(40, 0x100), U8(14, 0x19)}, {"Flags: 0x0100[[ <-- Should be zero.\\n]]"}},
      {"81-byte name, cut at the slot's end", {U8(42, 81), Text(48, std::string(80, 'n')), U8(14, 0xF9)},
       {"Name Length: 81[[ <-- Should be no more than 80.\\n]]",
        "name: " + std::string(80, 'n') + "[[ <-- (truncated)\\n]]",
        "fats: [[ <-- (truncated)\\n]]"}},
      {"resv1", {U8(47, 2), U8(14, 0x8B)}, {"resv1: 00 00 00 00 02[[ <-- Should be zeros.\\n]]"}},
  });

  const std::vector<uint8_t> sub =
      Bytes(128, WithFats({Le32(0, 0x53554220), Le64(5, 0x0102030405060708), U8(13, 20), U8(14, 0xB0),
                           Le32(16, 0x5C3A1F00), Le64(24, 0x100000200), Le32(32, 7), Le32(36, 1)}, 48, 0x100, 20));
  ExpectReport(Dump(DumpType::QorSubdir, sub), "qorfs/subdir");
  ExpectRules(MakeRequest(DumpType::QorSubdir), sub, {
      {"last byte", {U8(127, 1)}, {"CRC: 0xB0[[ <-- Should be: 0x26\\n]]"}},
      {"sig", {U8(0, 'X'), U8(14, 0xF5)}, {"sig: 0x53554258  ('SUBX') [[ <-- Should be 0x53554220.\\n]]"}},
      {"reserved", {U8(4, 1), U8(14, 0x25)}, {"Reserved: 0x01[[ <-- Should be 0x00.\\n]]"}},
      {"no FAT entry", {U8(13, 0), U8(14, 0x63)}, {"Fat Entries: 0[[ <-- Must be 1 to 20.\\n]]"}},
      {"21 FAT entries, 20 listed", {U8(13, 21), U8(14, 0xF1)},
       {"Fat Entries: 21[[ <-- Must be 1 to 20.\\n]]",
        "0x0000010E, 0x0000010F, 0x00000110, 0x00000111, 0x00000112, 0x00000113, [[ <-- (truncated)\\n]]"}},
      {"scratch", {U8(15, 1), U8(14, 0xBD)}, {"scratch: 0x01[[ <-- Should be zero when written to disk.\\n]]"}},
      {"reserved at 20", {U8(23, 1), U8(14, 0xB5)}, {"Reserved: 0x01000000[[ <-- Should be 0x00000000.\\n]]"}},
      {"reserved at 40", {U8(41, 1), U8(14, 0xC4)}, {"Reserved: 0x0100[[ <-- Should be 0x0000.\\n]]"}},
      {"name length", {U8(42, 1), U8(14, 0xDA)}, {"Name Length: 1[[ <-- Should be zero.\\n]]"}},
      {"reserved at 43", {U8(43, 1), U8(14, 0x31)}, {"Reserved: 01 00 00 00 00[[ <-- Should be zeros.\\n]]"}},
  });

  // Continuation slots: NAME, FAT with seven 32-bit entries (one line), FAT with five 64-bit entries (two
  // lines), and a slot with neither signature (its rule shows on the listing).
  const std::vector<uint8_t> name =
      Bytes(128, {Le32(0, 0x4E414D45), Le32(4, 2), Le32(8, 0xFFFFFFFF), U8(12, 20), U8(14, 0xF3),
                  Text(16, "cdefghijklmnopqrstuv")});
  const std::vector<uint8_t> fat32 =
      Bytes(128, WithFats({Le32(0, 0x46415420), Le32(4, 4), Le32(8, 6), U8(12, 7), U8(14, 0x49)}, 16, 0x27, 7));
  const std::vector<uint8_t> fat64 =
      Bytes(128, {Le32(0, 0x46415420), Le32(4, 5), U8(12, 5), U8(13, 1), U8(14, 0x5C), Le64(16, 0x100000000),
                  Le64(24, 0x100000001), Le64(32, 0x100000002), Le64(40, 0x100000003), Le64(48, 0x100000004)});
  const std::vector<uint8_t> illegal = Bytes(128, {Text(0, "WZYX"), U8(12, 3), U8(14, 0x21), U8(15, 7)});
  std::vector<uint8_t> all;
  for (const auto* slot : {&name, &fat32, &fat64, &illegal}) all.insert(all.end(), slot->begin(), slot->end());
  ExpectReport(Dump(DumpType::QorCont, all, 4), "qorfs/continue");
  ExpectRules(MakeRequest(DumpType::QorCont), name, {
      {"last byte", {U8(127, 1)}, {"CRC: 0xF3[[ <-- Should be: 0x65\\n]]"}},
      {"scratch not checked", {U8(15, 7), U8(14, 0x52)}, {}},
      {"112 name bytes", {U8(12, 112), U8(14, 0x53)}, {}},
      {"113 name bytes", {U8(12, 113), U8(14, 0xBB)},
       {"Entries: 113[[ <-- Should be less <= 112.\\n]]", "name: cdefghijklmnopqrstuv[[ <-- (truncated)\\n]]"}},
      {"no 32-bit entry", {Le32(0, 0x46415420), U8(12, 0), U8(14, 0x94)},
       {"Entries: 0[[ <-- Should be at least 1 and less <= 28.\\n]]"}},
      {"28 32-bit entries", {Le32(0, 0x46415420), U8(12, 28), U8(14, 0xF4)}, {}},
      {"29 32-bit entries", {Le32(0, 0x46415420), U8(12, 29), U8(14, 0x1C)},
       {"Entries: 29[[ <-- Should be at least 1 and less <= 28.\\n]]",
        "0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, [[ <-- (truncated)\\n]]"}},
      {"no 64-bit entry", {Le32(0, 0x46415420), U8(12, 0), U8(13, 1), U8(14, 0xD5)},
       {"Entries: 0[[ <-- Should be at least 1 and less <= 14.\\n]]"}},
      {"14 64-bit entries", {Le32(0, 0x46415420), U8(12, 14), U8(13, 1), U8(14, 0xE5)}, {}},
      {"15 64-bit entries", {Le32(0, 0x46415420), U8(12, 15), U8(13, 1), U8(14, 0x0D)},
       {"Entries: 15[[ <-- Should be at least 1 and less <= 14.\\n]]",
        "0x0000000000000000, 0x0000000000000000, [[ <-- (truncated)\\n]]"}},
  });
}

}  // namespace
}  // namespace trovik::test
