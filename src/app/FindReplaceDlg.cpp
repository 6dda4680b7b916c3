#include "app/FindReplaceDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace trovik {

FindReplaceDlg::FindReplaceDlg(QWidget* parent) : QDialog(parent) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* fields = new QGridLayout;
  find_ = new QLineEdit(this);
  find_->setObjectName(QStringLiteral("findText"));
  replace_ = new QLineEdit(this);
  replace_->setObjectName(QStringLiteral("replaceText"));
  auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
  findLabel->setBuddy(find_);
  replaceLabel_ = new QLabel(tr("Re&place with:"), this);
  replaceLabel_->setBuddy(replace_);
  fields->addWidget(findLabel, 0, 0);
  fields->addWidget(find_, 0, 1);
  fields->addWidget(replaceLabel_, 1, 0);
  fields->addWidget(replace_, 1, 1);
  left->addLayout(fields);
  auto* options = new QHBoxLayout;
  auto* checks = new QVBoxLayout;
  wholeWord_ = new QCheckBox(tr("Match &whole word only"), this);
  matchCase_ = new QCheckBox(tr("Match &case"), this);
  checks->addWidget(wholeWord_);
  checks->addWidget(matchCase_);
  checks->addStretch(1);
  options->addLayout(checks);
  auto* direction = new QGroupBox(tr("Direction"), this);
  auto* directionLayout = new QHBoxLayout(direction);
  up_ = new QRadioButton(tr("&Up"), direction);
  down_ = new QRadioButton(tr("&Down"), direction);
  down_->setChecked(true);
  directionLayout->addWidget(up_);
  directionLayout->addWidget(down_);
  direction_ = direction;
  options->addWidget(direction);
  left->addLayout(options);
  left->addStretch(1);
  layout->addLayout(left, 1);

  auto* buttons = new QVBoxLayout;
  findNext_ = new QPushButton(tr("&Find Next"), this);
  replaceButton_ = new QPushButton(tr("&Replace"), this);
  replaceAll_ = new QPushButton(tr("Replace &All"), this);
  auto* cancel = new QPushButton(tr("Cancel"), this);
  findNext_->setDefault(true);
  for (QPushButton* b : {findNext_, replaceButton_, replaceAll_, cancel}) buttons->addWidget(b);
  buttons->addStretch(1);
  layout->addLayout(buttons);

  connect(findNext_, &QPushButton::clicked, this, &FindReplaceDlg::FindNext);
  connect(replaceButton_, &QPushButton::clicked, this, &FindReplaceDlg::Replace);
  connect(replaceAll_, &QPushButton::clicked, this, &FindReplaceDlg::ReplaceAll);
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
  connect(find_, &QLineEdit::textChanged, this, &FindReplaceDlg::UpdateButtons);
  SetReplaceMode(false);
  UpdateButtons();
}

void FindReplaceDlg::SetReplaceMode(bool replace) {
  setWindowTitle(replace ? tr("Replace") : tr("Find"));
  replace_->setVisible(replace);
  replaceLabel_->setVisible(replace);
  replaceButton_->setVisible(replace);
  replaceAll_->setVisible(replace);
  // Replace works downwards, as Replace All does.
  direction_->setVisible(!replace);
  if (replace) down_->setChecked(true);
  adjustSize();
}

void FindReplaceDlg::SetFindText(const QString& text) {
  find_->setText(text);
  find_->selectAll();
  find_->setFocus();
}

QString FindReplaceDlg::FindText() const { return find_->text(); }
QString FindReplaceDlg::ReplaceText() const { return replace_->text(); }

ReportText::FindOptions FindReplaceDlg::Options() const {
  ReportText::FindOptions options;
  options.matchCase = matchCase_->isChecked();
  options.wholeWord = wholeWord_->isChecked();
  options.backward = up_->isChecked();
  return options;
}

void FindReplaceDlg::UpdateButtons() {
  const bool any = !find_->text().isEmpty();
  findNext_->setEnabled(any);
  replaceButton_->setEnabled(any);
  replaceAll_->setEnabled(any);
}

}  // namespace trovik
