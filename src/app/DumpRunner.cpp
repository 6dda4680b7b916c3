#include "app/DumpRunner.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/TextCodec.h"
#include "app/TrovikView.h"
#include "engine/CodePage.h"
#include "catalog/Catalog.h"

namespace trovik {

namespace {

// Characters per batch, and how many may wait for the UI thread before the
// worker pauses: keeps memory flat however fast the decoder writes.
constexpr qsizetype kBatchChars = 512 * 1024;
constexpr qsizetype kMaxQueuedChars = 8 * 1024 * 1024;
// Longest time the UI thread inserts text before it answers input again.
constexpr qint64 kSliceMilliseconds = 15;
// Report text a run into a file collects before it writes.
constexpr size_t kFileChunk = 1 << 20;

// A sink that hands on what it holds before the run asks the user something.
class FlushingSink : public ReportSink {
 public:
  virtual void Flush() = 0;
};

// The worker's sink: converts the report's text and collects it in batches.
class BatchingSink : public FlushingSink {
 public:
  explicit BatchingSink(DumpRunner& runner) : runner_(runner) {}

  void Write(std::string_view text, bool red) override {
    const auto before = static_cast<qsizetype>(batch_.text.size());
    lineBreaks_.Append(text, batch_.text);
    if (red) AddRange(batch_.red, {before, static_cast<qsizetype>(batch_.text.size())});
    if (static_cast<qsizetype>(batch_.text.size()) >= kBatchChars) Flush();
  }

  void EraseBeforeInsertion() override {
    if (batch_.text.empty()) {
      ++batch_.erase;
      return;
    }
    batch_.text.pop_back();
    const auto size = static_cast<qsizetype>(batch_.text.size());
    RemoveRange(batch_.red, {size, size + 1});
  }

  void Flush() override {
    if (batch_.text.empty() && batch_.erase == 0) return;
    runner_.Push(std::move(batch_));
    batch_ = ReportBatch{};
  }

 private:
  DumpRunner& runner_;
  ReportLineBreaks lineBreaks_;
  ReportBatch batch_;
};

// The worker's sink of a run into a file: the text the view would hold,
// as UTF-8, written as it comes. A failed write stops the run.
class FileSink : public FlushingSink {
 public:
  FileSink(QSaveFile& file, GuiRunHost& host, std::atomic<bool>& failed, std::atomic<qint64>& lines, QString& error)
      : file_(file), host_(host), failed_(failed), lines_(lines), error_(error) {}

  void Write(std::string_view text, bool) override {
    lineBreaks_.Append(text, clean_);
    if (clean_.size() >= kFileChunk) Flush();
  }

  // A report of its own has no earlier text to take a character from.
  void EraseBeforeInsertion() override {
    if (!clean_.empty()) clean_.pop_back();
  }

  void Flush() override {
    if (clean_.empty()) return;
    lines_ += std::count(clean_.begin(), clean_.end(), '\n');
    utf8_.clear();
    AppendCp1252TextAsUtf8(utf8_, clean_);
    clean_.clear();
    if (failed_) return;
    const auto size = static_cast<qint64>(utf8_.size());
    errno = 0;
    if (file_.write(utf8_.data(), size) != size) {
      // The system's cause says more than the device's ("Unknown error").
      const int cause = errno;
      error_ = cause ? QString::fromLocal8Bit(std::strerror(cause)) : file_.errorString();
      failed_ = true;
      host_.RequestAbort();
    }
  }

