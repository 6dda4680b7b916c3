#include "app/DumpRunner.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include "app/TextCodec.h"
#include "app/TrovikView.h"
#include "catalog/Catalog.h"

namespace trovik {

namespace {

// Characters per batch, and how many may wait for the UI thread before the
// worker pauses: keeps memory flat however fast the decoder writes.
constexpr qsizetype kBatchChars = 512 * 1024;
constexpr qsizetype kMaxQueuedChars = 8 * 1024 * 1024;
// Longest time the UI thread inserts text before it answers input again.
constexpr qint64 kSliceMilliseconds = 15;

// The worker's sink: converts the report's text and collects it in batches.
class BatchingSink : public ReportSink {
 public:
  explicit BatchingSink(DumpRunner& runner) : runner_(runner) {}

  void Write(std::string_view text, bool red) override {
    const qsizetype before = batch_.text.size();
    decoder_.Append(text, batch_.text);
    if (red) AddRange(batch_.red, {before, batch_.text.size()});
    if (batch_.text.size() >= kBatchChars) Flush();
  }

  void EraseBeforeInsertion() override {
    if (batch_.text.isEmpty()) {
      ++batch_.erase;
      return;
    }
    batch_.text.chop(1);
    RemoveRange(batch_.red, {batch_.text.size(), batch_.text.size() + 1});
  }

  void Flush() {
    if (batch_.text.isEmpty() && batch_.erase == 0) return;
    runner_.Push(std::move(batch_));
    batch_ = ReportBatch{};
  }

