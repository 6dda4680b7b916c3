// Dump runs into the view, driven through the run's front end: where the
// report goes, its colours, the selection afterwards, questions put to the
// user on the UI thread, stopping a run and the progress window, the
// question before a large report and the report streamed to a file (the
// bytes Save and trovik-dump write), and opening files that fail.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressDialog>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <thread>

#include "FrameTest.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "engine/Report.h"
#include "request/LimitsDlg.h"
#include "request/StartOffsetDlg.h"
#include "support/Program.h"

namespace trovik {
namespace {

using DumpRunTest = test::FrameTest;

DumpRequest Everything(DumpType type) { return test::MakeRequest(type, "0", "0xFFFFFFFF"); }

// A DOS debug listing of `mib` MiB: 64 Ki lines a MiB.
std::unique_ptr<MemoryFile> Listing(int mib) { return std::make_unique<MemoryFile>(std::vector<uint8_t>(mib << 20, 0x41)); }

TEST_F(DumpRunTest, ReportGoesInAtTheCaretWithItsRedAndTheCaretOrSelectionIsPutBack) {
  std::vector<uint8_t> mbr = test::ReadTestFile("partition/mbr.bin");
  mbr[0x1BE] = 0x12;  // an invalid boot ID: red
  const auto dump = [&](int entries) {
    Runner()->Start(std::make_unique<MemoryFile>(mbr), test::MakeRequest(DumpType::Mbr, "0x1BE", "0", entries));
    Runner()->WaitForFinished();
  };
  Doc()->InsertReport(0, u"before|after", false);
  View()->SetSelection(7, 7);
  dump(1);
  EXPECT_EQ(View()->Caret(), 7);
  EXPECT_FALSE(View()->HasSelection());
  EXPECT_FALSE(View()->IsReadOnly());
  dump(2);  // the caret was not moved: the new run stands above
  const QString first = test::Marked(Doc()->Text());
  Doc()->NewDocument();
  Doc()->InsertReport(0, u"keep REPLACED keep", false);
  View()->SetSelection(5, 13);
  dump(1);  // the first text replaces the selection
  EXPECT_EQ(std::pair(View()->SelectionStart(), View()->SelectionEnd()), (std::pair<qsizetype, qsizetype>(5, 13)));
  test::ExpectListing(first + "\n----\n" + test::Marked(Doc()->Text()), "gui/run-at-caret");
  const QString before = Text();
  Runner()->StartJob([](ReportSink&, RunHost&) { return RunStatus::Done; });  // a run that writes nothing leaves the selection's text
  Runner()->WaitForFinished();
  EXPECT_EQ(Text(), before);
}

TEST_F(DumpRunTest, QuestionsAreAskedOnTheUiThreadAfterTheTextSoFarWithoutOfferingEscape) {
  auto* pane = frame.findChild<QLabel*>(QStringLiteral("messagePane"));
  ASSERT_NE(pane, nullptr);
  QString shownBefore, duringRun, duringQuestion;
  test::AnswerNextModal([&](QWidget* modal) {
    shownBefore = Text();
    duringQuestion = pane->text();
    auto* prompt = qobject_cast<CStartOffsetDlg*>(modal);
    ASSERT_NE(prompt, nullptr);
    prompt->OffsetEdit()->setText(QStringLiteral("0X1000"));  // an upper-case prefix is hexadecimal too
    prompt->accept();
  });
  std::optional<uint32_t> answer;
  std::thread::id askedFrom;
  Runner()->StartJob([&](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    report.AppendText("HCCA\n");
    QMetaObject::invokeMethod(pane, [&] { duringRun = pane->text(); }, Qt::BlockingQueuedConnection);
    askedFrom = std::this_thread::get_id();
    answer = host.AskStartOffset();
    report.Finish();
    return RunStatus::Done;
  });
  Runner()->WaitForFinished();
  EXPECT_NE(askedFrom, std::this_thread::get_id());
  EXPECT_EQ(answer, std::optional<uint32_t>(0x1000u));
  EXPECT_EQ(shownBefore, QStringLiteral("HCCA"));  // the last character is held back until the run ends
  EXPECT_TRUE(duringRun.contains(QStringLiteral("Esc"))) << duringRun.toStdString();
  EXPECT_TRUE(!duringQuestion.isEmpty() && !duringQuestion.contains(QStringLiteral("Esc"))) << duringQuestion.toStdString();
  EXPECT_EQ(pane->text(), QStringLiteral("Ready"));
}

// Only an Escape pressed after the run began stops it, with the abort
// ending; the progress window stays centred on the main window and its
// Cancel stops the run too.
TEST_F(DumpRunTest, EscapeAndTheProgressWindowsCancelStopARun) {
  // Repeats of a key that was already down when the run began are ignored.
  Runner()->Start(Listing(2), Everything(DumpType::DosDebug));
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(View(), &repeat);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Done);
  Doc()->NewDocument();
  // A new press stops a real run over a large file; the view can be read meanwhile.
  Runner()->SetProgressDelay(0);
  Runner()->Start(Listing(64), Everything(DumpType::DosDebug));
  ASSERT_TRUE(test::WaitFor([&] { return Doc()->Text().LineCount() > 3; }));
  EXPECT_TRUE(View()->IsReadOnly() && !frame.Action(ID_FILE_OPEN)->isEnabled());
  QTest::keyClick(View(), Qt::Key_Escape);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Aborted);
  EXPECT_TRUE(Text().endsWith(QStringLiteral("\nUser Abort..."))) << Text().right(100).toStdString();
  EXPECT_LT(Doc()->Text().LineCount(), 4 << 20);  // stopped long before the end
  EXPECT_TRUE(View()->Caret() == 0 && frame.Action(ID_FILE_OPEN)->isEnabled()) << View()->Caret();

