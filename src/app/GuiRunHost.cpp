#include "app/GuiRunHost.h"

#include <QApplication>
#include <QMessageBox>

#include "editors/qt/DialogSupport.h"
#include "editors/qt/EditorDialogs.h"
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

bool GuiRunHost::EditBpb(uint8_t* bpb) {
  return OnUiThread([&] { return trovik::EditBpb(dialogParent_, bpb); });
}

bool GuiRunHost::EditMbrEntry(uint8_t* entry, int index) {
  return OnUiThread([&] { return trovik::EditMbrEntry(dialogParent_, entry, index); });
}

bool GuiRunHost::EditGptHeader(uint8_t* header, uint32_t start, FileAccess& file) {
  return OnUiThread([&] { return trovik::EditGptHeader(dialogParent_, header, start, file); });
}

bool GuiRunHost::EditGptEntry(uint8_t* entry, int index) {
  return OnUiThread([&] { return trovik::EditGptEntry(dialogParent_, entry, index); });
}

}  // namespace trovik
