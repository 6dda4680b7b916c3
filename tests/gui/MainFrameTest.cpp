// The main window: its commands and shortcuts, the window placement kept by
// every close, saving and loading the report as text, giving its memory
// back, editing and printing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include "GuiTestSupport.h"
#include "app/MainFrame.h"
#include "app/Memory.h"
#include "app/ReportPrinter.h"
#include "app/TrovikView.h"
#include "app/WindowPlacement.h"
#include "gui/AppSettings.h"

namespace trovik {
namespace {

QString MenuTitles(const CMainFrame& frame) {
  QStringList titles;
  for (QAction* a : frame.menuBar()->actions()) titles << a->text();
  return titles.join(QLatin1Char('|'));
}

TEST(MainFrame, MenusHoldEveryCommandWithItsMnemonicAndShortcut) {
  CMainFrame frame;
  EXPECT_EQ(MenuTitles(frame), QStringLiteral("&File|&Edit|&View|&Tools|&Help"));
  struct Expected {
    int id;
    const char* text;
    std::vector<const char*> keys;
  };
  const Expected expected[] = {
      {ID_FILE_NEW, "&New", {"Ctrl+N"}},
      {ID_FILE_OPEN, "&Open...", {"Ctrl+O"}},
      {ID_FILE_OPEN_TEXT, "Open Text...", {}},
      {ID_FILE_SAVE, "&Save", {"Ctrl+S"}},
      {ID_FILE_SAVE_AS, "Save &As...", {}},
      {ID_FILE_PRINT, "&Print...", {"Ctrl+P"}},
      {ID_FILE_PRINT_PREVIEW, "Print Pre&view", {}},
      {ID_FILE_PRINT_SETUP, "P&rint Setup...", {}},
      {ID_APP_EXIT, "E&xit", {}},
      {ID_EDIT_UNDO, "&Undo", {"Ctrl+Z", "Alt+Backspace"}},
      {ID_EDIT_CUT, "Cu&t", {"Ctrl+X", "Shift+Del"}},
      {ID_EDIT_COPY, "&Copy", {"Ctrl+C", "Ctrl+Ins"}},
      {ID_EDIT_PASTE, "&Paste", {"Ctrl+V", "Shift+Ins"}},
      {ID_EDIT_PASTE_SPECIAL, "Paste &Special...", {}},
      {ID_EDIT_SELECT_ALL, "Select A&ll", {"Ctrl+A"}},
      {ID_EDIT_FIND, "&Find...", {"Ctrl+F"}},
      {ID_EDIT_REPEAT, "F&ind Next", {"F3"}},
      {ID_EDIT_REPLACE, "R&eplace", {"Ctrl+H"}},
      {ID_VIEW_TOOLBAR, "&Toolbar", {}},
      {ID_VIEW_STATUS_BAR, "&Status Bar", {}},
      {ID_TOOLS_LBA_TO_CHS, "LBA to CHS", {}},
      {ID_APP_ABOUT, "&About trovik...", {}},
  };
  for (const Expected& e : expected) {
    QAction* action = frame.Action(e.id);
    ASSERT_NE(action, nullptr) << e.id;
    EXPECT_EQ(action->text(), QString::fromLatin1(e.text));
    QStringList keys;
    for (const QKeySequence& k : action->shortcuts()) keys << k.toString();
    QStringList want;
    for (const char* k : e.keys) want << QString::fromLatin1(k);
    EXPECT_EQ(keys, want) << e.text;
    EXPECT_FALSE(action->statusTip().isEmpty()) << e.text;
    // Every command sits in a menu.
    EXPECT_FALSE(action->associatedObjects().isEmpty());
  }
  EXPECT_EQ(frame.Action(ID_FILE_OPEN_TEXT)->statusTip(), QStringLiteral("Open an existing document as a text file "));
  EXPECT_EQ(frame.Action(ID_TOOLS_LBA_TO_CHS)->statusTip(), QStringLiteral("Convert LBA to CHS or CHS to LBA"));
  EXPECT_TRUE(frame.Action(ID_TOOLS_LBA_TO_CHS)->isEnabled());
  // The toolbar: New, Open, Open Text, Save | Cut, Copy, Paste | Print | LBA to CHS.
  QStringList bar;
  for (QAction* a : frame.ToolBar()->actions()) bar << (a->isSeparator() ? QStringLiteral("|") : a->text());
  EXPECT_EQ(bar.join(QLatin1Char(' ')),
            QStringLiteral("&New &Open... Open Text... &Save | Cu&t &Copy &Paste | &Print... | LBA to CHS"));
  for (QAction* a : frame.ToolBar()->actions())
    EXPECT_TRUE(a->isSeparator() || !a->icon().pixmap(16, 16).isNull()) << a->text().toStdString();
}

TEST(MainFrame, StatusBarSaysReadyAndViewCommandsToggleTheBars) {
  CMainFrame frame;
  frame.show();
  auto* ready = frame.statusBar()->findChild<QLabel*>(QStringLiteral("messagePane"));
  ASSERT_NE(ready, nullptr);
  EXPECT_EQ(ready->text(), QStringLiteral("Ready"));
  for (const char* pane : {"CAP", "NUM", "SCRL"}) EXPECT_NE(frame.statusBar()->findChild<QLabel*>(pane), nullptr);
  frame.Action(ID_VIEW_TOOLBAR)->trigger();
  EXPECT_FALSE(frame.ToolBar()->isVisible());
  frame.Action(ID_VIEW_STATUS_BAR)->trigger();
  EXPECT_FALSE(frame.statusBar()->isVisible());
  frame.Action(ID_VIEW_TOOLBAR)->trigger();
  EXPECT_TRUE(frame.ToolBar()->isVisible());
  EXPECT_TRUE(frame.Action(ID_VIEW_TOOLBAR)->isChecked());
}

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

