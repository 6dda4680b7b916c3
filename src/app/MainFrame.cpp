#include "app/MainFrame.h"

#include "editors/qt/EditorDialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QDir>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/AboutDlg.h"
#include "app/DumpRunner.h"
#include "app/FindReplaceDlg.h"
#include "app/LockKeys.h"
#include "app/Memory.h"
#include "app/ReportPrinter.h"
#include "app/StructuresPanel.h"
#include "app/TrovikDoc.h"
#include "app/TrovikView.h"
#include "app/WindowPlacement.h"
#include "engine/DumpRequest.h"
#include "engine/FileAccess.h"
#include "engine/ReportSize.h"
#include "gui/AppSettings.h"
#include "gui/DialogSupport.h"
#include "request/LimitsDlg.h"

namespace trovik {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("mainFrame"));
  doc_ = new CTrovikDoc(this);
  view_ = new CTrovikView(doc_, this);
  setCentralWidget(view_);
  runner_ = new DumpRunner(view_, this, this);
  structures_ = new StructuresPanel(this);
  addDockWidget(Qt::LeftDockWidgetArea, structures_);
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  view_->SetContextActions({Action(ID_EDIT_UNDO), nullptr, Action(ID_EDIT_CUT), Action(ID_EDIT_COPY),
                            Action(ID_EDIT_PASTE), nullptr, Action(ID_EDIT_SELECT_ALL)});
  setAcceptDrops(true);
  resize(900, 640);
  restoreState(settings::DockState());
  toolBar_->setVisible(Action(ID_VIEW_TOOLBAR)->isChecked());  // the toolbar's visibility is not kept

  connect(doc_, &CTrovikDoc::ModifiedChanged, this, &CMainFrame::UpdateTitle);
  connect(doc_, &CTrovikDoc::PathChanged, this, &CMainFrame::UpdateTitle);
  connect(doc_, &CTrovikDoc::UndoAvailable, this, &CMainFrame::UpdateCommands);
  connect(view_, &CTrovikView::CopyAvailable, this, &CMainFrame::UpdateCommands);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommands);
  connect(runner_, &DumpRunner::Started, this, &CMainFrame::OnRunStarted);
  connect(runner_, &DumpRunner::Finished, this, &CMainFrame::OnRunFinished);
  connect(structures_, &StructuresPanel::DumpRowRequested, this, &CMainFrame::DumpStructure);
  connect(structures_, &StructuresPanel::DumpAllRequested, this, &CMainFrame::DumpAllStructures);
  // Escape does not stop the run while one of its dialogs waits for an answer.
  connect(&runner_->Host(), &GuiRunHost::AskingChanged, this, [this](bool asking) {
    if (runner_->IsRunning()) ready_->setText(asking ? tr("Dumping...") : tr("Dumping... press Esc to stop"));
  });
  UpdateTitle();
  UpdateCommands();
  view_->setFocus();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::Action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QAction* CMainFrame::MakeAction(int id, const QString& text, const QString& prompt, const QList<QKeySequence>& keys,
                                const QString& iconName, const QString& fallback) {
  auto* action = new QAction(text, this);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setData(id);
  // A prompt is "status bar text\ntool tip", as the command's string says.
  const qsizetype split = prompt.indexOf(QLatin1Char('\n'));
  action->setStatusTip(split < 0 ? prompt : prompt.left(split));
  if (split >= 0) action->setToolTip(prompt.mid(split + 1));
  if (!keys.isEmpty()) action->setShortcuts(keys);
  if (!iconName.isEmpty())
    action->setIcon(QIcon::fromTheme(iconName, QIcon(QStringLiteral(":/icons/%1.png").arg(fallback))));
  actions_[id] = action;
  return action;
}

