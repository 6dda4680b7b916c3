// The LBA/CHS converter: both directions, their refusals, and which boxes typing clears, as one listing of the
// boxes after each step (tests/golden/editors/lba-chs.txt).
#include <gtest/gtest.h>

#include "editors/LbaChsConverter.h"
#include "support/Golden.h"

namespace trovik {
namespace {

std::string Boxes(const LbaChsBoxes& b) {
  return "[" + b.lba + "] " + b.cylinder + "/" + b.head + "/" + b.sector + " " + b.binaryCylinder + " " +
         b.binaryHead + " " + b.binarySector + " " + b.entryCylinder + " " + b.entryHead + " " + b.entrySector + "\n";
}

TEST(LbaChsConverter, BothDirectionsTheirRefusalsAndWhatTypingClears) {
  EXPECT_EQ(FormatBinaryDigits(7, 0), "");
  std::string listing;
  // A refused conversion leaves every box as it was (the cylinder's 7 stays).
  for (const char* lba : {"0", "1032191", "0XfbfFF", "302463", "1032192", "99999999999999999999", "-1", "abc", "0x",
                          "0xg1", " "}) {
    LbaChsBoxes b;
    b.lba = lba, b.cylinder = "7";
    const std::string said = ConvertLbaToChs(b).value_or("ok");
    listing += "LBA " + std::string(lba) + ": " + said + "\n  " + Boxes(b);
  }
  // Empty boxes take their defaults; a head beyond the geometry counts as it is.
  for (const auto& [c, h, s] : std::initializer_list<std::tuple<const char*, const char*, const char*>>{
           {"", "", "1"}, {"", "255", "63"}, {"", "", "0"}, {"", "", "64"}, {"0", "256", "1"}, {"1024", "0", "1"},
           {"-1", "0", "1"}, {"x", "0", "1"}}) {
    LbaChsBoxes b;
    b.lba = "12", b.cylinder = c, b.head = h, b.sector = s;
    const std::string said = ConvertChsToLba(b).value_or("ok");
    listing += "CHS " + std::string(c) + "/" + h + "/" + s + ": " + said + "\n  " + Boxes(b);
  }
  LbaChsBoxes b;
  b.lba = "1070";
  ASSERT_EQ(ConvertLbaToChs(b), std::nullopt);
  LbaChsBoxes c = b;
  ChsBoxEdited(c);
  LbaBoxEdited(b);
  listing += "typed in a CHS box: " + Boxes(c) + "typed in the LBA box: " + Boxes(b);
  test::ExpectReport(listing, "editors/lba-chs");
}

}  // namespace
}  // namespace trovik
