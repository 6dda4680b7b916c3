// The main window: its title and the editors', the placement kept by every
// close, saving and opening the report as text, giving its memory back, the
// editing commands, printing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

#include "FrameTest.h"
#include "app/Memory.h"
#include "app/ReportPrinter.h"
#include "app/WindowPlacement.h"
#include "editors/qt/EditBpbDlg.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "editors/qt/LbaChsDlg.h"
#include "gui/AppSettings.h"
#include "gui/DialogSupport.h"

namespace trovik {
namespace {

// The window system adds the application's display name to every title
// that does not end with it, so the program must not set one; the editors
// are wide enough to show their titles whole.
TEST(WindowTitles, AreTheProgramsOwnAndShownWhole) {
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(QStringLiteral("probe"));
  const QString display = QGuiApplication::applicationDisplayName();
  QCoreApplication::setApplicationName(name);
  EXPECT_EQ(display, QStringLiteral("probe")) << "a display name is set: the window system adds it to every title";
  CMainFrame frame;
  frame.show();
  EXPECT_EQ(frame.windowHandle()->title(), QStringLiteral("Untitled - trovik"));
  QString boxTitle;
  test::AnswerNextModal([&](QWidget* box) { boxTitle = box->windowTitle(), box->close(); });
  ShowPlainMessage(&frame, QStringLiteral("text"));
  EXPECT_EQ(boxTitle, QStringLiteral("trovik"));

  uint8_t bytes[512] = {};
  MemoryFile file;
  CEditBpbDlg bpb(bytes);
  CEditMbrDlg mbr(bytes, 0);
  CEditGptHeaderDlg header(bytes, 0, file);
  CEditGptEntryDlg entry(bytes, 0);
  CLbaChsDlg converter;
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  for (QDialog* dialog : std::initializer_list<QDialog*>{&bpb, &mbr, &header, &entry, &converter}) {
    dialog->show();
    // Room for the title in a bold face, the window's icon and three buttons.
    EXPECT_GE(dialog->width(), QFontMetrics(titleFont).horizontalAdvance(dialog->windowTitle()) + 4 * 32)
        << dialog->windowTitle().toStdString();
    dialog->close();
  }
}

// The record round-trips and only a valid one on a screen is used; every
// close keeps it for the next start, but a cancelled close does not.
TEST(WindowPlacement, IsKeptByEveryCloseAndOnlyAValidRecordOnAScreenIsUsed) {
  const QByteArray record = WindowPlacement{0, WindowPlacement::kShowMaximized, {}, {}, QRect(40, 50, 700, 500)}.Encode();
  ASSERT_EQ(record.size(), 44);
  QByteArray wrongLength = record;
  wrongLength[0] = 40;
  for (const QByteArray& bad : {record.left(43), record + '\0', wrongLength}) EXPECT_FALSE(WindowPlacement::Decode(bad));
  EXPECT_EQ(WindowPlacement::Decode(record)->normal, QRect(40, 50, 700, 500));
  {
    CMainFrame frame;
    frame.setGeometry(120, 90, 700, 520);
    frame.showMaximized();
    ASSERT_TRUE(test::WaitFor([&] { return frame.isMaximized(); }));
    // A modified report: closing asks, and Cancel keeps the window open.
    frame.Document()->Replace(0, 0, u"x");
    test::ClickInNextBox(QStringLiteral("Cancel"));
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(settings::WindowPlacement().isEmpty());
    frame.Document()->SetModified(false);
    EXPECT_TRUE(frame.close());  // the close box, File > Exit and a logout all send this close event
  }
  const auto saved = WindowPlacement::Decode(settings::WindowPlacement());
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(std::pair(saved->showCommand, saved->normal.size()), std::pair(3u, QSize(700, 520)));
  CMainFrame next;
  EXPECT_FALSE(WindowPlacement::Apply(next, WindowPlacement{0, 1, {}, {}, QRect(50000, 50000, 700, 500)}.Encode()));
  EXPECT_FALSE(WindowPlacement::Apply(next, QByteArray(44, '\0')));
  EXPECT_FALSE(next.isVisible());
  ASSERT_TRUE(WindowPlacement::Apply(next, settings::WindowPlacement()));
  EXPECT_TRUE(next.isMaximized());
}

class ReportEditing : public test::FrameTest {
 protected:
  void SetUp() override {
    frame.show();
    Doc()->InsertReport(0, u"Boot ID: 0x12", false);
    Doc()->InsertReport(13, u" <-- Invalid\n", true);
    Doc()->InsertReport(26, u"Start LBA: 63\n", false);
  }
  QString File(const char* name, const std::string& text = {}) {
    if (!text.empty()) scratch.Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    return QString::fromStdString(scratch.File(name));
  }
  void Trigger(int id) { frame.Action(id)->trigger(); }

