// The window and trovik-dump give the same report for the same request:
// every sample image under every dump type, text and red ranges, and the
// same messages. The Structures panel maps a file opened in the window in
// the background into a tree of the map's rows; a row dumps into the report
// at the caret as its own request does, and Dump All as
// `trovik-dump --map --all`.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "FrameTest.h"
#include "app/StructuresPanel.h"
#include "catalog/Catalog.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "support/Program.h"

namespace trovik {
namespace {

// What a terminal gets of the window's text: control characters other than
// tab and line feed, DEL and the code page's five unassigned bytes are the
// middle dot there.
QString AsTerminalShows(QString text) {
  for (QChar& c : text)
    if ((c < u' ' && c != u'\t' && c != u'\n') || QStringView(u"\x7F\x81\x8D\x8F\x90\x9D").contains(c)) c = QChar(0xB7);
  return text;
}

// The terminal's text with its red (between the colour and the reset codes)
// marked as the window's is.
QString MarkAnsi(const std::string& out) {
  QString text;
  std::vector<TextRange> red;
  const QStringList pieces = QString::fromUtf8(out).split(QChar(0x1B));
  for (qsizetype i = 0; i < pieces.size(); ++i) {
    const bool inRed = i > 0 && pieces[i].startsWith(QLatin1String("[31m"));
    const QString piece = i == 0 ? pieces[i] : pieces[i].mid(inRed ? 4 : 3);
    if (inRed) red.push_back({text.size(), text.size() + piece.size()});
    text += piece;
  }
  return test::Marked(text, red, true);
}

class CliAgreement : public testing::TestWithParam<std::string> {};

TEST_P(CliAgreement, SameReportAndMessagesForEveryType) {
  const std::string path = test::TestDataPath(GetParam());
  const uint64_t size = std::filesystem::file_size(path);
  CMainFrame frame;
  // Messages of the window's runs are read and closed as they open.
  QStringList shown;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) shown << box->text() + '\n', box->accept();
  });
  closer.start(2);

  for (const DumpTypeInfo& type : DumpTypeTable()) {
    const std::string start = Format("0x%08X", type.defaultStart);
    // The general formats over 1 KiB from the type's start: enough to compare.
    const std::string end = Format("0x%08llX", static_cast<unsigned long long>(
                                                   std::min<uint64_t>(type.defaultStart + 0x3FFull, size ? size - 1 : 0)));
    const int count = type.countEnabled ? type.defaultCount : 1;
    const auto cli = test::RunProgram({TROVIK_DUMP_PATH, "-t", std::to_string(static_cast<int>(type.id)), "-s", start,
                                       "-e", end, "-n", std::to_string(count), "--color", "always", path});

    frame.Document()->NewDocument();
    shown.clear();
    frame.Runner()->Start(PosixFile::Open(path, OpenMode::ReadOnly), test::MakeRequest(type.id, start, end, count));
    frame.Runner()->WaitForFinished();
    const ReportText& report = frame.Document()->Text();
    const QString window = test::Marked(AsTerminalShows(report.ToPlainText()), report.RedRanges(0, report.Length()), true);
    const std::string what = GetParam() + " as " + std::string(type.name);
    EXPECT_EQ(window.toStdString(), MarkAnsi(cli.out).toStdString()) << what;
    EXPECT_EQ(shown.join(QString()).toStdString(), cli.err) << what;
  }
}

// Every sample image of the families' test data.
std::vector<std::string> SampleImages() {
  std::vector<std::string> images;
  for (const char* folder : {"partition", "fat", "ext2", "optical", "exe"})
    for (const auto& entry : std::filesystem::directory_iterator(test::TestDataPath(folder)))
      if (std::string ext = entry.path().extension(); ext != ".txt" && ext != ".sh" && ext != ".objdump")
        images.push_back(std::string(folder) + "/" + entry.path().filename().string());
  std::sort(images.begin(), images.end());
  return images;
}

INSTANTIATE_TEST_SUITE_P(SampleImages, CliAgreement, testing::ValuesIn(SampleImages()), [](const auto& info) {
  std::string name = info.param;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
});