void CMainFrame::CreateMenus() {
  using K = QKeySequence;
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addAction(MakeAction(ID_FILE_NEW, tr("&New"), tr("Create a new, empty report\nNew"), {K(Qt::CTRL | Qt::Key_N)},
                             QStringLiteral("document-new"), QStringLiteral("new")));
  file->addAction(MakeAction(ID_FILE_OPEN, tr("&Open..."), tr("Open a file and dump a range of it\nOpen"),
                             {K(Qt::CTRL | Qt::Key_O)}, QStringLiteral("document-open"), QStringLiteral("open")));
  file->addAction(MakeAction(ID_FILE_OPEN_TEXT, tr("Open Text..."),
                             QStringLiteral("Open an existing document as a text file \nOpen text"), {},
                             QStringLiteral("text-x-generic"), QStringLiteral("opentext")));
  file->addAction(MakeAction(ID_FILE_SAVE, tr("&Save"), tr("Save the report\nSave"), {K(Qt::CTRL | Qt::Key_S)},
                             QStringLiteral("document-save"), QStringLiteral("save")));
  file->addAction(MakeAction(ID_FILE_SAVE_AS, tr("Save &As..."), tr("Save the report under a new name\nSave As")));
  file->addSeparator();
  file->addAction(MakeAction(ID_FILE_PRINT, tr("&Print..."), tr("Print the report\nPrint"), {K(Qt::CTRL | Qt::Key_P)},
                             QStringLiteral("document-print"), QStringLiteral("print")));
  file->addAction(MakeAction(ID_FILE_PRINT_PREVIEW, tr("Print Pre&view"),
                             tr("Show the pages as they will be printed\nPrint Preview")));
  file->addAction(MakeAction(ID_FILE_PRINT_SETUP, tr("P&rint Setup..."),
                             tr("Choose the printer, the paper and its orientation\nPrint Setup")));
  file->addSeparator();
  file->addAction(MakeAction(ID_APP_EXIT, tr("E&xit"), tr("Quit the application; offers to save the report\nExit")));

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(MakeAction(ID_EDIT_UNDO, tr("&Undo"), tr("Undo the last edit\nUndo"),
                             {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)}));
  edit->addSeparator();
  edit->addAction(MakeAction(ID_EDIT_CUT, tr("Cu&t"), tr("Cut the selection to the clipboard\nCut"),
                             {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}, QStringLiteral("edit-cut"),
                             QStringLiteral("cut")));
  edit->addAction(MakeAction(ID_EDIT_COPY, tr("&Copy"), tr("Copy the selection to the clipboard\nCopy"),
                             {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}, QStringLiteral("edit-copy"),
                             QStringLiteral("copy")));
  edit->addAction(MakeAction(ID_EDIT_PASTE, tr("&Paste"), tr("Insert the text on the clipboard\nPaste"),
                             {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}, QStringLiteral("edit-paste"),
                             QStringLiteral("paste")));
  edit->addAction(MakeAction(ID_EDIT_PASTE_SPECIAL, tr("Paste &Special..."),
                             tr("Insert the clipboard's contents as plain text\nPaste Special")));
  edit->addAction(MakeAction(ID_EDIT_SELECT_ALL, tr("Select A&ll"), tr("Select the whole report\nSelect All"),
                             {K(Qt::CTRL | Qt::Key_A)}));
  edit->addSeparator();
  edit->addAction(MakeAction(ID_EDIT_FIND, tr("&Find..."), tr("Find text in the report\nFind"),
                             {K(Qt::CTRL | Qt::Key_F)}));
  edit->addAction(MakeAction(ID_EDIT_REPEAT, tr("F&ind Next"), tr("Find the next match of the last search\nFind Next"),
                             {K(Qt::Key_F3)}));
  edit->addAction(MakeAction(ID_EDIT_REPLACE, tr("R&eplace"), tr("Replace text in the report\nReplace"),
                             {K(Qt::CTRL | Qt::Key_H)}));

  QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
  QAction* toolbarAction = MakeAction(ID_VIEW_TOOLBAR, tr("&Toolbar"), tr("Show or hide the toolbar\nToggle Toolbar"));
  QAction* statusAction =
      MakeAction(ID_VIEW_STATUS_BAR, tr("&Status Bar"), tr("Show or hide the status bar\nToggle Status Bar"));
  toolbarAction->setCheckable(true);
  statusAction->setCheckable(true);
  toolbarAction->setChecked(true);
  statusAction->setChecked(true);
  viewMenu->addAction(toolbarAction);
  viewMenu->addAction(statusAction);
  viewMenu->addAction(structures_->toggleViewAction());

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  QAction* lba = MakeAction(ID_TOOLS_LBA_TO_CHS, tr("LBA to CHS"),
                            QStringLiteral("Convert LBA to CHS or CHS to LBA\nLBA to CHS"), {},
                            QStringLiteral("accessories-calculator"), QStringLiteral("lbachs"));
  connect(lba, &QAction::triggered, this, [this] { ShowLbaChs(this); });
  tools->addAction(lba);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(MakeAction(ID_APP_ABOUT, tr("&About trovik..."),
                             tr("Show the program's version and notices\nAbout"), {},
                             QStringLiteral("help-about"), QStringLiteral("about")));

  connect(Action(ID_FILE_NEW), &QAction::triggered, this, &CMainFrame::OnFileNew);
  connect(Action(ID_FILE_OPEN), &QAction::triggered, this, &CMainFrame::OnFileOpen);
  connect(Action(ID_FILE_OPEN_TEXT), &QAction::triggered, this, &CMainFrame::OnOpenText);
  connect(Action(ID_FILE_SAVE), &QAction::triggered, this, &CMainFrame::OnFileSave);
  connect(Action(ID_FILE_SAVE_AS), &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
  connect(Action(ID_FILE_PRINT), &QAction::triggered, this, &CMainFrame::OnFilePrint);
  connect(Action(ID_FILE_PRINT_PREVIEW), &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);
  connect(Action(ID_FILE_PRINT_SETUP), &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);
  connect(Action(ID_APP_EXIT), &QAction::triggered, this, &CMainFrame::OnAppExit);
  connect(Action(ID_EDIT_UNDO), &QAction::triggered, view_, &CTrovikView::Undo);
  connect(Action(ID_EDIT_CUT), &QAction::triggered, view_, &CTrovikView::Cut);
  connect(Action(ID_EDIT_COPY), &QAction::triggered, view_, &CTrovikView::Copy);
  connect(Action(ID_EDIT_PASTE), &QAction::triggered, view_, &CTrovikView::Paste);
  connect(Action(ID_EDIT_PASTE_SPECIAL), &QAction::triggered, this, &CMainFrame::OnPasteSpecial);
  connect(Action(ID_EDIT_SELECT_ALL), &QAction::triggered, view_, &CTrovikView::SelectAll);
  connect(Action(ID_EDIT_FIND), &QAction::triggered, this, &CMainFrame::OnEditFind);
  connect(Action(ID_EDIT_REPEAT), &QAction::triggered, this, &CMainFrame::OnEditRepeat);
  connect(Action(ID_EDIT_REPLACE), &QAction::triggered, this, &CMainFrame::OnEditReplace);
  connect(Action(ID_APP_ABOUT), &QAction::triggered, this, &CMainFrame::OnAppAbout);
  connect(statusAction, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
}

void CMainFrame::CreateToolBar() {
  toolBar_ = new QToolBar(tr("Toolbar"), this);
  toolBar_->setObjectName(QStringLiteral("toolbar"));
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (int id : std::initializer_list<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_OPEN_TEXT, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                 ID_EDIT_PASTE, 0, ID_FILE_PRINT, 0, ID_TOOLS_LBA_TO_CHS}) {
    if (id == 0)
      toolBar_->addSeparator();
    else
      toolBar_->addAction(Action(id));
  }
  addToolBar(Qt::TopToolBarArea, toolBar_);
  QAction* toggle = Action(ID_VIEW_TOOLBAR);
  connect(toggle, &QAction::toggled, toolBar_, &QToolBar::setVisible);
  connect(toolBar_, &QToolBar::visibilityChanged, toggle, [this, toggle](bool visible) {
    if (!isVisible() || isMinimized()) return;  // hiding the window is not hiding the toolbar
    toggle->setChecked(visible);
  });
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  ready_ = new QLabel(tr("Ready"), bar);
  ready_->setObjectName(QStringLiteral("messagePane"));
  bar->addWidget(ready_, 1);
  auto makePane = [&](const QString& text) {
    auto* pane = new QLabel(text, bar);
    pane->setObjectName(text);
    pane->setAlignment(Qt::AlignCenter);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 12);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pane->setEnabled(false);
    bar->addPermanentWidget(pane);
    return pane;
  };
  caps_ = makePane(QStringLiteral("CAP"));
  num_ = makePane(QStringLiteral("NUM"));
  scroll_ = makePane(QStringLiteral("SCRL"));
  UpdateLockKeys();
  if (ReadLockKeys().known) lockTimer_ = startTimer(300);
}

