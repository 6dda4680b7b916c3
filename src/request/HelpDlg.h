// The help text window of the dump request dialog.
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace trovik {

class CHelpDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CHelpDlg(QWidget* parent = nullptr);
  QString m_strText;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPlainTextEdit* text_;
};

}  // namespace trovik
