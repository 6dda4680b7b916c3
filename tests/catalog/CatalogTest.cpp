// The catalog as users and stored requests see it: ids, names, captions,
// groups and defaults of every type, and the man page's list written from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "catalog/Catalog.h"
#include "support/Golden.h"
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

// Names are exact; ids between the types' are no type.
TEST(Catalog, LooksUpByIdAndName) {
  EXPECT_EQ(FindDumpTypeByName("iso-path-wide")->id, DumpType::IsoPathWide);
  EXPECT_EQ(FindDumpTypeByName("MBR"), nullptr);
  EXPECT_EQ(FindDumpType(1004), nullptr);
  EXPECT_EQ(FindDecoder(DumpType::Mbr), FindDumpType(1038)->decoder);
}

// Each group once, as a tagged paragraph, and each type as its name in bold
// with its id and caption, in catalog order (tests/golden/catalog/man-types.txt).
TEST(Catalog, TheManPageListsEveryTypeByGroup) {
  ScratchDir dir;
  const std::string text = "ids %DUMP_TYPE_IDS%\n.SH DUMP TYPES\n%DUMP_TYPES%\n.SH END\n";
  const std::string in = dir.Write("page.1.in", std::vector<uint8_t>(text.begin(), text.end()));
  const ProgramOutcome outcome = RunProgram({TROVIK_MAN_TYPES_PATH, in, dir.File("page.1")});
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  ExpectGolden(ReadText(dir.File("page.1")), "catalog/man-types");
}

}  // namespace
}  // namespace trovik::test
