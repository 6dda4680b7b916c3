#include "editors/qt/EditMbrDlg.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/MbrEditor.h"
#include "gui/DialogSupport.h"

namespace trovik {

namespace {

// A "Starting CHS" or "Ending CHS" group: Head, Sector, Cylinder and "Gen".
QGroupBox* ChsGroup(QWidget* parent, const char* title, QLineEdit* head, QLineEdit* sector, QLineEdit* cylinder,
                    QPushButton* gen) {
  auto* group = new QGroupBox(QString::fromLatin1(title), parent);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Head")), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Sector")), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Cylinder")), 0, 2);
  grid->addWidget(head, 1, 0);
  grid->addWidget(sector, 1, 1);
  grid->addWidget(cylinder, 1, 2);
  grid->addWidget(gen, 1, 3);
  return group;
}

QPushButton* GenButton(QWidget* parent, const char* objectName) {
  auto* button = new QPushButton(QStringLiteral("Gen"), parent);
  button->setObjectName(QLatin1String(objectName));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

CEditMbrDlg::CEditMbrDlg(uint8_t* entry16, int index, QWidget* parent)
    : QDialog(parent), m_pEntry(entry16), m_nIndex(index) {
  setWindowTitle(QStringLiteral("Edit MBR"));
  m_editEntryNum = NewBox(this, "entryNum", true);
  m_editBootId = NewBox(this, "bootId");
  m_editStartHead = NewBox(this, "startHead");
  m_editStartSector = NewBox(this, "startSector");
  m_editStartCylinder = NewBox(this, "startCylinder");
  m_editSystemId = NewBox(this, "systemId");
  m_editEndHead = NewBox(this, "endHead");
  m_editEndSector = NewBox(this, "endSector");
  m_editEndCylinder = NewBox(this, "endCylinder");
  m_editStartLba = NewBox(this, "startLba");
  m_editSectorCount = NewBox(this, "sectorCount");

  QPushButton* genStart = GenButton(this, "genStart");
  QPushButton* genEnd = GenButton(this, "genEnd");
  connect(genStart, &QPushButton::clicked, this, &CEditMbrDlg::OnGenStart);
  connect(genEnd, &QPushButton::clicked, this, &CEditMbrDlg::OnGenEnd);

  auto* top = new QFormLayout;
  top->addRow(QStringLiteral("Entry #"), m_editEntryNum);
  top->addRow(QStringLiteral("Boot ID"), m_editBootId);
  auto* system = new QFormLayout;
  system->addRow(QStringLiteral("System ID"), m_editSystemId);
  auto* lbas = new QFormLayout;
  lbas->addRow(QStringLiteral("Starting LBA"), m_editStartLba);
  lbas->addRow(QStringLiteral("Sector Count"), m_editSectorCount);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  connect(ok, &QPushButton::clicked, this, &CEditMbrDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CEditMbrDlg::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(ChsGroup(this, "Starting CHS", m_editStartHead, m_editStartSector, m_editStartCylinder, genStart));
  layout->addLayout(system);
  layout->addWidget(ChsGroup(this, "Ending CHS", m_editEndHead, m_editEndSector, m_editEndCylinder, genEnd));
  layout->addLayout(lbas);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FitTitle(this);

  OnInitDialog();
}

void CEditMbrDlg::OnInitDialog() { ShowForm(LoadMbrForm(m_pEntry, m_nIndex)); }

FormBoxes<MbrForm> CEditMbrDlg::Boxes() const {
  return {{m_editEntryNum, &MbrForm::entryNumber},   {m_editBootId, &MbrForm::bootId},
          {m_editStartHead, &MbrForm::startHead},    {m_editStartSector, &MbrForm::startSector},
          {m_editStartCylinder, &MbrForm::startCylinder}, {m_editSystemId, &MbrForm::systemId},
          {m_editEndHead, &MbrForm::endHead},        {m_editEndSector, &MbrForm::endSector},
          {m_editEndCylinder, &MbrForm::endCylinder}, {m_editStartLba, &MbrForm::startLba},
          {m_editSectorCount, &MbrForm::sectorCount}};
}

MbrForm CEditMbrDlg::ReadForm() const {
  MbrForm f;
  ReadFormBoxes(Boxes(), f);
  return f;
}

void CEditMbrDlg::ShowForm(const MbrForm& f) { ShowFormBoxes(Boxes(), f); }

// Gen changes only its CHS triple; the other boxes keep their text.
void CEditMbrDlg::OnGenStart() {
  MbrForm f = ReadForm();
  GenerateStartChs(f);
  ShowForm(f);
}

void CEditMbrDlg::OnGenEnd() {
  MbrForm f = ReadForm();
  GenerateEndChs(f);
  ShowForm(f);
}

void CEditMbrDlg::accept() {
  StoreMbrForm(ReadForm(), m_pEntry);
  QDialog::accept();
}

}  // namespace trovik