  Doc()->NewDocument();
  frame.setGeometry(260, 180, 820, 600);
  // Lines written slowly, so that the window first shows a short count.
  Runner()->StartJob([](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    for (int i = 0; !host.AbortRequested(); ++i) {
      report.AppendText("line\n");
      if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return RunStatus::Aborted;
  });
  QPointer<QProgressDialog> progress;
  ASSERT_TRUE(test::WaitFor([&] { return (progress = frame.findChild<QProgressDialog*>()) && progress->isVisible(); }));
  auto offCentre = [&] { return (progress->frameGeometry().center() - frame.frameGeometry().center()).manhattanLength(); };
  EXPECT_LE(offCentre(), 2);
  const QSize first = progress->size();
  // Still centred once its label has grown with the line count.
  ASSERT_TRUE(test::WaitFor([&] { return Doc()->Text().LineCount() > 10000; }));
  QCoreApplication::processEvents();
  ASSERT_TRUE(progress);
  EXPECT_NE(progress->size(), first);
  EXPECT_LE(offCentre(), 2);
  progress->findChild<QPushButton*>()->click();
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Aborted);
}

TEST_F(DumpRunTest, FileOpenDumpsWhatTheRequestAsksReadOnlyFilesAreNotEditedAndErrorsArePlainMessages) {
  test::ShownMessage message;
  test::AnswerNextModal({}, &message);
  frame.DumpFile(QString::fromStdString(scratch.File("missing.img")));
  EXPECT_TRUE(message.text.startsWith(QStringLiteral("Error opening file: ")));
  EXPECT_EQ(message.icon, QMessageBox::NoIcon);

  // Root may write any file, so it gets a read-only file system instead.
  test::ScratchDir readOnly;
  const std::vector<uint8_t> sector(0x200, 0x55);
  if (geteuid() == 0) readOnly.MountTmpfs(1 << 20);
  const QString path = QString::fromStdString(readOnly.Write("disk.img", sector));
  if (geteuid() == 0) readOnly.RemountReadOnly();
  else ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0444), 0);
  QString presetEnd;
  test::AnswerRequest(DumpType::DosDebug, 1, [&](CLimitsDlg* limits) {
    presetEnd = qobject_cast<QLineEdit*>(limits->Control(1001))->text();
    qobject_cast<QLineEdit*>(limits->Control(1001))->setText(QStringLiteral("0x1F"));
  });
  frame.DumpFile(path);
  Runner()->WaitForFinished();
  EXPECT_EQ(presetEnd, QStringLiteral("0x000001FF"));
  EXPECT_EQ(QSettings(QStringLiteral("Velmarra"), QStringLiteral("trovik")).value("Settings/last_filename").toString(), path);
  EXPECT_EQ(Text(), QStringLiteral("\n00000000  55 55 55 55 55 55 55 55-55 55 55 55 55 55 55 55     UUUUUUUUUUUUUUUU"
                                   "\n00000010  55 55 55 55 55 55 55 55-55 55 55 55 55 55 55 55     UUUUUUUUUUUUUUUU"));
  Doc()->NewDocument();
  message = {};
  test::AnswerRequest(DumpType::Mbr, 3, [&](CLimitsDlg*) { test::AnswerNextModal({}, &message); });
  frame.DumpFile(path);
  ASSERT_TRUE(test::WaitFor([&] { return message.shown; }));
  EXPECT_EQ(message.text, QStringLiteral("Error opening file: Access Denied"));
  EXPECT_TRUE(Text().isEmpty());
  EXPECT_EQ(test::ReadFile(path.toStdString()), sector);
}

