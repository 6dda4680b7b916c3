// The Find and Replace window of the report (modeless, one for both).
#pragma once

#include <QDialog>

#include "app/ReportText.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace trovik {

class FindReplaceDlg : public QDialog {
  Q_OBJECT
 public:
  explicit FindReplaceDlg(QWidget* parent = nullptr);

  // Find shows the direction; Replace shows the replacement and its buttons.
  void SetReplaceMode(bool replace);
  void SetFindText(const QString& text);
  QString FindText() const;
  QString ReplaceText() const;
  ReportText::FindOptions Options() const;

 signals:
  void FindNext();
  void Replace();
  void ReplaceAll();

 private:
  void UpdateButtons();

  QLineEdit* find_;
  QLineEdit* replace_;
  QLabel* replaceLabel_;
  QCheckBox* wholeWord_;
  QCheckBox* matchCase_;
  QWidget* direction_;
  QRadioButton* up_;
  QRadioButton* down_;
  QPushButton* findNext_;
  QPushButton* replaceButton_;
  QPushButton* replaceAll_;
};

}  // namespace trovik
