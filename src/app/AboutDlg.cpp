#include "app/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace trovik {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("About trovik"));
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  top->addWidget(icon);
  auto* text = new QVBoxLayout;
  auto* version = new QLabel(QStringLiteral("Trovik  Version %1").arg(QStringLiteral(TROVIK_VERSION)), this);
  version->setObjectName(QStringLiteral("version"));
  QFont bold = version->font();
  bold.setBold(true);
  version->setFont(bold);
  text->addWidget(version);
  text->addWidget(new QLabel(tr("Copyright (C) the Trovik developers.\n"
                                "Free to use, study, change and share."),
                             this));
  auto* note = new QLabel(tr("Trovik reads a byte range of any file and lists it as a hex dump,\n"
                             "as source data, or field by field as the on-disk structure it holds.\n"
                             "Values that break a structure's rules are flagged in red."),
                          this);
  note->setWordWrap(false);
  text->addSpacing(8);
  text->addWidget(note);
  top->addLayout(text, 1);
  layout->addLayout(top);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace trovik
