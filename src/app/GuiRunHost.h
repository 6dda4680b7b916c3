// The desktop application's answers to what a dump run asks of its front
// end. The run decodes on a worker thread; every question that needs a
// person is put to the user on the UI thread while the worker waits, after
// the report written so far has been shown.
#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>

#include "engine/RunHost.h"

namespace trovik {

class GuiRunHost : public QObject, public RunHost {
  Q_OBJECT
 public:
  explicit GuiRunHost(QWidget* dialogParent, QObject* parent = nullptr);

  bool AbortRequested() override { return abort_.load(std::memory_order_relaxed); }
  void ShowMessage(const std::string& text) override;
  std::optional<uint32_t> AskStartOffset() override;
  bool Confirm(const std::string& question) override;
  // The type's editor dialog, opened through OnUiThread with DialogParent()
  // as the parent.
  bool EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset, FileAccess& file) override;

  void RequestAbort() { abort_.store(true, std::memory_order_relaxed); }
  void ResetAbort() { abort_.store(false, std::memory_order_relaxed); }
  // Called on the worker thread before each question, so the report shown
  // is up to date when the dialog opens.
  void SetBeforeQuestion(std::function<void()> beforeQuestion) { beforeQuestion_ = std::move(beforeQuestion); }

  QWidget* DialogParent() const { return dialogParent_; }
  bool IsAsking() const { return asking_ > 0; }

  // Runs f on the UI thread and returns its result; from the UI thread
  // itself f runs at once. AskingChanged brackets it.
  template <typename F>
  auto OnUiThread(F f) -> decltype(f()) {
    if (beforeQuestion_ && QThread::currentThread() != thread()) beforeQuestion_();
    using Result = decltype(f());
    if constexpr (std::is_void_v<Result>) {
      RunAsking([&] { f(); });
    } else {
      Result result{};
      RunAsking([&] { result = f(); });
      return result;
    }
  }

 signals:
  // A dialog of the run opened (true) or the last one closed (false).
  void AskingChanged(bool asking);

 private:
  void RunAsking(const std::function<void()>& f);

  int asking_ = 0;
  QPointer<QWidget> dialogParent_;
  std::atomic<bool> abort_{false};
  std::function<void()> beforeQuestion_;
};

}  // namespace trovik
