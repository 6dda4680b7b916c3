#include "editors/qt/EditorDialogs.h"

#include "editors/qt/EditBpbDlg.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "editors/qt/LbaChsDlg.h"

namespace trovik {

bool EditBpb(QWidget* parent, uint8_t* bpb62) {
  CEditBpbDlg dialog(bpb62, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditMbrEntry(QWidget* parent, uint8_t* entry16, int index) {
  CEditMbrDlg dialog(entry16, index, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditGptHeader(QWidget* parent, uint8_t* header512, uint32_t start, FileAccess& file) {
  CEditGptHeaderDlg dialog(header512, start, file, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditGptEntry(QWidget* parent, uint8_t* entry128, int index) {
  CEditGptEntryDlg dialog(entry128, index, parent);
  return dialog.exec() == QDialog::Accepted;
}

void ShowLbaChs(QWidget* parent) {
  CLbaChsDlg dialog(parent);
  dialog.exec();
}

}  // namespace trovik