  EXPECT_FALSE(WindowPlacement::Decode(record.left(43)).has_value());
  EXPECT_FALSE(WindowPlacement::Decode(record + '\0').has_value());
  QByteArray wrongLength = record;
  wrongLength[0] = 40;
  EXPECT_FALSE(WindowPlacement::Decode(wrongLength).has_value());

  CMainFrame frame;
  WindowPlacement away = p;
  away.normal = QRect(50000, 50000, 700, 500);
  EXPECT_FALSE(WindowPlacement::Apply(frame, away.Encode()));
  EXPECT_FALSE(frame.isVisible());
  EXPECT_FALSE(WindowPlacement::Apply(frame, QByteArray(44, '\0')));
}

TEST(WindowPlacement, ExitKeepsTheMaximizedWindowForTheNextStart) {
  {
    auto* frame = new CMainFrame;
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setGeometry(60, 70, 640, 480);
    frame->showMaximized();
    ASSERT_TRUE(test::WaitFor([&] { return frame->isMaximized(); }));
    frame->Action(ID_APP_EXIT)->trigger();
  }
  const auto saved = WindowPlacement::Decode(settings::WindowPlacement());
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->showCommand, 3u);
  CMainFrame next;
  ASSERT_TRUE(WindowPlacement::Apply(next, settings::WindowPlacement()));
  EXPECT_TRUE(next.isMaximized());
}

TEST(WindowPlacement, TheCloseBoxKeepsItTooButACancelledCloseDoesNot) {
  CMainFrame frame;
  frame.setGeometry(120, 90, 700, 520);
  frame.show();
  ASSERT_TRUE(test::WaitFor([&] { return frame.isVisible(); }));
  // A modified report: closing asks, and Cancel keeps the window open.
  frame.Document()->Replace(0, 0, u"x");
  test::AnswerNextModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Cancel)->click(); });
  EXPECT_FALSE(frame.close());
  EXPECT_TRUE(settings::WindowPlacement().isEmpty());
  frame.Document()->SetModified(false);
  // The close box sends the window the same close event as a logout does.
  EXPECT_TRUE(frame.close());
  const auto saved = WindowPlacement::Decode(settings::WindowPlacement());
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->showCommand, 1u);
  EXPECT_EQ(saved->normal.size(), QSize(700, 520));
}

