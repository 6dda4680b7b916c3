// The main window: the placement kept by every close, saving and opening the
// report as text, giving its memory back, the editing commands, printing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>

#include "GuiTestSupport.h"
#include "gui/AppSettings.h"
#include "app/MainFrame.h"
#include "app/Memory.h"
#include "app/ReportPrinter.h"
#include "app/TrovikView.h"
#include "app/WindowPlacement.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

TEST(WindowPlacement, RecordRoundTripsAndOnlyAValidRecordOnAScreenIsUsed) {
  WindowPlacement p;
  p.showCommand = WindowPlacement::kShowMaximized;
  p.normal = QRect(40, 50, 700, 500);
  const QByteArray record = p.Encode();
  ASSERT_EQ(record.size(), 44);
  const auto back = WindowPlacement::Decode(record);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->normal, p.normal);
  EXPECT_EQ(back->showCommand, 3u);
  QByteArray wrongLength = record;
  wrongLength[0] = 40;
  for (const QByteArray& bad : {record.left(43), record + '\0', wrongLength})
    EXPECT_FALSE(WindowPlacement::Decode(bad).has_value());

  CMainFrame frame;
  p.normal = QRect(50000, 50000, 700, 500);
  EXPECT_FALSE(WindowPlacement::Apply(frame, p.Encode()));
  EXPECT_FALSE(WindowPlacement::Apply(frame, QByteArray(44, '\0')));
  EXPECT_FALSE(frame.isVisible());
}

TEST(WindowPlacement, EveryCloseKeepsItForTheNextStartButACancelledCloseDoesNot) {
  {
    CMainFrame frame;
    frame.setGeometry(120, 90, 700, 520);
    frame.showMaximized();
    ASSERT_TRUE(test::WaitFor([&] { return frame.isMaximized(); }));
    // A modified report: closing asks, and Cancel keeps the window open.
    frame.Document()->Replace(0, 0, u"x");
    test::AnswerNextModal([](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Cancel)->click(); });
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(settings::WindowPlacement().isEmpty());
    frame.Document()->SetModified(false);
    // The close box, File > Exit and a logout all send this close event.
    EXPECT_TRUE(frame.close());
  }
  const auto saved = WindowPlacement::Decode(settings::WindowPlacement());
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->showCommand, 3u);
  EXPECT_EQ(saved->normal.size(), QSize(700, 520));
  CMainFrame next;
  ASSERT_TRUE(WindowPlacement::Apply(next, settings::WindowPlacement()));
  EXPECT_TRUE(next.isMaximized());
}

class ReportEditing : public testing::Test {
 protected:
  void SetUp() override {
    frame.show();
    doc->InsertReport(0, u"Boot ID: 0x12", false);
    doc->InsertReport(13, u" <-- Invalid\n", true);
    doc->InsertReport(26, u"Start LBA: 63\n", false);
  }
  QString Text() { return doc->Text().ToPlainText(); }
  QString File(const char* name, const std::string& text = {}) {
    const std::string path = scratch.File(name);
    if (!text.empty()) test::WriteFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    return QString::fromStdString(path);
  }

  CMainFrame frame;
  CTrovikDoc* doc = frame.Document();
  CTrovikView* view = frame.View();
  test::ScratchDir scratch;
  const QString report = QStringLiteral("Boot ID: 0x12 <-- Invalid\nStart LBA: 63\n");
};

TEST_F(ReportEditing, OpenTextReplacesTheReportUncolouredAndThenSaveAsksForAName) {
  const QString a = File("A.txt");
  ASSERT_TRUE(doc->SaveTo(a, nullptr));
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(QString::fromStdString(test::ReadText(a.toStdString())), report);
  doc->Replace(0, 0, u"edited ");
  ASSERT_TRUE(frame.OpenTextFile(a));  // replaces the edited report without asking
  EXPECT_EQ(test::Marked(doc->Text()), report);
  // Save must not overwrite A, the last file saved, with another file's text.
  ASSERT_TRUE(frame.OpenTextFile(File("B.txt", "B's text\n")));
  EXPECT_EQ(doc->Title(), QStringLiteral("Untitled"));
  EXPECT_TRUE(frame.windowTitle().startsWith(QStringLiteral("Untitled")));
  EXPECT_FALSE(doc->IsModified());
  QString asked;
  test::AnswerNextModal([&](QWidget* modal) {
    asked = modal->metaObject()->className();
    modal->close();
  });
  frame.Action(ID_FILE_SAVE)->trigger();
  EXPECT_EQ(asked, QStringLiteral("QFileDialog"));
  EXPECT_EQ(QString::fromStdString(test::ReadText(a.toStdString())), report);
}

