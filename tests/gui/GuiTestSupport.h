// Helpers of the GUI and dialog tests: answering modal windows, waiting,
// a dialog's boxes and buttons by name, a report with its red marked.
#pragma once

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/ReportText.h"

namespace trovik::test {

// What a message box showed.
struct ShownMessage {
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool shown = false;
};

// Acts on the next modal window that opens (from inside its event loop):
// calls `answer` with it. Message boxes are recorded in `message` first
// and closed with their default button when `answer` is empty. Gives the
// watcher, which deletes itself once it has answered.
QTimer* AnswerNextModal(std::function<void(QWidget*)> answer, ShownMessage* message = nullptr);

// Runs `action`, closing the message box it opens; gives the box's text
// ("" when none opened).
QString MessageOf(const std::function<void()>& action);

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

inline QLineEdit* Box(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(QLatin1String(name)); }
inline QString Text(QWidget* dialog, const char* name) {
  QLineEdit* box = Box(dialog, name);
  return box ? box->text() : QStringLiteral("<no box %1>").arg(QLatin1String(name));
}
inline void Click(QWidget* dialog, const char* name) { dialog->findChild<QPushButton*>(QLatin1String(name))->click(); }

// The text with its red characters wrapped in [[ ]]; with `plainBreaks`
// line breaks stay outside the marks.
QString Marked(const QString& text, const std::vector<TextRange>& red, bool plainBreaks = false);
inline QString Marked(const ReportText& report) { return Marked(report.ToPlainText(), report.RedRanges(0, report.Length())); }

}  // namespace trovik::test