void CMainFrame::UpdateLockKeys() {
  const LockKeyState state = ReadLockKeys();
  // A pane is lit (drawn enabled) while its lock is on.
  caps_->setEnabled(state.caps);
  num_->setEnabled(state.num);
  scroll_->setEnabled(state.scroll);
}

void CMainFrame::timerEvent(QTimerEvent* event) {
  if (event->timerId() == lockTimer_) {
    UpdateLockKeys();
    return;
  }
  QMainWindow::timerEvent(event);
}

void CMainFrame::UpdateTitle() {
  setWindowTitle(QStringLiteral("%1[*] - %2").arg(doc_->Title(), QApplication::applicationName()));
  setWindowModified(doc_->IsModified());
}

void CMainFrame::UpdateCommands() {
  const bool running = runner_->IsRunning();
  const bool editable = !running;
  for (int id : std::initializer_list<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_OPEN_TEXT, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_PRINT,
                 ID_FILE_PRINT_PREVIEW, ID_EDIT_REPLACE})
    Action(id)->setEnabled(!running);
  Action(ID_EDIT_UNDO)->setEnabled(editable && doc_->CanUndo());
  Action(ID_EDIT_CUT)->setEnabled(editable && view_->HasSelection());
  Action(ID_EDIT_COPY)->setEnabled(view_->HasSelection());
  const bool clipboardText = QApplication::clipboard()->mimeData() && QApplication::clipboard()->mimeData()->hasText();
  Action(ID_EDIT_PASTE)->setEnabled(editable && clipboardText);
  Action(ID_EDIT_PASTE_SPECIAL)->setEnabled(editable && clipboardText);
}

