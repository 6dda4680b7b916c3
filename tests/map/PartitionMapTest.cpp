// The map of disks made by the real partitioning and mkfs tools, checked
// against what sgdisk, sfdisk, minfo, dumpe2fs and debugfs say.
#include <algorithm>
#include <regex>
#include <sstream>

#include "map/MapTestSupport.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

// The start sector sfdisk --dump gives partition n ("disk.img2 : start=        22528, size=...").
uint64_t SfdiskStart(const std::string& dump, const std::string& disk, int n) {
  return NumberAfter(FieldAfter(dump, disk + std::to_string(n) + " :"), "start=");
}

TEST(PartitionMap, GptDiskWithFat16AndExt4MatchesTheTools) {
  ScratchDir dir;
  const std::string disk = dir.File("disk.img"), fat = dir.File("fat.img"), ext = dir.File("ext.img");
  Shell("truncate -s 64M " + disk + " && sgdisk -n1:2048:+16M -t1:ef00 -n2:0:+30M -t2:8300 " + disk + " >/dev/null");
  const std::string dump = Shell("sfdisk --dump " + disk);
  const uint64_t p1 = SfdiskStart(dump, disk, 1) * 512, p2 = SfdiskStart(dump, disk, 2) * 512;
  Shell("truncate -s 16M " + fat + " && mkfs.fat -F 16 -n EFIVOL " + fat + " >/dev/null");
  Shell("truncate -s 30M " + ext + " && mkfs.ext4 -q -b 1024 -L data " + ext);
  Shell("dd if=" + fat + " of=" + disk + " bs=512 seek=" + std::to_string(p1 / 512) +
        " conv=notrunc status=none && dd if=" + ext + " of=" + disk + " bs=512 seek=" +
        std::to_string(p2 / 512) + " conv=notrunc status=none");

  const auto rows = MapOf(disk);
  EXPECT_EQ(Problems(rows), "");
  EXPECT_EQ(OffsetsOf(rows, DumpType::Mbr), std::vector<uint64_t>{0x1BE});
  // The backup header lies in the disk's last sector.
  const uint64_t sectors = NumberAfter(Shell("sgdisk -p " + disk), "Disk " + disk + ":");
  EXPECT_EQ(OffsetsOf(rows, DumpType::GptHeader), (std::vector<uint64_t>{512, (sectors - 1) * 512}));
  const MapRow* entries = FindRow(rows, DumpType::GptEntry);
  ASSERT_NE(entries, nullptr);
  EXPECT_EQ(entries->count, 2);
  EXPECT_EQ(NoteAt(rows, "partition 1 ("), p1);
  EXPECT_EQ(NoteAt(rows, "partition 2 ("), p2);

  const uint64_t rootDir = FatRootDir(Shell("MTOOLS_SKIP_CHECK=1 minfo -i " + fat + " ::"));
  EXPECT_EQ(OffsetsOf(rows, DumpType::FatBpb, "volume 'EFIVOL'"), std::vector<uint64_t>{p1});
  EXPECT_EQ(OffsetsOf(rows, DumpType::FatDir), std::vector<uint64_t>{p1 + rootDir});

  const std::string dumpe2fs = Shell("dumpe2fs " + ext + " 2>/dev/null");
  const uint64_t block = NumberAfter(dumpe2fs, "Block size"), inodeSize = NumberAfter(dumpe2fs, "Inode size");
  EXPECT_EQ(OffsetsOf(rows, DumpType::Ext2Super, "ext4 superblock, volume 'data'"), std::vector<uint64_t>{p2 + 1024});
  const MapRow* groups = FindRow(rows, DumpType::Ext4Group);
  ASSERT_NE(groups, nullptr);
  EXPECT_EQ(groups->offset, p2 + NumberAfter(dumpe2fs, "Group descriptors at ") * block);
  const std::regex group("\nGroup [0-9]");  // dumpe2fs lists each group as "Group 3: (Blocks ...)"
  EXPECT_EQ(groups->count, std::distance(std::sregex_iterator(dumpe2fs.begin(), dumpe2fs.end(), group), {}));
  EXPECT_EQ(OffsetsOf(rows, DumpType::Ext2InodeLong),
            std::vector<uint64_t>{p2 + NumberAfter(dumpe2fs, "Inode table at ") * block + inodeSize});
  const auto bmap = [&](int inode) {
    return std::stoull(Shell("debugfs -R 'bmap <" + std::to_string(inode) + "> 0' " + ext + " 2>/dev/null"));
  };
  EXPECT_EQ(OffsetsOf(rows, DumpType::Ext2Dir), std::vector<uint64_t>{p2 + bmap(2) * block});
  EXPECT_EQ(OffsetsOf(rows, DumpType::Ext3Journal),
            std::vector<uint64_t>{p2 + bmap(NumberAfter(dumpe2fs, "Journal inode")) * block});
}

