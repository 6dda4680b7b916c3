// Large reports: the question before a run whose report would be large, the
// report streamed to a file (the bytes Save and trovik-dump write), a file
// that cannot be written whole, and the progress window's place.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>
#include <QTemporaryDir>
#include <csignal>
#include <thread>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikDoc.h"
#include "app/TrovikView.h"
#include "engine/DumpType.h"
#include "engine/Report.h"

namespace trovik {
namespace {

// Bytes of every value, the code page's upper half included, and text
// lines with CR LF breaks for the text format.
QByteArray SampleBytes(int size) {
  QByteArray bytes;
  for (int i = 0; bytes.size() < size; ++i) {
    bytes += "Caf\xE9 \x80 line " + QByteArray::number(i) + "\r\n";
    // The printable upper half only: the command line shows control bytes
    // (and the five the code page leaves unassigned) as dots on a terminal.
    bytes += static_cast<char>(0xA0 + i % 0x60);
  }
  return bytes.left(size);
}

DumpRequest Request(DumpType type) {
  DumpRequest request;
  request.dumpType = type;
  request.start = "0";
  request.end = "0xFFFFFFFF";
  return request;
}

// Clicks the button with this text in the next message box.
void ClickNext(const QString& button, std::function<void()> before = {}) {
  test::AnswerNextModal([button, before](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    if (before) before();
    for (QAbstractButton* b : box->buttons())
      if (b->text() == button) b->click();
  });
}

// Types the path into the file dialog's name box and accepts it.
void TypeFileName(QWidget* modal, const QString& path) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  ASSERT_NE(dialog, nullptr);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(path);
  static_cast<QDialog*>(dialog)->accept();
}

void ChooseFile(const QString& path) {
  test::AnswerNextModal([path](QWidget* modal) { TypeFileName(modal, path); });
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class LargeReportTest : public testing::Test {
 protected:
  void SetUp() override {
    frame.show();
    frame.SetLargeReportLimit(1000);
    data = scratch.filePath(QStringLiteral("data.bin"));
    QFile file(data);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SampleBytes(6000));
  }
  void Run(CMainFrame& into, DumpType type) {
    into.StartRun(PosixFile::Open(data.toStdString(), OpenMode::ReadOnly), Request(type));
    into.Runner()->WaitForFinished();
  }

  CMainFrame frame;
  QTemporaryDir scratch;
  QString data;
};

TEST_F(LargeReportTest, AboveTheLimitTheUserChoosesWindowOrCancel) {
  ClickNext(QStringLiteral("Cancel"));
  Run(frame, DumpType::DosDebug);
  EXPECT_TRUE(frame.Document()->Text().IsEmpty());
  EXPECT_FALSE(frame.Runner()->IsRunning());

  ClickNext(QStringLiteral("Dump into the Window"));
  Run(frame, DumpType::DosDebug);
  EXPECT_EQ(frame.Document()->Text().LineCount(), 6000 / 16 + 1);  // each line opens with its break

  // Below the limit nothing is asked (a question would block the run).
  frame.SetLargeReportLimit(1000000);
  Run(frame, DumpType::DosDebug);
  EXPECT_EQ(frame.Document()->Text().LineCount(), 2 * (6000 / 16) + 1);
}

TEST_F(LargeReportTest, StreamedReportHasTheBytesSaveAndTheCommandLineWrite) {
  for (DumpType type : {DumpType::DosDebug, DumpType::AsciiText}) {
    const QString streamed = scratch.filePath(QStringLiteral("streamed-%1.txt").arg(static_cast<int>(type)));
    ClickNext(QStringLiteral("Write to a File..."), [&] { ChooseFile(streamed); });
    Run(frame, type);
    EXPECT_EQ(frame.Runner()->LastStatus(), RunStatus::Done);
    EXPECT_TRUE(frame.Document()->Text().IsEmpty());  // nothing went into the window

    CMainFrame other;
    other.SetLargeReportLimit(1u << 30);
    Run(other, type);
    const QString saved = scratch.filePath(QStringLiteral("saved.txt"));
    ASSERT_TRUE(other.Document()->SaveTo(saved, nullptr));
    const QByteArray bytes = ReadAll(streamed);
    EXPECT_GT(bytes.size(), 5000);
    EXPECT_EQ(bytes, ReadAll(saved));

    // The command line's UTF-8 is the same, but for the CR LF pairs of the
    // text, which the window keeps as line breaks.
    QProcess dump;
    dump.start(QStringLiteral(TROVIK_DUMP_PATH),
               {QStringLiteral("-t"), type == DumpType::DosDebug ? QStringLiteral("debug") : QStringLiteral("text"), data});
    ASSERT_TRUE(dump.waitForFinished(20000));
    EXPECT_EQ(bytes, dump.readAllStandardOutput().replace("\r\n", "\n"));
    if (type == DumpType::AsciiText) {
      EXPECT_TRUE(bytes.contains("Caf\xC3\xA9 \xE2\x82\xAC line 7\n"));
    }
  }
}

// Files larger than this cannot be written while it is in force.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

TEST_F(LargeReportTest, AReportThatCannotBeWrittenWholeStopsTheRunAndLeavesTheFileAsItWas) {
  const QString target = scratch.filePath(QStringLiteral("report.txt"));
  QFile old(target);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("the old report\n");
  old.close();
  QFile big(data);
  ASSERT_TRUE(big.open(QIODevice::WriteOnly));
  big.write(QByteArray(4 << 20, 'x'));  // about 20 MiB of listing
  big.close();

  test::ShownMessage failure;
  ClickNext(QStringLiteral("Write to a File..."), [&] {
    test::AnswerNextModal(
        [&](QWidget* modal) {
          test::AnswerNextModal({}, &failure);
          TypeFileName(modal, target);
        });
  });
  {
    FileSizeLimit limit(2 << 20);
    Run(frame, DumpType::DosDebug);
  }
  EXPECT_EQ(frame.Runner()->LastStatus(), RunStatus::FileFailed);
  ASSERT_TRUE(failure.shown);
  EXPECT_TRUE(failure.text.startsWith(QStringLiteral("Cannot save ") + target)) << failure.text.toStdString();
  EXPECT_FALSE(failure.text.contains(QStringLiteral("Unknown error"))) << failure.text.toStdString();
  EXPECT_EQ(ReadAll(target), QByteArray("the old report\n"));
  EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files).size(), 2);  // no temporary file left behind
}

