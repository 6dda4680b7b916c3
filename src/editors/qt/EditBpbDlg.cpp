#include "editors/qt/EditBpbDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editors/BpbEditor.h"
#include "gui/DialogSupport.h"

namespace trovik {

namespace {

// One "label: box [extra]" row of a two-column form.
void AddRow(QGridLayout* grid, int row, int column, const char* label, QWidget* field, QWidget* extra = nullptr) {
  grid->addWidget(new QLabel(QString::fromLatin1(label)), row, column * 3, Qt::AlignRight);
  grid->addWidget(field, row, column * 3 + 1);
  if (extra) grid->addWidget(extra, row, column * 3 + 2);
}

}  // namespace

CEditBpbDlg::CEditBpbDlg(uint8_t* bpb62, QWidget* parent) : QDialog(parent), m_pBpb(bpb62) {
  setWindowTitle(QStringLiteral("Edit BPB"));

  auto* jumpBoxes = new QWidget(this);
  auto* jumpRow = new QHBoxLayout(jumpBoxes);
  jumpRow->setContentsMargins(0, 0, 0, 0);
  for (size_t i = 0; i < m_editJump.size(); ++i) {
    const QByteArray name = "jump" + QByteArray::number(static_cast<int>(i));
    m_editJump[i] = NewUpperCaseBox(this, name.constData());
    m_editJump[i]->setMaximumWidth(m_editJump[i]->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")));
    jumpRow->addWidget(m_editJump[i]);
  }
  jumpRow->addStretch();

  m_editOemName = NewBox(this, "oemName", false, 8);
  m_editBytesPerSector = NewBox(this, "bytesPerSector");
  m_editSectorsPerCluster = NewBox(this, "sectorsPerCluster");
  m_editSectorsReserved = NewBox(this, "sectorsReserved");
  m_editFatCount = NewBox(this, "fatCount");
  m_editRootEntries = NewBox(this, "rootEntries");
  m_editTotalSectors = NewBox(this, "totalSectors");
  m_editDescriptor = NewBox(this, "descriptor");
  m_editSectorsPerFat = NewBox(this, "sectorsPerFat");
  m_editSectorsPerTrack = NewBox(this, "sectorsPerTrack");
  m_editHeads = NewBox(this, "heads");
  m_editHiddenSectors = NewBox(this, "hiddenSectors");
  m_editSectorsExtended = NewBox(this, "sectorsExtended");
  m_editDriveNum = NewBox(this, "driveNum");
  m_editReserved = NewBox(this, "reserved");
  m_editSignature = NewBox(this, "signature");
  m_editSerial = NewBox(this, "serial");
  m_editLabel = NewBox(this, "label", false, 11);

  auto* generate = new QPushButton(QStringLiteral("Generate"), this);
  generate->setObjectName(QStringLiteral("generate"));
  generate->setAutoDefault(false);
  connect(generate, &QPushButton::clicked, this, &CEditBpbDlg::OnGenerate);

  auto* fatType = new QGroupBox(QStringLiteral("Fat Type"), this);
  m_radioFat12 = new QRadioButton(QStringLiteral("12"), fatType);
  m_radioFat12->setObjectName(QStringLiteral("fat12"));
  m_radioFat16 = new QRadioButton(QStringLiteral("16"), fatType);
  m_radioFat16->setObjectName(QStringLiteral("fat16"));
  auto* typeRow = new QHBoxLayout(fatType);
  typeRow->addWidget(m_radioFat12);
  typeRow->addWidget(m_radioFat16);
  typeRow->addStretch();

  auto* grid = new QGridLayout;
  grid->setColumnMinimumWidth(2, 12);
  AddRow(grid, 0, 0, "Jump Instruction", jumpBoxes, new QLabel(QStringLiteral("EB  3C  90")));
  AddRow(grid, 1, 0, "OEM Name", m_editOemName, new QLabel(QStringLiteral("8 Bytes")));
  AddRow(grid, 2, 0, "Bytes Per Sector", m_editBytesPerSector);
  AddRow(grid, 3, 0, "Sectors Per Cluster", m_editSectorsPerCluster);
  AddRow(grid, 4, 0, "Sectors Reserved", m_editSectorsReserved);
  AddRow(grid, 5, 0, "Number of FATs", m_editFatCount);
  AddRow(grid, 6, 0, "Root Entries", m_editRootEntries);
  AddRow(grid, 7, 0, "Total Sectors", m_editTotalSectors);
  AddRow(grid, 8, 0, "Descriptor Byte", m_editDescriptor);
  AddRow(grid, 9, 0, "Sectors Per Fat", m_editSectorsPerFat);
  AddRow(grid, 0, 1, "Sectors Per Track", m_editSectorsPerTrack);
  AddRow(grid, 1, 1, "Number of Heads", m_editHeads);
  AddRow(grid, 2, 1, "Hidden Sectors", m_editHiddenSectors);
  AddRow(grid, 3, 1, "Sectors Extended", m_editSectorsExtended);
  AddRow(grid, 4, 1, "Drive Num (Reserved)", m_editDriveNum);
  AddRow(grid, 5, 1, "Reserved", m_editReserved);
  AddRow(grid, 6, 1, "Signature", m_editSignature);
  AddRow(grid, 7, 1, "Serial Number", m_editSerial, generate);
  AddRow(grid, 8, 1, "Label", m_editLabel);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(ok, &QPushButton::clicked, this, &CEditBpbDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CEditBpbDlg::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(fatType);
  buttons->addStretch();
  buttons->addWidget(ok, 0, Qt::AlignBottom);
  buttons->addWidget(cancel, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FitTitle(this);

  OnInitDialog();
}

FormBoxes<BpbForm> CEditBpbDlg::Boxes() const {
  return {{m_editBytesPerSector, &BpbForm::bytesPerSector},
          {m_editSectorsPerCluster, &BpbForm::sectorsPerCluster},
          {m_editSectorsReserved, &BpbForm::reservedSectors},
          {m_editFatCount, &BpbForm::fatCount},
          {m_editRootEntries, &BpbForm::rootEntries},
          {m_editTotalSectors, &BpbForm::totalSectors},
          {m_editDescriptor, &BpbForm::descriptor},
          {m_editSectorsPerFat, &BpbForm::sectorsPerFat},
          {m_editSectorsPerTrack, &BpbForm::sectorsPerTrack},
          {m_editHeads, &BpbForm::heads},
          {m_editHiddenSectors, &BpbForm::hiddenSectors},
          {m_editSectorsExtended, &BpbForm::sectorsExtended},
          {m_editDriveNum, &BpbForm::driveNumber},
          {m_editReserved, &BpbForm::reserved},
          {m_editSignature, &BpbForm::signature},
          {m_editSerial, &BpbForm::serial}};
}

void CEditBpbDlg::OnInitDialog() {
  const BpbForm f = LoadBpbForm(m_pBpb);
  for (size_t i = 0; i < m_editJump.size(); ++i) m_editJump[i]->setText(ToQString(f.jump[i]));
  m_editOemName->setText(ToQString(f.oemName));
  ShowFormBoxes(Boxes(), f);
  m_editLabel->setText(ToQString(f.label));
  m_radioFat16->setChecked(f.fat16);
  m_radioFat12->setChecked(!f.fat16);
}

void CEditBpbDlg::OnGenerate() { m_editSerial->setText(ToQString(GenerateSerialText())); }

void CEditBpbDlg::accept() {
  BpbForm f;
  for (size_t i = 0; i < m_editJump.size(); ++i) f.jump[i] = ToNumberText(m_editJump[i]);
  f.oemName = ToUnits(m_editOemName);
  ReadFormBoxes(Boxes(), f);
  f.label = ToUnits(m_editLabel);
  f.fat16 = !m_radioFat12->isChecked();
  StoreBpbForm(f, m_pBpb);
  QDialog::accept();
}

}  // namespace trovik