TEST(PartitionMap, MbrDiskWithLogicalPartitionsAndFat32MatchesTheTools) {
  ScratchDir dir;
  const std::string disk = dir.File("mbr.img");
  Shell("truncate -s 32M " + disk +
        " && printf 'label: dos\\nstart=2048, size=20480, type=c\\nstart=22528, size=40960, type=5\\n"
        "start=24576, size=4096, type=83\\nstart=30720, size=4096, type=83\\n' | sfdisk -q " + disk);
  Shell("mkfs.fat -F 32 -n BOOT --offset 2048 " + disk + " 10240 >/dev/null 2>&1");
  const std::string dump = Shell("sfdisk --dump " + disk);

  const auto rows = MapOf(disk);
  EXPECT_EQ(Problems(rows), "");
  for (int n : {1, 2, 5, 6}) EXPECT_EQ(NoteAt(rows, "partition " + std::to_string(n) + " ("), SfdiskStart(dump, disk, n) * 512) << n;
  // One EBR per logical partition, each a two-entry table.
  const auto ebrs = OffsetsOf(rows, DumpType::Mbr, "EBR");
  ASSERT_EQ(ebrs.size(), 2u);
  EXPECT_EQ(ebrs[0], SfdiskStart(dump, disk, 2) * 512 + 0x1BE);
  EXPECT_EQ(FindRow(rows, DumpType::Mbr, "EBR")->count, 2);

  const uint64_t p1 = SfdiskStart(dump, disk, 1) * 512;
  const std::string minfo = Shell("MTOOLS_SKIP_CHECK=1 minfo -i " + disk + "@@" + std::to_string(p1) + " ::");
  const uint64_t bps = NumberAfter(minfo, "sector size");
  const uint64_t dataStart =
      (NumberAfter(minfo, "reserved (boot) sectors") + NumberAfter(minfo, "fats") * NumberAfter(minfo, "Big fatlen=")) *
      bps;
  EXPECT_EQ(OffsetsOf(rows, DumpType::Fat32Bpb, "volume 'BOOT'"), std::vector<uint64_t>{p1});
  EXPECT_EQ(OffsetsOf(rows, DumpType::Fat32Info), std::vector<uint64_t>{p1 + NumberAfter(minfo, "infoSector location=") * bps});
  EXPECT_EQ(OffsetsOf(rows, DumpType::FatDir),
            std::vector<uint64_t>{p1 + dataStart + (NumberAfter(minfo, "rootCluster=") - 2) *
                                                      NumberAfter(minfo, "cluster size") * bps});
}

TEST(PartitionMap, CheckPassesACleanImageAndFailsABrokenRule) {
  ScratchDir dir;
  const std::string image = dir.File("fat32.img");
  Shell("truncate -s 40M " + image + " && mkfs.fat -F 32 " + image + " >/dev/null");
  ProgramOutcome outcome = Dump({"--map", "--all", "--check", image});
  EXPECT_EQ(outcome.status, 0) << outcome.out;
  EXPECT_NE(outcome.out.find("==== -t fat32-bpb -s 0x00000000: FAT32 boot sector"), std::string::npos) << outcome.out;
  // Three FATs break a rule of the boot sector.
  Shell("printf '\\003' | dd of=" + image + " bs=1 seek=16 conv=notrunc status=none");
  outcome = Dump({"--map", "--all", "--check", image});
  EXPECT_EQ(outcome.status, 3) << outcome.out;
  EXPECT_EQ(Dump({"--map", "--check", image}).status, 3);
  EXPECT_EQ(Dump({"-t", "fat32-bpb", "--check", image}).status, 3);
  EXPECT_EQ(Dump({"-t", "fat32-info", "-s", "512", "--check", image}).status, 0);
  EXPECT_EQ(Dump({"--map", image}).status, 0);
}

}  // namespace
}  // namespace trovik::test