  const QString report = QStringLiteral("Boot ID: 0x12 <-- Invalid\nStart LBA: 63\n");
};

TEST_F(ReportEditing, OpenTextReplacesTheReportUncolouredAndThenSaveAsksForAName) {
  const QString a = File("A.txt");
  ASSERT_TRUE(Doc()->SaveTo(a, nullptr));
  EXPECT_FALSE(Doc()->IsModified());
  EXPECT_EQ(QString::fromStdString(test::ReadText(a.toStdString())), report);
  Doc()->Replace(0, 0, u"edited ");
  ASSERT_TRUE(frame.OpenTextFile(a));  // replaces the edited report without asking
  EXPECT_EQ(test::Marked(Doc()->Text()), report);
  // Save must not overwrite A, the last file saved, with another file's text.
  ASSERT_TRUE(frame.OpenTextFile(File("B.txt", "B's text\n")));
  EXPECT_TRUE(frame.windowTitle().startsWith(QStringLiteral("Untitled")) && !Doc()->IsModified());
  QString asked;
  test::AnswerNextModal([&](QWidget* modal) { asked = modal->metaObject()->className(), modal->close(); });
  Trigger(ID_FILE_SAVE);
  EXPECT_EQ(asked, QStringLiteral("QFileDialog"));
  EXPECT_EQ(QString::fromStdString(test::ReadText(a.toStdString())), report);
}

TEST_F(ReportEditing, NewAndOpenTextGiveALargeReportsMemoryBack) {
  std::string chunk;
  while (chunk.size() < (1 << 20)) chunk += "\n00000000  00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00     ................";
  auto fill = [&] { for (int i = 0; i < 160; ++i) Doc()->InsertReportBytes(Doc()->Text().Length(), chunk, {}); };
  const uint64_t before = ResidentMemoryBytes();
  ASSERT_GT(before, 0u);
  fill();
  ASSERT_GT(ResidentMemoryBytes(), before + (120 << 20));  // 160 MiB of report text
  test::ClickInNextBox(QStringLiteral("&No"));
  Trigger(ID_FILE_NEW);
  EXPECT_TRUE(Doc()->Text().IsEmpty());
  EXPECT_LT(ResidentMemoryBytes(), before + (40 << 20));
  fill();
  ASSERT_TRUE(frame.OpenTextFile(File("small.txt", "small\n")));
  EXPECT_LT(ResidentMemoryBytes(), before + (40 << 20));
}

TEST_F(ReportEditing, CommandsEditAndLongLinesScrollAndPrint) {
  View()->SetSelection(5, 26);
  QTest::keyClick(View(), Qt::Key_Delete);
  EXPECT_EQ(Text(), QStringLiteral("Boot Start LBA: 63\n"));
  QTest::keyClicks(View(), "xy");
  Trigger(ID_EDIT_UNDO);  // the typing
  Trigger(ID_EDIT_UNDO);  // the deletion, with its colour
  EXPECT_EQ(test::Marked(Doc()->Text()), QStringLiteral("Boot ID: 0x12[[ <-- Invalid\n]]Start LBA: 63\n"));
  EXPECT_FALSE(frame.Action(ID_EDIT_UNDO)->isEnabled());

  ReportText::FindOptions options;
  EXPECT_TRUE(View()->FindText(QStringLiteral("lba"), options));
  EXPECT_EQ(View()->SelectedText(), QStringLiteral("LBA"));
  EXPECT_EQ(View()->ReplaceAll(QStringLiteral("0x"), QStringLiteral("$"), options), 1);
  EXPECT_EQ(Text(), QStringLiteral("Boot ID: $12 <-- Invalid\nStart LBA: 63\n"));
  Trigger(ID_EDIT_UNDO);
  EXPECT_EQ(Text(), report);

  View()->SetSelection(0, 4);
  Trigger(ID_EDIT_COPY);
  View()->SetSelection(26, 26);
  Trigger(ID_EDIT_PASTE);
  EXPECT_TRUE(Text().startsWith(QStringLiteral("Boot ID: 0x12 <-- Invalid\nBootStart")));
  Trigger(ID_EDIT_SELECT_ALL);
  Trigger(ID_EDIT_CUT);
  EXPECT_TRUE(Doc()->Text().IsEmpty());
  EXPECT_EQ(QApplication::clipboard()->text().size(), report.size() + 4);

  // Long lines scroll sideways and print with half-inch margins on as many pages as they need.
  QString lines;
  for (int i = 0; i < 300; ++i) lines += QStringLiteral("line %1 ").arg(i) + QString(300, QLatin1Char('-')) + '\n';
  Doc()->InsertReport(0, lines, false);
  EXPECT_GT(View()->horizontalScrollBar()->maximum(), 0);  // not wrapped
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(File("report.pdf"));
  SetReportMargins(printer);
  EXPECT_EQ(printer.pageLayout().margins(QPageLayout::Inch), QMarginsF(0.5, 0.5, 0.5, 0.5));
  // 301 lines of 10 pt text on 10 inches of paper: about 70 lines a page.
  const int pages = PrintReport(printer, Doc()->Text(), CTrovikView::DefaultReportFont());
  EXPECT_TRUE(pages >= 4 && pages <= 7) << pages;
  EXPECT_GT(QFile(printer.outputFileName()).size(), 1000);
}

}  // namespace
}  // namespace trovik
