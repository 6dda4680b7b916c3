#include "request/LimitsDlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <vector>

#include "catalog/Catalog.h"
#include "gui/AppSettings.h"
#include "gui/DialogSupport.h"
#include "request/HelpDlg.h"
#include "request/HelpTexts.h"

namespace trovik {

namespace {

constexpr int kStartId = 1000;
constexpr int kEndId = 1001;
constexpr int kCountId = 1005;
constexpr int kAskOffsetId = 1037;
constexpr int kIsIsoId = 1048;
constexpr int kOffsetButtonId = 1050;
constexpr int kDumpItId = 1;
constexpr int kCancelId = 2;
constexpr int kEditId = 3;
constexpr int kHelpId = 9;
constexpr int kTypeColumns = 4;

const char* const kControlId = "controlId";

OffsetType OffsetTypeOf(int offsetType) { return offsetType == 1 ? OffsetType::Sectors : OffsetType::Bytes; }

// Splits the groups (their sizes in rows, in order) into `columns` runs of
// consecutive groups whose tallest run is as short as possible.
std::vector<int> BalanceColumns(const std::vector<int>& sizes, int columns) {
  const int n = static_cast<int>(sizes.size());
  columns = std::max(1, std::min(columns, n));
  std::vector<int> prefix(n + 1, 0);
  for (int i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + sizes[i];
  // best[k][i]: tallest column when the first i groups fill k columns.
  const int inf = 1 << 29;
  std::vector<std::vector<int>> best(columns + 1, std::vector<int>(n + 1, inf));
  std::vector<std::vector<int>> cut(columns + 1, std::vector<int>(n + 1, 0));
  best[0][0] = 0;
  for (int k = 1; k <= columns; ++k)
    for (int i = 1; i <= n; ++i)
      for (int j = k - 1; j < i; ++j) {
        const int tallest = std::max(best[k - 1][j], prefix[i] - prefix[j]);
        if (tallest < best[k][i]) {
          best[k][i] = tallest;
          cut[k][i] = j;
        }
      }
  std::vector<int> firstOfColumn(columns);
  for (int k = columns, i = n; k >= 1; --k) {
    firstOfColumn[k - 1] = cut[k][i];
    i = cut[k][i];
  }
  return firstOfColumn;
}

}  // namespace

CLimitsDlg::CLimitsDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Limits"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, true);
  auto* layout = new QVBoxLayout(this);

  auto* intro = new QLabel(tr("Enter the start and end values to get from the file. (zero based)\n"
                              "To enter Hex, prefix with '0x'"),
                           this);
  intro->setAlignment(Qt::AlignCenter);
  layout->addWidget(intro);

  auto* fields = new QGridLayout;
  offsetButton_ = new QPushButton(tr("Starting Offset:"), this);
  offsetButton_->setStyleSheet(QStringLiteral("text-align: right; padding-left: 6px; padding-right: 6px;"));
  offsetButton_->setAutoDefault(false);
  offsetButton_->setToolTip(tr("Click to switch between byte and sector offsets"));
  start_ = new QLineEdit(this);
  end_ = new QLineEdit(this);
  count_ = new QLineEdit(this);
  const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("0x00000000")) + 28;
  for (QLineEdit* edit : {start_, end_, count_}) {
    edit->setAlignment(Qt::AlignRight);
    edit->setMinimumWidth(fieldWidth);
  }
  count_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), count_));
  count_->setEnabled(false);
  count_->installEventFilter(this);
  auto* endLabel = new QLabel(tr("End:"), this);
  auto* countLabel = new QLabel(tr("Count:"), this);
  endLabel->setBuddy(end_);
  countLabel->setBuddy(count_);
  isIso_ = new QCheckBox(tr("Is ISO?"), this);
  isIso_->setLayoutDirection(Qt::RightToLeft);  // text on the left
  askOffset_ = new QCheckBox(tr("Ask for offset?"), this);
  fields->addWidget(offsetButton_, 0, 0);
  fields->addWidget(start_, 0, 1);
  fields->addWidget(endLabel, 0, 2, Qt::AlignRight);
  fields->addWidget(end_, 0, 3);
  fields->addWidget(countLabel, 0, 4, Qt::AlignRight);
  fields->addWidget(count_, 0, 5);
  fields->addWidget(isIso_, 1, 0, Qt::AlignRight);
  fields->addWidget(askOffset_, 1, 1, 1, 3);
  fields->setColumnStretch(6, 1);
  layout->addLayout(fields);

  BuildDumpTypes(layout);

  auto* buttons = new QHBoxLayout;
  help_ = new QPushButton(tr("Help"), this);
  dumpIt_ = new QPushButton(tr("Dump It"), this);
  edit_ = new QPushButton(tr("Edit"), this);
  cancel_ = new QPushButton(tr("Cancel"), this);
  dumpIt_->setDefault(true);
  dumpIt_->setEnabled(false);
  edit_->setEnabled(false);
  for (QPushButton* b : {help_, edit_, cancel_}) b->setAutoDefault(false);
  buttons->addWidget(help_);
  buttons->addStretch(1);
  buttons->addWidget(dumpIt_);
  buttons->addWidget(edit_);
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  const std::pair<int, QWidget*> ids[] = {
      {kStartId, start_},       {kEndId, end_},   {kCountId, count_},   {kAskOffsetId, askOffset_},
      {kIsIsoId, isIso_},       {kOffsetButtonId, offsetButton_},       {kDumpItId, dumpIt_},
      {kEditId, edit_},         {kCancelId, cancel_},                   {kHelpId, help_},
  };
  for (const auto& [id, widget] : ids) {
    widget->setProperty(kControlId, id);
    controls_[id] = widget;
  }
  for (QObject* child : findChildren<QWidget*>()) child->installEventFilter(this);

  connect(start_, &QLineEdit::textChanged, this, &CLimitsDlg::OnChangeStart);
  connect(offsetButton_, &QPushButton::clicked, this, &CLimitsDlg::OnToggleOffset);
  connect(dumpIt_, &QPushButton::clicked, this, [this] { OnClose(kResultDump); });
  connect(edit_, &QPushButton::clicked, this, [this] { OnClose(kResultEdit); });
  connect(cancel_, &QPushButton::clicked, this, &CLimitsDlg::reject);
  connect(help_, &QPushButton::clicked, this, &CLimitsDlg::OnHelp);
  connect(types_, &QButtonGroup::buttonClicked, this, &CLimitsDlg::OnDumpTypeClicked);

  auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
  connect(f1, &QShortcut::activated, this, [this] { ShowContextHelp(QApplication::focusWidget()); });
  auto* whatsThis = new QShortcut(QKeySequence::WhatsThis, this);
  connect(whatsThis, &QShortcut::activated, this, [] { QWhatsThis::enterWhatsThisMode(); });
}

