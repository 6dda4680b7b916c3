// The decoders over real executables made by the MinGW-w64 toolchains
// (tests/data/exe/make-samples.sh), checked field by field against the
// toolchain's own objdump -x listing of the same files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/exe/ExeDecoders.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

using test::MakeRequest;
using test::ReadTestFile;
using test::RunDecoder;

std::string Hex(uint32_t offset) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", offset);
  return text;
}

// "   Label: value" lines of a report, keyed by the trimmed label (first one wins).
std::map<std::string, std::string> ReportFields(const std::string& text) {
  std::map<std::string, std::string> fields;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t colon = line.find(": ");
    if (colon == std::string::npos) continue;
    const std::string label = line.substr(line.find_first_not_of(' '), colon - line.find_first_not_of(' '));
    fields.emplace(label, line.substr(colon + 2));
  }
  return fields;
}

uint64_t Number(const std::string& text, int base = 16) { return std::stoull(text, nullptr, base); }

struct ObjdumpSection {
  std::string name;
  uint64_t size, vma, fileOffset;
};

// The parts of an objdump -x listing that the PE headers show.
struct Objdump {
  std::string architecture, timeDate;
  std::map<std::string, std::string> values;  // "Magic" -> "020b", ...
  std::vector<std::pair<uint64_t, uint64_t>> directories;
  std::vector<ObjdumpSection> sections;
};

Objdump ReadObjdump(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadTestFile(name);
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  Objdump out;
  bool inSections = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("architecture: ", 0) == 0) out.architecture = line.substr(14, line.find(',') - 14);
    if (line.rfind("Characteristics ", 0) == 0) out.values["Characteristics"] = line.substr(18);
    if (line.rfind("Time/Date\t\t", 0) == 0) out.timeDate = line.substr(11);
    if (line.rfind("Entry ", 0) == 0) {
      unsigned long long rva = 0, size = 0;
      std::sscanf(line.c_str(), "Entry %*x %llx %llx", &rva, &size);
      out.directories.emplace_back(rva, size);
    }
    if (line.rfind("Sections:", 0) == 0) inSections = true;
    if (line.rfind("SYMBOL TABLE:", 0) == 0) inSections = false;
    if (inSections && line.size() > 3 && line[0] == ' ' && line[2] != ' ') {
      char sectionName[32];
      unsigned long long size, vma, lma, offset;
      if (std::sscanf(line.c_str(), "%*d %31s %llx %llx %llx %llx", sectionName, &size, &vma, &lma, &offset) == 5)
        out.sections.push_back({sectionName, size, vma, offset});
    }
    const size_t tab = line.find('\t');
    if (tab != std::string::npos && tab > 0 && line[0] != '\t' && line[0] != ' ') {
      const std::string key = line.substr(0, tab);
      const size_t value = line.find_first_not_of('\t', tab);
      if (value != std::string::npos)
        out.values.emplace(key, line.substr(value, line.find_first_of("\t ", value) - value));
    }
  }
  return out;
}

struct Sample {
  const char* file;
  uint16_t machine;
  uint16_t magic;
};

void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.file; }

class RealExecutable : public ::testing::TestWithParam<Sample> {};

