// FAT volumes made by mkfs.fat and filled by mtools (tests/data/fat),
// decoded and compared with what minfo, fsck.fat and mdir report.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/fat/FatDecoders.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::ReadTestFile;
using test::RunDecoder;

std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> ToolReport(const std::string& name) {
  const auto bytes = ReadTestFile(name);
  return Lines(std::string(bytes.begin(), bytes.end()));
}

std::string After(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const auto& line : lines)
    if (line.starts_with(prefix)) return line.substr(prefix.size());
  ADD_FAILURE() << "no line starts with " << prefix;
  return {};
}

long Number(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::strtol(After(lines, prefix).c_str(), nullptr, 0);
}

// The value printed after a label of the listing ("  Label: value").
std::string Field(const std::string& listing, const std::string& label) {
  const std::string key = " " + label + ": ";
  const size_t at = listing.find(key);
  if (at == std::string::npos) return "<missing " + label + ">";
  const size_t from = at + key.size();
  return listing.substr(from, listing.find('\n', from) - from);
}

// The parameter block fields that minfo reports, checked against the listing.
void ExpectMatchesMinfo(const std::string& listing, const std::vector<std::string>& minfo) {
  EXPECT_EQ(Field(listing, "Bytes per Sector"), std::to_string(Number(minfo, "sector size: ")));
  EXPECT_EQ(Field(listing, "Sectors per Cluster"), std::to_string(Number(minfo, "cluster size: ")));
  EXPECT_EQ(Field(listing, "Sectors reserved"), std::to_string(Number(minfo, "reserved (boot) sectors: ")));
  EXPECT_EQ(Field(listing, "Fats"), std::to_string(Number(minfo, "fats: ")));
  EXPECT_EQ(Field(listing, "Root Entries"), std::to_string(Number(minfo, "max available root directory slots: ")));
  EXPECT_EQ(Field(listing, "Sectors"), std::to_string(Number(minfo, "small size: ")));
  EXPECT_EQ(Field(listing, "Descriptor"), "0xF8");
  EXPECT_EQ(Field(listing, "Sectors per FAT"), std::to_string(Number(minfo, "sectors per fat: ")));
  EXPECT_EQ(Field(listing, "Sectors per Track"), std::to_string(Number(minfo, "sectors per track: ")));
  EXPECT_EQ(Field(listing, "Heads"), std::to_string(Number(minfo, "heads: ")));
  EXPECT_EQ(Field(listing, "Hidden Sectors"), std::to_string(Number(minfo, "hidden sectors: ")));
  EXPECT_EQ(Field(listing, "Serial").substr(0, 8), After(minfo, "serial number: "));
  EXPECT_EQ("\"" + Field(listing, "Label").substr(0, 11) + "\"", After(minfo, "disk label="));
  EXPECT_EQ("\"" + Field(listing, "sys type").substr(0, 8) + "\"", After(minfo, "disk type="));
  EXPECT_EQ(Field(listing, "Sig").substr(0, 2), After(minfo, "dos4=0x"));
}

TEST(FatImage, Fat12BootSector) {
  const auto listing = RunDecoder(DumpFatBpb, MakeRequest(DumpType::FatBpb), ReadTestFile("fat/fat12.img")).marked;
  EXPECT_EQ(listing,
            "Fat12/16 BIOS Parameter Block (0x00000000)\n"
            "                  Jump: EB 3C 90\n"
            "              OEM Name: mkfs.fat\n"
            "      Bytes per Sector: 512\n"
            "   Sectors per Cluster: 4\n"
            "      Sectors reserved: 1\n"
            "                  Fats: 2\n"
            "          Root Entries: 512\n"
            "               Sectors: 320\n"
            "            Descriptor: 0xF8\n"
            "       Sectors per FAT: 1\n"
            "     Sectors per Track: 16\n"
            "                 Heads: 2\n"
            "        Hidden Sectors: 0\n"
            "      Sectors Extended: 0\n"
            "             Drive Num: 0\n"
            "              reserved: 00\n"
            "                   Sig: 29\n"
            "                Serial: 1234ABCD\n"
            "                 Label: TROVIK12   \n"
            "              sys type: FAT12   \n");
  ExpectMatchesMinfo(listing, ToolReport("fat/fat12.tools.txt"));
}