QPrinter* CMainFrame::Printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    SetReportMargins(*printer_);
  }
  return printer_.get();
}

// --- Dump runs --------------------------------------------------------------

void CMainFrame::OnFileOpen() {
  if (runner_->IsRunning()) return;
  const QString path = QFileDialog::getOpenFileName(this, tr("Open"), settings::LastFilename(), tr("All files (*)"));
  if (path.isEmpty()) return;
  DumpFile(path);
}

void CMainFrame::DumpFile(const QString& path) {
  if (runner_->IsRunning()) return;
  settings::SetLastFilename(path);
  std::unique_ptr<PosixFile> file;
  uint64_t size = 0;
  std::string writeRefused;  // a file that can only be read can still be dumped
  try {
    file = OpenPreferringWrite(QFile::encodeName(path).toStdString(), writeRefused);
    size = file->Size();
  } catch (const FileError& error) {
    ShowPlainMessage(this, QString::fromStdString(error.what()));
    return;
  }
  if (ExceedsAddressableSize(size)) ShowPlainMessage(this, QString::fromLatin1(kLargeFileWarning));
  structures_->Open(path);

  CLimitsDlg dialog(this);
  const OffsetType offsets = settings::OffsetType();
  dialog.m_nOffsetType = static_cast<int>(offsets);
  dialog.m_bIsIso = settings::IsIso();
  const RangeTexts preset = PresetRange(size, offsets, dialog.m_bIsIso);
  dialog.m_strStart = QString::fromStdString(preset.start);
  dialog.m_strEnd = QString::fromStdString(preset.end);
  dialog.m_nDumpType = 0;
  const int result = dialog.exec();
  if (result != kResultDump && result != kResultEdit) return;
  if (result == kResultEdit && !writeRefused.empty()) {
    ShowPlainMessage(this, QString::fromStdString(writeRefused));
    return;
  }
  StartRun(std::move(file), dialog.Request());
}

