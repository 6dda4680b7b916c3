// Runs one dump request into the report view without freezing the window:
// the decoders run on a worker thread and hand their text to the UI thread
// in batches, which are inserted at the view's insertion point. The window
// keeps answering; after half a second a progress window with Cancel
// appears, centred on the main window, and Escape or Cancel stops the run
// with the abort ending. A report too large for the window can instead be
// streamed to a file by the worker, never held in memory.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/GuiRunHost.h"
#include "app/ReportText.h"
#include "engine/DumpRun.h"
#include "engine/FileAccess.h"

class QProgressDialog;
class QSaveFile;
class QThread;
class QTimer;

namespace trovik {

class CTrovikView;

// Report text on its way from the worker to the view.
struct ReportBatch {
  int erase = 0;     // characters to remove before the insertion point first
  std::string text;  // code page 1252, '\n' line breaks
  std::vector<TextRange> red;
};

class DumpRunner : public QObject {
  Q_OBJECT
 public:
  DumpRunner(CTrovikView* view, QWidget* dialogParent, QObject* parent = nullptr);
  ~DumpRunner() override;

  bool IsRunning() const { return thread_ != nullptr; }
  // Starts the run and returns at once; Finished follows. The file is
  // closed when the run ends.
  void Start(std::unique_ptr<FileAccess> file, const DumpRequest& request);
  // Writes the report to the file at outputPath instead of the view, as
  // UTF-8 (the bytes Save would write after a run into an empty window).
  // Returns false, with the cause, when that file cannot be created; a
  // failed write ends the run and the file is left as it was.
  bool StartToFile(std::unique_ptr<FileAccess> file, const DumpRequest& request, const QString& outputPath,
                   QString* error);
  bool WritesToFile() const { return output_ != nullptr; }
  // Runs any job that writes a report the way a run does (the seam the
  // tests use to write red annotations through the same path).
  using Job = std::function<RunStatus(ReportSink& sink, RunHost& host)>;
  void StartJob(Job job, std::unique_ptr<FileAccess> file = nullptr);
  void RequestAbort();
  // Waits (running the event loop) until the run has ended.
  // Where the last run's report was written whole (StartToFile), or empty
  // when it went into the window or could not be written.
  const QString& WrittenTo() const { return writtenTo_; }
  void WaitForFinished();
  RunStatus LastStatus() const { return status_; }
  // Why the last run's report file could not be written (empty when it was).
  QString LastOutputError() const { return outputError_; }
  GuiRunHost& Host() { return host_; }
  // Delay before the progress window appears (tests and the bench shorten or lengthen it).
  void SetProgressDelay(int milliseconds) { progressDelay_ = milliseconds; }

  // Worker side: queues a batch, waiting while too much text is queued.
  void Push(ReportBatch batch);

 signals:
  void Started();
  void Finished(RunStatus status);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Drain();
  void Apply(ReportBatch& batch);
  void OnThreadFinished();
  void FinishRun();
  void ShowProgress();
  void UpdateProgress();
  void CentreProgress();

  CTrovikView* view_;
  QPointer<QWidget> dialogParent_;
  GuiRunHost host_;
  std::unique_ptr<FileAccess> file_;
  QThread* thread_ = nullptr;
  RunStatus status_ = RunStatus::Done;

  std::mutex mutex_;
  std::condition_variable roomInQueue_;
  std::deque<ReportBatch> queue_;
  qsizetype queuedChars_ = 0;
  bool drainPosted_ = false;

  // A run into a file: the file, and the worker's count of lines written.
  std::unique_ptr<QSaveFile> output_;
  QString outputPath_;
  QString writtenTo_;
  QString outputError_;
  std::atomic<bool> outputFailed_{false};
  std::atomic<qint64> linesWritten_{0};

  // UI side of the run.
  qsizetype insertPos_ = 0;
  qsizetype savedStart_ = 0;
  qsizetype savedEnd_ = 0;
  bool wroteAny_ = false;
  bool escapeDown_ = false;
  qsizetype linesAtStart_ = 0;
  bool workerDone_ = false;
  int progressDelay_ = 500;
  QElapsedTimer clock_;
  QTimer* progressTimer_ = nullptr;
  QTimer* progressTicker_ = nullptr;
  QPointer<QProgressDialog> progress_;
};

}  // namespace trovik