TEST_F(ReportEditing, NewAndOpenTextGiveALargeReportsMemoryBack) {
  const std::string line = "\n00000000  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................";
  std::string chunk;
  while (chunk.size() < (1 << 20)) chunk += line;
  auto fill = [&] {
    for (int i = 0; i < 160; ++i) doc->InsertReportBytes(doc->Text().Length(), chunk, {});
  };
  const uint64_t before = ResidentMemoryBytes();
  ASSERT_GT(before, 0u);
  fill();
  ASSERT_GT(ResidentMemoryBytes(), before + (120 << 20));  // 160 MiB of report text
  test::AnswerNextModal([](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click(); });
  frame.Action(ID_FILE_NEW)->trigger();
  EXPECT_TRUE(doc->Text().IsEmpty());
  EXPECT_LT(ResidentMemoryBytes(), before + (40 << 20));
  fill();
  ASSERT_TRUE(frame.OpenTextFile(File("small.txt", "small\n")));
  EXPECT_LT(ResidentMemoryBytes(), before + (40 << 20));
}

TEST_F(ReportEditing, UndoCutCopyPasteFindAndReplaceThroughTheCommands) {
  view->SetSelection(5, 26);
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(Text(), QStringLiteral("Boot Start LBA: 63\n"));
  QTest::keyClicks(view, "xy");
  frame.Action(ID_EDIT_UNDO)->trigger();  // the typing
  frame.Action(ID_EDIT_UNDO)->trigger();  // the deletion, with its colour
  EXPECT_EQ(test::Marked(doc->Text()), QStringLiteral("Boot ID: 0x12[[ <-- Invalid\n]]Start LBA: 63\n"));
  EXPECT_FALSE(frame.Action(ID_EDIT_UNDO)->isEnabled());

  ReportText::FindOptions options;
  EXPECT_TRUE(view->FindText(QStringLiteral("lba"), options));
  EXPECT_EQ(view->SelectedText(), QStringLiteral("LBA"));
  EXPECT_EQ(view->ReplaceAll(QStringLiteral("0x"), QStringLiteral("$"), options), 1);
  EXPECT_EQ(Text(), QStringLiteral("Boot ID: $12 <-- Invalid\nStart LBA: 63\n"));
  frame.Action(ID_EDIT_UNDO)->trigger();
  EXPECT_EQ(Text(), report);

  view->SetSelection(0, 4);
  frame.Action(ID_EDIT_COPY)->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Boot"));
  view->SetSelection(26, 26);
  frame.Action(ID_EDIT_PASTE)->trigger();
  EXPECT_TRUE(Text().startsWith(QStringLiteral("Boot ID: 0x12 <-- Invalid\nBootStart")));
  frame.Action(ID_EDIT_SELECT_ALL)->trigger();
  frame.Action(ID_EDIT_CUT)->trigger();
  EXPECT_TRUE(doc->Text().IsEmpty());
  EXPECT_EQ(QApplication::clipboard()->text().size(), report.size() + 4);
}

TEST_F(ReportEditing, LongLinesScrollSidewaysAndPrintWithHalfInchMarginsOnAsManyPagesAsTheyNeed) {
  QString lines;
  for (int i = 0; i < 300; ++i) lines += QStringLiteral("line %1 ").arg(i) + QString(300, QLatin1Char('-')) + '\n';
  doc->InsertReport(0, lines, false);
  EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);  // not wrapped
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(File("report.pdf"));
  SetReportMargins(printer);
  EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Inch), QMarginsF(0.5, 0.5, 0.5, 0.5));
  const int pages = PrintReport(printer, doc->Text(), CTrovikView::DefaultReportFont());
  // 302 lines of 10 pt text on 10 inches of paper: about 70 lines a page.
  EXPECT_GE(pages, 4);
  EXPECT_LE(pages, 7);
  EXPECT_GT(QFile(printer.outputFileName()).size(), 1000);
}

}  // namespace
}  // namespace trovik