TEST(FatImage, Fat16BootSector) {
  const auto listing = RunDecoder(DumpFatBpb, MakeRequest(DumpType::FatBpb), ReadTestFile("fat/fat16-head.bin")).marked;
  ExpectMatchesMinfo(listing, ToolReport("fat/fat16.tools.txt"));
  // A hard-disk volume carries drive number 0x80, the one rule it breaks.
  EXPECT_NE(listing.find("Drive Num: 128[[ <-- Usually is zero, but is OS specific.\n]]"), std::string::npos);
  EXPECT_EQ(listing.find("[["), listing.rfind("[["));
}

TEST(FatImage, Fat32BootAndInfoSectors) {
  const auto reserved = ReadTestFile("fat/fat32-reserved.bin");
  const auto minfo = ToolReport("fat/fat32.tools.txt");
  const auto listing = RunDecoder(DumpFat32Bpb, MakeRequest(DumpType::Fat32Bpb), reserved).marked;
  EXPECT_EQ(listing.find("[["), std::string::npos);
  EXPECT_EQ(Field(listing, "Sectors reserved"), std::to_string(Number(minfo, "reserved (boot) sectors: ")));
  EXPECT_EQ(Field(listing, "Sectors Extended"), std::to_string(Number(minfo, "big size: ")));
  EXPECT_EQ(Field(listing, "Sectors per FAT 32"), std::to_string(Number(minfo, "Big fatlen=")));
  EXPECT_EQ(Field(listing, "Extended Flags"), "0x" + After(minfo, "Extended flags=0x"));
  EXPECT_EQ(Field(listing, "FS Version"), "0x" + After(minfo, "FS version=0x"));
  EXPECT_EQ(std::stol(Field(listing, "Root Cluster Number"), nullptr, 16), Number(minfo, "rootCluster="));
  EXPECT_EQ(Field(listing, "Info Sector Number"), std::to_string(Number(minfo, "infoSector location=")));
  EXPECT_EQ(Field(listing, "Backup boot Sector"), std::to_string(Number(minfo, "backup boot sector=")));
  EXPECT_EQ(Field(listing, "Serial"), After(minfo, "serial number: "));
  EXPECT_EQ("\"" + Field(listing, "sys type") + "\"", After(minfo, "disk type="));

  const auto info =
      RunDecoder(DumpFat32Info,
                 MakeRequest(DumpType::Fat32Info, std::to_string(512 * Number(minfo, "infoSector location="))),
                 reserved)
          .marked;
  EXPECT_EQ(info.find("[["), std::string::npos);
  EXPECT_NE(info.find("sig: " + After(minfo, "signature=") + "  ('AaRR') [1]\n"), std::string::npos);
  EXPECT_EQ(Field(info, "Free Cluster Count"), std::to_string(Number(minfo, "free clusters=")) + "  ");
  EXPECT_EQ(std::stol(Field(info, "Next Free Cluster"), nullptr, 16), Number(minfo, "last allocated cluster="));
}

// Long names put together from the LFN listing: each chain is listed last
// part first; a name ends at its zero unit (shown as the placeholder).
std::vector<std::string> LongNames(const std::string& listing) {
  std::vector<std::string> names;
  std::string name;
  std::string part;
  bool last = false;
  int number = 0;
  for (const auto& line : Lines(listing)) {
    if (line.starts_with("            Sequ_flags: ")) {
      last = line.find("last = Y") != std::string::npos;
      number = std::atoi(line.substr(line.find("number = ") + 9).c_str());
      part.clear();
    } else if (line.starts_with("                  Name: ")) {
      part += line.substr(24);
    } else if (line.starts_with("             Attribute: ") && line != "             Attribute: 0x0F") {
      number = -1;  // not a long-name entry
    } else if (line.empty() && number > 0) {
      name = part + (last ? std::string() : name);
      if (number == 1) {
        names.push_back(name.substr(0, name.find('\xB7')));
        name.clear();
      }
    }
  }
  return names;
}

