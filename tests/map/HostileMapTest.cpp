// Images built byte by byte that point where they should not: the map must
// end, stay within its read budget, and say what it did not follow.
#include <gtest/gtest.h>

#include <numeric>

#include "map/MapTestSupport.h"
#include "support/FakeFile.h"

namespace trovik::test {
namespace {

uint64_t BytesRead(const FakeFile& file) {
  return std::accumulate(file.log.begin(), file.log.end(), uint64_t{0},
                         [](uint64_t sum, const FakeFile::Access& a) { return sum + a.length; });
}

TEST(HostileMap, AnEbrChainThatLoopsOrExceedsTheReadBudgetEndsWithARow) {
  FakeFile file(1 << 20);
  file.Put(0, TableSector({{0x05, 1, 100}}));
  // EBR 1 at the extended start, EBR 2 four sectors on, whose link names itself.
  file.Put(0x200, TableSector({{0x83, 10, 4}, {0x05, 4, 20}}));
  file.Put(0xA00, TableSector({{0x83, 30, 4}, {0x05, 4, 20}}));
  const auto rows = BuildMap(file);
  EXPECT_EQ(Problems(rows), "EBR 3 <-- the chain loops back to 0x00000A00\n");
  EXPECT_EQ(NoteAt(rows, "partition 5 ("), 0x200 + 10 * 512);
  EXPECT_EQ(NoteAt(rows, "partition 6 ("), 0xA00 + 30 * 512);
  EXPECT_EQ(NoteAt(rows, "partition 7 ("), UINT64_MAX);

  // The read budget ends the map with a row.
  file.log.clear();
  MapLimits limits;
  limits.readBudget = 3000;  // the image's probes and one EBR
  EXPECT_EQ(Problems(BuildMap(file, limits)), "the image <-- the map stopped after reading 3000 bytes\n");
  EXPECT_LE(BytesRead(file), 3000u);
}

TEST(HostileMap, GptEntryCountOfAllOnesIsSearchedOnlyInPart) {
  FakeFile file(uint64_t{8} << 20);
  file.Put(0, TableSector({{0xEE, 1, 0xFFFFFFFF}}));
  file.Put(512, Built(512, {Text(0, "EFI PART"), Le64(72, 2), Le32(80, 0xFFFFFFFF), Le32(84, 128)}));  // entries at LBA 2
  // The second entry, of some type GUID, is the only one used.
  file.Put(1024 + 128, Built(128, {U8(0, 0xAF), Le64(32, 2048), Le64(40, 4095)}));

  const auto rows = BuildMap(file);
  EXPECT_EQ(Problems(rows), "GPT entry array <-- entry count 4294967295: only the first 4096 entries were searched\n");
  const MapRow* entries = FindRow(rows, DumpType::GptEntry);
  ASSERT_NE(entries, nullptr);
  EXPECT_EQ(entries->offset, 1024u);
  EXPECT_EQ(entries->count, 2);
  EXPECT_LE(BytesRead(file), uint64_t{1} << 20);
  EXPECT_EQ(file.OutOfBounds(), "");
}

TEST(HostileMap, PartitionsPastTheEndOrBackAtTheStartAreRowsNotFollowed) {
  FakeFile file(1 << 20);
  // A partition past the end, one that is the disk itself, one cut short.
  file.Put(0, TableSector({{0x83, 0x100000, 8}, {0x0C, 0, 2048}, {0x83, 1024, 4096}}));
  const auto rows = BuildMap(file);
  EXPECT_EQ(Problems(rows),
            "partition 1 (0x83 Linux), 4096 bytes <-- it starts past the end of the file (0x00100000 bytes)\n"
            "partition 2 (0x0C W95 FAT32 (LBA)), 1048576 bytes <-- it starts at 0x00000000, which is already mapped\n");
  EXPECT_EQ(rows.back().what, "partition 3 (0x83 Linux), 2097152 bytes, cut short by the end of the file");
  EXPECT_EQ(file.OutOfBounds(), "");
}

TEST(HostileMap, PartitionsNestedWithoutEndStopAtTheDepthLimit) {
  // Every partition's first sector is a table naming a partition one sector on.
  FakeFile file(1 << 20);
  for (uint32_t lba = 0; lba < 64; ++lba) file.Put(lba * 512, TableSector({{0x83, 1, 1000}}));
  const auto rows = BuildMap(file);
  EXPECT_EQ(Problems(rows).find("it is nested too deep"), Problems(rows).rfind("it is nested too deep"));
  EXPECT_NE(Problems(rows).find("it is nested too deep"), std::string::npos);
  EXPECT_LT(rows.size(), 30u);
}

TEST(HostileMap, FatRootDirectoryOutsideItsVolume) {
  FakeFile file(1 << 20);
  file.Put(0, Fat12Volume(512));
  file.Put(14, {0x70, 0x17});  // 6000 reserved sectors run past the 320 the volume has
  const auto rows = BuildMap(file);
  EXPECT_EQ(Problems(rows), "FAT root directory <-- it lies outside its volume\n");
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].type, DumpType::FatBpb);
  EXPECT_EQ(file.OutOfBounds(), "");
}

}  // namespace
}  // namespace trovik::test
