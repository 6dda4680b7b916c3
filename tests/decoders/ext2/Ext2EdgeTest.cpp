// ext2 directory entries whose name length claims more than the record
// holds: the name stops at the record's end and the entry is flagged.
#include <gtest/gtest.h>

#include <vector>

#include "support/Golden.h"
#include "support/ReportCapture.h"
#include "support/RuleTable.h"

namespace trovik::test {
namespace {

TEST(Ext2Edges, ANameLongerThanItsRecordShowsOnlyTheRecordsBytes) {
  // Entry 0 (rec_len 16) claims a 20-byte name; the bytes after its 8-byte
  // name are entry 1, which must not show up as part of the name. Entry 2
  // has rec_len 4, too short for any name.
  std::vector<uint8_t> bytes(64, 0);
  Apply(bytes, {Le32(0, 11), Le16(4, 16), U8(6, 20), U8(7, 1), Text(8, "ABCDEFGH"),
                Le32(16, 12), Le16(20, 20), U8(22, 5), U8(23, 2), Text(24, "inner"),
                Le32(36, 13), Le16(40, 4), U8(42, 3), U8(43, 1), Text(44, "xyz")});
  ExpectReport(RunOnBytes(MakeRequest(DumpType::Ext2Dir, "0", "0", 3), bytes), "ext2/dir-name-past-record");
}

}  // namespace
}  // namespace trovik::test
