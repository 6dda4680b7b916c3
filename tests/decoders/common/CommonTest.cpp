// What several families share: the rotate-add checksum and the timestamps.
#include <gtest/gtest.h>

#include "decoders/common/Checksums.h"
#include "decoders/common/FieldText.h"

namespace trovik {
namespace {

TEST(CommonFieldText, ChecksumAndTimestamps) {
  // Words after the first, the sum rotated right by one before each add:
  // 1 -> ror(0)+1 = 1; ror(1) = 0x80000000, + 2 = 0x80000002. A cut word counts nothing.
  const uint8_t words[16] = {0xAA, 0xBB, 0xCC, 0xDD, 1, 0, 0, 0, 2, 0, 0, 0, 9, 9, 9, 9};
  EXPECT_EQ(RotateAddChecksum(words, 7), 0u);
  EXPECT_EQ(RotateAddChecksum(words, 12), 0x80000002u);
  EXPECT_EQ(RotateAddChecksum(words, 15), 0x80000002u);

  // Tests run with TZ=UTC.
  EXPECT_EQ(FormatTimestamp(1007560989ULL * 1000000ULL + 999999), "Wednesday 05 December 2001  14:03:09");
  EXPECT_EQ(FormatTimestamp(6307200000000000ULL), "Monday 13 November 2169  00:00:00");
  EXPECT_EQ(FormatTimestamp(6307201000000000ULL), "time_val exceeds limit");
  EXPECT_EQ(FormatTimestampSeconds(0x80000000u), "Tuesday 19 January 2038  03:14:08");
  EXPECT_EQ(FormatTimestampSeconds(0xFFFFFFFFu), "Sunday 07 February 2106  06:28:15");
}

}  // namespace
}  // namespace trovik
