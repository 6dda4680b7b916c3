// The map of optical images and executables, checked against what xorriso,
// isoinfo, udfinfo, minfo and objdump say of them.
#include <regex>
#include <sstream>

#include "map/MapTestSupport.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

// isoinfo -l: the extent of "/" and the number of records listed for it.
std::pair<uint64_t, int> RootListing(const std::string& listing) {
  const size_t at = listing.find("Directory listing of /\n");
  EXPECT_NE(at, std::string::npos) << listing;
  std::istringstream in(listing.substr(at));
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  const uint64_t extent = std::stoull(line.substr(line.find('[') + 1));
  int records = 1;
  while (std::getline(in, line) && !line.empty()) ++records;
  return {extent, records};
}

TEST(OpticalMap, XorrisoIsoWithJolietAndEfiImageMatchesTheTools) {
  ScratchDir dir;
  const std::string root = dir.File("root"), iso = dir.File("boot.iso");
  Shell("mkdir -p " + root + "/docs && echo hello > " + root + "/readme.txt && echo x > " + root +
        "/docs/a.txt && mkfs.fat -C -n EFIBOOT " + root + "/efi.img 2880 >/dev/null");
  Shell("xorriso -as mkisofs -quiet -J -V MAPTEST -e efi.img -no-emul-boot -o " + iso + " " + root + " 2>/dev/null");
  const auto rows = MapOf(iso);
  EXPECT_EQ(Problems(rows), "");

  const std::string pvd = Shell("xorriso -indev " + iso + " -pvd_info 2>/dev/null");
  EXPECT_EQ(OffsetsOf(rows, DumpType::IsoPvd, "volume 'MAPTEST'"),
            std::vector<uint64_t>{std::stoull(FieldAfter(pvd, "PVD address  :")) * 2048});
  // The root directory, and its Joliet twin.
  for (const auto& [type, option] : {std::pair{DumpType::IsoDir, ""}, {DumpType::IsoDirWide, "-J "}}) {
    const auto [extent, records] = RootListing(Shell(std::string("isoinfo ") + option + "-l -i " + iso));
    const MapRow* dirRow = FindRow(rows, type);
    ASSERT_NE(dirRow, nullptr) << option;
    EXPECT_EQ(dirRow->offset, extent * 2048) << option;
    EXPECT_EQ(dirRow->count, records) << option;
  }
  const std::string debug = Shell("isoinfo -d -debug -i " + iso);
  EXPECT_EQ(OffsetsOf(rows, DumpType::IsoPath), std::vector<uint64_t>{uint64_t(NumberAfter(debug, "L Path table start")) * 2048});
  EXPECT_EQ(OffsetsOf(rows, DumpType::IsoSvd).size(), 1u);

  // The boot catalogue, and the EFI image mapped as the FAT volume it is.
  const std::string torito = Shell("xorriso -indev " + iso + " -report_el_torito plain 2>/dev/null");
  const uint64_t catalog = NumberAfter(torito, "El Torito catalog  :");
  const std::string img = FieldAfter(torito, "El Torito boot img :");
  const uint64_t imageLba = std::stoull(img.substr(img.find_last_of(' ') + 1));
  EXPECT_EQ(NoteAt(rows, "El Torito boot catalogue"), catalog * 2048);
  EXPECT_EQ(NoteAt(rows, "El Torito image 1 (EFI)"), imageLba * 2048);
  const uint64_t rootDir = FatRootDir(Shell("MTOOLS_SKIP_CHECK=1 minfo -i " + root + "/efi.img ::"));
  EXPECT_EQ(OffsetsOf(rows, DumpType::FatBpb, "El Torito image 1 (EFI): FAT12 boot sector, volume 'EFIBOOT'"),
            std::vector<uint64_t>{imageLba * 2048});
  EXPECT_EQ(OffsetsOf(rows, DumpType::FatDir, "El Torito image 1"), std::vector<uint64_t>{imageLba * 2048 + rootDir});
}

// udfinfo's "start=96, blocks=16, type=MVDS" lines, by type.
uint64_t UdfStart(const std::string& info, const std::string& type) {
  const size_t at = info.find("type=" + type + "\n");
  EXPECT_NE(at, std::string::npos) << type;
  return NumberAfter(info, "start=", info.rfind('\n', at) + 1);
}

void ExpectUdfMatches(const std::string& image, const std::string& info, uint64_t sector) {
  const auto rows = MapOf(image);
  EXPECT_EQ(Problems(rows), "");
  const auto udf = OffsetsOf(rows, DumpType::Udf);
  ASSERT_EQ(udf.size(), 3u) << image;
  EXPECT_EQ(udf[0], UdfStart(info, "ANCHOR") * sector);
  EXPECT_EQ(udf[1], UdfStart(info, "MVDS") * sector);
  // The file set descriptor lies in the partition space.
  const uint64_t space = UdfStart(info, "PSPACE") * sector;
  EXPECT_GE(udf[2], space);
  EXPECT_LT(udf[2], space + NumberAfter(info, "blocks=", info.rfind('\n', info.find("type=PSPACE")) + 1) * sector);
  EXPECT_EQ(FindRow(rows, DumpType::Udf)->isIso, sector == 2048);
}

TEST(OpticalMap, UdfImagesMatchUdfinfo) {
  ScratchDir dir;
  const std::string image = dir.File("udf.img");
  Shell("mkudffs --media-type=hd --blocksize=2048 --label=UDFMAP " + image + " 8192 >/dev/null 2>&1");
  ExpectUdfMatches(image, Shell("udfinfo " + image + " 2>/dev/null"), 2048);
  ExpectUdfMatches(TestDataPath("optical/udf-512.img"), ReadTestText("optical/udf-512.udfinfo.txt"), 512);
}

TEST(ExeMap, PeHeadersMatchObjdump) {
  for (const std::string name : {"exe/hello64.exe", "exe/hello32.exe", "exe/greet32.dll"}) {
    const std::string path = TestDataPath(name);
    const auto rows = MapOf(path);
    EXPECT_EQ(Problems(rows), "");
    // e_lfanew and the optional header's size, read by od.
    const uint64_t lfanew = std::stoull(Shell("od -An -t u4 -j 60 -N 4 " + path));
    const uint64_t optional = std::stoull(Shell("od -An -t u2 -j " + std::to_string(lfanew + 20) + " -N 2 " + path));
    const std::string objdump = ReadTestText(name + ".objdump");
    const std::regex section("\n +[0-9]+ \\.");  // objdump's section list: lines " 0 .text   ..."
    const auto sections = std::distance(std::sregex_iterator(objdump.begin(), objdump.end(), section), {});
    EXPECT_EQ(OffsetsOf(rows, DumpType::Mz), std::vector<uint64_t>{0}) << name;
    EXPECT_EQ(OffsetsOf(rows, DumpType::PeHeader), std::vector<uint64_t>{lfanew}) << name;
    EXPECT_EQ(OffsetsOf(rows, DumpType::PeOptional), std::vector<uint64_t>{lfanew + 24}) << name;
    const MapRow* table = FindRow(rows, DumpType::PeSection);
    ASSERT_NE(table, nullptr) << name;
    EXPECT_EQ(table->offset, lfanew + 24 + optional) << name;
    EXPECT_EQ(table->count, sections) << name;
  }
}

}  // namespace
}  // namespace trovik::test
