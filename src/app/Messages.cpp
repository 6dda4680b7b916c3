#include "app/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace trovik {

void ShowPlainMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace trovik
