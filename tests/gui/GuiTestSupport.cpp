#include "GuiTestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTest>

namespace trovik::test {

QTimer* AnswerNextModal(std::function<void(QWidget*)> answer, ShownMessage* message) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, answer, message] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box && message) *message = {box->text(), box->icon(), true};
    if (answer)
      answer(modal);
    else if (box)
      box->defaultButton() ? box->defaultButton()->click() : box->accept();
    else
      modal->close();
  });
  timer->start();
  return timer;
}

QString MessageOf(const std::function<void()>& action) {
  ShownMessage message;
  QPointer<QTimer> watcher = AnswerNextModal({}, &message);
  action();
  delete watcher.data();
  return message.text;
}

bool WaitFor(const std::function<bool()>& condition, int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(5);
  }
  return true;
}

QString Marked(const QString& text, const std::vector<TextRange>& ranges, bool plainBreaks) {
  std::vector<bool> red(static_cast<size_t>(text.size()), false);
  for (const TextRange& r : ranges) std::fill(red.begin() + r.start, red.begin() + r.end, true);
  QString out;
  bool inRed = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const bool r = red[static_cast<size_t>(i)] && !(plainBreaks && text[i] == QLatin1Char('\n'));
    if (r != inRed) out += r ? QStringLiteral("[[") : QStringLiteral("]]");
    inRed = r;
    out += text[i];
  }
  return inRed ? out + QStringLiteral("]]") : out;
}

}  // namespace trovik::test
