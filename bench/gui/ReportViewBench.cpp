// Memory and time of large dumps in the real main window, offscreen:
//   view64    a 64 MiB DOS Debug dump into the window
//   view512   a 512 MiB DOS Debug dump into the window (the size question
//             is answered "Dump into the Window")
//   stream4g  a 4 GiB sparse file's DOS Debug report written to a file
//             through the size question's "Write to a File..."
// Each case runs in a process of its own, so each peak is its own. Prints,
// per case, the peak resident memory, the wall time of the dump, and for
// the window cases the memory after File > New; for the stream the size of
// the report written.
//
//   gui_bench [--case NAME] [--dir FOLDER] [--stream-gib N]
//     FOLDER   where the data files and the streamed report go (default /var/tmp);
//              they are removed afterwards
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QAbstractButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/Memory.h"
#include "app/TrovikApp.h"
#include "app/TrovikDoc.h"
#include "app/TrovikView.h"
#include "engine/DumpType.h"
#include "engine/FileAccess.h"

namespace {

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double MiB(uint64_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

// Random bytes written a mebibyte at a time (never held whole).
bool MakeRandomFile(const QString& path, qint64 mebibytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray chunk(1 << 20, Qt::Uninitialized);
  QRandomGenerator rng(42);
  for (qint64 i = 0; i < mebibytes; ++i) {
    rng.fillRange(reinterpret_cast<quint32*>(chunk.data()), chunk.size() / 4);
    if (file.write(chunk) != chunk.size()) return false;
  }
  return true;
}

// Answers every modal window as a person would: the size question with
// `choice`, the file dialog with `outputPath`, "Save changes?" with No.
void AnswerModals(const QString& choice, const QString& outputPath) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [choice, outputPath] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      for (QAbstractButton* button : box->buttons()) {
        if (button->text() == choice || box->buttonRole(button) == QMessageBox::NoRole) {
          button->click();
          return;
        }
      }
    } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
      // Typed into the name box, as a person would.
      if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(outputPath);
      static_cast<QDialog*>(files)->accept();
    }
  });
  timer->start(20);
}

trovik::DumpRequest DosDebugOfEverything() {
  trovik::DumpRequest request;
  request.dumpType = trovik::DumpType::DosDebug;
  request.start = "0";
  request.end = "0xFFFFFFFF";
  return request;
}

int RunIntoWindow(const QString& folder, qint64 mebibytes) {
  const QString data = folder + QStringLiteral("/trovik-bench-%1m.bin").arg(mebibytes);
  if (!MakeRandomFile(data, mebibytes)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(data));
    return 1;
  }
  trovik::CMainFrame frame;
  frame.resize(1000, 700);
  frame.show();
  if (!QTest::qWaitForWindowExposed(&frame)) return 1;
  AnswerModals(QStringLiteral("Dump into the Window"), QString());

  QElapsedTimer clock;
  clock.start();
  frame.StartRun(trovik::PosixFile::Open(data.toStdString(), trovik::OpenMode::ReadOnly), DosDebugOfEverything());
  frame.Runner()->WaitForFinished();
  // To the end of the report, and paint it, as a person would look.
  QTest::keyClick(frame.View(), Qt::Key_End, Qt::ControlModifier);
  frame.View()->viewport()->repaint();
  QCoreApplication::processEvents();
  const double seconds = clock.elapsed() / 1000.0;
  const qsizetype lines = frame.Document()->Text().LineCount();
  const double peak = PeakMiB();
  frame.Action(trovik::ID_FILE_NEW)->trigger();
  const double afterNew = MiB(trovik::ResidentMemoryBytes());
  QFile::remove(data);
  std::printf("%-9s %6lld MiB  peak %7.0f MiB  %7.1f s  %10lld lines  after New %5.0f MiB\n",
              mebibytes == 64 ? "view64" : "view512", static_cast<long long>(mebibytes), peak, seconds,
              static_cast<long long>(lines), afterNew);
  return 0;
}

int RunStream(const QString& folder, qint64 gibibytes) {
  const QString data = folder + QStringLiteral("/trovik-bench-sparse.bin");
  const QString output = folder + QStringLiteral("/trovik-bench-report.txt");
  {
    QFile sparse(data);
    if (!sparse.open(QIODevice::WriteOnly) || !sparse.resize(gibibytes << 30)) {
      std::fprintf(stderr, "cannot make %s\n", qPrintable(data));
      return 1;
    }
  }
  trovik::CMainFrame frame;
  frame.resize(1000, 700);
  frame.show();
  if (!QTest::qWaitForWindowExposed(&frame)) return 1;
  AnswerModals(QStringLiteral("Write to a File..."), output);

  QElapsedTimer clock;
  clock.start();
  frame.StartRun(trovik::PosixFile::Open(data.toStdString(), trovik::OpenMode::ReadOnly), DosDebugOfEverything());
  frame.Runner()->WaitForFinished();
  const double seconds = clock.elapsed() / 1000.0;
  const qint64 written = QFileInfo(output).size();
  const bool ok = frame.Runner()->LastStatus() == trovik::RunStatus::Done && frame.Document()->Text().IsEmpty();
  QFile::remove(output);
  QFile::remove(data);
  std::printf("%-9s %6lld GiB  peak %7.0f MiB  %7.1f s  report %.2f GB written%s\n", "stream4g",
              static_cast<long long>(gibibytes), PeakMiB(), seconds, written / 1e9, ok ? "" : "  (FAILED)");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QString only, folder = QStringLiteral("/var/tmp");
  qint64 streamGib = 4;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--case")) only = QString::fromLocal8Bit(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--dir")) folder = QString::fromLocal8Bit(argv[i + 1]);
    else if (!std::strcmp(argv[i], "--stream-gib")) streamGib = std::atoll(argv[i + 1]);
  }
  if (only.isEmpty()) {
    // Every case in a fresh process of its own.
    int failures = 0;
    for (const char* name : {"view64", "view512", "stream4g"}) {
      std::fflush(stdout);
      const pid_t child = fork();
      if (child == 0) {
        std::string dir = folder.toStdString(), gib = std::to_string(streamGib);
        execl("/proc/self/exe", argv[0], "--case", name, "--dir", dir.c_str(), "--stream-gib", gib.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
      }
      int status = 0;
      waitpid(child, &status, 0);
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("%-9s failed (status %d)\n", name, status);
        ++failures;
      }
    }
    return failures ? 1 : 0;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  trovik::SetApplicationNames();
  if (only == QLatin1String("view64")) return RunIntoWindow(folder, 64);
  if (only == QLatin1String("view512")) return RunIntoWindow(folder, 512);
  if (only == QLatin1String("stream4g")) return RunStream(folder, streamGib);
  std::fprintf(stderr, "unknown case\n");
  return 2;
}
