// ISO 9660 and UDF listings: real images (agreeing with isoinfo and udfinfo), byte-stamped structures, the
// descriptor rules and tag checks, and the walks that step by a record's own length.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "engine/DumpType.h"
#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

std::vector<uint8_t> Image(const char* name) { return ReadTestFile(std::string("optical/") + name); }

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
  const auto iso = Image("iso-joliet.iso"), udf = Image("udf-512.img"), files = Image("udf-files.bin");
  using enum DumpType;
  const std::tuple<const char*, DumpType, uint64_t, int, const std::vector<uint8_t>*> cases[] = {
      {"iso-primary", IsoPvd, 16 * 2048, 1, &iso},          {"iso-joliet", IsoSvd, 17 * 2048, 1, &iso},
      {"iso-terminator", IsoPvd, 18 * 2048, 1, &iso},       {"iso-root", IsoDir, 19 * 2048, 7, &iso},
      {"iso-root-wide", IsoDirWide, 27 * 2048, 6, &iso},    {"iso-docs-wide", IsoDirWide, 28 * 2048, 4, &iso},
      {"iso-path", IsoPath, 25 * 2048, 6, &iso},            {"iso-path-wide", IsoPathWide, 32 * 2048, 6, &iso},
      {"udf-volume", Udf, 77 * 512, 6, &udf},               {"udf-anchor-integrity", Udf, 256 * 512, 2, &udf},
      {"udf-file-set", Udf, 93 * 512, 6, &udf},             {"udf-2048", Udf, 0, 17, &files}};  // 2,048-byte blocks
  for (const auto& [golden, type, start, count, image] : cases) {
    const DumpResult r = Dump(type, start, count, *image, image == &files);
    EXPECT_EQ(r.marked.find("[["), std::string::npos) << golden;
    ExpectReport(r, std::string("optical/") + golden);
  }
}

// Each byte holds 0x80 + (its offset mod 128): every number shows where and how wide it was read, every signed
// field is negative and every length lies. Bytes before the structure are zero.
TEST(OpticalListing, StampedStructures) {
  std::vector<uint8_t> stamped(0x1000 + 2048);
  for (size_t i = 0; i < 2048; ++i) stamped[0x1000 + i] = static_cast<uint8_t>(0x80 | (i & 0x7F));
  using enum DumpType;
  for (const DumpType type : {IsoPvd, IsoSvd, IsoDir, IsoDirWide, IsoPath, IsoPathWide})
    ExpectReport(Dump(type, 0x1000, 1, stamped), "optical/stamped-" + std::string(FindDumpType(int(type))->name));
  for (const uint16_t id : {1, 2, 4, 5, 6, 7, 256, 257, 266}) {
    auto bytes = stamped;
    Apply(bytes, {Le16(0x1000, id), U8(0x1000 + 440, 2)});  // a logical volume's first map: type 2
    ExpectReport(Dump(Udf, 0x1000, 1, bytes), "optical/stamped-udf-" + std::to_string(id));
  }
}

