// Help > About trovik.
#pragma once

#include <QDialog>

namespace trovik {

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace trovik
