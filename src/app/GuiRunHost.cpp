#include "app/GuiRunHost.h"

#include <QApplication>
#include <QMessageBox>

#include "editors/qt/EditorDialogs.h"
#include "gui/DialogSupport.h"
#include "request/StartOffsetDlg.h"

namespace trovik {

GuiRunHost::GuiRunHost(QWidget* dialogParent, QObject* parent) : QObject(parent), dialogParent_(dialogParent) {}

void GuiRunHost::RunAsking(const std::function<void()>& f) {
  auto onUi = [&] {
    if (asking_++ == 0) emit AskingChanged(true);
    f();
    if (--asking_ == 0) emit AskingChanged(false);
  };
  if (QThread::currentThread() == thread())
    onUi();
  else
    QMetaObject::invokeMethod(this, onUi, Qt::BlockingQueuedConnection);
}

void GuiRunHost::ShowMessage(const std::string& text) {
  OnUiThread([&] { ShowPlainMessage(dialogParent_, QString::fromStdString(text)); });
}

std::optional<uint32_t> GuiRunHost::AskStartOffset() {
  return OnUiThread([&]() -> std::optional<uint32_t> {
    CStartOffsetDlg dialog(dialogParent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.m_nOffset;
  });
}

bool GuiRunHost::Confirm(const std::string& question) {
  return OnUiThread([&] {
    return QMessageBox::question(dialogParent_, QApplication::applicationName(), QString::fromStdString(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
  });
}

bool GuiRunHost::EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset,
                               FileAccess& file) {
  return OnUiThread([&] { return trovik::EditStructure(dialogParent_, type, bytes, index, offset, file); });
}

}  // namespace trovik
