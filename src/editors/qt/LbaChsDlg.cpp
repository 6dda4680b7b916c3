#include "editors/qt/LbaChsDlg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/LbaChsConverter.h"
#include "gui/DialogSupport.h"

namespace trovik {

namespace {

QLineEdit* ResultBox(QWidget* parent, const char* objectName) {
  QLineEdit* box = NewBox(parent, objectName, true);
  box->setAlignment(Qt::AlignHCenter);
  return box;
}

}  // namespace

CLbaChsDlg::CLbaChsDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("LBA to CHS"));
  m_editLba = NewBox(this, "lba");
  m_editCylinder = NewBox(this, "cylinder");
  m_editHead = NewBox(this, "head");
  m_editSector = NewBox(this, "sector");
  m_editBinCylinder = ResultBox(this, "binaryCylinder");
  m_editBinHead = ResultBox(this, "binaryHead");
  m_editBinSector = ResultBox(this, "binarySector");
  m_editEntryCylinder = ResultBox(this, "entryCylinder");
  m_editEntryHead = ResultBox(this, "entryHead");
  m_editEntrySector = ResultBox(this, "entrySector");

  auto* lba2chs = new QPushButton(QStringLiteral("LBA 2 CHS"), this);
  lba2chs->setObjectName(QStringLiteral("lba2chs"));
  lba2chs->setDefault(true);  // Enter converts the LBA
  auto* chs2lba = new QPushButton(QStringLiteral("CHS 2 LBA"), this);
  chs2lba->setObjectName(QStringLiteral("chs2lba"));
  chs2lba->setAutoDefault(false);
  connect(lba2chs, &QPushButton::clicked, this, &CLbaChsDlg::OnLba2Chs);
  connect(chs2lba, &QPushButton::clicked, this, &CLbaChsDlg::OnChs2Lba);

  // Only what a person types clears the other side; the converter's own
  // results (set with setText) do not count as edits.
  connect(m_editLba, &QLineEdit::textEdited, this, &CLbaChsDlg::OnLbaEdited);
  for (QLineEdit* box : {m_editCylinder, m_editHead, m_editSector})
    connect(box, &QLineEdit::textEdited, this, &CLbaChsDlg::OnChsEdited);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("LBA")), 0, 0, Qt::AlignRight);
  grid->addWidget(m_editLba, 0, 1, 1, 3);
  grid->addWidget(lba2chs, 0, 4);
  grid->addWidget(new QLabel(QStringLiteral("CHS")), 1, 0, Qt::AlignRight);
  grid->addWidget(m_editCylinder, 1, 1);
  grid->addWidget(m_editHead, 1, 2);
  grid->addWidget(m_editSector, 1, 3);
  grid->addWidget(chs2lba, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("Cyl/Head/Sect")), 2, 0, Qt::AlignRight);
  grid->addWidget(m_editBinCylinder, 2, 1);
  grid->addWidget(m_editBinHead, 2, 2);
  grid->addWidget(m_editBinSector, 2, 3);
  grid->addWidget(new QLabel(QStringLiteral("Partition Entry:")), 3, 0, Qt::AlignRight);
  grid->addWidget(m_editEntryCylinder, 3, 1);
  grid->addWidget(m_editEntryHead, 3, 2);
  grid->addWidget(m_editEntrySector, 3, 3);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(DisplayText("Enter a value in LBA to convert to CHS\r and visa-versa.")));
  layout->addLayout(grid);
  layout->addWidget(new QLabel(QStringLiteral("Assumes 63 Sectors per Track w/ 16 heads")));
  layout->setSizeConstraint(QLayout::SetFixedSize);
  FitTitle(this);
}

FormBoxes<LbaChsBoxes> CLbaChsDlg::Boxes() const {
  return {{m_editLba, &LbaChsBoxes::lba},
          {m_editCylinder, &LbaChsBoxes::cylinder},
          {m_editHead, &LbaChsBoxes::head},
          {m_editSector, &LbaChsBoxes::sector},
          {m_editBinCylinder, &LbaChsBoxes::binaryCylinder},
          {m_editBinHead, &LbaChsBoxes::binaryHead},
          {m_editBinSector, &LbaChsBoxes::binarySector},
          {m_editEntryCylinder, &LbaChsBoxes::entryCylinder},
          {m_editEntryHead, &LbaChsBoxes::entryHead},
          {m_editEntrySector, &LbaChsBoxes::entrySector}};
}

LbaChsBoxes CLbaChsDlg::ReadBoxes() const {
  LbaChsBoxes b;
  ReadFormBoxes(Boxes(), b);
  return b;
}

void CLbaChsDlg::ShowBoxes(const LbaChsBoxes& b) { ShowFormBoxes(Boxes(), b); }

void CLbaChsDlg::OnLba2Chs() {
  LbaChsBoxes b = ReadBoxes();
  if (const auto message = ConvertLbaToChs(b)) {
    ShowPlainMessage(this, ToQString(*message));
    return;
  }
  ShowBoxes(b);
}

void CLbaChsDlg::OnChs2Lba() {
  LbaChsBoxes b = ReadBoxes();
  if (const auto message = ConvertChsToLba(b)) {
    ShowPlainMessage(this, ToQString(*message));
    return;
  }
  ShowBoxes(b);
}

void CLbaChsDlg::OnLbaEdited() {
  LbaChsBoxes b = ReadBoxes();
  LbaBoxEdited(b);
  ShowBoxes(b);
}

void CLbaChsDlg::OnChsEdited() {
  LbaChsBoxes b = ReadBoxes();
  ChsBoxEdited(b);
  ShowBoxes(b);
}

}  // namespace trovik
