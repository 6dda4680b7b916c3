#include "gui/DialogSupport.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetrics>
#include <QSpacerItem>
#include <QMessageBox>
#include <QValidator>

namespace trovik {

namespace {

class UpperCaseValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    input = input.toUpper();
    return Acceptable;
  }
};

}  // namespace

QString DisplayText(const char* text) {
  QString shown = QString::fromLatin1(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

void FitTitle(QWidget* dialog) {
  // Title bars draw the title in a bold face about a fifth larger than the
  // dialog's text; the window's icon and buttons take the rest.
  constexpr int kDecoration = 160;
  QFont font = QApplication::font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.2);
  const int needed = QFontMetrics(font).horizontalAdvance(dialog->windowTitle()) + kDecoration;
  if (auto* layout = qobject_cast<QBoxLayout*>(dialog->layout()))
    layout->addSpacerItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
}

void ShowPlainMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
  box.exec();
}

QLineEdit* NewBox(QWidget* parent, const char* objectName, bool readOnly, int maxLength) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QLatin1String(objectName));
  box->setReadOnly(readOnly);
  if (readOnly) box->setFocusPolicy(Qt::ClickFocus);
  if (maxLength > 0) box->setMaxLength(maxLength);
  return box;
}

QLineEdit* NewUpperCaseBox(QWidget* parent, const char* objectName) {
  QLineEdit* box = NewBox(parent, objectName);
  box->setValidator(new UpperCaseValidator(box));
  return box;
}

}  // namespace trovik
