// FAT boot, info and directory listings (mkfs.fat samples checked against minfo and mdir, filled sectors) and rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <tuple>

#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

using Labels = std::initializer_list<std::pair<const char*, const char*>>;

// Printable bytes, each different from its neighbours: a field read one
// byte off or with the wrong width shows (the 0xFF fill shows the signs).
std::vector<uint8_t> Pattern() {
  std::vector<uint8_t> bytes(512);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(0x21 + i % 94);
  return bytes;
}

TEST(Fat, Listings) {
  const auto fat12 = ReadTestFile("fat/fat12.img"), fat32 = ReadTestFile("fat/fat32-reserved.bin");
  ExpectReport(RunOnBytes(MakeRequest(DumpType::FatBpb), fat12), "fat/fat12-bpb");
  ExpectReport(RunOnBytes(MakeRequest(DumpType::FatBpb), ReadTestFile("fat/fat16-head.bin")), "fat/fat16-bpb");
  ExpectReport(RunOnBytes(MakeRequest(DumpType::Fat32Bpb), fat32), "fat/fat32-bpb");
  ExpectReport(RunOnBytes(MakeRequest(DumpType::Fat32Info, "512"), fat32), "fat/fat32-info");
  ExpectReport(RunOnBytes(MakeRequest(DumpType::FatDir, "1536", "0", 16), fat12), "fat/fat12-root-dir");
  ExpectReport(RunOnBytes(MakeRequest(DumpType::FatLfn, "1536", "0", 16), fat12), "fat/fat12-root-lfn");
  for (const auto& [type, name] : {std::pair{DumpType::FatBpb, "bpb"}, {DumpType::Fat32Bpb, "bpb32"},
                                   {DumpType::Fat32Info, "info"}, {DumpType::FatDir, "dir"},
                                   {DumpType::FatLfn, "lfn"}}) {
    ExpectReport(RunOnBytes(MakeRequest(type), Pattern()), std::string("fat/") + name + "-pattern");
    ExpectReport(RunOnBytes(MakeRequest(type), std::vector<uint8_t>(512, 0xFF)), std::string("fat/") + name + "-ff");
  }
}

void ExpectMatchesMinfo(const std::string& listing, const std::string& tool) {
  const size_t boot = tool.find("bootsector information");
  ASSERT_NE(boot, std::string::npos);
  // The listing's label and minfo's for the same number; minfo leaves out
  // the FAT32 fields of other volumes.
  for (const auto& [field, label] : Labels{
           {"Bytes per Sector", "sector size"}, {"Sectors per Cluster", "cluster size"}, {"Fats", "fats"},
           {"Sectors reserved", "reserved (boot) sectors"}, {"Root Entries", "max available root directory slots"},
           {"Sectors", "small size"}, {"Descriptor", "media descriptor byte"}, {"Sectors per FAT", "sectors per fat"},
           {"Sectors per Track", "sectors per track"}, {"Heads", "heads"}, {"Hidden Sectors", "hidden sectors"},
           {"Drive Num", "physical drive id"}, {"Sectors Extended", "big size"}, {"Sectors per FAT 32", "Big fatlen="},
           {"Extended Flags", "Extended flags="}, {"FS Version", "FS version="},
           {"Root Cluster Number", "rootCluster="}, {"Info Sector Number", "infoSector location="},
           {"Backup boot Sector", "backup boot sector="}}) {
    if (FieldAfter(tool, label, boot).empty()) continue;
    EXPECT_EQ(NumberAfter(listing, field), NumberAfter(tool, label, boot)) << field;
  }
  // Hexadecimal in the listing without "0x".
  for (const auto& [field, label] : Labels{{"reserved", "reserved="}, {"Sig", "dos4="}})
    EXPECT_EQ(std::stoll(FieldAfter(listing, field), nullptr, 16), NumberAfter(tool, label, boot)) << field;
  EXPECT_EQ(FieldAfter(listing, "Serial"), FieldAfter(tool, "serial number", boot));
  // minfo quotes the texts; FieldAfter leaves out the listing's trailing blanks.
  const auto unquoted = [](const std::string& text) { return text.substr(1, text.find_last_not_of(" \"")); };
  EXPECT_EQ(FieldAfter(listing, "Label"), unquoted(FieldAfter(tool, "disk label=")));
  EXPECT_EQ(FieldAfter(listing, "sys type"), unquoted(FieldAfter(tool, "disk type=")));
}

