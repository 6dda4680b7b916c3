// Saves pictures of the main window holding a real decoded GPT, of the
// request dialog and of the Structures panel mapping a disk, for the README:
// `gui_screenshots <folder> <GPT disk image> <partitioned disk image>`.
// Run it under a real X server (Xvfb) to see the desktop's own style.
#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTimer>
#include <cstdio>

#include "app/DumpRunner.h"
#include "app/MainFrame.h"
#include "app/StructuresPanel.h"
#include "app/TrovikApp.h"
#include "app/TrovikDoc.h"
#include "app/TrovikView.h"
#include "engine/FileAccess.h"
#include "request/LimitsDlg.h"

namespace {

void Dump(trovik::CMainFrame& frame, const std::string& image, trovik::DumpType type, const char* start, int count) {
  trovik::DumpRequest request;
  request.dumpType = type;
  request.start = start;
  request.end = "0";
  request.count = count;
  frame.Runner()->Start(trovik::PosixFile::Open(image, trovik::OpenMode::ReadOnly), request);
  frame.Runner()->WaitForFinished();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  trovik::SetApplicationNames();
  app.setWindowIcon(QIcon(QStringLiteral(":/icons/trovik.png")));
  if (argc < 4) {
    std::fprintf(stderr, "usage: gui_screenshots FOLDER GPT_IMAGE DISK_IMAGE\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const std::string image = argv[2];

  trovik::CMainFrame frame;
  frame.resize(1000, 700);
  frame.Structures()->hide();  // this picture is about the report
  frame.show();
  // Each report goes in at the caret, which stays at its start: the last
  // run stands on top (the protective MBR entry, then the GPT header).
  Dump(frame, image, trovik::DumpType::GptEntry, "0x400", 2);
  Dump(frame, image, trovik::DumpType::GptHeader, "0x200", 1);
  Dump(frame, image, trovik::DumpType::Mbr, "0x1BE", 1);
  frame.View()->SetSelection(0, 0);

  trovik::CLimitsDlg limits(&frame);
  limits.m_strStart = QStringLiteral("0x00000000");
  limits.m_strEnd = QStringLiteral("0x03FFFFFF");
  limits.show();
  limits.TypeButton(1023)->click();

  // The panel's own window: the disk mapped, its FAT boot sector dumped
  // from the tree.
  trovik::CMainFrame mapped;
  mapped.resize(1100, 700);
  mapped.show();
  trovik::StructuresPanel* panel = mapped.Structures();
  panel->show();
  panel->Open(QString::fromLocal8Bit(argv[3]));
  while (!panel->IsFilled()) app.processEvents(QEventLoop::WaitForMoreEvents);
  for (int row = 0; row < static_cast<int>(panel->Rows().size()); ++row) {
    if (panel->Rows()[static_cast<size_t>(row)].type != trovik::DumpType::FatBpb) continue;
    panel->Tree()->setCurrentItem(panel->ItemOfRow(row));
    emit panel->DumpRowRequested(row);
    mapped.Runner()->WaitForFinished();
    break;
  }
  mapped.resizeDocks({panel}, {560}, Qt::Horizontal);
  mapped.View()->SetSelection(0, 0);

  QTimer::singleShot(500, [&] {
    frame.grab().save(folder + QStringLiteral("/main-window.png"));
    limits.grab().save(folder + QStringLiteral("/limits-dialog.png"));
    mapped.grab().save(folder + QStringLiteral("/structures-panel.png"));
    frame.Document()->SetModified(false);
    mapped.Document()->SetModified(false);
    app.quit();
  });
  return app.exec();
}
