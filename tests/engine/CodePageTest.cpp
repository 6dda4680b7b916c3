#include <gtest/gtest.h>

#include "engine/CodePage.h"

namespace trovik {
namespace {

TEST(CodePage, EveryByteSurvivesTheRoundTripAndOtherCharactersBecomeAQuestionMark) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(UnicodeToCp1252(Cp1252ToUnicode(static_cast<uint8_t>(b))), b) << b;
  // Ends of the remapped half, an unassigned byte, Latin-1 above it.
  EXPECT_EQ(Cp1252ToUnicode(0x80), u'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x81), u'\u0081');
  EXPECT_EQ(Cp1252ToUnicode(0x93), u'\u201C');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), u'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0xE9), u'\u00E9');
  for (char16_t outside : {u'\u0100', u'\u2603', u'\uFFFD'}) EXPECT_EQ(UnicodeToCp1252(outside), '?');
}

}  // namespace
}  // namespace trovik
