// The dump request dialog: the range, the count, byte or sector offsets,
// the flags and the dump type of one run.
#pragma once

#include <QDialog>
#include <QString>
#include <map>

#include "engine/DumpRequest.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace trovik {

class CLimitsDlg : public QDialog {
  Q_OBJECT
 public:
  // How the dialog closes besides "Dump It" (1) and "Edit" (3).
  static constexpr int kResultCancel = 2;

  explicit CLimitsDlg(QWidget* parent = nullptr);

  QString m_strStart;
  QString m_strEnd;
  int m_nCount = 1;
  bool m_bAskOffset = false;
  bool m_bIsIso = false;
  int m_nDumpType = 0;
  int m_nOffsetType = 0;
  bool m_bStartAutoFilled = false;
  bool m_bStartEdited = false;

  // The request the dialog holds (after it closed with "Dump It" or "Edit").
  DumpRequest Request() const;

  // Controls by their IDs (1000 start, 1001 end, 1005 count, 1037, 1048,
  // 1050, the dump types, 1 "Dump It", 3 "Edit", 2 "Cancel", 9 "Help").
  QWidget* Control(int id) const;
  QRadioButton* TypeButton(int dumpType) const;

  void reject() override;
  // Shows the context help of a control, as F1 or the "?" mode does.
  void ShowContextHelp(QWidget* control);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnInitDialog();
  // Transfers between members and controls; with save, validates Count
  // and returns false (after saying why) when it is not in range.
  bool UpdateData(bool save, bool validate = true);
  void OnDumpTypeClicked(QAbstractButton* button);
  void OnChangeStart();
  void OnToggleOffset();
  void OnClose(int result);
  void OnHelp();
  void ShowOffsetMode();
  void SetStartText(const QString& text);
  void BuildDumpTypes(QVBoxLayout* into);

  QLineEdit* start_;
  QLineEdit* end_;
  QLineEdit* count_;
  QCheckBox* askOffset_;
  QCheckBox* isIso_;
  QPushButton* offsetButton_;
  QPushButton* dumpIt_;
  QPushButton* edit_;
  QPushButton* cancel_;
  QPushButton* help_;
  QButtonGroup* types_;
  std::map<int, QWidget*> controls_;
  bool initialized_ = false;
};

}  // namespace trovik
