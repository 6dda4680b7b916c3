// The dump request dialog as a person uses it: defaults per type, the start
// field's auto-fill, the byte/sector toggle, Count validation, the settings
// it keeps under their keys, its help. The dialog plays transcripts of
// actions and what they show (tests/golden/gui/request-*.txt).
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include "GuiTestSupport.h"
#include "catalog/Catalog.h"
#include "gui/AppSettings.h"
#include "request/LimitsDlg.h"

namespace trovik {
namespace {

class LimitsDlgTest : public testing::Test {
 protected:
  // Names the controls the transcripts use (the dialog knows them by ID).
  void SetUp() override {
    for (const auto& [id, name] : {std::pair{1000, "start"}, {1001, "end"}, {1005, "count"}, {1048, "iso"},
                                   {1050, "offset"}, {1, "dumpIt"}, {3, "edit"}})
      dlg.Control(id)->setObjectName(QLatin1String(name));
    for (DumpType type : {DumpType::Mbr, DumpType::DosDebug, DumpType::OhciHcca, DumpType::QorSlot, DumpType::FatBpb,
                          DumpType::Ext2Super, DumpType::FatDir})
      dlg.TypeButton(static_cast<int>(type))->setObjectName(QLatin1String(FindDumpType(type)->name));
  }
  void Open() {
    std::tie(dlg.m_strStart, dlg.m_strEnd) = std::pair(QStringLiteral("0x00000000"), QStringLiteral("0x000FFFFF"));
    dlg.show();
  }

  CLimitsDlg dlg;
  QSettings store{QStringLiteral("Velmarra"), QStringLiteral("trovik")};
};

TEST_F(LimitsDlgTest, HoldsEveryTypeOfTheTableTwoDisabledAndOpensInTheStoredModes) {
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
  EXPECT_LE(dlg.sizeHint().width(), 1366);              // it fits a 1366x768 screen
  EXPECT_LE(dlg.sizeHint().height(), 700);
  test::PlayTranscript(&dlg, "gui/request-stored-modes");
}

// Type defaults fill count, start, edit and end until the start is typed;
// Escape closes without a request.
TEST_F(LimitsDlgTest, TypesFillTheDefaultsUntilTheStartIsTyped) {
  Open();
  test::PlayTranscript(&dlg, "gui/request-types");
  Open();
  dlg.TypeButton(static_cast<int>(DumpType::Ext2Super))->click();  // a type without Count runs once
  qobject_cast<QAbstractButton*>(dlg.Control(1))->click();
  EXPECT_EQ(dlg.result(), kResultDump);
  EXPECT_EQ(dlg.Request().count, 1);
}

// The byte/sector toggle converts without rounding and counts as an edit of
// the start; "Edit" closes with the request and keeps the modes.
TEST_F(LimitsDlgTest, ByteSectorToggleConvertsAndEditClosesWithTheRequest) {
  Open();
  test::PlayTranscript(&dlg, "gui/request-toggle-edit");
  const DumpRequest r = dlg.Request();
  EXPECT_EQ(std::tuple(r.dumpType, r.count, r.offsetType, r.start, r.result),
            std::tuple(DumpType::Mbr, 2, OffsetType::Sectors, std::string("3"), kResultEdit));
  EXPECT_EQ(store.value("Settings/offset_type").toInt(), 1);
}

// Count out of range keeps the dialog open but saves the modes; F1 shows
// the help of the control with the focus or says there is none.
TEST_F(LimitsDlgTest, CountOutOfRangeKeepsItOpenAndF1Helps) {
  Open();
  dlg.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  test::PlayTranscript(&dlg, "gui/request-count-help");
  EXPECT_EQ(test::MessageOf([&] { dlg.ShowContextHelp(dlg.Control(1048)); }), QStringLiteral("No help for this item."));
  EXPECT_TRUE(settings::IsIso());
  qobject_cast<QLineEdit*>(dlg.Control(1005))->setText(QStringLiteral("16384"));
  qobject_cast<QAbstractButton*>(dlg.Control(1))->click();
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(dlg.Request().count, 16384);
}

}  // namespace
}  // namespace trovik
