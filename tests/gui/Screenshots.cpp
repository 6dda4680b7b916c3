// Saves pictures of the main window holding a real decoded GPT and of the
// request dialog, for the README: `gui_screenshots <folder> <disk image>`.
// Run it under a real X server (Xvfb) to see the desktop's own style.
#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>

#include "app/DumpRunner.h"
#include "app/MainFrame.h"
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
  if (argc < 3) {
    std::fprintf(stderr, "usage: gui_screenshots FOLDER DISK_IMAGE\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const std::string image = argv[2];

  trovik::CMainFrame frame;
  frame.resize(1000, 700);
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

  QTimer::singleShot(500, [&] {
    frame.grab().save(folder + QStringLiteral("/main-window.png"));
    limits.grab().save(folder + QStringLiteral("/limits-dialog.png"));
    frame.Document()->SetModified(false);
    app.quit();
  });
  return app.exec();
}