// Edit mode as a person goes through it: the request dialog's "Edit", the
// structure's editor answered with OK, the run writing the structure into
// the file and listing it as it now is.
TEST_F(DumpRunTest, OkInTheMbrEditorWritesTheEntryIntoTheFile) {
  const std::vector<uint8_t> sector = test::ReadTestFile("partition/mbr.bin");
  const std::string path = scratch.Write("disk.img", sector);
  bool edited = false;
  test::AnswerRequest(
      DumpType::Mbr, 3, [](CLimitsDlg* limits) { qobject_cast<QLineEdit*>(limits->Control(1005))->setText("2"); },
      [&](QWidget* editor) {
        ASSERT_NE(qobject_cast<CEditMbrDlg*>(editor), nullptr);
        test::Box(editor, "systemId")->setText("8E");
        test::Box(editor, "sectorCount")->setText("0x1000");
        // The second entry's editor follows and is cancelled after a change.
        test::AnswerNextModal([&](QWidget* second) {
          test::Box(second, "bootId")->setText("80");
          test::Click(second, "cancel");
          edited = true;
        });
        test::Click(editor, "ok");
      });
  frame.DumpFile(QString::fromStdString(path));
  Runner()->WaitForFinished();
  ASSERT_TRUE(edited);
  std::vector<uint8_t> expected = sector;
  expected[0x1BE + 4] = 0x8E, expected[0x1BE + 13] = 0x10, expected[0x1BE + 12] = expected[0x1BE + 14] = expected[0x1BE + 15] = 0;
  EXPECT_EQ(test::ReadFile(path), expected);
  EXPECT_TRUE(Text().startsWith(QStringLiteral("Boot:  Master Boot Record (0x000001BE)")) && Text().contains("(0x000001CE)") &&
              Text().contains("4096"))
      << Text().toStdString();
}

// For a GPT header the run asks about the backup, and Yes updates it.
TEST_F(DumpRunTest, AGptHeaderEditAsksAboutTheBackupAndUpdatesItOnYes) {
  const std::string image = scratch.File("gpt.img");
  // A partition renamed in the primary entry array only (byte 1024 + 56), as an entry edit leaves it.
  const auto made = test::RunShell("truncate -s 4M " + image + " && sgdisk --clear --new=1:2048:+1M " + image +
                                   " && printf X | dd of=" + image + " bs=1 seek=1080 conv=notrunc status=none");
  ASSERT_EQ(made.status, 0) << "sgdisk (package gdisk) is needed: " << made.out;
  ASSERT_EQ(test::RunShell("sgdisk -v " + image).out.find("No problems found"), std::string::npos);
  test::ShownMessage question;
  test::AnswerRequest(
      DumpType::GptHeader, 3, [](CLimitsDlg* limits) { qobject_cast<QLineEdit*>(limits->Control(1000))->setText("0x200"); },
      [&](QWidget* editor) {
        ASSERT_NE(qobject_cast<CEditGptHeaderDlg*>(editor), nullptr);
        test::Click(editor, "recalculate");
        test::AnswerNextModal([](QWidget* box) { test::ClickIn(box, QStringLiteral("&Yes")); }, &question);
        test::Click(editor, "ok");
      });
  frame.DumpFile(QString::fromStdString(image));
  Runner()->WaitForFinished();
  EXPECT_TRUE(question.text.startsWith(QStringLiteral("Update the backup copy of the GPT too?"))) << question.text.toStdString();
  const std::string verify = test::RunShell("sgdisk -v " + image).out;
  EXPECT_NE(verify.find("No problems found"), std::string::npos) << verify;
}

