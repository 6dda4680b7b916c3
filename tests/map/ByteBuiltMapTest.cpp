// Images built byte by byte: hostile ones that point where they should not
// (the map must end, stay within its read budget, and say what it did not
// follow), LEAN and QOR volumes, rows past 4 GiB dumped through a base; and
// what the map prints (JSON, lines, the dumps of --all).
#include <gtest/gtest.h>

#include <iterator>
#include <numeric>
#include <sstream>

#include "map/MapTestSupport.h"
#include "support/Golden.h"
#include "support/FakeFile.h"
#include "support/ReportCapture.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

uint64_t BytesRead(const FakeFile& file) {
  return std::accumulate(file.log.begin(), file.log.end(), uint64_t{0},
                         [](uint64_t sum, const FakeFile::Access& a) { return sum + a.length; });
}

// Images built byte by byte, each with the rows of its map as --json prints them in tests/golden/map/<name>.txt:
// what is found where, and what was not followed and why. No map reads outside the file or more than 1 MiB.
TEST(BuiltMap, RowsOfEachImage) {
  const std::vector<uint8_t> lean = Built(512, {Text(4, "LEAN"), U8(0xB4, 9), Le64(0x98, 10)});
  struct Image {
    const char* name;
    uint64_t size;
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> pieces;
  };
  std::vector<Image> images = {
      // LEAN, 512-byte blocks, the superblock in the third sector, the root inode in block 10 with two directory
      // records of 16 and 32 bytes in itself or (with the inline-data attribute clear) in its first data block.
      {"lean-inline", 64 << 10, {{1024, lean}, {5120, Built(512, {Text(4, "NODE"), U8(0xC8 + 9, 1), U8(0xC8 + 25, 2)})}}},
      {"lean-block", 64 << 10,
       {{1024, lean}, {5120, Built(512, {Text(4, "NODE"), Le32(0x1C, 0x00080000)})}, {5632, Built(64, {U8(9, 1), U8(25, 2)})}}},
      // QOR: the two signature words as stored, 8 root entries at LSN 20, two of them used.
      {"qor", 64 << 10,
       {{512, Built(512, {Text(0, "FROQRPUS"), Le32(16, 8), Le64(28, 20), Text(108, "VOL\x01")})},
        {20 * 512, Built(3 * 128, {Text(0, "TOLS"), Text(128, "TOLS")})}}},
      // EBR 1 at the extended start, EBR 2 four sectors on, whose link names itself.
      {"ebr-loop", 1 << 20,
       {{0, TableSector({{0x05, 1, 100}})}, {0x200, TableSector({{0x83, 10, 4}, {0x05, 4, 20}})},
        {0xA00, TableSector({{0x83, 30, 4}, {0x05, 4, 20}})}}},
      // A GPT entry count of all ones; the second entry, of some type GUID, is the only one used.
      {"gpt-all-ones", 8 << 20,
       {{0, TableSector({{0xEE, 1, 0xFFFFFFFF}})},
        {512, Built(512, {Text(0, "EFI PART"), Le64(72, 2), Le32(80, 0xFFFFFFFF), Le32(84, 128)})},
        {1024 + 128, Built(128, {U8(0, 0xAF), Le64(32, 2048), Le64(40, 4095)})}}},
      // A partition past the end, one that is the disk itself, one cut short.
      {"partitions-outside", 1 << 20, {{0, TableSector({{0x83, 0x100000, 8}, {0x0C, 0, 2048}, {0x83, 1024, 4096}})}}},
      // 6000 reserved sectors run past the 320 the FAT12 volume has.
      {"fat-root-outside", 1 << 20, {{0, Fat12Volume(512)}, {14, {0x70, 0x17}}}},
  };
  // Every partition's first sector is a table naming a partition one sector on.
  images.push_back({"nested", 1 << 20, {}});
  for (uint32_t lba = 0; lba < 64; ++lba) images.back().pieces.emplace_back(lba * 512, TableSector({{0x83, 1, 1000}}));
  for (const Image& image : images) {
    FakeFile file(image.size);
    for (const auto& [at, bytes] : image.pieces) file.Put(at, bytes);
    ExpectGolden(MapJson(BuildMap(file)), std::string("map/") + image.name);
    EXPECT_EQ(file.OutOfBounds(), "") << image.name;
    EXPECT_LE(BytesRead(file), uint64_t{1} << 20) << image.name;
  }
  EXPECT_EQ(MapJson({}), "[]\n");
  // The read budget ends the map with a row: here after the image's probes and one EBR of the loop.
  FakeFile loop(1 << 20);
  for (const auto& [at, bytes] : images[3].pieces) loop.Put(at, bytes);
  MapLimits limits;
  limits.readBudget = 3000;
  EXPECT_EQ(Problems(BuildMap(loop, limits)), "the image <-- the map stopped after reading 3000 bytes\n");
  EXPECT_LE(BytesRead(loop), 3000u);
}

TEST(MapOutput, JsonEscapesImageTextAndCountsRed) {
  MapRow row;
  row.offset = 0x123456789ULL, row.type = DumpType::FatDir, row.count = 3, row.base = 0x100000000ULL, row.red = 2;
  row.what = "volume 'a\"b\\c\xB7'";
  MapRow problem;
  problem.what = "EBR 2", problem.problem = "tab\there";
  ExpectGolden(MapJson({row, problem}), "map/json");
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
  const uint64_t partition = uint64_t{5} << 30;
  FakeFile file(uint64_t{6} << 30);
  file.Put(0, TableSector({{0x01, 5 * 2 * 1024 * 1024, 2880}}));  // 5 GiB in sectors
  file.Put(partition, Fat12Volume(512));
  const auto rows = BuildMap(file);
  const MapRow* bpb = FindRow(rows, DumpType::FatBpb);
  ASSERT_NE(bpb, nullptr);
  EXPECT_EQ(bpb->offset, partition);
  EXPECT_EQ(bpb->base, partition);
  EXPECT_EQ(FindRow(rows, DumpType::FatDir), nullptr);  // the root directory is empty: a note, not a dump
  EXPECT_EQ(FindRow(rows, DumpType::Mbr)->base, 0u);

  const DumpResult through = RunOnFile(RowRequest(*bpb), file);
  const DumpResult direct = RunOnBytes(MakeRequest(DumpType::FatBpb, "0"), Fat12Volume(512));
  EXPECT_EQ(through.text,
            "Offsets below are relative to base 0x140000000 (the file from byte 5368709120 on).\n" + direct.text);
}

}  // namespace
}  // namespace trovik::test
