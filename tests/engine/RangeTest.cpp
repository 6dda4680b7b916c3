#include <gtest/gtest.h>

#include "engine/DumpRequest.h"
#include "engine/DumpType.h"

namespace trovik {
namespace {

TEST(ParseOffsetText, HexDecimalAndOddInput) {
  EXPECT_EQ(ParseOffsetText("0x1BE"), 0x1BEu);
  EXPECT_EQ(ParseOffsetText("0X1be"), 0x1BEu);
  EXPECT_EQ(ParseOffsetText("446"), 446u);
  EXPECT_EQ(ParseOffsetText(" 0x10"), 0u);  // not a hex prefix: decimal 0, stops at x
  EXPECT_EQ(ParseOffsetText("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("0x-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ParseOffsetText("12abc"), 12u);
  EXPECT_EQ(ParseOffsetText("0x1fz"), 0x1Fu);
  EXPECT_EQ(ParseOffsetText("4294967296"), 0xFFFFFFFFu);  // above 32 bits: the largest offset
  // Texts without a number give 0.
  EXPECT_EQ(ParseOffsetText(""), 0u);
  EXPECT_EQ(ParseOffsetText("abc"), 0u);
  EXPECT_EQ(ParseOffsetText("0x"), 0u);
  EXPECT_EQ(ParseOffsetText("0xg"), 0u);
}

DumpRequest Request(std::string start, std::string end, int offsetType = 0, bool iso = false) {
  DumpRequest r;
  r.start = std::move(start);
  r.end = std::move(end);
  r.offsetType = offsetType;
  r.isIso = iso;
  return r;
}

TEST(FixRange, ByteModeClampsToTheLastByte) {
  auto r = FixRange(Request("0x1BE", "0x1FD"), 4096);
  EXPECT_EQ(r.start, 0x1BEu);
  EXPECT_EQ(r.end, 0x1FDu);
  r = FixRange(Request("0", "-1"), 1000);
  EXPECT_EQ(r.end, 999u);
  r = FixRange(Request("5000", "6000"), 1000);
  EXPECT_EQ(r.start, 999u);
  EXPECT_EQ(r.end, 999u);
  // An empty file clamps nothing.
  r = FixRange(Request("0x10", "0x20"), 0);
  EXPECT_EQ(r.start, 0x10u);
  EXPECT_EQ(r.end, 0x20u);
}

TEST(FixRange, SectorModeConvertsAfterClamping) {
  auto r = FixRange(Request("2", "3", 1), 1 << 20);
  EXPECT_EQ(r.start, 1024u);
  EXPECT_EQ(r.end, 1535u);
  r = FixRange(Request("2", "3", 1, true), 1 << 20);
  EXPECT_EQ(r.start, 4096u);
  EXPECT_EQ(r.end, 6143u);
  r = FixRange(Request("0", "0", 1), 1 << 20);
  EXPECT_EQ(r.end, 0u);  // no decrement at 0
  // The clamp compares sector numbers with the byte size, so the converted
  // range may run past the file.
  r = FixRange(Request("100", "200", 1), 1000);
  EXPECT_EQ(r.start, 51200u);
  EXPECT_EQ(r.end, 102399u);
}

TEST(FixRange, LargeSectorNumbersNeverWrapToSmallOffsets) {
  const uint64_t fiveGiB = 5ULL << 30;
  auto r = FixRange(Request("0x00800000", "0x00800001", 1), fiveGiB);  // sector 2^23 = byte 4 GiB
  EXPECT_EQ(r.start, 0xFFFFFFFFu);
  EXPECT_EQ(r.end, 0xFFFFFFFFu);
  r = FixRange(Request("0", "0x00800000", 1), fiveGiB);
  EXPECT_EQ(r.end, 0xFFFFFFFFu);
  r = FixRange(Request("0", "-1"), fiveGiB);
  EXPECT_EQ(r.end, 0xFFFFFFFFu);
}

TEST(PresetRange, EndTextFollowsModeAndSize) {
  EXPECT_EQ(PresetRange(0, 0, false).end, "0x00000000");
  EXPECT_EQ(PresetRange(0, 1, false).start, "0");
  EXPECT_EQ(PresetRange(0, 1, false).end, "0");
  EXPECT_EQ(PresetRange(4096, 0, false).end, "0x00000FFF");
  EXPECT_EQ(PresetRange(4096, 0, false).start, "0x00000000");
  EXPECT_EQ(PresetRange(4096, 1, false).end, "8");
  EXPECT_EQ(PresetRange(4096, 1, true).end, "2");
  EXPECT_EQ(PresetRange(5ULL << 30, 0, false).end, "0xFFFFFFFF");
  EXPECT_EQ(PresetRange(5ULL << 30, 1, false).end, "8388608");
  EXPECT_TRUE(ExceedsAddressableSize(1ULL << 32));
  EXPECT_FALSE(ExceedsAddressableSize((1ULL << 32) - 1));
}

TEST(DumpTypeTable, HoldsAllTypesWithTheirDefaults) {
  auto table = DumpTypeTable();
  ASSERT_EQ(table.size(), 44u);
  for (const auto& row : table) {
    EXPECT_EQ(FindDumpType(static_cast<int>(row.id)), &row);
    EXPECT_EQ(FindDumpTypeByName(row.name), &row);
    EXPECT_GE(static_cast<int>(row.id), 1002);
    EXPECT_LE(static_cast<int>(row.id), 1070);
  }
  const DumpTypeInfo* mbr = FindDumpType(1038);
  ASSERT_NE(mbr, nullptr);
  EXPECT_EQ(mbr->caption, "Master Boot Rec");
  EXPECT_EQ(mbr->defaultCount, 4);
  EXPECT_EQ(mbr->defaultStart, 0x1BEu);
  EXPECT_TRUE(mbr->editEnabled);
  EXPECT_EQ(FindDumpType(1068)->caption, "Sumplmnt Vol Desc");
  EXPECT_EQ(FindDumpType(1018)->group, "FAT File System ");
  EXPECT_FALSE(FindDumpType(1007)->buttonEnabled);
  EXPECT_FALSE(FindDumpType(1036)->buttonEnabled);
  EXPECT_TRUE(FindDumpType(1034)->endEnabled);
  EXPECT_EQ(FindDumpType(1016)->defaultCount, 5);
  EXPECT_EQ(FindDumpType(0), nullptr);
  EXPECT_EQ(FindDumpType(1004), nullptr);
}

}  // namespace
}  // namespace trovik