TEST(Fat, BootSectorsAgreeWithMinfo) {
  const auto fat32 = ReadTestFile("fat/fat32-reserved.bin");
  const std::string tool32 = ReadTestText("fat/fat32.tools.txt");
  for (const auto& [image, tool] :
       Labels{{"fat/fat12.img", "fat/fat12.tools.txt"}, {"fat/fat16-head.bin", "fat/fat16.tools.txt"}})
    ExpectMatchesMinfo(RunOnBytes(MakeRequest(DumpType::FatBpb), ReadTestFile(image)).text, ReadTestText(tool));
  ExpectMatchesMinfo(RunOnBytes(MakeRequest(DumpType::Fat32Bpb), fat32).text, tool32);

  const std::string info = RunOnBytes(MakeRequest(DumpType::Fat32Info, "512"), fat32).text;
  EXPECT_EQ(NumberAfter(tool32, "infoSector location="), 1);
  EXPECT_EQ(NumberAfter(info, "sig"), NumberAfter(tool32, "signature="));
  EXPECT_EQ(NumberAfter(info, "Free Cluster Count"), NumberAfter(tool32, "free clusters="));
  EXPECT_EQ(NumberAfter(info, "Next Free Cluster"), NumberAfter(tool32, "last allocated cluster="));
}

// One line per file, blanks collapsed, as mdir -a lists the root: short
// name, extension, size or <DIR>, date, time and the long name. The long
// names are put together from the LFN listing: a chain lists its last part
// first, and a name ends at its zero unit (the placeholder).
std::string Collapsed(const std::string& text) {
  return std::regex_replace(std::regex_replace(text, std::regex(" +"), " "), std::regex(" \n"), "\n");
}

std::string MdirLines(const std::string& dir, const std::string& lfn) {
  std::vector<std::string> longNames;
  std::string name;
  const std::regex part(
      R"(last = (.) number = (\d+)\) \n +Name: (.*)\n +Attribute: 0x0F\n.*\n.*\n +Name: (.*)\n.*\n +Name: (.*)\n)");
  for (std::sregex_iterator m(lfn.begin(), lfn.end(), part), end; m != end; ++m) {
    name = (*m)[3].str() + (*m)[4].str() + (*m)[5].str() + ((*m)[1] == "Y" ? "" : name);
    if ((*m)[2] == "1") longNames.push_back(name.substr(0, name.find('\xB7')));
  }
  std::string lines;
  size_t named = 0;
  bool afterLfn = false;
  for (size_t at = dir.find("(non LFN)"); at != std::string::npos; at = dir.find("(non LFN)", at + 1)) {
    const long long attribute = NumberAfter(dir, "Attribute", at);
    const std::string date = FieldAfter(dir, "Date", at), time = FieldAfter(dir, "Time", at);
    // Volume labels, long-name parts and free entries are not files.
    if ((attribute & 0x08) == 0 && !FieldAfter(dir, "Name", at).starts_with('\xB7'))
      lines += FieldAfter(dir, "Name", at) + " " + FieldAfter(dir, "Extension", at) + " " +
               (attribute & 0x10 ? "<DIR>" : FieldAfter(dir, "File Size", at)) + " " +
               date.substr(date.find('(') + 1, 10) + " " + time.substr(time.find('(') + 1, 5) + " " +
               (afterLfn ? longNames.at(named++) : "") + "\n";
    afterLfn = attribute == 0x0F;
  }
  EXPECT_EQ(named, longNames.size());
  std::replace(lines.begin(), lines.end(), '/', '-');
  return Collapsed(lines);
}

