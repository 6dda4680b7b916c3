// The dump request dialog as a person uses it: defaults per type, the start
// field's auto-fill, the byte/sector toggle, Count validation, the settings
// it keeps under their keys, its help.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include "GuiTestSupport.h"
#include "gui/AppSettings.h"
#include "catalog/Catalog.h"
#include "request/LimitsDlg.h"

namespace trovik {
namespace {

using test::AnswerNextModal;
using test::ShownMessage;

class LimitsDlgTest : public testing::Test {
 protected:
  void Open() {
    dlg.m_strStart = QStringLiteral("0x00000000");
    dlg.m_strEnd = QStringLiteral("0x000FFFFF");
    dlg.show();
  }
  QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(dlg.Control(id)); }
  QPushButton* Button(int id) { return qobject_cast<QPushButton*>(dlg.Control(id)); }
  void Choose(DumpType type) {
    dlg.TypeButton(static_cast<int>(type))->click();
    ASSERT_EQ(dlg.m_nDumpType, static_cast<int>(type));
  }
  QLineEdit* Start() { return Edit(1000); }
  QLineEdit* End() { return Edit(1001); }
  QLineEdit* Count() { return Edit(1005); }

  CLimitsDlg dlg;
};

TEST_F(LimitsDlgTest, HoldsEveryTypeOfTheTableTwoDisabledAndOpensInTheStoredModes) {
  QSettings store(QStringLiteral("Velmarra"), QStringLiteral("trovik"));
  store.setValue(QStringLiteral("Settings/offset_type"), 1);
  store.setValue(QStringLiteral("Settings/is_iso"), 1);
  Open();
  std::vector<int> disabled;
  for (const DumpTypeInfo& info : DumpTypeTable()) {
    QRadioButton* radio = dlg.TypeButton(static_cast<int>(info.id));
    ASSERT_NE(radio, nullptr);
    EXPECT_FALSE(radio->isChecked());
    if (!radio->isEnabled()) disabled.push_back(static_cast<int>(info.id));
  }
  EXPECT_EQ(disabled, (std::vector<int>{1007, 1036}));  // Pascal, Iso. Transfer Desc.
  EXPECT_FALSE(Button(1)->isEnabled());  // nothing to dump yet
  EXPECT_FALSE(Button(3)->isEnabled());
  EXPECT_FALSE(Count()->isEnabled());
  EXPECT_LE(dlg.sizeHint().width(), 1366);  // it fits a 1366x768 screen
  EXPECT_LE(dlg.sizeHint().height(), 700);
  EXPECT_EQ(Button(1050)->text(), QStringLiteral("Starting Sector:"));
  auto* iso = qobject_cast<QCheckBox*>(dlg.Control(1048));
  EXPECT_TRUE(iso->isVisible());
  EXPECT_TRUE(iso->isChecked());
}

TEST_F(LimitsDlgTest, TypeDefaultsFillCountStartEditAndEnd) {
  Open();
  EXPECT_FALSE(dlg.Control(1048)->isVisible());  // "Is ISO?" belongs to sector mode
  Choose(DumpType::Mbr);
  EXPECT_EQ(Count()->text(), QStringLiteral("4"));
  EXPECT_TRUE(Count()->isEnabled());
  EXPECT_EQ(Start()->text(), QStringLiteral("0x000001BE"));
  EXPECT_TRUE(Button(3)->isEnabled());
  EXPECT_FALSE(End()->isEnabled());
  EXPECT_TRUE(Button(1)->isEnabled());
  EXPECT_EQ(dlg.m_nDumpType, 1038);

  Choose(DumpType::DosDebug);
  EXPECT_EQ(Count()->text(), QString());
  EXPECT_FALSE(Count()->isEnabled());
  EXPECT_TRUE(End()->isEnabled());
  EXPECT_FALSE(Button(3)->isEnabled());
  EXPECT_EQ(Start()->text(), QStringLiteral("0x00000000"));  // not touched by the user: follows the type

  Choose(DumpType::OhciHcca);
  EXPECT_TRUE(End()->isEnabled());
  Choose(DumpType::QorSlot);
  EXPECT_EQ(Count()->text(), QStringLiteral("5"));
}

TEST_F(LimitsDlgTest, TypedStartStaysWhateverTypeIsChosen) {
  Open();
  // The first edit after an auto-fill that did not change the text must
  // still count as the user's.
  Choose(DumpType::DosDebug);
  Start()->selectAll();
  QTest::keyClicks(Start(), "0x200");
  EXPECT_TRUE(dlg.m_bStartEdited);
  Choose(DumpType::Mbr);
  EXPECT_EQ(Start()->text(), QStringLiteral("0x200"));
  Choose(DumpType::FatBpb);
  EXPECT_EQ(Start()->text(), QStringLiteral("0x200"));
}

TEST_F(LimitsDlgTest, ByteSectorToggleConvertsWithoutRounding) {
  Open();
  Start()->setText(QStringLiteral("0x400"));
  End()->setText(QStringLiteral("0x7FF"));
  QTest::mouseClick(Button(1050), Qt::LeftButton);
  EXPECT_EQ(Button(1050)->text(), QStringLiteral("Starting Sector:"));
  EXPECT_EQ(Start()->text(), QStringLiteral("2"));
  EXPECT_EQ(End()->text(), QStringLiteral("3"));
  EXPECT_TRUE(dlg.Control(1048)->isVisible());
  EXPECT_EQ(Start()->selectedText(), QStringLiteral("2"));
  QTest::mouseClick(Button(1050), Qt::LeftButton);
  EXPECT_EQ(Start()->text(), QStringLiteral("0x00000400"));
  EXPECT_EQ(End()->text(), QStringLiteral("0x00000600"));
  // With "Is ISO?" sectors are 2048 bytes.
  QTest::mouseClick(Button(1050), Qt::LeftButton);
  qobject_cast<QCheckBox*>(dlg.Control(1048))->setChecked(true);
  Start()->setText(QStringLiteral("3"));
  QTest::mouseClick(Button(1050), Qt::LeftButton);
  EXPECT_EQ(Start()->text(), QStringLiteral("0x00001800"));
  // A toggle rewrites the start: the type no longer fills it in.
  Choose(DumpType::Mbr);
  EXPECT_EQ(Start()->text(), QStringLiteral("0x00001800"));
}

TEST_F(LimitsDlgTest, DumpItAndEditCloseWithTheRequestAndKeepTheModes) {
  Open();
  QTest::mouseClick(Button(1050), Qt::LeftButton);  // to sectors
  Choose(DumpType::Mbr);
  Count()->setText(QStringLiteral("2"));
  QTest::mouseClick(Button(3), Qt::LeftButton);
  EXPECT_EQ(dlg.result(), kResultEdit);
  const DumpRequest request = dlg.Request();
  EXPECT_EQ(request.dumpType, DumpType::Mbr);
  EXPECT_EQ(request.count, 2);
  EXPECT_EQ(request.offsetType, OffsetType::Sectors);
  EXPECT_EQ(request.start, "0");  // the toggle counted as an edit of the start
  EXPECT_EQ(request.result, kResultEdit);
  EXPECT_EQ(QSettings(QStringLiteral("Velmarra"), QStringLiteral("trovik")).value("Settings/offset_type").toInt(), 1);

  Open();
  Choose(DumpType::Ext2Super);  // a type without Count runs once
  QTest::mouseClick(Button(1), Qt::LeftButton);
  EXPECT_EQ(dlg.result(), kResultDump);
  EXPECT_EQ(dlg.Request().count, 1);
}

TEST_F(LimitsDlgTest, CountOutOfRangeKeepsTheDialogOpenButSavesTheModes) {
  Open();
  Choose(DumpType::FatDir);
  qobject_cast<QCheckBox*>(dlg.Control(1048))->setChecked(true);
  for (const char* bad : {"0", "16385", "99999"}) {
    Count()->setText(QString::fromLatin1(bad));
    ShownMessage message;
    AnswerNextModal({}, &message);
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_TRUE(message.shown) << bad;
    EXPECT_TRUE(message.text.contains(QStringLiteral("16384")));
    EXPECT_TRUE(dlg.isVisible()) << bad;
  }
  EXPECT_TRUE(settings::IsIso());
  Count()->setText(QStringLiteral("16384"));
  QTest::mouseClick(Button(1), Qt::LeftButton);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.Request().count, 16384);
}

TEST_F(LimitsDlgTest, CancelAndEscapeCloseWithoutARequest) {
  Open();
  Choose(DumpType::DosDebug);
  QTest::keyClick(&dlg, Qt::Key_Escape);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_NE(dlg.result(), kResultDump);
  EXPECT_NE(dlg.result(), kResultEdit);
}

TEST_F(LimitsDlgTest, F1ShowsHelpOnTheControlWithTheFocusOrSaysThereIsNone) {
  Open();
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  Start()->setFocus();
  EXPECT_EQ(test::MessageOf([&] { QTest::keyClick(Start(), Qt::Key_F1); }),
            QStringLiteral("Starting Byte/Sector Offset.\nDecimal or hexidecimal."));
  EXPECT_EQ(test::MessageOf([&] { dlg.ShowContextHelp(dlg.Control(1048)); }), QStringLiteral("No help for this item."));
}

}  // namespace
}  // namespace trovik
