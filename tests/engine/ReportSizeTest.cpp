// The size estimate that warns before a large report: never below what a
// general format really writes, and not far above it.
#include <gtest/gtest.h>

#include "engine/ReportSize.h"
#include "support/ReportCapture.h"

namespace trovik {
namespace {

TEST(ReportSize, GeneralFormatsAreEstimatedFromAbove) {
  std::vector<uint8_t> bytes(5000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i % 255 + 1);  // no zero bytes
  struct Range {
    const char* start;
    const char* end;
  };
  for (DumpType type : {DumpType::DosDebug, DumpType::Assembly, DumpType::C, DumpType::Basic, DumpType::AsciiText}) {
    for (Range range : {Range{"0", "0xFFFFFFFF"}, Range{"0x1BE", "0x1FD"}, Range{"3", "4"}, Range{"0x105", "0x100"},
                        Range{"0x1000", "99999"}}) {
      const DumpRequest request = test::MakeRequest(type, range.start, range.end);
      const uint64_t written = test::RunOnBytes(request, bytes).text.size();
      const uint64_t estimate = EstimateReportChars(request, bytes.size());
      SCOPED_TRACE(testing::Message() << static_cast<int>(type) << " " << range.start << ".." << range.end);
      EXPECT_GE(estimate, written);
      EXPECT_LE(estimate, written + 103);  // at most a partial line's padding
    }
  }
}

TEST(ReportSize, StructuresAndEmptyFilesAreNotLarge) {
  EXPECT_EQ(EstimateReportChars(test::MakeRequest(DumpType::Ext2Inode, "0", "0", 16384), 1ull << 32), 0u);
  EXPECT_EQ(EstimateReportChars(test::MakeRequest(DumpType::DosDebug, "0", "0xFFFFFFFF"), 0), 0u);
  // A 5 GiB file is dumped as its first 4 GiB: 2^28 lines of 79 characters.
  EXPECT_EQ(EstimateReportChars(test::MakeRequest(DumpType::DosDebug, "0", "0xFFFFFFFF"), 5ull << 30), 79ull << 28);
}

}  // namespace
}  // namespace trovik
