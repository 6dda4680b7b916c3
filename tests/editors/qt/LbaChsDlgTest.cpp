// The LBA/CHS converter dialog: the buttons, Enter, the messages, and the
// boxes clearing each other as a person types.
#include <gtest/gtest.h>

#include <QTest>

#include "GuiTestSupport.h"
#include "editors/qt/LbaChsDlg.h"

namespace trovik {
namespace {

using namespace test;

QString Row(QWidget* d, const char* a, const char* b, const char* c) {
  return Text(d, a) + " " + Text(d, b) + " " + Text(d, c);
}

TEST(LbaChsDlg, EnterConvertsTheLbaAndTypingClearsTheOtherSide) {
  CLbaChsDlg dialog;
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  Box(&dialog, "lba")->setFocus();
  QTest::keyClicks(Box(&dialog, "lba"), "302463");
  QTest::keyClick(Box(&dialog, "lba"), Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());  // Enter converts; it does not close the converter
  EXPECT_EQ(Row(&dialog, "cylinder", "head", "sector"), "300 1 1");
  EXPECT_EQ(Row(&dialog, "binaryCylinder", "binaryHead", "binarySector"), "0100101100 00000001 000001");
  EXPECT_EQ(Row(&dialog, "entryCylinder", "entryHead", "entrySector"), "0x2C 0x01 0x41");

  QTest::keyClicks(Box(&dialog, "head"), "2");
  EXPECT_EQ(Text(&dialog, "lba"), "");
  EXPECT_EQ(Row(&dialog, "cylinder", "head", "sector"), "300 12 1");
  EXPECT_EQ(Row(&dialog, "binaryCylinder", "entryHead", "entrySector"), "  ");

  Click(&dialog, "chs2lba");
  EXPECT_EQ(Text(&dialog, "lba"), QString::number((300 * 16 + 12) * 63));
  QTest::keyClicks(Box(&dialog, "lba"), "9");
  EXPECT_EQ(Row(&dialog, "cylinder", "head", "sector"), "  ");
  EXPECT_EQ(Text(&dialog, "binaryCylinder"), "");
}

TEST(LbaChsDlg, RefusalsShowTheirMessageAndChangeNothing) {
  CLbaChsDlg dialog;
  Box(&dialog, "lba")->setText("1070");
  Click(&dialog, "lba2chs");
  for (const auto& [lba, message] : {std::pair{"1032192", "LBA is larger than what will fit in CHS values. (max = 1032191)"},
                                      std::pair{"abc", "Enter a number for the LBA: decimal, or hexadecimal with 0x."}}) {
    Box(&dialog, "lba")->setText(lba);
    EXPECT_EQ(MessageOf([&] { Click(&dialog, "lba2chs"); }), message);
    EXPECT_EQ(Row(&dialog, "cylinder", "head", "sector"), "1 0 63") << lba;
  }
  Box(&dialog, "sector")->setText("64");
  EXPECT_EQ(MessageOf([&] { Click(&dialog, "chs2lba"); }), "Error with CHS values...");
  EXPECT_EQ(Text(&dialog, "binarySector"), "111111");
}

}  // namespace
}  // namespace trovik
