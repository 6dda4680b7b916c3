// Dump runs into the view, driven through the run's front end: where the
// report goes, its colours, the selection afterwards, questions put to the
// user on the UI thread, and stopping a run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "GuiTestSupport.h"
#include "gui/AppSettings.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikView.h"
#include "engine/DumpType.h"
#include "engine/Report.h"
#include "request/LimitsDlg.h"
#include "request/StartOffsetDlg.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

class DumpRunTest : public testing::Test {
 protected:
  void SetUp() override { frame.show(); }
  CTrovikDoc* Doc() { return frame.Document(); }
  CTrovikView* View() { return frame.View(); }
  DumpRunner* Runner() { return frame.Runner(); }
  QString Text() { return Doc()->Text().ToPlainText(); }
  void RunJob(DumpRunner::Job job) {
    Runner()->StartJob(std::move(job));
    Runner()->WaitForFinished();
  }

  CMainFrame frame;
  test::ScratchDir scratch;
};

RunStatus WriteAnnotatedLines(ReportSink& sink, RunHost& host) {
  Report report(sink, &host);
  report.Add("Boot ID: 0x12\n");
  report.Flag(" <-- Invalid boot ID");
  report.Add("Type: 0x07\n");
  report.Note(" (correct)");
  report.Add("Size: 0\n");
  report.AppendPending();
  report.Finish();
  return RunStatus::Done;
}

DumpRunner::Job Writes(std::string text) {
  return [text](ReportSink& sink, RunHost& host) {
    if (text.empty()) return RunStatus::Done;
    Report report(sink, &host);
    report.AppendText(text);
    report.Finish();
    return RunStatus::Done;
  };
}

TEST_F(DumpRunTest, ReportGoesInAtTheCaretWithItsRedAndTheCaretOrSelectionIsPutBack) {
  Doc()->InsertReport(0, u"before|after", false);
  View()->SetSelection(7, 7);
  RunJob(WriteAnnotatedLines);
  EXPECT_EQ(test::Marked(Doc()->Text()),
            QStringLiteral("before|Boot ID: 0x12[[ <-- Invalid boot ID\n]]Type: 0x07 (correct)\nSize: 0\nafter"));
  EXPECT_EQ(View()->Caret(), 7);
  EXPECT_FALSE(View()->HasSelection());
  EXPECT_FALSE(View()->IsReadOnly());
  RunJob(Writes("second\n"));  // the caret was not moved: the new run stands above
  EXPECT_TRUE(Text().startsWith(QStringLiteral("before|second\nBoot ID"))) << Text().toStdString();

  Doc()->NewDocument();
  Doc()->InsertReport(0, u"keep REPLACED keep", false);
  View()->SetSelection(5, 13);
  RunJob(WriteAnnotatedLines);  // the first text replaces the selection
  EXPECT_TRUE(Text().startsWith(QStringLiteral("keep Boot ID")));
  EXPECT_TRUE(Text().endsWith(QStringLiteral("Size: 0\n keep")));
  EXPECT_EQ(View()->SelectionStart(), 5);
  EXPECT_EQ(View()->SelectionEnd(), 13);
  const QString before = Text();
  RunJob(Writes(""));  // a run that writes nothing leaves the selection's text
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
  RunJob([&](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    report.AppendText("HCCA\n");
    QMetaObject::invokeMethod(pane, [&] { duringRun = pane->text(); }, Qt::BlockingQueuedConnection);
    askedFrom = std::this_thread::get_id();
    answer = host.AskStartOffset();
    report.Finish();
    return RunStatus::Done;
  });
  EXPECT_NE(askedFrom, std::this_thread::get_id());
  EXPECT_EQ(answer, std::optional<uint32_t>(0x1000u));
  EXPECT_EQ(shownBefore, QStringLiteral("HCCA"));  // the last character is held back until the run ends
  EXPECT_TRUE(duringRun.contains(QStringLiteral("Esc"))) << duringRun.toStdString();
  EXPECT_FALSE(duringQuestion.isEmpty());
  EXPECT_FALSE(duringQuestion.contains(QStringLiteral("Esc"))) << duringQuestion.toStdString();
  EXPECT_EQ(pane->text(), QStringLiteral("Ready"));
}

// A job that writes slowly until it is stopped or has written `lines` lines.
DumpRunner::Job SlowJob(int lines) {
  return [lines](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    for (int i = 0; i < lines; ++i) {
      if (host.AbortRequested()) {
        report.AppendText(kAbortText);
        report.Finish();
        return RunStatus::Aborted;
      }
      report.AppendText("line\n");
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    report.Finish();
    return RunStatus::Done;
  };
}

TEST_F(DumpRunTest, OnlyAnEscapePressedAfterTheRunBeganStopsItWithTheAbortEnding) {
  // Repeats of a key that was already down when the run began are ignored.
  Runner()->StartJob(SlowJob(60));
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(View(), &repeat);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Done);
  Doc()->NewDocument();
  // A new press stops a real run over a large file; the view can be read meanwhile.
  DumpRequest request;
  request.dumpType = DumpType::DosDebug;
  request.start = "0";
  request.end = "0xFFFFFFFF";
  Runner()->SetProgressDelay(0);
  Runner()->Start(std::make_unique<MemoryFile>(std::vector<uint8_t>(64 << 20, 0x41)), request);
  ASSERT_TRUE(test::WaitFor([&] { return Doc()->Text().LineCount() > 3; }));
  EXPECT_TRUE(View()->IsReadOnly());
  EXPECT_FALSE(frame.Action(ID_FILE_OPEN)->isEnabled());
  QTest::keyClick(View(), Qt::Key_Escape);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Aborted);
  EXPECT_TRUE(Text().endsWith(QStringLiteral("\nUser Abort..."))) << Text().right(100).toStdString();
  EXPECT_LT(Doc()->Text().LineCount(), 4 << 20);  // stopped long before the end
  EXPECT_EQ(View()->Caret(), 0);
  EXPECT_TRUE(frame.Action(ID_FILE_OPEN)->isEnabled());
}

