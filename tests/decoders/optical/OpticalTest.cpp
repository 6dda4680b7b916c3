// ISO 9660 and UDF listings: real images (agreeing with isoinfo and udfinfo), byte-stamped structures, the
// descriptor rules and tag checks, and the walks that step by a record's own length.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "decoders/optical/UdfLayout.h"
#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

const std::vector<uint8_t>& Iso() {
  static const auto bytes = ReadTestFile("optical/iso-joliet.iso");
  return bytes;
}
const std::vector<uint8_t>& Udf512() {
  static const auto bytes = ReadTestFile("optical/udf-512.img");
  return bytes;
}

DumpResult Dump(DumpType type, uint64_t start, int count, const std::vector<uint8_t>& bytes, bool iso = false,
                ScriptedHost* host = nullptr) {
  DumpRequest request = MakeRequest(type, std::to_string(start), "0", count);
  request.isIso = iso;
  return RunOnBytes(request, bytes, host);
}

// A listed text without its quotes and trailing blanks.
std::string Unquote(std::string text) {
  text.erase(text.find_last_not_of(" '") + 1);
  return text.erase(0, text.find_first_not_of('\''));
}

std::vector<size_t> Titles(const std::string& text, const std::string& title) {
  std::vector<size_t> at;
  for (size_t i = text.find(title); i != std::string::npos; i = text.find(title, i + 1)) at.push_back(i);
  return at;
}

TEST(OpticalListing, RealImagesKeepEveryRule) {
  const auto files = ReadTestFile("optical/udf-files.bin");  // 2,048-byte blocks
  const struct {
    const char* golden;
    DumpType type;
    uint64_t start;
    int count;
    const std::vector<uint8_t>& image;
  } cases[] = {
      {"iso-primary", DumpType::IsoPvd, 16 * 2048, 1, Iso()},
      {"iso-joliet", DumpType::IsoSvd, 17 * 2048, 1, Iso()},
      {"iso-terminator", DumpType::IsoPvd, 18 * 2048, 1, Iso()},
      {"iso-root", DumpType::IsoDir, 19 * 2048, 7, Iso()},
      {"iso-root-wide", DumpType::IsoDirWide, 27 * 2048, 6, Iso()},
      {"iso-docs-wide", DumpType::IsoDirWide, 28 * 2048, 4, Iso()},
      {"iso-path", DumpType::IsoPath, 25 * 2048, 6, Iso()},
      {"iso-path-wide", DumpType::IsoPathWide, 32 * 2048, 6, Iso()},
      {"udf-volume", DumpType::Udf, 77 * 512, 6, Udf512()},
      {"udf-anchor-integrity", DumpType::Udf, 256 * 512, 2, Udf512()},
      {"udf-file-set", DumpType::Udf, 93 * 512, 6, Udf512()},
      {"udf-2048", DumpType::Udf, 0, 17, files},
  };
  for (const auto& c : cases) {
    const DumpResult r = Dump(c.type, c.start, c.count, c.image, &c.image == &files);
    EXPECT_EQ(r.marked.find("[["), std::string::npos) << c.golden;
    ExpectReport(r, std::string("optical/") + c.golden);
  }
}

// Each byte holds 0x80 + (its offset mod 128): every number shows where and how wide it was read, every signed
// field is negative and every length lies. Bytes before the structure are zero.
TEST(OpticalListing, StampedStructures) {
  auto stamped = [] {
    std::vector<uint8_t> bytes(0x1000 + 2048);
    for (size_t i = 0; i < 2048; ++i) bytes[0x1000 + i] = static_cast<uint8_t>(0x80 | (i & 0x7F));
    return bytes;
  };
  const std::pair<const char*, DumpType> iso[] = {{"pvd", DumpType::IsoPvd},      {"svd", DumpType::IsoSvd},
                                                  {"dir", DumpType::IsoDir},      {"dir-wide", DumpType::IsoDirWide},
                                                  {"path", DumpType::IsoPath},    {"path-wide", DumpType::IsoPathWide}};
  for (const auto& [name, type] : iso)
    ExpectReport(Dump(type, 0x1000, 1, stamped()), std::string("optical/stamped-iso-") + name);
  for (const uint16_t id : {1, 2, 4, 5, 6, 7, 256, 257, 266}) {
    auto bytes = stamped();
    Apply(bytes, {Le16(0x1000, id), U8(0x1000 + 440, 2)});  // a logical volume's first map: type 2
    ExpectReport(Dump(DumpType::Udf, 0x1000, 1, bytes), "optical/stamped-udf-" + std::to_string(id));
  }
}

