// The "Structures" panel beside the report: the structure map of the file
// last opened, as a tree (partitions, then the structures inside them),
// with each row's type, offset, Count and, once counted, its number of red
// annotations. The map is built and the red annotations are counted on a
// worker thread, so a huge or hostile image never holds up the window;
// opening another file cancels the fill still running for the previous one.
// The panel does not dump anything itself: it asks the main window to.
#pragma once

#include <QDockWidget>
#include <QString>
#include <memory>
#include <vector>

#include "map/StructureMap.h"

class QAction;
class QLabel;
class QThread;
class QTreeWidget;
class QTreeWidgetItem;

namespace trovik {

class StructuresPanel : public QDockWidget {
  Q_OBJECT
 public:
  explicit StructuresPanel(QWidget* parent = nullptr);
  ~StructuresPanel() override;

  // Maps the file in the background; the tree fills when the map is ready
  // and the red counts follow row by row.
  void Open(const QString& path);
  QString Path() const { return path_; }
  // The rows as the map gave them, with the red counts known so far.
  const std::vector<MapRow>& Rows() const { return rows_; }
  bool IsMapped() const { return mapped_; }
  // True once every row's red annotations are counted (or the fill ended).
  bool IsFilled() const { return mapped_ && !fill_; }

  QTreeWidget* Tree() const { return tree_; }
  QTreeWidgetItem* ItemOfRow(int row) const;
  // The row an item shows, or -1.
  static int RowOf(const QTreeWidgetItem* item);
  QAction* DumpAllAction() const { return dumpAll_; }

 signals:
  // A row to dump into the report (double-click, Enter, the context menu).
  void DumpRowRequested(int row);
  void DumpAllRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Fill;
  void ShowRows(const std::shared_ptr<Fill>& fill, std::vector<MapRow> rows);
  void ShowRed(const std::shared_ptr<Fill>& fill, int row, int red);
  void FillEnded(const std::shared_ptr<Fill>& fill, const QString& error);
  void CancelFill();
  bool Dumpable(const QTreeWidgetItem* item) const;
  void RequestDump(QTreeWidgetItem* item);
  void UpdateActions();

  QTreeWidget* tree_;
  QLabel* status_;
  QAction* dump_;
  QAction* dumpAll_;
  QString path_;
  std::vector<MapRow> rows_;
  std::vector<QTreeWidgetItem*> items_;
  bool mapped_ = false;
  // The fill under way for the current file, and every worker not yet
  // ended (a cancelled one stops at its next read).
  std::shared_ptr<Fill> fill_;
  std::vector<std::shared_ptr<Fill>> workers_;
};

}  // namespace trovik
