#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include "support/Scratch.h"
#include <QKeySequence>
#include <QPointer>
#include <QRadioButton>
#include <QTest>

#include "engine/CodePage.h"
#include "request/LimitsDlg.h"
#include "support/Golden.h"

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
    answer ? answer(modal) : !box ? (void)modal->close() : box->defaultButton() ? box->defaultButton()->click() : box->accept();
  });
  timer->start();
  return timer;
}

void AnswerRequest(DumpType type, int button, std::function<void(CLimitsDlg*)> adjust,
                   std::function<void(QWidget*)> next) {
  AnswerNextModal([=](QWidget* modal) {
    auto* limits = qobject_cast<CLimitsDlg*>(modal);
    if (!limits) modal->close();
    ASSERT_NE(limits, nullptr) << modal->metaObject()->className();
    limits->TypeButton(static_cast<int>(type))->click();
    if (adjust) adjust(limits);
    if (next) AnswerNextModal(next);
    qobject_cast<QAbstractButton*>(limits->Control(button))->click();
  });
}

void ClickIn(QWidget* modal, const QString& button) {
  if (auto* box = qobject_cast<QMessageBox*>(modal))
    for (QAbstractButton* b : box->buttons())
      if (b->text() == button) return b->click();
  ADD_FAILURE() << "no button " << button.toStdString() << " in a " << modal->metaObject()->className();
  modal->close();
}

void ClickInNextBox(const QString& button, std::function<void()> before) {
  AnswerNextModal([button, before](QWidget* modal) {
    if (before) before();
    ClickIn(modal, button);
  });
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

QString Boxes(QWidget* dialog) {
  QString out;
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    auto* box = qobject_cast<QLineEdit*>(w);
    auto* button = qobject_cast<QAbstractButton*>(w);
    if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")) || !(box || button)) continue;
    out += w->objectName() + ": ";
    if (box) out += "[" + box->text() + "]" + (box->isReadOnly() ? " read-only" : "");
    if (box && box->hasSelectedText()) out += " selected [" + box->selectedText() + "]";
    if (button) out += button->isCheckable() ? (button->isChecked() ? "on" : "off") : "button [" + button->text() + "]";
    out += QString(w->isEnabled() ? "" : " disabled") + (w->isVisibleTo(dialog) ? "" : " hidden") + "\n";
  }
  return out;
}

void PlayTranscript(QWidget* dialog, std::string_view name, std::span<const uint8_t> bytes) {
  const std::vector<uint8_t> original(bytes.begin(), bytes.end());
  const std::string transcript = ReadText(std::string(TROVIK_GOLDEN_DIR "/").append(name) + ".txt");
  QString out;
  for (const QString& line : QString::fromStdString(transcript).split(QLatin1Char('\n'))) {
    if (!line.startsWith(QLatin1String("> "))) continue;
    out += line + '\n';
    const QString action = line.section(' ', 1, 1), arg = line.section(' ', 3);
    QWidget* target = dialog->findChild<QWidget*>(line.section(' ', 2, 2));
    auto* button = qobject_cast<QAbstractButton*>(target);
    if (action == "set" && qobject_cast<QLineEdit*>(target))
      qobject_cast<QLineEdit*>(target)->setText(arg);
    else if ((action == "type" || action == "retype") && qobject_cast<QLineEdit*>(target)) {
      if (action == "retype") qobject_cast<QLineEdit*>(target)->selectAll();
      QTest::keyClicks(target, arg);
    } else if ((action == "key" && target) || (action == "click" && button)) {
      if (action == "key") target->setFocus();
      const QString message =
          MessageOf([&] { action == "key" ? QTest::keyClick(target, QKeySequence(arg)[0].key()) : button->click(); });
      if (!message.isEmpty()) out += "message: " + message + '\n';
    } else if (action == "check" && button)
      button->setChecked(arg == "on");
    else if (action == "show")
      out += Boxes(dialog);
    else if (action == "result")
      out += QStringLiteral("visible %1, result %2\n").arg(dialog->isVisible()).arg(qobject_cast<QDialog*>(dialog)->result());
    else if (action == "changes") {
      for (size_t i = 0; i < original.size(); ++i)
        if (bytes[i] != original[i]) out += QString::asprintf("%04X: %02X -> %02X\n", unsigned(i), original[i], bytes[i]);
    } else
      ADD_FAILURE() << "cannot do " << line.toStdString();
  }
  ExpectListing(out, name);
}

std::string ToCp1252(const QString& text) {
  std::string out;
  for (QChar c : text) out += static_cast<char>(UnicodeToCp1252(c.unicode()));
  return out;
}

void ExpectListing(const QString& text, std::string_view name) { ExpectReport(ToCp1252(text), name); }

QString Marked(const QString& text, const std::vector<TextRange>& ranges, bool plainBreaks) {
  std::vector<bool> red(static_cast<size_t>(text.size()), false);
  for (const TextRange& r : ranges) std::fill(red.begin() + r.start, red.begin() + r.end, true);
  QString out;
  bool inRed = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const bool r = red[static_cast<size_t>(i)] && !(plainBreaks && text[i] == QLatin1Char('\n'));
    if (r != inRed) out += r ? QStringLiteral("[[") : QStringLiteral("]]");
    out += text[i], inRed = r;
  }
  return inRed ? out + QStringLiteral("]]") : out;
}

}  // namespace trovik::test