 private:
  QSaveFile& file_;
  GuiRunHost& host_;
  std::atomic<bool>& failed_;
  std::atomic<qint64>& lines_;
  QString& error_;
  ReportLineBreaks lineBreaks_;
  std::string clean_;
  std::string utf8_;
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
  queuedChars_ += static_cast<qsizetype>(batch.text.size());
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

bool DumpRunner::StartToFile(std::unique_ptr<FileAccess> file, const DumpRequest& request, const QString& outputPath,
                             QString* error) {
  if (thread_) return false;
  auto output = std::make_unique<QSaveFile>(outputPath);
  // Unbuffered: the sink writes large pieces, and a failed write (a full
  // disk) must be seen at once, with its cause.
  if (!output->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (error) *error = output->errorString();
    return false;
  }
  output_ = std::move(output);
  outputPath_ = outputPath;
  Start(std::move(file), request);
  return true;
}

void DumpRunner::StartJob(Job job, std::unique_ptr<FileAccess> file) {
  if (thread_) return;
  file_ = std::move(file);
  status_ = RunStatus::Done;
  writtenTo_.clear();
  outputError_.clear();
  outputFailed_ = false;
  linesWritten_ = 0;
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

  std::shared_ptr<FlushingSink> sink;
  if (output_)
    sink = std::make_shared<FileSink>(*output_, host_, outputFailed_, linesWritten_, outputError_);
  else
    sink = std::make_shared<BatchingSink>(*this);
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
  if (output_) {
    // No batches come back to count: the label follows the worker's count.
    progressTicker_ = new QTimer(this);
    connect(progressTicker_, &QTimer::timeout, this, &DumpRunner::UpdateProgress);
    progressTicker_->start(250);
  }
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
  UpdateProgress();
  CentreProgress();
  progress_->show();
  // Once shown, the window frame is known; the event filter keeps it
  // centred whenever the growing label resizes it.
  CentreProgress();
}

void DumpRunner::UpdateProgress() {
  if (!progress_) return;
  const qint64 lines =
      output_ ? linesWritten_.load() : view_->Document()->Text().LineCount() - linesAtStart_;
  progress_->setLabelText(tr("Writing the report... %L1 lines").arg(lines));
}

void DumpRunner::CentreProgress() {
  // Window managers place a new window where they like (often at the top
  // left, over the menu bar): put it over the middle of the main window,
  // with its title bar on the screen.
  QWidget* over = dialogParent_ ? dialogParent_->window() : nullptr;
  if (!progress_ || !over) return;
  const QRect frame = progress_->frameGeometry();
  const QSize size = frame.size().expandedTo(progress_->sizeHint());
  QPoint topLeft = over->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
  if (const QScreen* screen = over->screen()) {
    const QRect area = screen->availableGeometry();
    topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
    topLeft.setY(std::clamp(topLeft.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
  }
  if (frame.topLeft() != topLeft) progress_->move(topLeft);
}

void DumpRunner::Apply(ReportBatch& batch) {
  CTrovikDoc* doc = view_->Document();
  if (!wroteAny_) {
    // The first text of a run takes the place of the selection.
    wroteAny_ = true;
    doc->RemoveReport(savedStart_, savedEnd_ - savedStart_);
  }
  for (int i = 0; i < batch.erase && insertPos_ > 0; ++i) doc->RemoveReport(--insertPos_, 1);
  if (batch.text.empty()) return;
  doc->InsertReportBytes(insertPos_, batch.text, batch.red);
  insertPos_ += static_cast<qsizetype>(batch.text.size());
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
      queuedChars_ -= static_cast<qsizetype>(batch.text.size());
    }
    roomInQueue_.notify_all();
    Apply(batch);
    if (slice.elapsed() >= kSliceMilliseconds) break;
  }
  if (follow) view_->ScrollToPosition(view_->Caret());
  UpdateProgress();
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
  for (QTimer** timer : {&progressTimer_, &progressTicker_}) {
    if (*timer) (*timer)->deleteLater();
    *timer = nullptr;
  }
  if (progress_) progress_->deleteLater();
  view_->SetReadOnly(false);
  view_->SetSelection(savedStart_, savedEnd_);
  if (output_) {
    // A report that could not be written whole leaves the file as it was.
    if (outputFailed_ || !output_->commit()) {
      if (outputError_.isEmpty()) outputError_ = output_->errorString();
      output_->cancelWriting();
      QMessageBox::warning(dialogParent_, QApplication::applicationName(),
                           tr("Cannot save %1:\n%2").arg(outputPath_, outputError_));
      if (status_ != RunStatus::FileFailed) status_ = RunStatus::FileFailed;
    } else {
      writtenTo_ = outputPath_;
    }
    output_.reset();
  }
  emit Finished(status_);
}

bool DumpRunner::eventFilter(QObject* watched, QEvent* event) {
  // Escape stops the run when it is pressed in the main window or the
  // progress window after the run began; a key held since before the run
  // (its repeats) and Escape in another dialog of the run do not count.
  if (watched == progress_ && event->type() == QEvent::Resize) CentreProgress();
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