// A disk whose MBR (built here) holds one FAT12 partition at sector 1: the
// FAT12 test image.
std::string MakeDisk(const test::ScratchDir& dir) {
  std::vector<uint8_t> disk(512), fat = test::ReadTestFile("fat/fat12.img");
  disk[0x1BE + 4] = 0x01, disk[0x1BE + 8] = 1, disk[510] = 0x55, disk[511] = 0xAA;
  PutLe32(&disk[0x1BE + 12], static_cast<uint32_t>(fat.size() / 512));
  disk.insert(disk.end(), fat.begin(), fat.end());
  return dir.Write("disk.img", disk);
}

class StructuresPanelTest : public test::FrameTest {
 protected:
  // The tree a row a line in the rows' order, indented by depth.
  QString Tree() {
    QString out;
    for (size_t i = 0; i < panel->Rows().size(); ++i) {
      const QTreeWidgetItem* item = panel->ItemOfRow(static_cast<int>(i));
      for (const QTreeWidgetItem* up = item->parent(); up; up = up->parent()) out += "    ";
      for (int column = 0; column < item->columnCount(); ++column) out += item->text(column) + " | ";
      out += '\n';
    }
    return out;
  }

  StructuresPanel* panel = frame.Structures();
};

TEST_F(StructuresPanelTest, TreeHoldsTheMapAndRowsAndDumpAllDumpAsTheirRequests) {
  // Opened the way File > Open does, the request dialog closed.
  const std::string path = MakeDisk(scratch);
  test::AnswerNextModal([](QWidget* dialog) { static_cast<QDialog*>(dialog)->reject(); });
  frame.DumpFile(QString::fromStdString(path));
  ASSERT_TRUE(test::WaitFor([&] { return panel->IsFilled(); }));
  test::ExpectListing(Tree(), "gui/structures-disk");
  int nested = -1;
  for (size_t i = 0; i < panel->Rows().size(); ++i)
    if (panel->Rows()[i].parent >= 0 && panel->Rows()[i].type != DumpType::None) nested = static_cast<int>(i);
  ASSERT_GE(nested, 1) << "the disk's partition should hold structures";

  // A double-click dumps at the caret; so does Enter, on the row above.
  View()->ReplaceSelection(QStringLiteral("before\nafter"));
  View()->SetSelection(7, 7);
  QTreeWidget* tree = panel->Tree();
  QTreeWidgetItem* item = panel->ItemOfRow(nested);
  tree->scrollToItem(item);
  const QPoint centre = tree->visualItemRect(item).center();
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);  // the view wants the press of a double-click
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
  Runner()->WaitForFinished();
  tree->setCurrentItem(panel->ItemOfRow(nested - 1));
  QTest::keyClick(tree, Qt::Key_Return);
  Runner()->WaitForFinished();
  auto file = PosixFile::Open(path, OpenMode::ReadOnly);
  const std::string first = test::RunOnFile(RowRequest(panel->Rows()[size_t(nested)]), *file).marked;
  const std::string second = test::RunOnFile(RowRequest(panel->Rows()[size_t(nested - 1)]), *file).marked;
  // These reports hold ASCII and the middle dot, the same in Latin-1.
  EXPECT_EQ(test::Marked(Doc()->Text()).toStdString(), "before\n" + QString::fromLatin1(second + first).toStdString() + "after");

  // Dump All writes what `trovik-dump --map --all` writes.
  Doc()->NewDocument();
  panel->DumpAllAction()->trigger();
  Runner()->WaitForFinished();
  const test::ProgramOutcome cli = test::RunProgram({TROVIK_DUMP_PATH, "--map", "--all", path});
  ASSERT_EQ(cli.status, 0) << cli.err;
  EXPECT_EQ(Doc()->Text().ToPlainText().toStdString(), cli.out);
}

TEST_F(StructuresPanelTest, AnotherFileReplacesTheMapStillFilling) {
  // Nothing of the first file's fill may land in the second file's tree.
  panel->Open(QString::fromStdString(MakeDisk(scratch)));
  panel->Open(QString::fromStdString(test::TestDataPath("optical/iso-joliet.iso")));
  ASSERT_TRUE(test::WaitFor([&] { return panel->IsFilled(); }));
  test::ExpectListing(Tree(), "gui/structures-iso");
}

}  // namespace
}  // namespace trovik
