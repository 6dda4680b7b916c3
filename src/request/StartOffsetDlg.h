// The start offset prompt: the address the OHCI listings print in place of
// the file offset.
#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;

namespace trovik {

class CStartOffsetDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CStartOffsetDlg(QWidget* parent = nullptr);
  uint32_t m_nOffset = 0;

  void accept() override;
  QLineEdit* OffsetEdit() const { return edit_; }

 private:
  QLineEdit* edit_;
};

}  // namespace trovik
