#include "app/GuiRunHost.h"

#include "editors/qt/DialogSupport.h"
#include "editors/qt/EditorDialogs.h"
#include "request/StartOffsetDlg.h"

namespace trovik {

GuiRunHost::GuiRunHost(QWidget* dialogParent, QObject* parent) : QObject(parent), dialogParent_(dialogParent) {}

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
