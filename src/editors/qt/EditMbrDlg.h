// "Edit MBR": one 16-byte partition entry. The CHS boxes hold the entry's
// stored bytes; the two "Gen" buttons fill them from the LBA boxes.
#pragma once

#include <QDialog>
#include <cstdint>

#include "gui/DialogSupport.h"

class QLineEdit;

namespace trovik {

struct MbrForm;

class CEditMbrDlg : public QDialog {
  Q_OBJECT

 public:
  CEditMbrDlg(uint8_t* entry16, int index, QWidget* parent = nullptr);

  void accept() override;

 private:
  void OnInitDialog();
  void OnGenStart();
  void OnGenEnd();
  MbrForm ReadForm() const;
  void ShowForm(const MbrForm& form);
  FormBoxes<MbrForm> Boxes() const;

  uint8_t* m_pEntry;
  int m_nIndex;
  QLineEdit* m_editEntryNum;
  QLineEdit* m_editBootId;
  QLineEdit* m_editStartHead;
  QLineEdit* m_editStartSector;
  QLineEdit* m_editStartCylinder;
  QLineEdit* m_editSystemId;
  QLineEdit* m_editEndHead;
  QLineEdit* m_editEndSector;
  QLineEdit* m_editEndCylinder;
  QLineEdit* m_editStartLba;
  QLineEdit* m_editSectorCount;
};

}  // namespace trovik