TEST(Fat, RootDirectoriesAgreeWithMdir) {
  // The FAT32 excerpt starts with the root directory.
  for (const auto& [image, root, report] : {std::tuple{"fat/fat12.img", "1536", "fat/fat12.tools.txt"},
                                            {"fat/fat32-root.bin", "0", "fat/fat32.tools.txt"}}) {
    const auto bytes = ReadTestFile(image);
    const std::string tool = ReadTestText(report);
    const size_t from = tool.find("\n\n", tool.find("Directory for ::/")) + 2;
    const std::string mdir = tool.substr(from, tool.rfind('\n', tool.find(" files", from)) + 1 - from);
    const auto dump = [&](DumpType type) { return RunOnBytes(MakeRequest(type, root, "0", 16), bytes).text; };
    EXPECT_EQ(MdirLines(dump(DumpType::FatDir), dump(DumpType::FatLfn)), Collapsed(mdir)) << image;
  }
  EXPECT_EQ(NumberAfter(ReadTestText("fat/fat12.tools.txt"), "Root directory starts at byte "), 1536);
}

// Rules whose red line the pattern and 0xFF listings already show for the same field are not repeated here.
TEST(Fat, Rules) {
  const auto fat12 = ReadTestFile("fat/fat12.img");
  const std::string bps = " <-- Must be 512, 1024, 2048, or 4096.\\n]]";
  const std::string cluster = " <-- Must be a power of 2, from 1 to 128, and ((n * bytes_per_sect) < 32k).\\n]]";
  const std::string type = " <-- Should be 'FAT12   ' or 'FAT16   '.\\n]]";
  // mkfs.fat's FAT12 boot sector keeps every rule.
  ExpectRules(MakeRequest(DumpType::FatBpb), fat12,
              {{"256-byte sectors", {Le16(11, 256)}, {"Bytes per Sector: 256[[" + bps}},
               {"1 KiB sectors", {Le16(11, 1024)}, {}},
               {"2 KiB sectors", {Le16(11, 2048)}, {}},
               {"32 KiB clusters", {Le16(11, 4096), U8(13, 8)}, {}},
               {"64 KiB clusters", {Le16(11, 4096), U8(13, 16)}, {"Sectors per Cluster: 16[[" + cluster}},
               {"128 sectors per cluster", {Le16(11, 256), U8(13, 128)}, {"Bytes per Sector: 256[[" + bps}},
               {"0 sectors per cluster", {U8(13, 0)}, {"Sectors per Cluster: 0[[" + cluster}},
               {"3 sectors per cluster", {U8(13, 3)}, {"Sectors per Cluster: 3[[" + cluster}},
               {"one fat", {U8(16, 1)}, {}},
               {"no fat", {U8(16, 0)}, {"Fats: 0[[ <-- Should be 1 or 2.\\n]]"}},
               {"three fats", {U8(16, 3)}, {"Fats: 3[[ <-- Should be 1 or 2.\\n]]"}},
               {"no root entries", {Le16(17, 0)}, {"Root Entries: 0[[ <-- Should be from 1 to 512.\\n]]"}},
               {"513 root entries", {Le16(17, 513)}, {"Root Entries: 513[[ <-- Should be from 1 to 512.\\n]]"}},
               {"the 32-bit total alone", {Le16(19, 0), Le32(32, 320)}, {}},
               {"both totals", {Le32(32, 320)},
                {"Sectors: 320[[ <-- Should be zero if Sectors Extended is not zero.\\n]]",
                 "Sectors Extended: 320[[ <-- Should be zero if Sectors above is not zero.\\n]]"}},
               {"signature 0x28", {U8(38, 0x28)}, {"Sig: 28[[ <-- Should be 0x29.\\n]]"}},
               {"FAT16", {Text(54, "FAT16   ")}, {}},
               {"lower case type", {Text(54, "fat16   ")}, {"sys type: fat16   [[" + type}},
               {"type padded with zeros", {Text(54, std::string("FAT12\0\0\0", 8))},
                {"sys type: FAT12\xB7\xB7\xB7[[" + type}}});
  const std::string flags = "[[ <-- Bits 15-8 and 6-4 should be zero.\\n]]";
  // mkfs.fat's FAT32 boot sector keeps every rule.
  ExpectRules(
      MakeRequest(DumpType::Fat32Bpb), ReadTestFile("fat/fat32-reserved.bin"),
      {{"64 KiB clusters", {Le16(11, 4096), U8(13, 16)},
        {"Sectors per Cluster: 16[[ <-- Must be a power of 2, between 1 and 128, and ((n * bytes_per_sect) < 32k)"
         ".\\n]]"}},
       {"no fat", {U8(16, 0)}, {"Fats: 0[[ <-- Should be 1 or 2.\\n]]"}},
       {"three fats", {U8(16, 3)}, {"Fats: 3[[ <-- Should be 1 or 2.\\n]]"}},
       {"mirroring off, active fat 15", {Le16(40, 0x008F)}, {}},
       {"flag bit 4", {Le16(40, 0x0010)}, {"Extended Flags: 0x0010" + flags}},
       {"flag bit 6", {Le16(40, 0x0040)}, {"Extended Flags: 0x0040" + flags}},
       {"flag bit 8", {Le16(40, 0x0100)}, {"Extended Flags: 0x0100" + flags}},
       {"info sector 0", {Le16(48, 0)}, {"Info Sector Number: 0[[ <-- Usually is 1.\\n]]"}},
       {"reserved area", {U8(63, 0x5A)}, {"resv: 00 00 00 00 00 00 00 00 00 00 00 5A[[ <-- Should be zeros.\\n]]"}},
       {"signature not checked", {U8(66, 0x28)}, {}},
       {"type", {Text(82, "FAT     ")}, {"sys type: FAT     [[ <-- Should be 'FAT32   '.\\n]]"}}});
  // mkfs.fat's info sector (sector 1); its signatures' rules show on the pattern and 0xFF listings.
  ExpectRules(MakeRequest(DumpType::Fat32Info, "512"), ReadTestFile("fat/fat32-reserved.bin"),
              {{"reserved area", {U8(995, 'Z')},
                {"000003D4  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 5A     ...............Z[[",
                 "One or more of the values above was not zero.", "\\n]]"}},
               {"second reserved area not checked", {U8(1008, 1)}, {}}});
  // mtools' entry of README.TXT (cluster 5); the long-name entries' rules show on the pattern listings.
  const std::string low = "[[ <--- should be 0x0002 or higher.\\n]]", bits = "[[ <--- Bits 7 and 6 are not zero.\\n]]";
  const std::string zero = "Starting Cluster: 0x0000 (0x00000000)" + low;
  // A volume label, and the ".." entry of a directory whose parent is the root, own no cluster.
  ExpectRules(MakeRequest(DumpType::FatDir, "0x700"), fat12,
              {{"every attribute", {U8(0x70B, 0x3F)}, {}},
               {"attribute bit 6", {U8(0x70B, 0x40)}, {"Attribute: 0x40 " + bits}},
               {"attribute bit 7", {U8(0x70B, 0xA1)}, {"Attribute: 0xA1  Archive Read Only" + bits}},
               {"cluster 0", {Le16(0x71A, 0)}, {zero}},
               {"volume label", {Text(0x700, "BOOTDISK   "), U8(0x70B, 0x08), Le16(0x71A, 0), Le32(0x71C, 0)}, {}},
               {"volume label with the archive bit", {U8(0x70B, 0x28), Le16(0x71A, 0)}, {}},
               {"'..' whose parent is the root", {Text(0x700, "..         "), U8(0x70B, 0x10), Le16(0x71A, 0)}, {}},
               {"'.' with cluster 0", {Text(0x700, ".          "), U8(0x70B, 0x10), Le16(0x71A, 0)}, {zero}},
               {"'..' as a file name prefix", {Text(0x700, "..X        "), Le16(0x71A, 0)}, {zero}},
               {"long-name attribute read as a short entry", {U8(0x70B, 0x0F), Le16(0x71A, 0)}, {zero}},
               {"cluster 1", {Le16(0x71A, 1)}, {"Starting Cluster: 0x0001 (0x00000001)" + low}},
               {"cluster 0x10000", {Le16(0x714, 1), Le16(0x71A, 0)}, {}},
               {"cluster 0x80000001", {Le16(0x714, 0x8000), Le16(0x71A, 1)},
                {"Starting Cluster: 0x0001 (0x80000001)" + low}}});
}

}  // namespace
}  // namespace trovik::test
