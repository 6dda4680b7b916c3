// LEAN and QOR volumes built byte by byte; what the map prints (JSON, lines,
// the dumps of --all) and rows past 4 GiB dumped through a base.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/ByteOrder.h"
#include "map/MapTestSupport.h"
#include "support/FakeFile.h"
#include "support/ReportCapture.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

std::vector<std::pair<DumpType, uint64_t>> Found(const std::vector<MapRow>& rows) {
  std::vector<std::pair<DumpType, uint64_t>> found;
  for (const MapRow& row : rows)
    if (row.type != DumpType::None) found.emplace_back(row.type, row.offset);
  return found;
}

TEST(SmallFsMap, LeanSuperblockRootInodeAndEntries) {
  for (const bool attributes : {false, true}) {
    FakeFile file(64 * 1024);
    std::vector<uint8_t> super(512);
    std::memcpy(super.data() + 4, "LEAN", 4);
    super[0xB4] = 9;                  // 512-byte blocks
    PutLe64(super.data() + 0x98, 10);  // root inode in block 10
    file.Put(1024, super);             // the third sector
    std::vector<uint8_t> inode(512);
    std::memcpy(inode.data() + 4, "NODE", 4);
    if (attributes) PutLe32(inode.data() + 0x1C, 0x00080000);
    std::vector<uint8_t> entries(64);
    entries[9] = 1;  // two records of 16 and 32 bytes, then the end
    entries[16 + 9] = 2;
    const uint64_t data = attributes ? 5632 : 5120 + 0xC8;
    if (attributes)
      file.Put(data, entries);
    else
      std::copy(entries.begin(), entries.end(), inode.begin() + 0xC8);
    file.Put(5120, inode);
    const auto rows = BuildMap(file);
    EXPECT_EQ(Problems(rows), "");
    EXPECT_EQ(Found(rows), (std::vector<std::pair<DumpType, uint64_t>>{
                               {DumpType::LeanSuper, 1024}, {DumpType::LeanInode, 5120}, {DumpType::LeanDir, data}}));
    EXPECT_EQ(rows.back().count, 2);
  }
}

TEST(SmallFsMap, QorSuperblockAndRootSlots) {
  FakeFile file(64 * 1024);
  std::vector<uint8_t> super(512);
  std::memcpy(super.data(), "FROQRPUS", 8);  // the two signature words as stored
  PutLe32(super.data() + 16, 8);              // root entries
  PutLe64(super.data() + 28, 20);             // root LSN
  std::memcpy(super.data() + 108, "VOL\x01", 4);
  file.Put(512, super);
  std::vector<uint8_t> slots(3 * 128);
  std::memcpy(slots.data(), "TOLS", 4);
  std::memcpy(slots.data() + 128, "TOLS", 4);
  file.Put(20 * 512, slots);
  const auto rows = BuildMap(file);
  EXPECT_EQ(Problems(rows), "");
  EXPECT_EQ(Found(rows), (std::vector<std::pair<DumpType, uint64_t>>{{DumpType::QorSuper, 512},
                                                                     {DumpType::QorSlot, 20 * 512}}));
  EXPECT_EQ(rows[0].what, "QOR superblock, volume 'VOL\xB7'");
  EXPECT_EQ(rows[1].count, 2);
}

TEST(MapOutput, JsonEscapesImageTextAndCountsRed) {
  MapRow row;
  row.offset = 0x123456789ULL;
  row.type = DumpType::FatDir;
  row.count = 3;
  row.base = 0x100000000ULL;
  row.what = "volume 'a\"b\\c\xB7'";
  row.red = 2;
  MapRow problem;
  problem.what = "EBR 2";
  problem.problem = "tab\there";
  EXPECT_EQ(MapJson({row, problem}),
            "[\n  {\"offset\": 4886718345, \"type\": \"fat-dir\", \"count\": 3, \"base\": 4294967296, "
            "\"what\": \"volume 'a\\\"b\\\\c\\u00b7'\", \"red\": 2},\n"
            "  {\"offset\": 0, \"type\": null, \"count\": 0, \"base\": 0, \"what\": \"EBR 2\", \"red\": 0, "
            "\"problem\": \"tab\\u0009here\"}\n]\n");
  EXPECT_EQ(MapJson({}), "[]\n");
}

TEST(MapOutput, CommandLineFiltersImageTextAndAllMatchesSingleRuns) {
  ScratchDir dir;
  std::vector<uint8_t> image = Fat12Boot();
  image.resize(2880 * 512);
  std::memcpy(image.data() + 19 * 512, "README  TXT", 11);  // the root directory's one entry
  const std::string path = dir.Write("floppy.img", image);

  ProgramOutcome map = Dump({"--map", path});
  ASSERT_EQ(map.status, 0) << map.err;
  EXPECT_EQ(map.out.find('\x1b'), std::string::npos) << map.out;
  EXPECT_NE(map.out.find("volume '\xC2\xB7[2J\"LABEL'"), std::string::npos) << map.out;
  ProgramOutcome json = Dump({"--map", "--json", path});
  EXPECT_NE(json.out.find("volume '\\u00b7[2J\\\"LABEL'"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"type\": \"fat-dir\", \"count\": 1,"), std::string::npos) << json.out;

  // Each structure's report under its header is the single run's, byte for byte.
  const ProgramOutcome all = Dump({"--map", "--all", path});
  const std::string single = Dump({"-t", "fat-bpb", "-s", "0x00000000", path}).out;
  const std::string entries = Dump({"-t", "fat-dir", "-s", "0x00002600", "-n", "1", path}).out;
  EXPECT_EQ(all.out, "==== -t fat-bpb -s 0x00000000: FAT12 boot sector, volume '\xC2\xB7[2J\"LABEL'\n" + single +
                         "\n==== -t fat-dir -s 0x00002600 -n 1: FAT root directory, 1 entry\n" + entries);
}

TEST(MapOutput, RowsPastFourGiBAreDumpedThroughTheirPartitionsStart) {
  // An MBR partition at 5 GiB holding a FAT12 volume.
  FakeFile file(uint64_t{6} << 30);
  std::vector<uint8_t> mbr(512);
  mbr[0x1BE + 4] = 0x01;
  PutLe32(mbr.data() + 0x1BE + 8, 5 * 2 * 1024 * 1024);  // 5 GiB in sectors
  PutLe32(mbr.data() + 0x1BE + 12, 2880);
  mbr[510] = 0x55;
  mbr[511] = 0xAA;
  file.Put(0, mbr);
  const uint64_t partition = uint64_t{5} << 30;
  file.Put(partition, Fat12Boot());
  const auto rows = BuildMap(file);
  const MapRow* bpb = FindRow(rows, DumpType::FatBpb);
  ASSERT_NE(bpb, nullptr);
  EXPECT_EQ(bpb->offset, partition);
  EXPECT_EQ(bpb->base, partition);
  const MapRow* dir = FindRow(rows, DumpType::FatDir);
  EXPECT_EQ(dir, nullptr);  // the root directory is empty: a note, not a dump
  EXPECT_EQ(FindRow(rows, DumpType::Mbr)->base, 0u);

  const DumpResult through = RunOnFile(RowRequest(*bpb), file);
  const DumpResult direct = RunOnBytes(MakeRequest(DumpType::FatBpb, "0"), Fat12Boot());
  EXPECT_EQ(through.text,
            "Offsets below are relative to base 0x140000000 (the file from byte 5368709120 on).\n" + direct.text);
}

}  // namespace
}  // namespace trovik::test
