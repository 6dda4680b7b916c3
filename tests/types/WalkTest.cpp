// Count walks of the fixed-size types: item k of a walk is what a run of one
// item at its offset shows, the walk stops where it should, and an abort
// after the first item ends the report there.
#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

// Item sizes from the formats' own documentation.
struct Walk {
  DumpType type;
  uint32_t size;
};
constexpr Walk kWalks[] = {
    {DumpType::Mbr, 16},          {DumpType::GptEntry, 128},      {DumpType::FatDir, 32},
    {DumpType::FatLfn, 32},       {DumpType::OhciEd, 16},         {DumpType::OhciTd, 16},
    {DumpType::OhciItd, 32},      {DumpType::QorSlot, 128},       {DumpType::QorSubdir, 128},
    {DumpType::QorCont, 128},     {DumpType::Ext2Group, 32},      {DumpType::Ext4Group, 64},
    {DumpType::Ext2Inode, 128},   {DumpType::Ext2InodeLong, 128}, {DumpType::PeSection, 40},
    {DumpType::LeanIndirect, 512}, {DumpType::Udf, 512},
};

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

std::string Hex8(uint64_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(v));
  return text;
}

// The item number a walk of several items puts before a title (the long
// inode's numbered title also names ext4 where the single one says ext2).
std::string WithoutItemNumbers(const std::string& text) {
  const std::string plain = std::regex_replace(text, std::regex("(^|\n)[0-9]{3}\\) "), "$1");
  return std::regex_replace(plain, std::regex("EXT4 Inode (\\(0x[0-9A-F]{8}\\) \\(Long)"), "EXT2 Inode $1");
}

class Walks : public testing::TestWithParam<Walk> {};

TEST_P(Walks, ItemsAreSingleRunsAtTheirOffsets) {
  const Walk w = GetParam();
  const uint32_t start = w.size;  // a walk that does not begin at 0
  const auto bytes = RandomBytes(start + 3 * w.size, static_cast<unsigned>(w.type));
  const std::string startText = "0x" + Hex8(start);

  FakeFile file(bytes);
  const DumpResult walk = RunOnFile(MakeRequest(w.type, startText, "0", 3), file);
  EXPECT_EQ(walk.status, RunStatus::Done);
  EXPECT_EQ(file.OutOfBounds(), "") << "the last item ends at the end of the file";
  std::string singles;
  for (uint32_t k = 0; k < 3; ++k)
    singles += RunOnBytes(MakeRequest(w.type, "0x" + Hex8(start + k * w.size), "0", 1), bytes).marked;
  EXPECT_EQ(WithoutItemNumbers(walk.marked), singles);

  // Count 1 shows one item; an abort after the first item ends the report there.
  const std::string one = RunOnBytes(MakeRequest(w.type, startText, "0", 1), bytes).text;
  EXPECT_EQ(one.find(Hex8(start + w.size)), std::string::npos);
  ScriptedHost aborting;
  aborting.abortAfterPolls = 0;
  const DumpResult stopped = RunOnBytes(MakeRequest(w.type, startText, "0", 3), bytes, &aborting);
  EXPECT_EQ(stopped.status, RunStatus::Aborted);
  EXPECT_NE(stopped.text.find(Hex8(start)), std::string::npos);
  EXPECT_EQ(stopped.text.find(Hex8(start + w.size)), std::string::npos);
  EXPECT_TRUE(stopped.text.ends_with("\nUser Abort..."));
}

// Test names are the types' command-line names.
std::string TypeName(DumpType type) {
  std::string name(FindDumpType(static_cast<int>(type))->name);
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(FixedSize, Walks, testing::ValuesIn(kWalks),
                         [](const auto& info) { return TypeName(info.param.type); });

}  // namespace
}  // namespace trovik::test
