// Support for the dialog tests: finding a dialog's boxes, answering the
// modal windows a click opens, and the test images.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace trovik::test {

inline QLineEdit* Box(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(QLatin1String(name)); }
inline QString Text(QWidget* dialog, const char* name) {
  QLineEdit* box = Box(dialog, name);
  return box ? box->text() : QStringLiteral("<no box %1>").arg(QLatin1String(name));
}
inline void Click(QWidget* dialog, const char* button) {
  dialog->findChild<QPushButton*>(QLatin1String(button))->click();
}

// Calls answer with the next modal window that opens (a message box or a
// dialog); the window stays open unless answer closes it. Delete the
// returned watcher when the window may not have opened.
inline QTimer* WhenModalOpens(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  QWidget* const before = QApplication::activeModalWidget();
  QObject::connect(timer, &QTimer::timeout, [timer, answer, before] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == before) return;
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start(5);
  return timer;
}

// Runs action, answering the message box it opens with OK; returns the
// box's text, or "" when none opened.
inline QString MessageOf(const std::function<void()>& action) {
  QString text;
  bool seen = false;
  QPointer<QTimer> watcher = WhenModalOpens([&](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      text = box->text();
      seen = true;
      box->accept();
    }
  });
  action();
  delete watcher.data();
  return seen ? text : QString();
}

std::vector<uint8_t> ReadTestFile(const std::string& name);

}  // namespace trovik::test
