// Helpers of the GUI tests.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace trovik::test {

// What a message box showed.
struct ShownMessage {
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool shown = false;
};

// Acts on the next modal window that opens (from inside its event loop):
// calls `answer` with it. Message boxes are recorded in `message` first
// and closed with their default button when `answer` is empty.
void AnswerNextModal(std::function<void(QWidget*)> answer, ShownMessage* message = nullptr);

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

}  // namespace trovik::test
