// The catalog as users and stored requests see it: ids, names, captions,
// groups and defaults of every type, and the man page's list written from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "catalog/Catalog.h"
#include "support/Program.h"
#include "support/Scratch.h"

namespace trovik::test {
namespace {

std::string Describe(const DumpTypeInfo& row) {
  std::string line = std::to_string(static_cast<int>(row.id)) + " " + std::string(row.name) + " | \"" +
                     std::string(row.group) + "\" | " + std::string(row.caption);
  line += row.countEnabled ? " | count " + std::to_string(row.defaultCount) : " | no count";
  char start[16];
  std::snprintf(start, sizeof start, "%X", row.defaultStart);
  line += std::string(" | start ") + start;
  if (row.endEnabled) line += " | end";
  if (!row.buttonEnabled) line += " | not selectable";
  if (row.editEnabled) {
    line += " | edit " + std::to_string(row.edit.itemSize) + (row.edit.perItem ? " per item" : " once");
    line += row.edit.dumpAfterCancel ? ", listed after cancel" : ", nothing after cancel";
  }
  if (!row.help) line += " | no help";
  if (!row.decoder) line += " | no decoder";
  return line + "\n";
}

// The types users know, as tests/golden/catalog/types.txt froze them: each
// must stay as it is and where it is among the others. A new type adds a
// row anywhere without touching that file.
TEST(Catalog, EveryKnownTypeKeepsItsIdNameGroupAndDefaults) {
  std::vector<std::string> rows;
  std::set<int> ids;
  std::set<std::string_view> names, groupsSeen;
  std::string_view group;
  for (const DumpTypeInfo& row : DumpTypeTable()) {
    rows.push_back(Describe(row));
    EXPECT_TRUE(ids.insert(static_cast<int>(row.id)).second) << "id used twice: " << static_cast<int>(row.id);
    EXPECT_TRUE(names.insert(row.name).second) << "name used twice: " << row.name;
    // A group box holds consecutive rows: a family's rows cannot be split.
    if (row.group != group) {
      EXPECT_TRUE(groupsSeen.insert(row.group).second) << "group split: " << row.group;
    }
    group = row.group;
    EXPECT_EQ(row.editEnabled, row.edit.itemSize != 0) << row.name;
    EXPECT_NE(row.decoder, nullptr) << row.name;
  }
  const std::string frozen = ReadText(std::string(TROVIK_GOLDEN_DIR) + "/catalog/types.txt");
  auto next = rows.begin();
  for (size_t at = 0; at < frozen.size();) {
    const size_t end = frozen.find('\n', at) + 1;
    const std::string line = frozen.substr(at, end - at);
    const auto found = std::find(next, rows.end(), line);
    EXPECT_NE(found, rows.end()) << "changed, gone or out of order: " << line;
    if (found != rows.end()) next = found + 1;
    at = end;
  }
}

TEST(Catalog, LooksUpByIdAndName) {
  EXPECT_EQ(FindDumpType(1038)->name, "mbr");
  EXPECT_EQ(FindDumpType(DumpType::Ext3Journal)->caption, "Journal Super Block");
  EXPECT_EQ(FindDumpTypeByName("iso-path-wide")->id, DumpType::IsoPathWide);
  EXPECT_EQ(FindDumpType(0), nullptr);
  EXPECT_EQ(FindDumpType(1004), nullptr);
  EXPECT_EQ(FindDumpTypeByName("MBR"), nullptr);
  EXPECT_EQ(DumpTypeIdRange().first, 1002);
  EXPECT_GE(DumpTypeIdRange().second, 1070);
  EXPECT_TRUE(IsGeneralFormat(DumpType::Pascal));
  EXPECT_FALSE(IsGeneralFormat(DumpType::OhciHcca));
  EXPECT_EQ(FindDecoder(DumpType::Mbr), FindDumpType(1038)->decoder);
}

// Each group once, as a tagged paragraph, and each type as its name in bold
// with its id and caption, in catalog order.
TEST(Catalog, TheManPageListsEveryTypeByGroup) {
  ScratchDir dir;
  const std::string page = dir.File("page.1");
  const std::string text = "ids %DUMP_TYPE_IDS%\n.SH DUMP TYPES\n%DUMP_TYPES%\n.SH END\n";
  const std::string in = dir.Write("page.1.in", std::vector<uint8_t>(text.begin(), text.end()));
  const ProgramOutcome outcome = RunProgram({TROVIK_MAN_TYPES_PATH, in, page});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  const std::string written = ReadText(page);
  const auto [low, high] = DumpTypeIdRange();
  std::string expected = "ids " + std::to_string(low) + " to " + std::to_string(high) + "\n.SH DUMP TYPES\n";
  std::string_view group;
  for (const DumpTypeInfo& row : DumpTypeTable()) {
    std::string name;
    for (char c : row.name) name += c == '-' ? std::string("\\-") : std::string(1, c);
    if (row.group != group) {
      std::string_view title = row.group;
      while (title.front() == ' ') title.remove_prefix(1);
      while (title.back() == ' ') title.remove_suffix(1);
      expected += ".TP\n.B " + std::string(title) + "\n";
    } else {
      expected += ".br\n";
    }
    group = row.group;
    expected += ".BR " + name + " \" " + std::to_string(static_cast<int>(row.id)) + ": " + std::string(row.caption) + "\"\n";
  }
  EXPECT_EQ(written, expected + ".SH END\n");
  // The troff of a few rows as a reader checks it.
  EXPECT_NE(written.find(".TP\n.B EXT2/3/4 File System\n.BR ext2\\-super \" 1025: Super Block\"\n.br\n"),
            std::string::npos);
  EXPECT_NE(written.find(".TP\n.B BOOT\n.BR mbr \" 1038: Master Boot Rec\"\n.TP\n"), std::string::npos);
}

}  // namespace
}  // namespace trovik::test
