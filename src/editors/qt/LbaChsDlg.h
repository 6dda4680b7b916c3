// "LBA to CHS": converts an LBA to cylinder/head/sector and back for 63
// sectors per track and 16 heads, showing the results in binary and as the
// three CHS bytes of a partition entry. Works on no file; closed with the
// close box or Escape.
#pragma once

#include <QDialog>

#include "gui/DialogSupport.h"

class QLineEdit;

namespace trovik {

struct LbaChsBoxes;

class CLbaChsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CLbaChsDlg(QWidget* parent = nullptr);

 private:
  void OnLba2Chs();
  void OnChs2Lba();
  void OnLbaEdited();
  void OnChsEdited();
  LbaChsBoxes ReadBoxes() const;
  void ShowBoxes(const LbaChsBoxes& boxes);
  FormBoxes<LbaChsBoxes> Boxes() const;

  QLineEdit* m_editLba;
  QLineEdit* m_editCylinder;
  QLineEdit* m_editHead;
  QLineEdit* m_editSector;
  QLineEdit* m_editBinCylinder;
  QLineEdit* m_editBinHead;
  QLineEdit* m_editBinSector;
  QLineEdit* m_editEntryCylinder;
  QLineEdit* m_editEntryHead;
  QLineEdit* m_editEntrySector;
};

}  // namespace trovik