TEST(IsoAgreesWithIsoinfo, PrimaryDescriptor) {
  const std::string tool = ReadTestText("optical/iso-joliet.isoinfo.txt");
  const std::string pvd = Dump(DumpType::IsoPvd, 16 * 2048, 1, Iso()).text;
  const std::pair<const char*, const char*> texts[] = {
      {"System id", "System Identifier"},        {"Volume id", "Volume Identifier"},
      {"Volume set id", "Set Identifier"},       {"Publisher id", "Publisher Identifier"},
      {"Data preparer id", "Preparer Identifier"}, {"Application id", "Application Identifier"},
      {"Copyright File id", "Copyright Identifier"}, {"Abstract File id", "Abscract Identifier"},
      {"Bibliographic File id", "Bibliog. Identifier"}};
  for (const auto& [theirs, ours] : texts) EXPECT_EQ(Unquote(FieldAfter(pvd, ours)), FieldAfter(tool, theirs)) << ours;
  const std::pair<const char*, const char*> numbers[] = {{"Volume set size is", "Set Size"},
                                                         {"Volume set sequence number is", "Sequence Number"},
                                                         {"Logical block size is", "LBA Size"},
                                                         {"Volume size is", "LBA's"}};
  for (const auto& [theirs, ours] : numbers) EXPECT_EQ(NumberAfter(pvd, ours), NumberAfter(tool, theirs)) << ours;
}

// isoinfo -l lists every directory's records in order; the path table holds every directory once, its parent
// given by number.
TEST(IsoAgreesWithIsoinfo, DirectoriesAndPathTable) {
  struct Entry {
    long long size;
    unsigned extent, flags;
    std::string name;
  };
  std::vector<std::pair<std::string, std::vector<Entry>>> dirs;
  std::istringstream in(ReadTestText("optical/iso-joliet.isoinfo.txt"));
  for (std::string line; std::getline(in, line);) {
    Entry e{};
    char name[64];
    if (line.rfind("Directory listing of ", 0) == 0) dirs.push_back({line.substr(21), {}});
    else if (std::sscanf(line.c_str(), "%*s %*u %*u %*u %lld %*s %*u %*u [ %u %x] %63s", &e.size, &e.extent, &e.flags,
                         name) == 4)
      dirs.back().second.push_back({e.size, e.extent, e.flags, name});
  }
  ASSERT_EQ(dirs.size(), 5u);
  std::map<unsigned, std::pair<std::string, unsigned>> byExtent;  // directory: its name and its parent's extent
  for (const auto& [path, entries] : dirs) {
    const std::string r = Dump(DumpType::IsoDir, entries[0].extent * 2048ull, 99, Iso()).text;
    const auto at = Titles(r, "CD-ROM Root Dir");
    ASSERT_EQ(at.size(), entries.size()) << path;
    for (size_t k = 0; k < at.size(); ++k) {
      const Entry& e = entries[k];
      EXPECT_EQ(NumberAfter(r, "Extent Location", at[k]), e.extent) << path << e.name;
      EXPECT_EQ(NumberAfter(r, "Data Length", at[k]), e.size) << path << e.name;
      EXPECT_EQ(NumberAfter(r, "Flags", at[k]), e.flags) << path << e.name;
      EXPECT_EQ(FieldAfter(r, "File Name", at[k]), k < 2 ? "0x0" + std::to_string(k) : e.name) << path;
    }
    EXPECT_TRUE(r.ends_with("\nRecord Len field is zero. Aborting...")) << r;
    const std::string parent = path.substr(0, path.find_last_of('/', path.size() - 2) + 1);
    const std::string name = path == "/" ? "0x00" : path.substr(parent.size(), path.size() - parent.size() - 1);
    byExtent[entries[0].extent] = {name, entries[1].extent};
  }
  const std::string pvd = Dump(DumpType::IsoPvd, 16 * 2048, 1, Iso()).text;
  const std::string table = Dump(DumpType::IsoPath, NumberAfter(pvd, "L. Path Location") * 2048, 99, Iso()).text;
  const auto at = Titles(table, "CD-ROM Path Table Entry");
  ASSERT_EQ(at.size(), dirs.size());
  std::vector<unsigned> extents;
  for (size_t k = 0; k < at.size(); ++k) {
    extents.push_back(static_cast<unsigned>(NumberAfter(table, "Extent Location", at[k])));
    ASSERT_EQ(byExtent.count(extents[k]), 1u) << k;
    EXPECT_EQ(FieldAfter(table, "File Name", at[k]), byExtent[extents[k]].first);
    const long long parent = NumberAfter(table, "Parent Number", at[k]);
    ASSERT_TRUE(parent >= 1 && parent <= static_cast<long long>(k + 1)) << k;
    EXPECT_EQ(extents[parent - 1], byExtent[extents[k]].second) << k;
  }
  EXPECT_TRUE(table.ends_with("\nIdent Len field is zero. Aborting..."));
}

