// The main window: menus, toolbar and status bar around the report view,
// and the commands of the application (dump runs, files, printing, search).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "app/ReportText.h"
#include "engine/DumpRun.h"

class QAction;
class QLabel;
class QPrinter;
class QToolBar;

namespace trovik {

class CTrovikDoc;
class CTrovikView;
class DumpRunner;
class FindReplaceDlg;
class StructuresPanel;

// Command IDs of the menus and the toolbar.
enum CommandId : int {
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_OPEN_TEXT = 32771,
  ID_FILE_SAVE = 57603,
  ID_FILE_SAVE_AS = 57604,
  ID_FILE_PRINT = 57607,
  ID_FILE_PRINT_PREVIEW = 57609,
  ID_FILE_PRINT_SETUP = 57606,
  ID_APP_EXIT = 57665,
  ID_EDIT_UNDO = 57643,
  ID_EDIT_CUT = 57635,
  ID_EDIT_COPY = 57634,
  ID_EDIT_PASTE = 57637,
  ID_EDIT_PASTE_SPECIAL = 57639,
  ID_EDIT_SELECT_ALL = 57642,
  ID_EDIT_FIND = 57636,
  ID_EDIT_REPEAT = 57640,
  ID_EDIT_REPLACE = 57641,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,
  ID_TOOLS_LBA_TO_CHS = 32773,
  ID_APP_ABOUT = 57664,
};

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(QWidget* parent = nullptr);
  ~CMainFrame() override;

  CTrovikDoc* Document() const { return doc_; }
  CTrovikView* View() const { return view_; }
  DumpRunner* Runner() const { return runner_; }
  StructuresPanel* Structures() const { return structures_; }
  QAction* Action(int id) const;
  QToolBar* ToolBar() const { return toolBar_; }
  QPrinter* Printer();

  // File > Open: the file dialog, then a dump run on the chosen file.
  void OnFileOpen();
  // A dump run on a file chosen elsewhere (command line, drop, Open With):
  // opens it, maps it in the Structures panel, asks for the request and
  // starts the run.
  void DumpFile(const QString& path);
  // Starts the run of a request that was already collected. A report that
  // would be large (see LargeReportLimit) is not simply dumped into the
  // window: the user chooses the window, a file, or neither.
  void StartRun(std::unique_ptr<class FileAccess> file, const struct DumpRequest& request);
  // Report size, in characters (one byte each in the view), above which
  // StartRun asks: 1 GB or a quarter of the memory available, whichever is
  // less. Tests set their own.
  uint64_t LargeReportLimit() const;
  void SetLargeReportLimit(std::optional<uint64_t> limit) { largeReportLimit_ = limit; }

  void OnFileNew();
  void OnOpenText();
  bool OnFileSave();
  bool OnFileSaveAs();
  void OnFilePrint();
  void OnFilePrintPreview();
  void OnFilePrintSetup();
  void OnAppExit();
  void OnAppAbout();
  void OnEditFind();
  void OnEditReplace();
  void OnEditRepeat();
  void OnPasteSpecial();

  // Opens the text file into the report (Open Text after its dialog).
  bool OpenTextFile(const QString& path);
  // Asks to save a modified report; false when the user cancelled.
  bool SaveModified();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  QAction* MakeAction(int id, const QString& text, const QString& prompt, const QList<QKeySequence>& keys = {},
                      const QString& iconName = QString(), const QString& fallback = QString());
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void UpdateTitle();
  void UpdateCommands();
  void UpdateLockKeys();
  void OnRunStarted();
  void OnRunFinished(RunStatus status);
  // Dumps rows of the Structures panel's map into the report at the caret.
  void DumpStructure(int row);
  void DumpAllStructures();
  // The mapped file, opened read-only for a dump of its rows; nullptr (the
  // cause shown) when it cannot be opened.
  std::unique_ptr<FileAccess> OpenMappedFile();
  void DoFind(bool fromDialog);
  FindReplaceDlg* FindDialog();

  CTrovikDoc* doc_;
  CTrovikView* view_;
  DumpRunner* runner_;
  StructuresPanel* structures_;
  QToolBar* toolBar_ = nullptr;
  QLabel* ready_ = nullptr;
  QLabel* caps_ = nullptr;
  QLabel* num_ = nullptr;
  QLabel* scroll_ = nullptr;
  std::map<int, QAction*> actions_;
  std::unique_ptr<QPrinter> printer_;
  QPointer<FindReplaceDlg> find_;
  QString lastFind_;
  ReportText::FindOptions lastOptions_;
  bool closeAfterRun_ = false;
  std::optional<uint64_t> largeReportLimit_;
  int lockTimer_ = 0;
};

}  // namespace trovik
