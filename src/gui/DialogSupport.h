// Small pieces the editor dialogs share: text conversions between the boxes
// and the editor models, the plain message box, and the box kinds the
// dialogs use.
#pragma once

#include <QLineEdit>
#include <QString>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace trovik {

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }
inline std::string ToNumberText(const QLineEdit* box) { return box->text().toStdString(); }
inline std::u16string ToUnits(const QLineEdit* box) { return box->text().toStdU16String(); }

// A dialog's number boxes paired with the fields of its editor form, so
// that filling the boxes and reading them back walk one list.
template <class Form>
using FormBoxes = std::vector<std::pair<QLineEdit*, std::string Form::*>>;

template <class Form>
void ReadFormBoxes(const FormBoxes<Form>& boxes, Form& form) {
  for (const auto& [box, field] : boxes) form.*field = ToNumberText(box);
}

// Boxes whose text does not change keep their cursor and selection.
template <class Form>
void ShowFormBoxes(const FormBoxes<Form>& boxes, const Form& form) {
  for (const auto& [box, field] : boxes) {
    const QString text = ToQString(form.*field);
    if (box->text() != text) box->setText(text);
  }
}

// A system text with Windows line breaks ("\r\n", or a lone "\r") as a
// label shows it.
QString DisplayText(const char* text);

// Makes the dialog at least as wide as its title needs in the title bar
// beside the window's buttons, so a narrow dialog does not cut it off.
// Call after setting the title and the dialog's layout.
void FitTitle(QWidget* dialog);

// A message box with an OK button and no icon.
void ShowPlainMessage(QWidget* parent, const QString& text);

// An edit box of the dialogs. Read-only boxes keep the look of a disabled
// box but their text can still be selected and copied.
QLineEdit* NewBox(QWidget* parent, const char* objectName, bool readOnly = false, int maxLength = 0);
// A box that turns what is typed into upper case.
QLineEdit* NewUpperCaseBox(QWidget* parent, const char* objectName);

}  // namespace trovik