TEST_F(DumpRunTest, CancelInTheProgressWindowStopsTheRun) {
  Runner()->SetProgressDelay(0);
  Runner()->StartJob(SlowJob(3000));
  QProgressDialog* progress = nullptr;
  ASSERT_TRUE(test::WaitFor([&] {
    progress = frame.findChild<QProgressDialog*>();
    return progress && progress->isVisible();
  }));
  QPushButton* cancel = progress->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Aborted);
  EXPECT_TRUE(Text().endsWith(QStringLiteral("\nUser Abort...")));
}

// Presses a button of the request dialog (1 "Dump It", 3 "Edit") for a type.
void AnswerRequest(DumpType type, int button, std::function<void(CLimitsDlg*)> then = {}) {
  test::AnswerNextModal([=](QWidget* modal) {
    auto* limits = qobject_cast<CLimitsDlg*>(modal);
    if (!limits) modal->close();
    ASSERT_NE(limits, nullptr) << modal->metaObject()->className();
    limits->TypeButton(static_cast<int>(type))->click();
    if (then) then(limits);
    qobject_cast<QAbstractButton*>(limits->Control(button))->click();
  });
}

TEST_F(DumpRunTest, FileOpenRunShowsTheRequestDialogPresetDumpsAndKeepsTheName) {
  const QString path = QString::fromStdString(scratch.Write("disk.img", std::vector<uint8_t>(0x200, 0x55)));
  QString presetEnd;
  AnswerRequest(DumpType::DosDebug, 1, [&](CLimitsDlg* limits) {
    presetEnd = qobject_cast<QLineEdit*>(limits->Control(1001))->text();
    qobject_cast<QLineEdit*>(limits->Control(1001))->setText(QStringLiteral("0x1F"));
  });
  frame.DumpFile(path);
  Runner()->WaitForFinished();
  EXPECT_EQ(presetEnd, QStringLiteral("0x000001FF"));
  EXPECT_EQ(QSettings(QStringLiteral("Velmarra"), QStringLiteral("trovik")).value("Settings/last_filename").toString(), path);
  EXPECT_EQ(Text(), QStringLiteral("\n00000000  55 55 55 55 55 55 55 55-55 55 55 55 55 55 55 55     UUUUUUUUUUUUUUUU"
                                   "\n00000010  55 55 55 55 55 55 55 55-55 55 55 55 55 55 55 55     UUUUUUUUUUUUUUUU"));
}

TEST_F(DumpRunTest, OpenErrorsArePlainMessagesAndAFileThatCanOnlyBeReadIsDumpedButNotEdited) {
  test::ShownMessage message;
  test::AnswerNextModal({}, &message);
  frame.DumpFile(QString::fromStdString(scratch.File("missing.img")));
  ASSERT_TRUE(message.shown);
  EXPECT_TRUE(message.text.startsWith(QStringLiteral("Error opening file: ")));
  EXPECT_EQ(message.icon, QMessageBox::NoIcon);
  EXPECT_FALSE(Runner()->IsRunning());

  // Root may write any file, so it gets a read-only file system instead.
  test::ScratchDir readOnly;
  const std::vector<uint8_t> sector = test::ReadTestFile("partition/mbr.bin");
  if (geteuid() == 0) {
    readOnly.MountTmpfs(1 << 20);
    readOnly.Write("mbr.img", sector);
    readOnly.RemountReadOnly();
  } else {
    readOnly.Write("mbr.img", sector);
    ASSERT_EQ(::chmod(readOnly.File("mbr.img").c_str(), 0444), 0);
  }
  const QString path = QString::fromStdString(readOnly.File("mbr.img"));
  AnswerRequest(DumpType::Mbr, 1);
  frame.DumpFile(path);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Done);
  EXPECT_TRUE(Text().startsWith(QStringLiteral("Boot:  Master Boot Record (0x000001BE)"))) << Text().toStdString();

  Doc()->NewDocument();
  message = {};
  AnswerRequest(DumpType::Mbr, 3, [&](CLimitsDlg* limits) {
    qobject_cast<QLineEdit*>(limits->Control(1005))->setText("1");
    test::AnswerNextModal({}, &message);
  });
  frame.DumpFile(path);
  ASSERT_TRUE(test::WaitFor([&] { return message.shown; }));
  EXPECT_EQ(message.text, QStringLiteral("Error opening file: Access Denied"));
  EXPECT_FALSE(Runner()->IsRunning());
  EXPECT_TRUE(Text().isEmpty());
  EXPECT_EQ(test::ReadFile(readOnly.File("mbr.img")), sector);
}

}  // namespace
}  // namespace trovik