// Large reports: over the limit the user is asked where the report goes.
class LargeReportTest : public DumpRunTest {
 protected:
  void SetUp() override {
    frame.show();
    frame.SetLargeReportLimit(1000);
    // Bytes of every value, the code page's upper half included (its
    // printable part only: a terminal shows the rest as dots), and text
    // lines with CR LF breaks for the text format.
    std::string bytes;
    for (int i = 0; bytes.size() < 6000; ++i)
      bytes += "Caf\xE9 \x80 line " + std::to_string(i) + "\r\n" + static_cast<char>(0xA0 + i % 0x60);
    scratch.Write("data.bin", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6000));
  }
  // Answers the question with "Write to a File..." and the file dialog
  // with the path; a message after it is recorded in `after`.
  static void WriteToFile(const std::string& path, test::ShownMessage* after = nullptr) {
    test::ClickInNextBox(QStringLiteral("Write to a File..."), [=] {
      test::AnswerNextModal([=](QWidget* modal) {
        if (after) test::AnswerNextModal({}, after);
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
      });
    });
  }

  const std::string data = scratch.File("data.bin");
};

TEST_F(LargeReportTest, AboveTheLimitTheUserChoosesWindowCancelOrAFile) {
  test::ClickInNextBox(QStringLiteral("Cancel"));
  Run(frame, data, Everything(DumpType::DosDebug));
  EXPECT_TRUE(Doc()->Text().IsEmpty());
  EXPECT_FALSE(Runner()->IsRunning());
  test::ClickInNextBox(QStringLiteral("Dump into the Window"));
  Run(frame, data, Everything(DumpType::DosDebug));
  EXPECT_EQ(Doc()->Text().LineCount(), 6000 / 16 + 1);  // each line opens with its break
  // Below the limit nothing is asked (a question would block the run).
  frame.SetLargeReportLimit(1000000);
  Run(frame, data, Everything(DumpType::DosDebug));
  EXPECT_EQ(Doc()->Text().LineCount(), 2 * (6000 / 16) + 1);
  Doc()->NewDocument();
  frame.SetLargeReportLimit(1000);

  // "Write to a File..." streams the bytes Save and the command line write.
  for (const auto& [type, name] : {std::pair{DumpType::DosDebug, "debug"}, std::pair{DumpType::AsciiText, "text"}}) {
    const std::string streamed = scratch.File(std::string("streamed-") + name + ".txt");
    WriteToFile(streamed);
    Run(frame, data, Everything(type));
    EXPECT_EQ(Runner()->LastStatus(), RunStatus::Done);
    EXPECT_TRUE(Doc()->Text().IsEmpty());  // nothing went into the window, the status bar says where it went
    EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "The report was written to " + streamed + ".");

    CMainFrame other;
    other.SetLargeReportLimit(1u << 30);
    Run(other, data, Everything(type));
    const std::string saved = scratch.File("saved.txt");
    ASSERT_TRUE(other.Document()->SaveTo(QString::fromStdString(saved), nullptr));
    const std::string bytes = test::ReadText(streamed);
    EXPECT_EQ(bytes, test::ReadText(saved));
    // The command line's UTF-8 is the same, but for the CR LF pairs of the
    // text, which the window keeps as line breaks.
    const QByteArray cli = QByteArray::fromStdString(test::RunProgram({TROVIK_DUMP_PATH, "-t", name, data}).out);
    EXPECT_EQ(bytes, QByteArray(cli).replace("\r\n", "\n").toStdString());
    EXPECT_EQ(type == DumpType::AsciiText, bytes.find("Caf\xC3\xA9 \xE2\x82\xAC line 7\n") != std::string::npos);
  }
}

TEST_F(LargeReportTest, AReportThatCannotBeWrittenWholeStopsTheRunAndLeavesTheFileAsItWas) {
  const std::string target = scratch.Write("report.txt", {'o', 'l', 'd', '\n'});
  scratch.Write("data.bin", std::vector<uint8_t>(4 << 20, 'x'));  // about 20 MiB of listing
  test::ShownMessage failure;
  WriteToFile(target, &failure);
  // Files larger than 2 MiB cannot be written meanwhile; a write past the
  // limit fails instead of killing.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const rlimit limit{2 << 20, saved.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  Run(frame, data, Everything(DumpType::DosDebug));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::FileFailed);
  EXPECT_TRUE(failure.text.startsWith(QStringLiteral("Cannot save ") + QString::fromStdString(target)) &&
              !failure.text.contains(QStringLiteral("Unknown error")))
      << failure.text.toStdString();
  EXPECT_EQ(test::ReadText(target), "old\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 2);  // no temporary file left
}

}  // namespace
}  // namespace trovik