uint64_t CMainFrame::LargeReportLimit() const {
  if (largeReportLimit_) return *largeReportLimit_;
  constexpr uint64_t kOneGigabyte = 1000 * 1000 * 1000;
  const uint64_t available = AvailableMemoryBytes();
  return available > 0 ? std::min(kOneGigabyte, available / 4) : kOneGigabyte;
}

void CMainFrame::StartRun(std::unique_ptr<FileAccess> file, const DumpRequest& request) {
  uint64_t chars = 0;
  try {
    chars = EstimateReportChars(request, file->Size());
  } catch (const FileError&) {
    // The run reports the failure itself.
  }
  if (chars > LargeReportLimit()) {
    QMessageBox question(QMessageBox::Warning, QApplication::applicationName(),
                         tr("This report will be about %1. Held in the window it would take that much memory.\n\n"
                            "Dump it into the window anyway, or write it straight to a file?")
                             .arg(QLocale().formattedDataSize(static_cast<qint64>(chars), 1, QLocale::DataSizeSIFormat)),
                         QMessageBox::NoButton, this);
    QPushButton* window = question.addButton(tr("Dump into the Window"), QMessageBox::AcceptRole);
    QPushButton* toFile = question.addButton(tr("Write to a File..."), QMessageBox::AcceptRole);
    question.addButton(QMessageBox::Cancel);
    question.setDefaultButton(toFile);
    question.exec();
    if (question.clickedButton() == toFile) {
      const QString path =
          QFileDialog::getSaveFileName(this, tr("Write the Report to"), tr("Untitled"), tr("All files (*)"));
      if (path.isEmpty()) return;
      QString error;
      if (!runner_->StartToFile(std::move(file), request, path, &error))
        QMessageBox::warning(this, QApplication::applicationName(), tr("Cannot save %1:\n%2").arg(path, error));
      return;
    }
    if (question.clickedButton() != window) return;
  }
  runner_->Start(std::move(file), request);
}

std::unique_ptr<FileAccess> CMainFrame::OpenMappedFile() {
  try {
    return PosixFile::Open(QFile::encodeName(structures_->Path()).toStdString(), OpenMode::ReadOnly);
  } catch (const FileError& error) {
    ShowPlainMessage(this, QString::fromStdString(error.what()));
    return nullptr;
  }
}

void CMainFrame::DumpStructure(int row) {
  if (runner_->IsRunning() || row < 0 || static_cast<size_t>(row) >= structures_->Rows().size()) return;
  std::unique_ptr<FileAccess> file = OpenMappedFile();
  if (!file) return;
  StartRun(std::move(file), RowRequest(structures_->Rows()[static_cast<size_t>(row)]));
}

void CMainFrame::DumpAllStructures() {
  if (runner_->IsRunning() || structures_->Rows().empty()) return;
  std::unique_ptr<FileAccess> file = OpenMappedFile();
  if (!file) return;
  FileAccess* input = file.get();
  runner_->StartJob([rows = structures_->Rows(), input](ReportSink& sink, RunHost& host) mutable {
    return DumpAllRows(rows, *input, sink, host);
  }, std::move(file));
}

