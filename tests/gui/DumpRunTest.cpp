// Dump runs into the view, driven through the run's front end: where the
// report goes, its colours, the selection afterwards, questions put to the
// user on the UI thread, and stopping a run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikView.h"
#include "engine/DumpType.h"
#include "engine/Report.h"
#include "gui/AppSettings.h"
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
  // The report with red ranges marked [[like this]].
  QString Marked() {
    QString out = Text();
    const auto red = Doc()->Text().RedRanges(0, Doc()->Text().Length());
    for (auto it = red.rbegin(); it != red.rend(); ++it) {
      out.insert(it->end, QStringLiteral("]]"));
      out.insert(it->start, QStringLiteral("[["));
    }
    return out;
  }
  void RunJob(DumpRunner::Job job) {
    Runner()->StartJob(std::move(job));
    Runner()->WaitForFinished();
  }
  // A file in the test's scratch folder holding `bytes`.
  QString ScratchFile(const char* name, const QByteArray& bytes) {
    const QString path = scratch.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
  }

  CMainFrame frame;
  QTemporaryDir scratch;
};

RunStatus WriteAnnotatedLines(ReportSink& sink, RunHost& host) {
  Report report(sink, &host);
  report.Add("Boot ID: 0x12\n");
  report.AnnotateLine(true, " <-- Invalid boot ID");
  report.Add("Type: 0x07\n");
  report.AnnotateLine(false, " (correct)");
  report.Add("Size: 0\n");
  report.AppendPending();
  report.Finish();
  return RunStatus::Done;
}

TEST_F(DumpRunTest, ReportGoesInAtTheCaretWithRedAnnotationsAndTheCaretStaysBefore) {
  Doc()->InsertReport(0, u"before|after", false);
  View()->SetSelection(7, 7);
  RunJob(WriteAnnotatedLines);
  EXPECT_EQ(Marked(), QStringLiteral("before|Boot ID: 0x12[[ <-- Invalid boot ID\n]]Type: 0x07 (correct)\nSize: 0\nafter"));
  EXPECT_EQ(View()->Caret(), 7);
  EXPECT_FALSE(View()->HasSelection());
  EXPECT_FALSE(View()->IsReadOnly());
}

TEST_F(DumpRunTest, ASecondRunWithoutMovingTheCaretStandsAboveTheFirst) {
  RunJob([](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    report.AppendText("first\n");
    report.Finish();
    return RunStatus::Done;
  });
  RunJob([](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    report.AppendText("second\n");
    report.Finish();
    return RunStatus::Done;
  });
  EXPECT_EQ(Text(), QStringLiteral("second\nfirst\n"));
}

TEST_F(DumpRunTest, TheFirstTextReplacesTheSelectionWhichIsThenPutBack) {
  Doc()->InsertReport(0, u"keep REPLACED keep", false);
  View()->SetSelection(5, 13);
  RunJob(WriteAnnotatedLines);
  EXPECT_TRUE(Text().startsWith(QStringLiteral("keep Boot ID")));
  EXPECT_TRUE(Text().endsWith(QStringLiteral("Size: 0\n keep")));
  EXPECT_EQ(View()->SelectionStart(), 5);
  EXPECT_EQ(View()->SelectionEnd(), 13);
}

TEST_F(DumpRunTest, ARunThatWritesNothingLeavesTheSelectionsText) {
  Doc()->InsertReport(0, u"selected", false);
  View()->SetSelection(0, 8);
  RunJob([](ReportSink&, RunHost&) { return RunStatus::Done; });
  EXPECT_EQ(Text(), QStringLiteral("selected"));
}

TEST_F(DumpRunTest, QuestionsOfTheRunAreAskedOnTheUiThreadAfterTheTextSoFar) {
  QString shownBefore;
  test::AnswerNextModal([&](QWidget* modal) {
    shownBefore = Text();
    auto* prompt = qobject_cast<CStartOffsetDlg*>(modal);
    ASSERT_NE(prompt, nullptr);
    prompt->OffsetEdit()->setText(QStringLiteral("0x1000"));
    prompt->accept();
  });
  std::optional<uint32_t> answer;
  std::thread::id askedFrom;
  RunJob([&](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    report.AppendText("HCCA\n");
    askedFrom = std::this_thread::get_id();
    answer = host.AskStartOffset();
    report.Finish();
    return RunStatus::Done;
  });
  EXPECT_NE(askedFrom, std::this_thread::get_id());
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, 0x1000u);
  EXPECT_EQ(shownBefore, QStringLiteral("HCCA"));  // the last character is held back until the run ends
}

