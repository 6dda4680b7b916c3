// Large reports: the question before a run whose report would be large, the
// report streamed to a file (the bytes Save and trovik-dump write), a file
// that cannot be written whole, and the progress window's place.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QProgressDialog>
#include <csignal>
#include <filesystem>
#include <thread>

#include "GuiTestSupport.h"
#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikDoc.h"
#include "engine/DumpType.h"
#include "engine/Report.h"
#include "support/Program.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

// Bytes of every value, the code page's upper half included, and text
// lines with CR LF breaks for the text format.
std::vector<uint8_t> SampleBytes(size_t size) {
  std::string bytes;
  for (int i = 0; bytes.size() < size; ++i) {
    bytes += "Caf\xE9 \x80 line " + std::to_string(i) + "\r\n";
    // The printable upper half only: the command line shows control bytes
    // (and the five the code page leaves unassigned) as dots on a terminal.
    bytes += static_cast<char>(0xA0 + i % 0x60);
  }
  return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
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
void TypeFileName(QWidget* modal, const std::string& path) {
  auto* dialog = qobject_cast<QFileDialog*>(modal);
  ASSERT_NE(dialog, nullptr);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(QString::fromStdString(path));
  static_cast<QDialog*>(dialog)->accept();
}

class LargeReportTest : public testing::Test {
 protected:
  void SetUp() override {
    frame.show();
    frame.SetLargeReportLimit(1000);
    scratch.Write("data.bin", SampleBytes(6000));
  }
  void Run(CMainFrame& into, DumpType type) {
    DumpRequest request;
    request.dumpType = type;
    request.start = "0";
    request.end = "0xFFFFFFFF";
    into.StartRun(PosixFile::Open(data, OpenMode::ReadOnly), request);
    into.Runner()->WaitForFinished();
  }

  CMainFrame frame;
  test::ScratchDir scratch;
  const std::string data = scratch.File("data.bin");
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
  for (const auto& [type, name] : {std::pair{DumpType::DosDebug, "debug"}, std::pair{DumpType::AsciiText, "text"}}) {
    const std::string streamed = scratch.File(std::string("streamed-") + name + ".txt");
    ClickNext(QStringLiteral("Write to a File..."),
              [&] { test::AnswerNextModal([&](QWidget* modal) { TypeFileName(modal, streamed); }); });
    Run(frame, type);
    EXPECT_EQ(frame.Runner()->LastStatus(), RunStatus::Done);
    EXPECT_TRUE(frame.Document()->Text().IsEmpty());  // nothing went into the window

    CMainFrame other;
    other.SetLargeReportLimit(1u << 30);
    Run(other, type);
    const std::string saved = scratch.File("saved.txt");
    ASSERT_TRUE(other.Document()->SaveTo(QString::fromStdString(saved), nullptr));
    const std::string bytes = test::ReadText(streamed);
    EXPECT_GT(bytes.size(), 5000u);
    EXPECT_EQ(bytes, test::ReadText(saved));

    // The command line's UTF-8 is the same, but for the CR LF pairs of the
    // text, which the window keeps as line breaks.
    const QByteArray cli = QByteArray::fromStdString(test::RunProgram({TROVIK_DUMP_PATH, "-t", name, data}).out);
    EXPECT_EQ(bytes, QByteArray(cli).replace("\r\n", "\n").toStdString());
    EXPECT_EQ(type == DumpType::AsciiText, bytes.find("Caf\xC3\xA9 \xE2\x82\xAC line 7\n") != std::string::npos);
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
  const std::string target = scratch.Write("report.txt", {'o', 'l', 'd', '\n'});
  scratch.Write("data.bin", std::vector<uint8_t>(4 << 20, 'x'));  // about 20 MiB of listing
  test::ShownMessage failure;
  ClickNext(QStringLiteral("Write to a File..."), [&] {
    test::AnswerNextModal([&](QWidget* modal) {
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
  EXPECT_TRUE(failure.text.startsWith(QStringLiteral("Cannot save ") + QString::fromStdString(target)))
      << failure.text.toStdString();
  EXPECT_FALSE(failure.text.contains(QStringLiteral("Unknown error"))) << failure.text.toStdString();
  EXPECT_EQ(test::ReadText(target), "old\n");
  const auto files = std::distance(std::filesystem::directory_iterator(scratch.Path()), {});
  EXPECT_EQ(files, 2);  // no temporary file left behind
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
    return progress ? (progress->frameGeometry().center() - frame.frameGeometry().center()).manhattanLength() : 9999;
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