void CMainFrame::OnRunStarted() {
  ready_->setText(tr("Dumping... press Esc to stop"));
  UpdateCommands();
}

void CMainFrame::OnRunFinished(RunStatus status) {
  ready_->setText(tr("Ready"));
  // A report written to a file leaves the window as it was: the status bar
  // says where it went.
  const QString writtenTo = QDir::toNativeSeparators(runner_->WrittenTo());
  if (!writtenTo.isEmpty())
    statusBar()->showMessage(status == RunStatus::Aborted
                                 ? tr("The dump was stopped; the report so far was written to %1.").arg(writtenTo)
                                 : tr("The report was written to %1.").arg(writtenTo));
  else if (status == RunStatus::Aborted)
    statusBar()->showMessage(tr("The dump was stopped."), 4000);
  UpdateCommands();
  view_->setFocus();
  if (closeAfterRun_) QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* mime = event->mimeData();
  if (!runner_->IsRunning() && mime->hasUrls() && !mime->urls().isEmpty() && mime->urls().first().isLocalFile())
    event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty() || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  const QString path = urls.first().toLocalFile();
  // The request dialog is modal: open it after the drop has finished.
  QTimer::singleShot(0, this, [this, path] { DumpFile(path); });
}

// --- Documents ---------------------------------------------------------------

bool CMainFrame::SaveModified() {
  if (!doc_->IsModified()) return true;
  const auto answer = QMessageBox::question(this, QApplication::applicationName(),
                                            tr("Save changes to %1?").arg(doc_->Title()),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Cancel) return false;
  if (answer == QMessageBox::No) return true;
  return OnFileSave();
}

void CMainFrame::OnFileNew() {
  if (runner_->IsRunning() || !SaveModified()) return;
  doc_->NewDocument();
  view_->SetSelection(0, 0);
}

bool CMainFrame::OnFileSave() {
  if (doc_->Path().isEmpty()) return OnFileSaveAs();
  QString error;
  if (!doc_->SaveTo(doc_->Path(), &error)) {
    QMessageBox::warning(this, QApplication::applicationName(), tr("Cannot save %1:\n%2").arg(doc_->Path(), error));
    return false;
  }
  return true;
}

bool CMainFrame::OnFileSaveAs() {
  const QString suggested = doc_->Path().isEmpty() ? tr("Untitled") : doc_->Path();
  const QString path = QFileDialog::getSaveFileName(this, tr("Save As"), suggested, tr("All files (*)"));
  if (path.isEmpty()) return false;
  QString error;
  if (!doc_->SaveTo(path, &error)) {
    QMessageBox::warning(this, QApplication::applicationName(), tr("Cannot save %1:\n%2").arg(path, error));
    return false;
  }
  return true;
}

void CMainFrame::OnOpenText() {
  if (runner_->IsRunning()) return;
  const QString path = QFileDialog::getOpenFileName(this, tr("Open Text"), QString(),
                                                    tr("Text files (*.txt);;Dump files (*.dmp);;All files (*)"));
  if (!path.isEmpty()) OpenTextFile(path);
}

bool CMainFrame::OpenTextFile(const QString& path) {
  // Replaces the report without asking. The text is loaded, not opened as
  // the report's document: the report is untitled, so Save asks for a name
  // instead of overwriting the file the report was last saved to.
  QString error;
  const bool ok = doc_->LoadText(path, &error);
  view_->SetSelection(0, 0);
  if (!ok)
    QMessageBox::warning(this, QApplication::applicationName(), tr("Cannot read %1:\n%2").arg(path, error));
  return ok;
}

// --- Printing -----------------------------------------------------------------

