// A LEAN indirect block listed whole: every label in its column.
#include <gtest/gtest.h>

#include <vector>

#include "support/Golden.h"
#include "support/ReportCapture.h"
#include "support/RuleTable.h"

namespace trovik::test {
namespace {

TEST(LeanEdges, IndirectBlockListing) {
  std::vector<uint8_t> block(512, 0);
  Apply(block, {Text(0x04, "INDX"), Le64(0x08, 7), Le64(0x10, 0x21), Le64(0x18, 0x1234), Le64(0x20, 0x1200),
                Le64(0x28, 0x1300), U8(0x30, 1), Le64(0x38, 0x100), Le32(0x168, 7)});
  ExpectReport(RunOnBytes(MakeRequest(DumpType::LeanIndirect, "0", "0", 1), block), "lean/indirect-block");
}

}  // namespace
}  // namespace trovik::test
