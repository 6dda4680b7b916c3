#include "app/StructuresPanel.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <atomic>

#include "catalog/Catalog.h"
#include "engine/CodePage.h"
#include "engine/DumpType.h"
#include "engine/FileAccess.h"

namespace trovik {

namespace {

enum Column { kOffset, kType, kCount, kRed, kStructure, kColumns };
constexpr int kRowRole = Qt::UserRole;

// The map's own file: once the fill is cancelled every read fails, which
// ends the map and any dump counting red at once instead of reading on.
class CancellableFile : public FileAccess {
 public:
  CancellableFile(FileAccess& inner, const std::atomic<bool>& cancel) : inner_(inner), cancel_(cancel) {}
  uint64_t Size() override { return inner_.Size(); }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override {
    if (cancel_) throw FileError("The map was cancelled.");
    return inner_.ReadAt(offset, buffer, len);
  }
  void WriteAt(uint64_t, const void*, size_t) override { throw FileError("The map only reads the file."); }

 private:
  FileAccess& inner_;
  const std::atomic<bool>& cancel_;
};

// Counting red annotations puts nothing to the user: a message belongs to
// a dump the user asked for, not to the background count.
class CountingHost : public RunHost {
 public:
  explicit CountingHost(const std::atomic<bool>& cancel) : cancel_(cancel) {}
  bool AbortRequested() override { return cancel_; }
  void ShowMessage(const std::string&) override {}

