// "Edit GPT Header" (recalculates the entry-array CRC and the header CRC
// from the file) and "Edit GPT Entry" (LBAs, three attribute bits and the
// name of one partition entry).
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;
class QLineEdit;

namespace trovik {

class FileAccess;

class CEditGptHeaderDlg : public QDialog {
  Q_OBJECT

 public:
  CEditGptHeaderDlg(uint8_t* header512, uint32_t start, FileAccess& file, QWidget* parent = nullptr);

  void accept() override;

 private:
  void OnInitDialog();
  void OnRecalculate();

  uint8_t* m_pHeader;
  // The recalculation works on this copy; OK hands it to the caller, so
  // Cancel leaves the caller's block exactly as it was.
  std::array<uint8_t, 512> m_header{};
  uint32_t m_nStart;
  FileAccess& m_file;
  QLineEdit* m_editEntryCount;
  QLineEdit* m_editOriginalCrc;
  QLineEdit* m_editNewCrc;
};

class CEditGptEntryDlg : public QDialog {
  Q_OBJECT

 public:
  CEditGptEntryDlg(uint8_t* entry128, int index, QWidget* parent = nullptr);

  void accept() override;

 private:
  void OnInitDialog();

  uint8_t* m_pEntry;
  int m_nIndex;
  QLineEdit* m_editEntryNum;
  QLineEdit* m_editStartLba;
  QLineEdit* m_editEndLba;
  QCheckBox* m_checkRequired;
  QCheckBox* m_checkHidden;
  QCheckBox* m_checkLegacy;
  QLineEdit* m_editName;
};

}  // namespace trovik
