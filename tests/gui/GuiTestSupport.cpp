#include "GuiTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace trovik::test {

void AnswerNextModal(std::function<void(QWidget*)> answer, ShownMessage* message) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer, message] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    if (auto* box = qobject_cast<QMessageBox*>(modal); box && message) {
      message->text = box->text();
      message->icon = box->icon();
      message->shown = true;
    }
    if (answer) {
      answer(modal);
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      box->defaultButton() ? box->defaultButton()->click() : box->accept();
    } else {
      modal->close();
    }
  });
  timer->start();
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(5);
  }
  return true;
}

}  // namespace trovik::test