 private:
  const std::atomic<bool>& cancel_;
};

QString FromCp1252(std::string_view text) {
  QString out;
  out.reserve(static_cast<qsizetype>(text.size()));
  for (const char c : text) out += QChar(Cp1252ToUnicode(static_cast<uint8_t>(c)));
  return out;
}

// A structure's description without the partition it lies in, which its
// place in the tree already shows ("partition 1 (0x06 FAT16): FAT16 boot
// sector" under "partition 1 (0x06 FAT16), 4194304 bytes").
std::string_view ShortWhat(const std::string& what, const std::string& parentWhat) {
  for (size_t k = what.rfind(": "); k != std::string::npos && k > 0; k = what.rfind(": ", k - 1)) {
    if (parentWhat.compare(0, k, what, 0, k) == 0) return std::string_view(what).substr(k + 2);
  }
  return what;
}

QString OffsetText(uint64_t offset) {
  return QStringLiteral("0x") + QStringLiteral("%1").arg(offset, 10, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

struct StructuresPanel::Fill {
  std::atomic<bool> cancel{false};
  QThread* thread = nullptr;
};

StructuresPanel::StructuresPanel(QWidget* parent) : QDockWidget(tr("Structures"), parent) {
  setObjectName(QStringLiteral("structuresPanel"));
  setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  tree_ = new QTreeWidget(body);
  tree_->setObjectName(QStringLiteral("structuresTree"));
  tree_->setColumnCount(kColumns);
  tree_->setHeaderLabels({tr("Offset"), tr("Type"), tr("Count"), tr("Red"), tr("Structure")});
  tree_->setUniformRowHeights(true);
  tree_->setExpandsOnDoubleClick(true);
  tree_->header()->setStretchLastSection(true);
  tree_->installEventFilter(this);
  status_ = new QLabel(tr("Open a file to see its structures."), body);
  status_->setObjectName(QStringLiteral("structuresStatus"));
  status_->setTextFormat(Qt::PlainText);
  status_->setWordWrap(true);
  layout->addWidget(tree_, 1);
  layout->addWidget(status_);
  setWidget(body);

  dump_ = new QAction(tr("&Dump"), this);
  dump_->setStatusTip(tr("Dump this structure into the report at the caret"));
  dumpAll_ = new QAction(tr("Dump &All Structures"), this);
  dumpAll_->setStatusTip(tr("Dump every structure of the map into the report, one after another"));
  tree_->setContextMenuPolicy(Qt::ActionsContextMenu);
  tree_->addAction(dump_);
  tree_->addAction(dumpAll_);
  connect(dump_, &QAction::triggered, this, [this] { RequestDump(tree_->currentItem()); });
  connect(dumpAll_, &QAction::triggered, this, [this] {
    if (mapped_) emit DumpAllRequested();
  });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { RequestDump(item); });
  connect(tree_, &QTreeWidget::currentItemChanged, this, &StructuresPanel::UpdateActions);
  UpdateActions();
}

StructuresPanel::~StructuresPanel() {
  // Every worker reads through a file that fails once cancelled, so each
  // ends after its current read.
  for (const auto& fill : workers_) fill->cancel = true;
  for (const auto& fill : workers_) {
    fill->thread->wait();
    delete fill->thread;
  }
}

void StructuresPanel::CancelFill() {
  if (fill_) fill_->cancel = true;
  fill_.reset();
}

void StructuresPanel::Open(const QString& path) {
  CancelFill();
  path_ = path;
  rows_.clear();
  items_.clear();
  tree_->clear();
  mapped_ = false;
  status_->setText(tr("Mapping %1...").arg(QFileInfo(path).fileName()));
  UpdateActions();

  auto fill = std::make_shared<Fill>();
  fill_ = fill;
  workers_.push_back(fill);
  const std::string name = QFile::encodeName(path).toStdString();
  // The worker hands its results to the UI thread; the panel outlives it
  // (the destructor waits), and results of a cancelled fill are dropped.
  fill->thread = QThread::create([this, fill, name] {
    auto post = [this](auto f) { QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection); };
    try {
      auto posix = PosixFile::Open(name, OpenMode::ReadOnly);
      CancellableFile file(*posix, fill->cancel);
      std::vector<MapRow> rows = BuildMap(file);
      if (fill->cancel) return;
      post([this, fill, rows] { ShowRows(fill, rows); });
      CountingHost host(fill->cancel);
      for (size_t i = 0; i < rows.size(); ++i) {
        const int red = CountRed(rows[i], file, host);
        if (fill->cancel) return;
        post([this, fill, i, red] { ShowRed(fill, static_cast<int>(i), red); });
      }
      post([this, fill] { FillEnded(fill, QString()); });
    } catch (const FileError& error) {
      post([this, fill, message = QString::fromStdString(error.what())] { FillEnded(fill, message); });
    }
  });
  connect(fill->thread, &QThread::finished, this, [this, fill] {
    std::erase(workers_, fill);
    fill->thread->deleteLater();
  });
  fill->thread->start(QThread::LowPriority);
}

void StructuresPanel::ShowRows(const std::shared_ptr<Fill>& fill, std::vector<MapRow> rows) {
  if (fill != fill_) return;
  rows_ = std::move(rows);
  items_.clear();
  for (size_t i = 0; i < rows_.size(); ++i) {
    const MapRow& row = rows_[i];
    // Rows come in tree order: a partition's row before its structures.
    const bool hasParent = row.parent >= 0 && static_cast<size_t>(row.parent) < i;
    auto* item = hasParent ? new QTreeWidgetItem(items_[static_cast<size_t>(row.parent)]) : new QTreeWidgetItem(tree_);
    items_.push_back(item);
    const DumpTypeInfo* info = FindDumpType(static_cast<int>(row.type));
    const std::string_view what = hasParent ? ShortWhat(row.what, rows_[static_cast<size_t>(row.parent)].what) : row.what;
    QString text = FromCp1252(what);
    if (!row.problem.empty()) text += QStringLiteral(" <-- ") + FromCp1252(row.problem);
    item->setData(kOffset, kRowRole, static_cast<int>(i));
    item->setText(kOffset, OffsetText(row.offset));
    item->setText(kType, info ? QString::fromLatin1(info->name) : QString());
    item->setText(kCount, info ? QString::number(row.count) : QString());
    item->setText(kStructure, text);
    item->setToolTip(kStructure, FromCp1252(row.what) +
                                     (row.problem.empty() ? QString() : QStringLiteral(" <-- ") + FromCp1252(row.problem)));
    item->setTextAlignment(kCount, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(kRed, Qt::AlignRight | Qt::AlignVCenter);
    if (!row.problem.empty()) item->setForeground(kStructure, Qt::red);
  }
  mapped_ = true;
  tree_->expandAll();
  for (int column = kOffset; column < kStructure; ++column) tree_->resizeColumnToContents(column);
  status_->setText(rows_.empty() ? tr("No structures found.") : tr("Counting red annotations..."));
  UpdateActions();
}

void StructuresPanel::ShowRed(const std::shared_ptr<Fill>& fill, int row, int red) {
  if (fill != fill_ || row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
  rows_[static_cast<size_t>(row)].red = red;
  if (rows_[static_cast<size_t>(row)].type == DumpType::None) return;
  QTreeWidgetItem* item = items_[static_cast<size_t>(row)];
  item->setText(kRed, QString::number(red));
  if (red > 0) item->setForeground(kRed, Qt::red);
}

void StructuresPanel::FillEnded(const std::shared_ptr<Fill>& fill, const QString& error) {
  if (fill != fill_) return;
  fill_.reset();
  if (!error.isEmpty()) {
    status_->setText(error);
    return;
  }
  int structures = 0;
  int red = 0;
  int problems = 0;
  for (const MapRow& row : rows_) {
    structures += row.type != DumpType::None;
    red += std::max(row.red, 0);
    problems += !row.problem.empty();
  }
  if (rows_.empty()) return;
  auto counted = [](int n, const QString& one, const QString& many) { return (n == 1 ? one : many).arg(n); };
  QString text = counted(structures, tr("%1 structure"), tr("%1 structures")) + QStringLiteral(", ") +
                 counted(red, tr("%1 red annotation"), tr("%1 red annotations"));
  if (problems) text += QStringLiteral(", ") + counted(problems, tr("%1 place not followed"), tr("%1 places not followed"));
  status_->setText(text + QLatin1Char('.'));
}

QTreeWidgetItem* StructuresPanel::ItemOfRow(int row) const {
  return row >= 0 && static_cast<size_t>(row) < items_.size() ? items_[static_cast<size_t>(row)] : nullptr;
}

int StructuresPanel::RowOf(const QTreeWidgetItem* item) {
  const QVariant row = item ? item->data(kOffset, kRowRole) : QVariant();
  return row.isValid() ? row.toInt() : -1;
}

bool StructuresPanel::Dumpable(const QTreeWidgetItem* item) const {
  const int row = RowOf(item);
  return row >= 0 && static_cast<size_t>(row) < rows_.size() && rows_[static_cast<size_t>(row)].type != DumpType::None;
}

void StructuresPanel::RequestDump(QTreeWidgetItem* item) {
  if (Dumpable(item)) emit DumpRowRequested(RowOf(item));
}

bool StructuresPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tree_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    // Enter on a partition row keeps its usual meaning.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && Dumpable(tree_->currentItem())) {
      RequestDump(tree_->currentItem());
      return true;
    }
  }
  return QDockWidget::eventFilter(watched, event);
}

void StructuresPanel::UpdateActions() {
  dump_->setEnabled(Dumpable(tree_->currentItem()));
  dumpAll_->setEnabled(mapped_ && !rows_.empty());
}

}  // namespace trovik
