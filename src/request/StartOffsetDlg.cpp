#include "request/StartOffsetDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "engine/DumpRequest.h"

namespace trovik {

CStartOffsetDlg::CStartOffsetDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Start Offset"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(tr("Starting Offset (ex: 0x01234567)"), this);
  edit_ = new QLineEdit(QStringLiteral("0x00000000"), this);
  edit_->setObjectName(QStringLiteral("offset"));
  label->setBuddy(edit_);
  layout->addWidget(label);
  layout->addWidget(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  edit_->selectAll();
}

void CStartOffsetDlg::accept() {
  m_nOffset = ParseOffsetText(edit_->text().toStdString());
  QDialog::accept();
}

}  // namespace trovik
