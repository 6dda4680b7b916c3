// LEAN and QOR volumes built byte by byte; what the map prints (JSON, lines,
// the dumps of --all) and rows past 4 GiB dumped through a base.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

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
  // Two directory records of 16 and 32 bytes, then the end: in the root inode itself or in its first data block.
  const std::vector<Patch> entries{U8(9, 1), U8(16 + 9, 2)};
  for (const bool attributes : {false, true}) {
    FakeFile file(64 * 1024);
    // 512-byte blocks, the root inode in block 10; the superblock in the third sector.
    file.Put(1024, Built(512, {Text(4, "LEAN"), U8(0xB4, 9), Le64(0x98, 10)}));
    std::vector<uint8_t> inode = Built(512, {Text(4, "NODE")});
    const uint64_t data = attributes ? 5632 : 5120 + 0xC8;
    if (attributes)
      Apply(inode, {Le32(0x1C, 0x00080000)}), file.Put(data, Built(64, entries));
    else
      for (const Patch& p : entries) Apply(inode, {{p.offset + 0xC8, p.bytes}});
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
  // The two signature words as stored, 8 root entries at LSN 20.
  file.Put(512, Built(512, {Text(0, "FROQRPUS"), Le32(16, 8), Le64(28, 20), Text(108, "VOL\x01")}));
  file.Put(20 * 512, Built(3 * 128, {Text(0, "TOLS"), Text(128, "TOLS")}));
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
  const std::string path = dir.Write("floppy.img", Fat12Volume());
  ProgramOutcome map = Dump({"--map", path});
  ASSERT_EQ(map.status, 0) << map.err;
  EXPECT_EQ(map.out.find('\x1b'), std::string::npos) << map.out;
  EXPECT_NE(map.out.find("volume '\xC2\xB7[2J\"LABEL'"), std::string::npos) << map.out;
  ProgramOutcome json = Dump({"--map", "--json", path});
  EXPECT_NE(json.out.find("volume '\\u00b7[2J\\\"LABEL'"), std::string::npos) << json.out;
  // The root directory: the label, three files and a folder, and six long-name entries.
  EXPECT_NE(json.out.find("\"type\": \"fat-dir\", \"count\": 11,"), std::string::npos) << json.out;

  // Each structure's report under its header ("==== -t TYPE -s START [-n COUNT]: what") is the single run's.
  const std::string all = Dump({"--map", "--all", path}).out;
  int sections = 0;
  for (size_t at = all.find("==== "); at != std::string::npos; ++sections) {
    const size_t colon = all.find(':', at), body = all.find('\n', at) + 1, next = all.find("\n==== ", body);
    std::istringstream words(all.substr(at + 5, colon - at - 5));
    std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    args.push_back(path);
    EXPECT_EQ(all.substr(body, next - body), Dump(args).out) << all.substr(at, colon - at);
    at = next == std::string::npos ? next : next + 1;
  }
  EXPECT_EQ(sections, 2) << all;
}

TEST(MapOutput, RowsPastFourGiBAreDumpedThroughTheirPartitionsStart) {
  // An MBR partition at 5 GiB holding a FAT12 volume.
  FakeFile file(uint64_t{6} << 30);
  file.Put(0, TableSector({{0x01, 5 * 2 * 1024 * 1024, 2880}}));  // 5 GiB in sectors
  const uint64_t partition = uint64_t{5} << 30;
  file.Put(partition, Fat12Volume(512));
  const auto rows = BuildMap(file);
  const MapRow* bpb = FindRow(rows, DumpType::FatBpb);
  ASSERT_NE(bpb, nullptr);
  EXPECT_EQ(bpb->offset, partition);
  EXPECT_EQ(bpb->base, partition);
  const MapRow* dir = FindRow(rows, DumpType::FatDir);
  EXPECT_EQ(dir, nullptr);  // the root directory is empty: a note, not a dump
  EXPECT_EQ(FindRow(rows, DumpType::Mbr)->base, 0u);

  const DumpResult through = RunOnFile(RowRequest(*bpb), file);
  const DumpResult direct = RunOnBytes(MakeRequest(DumpType::FatBpb, "0"), Fat12Volume(512));
  EXPECT_EQ(through.text,
            "Offsets below are relative to base 0x140000000 (the file from byte 5368709120 on).\n" + direct.text);
}

}  // namespace
}  // namespace trovik::test