TEST_P(RealExecutable, HeadersMatchObjdump) {
  const Sample sample = GetParam();
  const std::vector<uint8_t> bytes = ReadTestFile(std::string("exe/") + sample.file);
  const Objdump ref = ReadObjdump(std::string("exe/") + sample.file + ".objdump");
  ASSERT_FALSE(ref.sections.empty());

  const auto mz = ReportFields(RunDecoder(DumpMz, MakeRequest(DumpType::Mz, "0"), bytes).text);
  EXPECT_EQ(mz.at("Magic"), "0x5A4D");
  const uint32_t peOffset = static_cast<uint32_t>(Number(mz.at("File Address of new EXE header")));
  ASSERT_EQ(peOffset, Le32(bytes.data() + 60));

  const auto header =
      ReportFields(RunDecoder(DumpPeHeader, MakeRequest(DumpType::PeHeader, Hex(peOffset)), bytes).text);
  EXPECT_EQ(header.at("Signature"), "0x00004550");
  EXPECT_EQ(Number(header.at("Machine")), sample.machine) << ref.architecture;
  EXPECT_EQ(Number(header.at("Number of Sections"), 10), ref.sections.size());
  EXPECT_EQ(Number(header.at("Characteristics")), Number(ref.values.at("Characteristics")));
  // objdump shows the stamp in the C library's asctime form; the tests run in UTC.
  EXPECT_EQ(ref.timeDate, "Tue Nov 14 22:13:20 2023");
  EXPECT_EQ(header.at("Time Stamp"), "0x6553F100  (Tuesday 14 November 2023  22:13:20)");
  const uint64_t optionalSize = Number(header.at("Size of Optional Header"), 10);

  const uint32_t optOffset = peOffset + 24;
  const auto opt =
      ReportFields(RunDecoder(DumpPeOptional, MakeRequest(DumpType::PeOptional, Hex(optOffset)), bytes).text);
  EXPECT_EQ(Number(opt.at("Magic")), sample.magic);
  const std::pair<const char*, const char*> same[] = {
      {"Magic", "Magic"},
      {"Size of Code", "SizeOfCode"},
      {"Initialized Data Size", "SizeOfInitializedData"},
      {"Uninitialized Data Size", "SizeOfUninitializedData"},
      {"Address of Entry Point", "AddressOfEntryPoint"},
      {"Base of Code", "BaseOfCode"},
      {"Image Base", "ImageBase"},
      {"Section Alignment", "SectionAlignment"},
      {"File Alignment", "FileAlignment"},
      {"Reserved", "Win32Version"},
      {"Size of Image", "SizeOfImage"},
      {"Size of Headers", "SizeOfHeaders"},
      {"Checksum", "CheckSum"},
      {"Subsystem", "Subsystem"},
      {"DLL Characteristics", "DllCharacteristics"},
      {"Size of Stack Reserve", "SizeOfStackReserve"},
      {"Size of Stack Commit", "SizeOfStackCommit"},
      {"Size of Heap Reserve", "SizeOfHeapReserve"},
      {"Size of Heap Commit", "SizeOfHeapCommit"},
      {"Loader Flags", "LoaderFlags"},
      {"Number of RVA and Sizes", "NumberOfRvaAndSizes"},
  };
  for (const auto& [ours, theirs] : same) EXPECT_EQ(Number(opt.at(ours)), Number(ref.values.at(theirs))) << ours;
  const std::pair<const char*, const char*> decimal[] = {
      {"Major Linker Version", "MajorLinkerVersion"},       {"Minor Linker Version", "MinorLinkerVersion"},
      {"Major Image Version", "MajorImageVersion"},         {"Minor Image Version", "MinorImageVersion"},
      {"Major Subsystem Version", "MajorSubsystemVersion"}, {"Minor Subsystem Version", "MinorSubsystemVersion"},
  };
  for (const auto& [ours, theirs] : decimal)
    EXPECT_EQ(Number(opt.at(ours), 10), Number(ref.values.at(theirs), 10)) << ours;
  if (sample.magic == 0x020B) {
    EXPECT_EQ(opt.count("Base of Data"), 0u);
    EXPECT_EQ(optionalSize, 240u);
  } else {
    EXPECT_EQ(Number(opt.at("Base of Data")), Number(ref.values.at("BaseOfData")));
    EXPECT_EQ(optionalSize, 224u);
  }
  ASSERT_EQ(ref.directories.size(), 16u);
  for (size_t k = 0; k < 16; ++k) {
    char expected[96];
    std::snprintf(expected, sizeof expected, "Virtual Address = 0x%08llX, Size = 0x%08llX",
                  static_cast<unsigned long long>(ref.directories[k].first),
                  static_cast<unsigned long long>(ref.directories[k].second));
    char label[32];
    std::snprintf(label, sizeof label, "Data Directory %02zu", k);
    EXPECT_EQ(opt.at(label), expected);
  }

  // The whole section table in one request; split it into its entries.
  const uint32_t tableOffset = optOffset + static_cast<uint32_t>(optionalSize);
  const int count = static_cast<int>(ref.sections.size());
  const std::string table =
      RunDecoder(DumpPeSection, MakeRequest(DumpType::PeSection, Hex(tableOffset), "0", count), bytes).text;
  const uint64_t imageBase = Number(opt.at("Image Base"));
  size_t at = 0;
  for (int i = 0; i < count; ++i) {
    const size_t next = table.find("\n\n", at);
    ASSERT_NE(next, std::string::npos);
    const std::string entry = table.substr(at, next + 2 - at);
    at = next + 2;
    const auto fields = ReportFields(entry);
    const ObjdumpSection& s = ref.sections[i];
    EXPECT_NE(entry.find(Hex(tableOffset + 40 * i).substr(2) + ")"), std::string::npos);
    const std::string name = fields.at("Name");
    EXPECT_EQ(name.substr(name.find('[') + 1, s.name.size()), s.name);
    EXPECT_EQ(Number(fields.at("Virtual Address")) + imageBase, s.vma) << s.name;
    EXPECT_EQ(Number(fields.at("Physical Address/Virtual Size")), s.size) << s.name;
    EXPECT_EQ(Number(fields.at("Pointer to Raw Data")), s.fileOffset) << s.name;
  }
  EXPECT_EQ(at, table.size());
}

INSTANTIATE_TEST_SUITE_P(MinGw, RealExecutable,
                         ::testing::Values(Sample{"hello64.exe", 0x8664, 0x020B}, Sample{"hello32.exe", 0x014C, 0x010B},
                                           Sample{"greet32.dll", 0x014C, 0x010B}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           for (char& c : name)
                             if (c == '.') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace trovik
