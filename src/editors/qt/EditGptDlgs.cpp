#include "editors/qt/EditGptDlgs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cstring>

#include "decoders/partition/GptLayout.h"
#include "editors/GptEditors.h"
#include "engine/TextFormat.h"
#include "gui/DialogSupport.h"

namespace trovik {

namespace {

QHBoxLayout* OkCancel(QDialog* dialog) {
  auto* ok = new QPushButton(QStringLiteral("OK"), dialog);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
  cancel->setObjectName(QStringLiteral("cancel"));
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

}  // namespace

CEditGptHeaderDlg::CEditGptHeaderDlg(uint8_t* header512, uint32_t start, FileAccess& file, QWidget* parent)
    : QDialog(parent), m_pHeader(header512), m_nStart(start), m_file(file) {
  setWindowTitle(QStringLiteral("Edit GPT Header"));
  std::memcpy(m_header.data(), header512, m_header.size());
  m_editEntryCount = NewBox(this, "entryCount", true);
  m_editOriginalCrc = NewBox(this, "originalCrc", true);
  m_editNewCrc = NewBox(this, "newCrc", true);
  auto* recalculate = new QPushButton(QStringLiteral("Recalculate CRC"), this);
  recalculate->setObjectName(QStringLiteral("recalculate"));
  recalculate->setAutoDefault(false);
  connect(recalculate, &QPushButton::clicked, this, &CEditGptHeaderDlg::OnRecalculate);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Entry Count"), m_editEntryCount);
  form->addRow(QStringLiteral("Original CRC"), m_editOriginalCrc);
  form->addRow(QStringLiteral("New CRC"), m_editNewCrc);
  auto* recalcRow = new QHBoxLayout;
  recalcRow->addStretch();
  recalcRow->addWidget(recalculate);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(recalcRow);
  layout->addLayout(OkCancel(this));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FitTitle(this);
  OnInitDialog();
}

void CEditGptHeaderDlg::OnInitDialog() {
  const GptHeaderForm f = LoadGptHeaderForm(m_header.data());
  m_editEntryCount->setText(ToQString(f.entryCount));
  m_editOriginalCrc->setText(ToQString(f.originalCrc));
  m_editNewCrc->clear();
}

void CEditGptHeaderDlg::OnRecalculate() {
  const CrcRecalculation r = RecalculateGptCrcs(m_header.data(), m_nStart, m_file);
  if (!r.ok) {
    ShowPlainMessage(this, ToQString(r.message));
    return;
  }
  m_editNewCrc->setText(ToQString(Format("0x%08X", r.entryArrayCrc)));
}

void CEditGptHeaderDlg::accept() {
  std::memcpy(m_pHeader, m_header.data(), m_header.size());
  QDialog::accept();
}

CEditGptEntryDlg::CEditGptEntryDlg(uint8_t* entry128, int index, QWidget* parent)
    : QDialog(parent), m_pEntry(entry128), m_nIndex(index) {
  setWindowTitle(QStringLiteral("Edit GPT Entry"));
  m_editEntryNum = NewBox(this, "entryNum", true);
  m_editStartLba = NewBox(this, "startLba");
  m_editEndLba = NewBox(this, "endLba");
  m_checkRequired = new QCheckBox(QStringLiteral("Required"), this);
  m_checkRequired->setObjectName(QStringLiteral("required"));
  m_checkHidden = new QCheckBox(QStringLiteral("Hidden From UEFI"), this);
  m_checkHidden->setObjectName(QStringLiteral("hiddenFromUefi"));
  m_checkLegacy = new QCheckBox(QStringLiteral("Legacy Bootable"), this);
  m_checkLegacy->setObjectName(QStringLiteral("legacyBootable"));
  m_editName = NewBox(this, "name", false, static_cast<int>(gpt::entry::kNameUnits));
  m_editName->setMinimumWidth(m_editName->fontMetrics().horizontalAdvance(QString(36, QLatin1Char('n'))));

  auto* reminder = new QTextEdit(this);
  reminder->setObjectName(QStringLiteral("reminder"));
  reminder->setReadOnly(true);
  reminder->setFocusPolicy(Qt::NoFocus);
  reminder->setPlainText(DisplayText(kGptEntryReminder));
  QTextCursor all = reminder->textCursor();
  all.select(QTextCursor::Document);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  all.mergeBlockFormat(centred);
  reminder->setFixedHeight(reminder->fontMetrics().lineSpacing() * 3 + 12);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Entry #"), m_editEntryNum);
  form->addRow(QStringLiteral("Starting LBA"), m_editStartLba);
  form->addRow(QStringLiteral("Ending LBA"), m_editEndLba);
  auto* attributes = new QHBoxLayout;
  attributes->addWidget(m_checkRequired);
  attributes->addWidget(m_checkHidden);
  attributes->addWidget(m_checkLegacy);
  attributes->addStretch();
  form->addRow(QString(), attributes);
  form->addRow(QStringLiteral("Name"), m_editName);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(reminder);
  layout->addLayout(OkCancel(this));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FitTitle(this);
  OnInitDialog();
}

void CEditGptEntryDlg::OnInitDialog() {
  const GptEntryForm f = LoadGptEntryForm(m_pEntry, m_nIndex);
  m_editEntryNum->setText(ToQString(f.entryNumber));
  m_editStartLba->setText(ToQString(f.firstLba));
  m_editEndLba->setText(ToQString(f.lastLba));
  m_checkRequired->setChecked(f.required);
  m_checkHidden->setChecked(f.hiddenFromUefi);
  m_checkLegacy->setChecked(f.legacyBootable);
  m_editName->setText(ToQString(f.name));
}

void CEditGptEntryDlg::accept() {
  GptEntryForm f;
  f.firstLba = ToNumberText(m_editStartLba);
  f.lastLba = ToNumberText(m_editEndLba);
  f.required = m_checkRequired->isChecked();
  f.hiddenFromUefi = m_checkHidden->isChecked();
  f.legacyBootable = m_checkLegacy->isChecked();
  f.name = ToUnits(m_editName);
  StoreGptEntryForm(f, m_pEntry);
  QDialog::accept();
}

}  // namespace trovik
