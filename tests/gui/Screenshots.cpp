// Saves pictures of the main window (with a report) and of the request
// dialog, to look at how they come out: `gui_screenshots <folder>`. Run it
// under a real X server (Xvfb) to see the desktop's own style.
#include <QApplication>
#include <QDir>
#include <QRadioButton>
#include <QTimer>
#include <cstdio>

#include "app/MainFrame.h"
#include "app/TrovikApp.h"
#include "app/TrovikDoc.h"
#include "app/TrovikView.h"
#include "request/LimitsDlg.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  trovik::SetApplicationNames();
  app.setWindowIcon(QIcon(QStringLiteral(":/icons/trovik.png")));
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

  trovik::CMainFrame frame;
  frame.resize(1000, 640);
  frame.show();
  trovik::CTrovikDoc* doc = frame.Document();
  QString listing;
  for (int i = 0; i < 8; ++i)
    listing += QStringLiteral("\n%1  B8 C0 07 8E D8 8E C0 31-C0 8E D0 BC 00 7C FC 31     .......1.....|.1")
                   .arg(i * 16, 8, 16, QLatin1Char('0'))
                   .toUpper();
  doc->InsertReport(0, listing + QStringLiteral("\n\nPartition Table Entry 0 (0x000001BE)\n"
                                                "          Boot ID: 0x12"),
                    false);
  doc->InsertReport(doc->Text().Length(), u" <-- Should be 0x00 or 0x80\n", true);
  doc->InsertReport(doc->Text().Length(), u"        System ID: 0x07 NTFS/exFAT\n", false);
  frame.View()->SetSelection(0, 0);

  trovik::CLimitsDlg limits(&frame);
  limits.m_strStart = QStringLiteral("0x00000000");
  limits.m_strEnd = QStringLiteral("0x0009FFFF");
  limits.show();
  limits.TypeButton(1038)->click();
  std::printf("limits dialog: %dx%d\n", limits.width(), limits.height());

  QTimer::singleShot(500, [&] {
    frame.grab().save(folder + QStringLiteral("/main-window.png"));
    limits.grab().save(folder + QStringLiteral("/limits-dialog.png"));
    doc->SetModified(false);
    app.quit();
  });
  return app.exec();
}