void CLimitsDlg::BuildDumpTypes(QVBoxLayout* into) {
  auto* outer = new QGroupBox(tr(" Dump Types "), this);
  auto* columns = new QHBoxLayout(outer);
  types_ = new QButtonGroup(this);
  types_->setExclusive(true);

  struct Group {
    QString title;
    std::vector<const DumpTypeInfo*> types;
  };
  std::vector<Group> groups;
  for (const DumpTypeInfo& info : DumpTypeTable()) {
    const QString title = QString::fromUtf8(info.group.data(), static_cast<qsizetype>(info.group.size()));
    if (groups.empty() || groups.back().title != title) groups.push_back({title, {}});
    groups.back().types.push_back(&info);
  }
  std::vector<int> sizes;
  for (const Group& g : groups) sizes.push_back(static_cast<int>(g.types.size()) * 2 + 3);  // a title is about 1.5 rows
  const std::vector<int> firstOfColumn = BalanceColumns(sizes, kTypeColumns);

  QVBoxLayout* column = nullptr;
  size_t nextColumn = 0;
  for (size_t g = 0; g < groups.size(); ++g) {
    if (nextColumn < firstOfColumn.size() && static_cast<int>(g) == firstOfColumn[nextColumn]) {
      if (column) column->addStretch(1);
      column = new QVBoxLayout;
      columns->addLayout(column);
      ++nextColumn;
    }
    auto* box = new QGroupBox(groups[g].title, outer);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setSpacing(2);
    for (const DumpTypeInfo* info : groups[g].types) {
      const int id = static_cast<int>(info->id);
      auto* radio = new QRadioButton(
          QString::fromUtf8(info->caption.data(), static_cast<qsizetype>(info->caption.size())), box);
      radio->setEnabled(info->buttonEnabled);
      radio->setProperty(kControlId, id);
      types_->addButton(radio, id);
      controls_[id] = radio;
      boxLayout->addWidget(radio);
    }
    column->addWidget(box);
  }
  if (column) column->addStretch(1);
  into->addWidget(outer, 1);
}