TEST_F(DumpRunTest, EscapeStopsARunningDumpWithTheAbortEnding) {
  // A request over a large memory file through the real run.
  std::vector<uint8_t> bytes(64 << 20, 0x41);
  auto file = std::make_unique<MemoryFile>(std::move(bytes));
  DumpRequest request;
  request.dumpType = DumpType::DosDebug;
  request.start = "0";
  request.end = "0xFFFFFFFF";
  Runner()->SetProgressDelay(0);
  Runner()->Start(std::move(file), request);
  ASSERT_TRUE(Runner()->IsRunning());
  ASSERT_TRUE(test::WaitFor([&] { return Doc()->Text().Length() > 0; }));
  QTest::keyClick(View(), Qt::Key_Escape);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Aborted);
  const QString text = Text();
  EXPECT_TRUE(text.endsWith(QStringLiteral("\nUser Abort..."))) << text.right(100).toStdString();
  EXPECT_LT(Doc()->Text().LineCount(), 4 << 20);  // stopped long before the end
  EXPECT_EQ(View()->Caret(), 0);
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

TEST_F(DumpRunTest, OnlyAnEscapePressedAfterTheRunBeganCounts) {
  // Repeats of a key that was already down when the run began are ignored.
  Runner()->StartJob(SlowJob(60));
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(View(), &repeat);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Done);
  // A new press stops it, and the view is usable while it runs.
  Runner()->StartJob(SlowJob(3000));
  ASSERT_TRUE(test::WaitFor([&] { return Doc()->Text().LineCount() > 3; }));
  EXPECT_TRUE(View()->IsReadOnly());
  EXPECT_FALSE(frame.Action(ID_FILE_OPEN)->isEnabled());
  QTest::keyClick(View(), Qt::Key_Escape);
  Runner()->WaitForFinished();
  EXPECT_EQ(Runner()->LastStatus(), RunStatus::Aborted);
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

TEST_F(DumpRunTest, FileOpenRunShowsTheRequestDialogPresetAndDumps) {
  const QString path = ScratchFile("disk.img", QByteArray(0x200, '\x55'));
  QString presetEnd;
  test::AnswerNextModal([&](QWidget* modal) {
    auto* limits = qobject_cast<CLimitsDlg*>(modal);
    ASSERT_NE(limits, nullptr);
    presetEnd = qobject_cast<QLineEdit*>(limits->Control(1001))->text();
    qobject_cast<QLineEdit*>(limits->Control(1001))->setText(QStringLiteral("0x1F"));
    QTest::mouseClick(limits->TypeButton(static_cast<int>(DumpType::DosDebug)), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QAbstractButton*>(limits->Control(1)), Qt::LeftButton);
  });
  frame.DumpFile(path);
  Runner()->WaitForFinished();
  EXPECT_EQ(presetEnd, QStringLiteral("0x000001FF"));
  EXPECT_EQ(settings::LastFilename(), path);
  EXPECT_EQ(Doc()->Text().LineCount(), 3);
  EXPECT_TRUE(Text().startsWith(QStringLiteral("\n00000000  55 55")));
}

TEST_F(DumpRunTest, OpenErrorsArePlainMessagesAndEndTheRun) {
  test::ShownMessage message;
  test::AnswerNextModal({}, &message);
  frame.DumpFile(scratch.filePath(QStringLiteral("missing.img")));
  ASSERT_TRUE(message.shown);
  EXPECT_TRUE(message.text.startsWith(QStringLiteral("Error opening file: ")));
  EXPECT_EQ(message.icon, QMessageBox::NoIcon);
  EXPECT_FALSE(Runner()->IsRunning());
  EXPECT_TRUE(Text().isEmpty());
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

TEST_F(DumpRunTest, AFileThatCanOnlyBeReadIsDumpedButNotEdited) {
  // Root may write any file, so it gets a read-only file system instead.
  test::ScratchDir readOnly;
  std::string why;
  const std::vector<uint8_t> sector = test::ReadTestFile("partition/mbr.bin");
  if (geteuid() == 0) {
    ASSERT_TRUE(readOnly.MountTmpfs(1 << 20, why)) << why;
    readOnly.Write("mbr.img", sector);
    ASSERT_TRUE(readOnly.RemountReadOnly(why)) << why;
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
  test::ShownMessage message;
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

TEST_F(DumpRunTest, TheStatusBarOffersEscapeOnlyWhileNoDialogOfTheRunIsOpen) {
  auto* pane = frame.findChild<QLabel*>(QStringLiteral("messagePane"));
  ASSERT_NE(pane, nullptr);
  QString duringRun, duringQuestion;
  test::AnswerNextModal([&](QWidget* modal) {
    duringQuestion = pane->text();
    modal->close();
  });
  RunJob([&](ReportSink&, RunHost& host) {
    QMetaObject::invokeMethod(pane, [&] { duringRun = pane->text(); }, Qt::BlockingQueuedConnection);
    host.AskStartOffset();
    return RunStatus::Done;
  });
  EXPECT_TRUE(duringRun.contains(QStringLiteral("Esc"))) << duringRun.toStdString();
  EXPECT_FALSE(duringQuestion.isEmpty());
  EXPECT_FALSE(duringQuestion.contains(QStringLiteral("Esc"))) << duringQuestion.toStdString();
  EXPECT_EQ(pane->text(), QStringLiteral("Ready"));
}

}  // namespace
}  // namespace trovik