void CMainFrame::OnFilePrint() {
  QPrinter* printer = Printer();
  QPrintDialog dialog(printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, view_->HasSelection());
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  if (dialog.exec() != QDialog::Accepted) return;
  if (printer->printRange() == QPrinter::Selection)
    PrintReport(*printer, doc_->Text(), view_->ReportFont(), view_->SelectionStart(), view_->SelectionEnd());
  else
    PrintReport(*printer, doc_->Text(), view_->ReportFont());
}

void CMainFrame::OnFilePrintPreview() {
  QPrintPreviewDialog preview(Printer(), this);
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* printer) { PrintReport(*printer, doc_->Text(), view_->ReportFont()); });
  preview.resize(size());
  preview.exec();
}

void CMainFrame::OnFilePrintSetup() {
  QPageSetupDialog dialog(Printer(), this);
  dialog.exec();
}

// --- Search -------------------------------------------------------------------

FindReplaceDlg* CMainFrame::FindDialog() {
  if (!find_) {
    find_ = new FindReplaceDlg(this);
    connect(find_, &FindReplaceDlg::FindNext, this, [this] { DoFind(true); });
    connect(find_, &FindReplaceDlg::Replace, this, [this] {
      lastFind_ = find_->FindText();
      lastOptions_ = find_->Options();
      if (!view_->ReplaceAndFind(lastFind_, find_->ReplaceText(), lastOptions_))
        ShowPlainMessage(find_, tr("Cannot find \"%1\".").arg(lastFind_));
    });
    connect(find_, &FindReplaceDlg::ReplaceAll, this, [this] {
      lastFind_ = find_->FindText();
      lastOptions_ = find_->Options();
      const int count = view_->ReplaceAll(lastFind_, find_->ReplaceText(), lastOptions_);
      if (count == 0)
        ShowPlainMessage(find_, tr("Cannot find \"%1\".").arg(lastFind_));
      else
        statusBar()->showMessage(tr("%n replacement(s) made.", nullptr, count), 4000);
    });
  }
  return find_;
}

void CMainFrame::OnEditFind() {
  FindReplaceDlg* dialog = FindDialog();
  dialog->SetReplaceMode(false);
  const QString selected = view_->SelectedText();
  dialog->SetFindText(!selected.isEmpty() && !selected.contains(QLatin1Char('\n')) && selected.size() < 256
                          ? selected
                          : lastFind_);
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void CMainFrame::OnEditReplace() {
  OnEditFind();
  find_->SetReplaceMode(true);
}

void CMainFrame::DoFind(bool fromDialog) {
  if (fromDialog) {
    lastFind_ = find_->FindText();
    lastOptions_ = find_->Options();
  }
  if (lastFind_.isEmpty()) return;
  if (!view_->FindText(lastFind_, lastOptions_))
    ShowPlainMessage(fromDialog ? static_cast<QWidget*>(find_) : this, tr("Cannot find \"%1\".").arg(lastFind_));
}

void CMainFrame::OnEditRepeat() {
  if (lastFind_.isEmpty()) {
    OnEditFind();
    return;
  }
  DoFind(false);
}

void CMainFrame::OnPasteSpecial() {
  // The report holds plain text only, so every paste is a plain-text paste.
  view_->Paste();
}

// --- Application ----------------------------------------------------------------

void CMainFrame::OnAppAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMainFrame::OnAppExit() { close(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (runner_->IsRunning()) {
    // Stop the run first; the window closes when it has ended.
    closeAfterRun_ = true;
    runner_->RequestAbort();
    event->ignore();
    return;
  }
  closeAfterRun_ = false;
  if (!SaveModified()) {
    event->ignore();
    return;
  }
  if (find_) find_->close();
  // Every close keeps the placement (File > Exit, the close box, the end
  // of the session), and the report's memory goes back at once.
  settings::SetWindowPlacement(WindowPlacement::Of(*this).Encode());
  settings::SetDockState(saveState());
  doc_->NewDocument();
  event->accept();
}

}  // namespace trovik