TEST(UdfAgreesWithUdfinfo, VolumeAnchorAndFileSet) {
  const std::string tool = ReadTestText("optical/udf-512.udfinfo.txt");
  std::map<std::string, std::pair<long long, long long>> extents;  // start and blocks, by type (the first one)
  std::istringstream in(tool);
  for (std::string line; std::getline(in, line);) {
    long long start, blocks;
    char type[16];
    if (std::sscanf(line.c_str(), "start=%lld, blocks=%lld, type=%15s", &start, &blocks, type) == 3)
      extents.emplace(type, std::make_pair(start, blocks));
  }
  const long long block = NumberAfter(tool, "blocksize=");
  const std::string volume = Dump(DumpType::Udf, extents["MVDS"].first * block, 6, Udf512()).text;
  const std::string anchor = Dump(DumpType::Udf, extents["ANCHOR"].first * block, 1, Udf512()).text;
  const std::string files = Dump(DumpType::Udf, extents["PSPACE"].first * block, 2, Udf512()).text;
  EXPECT_EQ(Unquote(FieldAfter(volume, "Volume Identifier")), FieldAfter(tool, "vid="));
  EXPECT_EQ(FieldAfter(volume, "Volume Set Identifier"), FieldAfter(tool, "fullvsid="));
  EXPECT_EQ(Unquote(FieldAfter(volume, "Log Volume Identifier")), FieldAfter(tool, "lvid="));
  EXPECT_EQ(Unquote(FieldAfter(files, "File Set Identifier")), FieldAfter(tool, "fsid="));
  EXPECT_EQ(NumberAfter(volume, "Logical Block Size"), block);
  const std::pair<const char*, const char*> entities[] = {{"Application Identifier", "appid="},
                                                          {"Implementation Identifier", "impid="}};
  for (const auto& [ours, theirs] : entities) {  // unused bytes show as dots
    std::string id = FieldAfter(volume, "Identifier", volume.find(ours));
    EXPECT_EQ(id.erase(id.find_last_not_of('.') + 1), FieldAfter(tool, theirs));
  }
  EXPECT_EQ(NumberAfter(volume, "Partition Start Loc"), extents["PSPACE"].first);
  EXPECT_EQ(NumberAfter(volume, "Partition Lenght"), extents["PSPACE"].second);
  EXPECT_EQ(NumberAfter(volume, "Integrity Sequence Loc"), extents["LVID"].first);
  EXPECT_EQ(NumberAfter(anchor, "Tag Location"), extents["ANCHOR"].first);
  EXPECT_EQ(NumberAfter(anchor, "Main Sequence Loc"), extents["MVDS"].first);
  EXPECT_EQ(NumberAfter(anchor, "Length", anchor.find("Main Sequence")), extents["MVDS"].second * block);
  EXPECT_EQ(NumberAfter(anchor, "Reserved Sequence Loc"), extents["RVDS"].first);
  EXPECT_EQ(NumberAfter(anchor, "Length", anchor.find("Reserved Sequence")), extents["RVDS"].second * block);
}

// The primary descriptor of the real image, patched. The first byte of the reserved area is 1395, the last of
// the application use area before it 1394.
TEST(IsoRules, VolumeDescriptor) {
  const std::vector<uint8_t> pvd(Iso().begin() + 16 * 2048, Iso().begin() + 17 * 2048);
  const std::string typeRule = "[[ <-- Must be 0, 1, 2, 3, or 255.\\n]]";
  const std::string gap = std::string(14, ' ') + "............", notZero = "One or more of the values above was not zero.\\n]]";
  ExpectRules(MakeRequest(DumpType::IsoPvd), pvd,
              {{"boot record", {U8(0, 0)}, {}},
               {"partition descriptor", {U8(0, 3)}, {}},
               {"type 4", {U8(0, 4)}, {"Type: 4 " + typeRule}},
               {"type 254", {U8(0, 254)}, {"Type: 254 " + typeRule}},
               {"application use", {U8(1394, 0x41)}, {}},
               {"reserved area", {U8(1395, 0x41)}, {"000007F3  00 00 00 00 00 00 00 00-00 00 00 00 00" + gap + ".[[", notZero}},
               {"reserved area end", {U8(2047, 0x41)}, {"000007F3  00 00 00 00 00 00 00 00-00 00 00 00 41" + gap + "A[[", notZero}}});
}

