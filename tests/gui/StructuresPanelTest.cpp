// The Structures panel: a file opened in the window is mapped in the
// background into a tree of the map's rows; a row dumps into the report at
// the caret as its own request does, and Dump All as `trovik-dump --map --all`.
#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/StructuresPanel.h"
#include "app/TrovikDoc.h"
#include "app/TrovikView.h"
#include "map/StructureMap.h"
#include "support/Program.h"
#include "support/ReportCapture.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

// A disk whose MBR (built here) holds one FAT12 partition at sector 1: the
// FAT12 test image.
std::string MakeDisk(const test::ScratchDir& dir) {
  std::vector<uint8_t> disk(512);
  const std::vector<uint8_t> fat = test::ReadTestFile("fat/fat12.img");
  const uint32_t sectors = static_cast<uint32_t>(fat.size() / 512);
  disk[0x1BE + 4] = 0x01;
  disk[0x1BE + 8] = 1;
  for (int i = 0; i < 4; ++i) disk[0x1BE + 12 + i] = static_cast<uint8_t>(sectors >> (8 * i));
  disk[510] = 0x55;
  disk[511] = 0xAA;
  disk.insert(disk.end(), fat.begin(), fat.end());
  return dir.Write("disk.img", disk);
}

class StructuresPanelTest : public testing::Test {
 protected:
  void SetUp() override { frame.show(); }
  // The report with red ranges marked [[like this]].
  QString Marked() {
    QString out = frame.Document()->Text().ToPlainText();
    const auto red = frame.Document()->Text().RedRanges(0, frame.Document()->Text().Length());
    for (auto it = red.rbegin(); it != red.rend(); ++it) {
      out.insert(it->end, QStringLiteral("]]"));
      out.insert(it->start, QStringLiteral("[["));
    }
    return out;
  }
  // Opens the file the way File > Open does, closing the request dialog.
  void OpenAndWait(const std::string& path) {
    test::AnswerNextModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
    frame.DumpFile(QString::fromStdString(path));
    ASSERT_TRUE(test::WaitFor([&] { return panel->IsFilled(); }));
  }

  test::ScratchDir scratch;
  CMainFrame frame;
  StructuresPanel* panel = frame.Structures();
};

TEST_F(StructuresPanelTest, TreeHoldsTheMapAndRowsDumpAsTheirRequests) {
  const std::string path = MakeDisk(scratch);
  OpenAndWait(path);
  auto file = PosixFile::Open(path, OpenMode::ReadOnly);
  std::vector<MapRow> expected = BuildMap(*file);
  test::ScriptedHost quiet;
  for (MapRow& row : expected) CountRed(row, *file, quiet);

  ASSERT_EQ(panel->Rows().size(), expected.size());
  int nested = -1;
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].what);
    const MapRow& row = expected[i];
    const QTreeWidgetItem* item = panel->ItemOfRow(static_cast<int>(i));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->parent(), panel->ItemOfRow(row.parent));
    EXPECT_EQ(item->text(0).toULongLong(nullptr, 16), row.offset);
    EXPECT_EQ(item->text(1).toStdString(), row.type == DumpType::None ? "" : FindDumpType(int(row.type))->name);
    EXPECT_EQ(item->text(3), row.type == DumpType::None ? QString() : QString::number(row.red));
    EXPECT_EQ(panel->Rows()[i].red, row.red);
    if (row.parent >= 0 && row.type != DumpType::None) nested = static_cast<int>(i);
  }
  ASSERT_GE(nested, 1) << "the disk's partition should hold structures";

  // A double-click dumps at the caret; so does Enter, on the row above.
  frame.View()->ReplaceSelection(QStringLiteral("before\nafter"));
  frame.View()->SetSelection(7, 7);
  QTreeWidget* tree = panel->Tree();
  QTreeWidgetItem* item = panel->ItemOfRow(nested);
  tree->scrollToItem(item);
  const QPoint centre = tree->visualItemRect(item).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);  // the view wants the press of a double-click
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
  frame.Runner()->WaitForFinished();
  tree->setCurrentItem(panel->ItemOfRow(nested - 1));
  QTest::keyClick(tree, Qt::Key_Return);
  frame.Runner()->WaitForFinished();

  const std::string first = test::RunOnFile(RowRequest(expected[size_t(nested)]), *file).marked;
  const std::string second = test::RunOnFile(RowRequest(expected[size_t(nested - 1)]), *file).marked;
  // These reports hold ASCII and the middle dot, the same in Latin-1.
  EXPECT_EQ(Marked().toStdString(), "before\n" + QString::fromLatin1(second + first).toStdString() + "after");
}

TEST_F(StructuresPanelTest, DumpAllWritesWhatTheCommandLineWrites) {
  const std::string path = MakeDisk(scratch);
  OpenAndWait(path);
  panel->DumpAllAction()->trigger();
  frame.Runner()->WaitForFinished();
  const test::ProgramOutcome cli = test::RunProgram({TROVIK_DUMP_PATH, "--map", "--all", path});
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_EQ(frame.Document()->Text().ToPlainText().toStdString(), cli.out);
}

TEST_F(StructuresPanelTest, AnotherFileReplacesTheMapStillFilling) {
  // Nothing of the first file's fill may land in the second file's tree.
  panel->Open(QString::fromStdString(MakeDisk(scratch)));
  const std::string iso = test::TestDataPath("optical/iso-joliet.iso");
  panel->Open(QString::fromStdString(iso));
  ASSERT_TRUE(test::WaitFor([&] { return panel->IsFilled(); }));
  auto file = PosixFile::Open(iso, OpenMode::ReadOnly);
  std::vector<MapRow> expected = BuildMap(*file);
  test::ScriptedHost quiet;
  ASSERT_EQ(panel->Rows().size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(panel->Rows()[i].offset, expected[i].offset);
    EXPECT_EQ(panel->Rows()[i].red, CountRed(expected[i], *file, quiet));
  }
}

}  // namespace
}  // namespace trovik