QWidget* CLimitsDlg::Control(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

QRadioButton* CLimitsDlg::TypeButton(int dumpType) const { return qobject_cast<QRadioButton*>(types_->button(dumpType)); }

void CLimitsDlg::showEvent(QShowEvent* event) {
  if (!initialized_) {
    initialized_ = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

void CLimitsDlg::OnInitDialog() {
  UpdateData(false);
  m_nOffsetType = static_cast<int>(settings::OffsetType());
  m_bIsIso = settings::IsIso();
  ShowOffsetMode();
  if (m_nOffsetType == 1) isIso_->setChecked(m_bIsIso);
  m_bStartAutoFilled = false;
  m_bStartEdited = false;
  start_->setFocus();
}

void CLimitsDlg::ShowOffsetMode() {
  const bool sectors = m_nOffsetType == 1;
  offsetButton_->setText(sectors ? tr("Starting Sector:") : tr("Starting Offset:"));
  isIso_->setVisible(sectors);
}

bool CLimitsDlg::UpdateData(bool save, bool validate) {
  if (!save) {
    end_->setText(m_strEnd);
    start_->setText(m_strStart);
    count_->setText(QString::number(m_nCount));
    askOffset_->setChecked(m_bAskOffset);
    isIso_->setChecked(m_bIsIso);
    return true;
  }
  m_strEnd = end_->text();
  m_strStart = start_->text();
  bool ok = false;
  const int count = count_->text().trimmed().toInt(&ok);
  if (!ok || count < kMinCount || count > kMaxCount) {
    if (validate) {
      QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                      tr("Count must be a whole number from %1 to %2.").arg(kMinCount).arg(kMaxCount),
                      QMessageBox::Ok, this);
      box.exec();
      count_->setFocus();
      count_->selectAll();
      return false;
    }
  } else {
    m_nCount = count;
  }
  m_bAskOffset = askOffset_->isChecked();
  m_bIsIso = isIso_->isChecked();
  return true;
}

void CLimitsDlg::SetStartText(const QString& text) {
  m_bStartAutoFilled = true;
  start_->setText(text);
  // An unchanged text sends no change notification; the flag must not
  // then swallow the user's next edit.
  m_bStartAutoFilled = false;
}

void CLimitsDlg::OnDumpTypeClicked(QAbstractButton* button) {
  const int id = types_->id(button);
  const DumpTypeInfo* info = FindDumpType(id);
  dumpIt_->setEnabled(true);
  end_->setEnabled(info ? info->endEnabled : true);
  m_nDumpType = types_->checkedId() > 0 ? types_->checkedId() : 0;
  if (!info) return;
  count_->setEnabled(info->countEnabled);
  count_->setText(info->countEnabled ? QString::number(info->defaultCount) : QString());
  if (!m_bStartEdited) SetStartText(QString::asprintf("0x%08X", info->defaultStart));
  edit_->setEnabled(info->editEnabled);
}

void CLimitsDlg::OnChangeStart() {
  if (m_bStartAutoFilled) {
    m_bStartAutoFilled = false;
    return;
  }
  m_bStartEdited = true;
}

void CLimitsDlg::OnToggleOffset() {
  m_nOffsetType = m_nOffsetType == 1 ? 0 : 1;
  ShowOffsetMode();
  // Count plays no part in the conversion, so an unfinished Count neither
  // stops the toggle nor brings up its message here.
  UpdateData(true, false);
  const uint32_t start = ParseOffsetText(m_strStart.toStdString());
  const uint32_t end = ParseOffsetText(m_strEnd.toStdString());
  const int shift = SectorShift(m_bIsIso);
  if (m_nOffsetType == 1) {
    m_strStart = QString::asprintf("%i", static_cast<int>(start >> shift));
    m_strEnd = QString::asprintf("%i", static_cast<int>(end >> shift));
  } else {
    m_strStart = QString::asprintf("0x%08X", static_cast<uint32_t>(start << shift));
    m_strEnd = QString::asprintf("0x%08X", static_cast<uint32_t>(end << shift));
  }
  end_->setText(m_strEnd);
  start_->setText(m_strStart);
  start_->setFocus();
  start_->selectAll();
}

void CLimitsDlg::OnClose(int result) {
  if (count_->text().isEmpty()) count_->setText(QStringLiteral("1"));
  m_nDumpType = types_->checkedId() > 0 ? types_->checkedId() : 0;
  settings::SetOffsetType(OffsetTypeOf(m_nOffsetType));
  m_bIsIso = isIso_->isChecked();
  settings::SetIsIso(m_bIsIso);
  if (!UpdateData(true)) return;
  done(result);
}

void CLimitsDlg::reject() { done(kResultCancel); }

void CLimitsDlg::OnHelp() {
  CHelpDlg help(this);
  help.m_strText = QString::fromUtf8(LimitsHelpText());
  help.exec();
}

void CLimitsDlg::ShowContextHelp(QWidget* control) {
  if (!control) return;
  const QVariant id = control->property(kControlId);
  if (!id.isValid()) return;  // labels and group boxes have nothing to say
  if (const char* text = ControlHelpText(id.toInt())) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), QString::fromUtf8(text), QMessageBox::Ok,
                    this);
    box.exec();
  } else {
    ShowPlainMessage(this, QString::fromUtf8(kNoHelpText));
  }
}

bool CLimitsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::QueryWhatsThis) return true;
  if (event->type() == QEvent::WhatsThis) {
    ShowContextHelp(qobject_cast<QWidget*>(watched));
    return true;
  }
  if (watched == count_ && event->type() == QEvent::FocusIn) {
    // All of Count is selected on entry, so typing replaces it.
    QTimer::singleShot(0, count_, [this] { count_->selectAll(); });
  }
  return QDialog::eventFilter(watched, event);
}

DumpRequest CLimitsDlg::Request() const {
  DumpRequest request;
  request.start = m_strStart.toStdString();
  request.end = m_strEnd.toStdString();
  request.count = m_nCount;
  request.askOffset = m_bAskOffset;
  request.isIso = m_bIsIso;
  request.dumpType = static_cast<DumpType>(m_nDumpType);
  request.offsetType = OffsetTypeOf(m_nOffsetType);
  request.result = static_cast<RequestResult>(result());
  return request;
}

}  // namespace trovik