 private:
  DumpRunner& runner_;
  ReportTextDecoder decoder_;
  ReportBatch batch_;
};

}  // namespace

DumpRunner::DumpRunner(CTrovikView* view, QWidget* dialogParent, QObject* parent)
    : QObject(parent), view_(view), dialogParent_(dialogParent), host_(dialogParent) {}

DumpRunner::~DumpRunner() {
  if (thread_) {
    host_.RequestAbort();
    roomInQueue_.notify_all();
    WaitForFinished();
  }
}

void DumpRunner::Push(ReportBatch batch) {
  std::unique_lock lock(mutex_);
  roomInQueue_.wait(lock, [&] { return queuedChars_ < kMaxQueuedChars || host_.AbortRequested(); });
  queuedChars_ += batch.text.size();
  queue_.push_back(std::move(batch));
  if (!drainPosted_) {
    drainPosted_ = true;
    QMetaObject::invokeMethod(this, &DumpRunner::Drain, Qt::QueuedConnection);
  }
}

void DumpRunner::Start(std::unique_ptr<FileAccess> file, const DumpRequest& request) {
  FileAccess* filePtr = file.get();
  StartJob([filePtr, request](ReportSink& sink, RunHost& host) { return RunDump(request, *filePtr, sink, host); },
           std::move(file));
}

void DumpRunner::StartJob(Job job, std::unique_ptr<FileAccess> file) {
  if (thread_) return;
  file_ = std::move(file);
  status_ = RunStatus::Done;
  host_.ResetAbort();
  escapeDown_ = false;
  wroteAny_ = false;
  workerDone_ = false;
  linesAtStart_ = view_->Document()->Text().LineCount();
  // The report goes in at the selection, which is put back when the run ends.
  savedStart_ = view_->SelectionStart();
  savedEnd_ = view_->SelectionEnd();
  insertPos_ = savedStart_;
  view_->SetReadOnly(true);
  clock_.start();
  qApp->installEventFilter(this);

  auto sink = std::make_shared<BatchingSink>(*this);
  host_.SetBeforeQuestion([sink] { sink->Flush(); });
  thread_ = QThread::create([this, sink, job = std::move(job)] {
    status_ = job(*sink, host_);
    sink->Flush();
  });
  connect(thread_, &QThread::finished, this, &DumpRunner::OnThreadFinished, Qt::QueuedConnection);
  progressTimer_ = new QTimer(this);
  progressTimer_->setSingleShot(true);
  connect(progressTimer_, &QTimer::timeout, this, &DumpRunner::ShowProgress);
  progressTimer_->start(progressDelay_);
  emit Started();
  thread_->start();
}

void DumpRunner::RequestAbort() {
  if (!thread_) return;
  host_.RequestAbort();
  roomInQueue_.notify_all();
}

void DumpRunner::WaitForFinished() {
  if (!thread_) return;
  QEventLoop loop;
  connect(this, &DumpRunner::Finished, &loop, &QEventLoop::quit);
  loop.exec();
}

void DumpRunner::ShowProgress() {
  if (!thread_ || progress_) return;
  progress_ = new QProgressDialog(tr("Writing the report..."), tr("Cancel"), 0, 0, dialogParent_);
  progress_->setWindowTitle(QApplication::applicationName());
  progress_->setWindowModality(Qt::NonModal);
  progress_->setMinimumDuration(0);
  progress_->setAutoClose(false);
  progress_->setAutoReset(false);
  connect(progress_, &QProgressDialog::canceled, this, &DumpRunner::RequestAbort);
  progress_->show();
}

void DumpRunner::Apply(ReportBatch& batch) {
  CTrovikDoc* doc = view_->Document();
  if (!wroteAny_) {
    // The first text of a run takes the place of the selection.
    wroteAny_ = true;
    doc->RemoveReport(savedStart_, savedEnd_ - savedStart_);
  }
  for (int i = 0; i < batch.erase && insertPos_ > 0; ++i) doc->RemoveReport(--insertPos_, 1);
  if (batch.text.isEmpty()) return;
  doc->InsertReportRich(insertPos_, batch.text, batch.red);
  insertPos_ += batch.text.size();
}

void DumpRunner::Drain() {
  // Inserts batches for a few milliseconds at a time, so the window goes
  // on answering however fast the decoder writes.
  QElapsedTimer slice;
  slice.start();
  // The view follows the report while its caret stays at the insertion
  // point and on screen; once the user scrolls away it stays where it is.
  const bool follow = view_->Caret() == insertPos_ && !view_->HasSelection() && view_->IsPositionVisible(insertPos_);
  bool more = true;
  while (more) {
    ReportBatch batch;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) {
        drainPosted_ = false;
        more = false;
        break;
      }
      batch = std::move(queue_.front());
      queue_.pop_front();
      queuedChars_ -= batch.text.size();
    }
    roomInQueue_.notify_all();
    Apply(batch);
    if (slice.elapsed() >= kSliceMilliseconds) break;
  }
  if (follow) view_->ScrollToPosition(view_->Caret());
  if (progress_)
    progress_->setLabelText(
        tr("Writing the report... %L1 lines").arg(view_->Document()->Text().LineCount() - linesAtStart_));
  if (more)
    QMetaObject::invokeMethod(this, &DumpRunner::Drain, Qt::QueuedConnection);
  else if (workerDone_)
    FinishRun();
}

void DumpRunner::OnThreadFinished() {
  workerDone_ = true;
  bool pending;
  {
    std::lock_guard lock(mutex_);
    pending = drainPosted_;
  }
  // What is still queued goes in first; the last Drain then ends the run.
  if (!pending) FinishRun();
}

void DumpRunner::FinishRun() {
  if (!thread_) return;
  thread_->deleteLater();
  thread_ = nullptr;
  file_.reset();
  host_.SetBeforeQuestion({});
  qApp->removeEventFilter(this);
  if (progressTimer_) {
    progressTimer_->deleteLater();
    progressTimer_ = nullptr;
  }
  if (progress_) progress_->deleteLater();
  view_->SetReadOnly(false);
  view_->SetSelection(savedStart_, savedEnd_);
  emit Finished(status_);
}

bool DumpRunner::eventFilter(QObject* watched, QEvent* event) {
  // Escape stops the run when it is pressed in the main window or the
  // progress window after the run began; a key held since before the run
  // (its repeats) and Escape in another dialog of the run do not count.
  if (thread_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || modal == progress_) {
        if (!key->isAutoRepeat()) escapeDown_ = true;
        if (escapeDown_) {
          RequestAbort();
          return true;
        }
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace trovik
