// Executable headers: listings of real MinGW-built programs, checked against objdump -x of the same files, and
// of byte-stamped headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "support/Golden.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

DumpResult Dump(DumpType type, long long start, const std::vector<uint8_t>& bytes, int count = 1) {
  return RunOnBytes(MakeRequest(type, std::to_string(start), "0", count), bytes);
}

unsigned long long Hex(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 16); }

TEST(ExeHeaders, RealProgramsAgreeWithObjdump) {
  // Machine numbers from the PE format's list.
  for (const auto& [file, machine] :
       {std::pair{"hello64.exe", 0x8664}, {"hello32.exe", 0x014C}, {"greet32.dll", 0x014C}}) {
    SCOPED_TRACE(file);
    const auto bytes = ReadTestFile(std::string("exe/") + file);
    std::string tool = ReadTestText(std::string("exe/") + file + ".objdump");
    std::replace(tool.begin(), tool.end(), '\t', ' ');  // "SizeOfCode<tabs>00001800"

    const DumpResult mz = Dump(DumpType::Mz, 0, bytes);
    const long long pe = NumberAfter(mz.text, "File Address of new EXE header");
    const DumpResult header = Dump(DumpType::PeHeader, pe, bytes);
    EXPECT_EQ(NumberAfter(header.text, "Machine"), machine);
    EXPECT_EQ(NumberAfter(header.text, "Characteristics"), Hex(FieldAfter(tool, "Characteristics ")));
    std::tm time{};
    ASSERT_TRUE(strptime(FieldAfter(tool, "Time/Date ").c_str(), "%a %b %d %H:%M:%S %Y", &time));
    EXPECT_EQ(NumberAfter(header.text, "Time Stamp"), timegm(&time));

    const long long optional = pe + 24;
    const DumpResult opt = Dump(DumpType::PeOptional, optional, bytes);
    const std::pair<const char*, const char*> same[] = {
        {"Magic", "Magic "}, {"Size of Code", "SizeOfCode "}, {"Initialized Data Size", "SizeOfInitializedData "},
        {"Uninitialized Data Size", "SizeOfUninitializedData "}, {"Address of Entry Point", "AddressOfEntryPoint "},
        {"Base of Code", "BaseOfCode "}, {"Base of Data", "BaseOfData "}, {"Image Base", "ImageBase "},
        {"Section Alignment", "SectionAlignment "}, {"File Alignment", "FileAlignment "},
        {"Reserved", "Win32Version "}, {"Size of Image", "SizeOfImage "}, {"Size of Headers", "SizeOfHeaders "},
        {"Checksum", "CheckSum "}, {"Subsystem", "Subsystem "}, {"DLL Characteristics", "DllCharacteristics "},
        {"Size of Stack Reserve", "SizeOfStackReserve "}, {"Size of Stack Commit", "SizeOfStackCommit "},
        {"Size of Heap Reserve", "SizeOfHeapReserve "}, {"Size of Heap Commit", "SizeOfHeapCommit "},
        {"Loader Flags", "LoaderFlags "}, {"Number of RVA and Sizes", "NumberOfRvaAndSizes "}};
    for (const auto& [ours, theirs] : same)
      EXPECT_EQ(NumberAfter(opt.text, ours), Hex(FieldAfter(tool, theirs))) << ours;
    // PE32+ has no base of data, and objdump shows none.
    EXPECT_EQ(FieldAfter(opt.text, "Base of Data").empty(), FieldAfter(tool, "BaseOfData ").empty());
    for (const std::string version : {"Linker", "Image", "Subsystem"})
      for (const std::string part : {"Major", "Minor"})
        EXPECT_EQ(NumberAfter(opt.text, part + " " + version + " Version"),
                  NumberAfter(tool, part + version + "Version "));
    std::istringstream in(tool);
    for (std::string line; std::getline(in, line);) {
      unsigned k;
      unsigned long long rva, size;
      if (std::sscanf(line.c_str(), "Entry %x %llx %llx", &k, &rva, &size) != 3) continue;
      const std::string ours = FieldAfter(opt.text, "Data Directory " + std::string(k < 10, '0') + std::to_string(k));
      EXPECT_EQ(NumberAfter(ours, "Virtual Address ="), rva) << k;
      EXPECT_EQ(NumberAfter(ours, "Size ="), size) << k;
    }

    // The section table follows the optional header; objdump lists its entries in order.
    const int count = static_cast<int>(NumberAfter(header.text, "Number of Sections"));
    const DumpResult sections =
        Dump(DumpType::PeSection, optional + NumberAfter(header.text, "Size of Optional Header"), bytes, count);
    std::istringstream list(tool.substr(tool.find("\nSections:")));
    size_t at = 0;
    int listed = 0;
    for (std::string line; std::getline(list, line);) {
      char section[16];
      unsigned long long size, vma, offset;
      if (std::sscanf(line.c_str(), "%*u %15s %llx %llx %*s %llx", section, &size, &vma, &offset) != 4) continue;
      at = sections.text.find("PE Section Header", at + 1);
      ASSERT_NE(at, std::string::npos) << section;
      const std::string name = FieldAfter(sections.text, "Name", at);
      EXPECT_EQ(name.substr(name.find('[') + 1, name.find_last_not_of(" ]") - name.find('[')), section);
      EXPECT_EQ(NumberAfter(sections.text, "Physical Address/Virtual Size", at), size) << section;
      EXPECT_EQ(NumberAfter(sections.text, "Virtual Address", at) + NumberAfter(opt.text, "Image Base"), vma);
      EXPECT_EQ(NumberAfter(sections.text, "Pointer to Raw Data", at), offset) << section;
      ++listed;
    }
    EXPECT_EQ(listed, count);
    const std::string golden = "exe/" + std::string(file).replace(std::string(file).find('.'), 1, "-");
    for (const auto& [type, result] :
         {std::pair{"mz", &mz}, {"pe-header", &header}, {"pe-optional", &opt}, {"pe-sections", &sections}})
      ExpectReport(*result, golden + "-" + type);
  }
}

// Each byte holds 0x80 + (its offset mod 128): every number shows where and how wide it was read, and every
// signed field is negative. The structure starts at 0x30, after zeros.
TEST(ExeHeaders, StampedHeaders) {
  const std::tuple<const char*, DumpType, std::vector<Patch>> cases[] = {
      {"mz", DumpType::Mz, {}}, {"pe-header", DumpType::PeHeader, {}},
      {"pe32-optional", DumpType::PeOptional, {Le16(0, 0x010B)}},
      {"pe32plus-optional", DumpType::PeOptional, {Le16(0, 0x020B)}},
      {"pe-section", DumpType::PeSection, {{0, {0x20, 0x21, 0x7E, 0x7F, 0x80, 0xFF, 0x00, 'x'}}}}};
  for (const auto& [golden, type, patches] : cases) {
    std::vector<uint8_t> header(256);
    for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(0x80 | (i & 0x7F));
    Apply(header, patches);
    header.insert(header.begin(), 0x30, 0);
    ExpectReport(Dump(type, 0x30, header), std::string("exe/stamped-") + golden);
  }
}

}  // namespace
}  // namespace trovik::test