TEST(Settings, ValuesRoundTripUnderTheirKeys) {
  settings::SetLastFilename(QStringLiteral("/tmp/disk.img"));
  settings::SetOffsetType(OffsetType::Sectors);
  settings::SetIsIso(true);
  QSettings store(QStringLiteral("Velmarra"), QStringLiteral("trovik"));
  EXPECT_EQ(store.value(QStringLiteral("Settings/last_filename")).toString(), QStringLiteral("/tmp/disk.img"));
  EXPECT_EQ(store.value(QStringLiteral("Settings/offset_type")).toInt(), 1);
  EXPECT_EQ(store.value(QStringLiteral("Settings/is_iso")).toInt(), 1);
  EXPECT_EQ(settings::LastFilename(), QStringLiteral("/tmp/disk.img"));
}

class ReportEditing : public testing::Test {
 protected:
  void SetUp() override {
    frame.show();
    doc = frame.Document();
    view = frame.View();
    doc->InsertReport(0, u"Boot ID: 0x12", false);
    doc->InsertReport(13, u" <-- Invalid\n", true);
    doc->InsertReport(26, u"Start LBA: 63\n", false);
  }
  CMainFrame frame;
  CTrovikDoc* doc = nullptr;
  CTrovikView* view = nullptr;
  QTemporaryDir dir;
};

TEST_F(ReportEditing, SaveThenOpenTextGivesTheTextBackWithoutColour) {
  const QString path = dir.filePath(QStringLiteral("report.txt"));
  ASSERT_TRUE(doc->SaveTo(path, nullptr));
  EXPECT_FALSE(doc->IsModified());
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray("Boot ID: 0x12 <-- Invalid\nStart LBA: 63\n"));

  doc->Replace(0, 0, u"edited ");
  ASSERT_TRUE(frame.OpenTextFile(path));  // replaces the edited report without asking
  EXPECT_EQ(doc->Text().ToPlainText(), QStringLiteral("Boot ID: 0x12 <-- Invalid\nStart LBA: 63\n"));
  EXPECT_TRUE(doc->Text().RedRanges(0, doc->Text().Length()).empty());
}

TEST_F(ReportEditing, AfterOpenTextSaveAsksForANameInsteadOfOverwritingTheLastSavedFile) {
  const QString a = dir.filePath(QStringLiteral("A.txt"));
  const QString b = dir.filePath(QStringLiteral("B.txt"));
  ASSERT_TRUE(doc->SaveTo(a, nullptr));
  QFile bFile(b);
  ASSERT_TRUE(bFile.open(QIODevice::WriteOnly));
  bFile.write("B's text\n");
  bFile.close();
  ASSERT_TRUE(frame.OpenTextFile(b));
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
  QFile saved(a);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray("Boot ID: 0x12 <-- Invalid\nStart LBA: 63\n"));
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
  test::AnswerNextModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::No)->click(); });
  frame.Action(ID_FILE_NEW)->trigger();
  EXPECT_TRUE(doc->Text().IsEmpty());
  EXPECT_LT(ResidentMemoryBytes(), before + (40 << 20));
  fill();
  const QString path = dir.filePath(QStringLiteral("small.txt"));
  QFile small(path);
  ASSERT_TRUE(small.open(QIODevice::WriteOnly));
  small.write("small\n");
  small.close();
  ASSERT_TRUE(frame.OpenTextFile(path));
  EXPECT_LT(ResidentMemoryBytes(), before + (40 << 20));
}