// isoinfo -d shows the primary descriptor's texts and sizes; isoinfo -l lists every directory's records in order;
// the path table holds every directory once, its parent given by number.
TEST(IsoAgreesWithIsoinfo, DescriptorDirectoriesAndPathTable) {
  const auto iso = Image("iso-joliet.iso");
  const std::string tool = ReadTestText("optical/iso-joliet.isoinfo.txt");
  const std::string pvd = Dump(DumpType::IsoPvd, 16 * 2048, 1, iso).text;
  const std::pair<const char*, const char*> texts[] = {
      {"System id", "System Identifier"}, {"Volume id", "Volume Identifier"}, {"Volume set id", "Set Identifier"},
      {"Publisher id", "Publisher Identifier"}, {"Data preparer id", "Preparer Identifier"},
      {"Application id", "Application Identifier"}, {"Copyright File id", "Copyright Identifier"},
      {"Abstract File id", "Abscract Identifier"}, {"Bibliographic File id", "Bibliog. Identifier"}};
  for (const auto& [theirs, ours] : texts) EXPECT_EQ(Unquote(FieldAfter(pvd, ours)), FieldAfter(tool, theirs)) << ours;
  const std::pair<const char*, const char*> numbers[] = {
      {"Volume set size is", "Set Size"}, {"Volume set sequence number is", "Sequence Number"},
      {"Logical block size is", "LBA Size"}, {"Volume size is", "LBA's"}};
  for (const auto& [theirs, ours] : numbers) EXPECT_EQ(NumberAfter(pvd, ours), NumberAfter(tool, theirs)) << ours;
  std::istringstream in(tool);
  std::map<long long, long long> parentOf;  // a directory's extent and its parent's, from its "." and ".."
  std::string r;                            // the listing of the directory compared
  std::vector<size_t> at;
  size_t k = 0;
  for (std::string line; std::getline(in, line);) {
    long long size, extent;
    unsigned flags;
    char name[64];
    const char* format = "%*s %*u %*u %*u %lld %*s %*u %*u [ %lld %x] %63s";  // "d--- 0 0 0 2048 Apr 5 2023 [ 19 02] ."
    if (std::sscanf(line.c_str(), format, &size, &extent, &flags, name) != 4) continue;
    if (std::string(name) == ".") {
      EXPECT_EQ(k, at.size());
      r = Dump(DumpType::IsoDir, extent * 2048, 99, iso).text;
      EXPECT_TRUE(r.ends_with("\nRecord Len field is zero. Aborting...")) << r;
      at = Titles(r, "CD-ROM Root Dir"), k = 0;
    }
    ASSERT_LT(k, at.size()) << name;
    if (k == 1) parentOf[NumberAfter(r, "Extent Location", at[0])] = extent;
    EXPECT_EQ(NumberAfter(r, "Extent Location", at[k]), extent) << name;
    EXPECT_EQ(NumberAfter(r, "Data Length", at[k]), size) << name;
    EXPECT_EQ(NumberAfter(r, "Flags", at[k]), flags) << name;
    EXPECT_EQ(FieldAfter(r, "File Name", at[k]), k < 2 ? "0x0" + std::to_string(k) : name);
    ++k;
  }
  EXPECT_EQ(k, at.size());
  const std::string table = Dump(DumpType::IsoPath, NumberAfter(pvd, "L. Path Location") * 2048, 99, iso).text;
  at = Titles(table, "CD-ROM Path Table Entry");
  ASSERT_EQ(at.size(), 5u);
  ASSERT_EQ(parentOf.size(), 5u);
  std::vector<long long> extents;
  for (const size_t entry : at) extents.push_back(NumberAfter(table, "Extent Location", entry));
  for (size_t i = 0; i < at.size(); ++i) {
    const long long parent = NumberAfter(table, "Parent Number", at[i]);
    ASSERT_TRUE(parent >= 1 && parent <= 5) << i;
    EXPECT_EQ(extents[parent - 1], parentOf[extents[i]]) << i;
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
  const auto udf = Image("udf-512.img");
  const std::string volume = Dump(DumpType::Udf, extents["MVDS"].first * block, 6, udf).text;
  const std::string anchor = Dump(DumpType::Udf, extents["ANCHOR"].first * block, 1, udf).text;
  const std::string files = Dump(DumpType::Udf, extents["PSPACE"].first * block, 2, udf).text;
  EXPECT_EQ(Unquote(FieldAfter(volume, "Volume Identifier")), FieldAfter(tool, "vid="));
  EXPECT_EQ(FieldAfter(volume, "Volume Set Identifier"), FieldAfter(tool, "fullvsid="));
  EXPECT_EQ(Unquote(FieldAfter(volume, "Log Volume Identifier")), FieldAfter(tool, "lvid="));
  EXPECT_EQ(Unquote(FieldAfter(files, "File Set Identifier")), FieldAfter(tool, "fsid="));
  EXPECT_EQ(NumberAfter(volume, "Logical Block Size"), block);
  std::string app = FieldAfter(volume, "Identifier", volume.find("Application Identifier"));
  EXPECT_EQ(app.erase(app.find_last_not_of('.') + 1), FieldAfter(tool, "appid="));  // unused bytes show as dots
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
TEST(OpticalRules, VolumeDescriptorAndTag) {
  const auto iso = Image("iso-joliet.iso");
  const std::vector<uint8_t> iso9660(iso.begin() + 16 * 2048, iso.begin() + 17 * 2048);
  const std::string typeRule = "[[ <-- Must be 0, 1, 2, 3, or 255.\\n]]";
  const std::string last = "000007F3  00 00 00 00 00 00 00 00-00 00 00 00 ";
  const std::string gap = std::string(14, ' ') + std::string(12, '.');
  const std::string notZero = "One or more of the values above was not zero.\\n]]";
  ExpectRules(MakeRequest(DumpType::IsoPvd), iso9660,
              {{"boot record", {U8(0, 0)}, {}},
               {"partition descriptor", {U8(0, 3)}, {}},
               {"type 4", {U8(0, 4)}, {"Type: 4 " + typeRule}},
               {"type 254", {U8(0, 254)}, {"Type: 254 " + typeRule}},
               {"application use", {U8(1394, 0x41)}, {}},
               {"reserved area", {U8(1395, 0x41)}, {last + "00" + gap + ".[[", notZero}},
               {"reserved area end", {U8(2047, 0x41)}, {last + "41" + gap + "A[[", notZero}}});

  // The real UDF primary volume descriptor, patched: its tag's checksum, reserved byte, CRC length and entity
  // flags rules show on the stamped listings. Expected checksums (sum of tag bytes 0-3 and 5-15, low byte) and
  // CRCs (CRC-16, polynomial 0x1021, initial 0, over CRC-length bytes from 16: Python's binascii.crc_hqx(body, 0))
  // were worked out outside the product. Stored: checksum 0xF8, CRC 0x4075, CRC length 496.
  const auto udf = Image("udf-512.img");
  const std::vector<uint8_t> pvd(udf.begin() + 77 * 512, udf.begin() + 77 * 512 + 2048);
  const std::string udfType = "[[ <-- Must be 1 -> 9 or 256 -> 266.\\n]]";
  ExpectRules(MakeRequest(DumpType::Udf), pvd,
              {{"body byte", {U8(100, 1)}, {"Descriptor CRC: 0x4075 [[ <-- Checksum does not match: 0x8176\\n]]"}},
               {"version 2", {U8(2, 2), U8(4, 0xF7)}, {}},
               {"version 4", {U8(2, 4), U8(4, 0xF9)}, {"Version: 4 [[ <-- Must be 2 or 3.\\n]]"}},
               {"type 0", {U8(0, 0), U8(4, 0xF7)}, {"Type: 0 " + udfType}},
               {"type 3", {U8(0, 3), U8(4, 0xFA)}, {}},
               {"type 10", {U8(0, 10), U8(4, 0x01)}, {"Type: 10 " + udfType}},
               {"type 255", {U8(0, 255), U8(4, 0xF6)}, {"Type: 255 " + udfType}},
               {"type 263", {Le16(0, 263), U8(4, 0xFF)}, {}},
               {"type 267", {Le16(0, 267), U8(4, 0x03)}, {"Type: 267 " + udfType}}});

  // Identifiers (the volume's: 32 bytes from 24) are 8- or 16-bit by their first byte; their last byte counts the
  // bytes used, the first one with them, and cannot claim more than the field.
  const std::pair<std::vector<Patch>, std::string> identifiers[] = {
      {{{24, {16, 0, 'A', 0, 'B', 0, 'C'}}, U8(55, 7)}, "ABC"},
      {{{24, {16, 0, 'A', 0, 'B', 0, 'C'}}, U8(55, 6)}, "AB"},
      {{Text(24, "\x08" + std::string(30, 'A')), U8(55, 255)}, std::string(30, 'A')},
      {{{24, {254, 'A', 'B', 'C'}}, U8(55, 4)}, ""}};
  for (const auto& [patches, text] : identifiers) {
    std::vector<uint8_t> bytes = pvd;
    Apply(bytes, patches);
    EXPECT_EQ(Unquote(FieldAfter(Dump(DumpType::Udf, 0, 1, bytes).text, "Volume Identifier")), text);
  }
}

// Records step by their own length: one too short to hold its fixed fields ends the walk, as does an abort.
TEST(IsoWalk, ShortRecordAndAbortEndTheWalk) {
  std::vector<uint8_t> bytes(200);
  bytes[0] = 20, bytes[20] = 34;
  std::string r = Dump(DumpType::IsoDir, 0, 3, bytes).text;
  EXPECT_TRUE(r.ends_with("File Name Length: 0\nRecord Len field is too small. Aborting...")) << r;
  const auto iso = Image("iso-joliet.iso");
  for (const auto type : {DumpType::IsoDir, DumpType::IsoPath}) {
    ScriptedHost host;
    host.abortAfterPolls = 0;
    r = Dump(type, (type == DumpType::IsoDir ? 19 : 25) * 2048, 5, iso, false, &host).text;
    EXPECT_EQ(Titles(r, ") CD-ROM").size(), 1u);
    EXPECT_TRUE(r.ends_with("\nUser Abort...")) << r;
  }
}

}  // namespace
}  // namespace trovik::test
