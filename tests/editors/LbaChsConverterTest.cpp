// The LBA/CHS converter: both directions, their refusals, and which boxes
// typing clears.
#include <gtest/gtest.h>

#include "editors/LbaChsConverter.h"

namespace trovik {
namespace {

std::string Results(const LbaChsBoxes& b) {
  return b.cylinder + "/" + b.head + "/" + b.sector + " " + b.binaryCylinder + " " + b.binaryHead + " " +
         b.binarySector + " " + b.entryCylinder + " " + b.entryHead + " " + b.entrySector;
}

TEST(LbaChsConverter, LbaToChs) {
  EXPECT_EQ(FormatBinaryDigits(7, 0), "");
  for (const auto& [lba, expected] : std::initializer_list<std::pair<const char*, const char*>>{
           {"0", "0/0/1 0000000000 00000000 000001 0x00 0x00 0x01"},
           {"1032191", "1023/15/63 1111111111 00001111 111111 0xFF 0x0F 0xFF"},
           {"0XfbfFF", "1023/15/63 1111111111 00001111 111111 0xFF 0x0F 0xFF"},
           {"302463", "300/1/1 0100101100 00000001 000001 0x2C 0x01 0x41"}}) {
    LbaChsBoxes b;
    b.lba = lba;
    EXPECT_EQ(ConvertLbaToChs(b), std::nullopt);
    EXPECT_EQ(Results(b), expected) << lba;
  }
  // Past the geometry, negative, or no number at all: a message, nothing changed.
  for (const auto& [text, message] : std::initializer_list<std::pair<const char*, const char*>>{
           {"1032192", kLbaTooLargeText},
           {"99999999999999999999", kLbaTooLargeText},
           {"-1", kLbaTooLargeText},
           {"abc", kLbaNotANumberText},
           {"0x", kLbaNotANumberText},
           {"0xg1", kLbaNotANumberText},
           {" ", kLbaNotANumberText}}) {
    LbaChsBoxes b;
    b.lba = text;
    b.cylinder = "7";
    EXPECT_EQ(ConvertLbaToChs(b), std::string(message)) << text;
    EXPECT_EQ(Results(b), "7//      ");
  }
}

TEST(LbaChsConverter, ChsToLba) {
  LbaChsBoxes b;
  b.sector = "1";  // the empty boxes get their defaults
  EXPECT_EQ(ConvertChsToLba(b), std::nullopt);
  EXPECT_EQ(b.lba + " " + Results(b), "0 0/0/1 0000000000 00000000 000001 0x00 0x00 0x01");
  b = {};
  b.head = "255";  // a head beyond the geometry counts as it is
  b.sector = "63";
  EXPECT_EQ(ConvertChsToLba(b), std::nullopt);
  EXPECT_EQ(b.lba, std::to_string(255 * 63 + 62));

  struct Case {
    const char *c, *h, *s;
  };
  for (const Case& k : {Case{"", "", "0"}, Case{"", "", "64"}, Case{"0", "256", "1"}, Case{"1024", "0", "1"},
                        Case{"-1", "0", "1"}, Case{"x", "0", "1"}}) {
    b = {};
    b.cylinder = k.c;
    b.head = k.h;
    b.sector = k.s;
    b.lba = "12";
    EXPECT_EQ(ConvertChsToLba(b), std::string(kChsErrorText)) << k.c << "/" << k.h << "/" << k.s;
    EXPECT_EQ(b.lba + " " + b.cylinder + "/" + b.head, std::string("12 ") + k.c + "/" + k.h);
  }
}

TEST(LbaChsConverter, TypingClearsTheOtherSide) {
  LbaChsBoxes b;
  b.lba = "1070";
  ASSERT_EQ(ConvertLbaToChs(b), std::nullopt);
  LbaChsBoxes c = b;
  ChsBoxEdited(c);
  EXPECT_EQ(c.lba + " " + Results(c), " 1/0/63      ");
  LbaBoxEdited(b);
  EXPECT_EQ(b.lba + " " + Results(b), "1070 //      ");
}

}  // namespace
}  // namespace trovik