void ExpectDirectoryMatchesMdir(const std::vector<uint8_t>& bytes, uint32_t root,
                                const std::vector<std::string>& tool) {
  const std::string start = std::to_string(root);
  const std::string shortListing = RunDecoder(DumpFatDir, MakeRequest(DumpType::FatDir, start, "0", 16), bytes).text;
  const std::string lfnListing = RunDecoder(DumpFatLfn, MakeRequest(DumpType::FatLfn, start, "0", 16), bytes).text;
  const auto longNames = LongNames(lfnListing);
  int files = 0;
  for (const auto& line : tool) {
    char name[16], ext[8], size[16];
    int year, month, day, hour, minute;
    if (std::sscanf(line.c_str(), "%15s %7s %15s %d-%d-%d %d:%d", name, ext, size, &year, &month, &day, &hour,
                    &minute) != 8) {
      // Names without an extension have one field less.
      if (std::sscanf(line.c_str(), "%15s %15s %d-%d-%d %d:%d", name, size, &year, &month, &day, &hour, &minute) != 7)
        continue;
      ext[0] = 0;
    }
    if (line.find("<DIR>") == std::string::npos && ext[0] == 0) continue;
    char block[160];
    std::snprintf(block, sizeof block, "                  Name: %-8s\n             Extension: %-3s\n", name,
                  line.find("<DIR>") != std::string::npos ? "" : ext);
    const size_t at = shortListing.find(block);
    ASSERT_NE(at, std::string::npos) << block;
    const std::string entry = shortListing.substr(at, shortListing.find("\n\n", at) - at);
    if (line.find("<DIR>") != std::string::npos) {
      EXPECT_NE(entry.find("Attribute: 0x10  Subdirectory\n"), std::string::npos) << entry;
    } else {
      EXPECT_EQ(Field(entry, "File Size"), size);
      EXPECT_NE(entry.find("Attribute: 0x20  Archive\n"), std::string::npos) << entry;
    }
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "(%04d/%02d/%02d) (ymd) ", year, month, day);
    EXPECT_NE(Field(entry, "Date").find(stamp), std::string::npos) << entry;
    std::snprintf(stamp, sizeof stamp, "(%02d:%02d:", hour, minute);
    EXPECT_NE(Field(entry, "Time").find(stamp), std::string::npos) << entry;
    EXPECT_EQ(entry.find(" <---"), std::string::npos) << entry;
    ++files;
  }
  EXPECT_EQ(files, 4);
  EXPECT_EQ(longNames,
            (std::vector<std::string>{"A long file name.txt", "Quarterly report 2024 (final).data", "Sub Folder"}));
  // The long-name entries that follow the volume label are well formed.
  EXPECT_EQ(
      RunDecoder(DumpFatLfn, MakeRequest(DumpType::FatLfn, std::to_string(root + 32), "0", 2), bytes).marked.find("[["),
      std::string::npos);
}

TEST(FatImage, Fat12RootDirectory) {
  const auto tool = ToolReport("fat/fat12.tools.txt");
  const auto root = static_cast<uint32_t>(Number(tool, "Root directory starts at byte "));
  ExpectDirectoryMatchesMdir(ReadTestFile("fat/fat12.img"), root, tool);
}

TEST(FatImage, Fat32RootDirectory) {
  // The excerpt starts with the root directory, which on FAT32 lies in the
  // data area (its sector is recorded in the tool report).
  ExpectDirectoryMatchesMdir(ReadTestFile("fat/fat32-root.bin"), 0, ToolReport("fat/fat32.tools.txt"));
}

}  // namespace
}  // namespace trovik
