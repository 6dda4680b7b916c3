// A DOS Debug dump of a 16 MiB range (about a million report lines) into
// the real main window, then a jump to the end of the report, as a person
// would do it. Runs offscreen unless a platform is named. Reports the wall
// time, the peak memory of the process and the longest time the window did
// not answer (the largest gap between ticks of a 5 ms UI timer).
//
//   gui_bench [--benchmark_...]
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/TrovikApp.h"
#include "app/TrovikView.h"
#include "engine/DumpType.h"
#include "engine/FileAccess.h"

namespace {

double PeakMemoryMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_DosDebugDumpIntoWindow(benchmark::State& state) {
  const qsizetype rangeBytes = state.range(0) << 20;
  QTemporaryFile data;
  data.open();
  QByteArray bytes(rangeBytes, Qt::Uninitialized);
  QRandomGenerator rng(42);
  rng.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
  data.write(bytes);
  data.flush();
  bytes = QByteArray();

  for (auto _ : state) {
    trovik::CMainFrame frame;
    frame.resize(1000, 700);
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame)) state.SkipWithError("the window was not shown");
    trovik::CTrovikView* view = frame.View();

    // The window's answer time: the longest gap between timer ticks.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      longestGap = std::max(longestGap, sinceTick.restart());
    });

    trovik::DumpRequest request;
    request.dumpType = trovik::DumpType::DosDebug;
    request.start = "0";
    request.end = "0xFFFFFFFF";
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start();
    frame.StartRun(trovik::PosixFile::Open(data.fileName().toStdString(), trovik::OpenMode::ReadOnly), request);
    frame.Runner()->WaitForFinished();
    const qint64 dumped = clock.elapsed();
    // To the end of the report, and paint it.
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    view->viewport()->repaint();
    QCoreApplication::processEvents();
    ticker.stop();
    const qint64 total = clock.elapsed();

    state.SetIterationTime(static_cast<double>(total) / 1000.0);
    state.counters["dump_ms"] = static_cast<double>(dumped);
    state.counters["total_ms"] = static_cast<double>(total);
    state.counters["lines"] = static_cast<double>(frame.Document()->Text().LineCount());
    state.counters["longest_stall_ms"] = static_cast<double>(longestGap);
    state.counters["at_end"] = view->verticalScrollBar()->value() == view->verticalScrollBar()->maximum() ? 1 : 0;
    frame.Document()->SetModified(false);
  }
  state.counters["peak_MiB"] = PeakMemoryMiB();
}

BENCHMARK(BM_DosDebugDumpIntoWindow)->Arg(16)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  trovik::SetApplicationNames();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