// The real primary volume descriptor, patched. Expected checksums (sum of tag bytes 0-3 and 5-15, low byte) and
// CRCs (CRC-16, polynomial 0x1021, initial 0, over CRC-length bytes from 16: Python's binascii.crc_hqx(body, 0))
// were worked out outside the product. Stored: checksum 0xF8, CRC 0x4075, CRC length 496.
TEST(UdfRules, DescriptorTag) {
  const std::vector<uint8_t> pvd(Udf512().begin() + 77 * 512, Udf512().begin() + 77 * 512 + 2048);
  const std::string typeRule = "[[ <-- Must be 1 -> 9 or 256 -> 266.\\n]]";
  ExpectRules(MakeRequest(DumpType::Udf), pvd,
              {{"body byte", {U8(100, 1)}, {"Descriptor CRC: 0x4075 [[ <-- Checksum does not match: 0x8176\\n]]"}},
               {"checksum", {U8(4, 0xF9)}, {"Check Sum: F9 [[ <-- Checksum does not match!\\n]]"}},
               {"reserved", {U8(5, 1), U8(4, 0xF9)}, {"reserved: 1 [[ <-- Should be zero!\\n]]"}},
               {"version 2", {U8(2, 2), U8(4, 0xF7)}, {}},
               {"version 4", {U8(2, 4), U8(4, 0xF9)}, {"Version: 4 [[ <-- Must be 2 or 3.\\n]]"}},
               {"type 0", {U8(0, 0), U8(4, 0xF7)}, {"Type: 0 " + typeRule}},
               {"type 3", {U8(0, 3), U8(4, 0xFA)}, {}},
               {"type 10", {U8(0, 10), U8(4, 0x01)}, {"Type: 10 " + typeRule}},
               {"type 255", {U8(0, 255), U8(4, 0xF6)}, {"Type: 255 " + typeRule}},
               {"type 263", {Le16(0, 263), U8(4, 0xFF)}, {}},
               {"type 267", {Le16(0, 267), U8(4, 0x03)}, {"Type: 267 " + typeRule}},
               {"CRC length past the descriptor", {Le16(10, 2100), Le16(8, 0x29C4), U8(4, 0x7B)},
                {"Descriptor CRC Len: 2100 [[ <-- (truncated)\\n]]"}}});
}

// Records step by their own length; one too short to hold its fixed fields ends the walk, as does an abort.
TEST(IsoWalk, ShortRecordAndAbortEndTheWalk) {
  std::vector<uint8_t> bytes(200);
  bytes[0] = 20, bytes[20] = 34;
  std::string r = Dump(DumpType::IsoDir, 0, 3, bytes).text;
  EXPECT_EQ(Titles(r, "CD-ROM Root Dir").size(), 1u);
  EXPECT_TRUE(r.ends_with("\nRecord Len field is too small. Aborting...")) << r;
  const std::pair<DumpType, int> walks[] = {{DumpType::IsoDir, 19}, {DumpType::IsoPath, 25}};
  for (const auto& [type, sector] : walks) {
    ScriptedHost host;
    host.abortAfterPolls = 0;
    r = Dump(type, sector * 2048, 5, Iso(), false, &host).text;
    EXPECT_EQ(Titles(r, ") CD-ROM").size(), 1u);
    EXPECT_TRUE(r.ends_with("\nUser Abort...")) << r;
  }
}

TEST(UdfIdentifier, CompressionAndLengthByte) {
  auto text = [](std::vector<uint8_t> field) { return udf::IdentifierText(field.data(), field.size()); };
  EXPECT_EQ(text({16, 0, 'A', 0, 'B', 0, 'C', 0, 7}), "ABC");
  EXPECT_EQ(text({8, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 255}), "ABCDEFG");  // capped by the field
  EXPECT_EQ(text({8, 'A', 'B', 'C', 0, 0, 0, 0, 3}), "AB");                 // the length byte counts the ID too
  EXPECT_EQ(text({254, 'A', 'B', 'C', 0, 0, 0, 0, 4}), "");                 // unknown compression
}

}  // namespace
}  // namespace trovik::test