TEST_F(ReportEditing, UndoBringsBackTextAndItsColour) {
  view->SetSelection(5, 26);
  QTest::keyClick(view, Qt::Key_Delete);
  EXPECT_EQ(doc->Text().ToPlainText(), QStringLiteral("Boot Start LBA: 63\n"));
  QTest::keyClicks(view, "xy");
  frame.Action(ID_EDIT_UNDO)->trigger();  // the typing
  frame.Action(ID_EDIT_UNDO)->trigger();  // the deletion
  EXPECT_EQ(doc->Text().ToPlainText(), QStringLiteral("Boot ID: 0x12 <-- Invalid\nStart LBA: 63\n"));
  EXPECT_EQ(doc->Text().RedRanges(0, doc->Text().Length()), (std::vector<TextRange>{{13, 26}}));
  EXPECT_FALSE(frame.Action(ID_EDIT_UNDO)->isEnabled());
}

TEST_F(ReportEditing, CutCopyPasteAndSelectAllThroughTheCommands) {
  view->SetSelection(0, 4);
  EXPECT_TRUE(frame.Action(ID_EDIT_CUT)->isEnabled());
  frame.Action(ID_EDIT_COPY)->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("Boot"));
  view->SetSelection(26, 26);
  frame.Action(ID_EDIT_PASTE)->trigger();
  EXPECT_TRUE(doc->Text().ToPlainText().startsWith(QStringLiteral("Boot ID: 0x12 <-- Invalid\nBootStart")));
  frame.Action(ID_EDIT_SELECT_ALL)->trigger();
  EXPECT_EQ(view->SelectionEnd() - view->SelectionStart(), doc->Text().Length());
  frame.Action(ID_EDIT_CUT)->trigger();
  EXPECT_TRUE(doc->Text().IsEmpty());
}

TEST_F(ReportEditing, FindNextAndReplaceAll) {
  view->SetSelection(0, 0);
  ReportText::FindOptions options;
  EXPECT_TRUE(view->FindText(QStringLiteral("lba"), options));
  EXPECT_EQ(view->SelectedText(), QStringLiteral("LBA"));
  EXPECT_EQ(view->ReplaceAll(QStringLiteral("0x"), QStringLiteral("$"), options), 1);
  EXPECT_EQ(doc->Text().ToPlainText(), QStringLiteral("Boot ID: $12 <-- Invalid\nStart LBA: 63\n"));
  frame.Action(ID_EDIT_UNDO)->trigger();
  EXPECT_TRUE(doc->Text().ToPlainText().startsWith(QStringLiteral("Boot ID: 0x12")));
}

TEST_F(ReportEditing, LongLinesAreNotWrappedAndScrollSideways) {
  doc->InsertReport(0, QString(2000, QLatin1Char('x')) + QLatin1Char('\n'), false);
  EXPECT_EQ(doc->Text().LineCount(), 4);
  EXPECT_GT(view->horizontalScrollBar()->maximum(), 0);
}

TEST_F(ReportEditing, PrintsWithHalfInchMarginsOnAsManyPagesAsTheLinesNeed) {
  QString lines;
  for (int i = 0; i < 300; ++i) lines += QStringLiteral("line %1 ").arg(i) + QString(300, QLatin1Char('-')) + '\n';
  doc->InsertReport(0, lines, false);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));
  SetReportMargins(printer);
  const QMarginsF margins = printer.pageLayout().margins(QPageLayout::Inch);
  EXPECT_DOUBLE_EQ(margins.left(), 0.5);
  EXPECT_DOUBLE_EQ(margins.top(), 0.5);
  EXPECT_DOUBLE_EQ(margins.right(), 0.5);
  EXPECT_DOUBLE_EQ(margins.bottom(), 0.5);
  const int pages = PrintReport(printer, doc->Text(), CTrovikView::DefaultReportFont());
  // 302 lines of 10 pt text on 10 inches of paper: about 70 lines a page.
  EXPECT_GE(pages, 4);
  EXPECT_LE(pages, 7);
  EXPECT_GT(QFile(printer.outputFileName()).size(), 1000);
}

TEST(ReportFont, IsTenPointFixedPitch) {
  const QFont font = CTrovikView::DefaultReportFont();
  EXPECT_EQ(font.pointSize(), 10);
  EXPECT_TRUE(QFontInfo(font).fixedPitch());
}

}  // namespace
}  // namespace trovik
