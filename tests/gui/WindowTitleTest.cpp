// Window titles are exactly the program's own: the window system adds the
// application's display name to every title that does not end with it, so
// the program must not set one, and the editors are wide enough to show
// their titles whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWindow>

#include "GuiTestSupport.h"
#include "app/MainFrame.h"
#include "gui/DialogSupport.h"
#include "editors/qt/EditBpbDlg.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "editors/qt/LbaChsDlg.h"
#include "engine/FileAccess.h"

namespace trovik {
namespace {

TEST(WindowTitles, AreTheProgramsOwnAndShownWhole) {
  // Without a display name of its own the application's follows its name.
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName(QStringLiteral("probe"));
  const QString display = QGuiApplication::applicationDisplayName();
  QCoreApplication::setApplicationName(name);
  EXPECT_EQ(display, QStringLiteral("probe")) << "a display name is set: the window system adds it to every title";

  CMainFrame frame;
  frame.show();
  EXPECT_EQ(frame.windowHandle()->title(), QStringLiteral("Untitled - trovik"));
  QString boxTitle;
  test::AnswerNextModal([&](QWidget* box) {
    boxTitle = box->windowTitle();
    box->close();
  });
  ShowPlainMessage(&frame, QStringLiteral("text"));
  EXPECT_EQ(boxTitle, QStringLiteral("trovik"));

  uint8_t bytes[512] = {};
  MemoryFile file;
  CEditBpbDlg bpb(bytes);
  CEditMbrDlg mbr(bytes, 0);
  CEditGptHeaderDlg header(bytes, 0, file);
  CEditGptEntryDlg entry(bytes, 0);
  CLbaChsDlg converter;
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  for (QDialog* dialog : std::initializer_list<QDialog*>{&bpb, &mbr, &header, &entry, &converter}) {
    dialog->show();
    // Room for the title in a bold face, the window's icon and three buttons.
    const int needed = QFontMetrics(titleFont).horizontalAdvance(dialog->windowTitle()) + 4 * 32;
    EXPECT_GE(dialog->width(), needed) << dialog->windowTitle().toStdString();
    dialog->close();
  }
}

}  // namespace
}  // namespace trovik
