#include "app/GuiRunHost.h"

#include "editors/qt/EditorDialogs.h"
#include "gui/DialogSupport.h"
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

bool GuiRunHost::EditStructure(DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset,
                               FileAccess& file) {
  return OnUiThread([&] { return trovik::EditStructure(dialogParent_, type, bytes, index, offset, file); });
}

}  // namespace trovik
