// "Edit BPB": every field of a FAT12/16 BIOS parameter block in a box. OK
// stores the boxes into the caller's 62-byte block; Cancel leaves it alone.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "gui/DialogSupport.h"

class QLineEdit;
class QRadioButton;

namespace trovik {

struct BpbForm;

class CEditBpbDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CEditBpbDlg(uint8_t* bpb62, QWidget* parent = nullptr);

  void accept() override;

 private:
  void OnInitDialog();
  void OnGenerate();
  // The number boxes; the jump bytes, the two texts and the FAT type
  // buttons are filled and read on their own.
  FormBoxes<BpbForm> Boxes() const;

  uint8_t* m_pBpb;
  std::array<QLineEdit*, 3> m_editJump{};
  QLineEdit* m_editOemName;
  QLineEdit* m_editBytesPerSector;
  QLineEdit* m_editSectorsPerCluster;
  QLineEdit* m_editSectorsReserved;
  QLineEdit* m_editFatCount;
  QLineEdit* m_editRootEntries;
  QLineEdit* m_editTotalSectors;
  QLineEdit* m_editDescriptor;
  QLineEdit* m_editSectorsPerFat;
  QLineEdit* m_editSectorsPerTrack;
  QLineEdit* m_editHeads;
  QLineEdit* m_editHiddenSectors;
  QLineEdit* m_editSectorsExtended;
  QLineEdit* m_editDriveNum;
  QLineEdit* m_editReserved;
  QLineEdit* m_editSignature;
  QLineEdit* m_editSerial;
  QLineEdit* m_editLabel;
  QRadioButton* m_radioFat12;
  QRadioButton* m_radioFat16;
};

}  // namespace trovik
