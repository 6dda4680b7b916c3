// Small pieces the editor dialogs share: text conversions between the boxes
// and the editor models, the plain message box, and the box kinds the
// dialogs use.
#pragma once

#include <QLineEdit>
#include <QString>
#include <string>

class QWidget;

namespace trovik {

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }
inline std::string ToNumberText(const QLineEdit* box) { return box->text().toStdString(); }
inline std::u16string ToUnits(const QLineEdit* box) { return box->text().toStdU16String(); }

// A system text with Windows line breaks ("\r\n", or a lone "\r") as a
// label shows it.
QString DisplayText(const char* text);

// A message box with an OK button and no icon.
void ShowPlainMessage(QWidget* parent, const QString& text);

// An edit box of the dialogs. Read-only boxes keep the look of a disabled
// box but their text can still be selected and copied.
QLineEdit* NewBox(QWidget* parent, const char* objectName, bool readOnly = false, int maxLength = 0);
// A box that turns what is typed into upper case.
QLineEdit* NewUpperCaseBox(QWidget* parent, const char* objectName);

}  // namespace trovik
