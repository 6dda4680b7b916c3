// Executable headers: listings of real MinGW-built programs, checked against objdump -x of the same files, and
// of byte-stamped headers.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <sstream>

#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

DumpResult Dump(DumpType type, long long start, const std::vector<uint8_t>& bytes, int count = 1) {
  return RunOnBytes(MakeRequest(type, std::to_string(start), "0", count), bytes);
}

// objdump's "Name<tabs>value" lines, by name (the first line wins).
std::map<std::string, std::string> ObjdumpFields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab != 0 && tab != std::string::npos) fields.emplace(line.substr(0, tab), line.substr(line.find_first_not_of('\t', tab)));
  }
  return fields;
}

unsigned long long Hex(const std::string& text) { return std::stoull(text, nullptr, 16); }

struct Sample {
  const char* file;
  unsigned machine;  // from the PE format's machine list
};

TEST(ExeHeaders, RealProgramsAgreeWithObjdump) {
  for (const Sample& s : {Sample{"hello64.exe", 0x8664}, Sample{"hello32.exe", 0x014C}, Sample{"greet32.dll", 0x014C}}) {
    SCOPED_TRACE(s.file);
    const auto bytes = ReadTestFile(std::string("exe/") + s.file);
    const std::string tool = ReadTestText(std::string("exe/") + s.file + ".objdump");
    const auto ref = ObjdumpFields(tool);
    const std::string name = std::string("exe/") + std::string(s.file).replace(std::string(s.file).find('.'), 1, "-");

    const DumpResult mz = Dump(DumpType::Mz, 0, bytes);
    const long long pe = NumberAfter(mz.text, "File Address of new EXE header");
    const DumpResult header = Dump(DumpType::PeHeader, pe, bytes);
    EXPECT_EQ(NumberAfter(header.text, "Machine"), s.machine);
    EXPECT_EQ(NumberAfter(header.text, "Characteristics"), Hex(FieldAfter(tool, "Characteristics ")));
    std::tm time{};
    ASSERT_TRUE(strptime(ref.at("Time/Date").c_str(), "%a %b %d %H:%M:%S %Y", &time));
    EXPECT_EQ(NumberAfter(header.text, "Time Stamp"), timegm(&time));

    const long long optional = pe + 24;
    const DumpResult opt = Dump(DumpType::PeOptional, optional, bytes);
    const std::pair<const char*, const char*> same[] = {
        {"Magic", "Magic"}, {"Size of Code", "SizeOfCode"}, {"Initialized Data Size", "SizeOfInitializedData"},
        {"Uninitialized Data Size", "SizeOfUninitializedData"}, {"Address of Entry Point", "AddressOfEntryPoint"},
        {"Base of Code", "BaseOfCode"}, {"Image Base", "ImageBase"}, {"Section Alignment", "SectionAlignment"},
        {"File Alignment", "FileAlignment"}, {"Reserved", "Win32Version"}, {"Size of Image", "SizeOfImage"},
        {"Size of Headers", "SizeOfHeaders"}, {"Checksum", "CheckSum"}, {"Subsystem", "Subsystem"},
        {"DLL Characteristics", "DllCharacteristics"}, {"Size of Stack Reserve", "SizeOfStackReserve"},
        {"Size of Stack Commit", "SizeOfStackCommit"}, {"Size of Heap Reserve", "SizeOfHeapReserve"},
        {"Size of Heap Commit", "SizeOfHeapCommit"}, {"Loader Flags", "LoaderFlags"},
        {"Number of RVA and Sizes", "NumberOfRvaAndSizes"}};
    for (const auto& [ours, theirs] : same) EXPECT_EQ(NumberAfter(opt.text, ours), Hex(ref.at(theirs))) << ours;
    for (const char* version : {"Linker", "Image", "Subsystem"})
      for (const char* part : {"Major", "Minor"})
        EXPECT_EQ(NumberAfter(opt.text, std::string(part) + " " + version + " Version"),
                  std::stoll(ref.at(std::string(part) + version + "Version"))) << part << version;
    // PE32+ has no base of data; objdump shows none either.
    EXPECT_EQ(FieldAfter(opt.text, "Base of Data").empty(), !ref.count("BaseOfData"));
    if (ref.count("BaseOfData")) {
      EXPECT_EQ(NumberAfter(opt.text, "Base of Data"), Hex(ref.at("BaseOfData")));
    }
    std::istringstream in(tool);
    for (std::string line; std::getline(in, line);) {
      unsigned k;
      unsigned long long rva, size, ourRva = 0, ourSize = 0;
      if (std::sscanf(line.c_str(), "Entry %x %llx %llx", &k, &rva, &size) != 3) continue;
      const std::string ours = FieldAfter(opt.text, "Data Directory " + std::string(k < 10 ? "0" : "") + std::to_string(k));
      std::sscanf(ours.c_str(), "Virtual Address = %llx, Size = %llx", &ourRva, &ourSize);
      EXPECT_EQ(ourRva, rva) << k;
      EXPECT_EQ(ourSize, size) << k;
    }

    // The section table follows the optional header; objdump lists its entries in order.
    const long long table = optional + NumberAfter(header.text, "Size of Optional Header");
    const int count = static_cast<int>(NumberAfter(header.text, "Number of Sections"));
    const DumpResult sections = Dump(DumpType::PeSection, table, bytes, count);
    std::istringstream list(tool.substr(tool.find("\nSections:")));
    size_t at = 0;
    int listed = 0;
    for (std::string line; std::getline(list, line);) {
      char section[16];
      unsigned long long size, vma, offset;
      if (std::sscanf(line.c_str(), "%*u %15s %llx %llx %*s %llx", section, &size, &vma, &offset) != 4) continue;
      at = sections.text.find("PE Section Header", at + 1);
      ASSERT_NE(at, std::string::npos) << section;
      const std::string shown = FieldAfter(sections.text, "Name", at);
      EXPECT_EQ(shown.substr(shown.find('[') + 1, shown.find_last_not_of(" ]") - shown.find('[')), section);
      EXPECT_EQ(NumberAfter(sections.text, "Physical Address/Virtual Size", at), size) << section;
      EXPECT_EQ(NumberAfter(sections.text, "Virtual Address", at) + NumberAfter(opt.text, "Image Base"), vma) << section;
      EXPECT_EQ(NumberAfter(sections.text, "Pointer to Raw Data", at), offset) << section;
      ++listed;
    }
    EXPECT_EQ(listed, count);
    for (const auto& [type, result] : {std::pair{"mz", mz}, {"pe-header", header}, {"pe-optional", opt}, {"pe-sections", sections}})
      ExpectReport(result, name + "-" + type);
  }
}

// Each byte holds 0x80 + (its offset mod 128): every number shows where and how wide it was read, and every
// signed field is negative. The structure starts at 0x30, after zeros.
TEST(ExeHeaders, StampedHeaders) {
  const struct {
    const char* golden;
    DumpType type;
    std::vector<Patch> patches;
  } cases[] = {{"mz", DumpType::Mz, {}},
               {"pe-header", DumpType::PeHeader, {}},
               {"pe32-optional", DumpType::PeOptional, {Le16(0, 0x010B)}},
               {"pe32plus-optional", DumpType::PeOptional, {Le16(0, 0x020B)}},
               {"pe-section", DumpType::PeSection, {{0, {0x20, 0x21, 0x7E, 0x7F, 0x80, 0xFF, 0x00, 'x'}}}}};
  for (const auto& c : cases) {
    std::vector<uint8_t> header(256);
    for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(0x80 | (i & 0x7F));
    Apply(header, c.patches);
    header.insert(header.begin(), 0x30, 0);
    ExpectReport(Dump(c.type, 0x30, header), std::string("exe/stamped-") + c.golden);
  }
}

}  // namespace
}  // namespace trovik::test