TEST_F(LargeReportTest, ProgressWindowIsCentredOnTheMainWindow) {
  frame.setGeometry(260, 180, 820, 600);
  frame.Runner()->SetProgressDelay(0);
  frame.Runner()->StartJob([](ReportSink& sink, RunHost& host) {
    Report report(sink, &host);
    for (int i = 0; !host.AbortRequested(); ++i) {
      report.AppendText("line\n");
      if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    report.Finish();
    return RunStatus::Done;
  });
  QPointer<QProgressDialog> progress;
  ASSERT_TRUE(test::WaitFor([&] {
    progress = frame.findChild<QProgressDialog*>();
    return progress && progress->isVisible();
  }));
  auto offCentre = [&] {
    if (!progress) return 9999;
    return (progress->frameGeometry().center() - frame.frameGeometry().center()).manhattanLength();
  };
  EXPECT_LE(offCentre(), 2);
  const QSize first = progress->size();
  // Still centred once its label has grown with the line count.
  ASSERT_TRUE(test::WaitFor([&] { return frame.Document()->Text().LineCount() > 10000; }));
  QCoreApplication::processEvents();
  EXPECT_NE(progress->size(), first);
  EXPECT_LE(offCentre(), 2);
  frame.Runner()->RequestAbort();
  frame.Runner()->WaitForFinished();
}

}  // namespace
}  // namespace trovik
