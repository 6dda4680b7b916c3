// Helpers of the GUI and dialog tests: answering modal windows, waiting,
// a dialog's boxes and buttons by name, a report with its red marked,
// listings compared with golden files.
#pragma once

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/ReportText.h"
#include "engine/DumpType.h"

namespace trovik {
class CLimitsDlg;
}

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

// Answers the next request dialog: chooses the type, lets `adjust` change
// the dialog, then presses `button` (1 "Dump It", 2 "Cancel", 3 "Edit");
// `next` answers the modal window that opens after that.
void AnswerRequest(DumpType type, int button, std::function<void(CLimitsDlg*)> adjust = {},
                   std::function<void(QWidget*)> next = {});

// Clicks the button with this text in the message box; in the next one
// (after `before`).
void ClickIn(QWidget* box, const QString& button);
void ClickInNextBox(const QString& button, std::function<void()> before = {});

// Runs `action`, closing the message box it opens; gives the box's text
// ("" when none opened).
QString MessageOf(const std::function<void()>& action);

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000);

inline QLineEdit* Box(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(QLatin1String(name)); }
inline void Click(QWidget* dialog, const char* name) { dialog->findChild<QPushButton*>(QLatin1String(name))->click(); }

// Every named box of the dialog as "name: [text]" (with its selection and
// read-only), every button as "name: on/off" or "name: button [text]", each
// marked when disabled or hidden, one a line, in the order they were made.
QString Boxes(QWidget* dialog);

// Plays the transcript tests/golden/<name>.txt on the dialog: its lines
// "> action" are done in order and what they show is written after them;
// the whole must come out as the file is (TROVIK_UPDATE_GOLDEN=1 rewrites
// what they show). Actions: "set <box> <text>", "type <box> <keys>",
// "retype <box> <keys>" (over its text), "check <button> on|off",
// "key <widget> <key>" and "click <button>" (a message box they open is
// shown and closed), "show" (every box), "changes" (the bytes that differ
// from what they were at the start), "result" (how the dialog closed).
void PlayTranscript(QWidget* dialog, std::string_view name, std::span<const uint8_t> bytes = {});

// The text in code page 1252, as the core writes it.
std::string ToCp1252(const QString& text);

// Compares the text with tests/golden/<name>.txt as ExpectReport does.
void ExpectListing(const QString& text, std::string_view name);

// The text with its red characters wrapped in [[ ]]; with `plainBreaks`
// line breaks stay outside the marks.
QString Marked(const QString& text, const std::vector<TextRange>& red, bool plainBreaks = false);
inline QString Marked(const ReportText& report) { return Marked(report.ToPlainText(), report.RedRanges(0, report.Length())); }

}  // namespace trovik::test
