// The support the other tests stand on: red lines of a marked report, the
// fake file's log and the labelled-field reader.
#include <gtest/gtest.h>

#include "support/FakeFile.h"
#include "support/RuleTable.h"
#include "support/ToolOutput.h"

namespace trovik::test {
namespace {

TEST(Support, RedLinesKeepTheRedPartAndItsLine) {
  const std::string marked = "a\n  Fats: 3[[ <-- Should be 1 or 2.\n]]  ok\n[[whole\nline\n]]b\n";
  EXPECT_EQ(RedLines(marked),
            (std::vector<std::string>{"Fats: 3[[ <-- Should be 1 or 2.\\n]]", "[[whole", "line\\n]]"}));
}

TEST(Support, FakeFileLogsAndKeepsPiecesApart) {
  FakeFile file(0x100000010ULL);
  file.Put(0xFFFFFFFEULL, {1, 2, 3, 4});
  uint8_t b[6];
  EXPECT_EQ(file.ReadAt(0xFFFFFFFDULL, b, 6), 6u);
  EXPECT_EQ(std::vector<uint8_t>(b, b + 6), (std::vector<uint8_t>{0, 1, 2, 3, 4, 0}));
  EXPECT_EQ(file.OutOfBounds(), "");
  file.ReadAt(0x10000000CULL, b, 6);
  EXPECT_NE(file.OutOfBounds(), "");
}

TEST(Support, FieldAfterMatchesWholeLabels) {
  const std::string text = "    Hidden Sectors: 7\n           Sectors: 12\nserial number: 1234-ABCD\n";
  EXPECT_EQ(FieldAfter(text, "Sectors"), "12");
  EXPECT_EQ(NumberAfter(text, "Hidden Sectors"), 7);
  EXPECT_EQ(FieldAfter(text, "serial number: "), "1234-ABCD");
}

}  // namespace
}  // namespace trovik::test
